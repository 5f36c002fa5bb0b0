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
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "schedule/grammar.h"

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
  // GetTickCount: the time of each sample.
  virtual std::uint32_t TickCount() = 0;
};

// Octets moved between two samples: each adapter present in both, each
// counter's difference taken modulo its width, so a wrapped counter counts
// what moved; an adapter that went away or came, or a 64-bit counter that
// went back (reset), counts nothing.
std::uint64_t OctetsBetween(const std::vector<AdapterOctets>& before, const std::vector<AdapterOctets>& after);
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
  explicit Conditions(ConditionSensors& sensors) : sensors_(sensors) {}

  // Begins a tick pass: the samples are taken again when first needed.
  void BeginPass();
  // Whether task `task`, whose schedule was read as `reading` (a condition
  // kind that may be due), is due in this pass. A due task starts again from
  // its beginning, so it runs once per end, or per quiet spell.
  bool Due(int task, const std::string& text, const ScheduleReading& reading);
  // Disarms every task this pass did not test.
  void EndPass();

  // The state of an armed task whose text is `text`; nothing when it is not
  // armed with that text.
  std::optional<ConditionState> StateOf(int task, const std::string& text) const;

 private:
  struct Armed {
    std::string text;
    bool seen = false;  // the program ran, or the reading rose above X, since armed
    std::optional<std::uint32_t> quietSince;  // the tick at which the reading fell below X
    bool unread = false;
    std::uint32_t lastTick = 0;
    bool tested = false;
  };
  // A rate over the interval between this pass's sample and the previous one.
  struct Rate {
    std::optional<double> value;
    std::uint32_t from = 0;  // the previous sample's tick
    std::uint32_t to = 0;
    bool unread = false;
  };
  const std::optional<std::vector<std::string>>& Programs();
  const Rate& NetworkKBps();
  const Rate& Processor();
  bool QuietDue(Armed& a, const Rate& rate, std::int32_t threshold, std::int32_t minutes);

  ConditionSensors& sensors_;
  std::map<int, Armed> armed_;
  bool programsTaken_ = false, networkTaken_ = false, processorTaken_ = false;
  std::optional<std::vector<std::string>> programs_;
  Rate network_, processor_;
  std::optional<std::vector<AdapterOctets>> lastOctets_;
  std::optional<ProcessorTimes> lastTimes_;
  std::uint32_t lastOctetsTick_ = 0, lastTimesTick_ = 0;
};

}  // namespace ordavi
