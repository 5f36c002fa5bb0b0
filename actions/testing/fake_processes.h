// The process port for unit tests: lists `processes` (none: no snapshot);
// ending a process shows the check the image as the opened handle gives it
// (by default the snapshot's own text; `imageNow` gives an id to another
// program between the snapshot and the opening) and logs
// "TerminateProcess(pid)" when the check accepts it. That the process is
// ended through the very handle that was checked is the adapter's part: the
// port has no way to reopen, and the Wine test of Win32ProcessSystem fails
// on an adapter that reopens by id.
#pragma once

#include <cstdint>
#include <map>
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
  void TerminateProcess(std::uint32_t pid, const ImageCheck& isTheProgram) override {
    std::optional<std::string> image;
    const auto now = imageNow.find(pid);
    if (now != imageNow.end()) {
      image = now->second;
    } else if (processes) {
      for (const ProcessEntry& p : *processes) {
        if (p.pid == pid) image = p.exeFile;
      }
    }
    if (isTheProgram(image)) Record("TerminateProcess", {std::to_string(pid)});
  }

  std::optional<std::vector<ProcessEntry>> processes;
  std::map<std::uint32_t, std::optional<std::string>> imageNow;
};

}  // namespace ordavi::testing
