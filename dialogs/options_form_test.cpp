#include "dialogs/options_form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

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
                        Case{0, '.', "0"}, Case{30, ',', "0,5"}, Case{2147483647, '.', "35791394.1166667"},
                        Case{1, '.', "0.0166666666666667"}, Case{-90, '.', "-1.5"}, Case{6000, '.', "100"}}) {
    EXPECT_EQ(MinutesText(c.seconds, c.sep), c.text) << c.seconds;
  }
}

TEST(Minutes, ParsedAndRoundedHalfToEven) {
  struct Case { const char* text; char sep; std::int32_t seconds; };
  for (const Case& c : {Case{"1.5", '.', 90}, Case{"0.5", '.', 30}, Case{"0", '.', 0},
                        Case{"1.66666666666667", '.', 100}, Case{".5", '.', 30}, Case{"2.", '.', 120},
                        Case{"0,5", ',', 30}, Case{"0.025", '.', 2},   // 1.5 s -> 2
                        Case{" 1 ", '.', 60}, Case{"1e1", '.', 600},
                        // Exact halves go to the even second, whichever way
                        // the decimal's binary approximation would lean.
                        Case{"2.075", '.', 124}, Case{"8.325", '.', 500}, Case{"-0.001", '.', 0},
                        Case{"0.00000000000000000000000000000000000000001", '.', 0}, Case{"1e-400", '.', 0},
                        Case{"35791394.1166667", '.', 2147483647}}) {
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
  EXPECT_EQ(ErrorOf([] { ParseMinutes("35791394.125", '.'); }), "TProgressBar property out of range");
  EXPECT_EQ(ErrorOf([] { ParseMinutes("1.7e308", '.'); }), "TProgressBar property out of range");
  EXPECT_EQ(ErrorOf([] { ParseMinutes("1.8e308", '.'); }), "'1.8e308' is not a valid floating point value");
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
  EXPECT_EQ(f.Of(kTishiValue).text, "1.66666666666667");
  EXPECT_FALSE(f.Of(kShutappValue).checked);
  EXPECT_FALSE(f.Of(kKaijiValue).checked);  // only 1 is on, as the agent reads it
  EXPECT_EQ(f.Of(kSoundpathValue).text, "a.wav");
  EXPECT_TRUE(f.autostart);
  Save(f);
  EXPECT_EQ(reg.ReadInteger("tishi"), 100);
  EXPECT_EQ(barMax, 100);
  EXPECT_EQ(reg.ReadInteger("kaiji"), 0);
  EXPECT_EQ(f.Of(kAwakeBatteryValue).text, "20");  // the default, written at start
  EXPECT_EQ(prog.writeLog,
            (std::vector<std::string>{"kaiji=#0", "tishi=#100", "shutapp=#0", "rejian=#1", "awakebattery=#20"}));
  EXPECT_EQ(Registry(run).ReadString("Ormile"), kQuotedExe);
}

// A check box shows a stored flag as the agent acts on it: shutapp and kaiji
// only at 1, rejian at any non-zero value.
TEST_F(OptionsFixture, ACheckBoxIsTickedExactlyWhenTheAgentActsOnTheFlag) {
  struct Case { const char* option; std::int32_t stored; bool on; };
  for (const Case& c : {Case{kShutappValue, 1, true}, Case{kShutappValue, 2, false}, Case{kShutappValue, -1, false},
                        Case{kKaijiValue, 2, false}, Case{kKaijiValue, 1, true}, Case{kRejianValue, 2, true},
                        Case{kRejianValue, 0, false}}) {
    prog.PlantDword(c.option, static_cast<std::uint32_t>(c.stored));
    EXPECT_EQ(ReadOptionsForm(reg, root, opts, kExe, '.').Of(c.option).checked, c.on) << c.option << c.stored;
    EXPECT_EQ(FlagIsOn(c.option, c.stored), c.on) << c.option << c.stored;
  }
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
  prog.PlantDword("tishi", 0xFFFFFFFB);  // -5: start-up did not use it, an OK could not store it
  EXPECT_EQ(ReadOptionsForm(reg, root, opts, kExe, '.').Of(kTishiValue).text, "1.66666666666667");
  prog.PlantString("tishi", "90");  // wrong type: the agent counts with its in-memory 100
  prog.PlantString("shutapp", "1");
  prog.values.erase("kaiji");
  opts.closeProgramsFirst = 1;
  run.PlantDword("Ormile", 1);
  OptionsForm f = ReadOptionsForm(reg, root, opts, kExe, '.');
  EXPECT_EQ(f.Of(kTishiValue).text, "1.66666666666667");
  EXPECT_TRUE(f.Of(kShutappValue).checked);
  EXPECT_FALSE(f.Of(kKaijiValue).checked);
  EXPECT_FALSE(f.autostart);
  EXPECT_EQ(f.Of(kSoundpathValue).text, "a.wav");
}

// Another program (an import from the command line) stored new options while
// the agent runs: the dialog shows them, and an OK that changes nothing
// keeps them and gives them to the agent, rather than storing its older
// in-memory copies over them.
TEST_F(OptionsFixture, OptionsStoredByAnotherProgramAreShownAndKept) {
  prog.PlantDword("rejian", 0);
  prog.PlantString("soundpath", "imported.wav");
  prog.PlantDword("shutapp", 1);
  OptionsForm f = ReadOptionsForm(reg, root, opts, kExe, '.');
  EXPECT_FALSE(f.Of(kRejianValue).checked);
  EXPECT_EQ(f.Of(kSoundpathValue).text, "imported.wav");
  EXPECT_TRUE(f.Of(kShutappValue).checked);
  Save(f);
  EXPECT_EQ(reg.ReadInteger("rejian"), 0);
  EXPECT_EQ(reg.ReadString("soundpath"), "imported.wav");
  EXPECT_EQ(opts.ctrlHotkeys, 0);
  EXPECT_EQ(opts.soundPath, "imported.wav");
  EXPECT_EQ(opts.closeProgramsFirst, 1);
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

TEST_F(OptionsFixture, UntickedAutostartThatCannotBeRemovedIsReported) {
  run.PlantString("Ormile", kExe);
  run.failWrites = {"Ormile"};  // as for a user without administrator rights
  OptionsForm f = ReadOptionsForm(reg, root, opts, kExe, '.');
  f.autostart = false;
  EXPECT_EQ(ErrorOf([&] { Save(f); }), "Failed to set data for 'Ormile'");
  EXPECT_EQ(Registry(run).ReadString("Ormile"), kExe);
}

TEST_F(OptionsFixture, SaveUpdatesInMemoryCopies) {
  OptionsForm f;
  f.Of(kTishiValue).text = "";
  f.Of(kSoundpathValue).text = "b.wav";
  f.Of(kShutappValue).checked = true;
  f.Of(kRejianValue).checked = true;
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
    f.Of(kTishiValue).text = bad;
    f.autostart = true;
    EXPECT_NE(ErrorOf([&] { Save(f); }), "(no error)");
    EXPECT_TRUE(prog.writeLog.empty());
    EXPECT_TRUE(run.writeLog.empty());
    EXPECT_EQ(opts.countdownSeconds, 100);
    EXPECT_EQ(barMax, -99);
  }
}

// A registry that refuses one write of a save, each write of either key in
// turn (each key counts its own writes, so the Run key's are refused too):
// the refusal is reported, exactly the writes that went through changed a
// value, the others keep their old content, and every option stays readable.
TEST_F(OptionsFixture, ARefusedWriteInEitherKeyIsReportedAndChangesNothingElse) {
  OptionsForm f;
  f.Of(kTishiValue).text = "1.5";
  f.Of(kSoundpathValue).text = "C:\\b.wav";
  f.Of(kShutappValue).checked = f.Of(kKaijiValue).checked = f.Of(kRejianValue).checked = f.autostart = true;
  const std::map<std::string, std::string> newLog = {{"kaiji", "kaiji=#1"}, {"tishi", "tishi=#90"},
                                                     {"soundpath", "soundpath=C:\\b.wav"},
                                                     {"shutapp", "shutapp=#1"}, {"rejian", "rejian=#1"},
                                                     {"awakebattery", "awakebattery=#20"}};
  for (const bool runKey : {false, true}) {
    int refusals = 0;
    for (int k = 1;; ++k) {
      FakeRegistryRoot fresh;
      FakeRegistryKey& p = fresh.Key(kProgramKeyPath);
      FakeRegistryKey& r = fresh.Key(kRunKeyPath);
      for (const char* name : {"kaiji", "shutapp", "rejian"}) p.PlantDword(name, 0);
      p.PlantDword("tishi", 100);
      p.PlantDword("awakebattery", 30);
      p.PlantString("soundpath", "a.wav");
      r.PlantString("Ormile", "D:\\old\\Ordavi.exe");
      const auto oldProgram = p.values;
      Registry freshReg(p);
      Options o;
      o.countdownSeconds = 100;
      o.soundPath = "a.wav";
      const Options before = o;
      std::int32_t bar = -1;
      FakeRegistryKey& failing = runKey ? r : p;
      failing.failWriteNumber = k;
      bool reported = false;
      try {
        SaveOptionsForm(freshReg, fresh, f, o, kExe, '.', [&](std::int32_t m) { bar = m; });
      } catch (const FrameworkError&) {
        reported = true;
      }
      const bool refused = failing.writesTried >= k;
      failing.failWriteNumber = 0;
      const std::string at = std::string(runKey ? "Run" : "program") + " key, write " + std::to_string(k);
      EXPECT_EQ(reported, refused) << at;  // the user is told
      if (reported) {  // the agent goes on with what it had
        EXPECT_EQ(o.countdownSeconds, before.countdownSeconds) << at;
        EXPECT_EQ(o.soundPath, before.soundPath) << at;
        EXPECT_EQ(o.closeProgramsFirst, before.closeProgramsFirst) << at;
        EXPECT_EQ(o.ctrlHotkeys, before.ctrlHotkeys) << at;
        EXPECT_EQ(bar, -1) << at;
      } else {
        EXPECT_EQ(o.countdownSeconds, 90) << at;
        EXPECT_EQ(bar, 90) << at;
      }
      for (const auto& [name, log] : newLog) {
        const bool written = std::find(p.writeLog.begin(), p.writeLog.end(), log) != p.writeLog.end();
        if (!written) {
          EXPECT_EQ(p.values[name].data, oldProgram.at(name).data) << name << ", " << at;
        }
      }
      // The save stops at a refused write: the program key's later values
      // are not written, and the Run key comes after them all.
      EXPECT_EQ(p.writeLog.size(), !runKey && refused ? std::size_t(k - 1) : newLog.size()) << at;
      if (!runKey && refused) {
        EXPECT_TRUE(r.writeLog.empty()) << at;
      }
      // The Run value: the new path once written, else the old one, or none
      // when only its write after the delete was refused.
      const bool ormileWritten = r.writeLog == std::vector<std::string>{std::string("Ormile=") + AutostartCommand(kExe)};
      if (ormileWritten) {
        EXPECT_EQ(Registry(r).ReadString("Ormile"), AutostartCommand(kExe)) << at;
      } else if (runKey && k == 2) {
        EXPECT_FALSE(r.values.count("Ormile")) << at;
      } else {
        EXPECT_EQ(Registry(r).ReadString("Ormile"), "D:\\old\\Ordavi.exe") << at;
      }
      Options loaded;
      EXPECT_TRUE(LoadOptions(freshReg, loaded, [] {}).empty()) << at;
      if (!refused) {
        EXPECT_TRUE(ormileWritten) << at;
        EXPECT_EQ(loaded.countdownSeconds, 90) << at;
        break;  // past the save's last write
      }
      ++refusals;
    }
    EXPECT_EQ(refusals, runKey ? 2 : 6) << "every write of the key was refused once";
  }
}

}  // namespace
}  // namespace ordavi
