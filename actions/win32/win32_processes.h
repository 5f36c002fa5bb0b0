// Win32 adapters of the tick's and the countdown's actions: the process
// snapshot behind CloseProgramByName, the junk-cleaning runner and the
// countdown sound.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "actions/countdown.h"
#include "actions/junk.h"
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

// The main window's handle, asked for at the time of each call; none when
// empty.
using WindowSource = std::function<HWND()>;

// The log written in code page 936; CreateProcessW hidden at idle priority,
// waiting without a time limit; the log is opened in notepad.exe of the
// Windows directory (OpenInNotepad).
class Win32JunkSystem : public JunkSystem {
 public:
  bool WriteLog(const std::string& logPath, const std::string& utf8Text, bool append) override;
  std::optional<std::string> ReadScript(const std::string& path) override;
  std::string SystemFolder() override;
  bool RunHiddenAndWait(const std::string& commandLine) override;
  void OpenLog(const std::string& logPath, const std::string& dir) override;
};

// PlaySoundA with the main window's handle as module argument.
class Win32SoundPlayer : public SoundPlayer {
 public:
  explicit Win32SoundPlayer(WindowSource window) : window_(std::move(window)) {}
  void Play(const std::string& name, std::uint32_t flags) override;
  void Stop() override;

 private:
  WindowSource window_;
};

}  // namespace ordavi
