#include "actions/processes.h"

#include "store/text.h"

namespace ordavi {

bool ImageIsTheProgram(const std::optional<std::string>& imagePath, const std::string& name) {
  return imagePath && !imagePath->empty() && ProcessMatches(*imagePath, name);
}

void CloseProgramByName(const std::string& name, ProcessSystem& system) {
  // An empty name would match the odd entry with an empty file-name part,
  // which is never a program the user meant.
  if (name.empty()) return;
  const auto processes = system.ListProcesses();
  if (!processes) return;
  for (const ProcessEntry& p : *processes) {
    if (!ProcessMatches(p.exeFile, name)) continue;
    system.TerminateProcess(p.pid, [&name](const std::optional<std::string>& image) {
      return ImageIsTheProgram(image, name);
    });
  }
}

}  // namespace ordavi
