// The cost of one task-tick pass over the real registry, against its floor.
//
//   tick_bench N [SAMPLES]
//
// Stores N enabled tasks that are not due (a daily time twelve hours away)
// in the program's key, then times, alternately, SAMPLES batches of full tick
// passes (TaskTick::RunPass over the Win32 registry adapter) and SAMPLES
// batches of the bare reads the pass cannot do without: RegQueryValueExA of
// A n and D n for every task, in a tight loop. Prints one line:
//
//   tick N <n> pass_us <median> <min> <max> floor_us <median> <min> <max> ratio <median> <min> <max>
//
// The ratio of each sample pair is taken, so the two share the machine's
// noise of that moment.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "actions/win32/win32_actions.h"
#include "bench/clock.h"
#include "schedule/tick.h"
#include "store/registry.h"
#include "store/tasks.h"
#include "store/win32/win32_registry.h"
#include "store/words.h"
#include "ui/win32/win32_clock.h"

namespace {

using namespace ordavi;

// The tick's other ports: nothing is due, so nothing here is ever called.
struct NoTimers : TimerPort {
  void SetTimerEnabled(MainTimer, bool) override {}
  bool TimerEnabled(MainTimer) const override { return true; }
};
struct NoActions : TickActions {
  int calls = 0;
  void ShowNotice(const std::string&) override { ++calls; }
  void OpenFile(const std::string&, const std::string&) override { ++calls; }
  void CloseProgramByName(const std::string&) override { ++calls; }
  void DialDefaultConnection() override { ++calls; }
  void SetAdapterState(const std::string&, bool) override { ++calls; }
  void CleanJunk(bool) override { ++calls; }
};
struct NoCountdown : CountdownControl {
  void StartCountdown(const TaskType&) override {}
};

struct Stats {
  double median, min, max;
};
Stats Of(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return {v[v.size() / 2], v.front(), v.back()};
}

// The bare reads of one pass: A n and D n of every task, one call each.
void FloorPass(HKEY key, int n) {
  char name[16];
  BYTE data[256];
  for (int i = 1; i <= n; ++i) {
    for (char field : {'A', 'D'}) {
      std::snprintf(name, sizeof name, "%c%d", field, i);
      DWORD type = 0, size = sizeof data;
      RegQueryValueExA(key, name, nullptr, &type, data, &size);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: tick_bench N [SAMPLES]\n");
    return 2;
  }
  const int n = std::atoi(argv[1]);
  const int samples = argc > 2 ? std::atoi(argv[2]) : 15;
  if (n < 1 || samples < 1) return 2;

  Win32RegistryRoot root;
  auto programKey = root.OpenKey(kProgramKeyPath);
  Registry reg(*programKey);
  SYSTEMTIME t;
  GetLocalTime(&t);
  const std::string notDue = std::string(words::kDaily) + std::to_string((t.wHour + 12) % 24) + "时0分";
  for (int i = 1; i <= n; ++i) {
    reg.WriteString(TaskValueName(TaskField::Schedule, i), notDue);
    reg.WriteString(TaskValueName(TaskField::Type, i), words::kRemind);
    reg.WriteString(TaskValueName(TaskField::Param, i), "bench");
    reg.WriteString(TaskValueName(TaskField::Enabled, i), words::kEnabled);
  }
  reg.WriteInteger("TaskNum", n);
  TaskStore store(reg);
  store.LoadTaskCounter();

  Win32SystemClock systemClock;
  Win32DateFormatSource dateFormat;
  Matchers matchers(systemClock, dateFormat);
  Win32LocalClock localClock;
  NoTimers timers;
  NoActions actions;
  TickRunState tickState(timers);
  NoCountdown countdown;
  TaskTick tick(store, matchers, localClock, tickState, actions, countdown);

  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProgramKeyPath + 1, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return 1;

  // Enough passes per sample for a sample of some milliseconds.
  const int passes = std::max(1, 20000 / n);
  tick.RunPass();  // warm up both
  FloorPass(key, n);
  std::vector<double> pass, floor, ratio;
  for (int s = 0; s < samples; ++s) {
    double a = NowMs();
    for (int p = 0; p < passes; ++p) tick.RunPass();
    double b = NowMs();
    for (int p = 0; p < passes; ++p) FloorPass(key, n);
    double c = NowMs();
    pass.push_back((b - a) * 1000.0 / passes);  // microseconds
    floor.push_back((c - b) * 1000.0 / passes);
    ratio.push_back((b - a) / (c - b));
  }
  RegCloseKey(key);
  if (actions.calls != 0) {
    std::fprintf(stderr, "tick_bench: a task ran; the benchmark needs tasks that are not due\n");
    return 1;
  }
  const Stats p = Of(pass), f = Of(floor), r = Of(ratio);
  std::printf("tick N %d pass_us %.1f %.1f %.1f floor_us %.1f %.1f %.1f ratio %.2f %.2f %.2f\n", n, p.median, p.min,
              p.max, f.median, f.min, f.max, r.median, r.min, r.max);
  return 0;
}
