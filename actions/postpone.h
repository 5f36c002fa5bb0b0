// A countdown's action postponed by the user (the countdown's 推迟 button):
// the countdown closes, the action is held for the chosen time, and then its
// countdown starts again, with its sound, for another chance to cancel or
// postpone it. The action is never carried out without its countdown: a PC
// that resumes after the time starts the countdown then.
//
// Held in memory only, one at a time: an agent that ends drops it (recorded),
// a new agent holds none, and postponing another countdown while one is held
// drops the earlier one (recorded). The tray menu's item and /cancel cancel it.
// Postponement owns the Postponed timer, which runs exactly while an action is
// held.
#pragma once

#include <cstdint>
#include <string>

#include "actions/countdown.h"
#include "schedule/local_clock.h"
#include "schedule/run_record.h"
#include "schedule/schedule.h"
#include "schedule/timers.h"
#include "store/task_types.h"

namespace ordavi {

// The delays the 推迟 button offers, in minutes, with their captions.
struct PostponeChoice {
  std::uint32_t minutes;
  const char* caption;
};
inline constexpr PostponeChoice kPostponeChoices[] = {{10, "10 分钟"}, {30, "30 分钟"}, {60, "1 小时"}};

class Postponement {
 public:
  // `ticks` measures the wait (GetTickCount goes on while the PC sleeps),
  // `local` names the time it ends. `msPerMinute` is 60000 but for tests.
  Postponement(Countdown& countdown, TimerPort& timers, SystemClock& ticks, LocalClock& local,
               std::uint32_t msPerMinute = 60000)
      : countdown_(countdown), timers_(timers), ticks_(ticks), local_(local), msPerMinute_(msPerMinute) {}

  void SetRecorder(RunRecorder* recorder) { recorder_ = recorder; }

  // The running countdown is postponed by `minutes`: it closes and its action
  // is held. False (nothing changes) when no countdown runs.
  bool Postpone(std::uint32_t minutes);
  // The Postponed timer fired: the held action's countdown starts again.
  void OnTimer();
  // The PC has resumed: a time that passed in the sleep starts the countdown
  // now; otherwise the timer is set again for what is left.
  void Resumed();
  // The tray menu's item or /cancel (CountdownEnd::CommandLine): the held
  // action is dropped and monitoring goes off, as 取消关机 does. False when
  // none is held.
  bool Cancel(CountdownEnd how);
  // The agent ends: a held action is dropped, and recorded as such.
  void AgentEnding();

  bool Held() const { return held_ != nullptr; }
  // "推迟的关闭计算机：22:40" while an action is held; empty otherwise.
  std::string Line() const;
  // The tray menu's item while an action is held:
  // "取消推迟的关闭计算机（22:40）(&N)"; empty otherwise.
  std::string CancelCaption() const;

 private:
  void Drop(PostponeDrop why);
  void Arm(std::uint32_t waitMs);

  Countdown& countdown_;
  TimerPort& timers_;
  SystemClock& ticks_;
  LocalClock& local_;
  std::uint32_t msPerMinute_;
  RunRecorder* recorder_ = nullptr;
  const TaskType* held_ = nullptr;
  std::uint32_t startTick_ = 0;
  std::uint32_t waitMs_ = 0;
  std::string until_;  // "22:40"
};

}  // namespace ordavi
