#include "schedule/conditions.h"

#include "store/text.h"

namespace ordavi {

namespace {

// A 64-bit counter never wraps: one that went back was reset (an adapter
// started again after a sleep) and counts nothing. A 32-bit one that went
// back within a tick wrapped; after a longer gap it was reset too.
std::uint64_t Moved(std::uint64_t before, std::uint64_t after, bool wide, bool canWrap) {
  if (after >= before) return after - before;
  if (wide || !canWrap) return 0;
  return (after - before) & 0xFFFFFFFFull;
}

}  // namespace

std::uint64_t OctetsBetween(const std::vector<AdapterOctets>& before, const std::vector<AdapterOctets>& after,
                            std::uint64_t ms) {
  const bool canWrap = ms <= kCounterWrapWithinMs;
  std::uint64_t total = 0;
  for (const AdapterOctets& a : after) {
    for (const AdapterOctets& b : before) {
      if (b.id != a.id || b.wide != a.wide) continue;
      total += Moved(b.received, a.received, a.wide, canWrap) + Moved(b.sent, a.sent, a.wide, canWrap);
      break;
    }
  }
  return total;
}

std::optional<double> ProcessorPercent(const ProcessorTimes& before, const ProcessorTimes& after) {
  const std::uint64_t total = (after.kernel - before.kernel) + (after.user - before.user);
  const std::uint64_t idle = after.idle - before.idle;
  if (total == 0 || idle > total) return std::nullopt;
  return 100.0 * static_cast<double>(total - idle) / static_cast<double>(total);
}

void Conditions::BeginPass() {
  programsTaken_ = networkTaken_ = processorTaken_ = false;
  passStart_ = awake_.AwakeMs();
  for (auto& [task, a] : armed_) a.tested = false;
}

void Conditions::EndPass() {
  for (auto it = armed_.begin(); it != armed_.end();) {
    it = it->second.tested ? std::next(it) : armed_.erase(it);
  }
}

void Conditions::Resumed() {
  lastOctets_ = {};
  lastTimes_ = {};
  for (auto& [task, a] : armed_) a.quietSince.reset();
}

const std::optional<std::vector<std::string>>& Conditions::Programs() {
  if (!programsTaken_) {
    programs_ = sensors_.RunningPrograms();
    programsTaken_ = true;
  }
  return programs_;
}

template <typename Value>
Conditions::Rate Conditions::Between(const Sample<Value>& before, const Sample<Value>& after) {
  Rate r;
  r.unread = !after.value;
  r.from = before.at;
  r.to = after.at;
  r.gap = !before.value || after.at - before.at > kSampleGapMs;
  return r;
}

const Conditions::Rate& Conditions::NetworkKBps() {
  if (networkTaken_) return network_;
  networkTaken_ = true;
  Sample<std::vector<AdapterOctets>> now{sensors_.AdapterCounters(), awake_.AwakeMs()};
  network_ = Between(lastOctets_, now);
  const std::uint64_t ms = network_.to - network_.from;
  if (!network_.gap && now.value && ms > 0) {
    network_.value = static_cast<double>(OctetsBetween(*lastOctets_.value, *now.value, ms)) * 1000.0 / ms / 1024.0;
  }
  lastOctets_ = std::move(now);
  return network_;
}

const Conditions::Rate& Conditions::Processor() {
  if (processorTaken_) return processor_;
  processorTaken_ = true;
  Sample<ProcessorTimes> now{sensors_.ProcessorUse(), awake_.AwakeMs()};
  processor_ = Between(lastTimes_, now);
  if (!processor_.gap && now.value && processor_.to != processor_.from) {
    processor_.value = ProcessorPercent(*lastTimes_.value, *now.value);
  }
  lastTimes_ = now;
  return processor_;
}

// Due when the reading has stayed below `threshold` for `minutes`, counted
// from the start of the first quiet interval, after it was at or above it
// since the task was armed.
bool Conditions::QuietDue(Armed& a, const Rate& rate, std::int32_t threshold, std::int32_t minutes) {
  a.unread = rate.unread;
  a.lastSample = rate.to;
  // A rate that began before the task was armed says nothing of its spell.
  if (!rate.value || rate.from < a.armedAt) {
    if (rate.gap) a.quietSince.reset();
    return false;
  }
  if (*rate.value >= threshold) {
    a.seen = true;
    a.quietSince.reset();
    return false;
  }
  if (!a.seen) return false;
  // Over a gap (the tick was held) the reading may have risen and fallen:
  // the spell counts from its end.
  if (rate.gap) a.quietSince = rate.to;
  if (!a.quietSince) a.quietSince = rate.from;
  if (rate.to - *a.quietSince < static_cast<std::uint64_t>(minutes) * 60000u) return false;
  a.seen = false;
  a.quietSince.reset();
  return true;
}

bool Conditions::Due(int task, const std::string& text, const ScheduleReading& reading) {
  if (!reading.kind || reading.never) return false;
  Armed& a = armed_[task];
  if (a.text != text) {
    a = Armed();
    a.text = text;
    a.armedAt = passStart_;
  }
  a.tested = true;
  switch (*reading.kind) {
    case ScheduleKind::ProgramEnds: {
      const auto& programs = Programs();
      a.unread = !programs;
      if (!programs) return false;
      bool running = false;
      for (const std::string& p : *programs) running = running || ProcessMatches(p, reading.texts[0]);
      if (running) {
        a.seen = true;
        return false;
      }
      if (!a.seen) return false;
      a.seen = false;
      return true;
    }
    case ScheduleKind::NetworkQuiet: return QuietDue(a, NetworkKBps(), reading.values[0], reading.values[1]);
    case ScheduleKind::ProcessorQuiet: return QuietDue(a, Processor(), reading.values[0], reading.values[1]);
    default: return false;
  }
}

std::optional<ConditionState> Conditions::StateOf(int task, const std::string& text) const {
  const auto it = armed_.find(task);
  if (it == armed_.end() || it->second.text != text) return std::nullopt;
  const Armed& a = it->second;
  ConditionState s;
  if (a.unread) {
    s.stage = ConditionState::Stage::Unread;
  } else if (a.quietSince) {
    s.stage = ConditionState::Stage::Quiet;
    s.quietMinutes = static_cast<std::int32_t>((a.lastSample - *a.quietSince) / 60000u);
  } else if (a.seen) {
    s.stage = ConditionState::Stage::Watching;
  }
  return s;
}

}  // namespace ordavi
