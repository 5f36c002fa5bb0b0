// The Win32 adapter of the condition sensors: the process snapshot the
// closing of programs reads (this session's processes only), the interface table's octet counters and the
// system times. Each is read when the tick asks, once per pass at most.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "actions/processes.h"
#include "schedule/conditions.h"
#include "schedule/schedule.h"

namespace ordavi {

// The octets of the adapters that are up, loopback and filter rows left out:
// iphlpapi's GetIfTable2 (64-bit counters) where it exists, else GetIfTable
// (32-bit counters); both looked up in the system directory's iphlpapi.dll
// when first needed. Nothing when neither gives a table.
std::optional<std::vector<AdapterOctets>> ReadAdapterOctets();
// kernel32's GetSystemTimes; nothing where it is missing or fails.
std::optional<ProcessorTimes> ReadProcessorTimes();

// powrprof's CallNtPowerInformation(SystemExecutionState): the execution state
// the programs' requests add up to, ES_DISPLAY_REQUIRED among them; looked up
// in the system directory when first needed. No request where it is missing.
class Win32DisplayRequests : public DisplayRequests {
 public:
  bool DisplayRequired() override;
};

// The session a process runs in (ProcessIdToSessionId); false when it
// cannot be read.
using SessionOfProcess = std::function<bool(std::uint32_t pid, std::uint32_t& session)>;
bool SystemSessionOf(std::uint32_t pid, std::uint32_t& session);

class Win32ConditionSensors : public ConditionSensors {
 public:
  explicit Win32ConditionSensors(ProcessSystem& processes, SessionOfProcess sessionOf = SystemSessionOf)
      : processes_(processes), sessionOf_(std::move(sessionOf)) {}
  // The executable names of the processes of this agent's own session:
  // another user (in another session) who starts and ends a program of the
  // watched name does not fire "after a program ends". A process whose
  // session cannot be read is left out; nothing when this process's own
  // session cannot be read.
  std::optional<std::vector<std::string>> RunningPrograms() override;
  std::optional<std::vector<AdapterOctets>> AdapterCounters() override { return ReadAdapterOctets(); }
  std::optional<ProcessorTimes> ProcessorUse() override { return ReadProcessorTimes(); }

 private:
  ProcessSystem& processes_;
  SessionOfProcess sessionOf_;
};

}  // namespace ordavi
