#include "schedule/seen_minutes.h"

#include "schedule/tick_state.h"
#include "store/text.h"

namespace ordavi {

namespace {

constexpr std::uint8_t kPauseBit = static_cast<std::uint8_t>(TickStop::Pause);

bool ParseNumber(const std::string& text, std::size_t& at, std::size_t digits, long long& out) {
  out = 0;
  std::size_t n = 0;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9' && (digits == 0 || n < digits)) {
    if (++n > 12) return false;
    out = out * 10 + (text[at++] - '0');
  }
  return n > 0 && (digits == 0 || n == digits);
}

bool Expect(const std::string& text, std::size_t& at, char c) {
  if (at >= text.size() || text[at] != c) return false;
  ++at;
  return true;
}

bool ExpectWord(const std::string& text, std::size_t& at, const char* word) {
  const std::string w(word);
  if (text.compare(at, w.size(), w) != 0) return false;
  at += w.size();
  return true;
}

// "2024-03-05 08:30" (MinuteText), in a year the system clock can show (from
// 1601), so it is written back in the same four digits.
bool ParseMinute(const std::string& text, std::size_t& at, LocalMinute& out) {
  long long v[5];
  if (!ParseNumber(text, at, 4, v[0]) || !Expect(text, at, '-') || !ParseNumber(text, at, 2, v[1]) ||
      !Expect(text, at, '-') || !ParseNumber(text, at, 2, v[2]) || !Expect(text, at, ' ') ||
      !ParseNumber(text, at, 2, v[3]) || !Expect(text, at, ':') || !ParseNumber(text, at, 2, v[4])) {
    return false;
  }
  if (v[0] < 1601 || v[1] < 1 || v[1] > 12 || v[2] < 1 || v[2] > DaysInMonth(static_cast<int>(v[0]), static_cast<int>(v[1])) ||
      v[3] > 23 || v[4] > 59) {
    return false;
  }
  out = {static_cast<int>(v[0]), static_cast<int>(v[1]), static_cast<int>(v[2]), static_cast<int>(v[3]),
         static_cast<int>(v[4])};
  return true;
}

}  // namespace

std::string SettledMinuteText(const SettledMinute& s) {
  std::string text = Concat({MinuteText(s.sample.local), " ", Decimal(s.sample.utcMinute)});
  const char* separator = " ";
  for (int n : s.ran) {
    text += Concat({separator, Decimal(n)});
    separator = ",";
  }
  if (s.held) text += Concat({" hold=", Decimal(s.held)});
  if (!s.counted.empty()) {
    text += Concat({" boot=", Decimal(s.bootMinute)});
    separator = " counted=";
    for (const auto& [n, run] : s.counted) {
      text += Concat({separator, Decimal(n), ":", Decimal(static_cast<long long>(run.countFrom))});
      separator = ",";
    }
  }
  separator = " catchup=";
  for (const auto& [n, missed] : s.catchUps) {
    text += Concat({separator, Decimal(n), ":", MinuteText(missed)});
    separator = ",";
  }
  return text + "\r\n";
}

std::optional<SettledMinute> ParseSettledMinute(const std::string& text) {
  std::size_t at = 0;
  SettledMinute s;
  if (!ParseMinute(text, at, s.sample.local) || !Expect(text, at, ' ') || !ParseNumber(text, at, 0, s.sample.utcMinute)) {
    return std::nullopt;
  }
  // The tasks that ran in that minute, if any: " 1,3".
  const bool ranList = at + 1 < text.size() && text[at] == ' ' && text[at + 1] >= '0' && text[at + 1] <= '9';
  for (char separator = ' '; ranList && Expect(text, at, separator); separator = ',') {
    long long n = 0;
    if (!ParseNumber(text, at, 0, n) || n > 999999999) return std::nullopt;
    s.ran.insert(static_cast<int>(n));
  }
  long long w = 0;
  if (ExpectWord(text, at, " hold=")) {
    if (!ParseNumber(text, at, 0, w) || w > 255) return std::nullopt;
    s.held = static_cast<std::uint8_t>(w);
  }
  if (ExpectWord(text, at, " boot=")) {
    if (!ParseNumber(text, at, 0, s.bootMinute) || !ExpectWord(text, at, " counted=")) return std::nullopt;
    for (char separator = 0; separator == 0 || Expect(text, at, separator); separator = ',') {
      long long n = 0;
      if (!ParseNumber(text, at, 0, n) || n > 999999999 || !Expect(text, at, ':') || !ParseNumber(text, at, 0, w) ||
          w > 0xFFFFFFFFll) {
        return std::nullopt;
      }
      s.counted[static_cast<int>(n)] = CountedRun{"", static_cast<std::uint32_t>(w)};
    }
  }
  if (ExpectWord(text, at, " catchup=")) {
    for (char separator = 0; separator == 0 || Expect(text, at, separator); separator = ',') {
      long long n = 0;
      LocalMinute missed;
      if (!ParseNumber(text, at, 0, n) || n > 999999999 || !Expect(text, at, ':') || !ParseMinute(text, at, missed)) {
        return std::nullopt;
      }
      s.catchUps[static_cast<int>(n)] = missed;
    }
  }
  if (text.compare(at, std::string::npos, "\r\n") != 0 && at != text.size()) return std::nullopt;
  return s;
}

ClockSample SeenMinutes::SampleNow(const LocalMinute& local) {
  return ClockSample{local, utc_.UtcMinute(), counter_.TickCount()};
}

long long SeenMinutes::BootMinute() {
  return utc_.UtcMinute() - static_cast<long long>(counter_.TickCount64() / 60000u);
}

std::optional<LocalMinute> SeenMinutes::SettledUpTo() const {
  if (!last_) return std::nullopt;
  return lastSettled_ ? last_->local : AddMinutes(last_->local, -1);
}

std::vector<UnseenSpan> SeenMinutes::Start(const std::optional<SettledMinute>& remembered) {
  const ClockSample now = SampleNow(MinuteOf(local_.LocalTime()));
  std::vector<UnseenSpan> out;
  last_ = now;
  lastSettled_ = false;
  turnsMinute_.reset();
  ran_.clear();
  repeatUntil_.reset();
  counted_.clear();
  ForgetHolds();
  if (!remembered) return out;
  // Counting tasks that ran in this same boot (its UTC minute can read one
  // off either way) keep their turn.
  const long long boot = bootMinute_ = BootMinute();
  if (remembered->bootMinute >= boot - 1 && remembered->bootMinute <= boot + 1) {
    for (const auto& [n, run] : remembered->counted) counted_[n] = CountedRun{"", run.countFrom};
  }
  const ClockSample& before = remembered->sample;
  if (before.local == now.local && before.utcMinute == now.utcMinute) {
    // Restarted or taken over within the minute of the last life's pass.
    lastSettled_ = true;
    turnsMinute_ = now.local;
    ran_ = remembered->ran;
  } else if (now.utcMinute > before.utcMinute) {
    if (MinutesBetween(now.local, before.local) >= 0) {
      // UTC went on while the local clock went back (the autumn change):
      // the minutes up to the last life's are seen.
      repeatUntil_ = before.local;
    } else if (auto range = UnseenMinutes(before.local, now.local)) {
      const std::uint8_t held = remembered->held;
      out.push_back({*range, held ? RunOutcome::Skipped : RunOutcome::Missed, HeldText(held)});
    }
  }
  return out;
}

std::vector<UnseenSpan> SeenMinutes::PassAt(const ScheduleNow& passNow) {
  const ClockSample now = SampleNow(MinuteOf(passNow));
  std::vector<UnseenSpan> out = UnseenUpTo(now);
  const std::optional<LocalMinute> settled = SettledUpTo();
  if (last_ && ClockWasSet(*last_, now)) {
    repeatUntil_.reset();
  } else if (settled && MinutesBetween(now.local, *settled) >= 0 && !(lastSettled_ && last_->local == now.local)) {
    // The local clock went back while UTC went on.
    if (!repeatUntil_ || MinutesBetween(*repeatUntil_, *settled) > 0) repeatUntil_ = settled;
  }
  if (repeatUntil_ && MinutesBetween(*repeatUntil_, now.local) > 0) repeatUntil_.reset();
  last_ = now;
  lastSettled_ = true;
  if (!turnsMinute_ || !(*turnsMinute_ == now.local)) {
    turnsMinute_ = now.local;
    ran_.clear();
  }
  ForgetHolds();
  return out;
}

std::vector<UnseenSpan> SeenMinutes::Resumed() {
  const ClockSample now = SampleNow(MinuteOf(local_.LocalTime()));
  std::vector<UnseenSpan> out = UnseenUpTo(now);
  // Both resume messages may come; the second finds the minute as the first left it.
  if (!last_ || !(last_->local == now.local) || ClockWasSet(*last_, now)) {
    last_ = now;
    lastSettled_ = false;
  }
  ForgetHolds();
  return out;
}

void SeenMinutes::TimeChanged() {
  const ClockSample now = SampleNow(MinuteOf(local_.LocalTime()));
  if (!last_ || !ClockWasSet(*last_, now)) return;
  last_ = now;
  lastSettled_ = false;
  repeatUntil_.reset();
  ForgetHolds();
}

std::vector<UnseenSpan> SeenMinutes::Ending() { return Resumed(); }

bool SeenMinutes::TakeTurn(int n) { return ran_.insert(n).second; }

bool SeenMinutes::TakeCountTurn(int n, const std::string& text, std::uint32_t countFrom) {
  const auto it = counted_.find(n);
  if (it != counted_.end() && it->second.countFrom == countFrom && (it->second.text.empty() || it->second.text == text)) {
    it->second.text = text;
    return false;
  }
  counted_[n] = CountedRun{text, countFrom};
  bootMinute_ = BootMinute();
  return true;
}

void SeenMinutes::HoldsChanged(std::uint8_t held) {
  if (held == held_) return;
  const LocalMinute now = MinuteOf(local_.LocalTime());
  if ((held & kPauseBit) != 0 && (held_ & kPauseBit) == 0) pauseSince_ = now;
  held_ = held;
  changes_.emplace_back(now, held);
}

SettledMinute SeenMinutes::Settled() const {
  SettledMinute s;
  if (!last_) return s;
  s.held = held_ & static_cast<std::uint8_t>(TickStop::MonitoringOff);
  s.counted = counted_;
  s.bootMinute = bootMinute_;
  if (lastSettled_) {
    s.sample = {last_->local, last_->utcMinute, 0};
    if (turnsMinute_ && *turnsMinute_ == last_->local) s.ran = ran_;
  } else {
    s.sample = {AddMinutes(last_->local, -1), last_->utcMinute - 1, 0};
  }
  return s;
}

std::vector<UnseenSpan> SeenMinutes::UnseenUpTo(const ClockSample& now) {
  std::vector<UnseenSpan> out;
  if (!last_ || ClockWasSet(*last_, now)) return out;
  const LocalMinute from = lastSettled_ ? last_->local : AddMinutes(last_->local, -1);
  const std::optional<MinuteRange> range = UnseenMinutes(from, now.local);
  if (!range) return out;
  std::uint8_t spanHeld = 0;
  for (LocalMinute m = range->first; MinutesBetween(m, range->last) >= 0; m = AddMinutes(m, 1)) {
    const std::uint8_t held = HeldDuring(m);
    if (!out.empty() && held == spanHeld) {
      out.back().range.last = m;
      continue;
    }
    spanHeld = held;
    out.push_back({{m, m}, held ? RunOutcome::Skipped : RunOutcome::Missed, HeldText(held)});
  }
  return out;
}

std::uint8_t SeenMinutes::HeldDuring(const LocalMinute& m) const {
  std::uint8_t before = heldBefore_, during = 0;
  for (const auto& [at, held] : changes_) {
    const long long d = MinutesBetween(at, m);
    if (d > 0) before = held;
    if (d == 0) during |= held;
  }
  std::uint8_t held = before | during;
  // The pause ends just before the next minute's first pass: it holds only
  // the minute it began (after a sleep the next minute was missed, not paused).
  if ((held & kPauseBit) != 0 && MinutesBetween(pauseSince_, m) > 0) held &= static_cast<std::uint8_t>(~kPauseBit);
  return held;
}

void SeenMinutes::ForgetHolds() {
  heldBefore_ = held_;
  changes_.clear();
}

}  // namespace ordavi
