// The shutdown countdown: a scheduled power action or dial-up hang-up waits
// `tishi` seconds in a stay-on-top window with a progress bar, optionally
// looping a wave sound, and can be cut short (do it now) or cancelled.
//
// Countdown is the core of the main window in its countdown role. The window
// turns its timer and button events into OnSecond, DoItNow and
// Cancel, and applies what the countdown asks of its CountdownView.
// The countdown owns its timer (CountdownSecond, every second), which runs
// exactly while the countdown does, and holds the task tick (TickRunState)
// for as long.
#pragma once

#include <cstdint>
#include <string>

#include "actions/power.h"
#include "schedule/countdown_control.h"
#include "schedule/run_record.h"
#include "schedule/tick_state.h"
#include "schedule/timers.h"
#include "store/options.h"

namespace ordavi {

// Port: the countdown window (the main window showing its countdown panel:
// the message, the seconds left, the progress bar, do-it-now and cancel).
class CountdownView {
 public:
  virtual ~CountdownView() = default;
  virtual void SetWindowCaption(const std::string& text) = 0;
  virtual void SetMessage(const std::string& text) = 0;
  virtual void SetSecondsLeft(const std::string& text) = 0;
  virtual void SetDoItNowCaption(const std::string& text) = 0;  // do it now
  virtual void SetCancelCaption(const std::string& text) = 0;  // cancel
  // The progress bar: minimum 0, `maximum`, `position` (0..maximum).
  virtual void SetProgress(std::int32_t position, std::int32_t maximum) = 0;
  // Shown on top of other windows, with the focus on the cancel button.
  virtual void Show() = 0;
  virtual void Hide() = 0;
};

inline constexpr std::uint32_t kCountdownSecondIntervalMs = 1000;

// Sound flags of PlaySoundA.
inline constexpr std::uint32_t kSndSync = 0x00000000;
inline constexpr std::uint32_t kSndAsync = 0x00000001;
inline constexpr std::uint32_t kSndLoop = 0x00000008;
inline constexpr std::uint32_t kSndFilename = 0x00020000;
inline constexpr std::uint32_t kSndLoopedFile = kSndFilename | kSndLoop | kSndAsync;  // 0x00020009

// Port: PlaySoundA with the main window's handle as module argument. (Named
// Play, not PlaySound, which <mmsystem.h> defines as a macro.)
class SoundPlayer {
 public:
  virtual ~SoundPlayer() = default;
  virtual void Play(const std::string& name, std::uint32_t flags) = 0;
  // Ends whatever sound is playing (PlaySoundA with no sound name).
  virtual void Stop() = 0;
};

// Port: what the countdown asks of other parts of the agent.
class CountdownSystem {
 public:
  virtual ~CountdownSystem() = default;
  // Monitoring off, as the tray menu's monitoring item does it: unchecked,
  // icon DISSHUT, tip "Ordavi-禁用".
  virtual void SwitchMonitoringOff() = 0;
  // Ask every ordinary top-level window of other programs to close.
  virtual void CloseAllPrograms() = 0;
  virtual void HangUpDialup() = 0;
  // Tells the user why a power action was not carried out.
  virtual void ShowNotice(const std::string& text) = 0;
};

class Countdown : public CountdownControl {
 public:
  // `options` are the agent's in-memory options (tishi, soundpath, shutapp),
  // read at the moment they are needed, so a saved change counts at once.
  // `recorder` hears how each countdown ends (the run history).
  Countdown(const Options& options, CountdownView& view, TimerPort& timers, TickRunState& tick, SoundPlayer& sound,
            CountdownSystem& system, PowerSystem& power, RunRecorder& recorder)
      : options_(options),
        view_(view),
        timers_(timers),
        tick_(tick),
        sound_(sound),
        system_(system),
        power_(power),
        recorder_(recorder) {}

  // CountdownControl: `type` becomes the pending action, and the countdown
  // starts with its word ("关机"). A countdown already running is taken
  // over: its task's action will not be carried out (reported as Replaced).
  // A power action the PC cannot do (PlanPowerAction) starts nothing and
  // leaves a running countdown as it is; the refusal is returned.
  const char* StartCountdown(const TaskType& type) override;
  // The same, from the countdown's beginning even when one runs (a held
  // action that comes back gets its whole countdown).
  const char* StartFullCountdown(const TaskType& type);
  bool CountdownRunning() const { return running_; }

  // The pending action's word; empty before the first countdown.
  std::string PendingAction() const { return pending_ ? pending_->countdownWord : ""; }
  std::int32_t Position() const { return position_; }

  void ShowCaptionsFor(const std::string& word);
  void OnSecond();   // one second has passed
  void DoItNow();  // do it now
  // Cancel: the cancel button (also Esc and Enter) unless `how` says the
  // close box or the command line.
  void Cancel(CountdownEnd how = CountdownEnd::CancelButton);
  // 推迟: the running countdown closes without its action and without
  // switching monitoring off; returns the action, which the caller holds (null
  // when no countdown runs). `until` is the clock time it is held until.
  const TaskType* Postpone(const std::string& until);
  // A postponed action was cancelled: monitoring goes off, as 取消关机 does.
  void HeldActionCancelled() { system_.SwitchMonitoringOff(); }
  // The PC slept while the countdown ran: it closes without its action and
  // without a line of its own, and returns the action (null when none ran),
  // which the caller holds until a person is there.
  const TaskType* Interrupt();
  // The agent ends (`sessionEnding`: with the user's session): a running
  // countdown closes without its action, and its end is recorded.
  void AgentEnding(bool sessionEnding);
  // Carries out the pending action now; nothing before the first countdown.
  // A power action that was not done is also told in a notice.
  ActionOutcome RunPendingAction();

 private:
  std::int32_t Maximum() const { return options_.countdownSeconds > 0 ? options_.countdownSeconds : 0; }
  void ShowPosition();
  void Finish(CountdownEnd how);
  void Stop();  // the countdown and its timer
  void Close();  // its sound, its position and its window

  const Options& options_;
  CountdownView& view_;
  TimerPort& timers_;
  TickRunState& tick_;
  SoundPlayer& sound_;
  CountdownSystem& system_;
  PowerSystem& power_;
  RunRecorder& recorder_;
  const TaskType* pending_ = nullptr;  // a countdown type of the task-type table
  std::int32_t position_ = 0;
  bool running_ = false;
  bool looping_ = false;  // a looped sound started by StartCountdown may still play
};

}  // namespace ordavi
