// The forwarders that join the agent's parts: each turns a port call of the
// tick or the countdown, or an event of the main window, into the call of the
// part that owns the behaviour (the agent core, the tick, the countdown, the
// action modules). They hold no state and take no decision of their own.
#pragma once

#include <functional>
#include <string>

#include "actions/close_all.h"
#include "actions/countdown.h"
#include "actions/junk.h"
#include "actions/network.h"
#include "actions/open_for_user.h"
#include "actions/postpone.h"
#include "actions/processes.h"
#include "app/agent.h"
#include "app/main_window_events.h"
#include "app/run_history.h"
#include "app/wake_watch.h"
#include "schedule/sleep_watch.h"
#include "schedule/tick.h"

namespace ordavi {

// The actions of a due task of an immediate type or of the junk-cleaning type.
class AgentTickActions : public TickActions {
 public:
  AgentTickActions(NoticeSink& notices, ShellPort& shell, ProcessSystem& processes, DialupSystem& dialup,
                   JunkCleaner& junk)
      : notices_(notices), shell_(shell), processes_(processes), dialup_(dialup), junk_(junk), opener_(shell, notices) {}

  void ShowNotice(const std::string& text) override;
  OpenedFile OpenFile(const std::string& path, const std::string& dir) override;
  void CloseProgramByName(const std::string& name) override;
  void DialDefaultConnection() override;
  void SetAdapterState(const std::string& name, bool enable) override;
  JunkResult CleanJunk(bool openLog) override;

 private:
  NoticeSink& notices_;
  ShellPort& shell_;
  ProcessSystem& processes_;
  DialupSystem& dialup_;
  JunkCleaner& junk_;
  TaskFileOpener opener_;
};

// What the countdown asks of the agent: monitoring off (on cancel), closing
// other programs (before a standby or hibernate), the dial-up hang-up.
class AgentCountdownSystem : public CountdownSystem {
 public:
  // `mainWindow` gives the main window once it exists.
  AgentCountdownSystem(Agent& agent, WindowSystem& windows, std::function<WindowId()> mainWindow,
                       DialupSystem& dialup, NoticeSink& notices)
      : agent_(agent), windows_(windows), mainWindow_(std::move(mainWindow)), dialup_(dialup), notices_(notices) {}

  void SwitchMonitoringOff() override { agent_.SwitchMonitoringOff(); }
  void CloseAllPrograms() override;
  void HangUpDialup() override;

 private:
  Agent& agent_;
  WindowSystem& windows_;
  std::function<WindowId()> mainWindow_;
  DialupSystem& dialup_;
  NoticeSink& notices_;
};

// The main window's events, routed to the part each belongs to.
class AgentEvents : public MainWindowEvents {
 public:
  // `openSettings` opens a new settings dialog (tray item 设置); `runs`,
  // when given, hears of resumes and clock changes.
  AgentEvents(Agent& agent, TaskTick& tick, TickRunState& tickState, Countdown& countdown, JunkCleaner& junk,
              std::function<void()> openSettings, RunWatch* runs = nullptr)
      : agent_(agent),
        tick_(tick),
        tickState_(tickState),
        countdown_(countdown),
        junk_(junk),
        openSettings_(std::move(openSettings)),
        runs_(runs) {}

  void OnTaskTick() override {
    if (sleep_) sleep_->Look();
    tick_.RunPass();
    if (nextTask_) agent_.ShowNextTask(nextTask_());
    if (afterPass_) afterPass_();
  }
  // The one resume: whichever of a pass, a timer or a power message finds it
  // first, the run history hears it first (so what comes back is recorded
  // after the minutes the sleep missed), then `counters` (the parts that
  // measure time: the conditions, the idle clock), the postponement and the
  // wake timer.
  void WatchSleepWith(SleepWatch& sleep, std::function<void()> counters);
  // The wake timer: `afterPass` runs after each pass; a resume or a clock
  // change tells `wake` to set the timer again.
  void WatchWakeWith(WakeWatch& wake, std::function<void()> afterPass) {
    wake_ = &wake;
    afterPass_ = std::move(afterPass);
  }
  // The run history's window (tray item 运行记录).
  void OpenRunHistoryWith(std::function<void()> open) { openRunHistory_ = std::move(open); }
  // What the tray tip's second line says after each pass (NextTaskWatch).
  void ShowNextTaskWith(std::function<std::string()> nextTask) { nextTask_ = std::move(nextTask); }
  void OnTickPauseEnd() override { tickState_.EndPause(); }
  void OnCountdownSecond() override {
    if (sleep_) sleep_->Look();
    countdown_.OnSecond();
  }
  void OnDoItNow() override { countdown_.DoItNow(); }
  void OnCancelCountdown() override { countdown_.Cancel(); }
  // The close box cancels a running countdown, as its cancel button does;
  // with no countdown (the window is hidden) it does nothing.
  void OnCloseBox() override {
    if (countdown_.CountdownRunning()) countdown_.Cancel(CountdownEnd::CloseBox);
  }
  bool OnCancelFromCommandLine() override;
  // The postponed action, its timer and the 推迟 button; none until set.
  void SetPostponement(Postponement& postponement) { postponement_ = &postponement; }
  void OnPostpone(std::uint32_t minutes) override;
  void OnPostponedTime() override;
  void OnMenuCommand(MenuItem item) override;
  bool OpensMenu(std::uint32_t mouseMessage) override { return agent_.OpensMenu(mouseMessage); }
  bool OnHotkey(std::uint32_t id) override { return agent_.OnHotkey(id); }
  void OnPowerOrTimeChange(std::uint32_t message, std::uint32_t event) override;
  void OnWindowMessage(std::uint32_t message) override { agent_.OnWindowMessage(message); }
  void OnClosing() override;
  void OnSessionEnding() override;
  void OnDestroyed() override { agent_.OnMainWindowDestroyed(); }

 private:
  Agent& agent_;
  TaskTick& tick_;
  TickRunState& tickState_;
  Countdown& countdown_;
  JunkCleaner& junk_;
  std::function<std::string()> nextTask_;
  std::function<void()> openRunHistory_;
  std::function<void()> openSettings_;
  RunWatch* runs_;
  Postponement* postponement_ = nullptr;
  // The tray tip and menu show the postponement as it is now.
  void ShowPostponement();
  void Resumed();
  // Every end of the agent closes the books the same way: the minutes held up
  // to now recorded (and monitoring off kept for the next start), a running
  // countdown and a held action given their end.
  void Ending(bool sessionEnding);
  WakeWatch* wake_ = nullptr;
  std::function<void()> afterPass_;
  SleepWatch* sleep_ = nullptr;
  std::function<void()> resumeCounters_;
};

}  // namespace ordavi
