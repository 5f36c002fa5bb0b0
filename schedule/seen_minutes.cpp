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

}  // namespace

std::string SettledMinuteText(const SettledMinute& s) {
  std::string text = MinuteText(s.sample.local) + " " + Decimal(s.sample.utcMinute);
  const char* separator = " ";
  for (int n : s.ran) {
    text += separator + Decimal(n);
    separator = ",";
  }
  return text + "\r\n";
}

std::optional<SettledMinute> ParseSettledMinute(const std::string& text) {
  long long v[6];
  std::size_t at = 0;
  if (!ParseNumber(text, at, 4, v[0]) || !Expect(text, at, '-') || !ParseNumber(text, at, 2, v[1]) ||
      !Expect(text, at, '-') || !ParseNumber(text, at, 2, v[2]) || !Expect(text, at, ' ') ||
      !ParseNumber(text, at, 2, v[3]) || !Expect(text, at, ':') || !ParseNumber(text, at, 2, v[4]) ||
      !Expect(text, at, ' ') || !ParseNumber(text, at, 0, v[5])) {
    return std::nullopt;
  }
  // A year the system clock can show (from 1601), so it is written back in
  // the same four digits.
  if (v[0] < 1601 || v[1] < 1 || v[1] > 12 || v[2] < 1 || v[2] > DaysInMonth(static_cast<int>(v[0]), static_cast<int>(v[1])) ||
      v[3] > 23 || v[4] > 59) {
    return std::nullopt;
  }
  SettledMinute s;
  s.sample.local = {static_cast<int>(v[0]), static_cast<int>(v[1]), static_cast<int>(v[2]), static_cast<int>(v[3]),
                    static_cast<int>(v[4])};
  s.sample.utcMinute = v[5];
  // The tasks that ran in that minute, if any: " 1,3".
  for (char separator = ' '; Expect(text, at, separator); separator = ',') {
    long long n = 0;
    if (!ParseNumber(text, at, 0, n) || n > 999999999) return std::nullopt;
    s.ran.insert(static_cast<int>(n));
  }
  if (text.compare(at, std::string::npos, "\r\n") != 0 && at != text.size()) return std::nullopt;
  return s;
}

ClockSample SeenMinutes::SampleNow(const LocalMinute& local) {
  return ClockSample{local, utc_.UtcMinute(), counter_.TickCount()};
}

std::vector<UnseenSpan> SeenMinutes::Start(const std::optional<SettledMinute>& remembered) {
  const ClockSample now = SampleNow(MinuteOf(local_.LocalTime()));
  std::vector<UnseenSpan> out;
  last_ = now;
  lastSettled_ = false;
  turnsMinute_.reset();
  ran_.clear();
  ForgetHolds();
  if (!remembered) return out;
  const ClockSample& before = remembered->sample;
  if (before.local == now.local && before.utcMinute == now.utcMinute) {
    // Restarted or taken over within the minute of the last life's pass.
    lastSettled_ = true;
    turnsMinute_ = now.local;
    ran_ = remembered->ran;
  } else if (now.utcMinute > before.utcMinute) {
    if (auto range = UnseenMinutes(before.local, now.local)) out.push_back({*range, RunOutcome::Missed, ""});
  }
  return out;
}

std::vector<UnseenSpan> SeenMinutes::PassAt(const ScheduleNow& passNow) {
  const ClockSample now = SampleNow(MinuteOf(passNow));
  std::vector<UnseenSpan> out = UnseenUpTo(now);
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
  ForgetHolds();
}

bool SeenMinutes::TakeTurn(int n) { return ran_.insert(n).second; }

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
  if ((held & kPauseBit) != 0 && MinutesBetween(pauseSince_, m) > 1) held &= static_cast<std::uint8_t>(~kPauseBit);
  return held;
}

void SeenMinutes::ForgetHolds() {
  heldBefore_ = held_;
  changes_.clear();
}

}  // namespace ordavi
