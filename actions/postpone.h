// A countdown's action postponed by the user (the countdown's 推迟 button):
// the countdown closes, the action is held for the chosen time, and then its
// countdown starts again from its beginning, with its sound, for another
// chance to cancel or postpone it. The action is never carried out without
// its countdown.
//
// The wait is awake time (schedule/sleep_watch.h): a sleep before the time
// moves the time on by the sleep. When the clock time it was held until
// passed while the PC slept, the countdown comes back only to a person: the
// agent waits kAttendanceGraceMs after the resume for one, and without one
// (a wake by a wake timer, say) the action is dropped with a notice. A
// countdown that was running when the PC went to sleep is held the same way
// at the resume: its whole countdown to a person, nothing to an empty room.
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
#include "schedule/sleep_watch.h"
#include "actions/notices.h"
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
  // `sleep` measures the wait and says whether a person is there, `local`
  // names the time it ends, `recorder` hears what becomes of the held action.
  // `msPerMinute` is 60000 but for tests.
  Postponement(Countdown& countdown, TimerPort& timers, SleepWatch& sleep, LocalClock& local, NoticeSink& notices,
               RunRecorder& recorder, std::uint32_t msPerMinute = 60000)
      : countdown_(countdown),
        timers_(timers),
        sleep_(sleep),
        local_(local),
        notices_(notices),
        recorder_(recorder),
        msPerMinute_(msPerMinute) {}

  // The running countdown is postponed by `minutes`: it closes and its action
  // is held. False (nothing changes) when no countdown runs.
  bool Postpone(std::uint32_t minutes);
  // The Postponed timer fired: the held action's countdown starts again once
  // its awake wait is over.
  void OnTimer();
  // The PC has resumed: a clock time that passed in the sleep waits for a
  // person; otherwise the time moves on by the sleep.
  void Resumed();
  // A person may have come (PBT_APMRESUMESUSPEND): a held action that waits
  // for one comes back now.
  void PersonMayBeBack();
  // The tray menu's item or /cancel (CountdownEnd::CommandLine): the held
  // action is dropped and monitoring goes off, as 取消关机 does. False when
  // none is held.
  bool Cancel(CountdownEnd how);
  // The agent ends (`sessionEnding`: with the user's session): a held action
  // is dropped, and recorded as such.
  void AgentEnding(bool sessionEnding = false);

  bool Held() const { return held_ != nullptr; }
  // "推迟的关闭计算机：22:40" while an action is held; empty otherwise.
  std::string Line() const;
  // The tray menu's item while an action is held:
  // "取消推迟的关闭计算机（22:40）(&N)"; empty otherwise.
  std::string CancelCaption() const;

 private:
  void Drop(PostponeDrop why);
  void Arm(std::uint64_t waitMs);
  // The held action's countdown starts from its beginning.
  void Return();
  // Waiting for a person after a sleep: comes back to one, drops the action
  // once the grace has passed without one.
  void Decide();

  Countdown& countdown_;
  TimerPort& timers_;
  SleepWatch& sleep_;
  LocalClock& local_;
  NoticeSink& notices_;
  RunRecorder& recorder_;
  std::uint32_t msPerMinute_;
  const TaskType* held_ = nullptr;
  std::uint64_t startAwake_ = 0;
  std::uint64_t waitMs_ = 0;
  LocalMinute untilMinute_;  // shown as "22:40"
  bool waitingForPerson_ = false;
  bool interrupted_ = false;  // held because the PC slept during its countdown
};

// The notice when a held action is dropped because its time passed while the
// PC slept and nobody was there when it woke.
std::string ExpiredInSleepNotice(const std::string& word, const std::string& until);
// The same for a countdown the PC slept through.
std::string InterruptedCountdownNotice(const std::string& word);

}  // namespace ordavi
