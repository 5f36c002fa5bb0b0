#include "dialogs/options_form.h"

#include <gtest/gtest.h>

#include "store/errors.h"
#include "store/testing/error_of.h"
#include "store/testing/fake_registry.h"

namespace ordavi {
namespace {

using testing::ErrorOf;
using testing::FakeRegistryKey;
using testing::FakeRegistryRoot;

const char* const kExe = "C:\\Program Files\\Ordavi\\Ordavi.exe";
const char* const kQuotedExe = "\"C:\\Program Files\\Ordavi\\Ordavi.exe\"";

TEST(Minutes, ShownWithFifteenSignificantDigits) {
  struct Case { std::int32_t seconds; char sep; const char* text; };
  for (const Case& c : {Case{60, '.', "1"}, Case{90, '.', "1.5"}, Case{100, '.', "1.66666666666667"},
                        Case{0, '.', "0"}, Case{30, ',', "0,5"}, Case{2147483647, '.', "35791394.1166667"}}) {
    EXPECT_EQ(MinutesText(c.seconds, c.sep), c.text) << c.seconds;
  }
}

TEST(Minutes, ParsedAndRoundedHalfToEven) {
  struct Case { const char* text; char sep; std::int32_t seconds; };
  for (const Case& c : {Case{"1.5", '.', 90}, Case{"0.5", '.', 30}, Case{"0", '.', 0},
                        Case{"1.66666666666667", '.', 100}, Case{".5", '.', 30}, Case{"2.", '.', 120},
                        Case{"0,5", ',', 30}, Case{"0.025", '.', 2},   // 1.5 s -> 2
                        Case{" 1 ", '.', 60}, Case{"1e1", '.', 600}}) {
    EXPECT_EQ(ParseMinutes(c.text, c.sep), c.seconds) << c.text;
  }
}

TEST(Minutes, BadTextsRaiseTheConversionOrRangeError) {
  for (const char* bad : {"1.2.3", ".", "", "abc", "1,5", "1e", "--1"}) {
    EXPECT_EQ(ErrorOf([&] { ParseMinutes(bad, '.'); }),
              std::string("'") + bad + "' is not a valid floating point value");
  }
  EXPECT_EQ(ErrorOf([] { ParseMinutes("-1", '.'); }), "TProgressBar property out of range");
  EXPECT_EQ(ErrorOf([] { ParseMinutes("40000000", '.'); }), "TProgressBar property out of range");
}

struct OptionsFixture : ::testing::Test {
  FakeRegistryRoot root;
  FakeRegistryKey& prog = root.Key(kProgramKeyPath);
  FakeRegistryKey& run = root.Key(kRunKeyPath);
  Registry reg{prog};
  Options opts;
  std::int32_t barMax = -99;
  void SetUp() override {
    prog.PlantDword("tishi", 100);
    prog.PlantDword("shutapp", 0);
    prog.PlantDword("kaiji", 2);
    opts.countdownSeconds = 100;
    opts.soundPath = "a.wav";
  }
  void Save(const OptionsForm& f) { SaveOptionsForm(reg, root, f, opts, kExe, '.', [&](std::int32_t m) { barMax = m; }); }
};

TEST_F(OptionsFixture, ShowThenSaveUnchangedKeepsEverything) {
  run.PlantString("Ormile", kQuotedExe);
  OptionsForm f = ReadOptionsForm(reg, root, opts, kExe, '.');
  EXPECT_EQ(f.minutes, "1.66666666666667");
  EXPECT_FALSE(f.closeApps);
  EXPECT_TRUE(f.bootTime);  // any non-zero kaiji
  EXPECT_EQ(f.soundPath, "a.wav");
  EXPECT_TRUE(f.autostart);
  Save(f);
  EXPECT_EQ(reg.ReadInteger("tishi"), 100);
  EXPECT_EQ(barMax, 100);
  EXPECT_EQ(reg.ReadInteger("kaiji"), 1);
  EXPECT_EQ(prog.writeLog, (std::vector<std::string>{"kaiji=#1", "tishi=#100", "shutapp=#0", "rejian=#1"}));
  EXPECT_EQ(Registry(run).ReadString("Ormile"), kQuotedExe);
}

// An unquoted path (as earlier versions wrote it) still counts as on and is
// stored quoted at the next save; any other text counts as off.
TEST_F(OptionsFixture, AutostartIsStoredQuotedAndAnOldUnquotedValueIsRewritten) {
  struct Case { const char* stored; bool on; };
  for (const Case& c : {Case{kExe, true}, Case{kQuotedExe, true}, Case{"\"D:\\Ordavi.exe\"", false},
                        Case{"C:\\Program", false}}) {
    run.PlantString("Ormile", c.stored);
    OptionsForm f = ReadOptionsForm(reg, root, opts, kExe, '.');
    EXPECT_EQ(f.autostart, c.on) << c.stored;
    f.autostart = true;
    Save(f);
    EXPECT_EQ(Registry(run).ReadString("Ormile"), kQuotedExe) << c.stored;
  }
}

TEST_F(OptionsFixture, UnreadableValuesShowWhatTheAgentUsesSoThatEveryControlIsFilled) {
  prog.PlantString("tishi", "90");  // wrong type: the agent counts with its in-memory 100
  prog.PlantString("shutapp", "1");
  prog.values.erase("kaiji");
  opts.closeProgramsFirst = 1;
  run.PlantDword("Ormile", 1);
  OptionsForm f = ReadOptionsForm(reg, root, opts, kExe, '.');
  EXPECT_EQ(f.minutes, "1.66666666666667");
  EXPECT_TRUE(f.closeApps);
  EXPECT_FALSE(f.bootTime);
  EXPECT_FALSE(f.autostart);
  EXPECT_EQ(f.soundPath, "a.wav");
}

TEST_F(OptionsFixture, AutostartOfAnotherPathShowsClearedAndIsReplacedOrDeleted) {
  run.PlantString("Ormile", "D:\\old\\Ordavi.exe");
  OptionsForm f = ReadOptionsForm(reg, root, opts, kExe, '.');
  EXPECT_FALSE(f.autostart);
  Save(f);
  EXPECT_FALSE(run.values.count("Ormile"));
  run.PlantString("Ormile", "D:\\old\\Ordavi.exe");
  f.autostart = true;
  Save(f);
  EXPECT_EQ(Registry(run).ReadString("Ormile"), kQuotedExe);
}

TEST_F(OptionsFixture, SaveUpdatesInMemoryCopies) {
  OptionsForm f;
  f.minutes = "";
  f.soundPath = "b.wav";
  f.closeApps = true;
  f.ctrlKeys = true;
  Save(f);
  EXPECT_EQ(opts.countdownSeconds, 60);
  EXPECT_EQ(opts.soundPath, "b.wav");
  EXPECT_EQ(opts.closeProgramsFirst, 1);
  EXPECT_EQ(opts.ctrlHotkeys, 1);
  EXPECT_EQ(reg.ReadString("soundpath"), "b.wav");
  EXPECT_EQ(reg.ReadInteger("kaiji"), 0);
}

TEST_F(OptionsFixture, BadMinutesWriteNothing) {
  for (const char* bad : {"1.2.3", "-2"}) {
    OptionsForm f;
    f.minutes = bad;
    f.autostart = true;
    EXPECT_NE(ErrorOf([&] { Save(f); }), "(no error)");
    EXPECT_TRUE(prog.writeLog.empty());
    EXPECT_TRUE(run.writeLog.empty());
    EXPECT_EQ(opts.countdownSeconds, 100);
    EXPECT_EQ(barMax, -99);
  }
}

// A registry that refuses one write, for every write of a save: the refusal
// is reported, and every option can still be read at the next start.
TEST_F(OptionsFixture, ARefusedWriteDuringASaveIsReportedAndEveryOptionStaysReadable) {
  OptionsForm f;
  f.minutes = "1.5";
  f.soundPath = "C:\\b.wav";
  f.closeApps = f.bootTime = f.ctrlKeys = f.autostart = true;
  for (int k = 1;; ++k) {
    FakeRegistryRoot fresh;
    FakeRegistryKey& p = fresh.Key(kProgramKeyPath);
    FakeRegistryKey& r = fresh.Key(kRunKeyPath);
    Registry freshReg(p);
    Options o;
    o.soundPath = "a.wav";
    const Options before = o;
    std::int32_t bar = -1;
    r.PlantString("Ormile", kExe);  // its delete is refused in one round
    p.failWriteNumber = k;
    r.failWriteNumber = k;  // each key counts its own writes
    bool refused = false;
    try {
      SaveOptionsForm(freshReg, fresh, f, o, kExe, '.', [&](std::int32_t m) { bar = m; });
    } catch (const FrameworkError&) {
      refused = true;
    }
    const bool aWriteWasRefused = p.writesTried >= k || r.writesTried >= k;
    p.failWriteNumber = r.failWriteNumber = 0;
    EXPECT_EQ(refused, aWriteWasRefused) << "write " << k;  // the user is told
    if (refused) {  // the agent goes on with what it had
      EXPECT_EQ(o.countdownSeconds, before.countdownSeconds) << "write " << k;
      EXPECT_EQ(o.soundPath, before.soundPath) << "write " << k;
      EXPECT_EQ(o.closeProgramsFirst, before.closeProgramsFirst) << "write " << k;
      EXPECT_EQ(o.ctrlHotkeys, before.ctrlHotkeys) << "write " << k;
      EXPECT_EQ(bar, -1) << "write " << k;
    } else {
      EXPECT_EQ(o.countdownSeconds, 90);
      EXPECT_EQ(bar, 90);
    }
    Options loaded;
    EXPECT_TRUE(LoadOptions(freshReg, loaded, [] {}).empty()) << "write " << k;
    if (!aWriteWasRefused) break;  // past the save's last write
  }
}

}  // namespace
}  // namespace ordavi
