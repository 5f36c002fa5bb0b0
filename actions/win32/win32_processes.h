// The process adapter: the process snapshot behind CloseProgramByName and the
// condition that waits for a program's end.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "actions/processes.h"

namespace ordavi {

// Toolhelp32 snapshot (functions looked up in kernel32 by name when first
// needed); OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION)
// (PROCESS_QUERY_INFORMATION where the limited right is unknown), the image
// path through that handle (QueryFullProcessImageNameW, else
// GetProcessImageFileNameW), converted to GBK, and TerminateProcess(h, 0).
class Win32ProcessSystem : public ProcessSystem {
 public:
  std::optional<std::vector<ProcessEntry>> ListProcesses() override;
  void TerminateProcess(std::uint32_t pid, const ImageCheck& isTheProgram) override;
  // The image path of an opened process, in GBK; nothing when it cannot be read.
  static std::optional<std::string> ImagePathOf(HANDLE process);
};

}  // namespace ordavi
