// The Win32 adapter of the condition sensors: the process snapshot the
// closing of programs reads, the interface table's octet counters and the
// system times. Each is read when the tick asks, once per pass at most.
#pragma once

#include <cstdint>
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

class Win32ConditionSensors : public ConditionSensors {
 public:
  explicit Win32ConditionSensors(ProcessSystem& processes) : processes_(processes) {}
  std::optional<std::vector<std::string>> RunningPrograms() override;
  std::optional<std::vector<AdapterOctets>> AdapterCounters() override { return ReadAdapterOctets(); }
  std::optional<ProcessorTimes> ProcessorUse() override { return ReadProcessorTimes(); }

 private:
  ProcessSystem& processes_;
};

}  // namespace ordavi
