// The agent's world for unit tests: the composed core (app/agent_core.h) over
// fakes, with clocks that run with fake timers and can sleep, be stepped and
// change their offset, and an agent that can end (退出, the session's end) and
// start again over the same registry and data files. Everything the agent
// does to the outside goes to one log.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "actions/testing/fake_awake.h"
#include "actions/testing/fake_countdown_ports.h"
#include "actions/testing/fake_dialup.h"
#include "actions/testing/fake_folder_security.h"
#include "actions/testing/fake_junk_system.h"
#include "actions/testing/fake_processes.h"
#include "actions/testing/fake_temp_folders.h"
#include "actions/testing/fake_windows.h"
#include "app/agent_core.h"
#include "app/testing/fake_agent_ports.h"
#include "app/testing/fake_data_file.h"
#include "app/testing/fake_stored_state.h"
#include "app/testing/fake_wake.h"
#include "schedule/testing/fake_clocks.h"
#include "schedule/testing/fake_conditions.h"
#include "schedule/testing/fake_timers.h"
#include "store/testing/iconv_gbk_codec.h"

namespace ordavi::testing {

inline constexpr std::uint64_t kSecond = 1000;
inline constexpr std::uint64_t kMinute = 60 * kSecond;
inline constexpr WindowId kMainWindow = 0x10, kOtherWindow = 0x20;

// The local time starts at 08:29:05 on Tuesday 5 March 2024 unless set
// before Start; the counters an hour after boot.
class AgentWorld {
 public:
  AgentWorld() {
    agentPorts.system.exePath = "C:\\Ordavi\\Ordavi.exe";
    windows.windows[kMainWindow].process = 100;
    windows.windows[kOtherWindow].process = 200;
    counter.tick = 3600 * kSecond;
    counter.lastInput = static_cast<std::uint32_t>(counter.tick);
    timers.OnFire(MainTimer::TaskTick, [this] { core->OnTaskTick(); });
    timers.OnFire(MainTimer::TickPause, [this] { core->OnTickPauseEnd(); });
    timers.OnFire(MainTimer::CountdownSecond, [this] { core->OnCountdownSecond(); });
    timers.OnFire(MainTimer::Postponed, [this] { core->OnPostponedTime(); });
    timers.OnFire(MainTimer::KeepAwake, [this] { core->OnKeepAwakeTime(); });
  }

  // Task n+1: `schedule`, `type`, `param`, enabled.
  void Plant(const std::string& schedule, const std::string& type, const std::string& param = "") {
    const std::string n = std::to_string(++planted_);
    stored.key.PlantString("A" + n, schedule);
    stored.key.PlantString("B" + n, type);
    stored.key.PlantString("C" + n, param);
    stored.key.PlantString("D" + n, "启用");
    stored.key.PlantDword("TaskNum", static_cast<std::uint32_t>(planted_));
  }

  // The agent starts, as Ordavi.exe does once its main window exists.
  void Start() {
    core = std::make_unique<AgentCore>(AgentCorePorts{stored.state(),
                                                      agentPorts.ports(),
                                                      timers,
                                                      view,
                                                      [] { return kMainWindow; },
                                                      counter,
                                                      clock,
                                                      utc,
                                                      dates,
                                                      display,
                                                      processes,
                                                      dialup,
                                                      windows,
                                                      sound,
                                                      junk,
                                                      tempFolders,
                                                      folderSecurity,
                                                      sensors,
                                                      wake,
                                                      awake,
                                                      historyFile,
                                                      lastPassFile,
                                                      codec,
                                                      "C:\\Ordavi\\Ordavi.exe",
                                                      [] {},
                                                      [](RunHistory&) {},
                                                      60000,
                                                      [this](const std::string& line) { publishedAwake = line; }});
    core->Start();
  }
  // The agent ends as 退出 does (the main window closes), or with the
  // session; its window's timers stop with it.
  void End(bool session = false) {
    if (session) {
      core->OnSessionEnding();
    } else {
      core->OnClosing();
    }
    core->OnDestroyed();
    for (MainTimer t : {MainTimer::TaskTick, MainTimer::TickPause, MainTimer::CountdownSecond, MainTimer::Postponed,
                        MainTimer::KeepAwake}) {
      timers.StopTimer(t);
    }
    core.reset();
  }

  void Advance(std::uint64_t ms) { timers.Advance(ms); }
  // The PC sleeps for `ms` and wakes: by a person (both resume messages), or
  // by a timer with nobody there (PBT_APMRESUMEAUTOMATIC alone). `messages`
  // false: the power messages never come, only the clocks show the sleep.
  void Sleep(std::uint64_t ms, bool person, bool messages = true) {
    if (messages) core->OnPowerOrTimeChange(kWmPowerBroadcast, kPbtSuspend);
    timers.Sleep(ms);
    if (!messages) return;
    core->OnPowerOrTimeChange(kWmPowerBroadcast, kPbtResumeAutomatic);
    if (person) core->OnPowerOrTimeChange(kWmPowerBroadcast, kPbtResumeSuspend);
  }
  // The local clock moves by `seconds` while UTC goes on (daylight saving),
  // or both move (the user set the clock) and WM_TIMECHANGE comes.
  void ShiftLocal(std::int64_t seconds, bool setByUser) {
    clock.offsetSeconds += seconds;
    if (!setByUser) return;
    utc.minute += seconds / 60;
    core->OnPowerOrTimeChange(kWmTimeChange, 0);
  }

  // The run history's lines, oldest first, as UTF-8.
  std::vector<std::string> History() {
    FakeNotices quiet;
    RunHistory history(historyFile, codec, quiet);
    const std::vector<std::string> lines = history.EntriesNewestFirst();
    return {lines.rbegin(), lines.rend()};
  }
  // The calls made to the outside, in order.
  CallLog& log = agentPorts.log;
  // The same without the tray tip's updates that only follow the next task.
  CallLog Calls() const {
    CallLog calls;
    for (const std::string& c : log) {
      if (c.rfind("Notify(Modify,MAINICON,", 0) != 0) calls.push_back(c);
    }
    return calls;
  }

  FakeTimers timers;
  FakeAgentPorts agentPorts;
  FakeProcesses processes{log};
  FakeDialup dialup{log};
  FakeWindows windows{log};
  FakeJunkSystem junk{log};
  FakeTempFolders tempFolders{log};
  FakeFolderSecurity folderSecurity;
  FakeCountdownView view;
  FakeSound sound;
  FakeConditionSensors sensors;
  FakeWakeSystem wake;
  FakeAwakeSystem awake{log};
  FakeLocalClock clock{timers};
  FakeUtcClock utc{timers};
  FakeSystemClock counter{timers};
  FixedDateFormat dates;
  FakeDisplayRequests display;
  FakeDataFile historyFile, lastPassFile;
  IconvGbkCodec codec;
  FakeStoredState stored;
  std::string publishedAwake;  // the keep-awake line the agent published for /list
  std::unique_ptr<AgentCore> core;

 private:
  int planted_ = 0;
};

}  // namespace ordavi::testing
