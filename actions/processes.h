// Ending every running process of a program, by its executable name.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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
  // Ends the process at once with exit code 0; failures pass unnoticed.
  virtual void TerminateProcess(std::uint32_t pid) = 0;
};

// Whether a snapshot entry names the program `name`: the ASCII upper case of
// the entry's file-name part equals that of `name`, or failing that, the
// upper case of the entry's whole text does. Upper-casing is byte-wise, so
// both sides are converted alike, Chinese trail bytes included.
bool ProcessMatches(const std::string& exeFile, const std::string& name);

// Ends every process whose executable matches `name`, every instance of the
// program, without asking it to close first. An empty name names no program
// and ends nothing.
void CloseProgramByName(const std::string& name, ProcessSystem& system);

}  // namespace ordavi
