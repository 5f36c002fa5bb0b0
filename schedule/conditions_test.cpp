#include "schedule/conditions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "schedule/testing/fake_clocks.h"
#include "schedule/testing/fake_conditions.h"

namespace ordavi {
namespace {

using testing::FakeConditionSensors;

// Table: condition texts through the grammar: the kind, the fields as read,
// why the tick never finds it due, and the text composed again from its
// fields.
TEST(ConditionGrammar, ReadsExactTextsAndRefusesTheRest) {
  const struct {
    const char* text;
    ScheduleKind kind;
    std::vector<std::string> fields;
    const char* never;
  } cases[] = {
      {"程序结束后：thunder.exe", ScheduleKind::ProgramEnds, {"thunder.exe"}, nullptr},
      {"程序结束后：迅雷 下载.exe", ScheduleKind::ProgramEnds, {"迅雷 下载.exe"}, nullptr},
      {"程序结束后：", ScheduleKind::ProgramEnds, {""}, kNeverUnreadable},
      {"程序结束后：   ", ScheduleKind::ProgramEnds, {"   "}, kNeverUnreadable},
      {"程序结束后：C:\\dl\\a.exe", ScheduleKind::ProgramEnds, {"C:\\dl\\a.exe"}, kNeverUnreadable},
      {"程序结束后：a?.exe", ScheduleKind::ProgramEnds, {"a?.exe"}, kNeverUnreadable},
      {"程序结束：a.exe", ScheduleKind::ProgramEnds, {""}, kNeverUnreadable},  // not its lead
      {"网速低于50KB/s持续3分钟", ScheduleKind::NetworkQuiet, {"50", "3"}, nullptr},
      {"网速低于1048576KB/s持续1440分钟", ScheduleKind::NetworkQuiet, {"1048576", "1440"}, nullptr},
      {"网速低于0KB/s持续3分钟", ScheduleKind::NetworkQuiet, {"0", "3"}, kNeverOutOfRange},
      {"网速低于1048577KB/s持续3分钟", ScheduleKind::NetworkQuiet, {"1048577", "3"}, kNeverOutOfRange},
      {"网速低于50KB/s持续0分钟", ScheduleKind::NetworkQuiet, {"50", "0"}, kNeverOutOfRange},
      {"网速低于50KB/s持续1441分钟", ScheduleKind::NetworkQuiet, {"50", "1441"}, kNeverOutOfRange},
      {"网速低于+50KB/s持续3分钟", ScheduleKind::NetworkQuiet, {"+50", "3"}, kNeverUnreadable},
      {"网速低于50KB/s持续3分钟后", ScheduleKind::NetworkQuiet, {"50", "3"}, kNeverUnreadable},  // more than its units
      {"网速低于50KB/s", ScheduleKind::NetworkQuiet, {"50KB/s", ""}, kNeverUnreadable},  // a unit missing
      {"网速低于50持续3分钟", ScheduleKind::NetworkQuiet, {"50持续3分钟", ""}, kNeverUnreadable},
      {"处理器低于10%持续5分钟", ScheduleKind::ProcessorQuiet, {"10", "5"}, nullptr},
      {"处理器低于99%持续1分钟", ScheduleKind::ProcessorQuiet, {"99", "1"}, nullptr},
      {"处理器低于100%持续5分钟", ScheduleKind::ProcessorQuiet, {"100", "5"}, kNeverOutOfRange},
      {"处理器低于 10%持续5分钟", ScheduleKind::ProcessorQuiet, {" 10", "5"}, kNeverUnreadable},
  };
  for (const auto& c : cases) {
    const ScheduleReading r = ReadSchedule(c.text, "yyyy/M/d");
    ASSERT_TRUE(r.kind) << c.text;
    EXPECT_EQ(*r.kind, c.kind) << c.text;
    EXPECT_EQ(RowOf(c.kind).timing, KindTiming::Condition);
    EXPECT_EQ(r.texts, c.fields) << c.text;
    EXPECT_STREQ(r.never ? r.never : "", c.never ? c.never : "") << c.text;
    if (!c.never) {
      EXPECT_EQ(ScheduleText(c.kind, r.texts), c.text);
    }
  }
}

// An older reader knows the clock and counter kinds only: none of their
// words begins a condition text, and no condition word begins theirs.
TEST(ConditionGrammar, OlderKindsNeverMistakeAConditionText) {
  for (const ScheduleKindRow& row : kScheduleKinds) {
    const std::string sample = ScheduleText(row.kind, {"1", "2", "3", "4"});
    for (const ScheduleKindRow& other : kScheduleKinds) {
      if (other.kind == row.kind) continue;
      EXPECT_NE(sample.compare(0, kKindWordBytes, other.word), 0) << sample << " / " << other.word;
    }
  }
}

// Table: octets moved between two samples of the interface table.
TEST(ConditionCounters, OctetsBetweenSamples) {
  using A = AdapterOctets;
  const struct {
    const char* what;
    std::vector<A> before, after;
    std::uint64_t moved;
    std::uint64_t ms = 10000;
  } cases[] = {
      {"two adapters summed", {{1, 100, 50}, {2, 0, 0}}, {{1, 300, 60}, {2, 1000, 24}}, 200 + 10 + 1000 + 24},
      {"a 32-bit counter wraps", {{1, 0xFFFFFF00u, 10}}, {{1, 0x100, 10}}, 0x200},
      {"a 32-bit counter that went back after more than a tick was reset", {{1, 0xFFFFFF00u, 10}}, {{1, 0x100, 10}}, 0,
       20000},
      {"a 64-bit counter past 32 bits", {{1, 0xFFFFFF00u, 0, true}}, {{1, 0x1000000FFull, 0, true}}, 0x1FF},
      {"a 64-bit counter reset", {{1, 0x1000000FFull, 7, true}}, {{1, 5, 9, true}}, 2},
      {"an adapter that went away counts nothing", {{1, 0, 0}, {2, 5, 5}}, {{2, 15, 5}}, 10},
      {"an adapter that came counts nothing", {{2, 5, 5}}, {{1, 9999, 9999}, {2, 15, 5}}, 10},
  };
  for (const auto& c : cases) EXPECT_EQ(OctetsBetween(c.before, c.after, c.ms), c.moved) << c.what;
  EXPECT_DOUBLE_EQ(*ProcessorPercent({100, 200, 200}, {160, 400, 400}), 85.0);  // 340 of 400 busy
  EXPECT_FALSE(ProcessorPercent({100, 200, 200}, {100, 200, 200}));
}

// Drives one task through passes ten seconds apart.
struct ConditionRun {
  explicit ConditionRun(const std::string& text) : text(text) {}
  bool Pass() {
    c.BeginPass();
    const bool due = c.Due(1, text, ReadSchedule(text, ""));
    c.EndPass();
    awake.ms += 10000;
    return due;
  }
  std::string text;
  FakeConditionSensors sensors;
  testing::FakeAwakeClock awake;
  Conditions c{sensors, awake};
};

// Passes (1-based) at which a quiet task is due, given the traffic in KB/s
// of the ten seconds before each pass, on one adapter.
std::vector<int> NetworkDuePasses(const std::string& text, const std::vector<int>& kbps) {
  ConditionRun run(text);
  std::vector<int> due;
  std::uint64_t octets = 0xFFF00000u;  // the 32-bit counter wraps on the way
  for (std::size_t i = 0; i < kbps.size(); ++i) {
    octets += static_cast<std::uint64_t>(kbps[i]) * 10 * 1024;
    run.sensors.adapters = std::vector<AdapterOctets>{{7, octets & 0xFFFFFFFFu, 0}};
    if (run.Pass()) due.push_back(static_cast<int>(i + 1));
  }
  return due;
}

std::vector<int> Repeat(std::vector<int> v, int value, int n) {
  v.insert(v.end(), n, value);
  return v;
}

// Table: recorded traffic and when "below 50 KB/s for 1 minute" is due.
TEST(ConditionMatchers, NetworkQuietAfterTrafficAboveIt) {
  const std::string t = "网速低于50KB/s持续1分钟";
  // A download at 400 KB/s for half a minute, then 3 KB/s: the quiet minute
  // counts from the pass that ended the download (pass 5), due at pass 11,
  // and once only.
  EXPECT_EQ(NetworkDuePasses(t, Repeat({0, 400, 400, 400, 400}, 3, 20)), std::vector<int>{11});
  // Never above it since armed: never due.
  EXPECT_EQ(NetworkDuePasses(t, Repeat({}, 10, 30)), std::vector<int>{});
  // A rise within the quiet minute starts it again; a second download, a second run.
  EXPECT_EQ(NetworkDuePasses(t, Repeat(Repeat(Repeat({0, 400, 3, 3, 3, 60, 3}, 3, 6), 500, 2), 0, 7)),
            (std::vector<int>{12, 21}));
  // Exactly the threshold counts as traffic.
  EXPECT_EQ(NetworkDuePasses(t, Repeat({0, 50}, 50, 10)), std::vector<int>{});
}

TEST(ConditionMatchers, ProcessorQuietAndUnreadableCounters) {
  ConditionRun run("处理器低于10%持续1分钟");
  ProcessorTimes t;
  const auto pass = [&](int percent) {
    t.kernel += 1000;  // kernel time includes idle
    t.idle += 1000 - 10 * static_cast<std::uint64_t>(percent);
    run.sensors.times = t;
    return run.Pass();
  };
  std::vector<int> due;
  const std::vector<int> load = Repeat({0, 90, 90}, 2, 10);
  for (std::size_t i = 0; i < load.size(); ++i) {
    if (pass(load[i])) due.push_back(static_cast<int>(i + 1));
  }
  EXPECT_EQ(due, std::vector<int>{9});
  EXPECT_EQ(run.c.StateOf(1, run.text)->stage, ConditionState::Stage::Waiting);

  // No counters on this PC: the task says so and is never due.
  run.sensors.times.reset();
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(run.Pass());
  EXPECT_EQ(run.c.StateOf(1, run.text)->stage, ConditionState::Stage::Unread);
}

// Table: recorded process lists and the passes at which "after dl.exe ends"
// is due.
TEST(ConditionMatchers, ProgramEndsOncePerEnd) {
  using L = std::vector<std::string>;
  const struct {
    const char* what;
    std::vector<L> lists;
    std::vector<int> due;
  } cases[] = {
      {"runs, then ends", {{}, {"DL.EXE"}, {"x.exe", "dl.exe"}, {"x.exe"}, {}}, {4}},
      {"not running since armed", {{}, {}, {"x.exe"}}, {}},
      {"started twice: due when the last one ends", {{"dl.exe"}, {"dl.exe", "dl.exe"}, {"dl.exe"}, {}, {}}, {4}},
      {"started again after its end: due again", {{"dl.exe"}, {}, {}, {"dl.exe"}, {}}, {2, 5}},
      {"another program with the name inside", {{"mydl.exe"}, {}}, {}},
  };
  for (const auto& c : cases) {
    ConditionRun run("程序结束后：dl.exe");
    std::vector<int> due;
    for (std::size_t i = 0; i < c.lists.size(); ++i) {
      run.sensors.programs = c.lists[i];
      if (run.Pass()) due.push_back(static_cast<int>(i + 1));
    }
    EXPECT_EQ(due, c.due) << c.what;
  }
}

// Disabling the task, changing its text or restarting the agent starts it
// again from its beginning: an end seen only before is not an end.
TEST(ConditionMatchers, ArmedAgainAfterDisableTextChangeOrRestart) {
  ConditionRun run("程序结束后：dl.exe");
  run.sensors.programs = std::vector<std::string>{"dl.exe"};
  EXPECT_FALSE(run.Pass());
  run.c.BeginPass();  // a pass while the task is disabled
  run.c.EndPass();
  run.sensors.programs->clear();
  EXPECT_FALSE(run.Pass());

  run.sensors.programs = std::vector<std::string>{"dl.exe"};
  EXPECT_FALSE(run.Pass());
  run.text = "程序结束后：DL.exe";
  run.sensors.programs->clear();
  EXPECT_FALSE(run.Pass());

  run.sensors.programs = std::vector<std::string>{"DL.exe"};
  EXPECT_FALSE(run.Pass());
  Conditions restarted{run.sensors, run.awake};
  run.sensors.programs->clear();
  restarted.BeginPass();
  EXPECT_FALSE(restarted.Due(1, run.text, ReadSchedule(run.text, "")));
  restarted.EndPass();
  EXPECT_EQ(restarted.StateOf(1, run.text)->stage, ConditionState::Stage::Waiting);

  // One process list for every program task of a pass.
  const int reads = run.sensors.programReads;
  run.c.BeginPass();
  run.c.Due(1, run.text, ReadSchedule(run.text, ""));
  run.c.Due(2, "程序结束后：b.exe", ReadSchedule("程序结束后：b.exe", ""));
  run.c.EndPass();
  EXPECT_EQ(run.sensors.programReads, reads + 1);
}

}  // namespace
}  // namespace ordavi
