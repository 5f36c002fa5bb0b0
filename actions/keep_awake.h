// Keeping the PC awake (保持唤醒): for some minutes, until cancelled, or while
// a program runs in this session, asked for from the tray menu, by a task of
// the type 保持唤醒 or by `Ordavi.exe /awake`. The PC is kept awake through a
// power request whose reason the user can read ("Ordavi：保持唤醒到 17:00");
// the screen too when 保持屏幕常亮 was chosen.
//
// The length is awake time (schedule/sleep_watch.h), the time the user is
// told a clock time. A resume after that clock time ends it (睡眠中到期); a
// resume before it moves the clock time on by the sleep. It ends at its time,
// when its program ends, when the battery falls below the level the options
// set, on 取消保持唤醒 and `/awake off`, and at every end of the agent: the PC
// is never kept awake by an agent that has ended. Each start and end is a
// line in the run history.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "actions/notices.h"
#include "schedule/conditions.h"
#include "schedule/local_clock.h"
#include "schedule/run_record.h"
#include "schedule/sleep_watch.h"
#include "schedule/timers.h"
#include "store/options.h"

namespace ordavi {

// What to keep awake for: `minutes` of awake time, or while `program` runs
// (a file name), or with neither until cancelled; the screen too with
// `display`.
struct AwakeRequest {
  std::int32_t minutes = 0;
  std::string program;
  bool display = false;
};

// A 保持唤醒 task's parameter: minutes in digits (1 to kMaxAwakeMinutes) or a
// program's file name (a path counts by its file name; it has a dot, as
// "backup.exe"), either followed by kScreenOnSuffix. Nothing for any other
// text, which the editor refuses with kAwakeParamRule.
inline constexpr std::int32_t kMaxAwakeMinutes = 10080;
inline constexpr const char* kScreenOnSuffix = "，屏幕常亮";
inline constexpr const char* kAwakeParamRule = "参数应为分钟数（1到10080）或程序名（如backup.exe），可加“，屏幕常亮”";
std::optional<AwakeRequest> ReadAwakeParam(const std::string& param);

// Port: the power request, and the battery.
class AwakeSystem {
 public:
  virtual ~AwakeSystem() = default;
  // Keeps the system awake, and with `display` the screen on, until
  // released; `reason` (GBK) is what the system shows for the request. A
  // second hold replaces the first.
  virtual void HoldAwake(const std::string& reason, bool display) = 0;
  virtual void ReleaseAwake() = 0;
  // The battery's charge in percent while the PC runs on it; nothing on
  // mains power, without a battery, or when the system does not say.
  virtual std::optional<int> BatteryPercentOnBattery() = 0;
};

// How often the end, the program and the battery are looked at.
inline constexpr std::uint32_t kAwakeCheckMs = 10000;
// How long a program the keep-awake waits for may take to be seen running.
inline constexpr std::uint64_t kAwakeProgramGraceMs = 60000;

enum class AwakeEnd : std::uint8_t {
  TimeUp, ProgramEnded, ProgramNotRunning, TrayMenu, CommandLine, Replaced, AgentEnded, SessionEnded,
  BatteryLow, ExpiredInSleep
};

// Who asked, written where a task's schedule stands in the history line.
inline constexpr const char* kAwakeFromMenu = "托盘菜单";
inline constexpr const char* kAwakeFromCommandLine = "命令行";

// What the tray shows of it: the tip's second line ("保持唤醒到 17:00",
// empty when none runs), the menu's length it was started with from the
// menu (-1: none) and whether the screen is kept on.
class AwakeView {
 public:
  virtual void ShowKeepAwake(const std::string& line, int menuMinutes, bool screenOn) = 0;

 protected:
  ~AwakeView() = default;  // never deleted through this interface
};

struct AwakePorts {
  AwakeSystem& system;
  TimerPort& timers;
  AwakeClock& awake;
  LocalClock& local;
  ConditionSensors& sensors;  // the programs running in this session
  const Options& options;     // the battery level below which it ends (0: never)
  AwakeView& view;
  NoticeSink& notices;        // why the menu could not start it
};

class KeepAwake {
 public:
  // Each start and end is written to `recorder` (KeepAwakeLine).
  KeepAwake(const AwakePorts& ports, RunRecorder& recorder) : p_(ports), recorder_(recorder) {}

  // A 保持唤醒 task is due: keeps awake as its parameter says, ending the
  // one that runs (Replaced). The result is the task's history detail
  // ("开始保持唤醒到 17:00"), which the tick writes; refused, with nothing
  // started, for a parameter ReadAwakeParam refuses or while the battery is
  // below the options' level.
  ActionResult StartTask(const RunRecord& task);
  // The tray menu (`menu`) or the command line asks for `minutes` (0: until
  // cancelled), the screen too as 保持屏幕常亮 says; the start's line is
  // written here. A refusal from the menu is also a notice.
  ActionResult StartFrom(bool menu, std::int32_t minutes);
  // Ends the one that runs, for `why`; false when none runs.
  bool Stop(AwakeEnd why);
  // The check timer (kAwakeCheckMs): the end time, the program, the battery.
  void OnTimer();
  // The PC resumed.
  void Resumed();

  bool Active() const { return running_.has_value(); }
  // The agent itself keeps the screen on now.
  bool KeepsDisplayOn() const { return running_ && running_->display; }
  // The submenu's 保持屏幕常亮: the screen too for what the menu and the
  // command line start from now on, and for the one that runs.
  void SetScreenOn(bool on);
  bool ScreenOn() const { return running_ ? running_->display : screenOn_; }
  // The tray tip's second line: "保持唤醒到 17:00", "保持唤醒：backup.exe 运行中",
  // "保持唤醒（直到取消）"; empty when none runs.
  std::string TipLine() const;

 private:
  ActionResult Start(const AwakeRequest& request, bool fromMenu);
  // Ends it and writes its line.
  void End(AwakeEnd why);
  // A line of the history for the one that runs (or ran), with `detail`.
  void WriteLine(const std::string& detail);
  // Holds the request with the reason of now.
  void Hold();
  // Whether the program runs in this session; nothing when it cannot be told.
  std::optional<bool> ProgramRuns();
  // The options' level when the PC runs on a battery below it, else 0.
  std::int32_t BatteryBelowLevel();
  // The tray shows it as it is now.
  void Show();

  AwakePorts p_;
  RunRecorder& recorder_;
  std::optional<AwakeRequest> running_;
  RunRecord line_;  // who asked, and the history line last written
  bool fromMenu_ = false;
  bool screenOn_ = false;
  std::uint64_t startAwake_ = 0;
  LocalMinute until_;         // by minutes: the clock time the user was told
  bool programSeen_ = false;  // by program: seen running since the start
};

}  // namespace ordavi
