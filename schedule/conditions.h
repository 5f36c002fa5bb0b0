// The condition kinds' matchers: after a program ends, network quiet and
// processor quiet. Unlike a clock time, a condition depends on what the
// system did since the task was armed, so each task keeps its armed state
// here. The system is sampled through the ConditionSensors port at most once
// per tick pass, and only for the conditions some enabled task waits for.
//
// A task is armed the first pass that tests it: when the agent starts, when
// the task is enabled, and when its text changes. A task the pass did not
// test (disabled, deleted, emptied) is disarmed at the pass's end, so it
// starts again from its beginning; a restart of the agent does the same.
//
// Rates and quiet spells are measured on the awake clock, between the samples
// of two passes. A rate that began before its task was armed counts for
// nothing. After a resume the samples before the sleep are thrown away and
// every quiet spell starts again: a night's sleep is never quiet time. Over a
// gap between samples much longer than a tick (the tick held by a dialog) a
// rise still counts, but a quiet spell starts only at the gap's end.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "schedule/grammar.h"
#include "schedule/sleep_watch.h"

namespace ordavi {

// One network adapter's octet counters, received and sent, as the interface
// table gives them; `wide` counters have 64 bits, the others 32 and wrap.
struct AdapterOctets {
  std::uint64_t id = 0;  // the interface index: the same adapter in two samples
  std::uint64_t received = 0;
  std::uint64_t sent = 0;
  bool wide = false;
};

// The processor's times since boot, in 100 ns units, summed over processors
// (GetSystemTimes: the kernel time includes the idle time).
struct ProcessorTimes {
  std::uint64_t idle = 0;
  std::uint64_t kernel = 0;
  std::uint64_t user = 0;
};

// Port: what the conditions watch. Each answer is nothing when the system
// cannot give it.
class ConditionSensors {
 public:
  virtual ~ConditionSensors() = default;
  // The executable names of the running processes.
  virtual std::optional<std::vector<std::string>> RunningPrograms() = 0;
  // The adapters that are up, loopback left out.
  virtual std::optional<std::vector<AdapterOctets>> AdapterCounters() = 0;
  virtual std::optional<ProcessorTimes> ProcessorUse() = 0;
};

// Samples further apart than this (awake) give no rate.
inline constexpr std::uint64_t kSampleGapMs = 25000;
// A 32-bit counter that went back within this much time wrapped; after a
// longer gap it was reset.
inline constexpr std::uint64_t kCounterWrapWithinMs = 12000;

// Octets moved between two samples `ms` apart: each adapter present in both,
// a 32-bit counter's difference taken modulo its width when it can have
// wrapped in that time, so a wrapped counter counts what moved; an adapter
// that went away or came, or a counter that went back otherwise (reset),
// counts nothing.
std::uint64_t OctetsBetween(const std::vector<AdapterOctets>& before, const std::vector<AdapterOctets>& after,
                            std::uint64_t ms);
// Processor use between two samples, 0..100 %; nothing when no time passed.
std::optional<double> ProcessorPercent(const ProcessorTimes& before, const ProcessorTimes& after);

// Where a task of a condition kind stands, as the list shows it.
struct ConditionState {
  enum class Stage {
    Unread,    // the system does not give what the condition watches
    Waiting,   // armed: waiting for the program to run, or for a rise above X
    Watching,  // the program runs, or the traffic or use rose above X
    Quiet,     // below X for `quietMinutes` so far
  };
  Stage stage = Stage::Waiting;
  std::int32_t quietMinutes = 0;
};

class Conditions {
 public:
  Conditions(ConditionSensors& sensors, AwakeClock& awake) : sensors_(sensors), awake_(awake) {}

  // Begins a tick pass: the samples are taken again when first needed.
  void BeginPass();
  // Whether task `task`, whose schedule was read as `reading` (a condition
  // kind that may be due), is due in this pass. A due task starts again from
  // its beginning, so it runs once per end, or per quiet spell.
  bool Due(int task, const std::string& text, const ScheduleReading& reading);
  // Disarms every task this pass did not test.
  void EndPass();
  // The PC has resumed: the samples before the sleep are thrown away and
  // every quiet spell starts again.
  void Resumed();

  // The state of an armed task whose text is `text`; nothing when it is not
  // armed with that text.
  std::optional<ConditionState> StateOf(int task, const std::string& text) const;

 private:
  struct Armed {
    std::string text;
    bool seen = false;  // the program ran, or the reading rose above X, since armed
    std::uint64_t armedAt = 0;  // awake time
    std::optional<std::uint64_t> quietSince;  // the awake time at which the reading fell below X
    bool unread = false;
    std::uint64_t lastSample = 0;
    bool tested = false;
  };
  // A rate over the interval between this pass's sample and the previous one.
  struct Rate {
    std::optional<double> value;
    std::uint64_t from = 0;  // the previous sample's awake time
    std::uint64_t to = 0;
    bool unread = false;
    bool gap = false;  // the samples lie far apart: no quiet time before `to`
  };
  // A sample of one sensor and when it was taken.
  template <typename Value>
  struct Sample {
    std::optional<Value> value;
    std::uint64_t at = 0;
  };
  template <typename Value>
  static Rate Between(const Sample<Value>& before, const Sample<Value>& after);
  const std::optional<std::vector<std::string>>& Programs();
  const Rate& NetworkKBps();
  const Rate& Processor();
  bool QuietDue(Armed& a, const Rate& rate, std::int32_t threshold, std::int32_t minutes);

  ConditionSensors& sensors_;
  AwakeClock& awake_;
  std::map<int, Armed> armed_;
  bool programsTaken_ = false, networkTaken_ = false, processorTaken_ = false;
  std::optional<std::vector<std::string>> programs_;
  Rate network_, processor_;
  std::uint64_t passStart_ = 0;
  Sample<std::vector<AdapterOctets>> lastOctets_;
  Sample<ProcessorTimes> lastTimes_;
};

}  // namespace ordavi
