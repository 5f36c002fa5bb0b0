// Ending every running process of a program, by its executable name.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "store/text.h"

namespace ordavi {

struct ProcessEntry {
  std::uint32_t pid = 0;
  std::string exeFile;  // the snapshot's executable text, up to its first NUL
};

// Port: a snapshot of the running processes, and ending one of them.
class ProcessSystem {
 public:
  virtual ~ProcessSystem() = default;
  // The running processes in snapshot order; none when the platform has no
  // process snapshot or refuses one.
  virtual std::optional<std::vector<ProcessEntry>> ListProcesses() = 0;
  // Whether an opened process runs the program meant, told by the path (or
  // file name) of its image as read through the opened handle; nothing when
  // it could not be read.
  using ImageCheck = std::function<bool(const std::optional<std::string>& imagePath)>;
  // Opens the process `pid` to end it, reads the path of its image through
  // that same handle and, when `isTheProgram` accepts it, ends the process at
  // once with exit code 0. A process id taken from an earlier snapshot may
  // since belong to another program; the check on the opened handle is what
  // keeps that one alive. Failures pass unnoticed.
  virtual void TerminateProcess(std::uint32_t pid, const ImageCheck& isTheProgram) = 0;
};

// Whether a snapshot entry names a program: ProcessMatches (store/text.h).

// Whether a process opened to be ended still runs the program `name`: its
// image path, read through the opened handle, matches `name` as a snapshot
// entry would. A process whose image cannot be told is not the program.
bool ImageIsTheProgram(const std::optional<std::string>& imagePath, const std::string& name);

// Ends every process whose executable matches `name`, every instance of the
// program, without asking it to close first, each only after its opened
// handle confirmed the program (ImageIsTheProgram). An empty name names no
// program and ends nothing.
void CloseProgramByName(const std::string& name, ProcessSystem& system);

}  // namespace ordavi
