// The process port for unit tests: lists `processes` (none: no snapshot) and
// logs "TerminateProcess(pid)".
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "actions/processes.h"
#include "store/testing/call_log.h"

namespace ordavi::testing {

class FakeProcesses : public Recording, public ProcessSystem {
 public:
  using Recording::Recording;
  std::optional<std::vector<ProcessEntry>> ListProcesses() override { return processes; }
  void TerminateProcess(std::uint32_t pid) override { Record("TerminateProcess", {std::to_string(pid)}); }

  std::optional<std::vector<ProcessEntry>> processes;
};

}  // namespace ordavi::testing
