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
//
//   tick_bench N SAMPLES history
//
// The run history's cost instead: passes over the N tasks with the run watch
// and the history file in local application data, against the same passes
// without them; once with nothing due (an idle pass writes nothing), once
// with task 1 due in every pass (a reminder whose minute is now: each pass
// appends one line). Prints two lines:
//
//   history N <n> idle_us <median> <min> <max> floor_us ... lines <k> ratio ...
//   history N <n> ran_us <median> <min> <max> floor_us ... lines <k> ratio ...
//
// with the number of entries in the file after each.
//
//   tick_bench N SAMPLES conditions
//
// The condition kinds' cost: passes over N tasks whose last ten wait for a
// program to end or the network or processor to go quiet, read from the
// system, against passes with those ten daily tasks not due. Prints:
//
//   conditions N <n> pass_us <median> <min> <max> without_us ... ratio ...
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "actions/win32/win32_processes.h"
#include "actions/win32/win32_conditions.h"
#include "app/run_history.h"
#include "app/win32/agent_data.h"
#include "bench/clock.h"
#include "schedule/conditions.h"
#include "schedule/tick.h"
#include "store/registry.h"
#include "store/tasks.h"
#include "store/win32/gbk_text.h"
#include "store/win32/win32_registry.h"
#include "store/words.h"
#include "schedule/win32/win32_clock.h"

namespace {

using namespace ordavi;

// The tick's other ports: nothing is due, so nothing here is ever called.
struct NoTimers : TimerPort {
  void StartTimer(MainTimer, std::uint32_t) override {}
  void StopTimer(MainTimer) override {}
};
struct NoActions : TickActions {
  int calls = 0;
  void ShowNotice(const std::string&) override { ++calls; }
  OpenedFile OpenFile(const std::string&, const std::string&) override {
    ++calls;
    return {};
  }
  void CloseProgramByName(const std::string&) override { ++calls; }
  void DialDefaultConnection() override { ++calls; }
  void SetAdapterState(const std::string&, bool) override { ++calls; }
  JunkResult CleanJunk(bool) override {
    ++calls;
    return JunkResult::Cleaned;
  }
  ActionResult KeepAwake(const RunRecord&) override {
    ++calls;
    return {};
  }
};
struct NoCountdown : CountdownControl {
  const char* StartCountdown(const TaskType&) override { return nullptr; }
};
struct NoRecorder : RunRecorder {
  void PassStarting(const std::vector<UnseenSpan>&) override {}
  void TaskDue(const RunRecord&) override {}
  void CountdownEnded(CountdownEnd, const ActionOutcome& = {}) override {}
};
// The conditions of passes with no condition task: nothing is ever sampled.
struct NoSensors : ConditionSensors {
  std::optional<std::vector<std::string>> RunningPrograms() override { return std::nullopt; }
  std::optional<std::vector<AdapterOctets>> AdapterCounters() override { return std::nullopt; }
  std::optional<ProcessorTimes> ProcessorUse() override { return std::nullopt; }
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

struct NoNotices : NoticeSink {
  void ShowNotice(const std::string&) override {}
};

std::string DueNow(bool due) {
  SYSTEMTIME t;
  GetLocalTime(&t);
  const int hour = due ? t.wHour : (t.wHour + 12) % 24;
  return std::string(words::kDaily) + std::to_string(hour) + "时" + std::to_string(due ? t.wMinute : 0) + "分";
}

void PrintStats(int n, const char* figure, const std::vector<double>& with, const std::vector<double>& without,
                const std::vector<double>& ratio, std::size_t lines) {
  const Stats p = Of(with), f = Of(without), r = Of(ratio);
  std::printf("history N %d %s %.1f %.1f %.1f floor_us %.1f %.1f %.1f lines %zu ratio %.2f %.2f %.2f\n", n, figure,
              p.median, p.min, p.max, f.median, f.min, f.max, lines, r.median, r.min, r.max);
}

// Passes with the run watch against passes without it, task 1 due or not.
int HistoryBench(Registry& reg, TaskStore& store, int n, int samples) {
  Win32SystemClock systemClock;
  Win32DateFormatSource dateFormat;
  Matchers matchers(systemClock, dateFormat);
  Win32LocalClock localClock;
  Win32UtcClock utcClock;
  NoTimers timers;
  NoActions actions;
  NoNotices notices;
  SeenMinutes minutes(localClock, utcClock, systemClock);
  TickRunState tickState(timers, &minutes);
  NoCountdown countdown;
  Win32DataFile historyFile(kHistoryFileName), lastPassFile(kLastPassFileName);
  historyFile.Clear();
  Win32GbkCodec codec;
  RunHistory history(historyFile, codec, notices);
  SleepWatch sleep(systemClock, [] {});
  RunWatch watch(RunWatchPorts{store, dateFormat, minutes, notices, lastPassFile, sleep}, history);
  watch.Start();
  NoSensors sensors;
  SleepWatch awake(systemClock, [] {});
  Conditions conditions(sensors, awake);
  NoRecorder noRecorder;
  TaskTick bare(store, matchers, conditions, localClock, tickState, minutes, actions, countdown, noRecorder);
  TaskTick recorded(store, matchers, conditions, localClock, tickState, minutes, actions, countdown, watch);
  const int passes = 200;
  for (bool due : {false, true}) {
    std::vector<double> with, without, ratio;
    for (int s = 0; s < samples; ++s) {
      reg.WriteString(TaskValueName(TaskField::Schedule, 1), DueNow(due));  // due for the rest of this minute
      recorded.RunPass();
      bare.RunPass();
      const double a = NowMs();
      for (int p = 0; p < passes; ++p) recorded.RunPass();
      const double b = NowMs();
      for (int p = 0; p < passes; ++p) bare.RunPass();
      const double c = NowMs();
      with.push_back((b - a) * 1000.0 / passes);
      without.push_back((c - b) * 1000.0 / passes);
      ratio.push_back((b - a) / (c - b));
    }
    // The entries written so far: none after the idle passes.
    PrintStats(n, due ? "ran_us" : "idle_us", with, without, ratio, history.EntriesNewestFirst().size());
  }
  return actions.calls > 0 ? 0 : 1;  // the due task must have run
}

// Passes over N tasks of which the last ten wait for conditions (three
// program ends, four network and three processor quiet, over the real
// sensors), against the same passes with those ten daily tasks not due.
int ConditionsBench(Registry& reg, TaskStore& store, int n, int samples) {
  if (n < 10) return 2;
  Win32SystemClock systemClock;
  Win32DateFormatSource dateFormat;
  Matchers matchers(systemClock, dateFormat);
  Win32LocalClock localClock;
  Win32UtcClock utcClock;
  NoTimers timers;
  NoActions actions;
  SeenMinutes minutes(localClock, utcClock, systemClock);
  TickRunState tickState(timers, &minutes);
  NoCountdown countdown;
  Win32ProcessSystem processes;
  Win32ConditionSensors sensors(processes);
  SleepWatch awake(systemClock, [] {});
  Conditions conditions(sensors, awake);
  NoRecorder recorder;
  TaskTick tick(store, matchers, conditions, localClock, tickState, minutes, actions, countdown, recorder);
  const char* const kConditionTexts[] = {"程序结束后：a.exe", "程序结束后：b.exe", "程序结束后：c.exe",
                                         "网速低于50KB/s持续3分钟", "网速低于10KB/s持续1分钟",
                                         "网速低于100KB/s持续5分钟", "网速低于1KB/s持续10分钟",
                                         "处理器低于10%持续5分钟", "处理器低于5%持续1分钟", "处理器低于20%持续3分钟"};
  const std::string notDue = DueNow(false);
  const auto plant = [&](bool condition) {
    for (int i = 0; i < 10; ++i) {
      reg.WriteString(TaskValueName(TaskField::Schedule, n - 9 + i), condition ? kConditionTexts[i] : notDue);
    }
  };
  const int passes = 100;
  std::vector<double> with, without, ratio;
  for (int s = 0; s < samples; ++s) {
    plant(true);
    tick.RunPass();
    const double a = NowMs();
    for (int p = 0; p < passes; ++p) tick.RunPass();
    const double b = NowMs();
    plant(false);
    tick.RunPass();
    const double c = NowMs();
    for (int p = 0; p < passes; ++p) tick.RunPass();
    const double d = NowMs();
    with.push_back((b - a) * 1000.0 / passes);
    without.push_back((d - c) * 1000.0 / passes);
    ratio.push_back((b - a) / (d - c));
  }
  const Stats p = Of(with), f = Of(without), r = Of(ratio);
  std::printf("conditions N %d pass_us %.1f %.1f %.1f without_us %.1f %.1f %.1f ratio %.2f %.2f %.2f\n", n, p.median,
              p.min, p.max, f.median, f.min, f.max, r.median, r.min, r.max);
  return actions.calls == 0 ? 0 : 1;  // nothing may come due
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
  if (argc > 3 && std::string(argv[3]) == "history") return HistoryBench(reg, store, n, samples);
  if (argc > 3 && std::string(argv[3]) == "conditions") return ConditionsBench(reg, store, n, samples);

  Win32SystemClock systemClock;
  Win32DateFormatSource dateFormat;
  Matchers matchers(systemClock, dateFormat);
  Win32LocalClock localClock;
  NoTimers timers;
  NoActions actions;
  Win32UtcClock utcClock;
  SeenMinutes minutes(localClock, utcClock, systemClock);
  TickRunState tickState(timers);
  NoCountdown countdown;
  NoSensors sensors;
  SleepWatch awake(systemClock, [] {});
  Conditions conditions(sensors, awake);
  NoRecorder recorder;
  TaskTick tick(store, matchers, conditions, localClock, tickState, minutes, actions, countdown, recorder);

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
