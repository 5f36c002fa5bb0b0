// Win32 adapters of the tick's and the countdown's actions: the process
// snapshot behind CloseProgramByName, the junk-cleaning runner, the countdown
// sound, opening a file for an "打开文件" task, and the local time.
#pragma once

#include <windows.h>

#include <string>

#include "actions/countdown.h"
#include "actions/junk.h"
#include "actions/processes.h"
#include "schedule/tick.h"

namespace ordavi {

// Toolhelp32 snapshot (functions looked up in kernel32 by name when first
// needed), OpenProcess(PROCESS_TERMINATE) and TerminateProcess(h, 0).
class Win32ProcessSystem : public ProcessSystem {
 public:
  std::optional<std::vector<ProcessEntry>> ListProcesses() override;
  void TerminateProcess(std::uint32_t pid) override;
};

// CreateProcessA hidden at idle priority, waiting without a time limit; the
// log is opened with ShellExecuteA on behalf of `owner` (the application's
// window), SW_SHOWNORMAL.
class Win32JunkSystem : public JunkSystem {
 public:
  explicit Win32JunkSystem(HWND owner = nullptr) : owner_(owner) {}
  void SetOwner(HWND owner) { owner_ = owner; }
  bool RunHiddenAndWait(const std::string& commandLine) override;
  void OpenLog(const std::string& logPath, const std::string& dir) override;

 private:
  HWND owner_;
};

// PlaySoundA with the main window's handle as module argument.
class Win32SoundPlayer : public SoundPlayer {
 public:
  explicit Win32SoundPlayer(HWND window = nullptr) : window_(window) {}
  void SetWindow(HWND window) { window_ = window; }
  void Play(const std::string& name, std::uint32_t flags) override;
  void Stop() override;

 private:
  HWND window_;
};

class Win32LocalClock : public LocalClock {
 public:
  ScheduleNow LocalTime() override;  // GetLocalTime
};

// The directory of the running executable, with its trailing separator.
// The executable's full path, as the process reports its own file name.
std::string ExecutablePath();
std::string AgentDirectory();

}  // namespace ordavi
