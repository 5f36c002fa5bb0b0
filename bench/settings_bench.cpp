// The cost of the settings dialog's 下次运行 column, against the dialog
// without it.
//
//   settings_bench N SAMPLES
//
// Stores N enabled tasks in the program's key (daily, twelve hours away; every
// tenth weekly, monthly or yearly, whose next runs are searched further
// ahead), then times, alternately, SAMPLES openings of the settings dialog
// with the column's cells filled and SAMPLES without: from the call that
// opens it to the end of the messages its opening left queued (the painting
// included), each followed by its closing. Prints one line:
//
//   settings N <n> with_us <median> <min> <max> floor_us <median> <min> <max> ratio <median> <min> <max>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "actions/win32/win32_conditions.h"
#include "actions/win32/win32_devices.h"
#include "actions/win32/win32_power.h"
#include "actions/win32/win32_processes.h"
#include "bench/clock.h"
#include "dialogs/win32/settings_dialog.h"
#include "schedule/tick_state.h"
#include "store/registry.h"
#include "store/tasks.h"
#include "store/win32/win32_registry.h"
#include "store/words.h"
#include "schedule/win32/win32_clock.h"

namespace {

using namespace ordavi;

struct NoTimers : TimerPort {
  void StartTimer(MainTimer, std::uint32_t) override {}
  void StopTimer(MainTimer) override {}
};

struct Stats {
  double median, min, max;
};
Stats Of(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return {v[v.size() / 2], v.front(), v.back()};
}

void Pump() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

// Milliseconds from opening the dialog to the end of what its opening queued.
double OpenAndClose(const SettingsServices& services) {
  const double start = NowMs();
  HWND dialog = SettingsDialog::Open(services);
  Pump();
  const double took = NowMs() - start;
  if (dialog) DestroyWindow(dialog);
  Pump();
  return took;
}

}  // namespace

int main(int argc, char** argv) {
  const int n = argc > 1 ? std::atoi(argv[1]) : 1000;
  const int samples = argc > 2 ? std::atoi(argv[2]) : 11;
  Win32RegistryRoot root;
  const auto key = root.OpenKey(kProgramKeyPath);
  Registry reg(*key);
  SYSTEMTIME t;
  GetLocalTime(&t);
  const std::string hour = std::to_string((t.wHour + 12) % 24);
  for (int i = 1; i <= n; ++i) {
    std::string schedule = std::string(words::kDaily) + hour + "时0分";
    if (i % 10 == 3) schedule = "每周3日" + hour + "时0分";
    if (i % 10 == 6) schedule = "每月31日" + hour + "时0分";
    if (i % 10 == 9) schedule = "每年2月29日" + hour + "时0分";
    reg.WriteString(TaskValueName(TaskField::Schedule, i), schedule);
    reg.WriteString(TaskValueName(TaskField::Type, i), "提醒");
    reg.WriteString(TaskValueName(TaskField::Param, i), "x");
    reg.WriteString(TaskValueName(TaskField::Enabled, i), words::kEnabled);
  }
  reg.WriteInteger("TaskNum", n);
  TaskStore store(reg);
  store.LoadTaskCounter();
  Options options;
  NoTimers timers;
  TickRunState tickState(timers);
  Win32SystemClock clock;
  Win32DateFormatSource dates;
  Win32LocalClock local;
  Win32ProcessSystem processes;
  Win32ConditionSensors sensors(processes);
  Win32DeviceSystem devices(nullptr);
  Win32PowerSystem power(devices);
  SettingsServices services{store, reg, root, options, "C:\\Ordavi.exe", [](std::int32_t) {}, tickState, 10, clock,
                            dates, local, sensors, power};
  OpenAndClose(services);  // the first opening loads the common controls and the fonts
  std::vector<double> with, without, ratio;
  for (int s = 0; s < samples; ++s) {
    services.showNextRuns = true;
    const double a = OpenAndClose(services);
    services.showNextRuns = false;
    const double b = OpenAndClose(services);
    with.push_back(a * 1000);
    without.push_back(b * 1000);
    ratio.push_back(b > 0 ? a / b : 0);
  }
  const Stats w = Of(with), f = Of(without), r = Of(ratio);
  std::printf("settings N %d with_us %.0f %.0f %.0f floor_us %.0f %.0f %.0f ratio %.2f %.2f %.2f\n", n, w.median, w.min,
              w.max, f.median, f.min, f.max, r.median, r.min, r.max);
  return 0;
}
