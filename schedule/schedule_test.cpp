#include "schedule/schedule.h"

#include <gtest/gtest.h>

#include <functional>

#include "schedule/next_run.h"
#include "schedule/testing/fake_clocks.h"
#include "store/errors.h"
#include "store/testing/error_of.h"

namespace ordavi {
namespace {

using testing::FakeSystemClock;
using testing::FixedDateFormat;

// 2024-03-05 is a Tuesday.
ScheduleNow At(int y, int mo, int d, int dow, int h, int mi, int s = 0) {
  ScheduleNow n;
  n.year = y;
  n.month = mo;
  n.day = d;
  n.dayOfWeek = dow;
  n.hour = h;
  n.minute = mi;
  n.second = s;
  return n;
}

using testing::ErrorOf;

class MatchersTest : public ::testing::Test {
 protected:
  FakeSystemClock clock;
  FixedDateFormat dates;
  Matchers m{clock, dates};

  bool Due(const std::string& text, const ScheduleNow& now) { return m.Match(*KindOf(text), now, text).due; }
  std::vector<std::string> Fields(const std::string& text) {
    return m.Match(*KindOf(text), At(2000, 1, 1, 6, 0, 0), text).fields;
  }
};

TEST(ScheduleKinds, KindIsTheFirstTwoCharacters) {
  EXPECT_EQ(KindOf("每天8时30分"), ScheduleKind::Daily);
  EXPECT_EQ(KindOf("空闲分钟"), ScheduleKind::Idle);
  EXPECT_EQ(KindOf("开机0时5分"), ScheduleKind::AfterBoot);
  EXPECT_EQ(KindOf("一次2024/3/5日8时30分"), ScheduleKind::Once);
  EXPECT_EQ(KindOf("每周"), ScheduleKind::Weekly);
  EXPECT_EQ(KindOf("每月1日9时0分"), ScheduleKind::Monthly);
  EXPECT_EQ(KindOf("每年12月31日23时59分"), ScheduleKind::Yearly);
  EXPECT_FALSE(KindOf("").has_value());
  EXPECT_FALSE(KindOf("每").has_value());
  EXPECT_FALSE(KindOf("daily").has_value());
  EXPECT_FALSE(KindOf("每日8时0分").has_value());
}

TEST(FieldScan, CutsAtSeparatorBytesAndSkipsTwoByteUnits) {
  // Worked example: MO, D, H, M.
  EXPECT_EQ(ScanFields("每年12月31日23时59分", "\xD4\xC8\xCA\xB7"),
            (std::vector<std::string>{"12", "31", "23", "59"}));
  EXPECT_EQ(ScanFields("空闲15分钟", "\xB7"), std::vector<std::string>{"15"});
  EXPECT_EQ(ScanFields("空闲分钟", "\xB7"), std::vector<std::string>{""});
  // Missing separator: the field runs to the end and every later one is empty.
  EXPECT_EQ(ScanFields("每天8", "\xCA\xB7"), (std::vector<std::string>{"8", ""}));
  EXPECT_EQ(ScanFields("每天", "\xCA\xB7"), (std::vector<std::string>{"", ""}));
  // Anything after the last separator is ignored.
  EXPECT_EQ(ScanFields("每天8时30分xyz", "\xCA\xB7"), (std::vector<std::string>{"8", "30"}));
}

TEST_F(MatchersTest, DailyIsDueForTheWholeMinuteOnly) {
  const std::string t = "每天8时30分";
  EXPECT_TRUE(Due(t, At(2024, 3, 5, 2, 8, 30, 0)));
  EXPECT_TRUE(Due(t, At(2024, 3, 5, 2, 8, 30, 59)));
  EXPECT_FALSE(Due(t, At(2024, 3, 5, 2, 8, 29, 59)));
  EXPECT_FALSE(Due(t, At(2024, 3, 5, 2, 8, 31, 0)));
  EXPECT_FALSE(Due(t, At(2024, 3, 5, 2, 20, 30, 0)));
}

TEST_F(MatchersTest, IdleCountsWholeMinutesAcrossATickWrap) {
  const std::string t = "空闲15分钟";
  clock.lastInput = 1000;
  clock.tick = 1000 + 15 * 60000 - 1;
  EXPECT_FALSE(Due(t, {}));
  clock.tick = 1000 + 15 * 60000;
  EXPECT_TRUE(Due(t, {}));
  clock.tick = 1000 + 16 * 60000 - 1;
  EXPECT_TRUE(Due(t, {}));
  clock.tick = 1000 + 16 * 60000;
  EXPECT_FALSE(Due(t, {}));
  // Last input just before the 32-bit tick count wrapped.
  clock.lastInput = 0xFFFFFFFFu - 5 * 60000;
  clock.tick = 10 * 60000;
  EXPECT_EQ(IdleMinutes(clock), 15u);
  EXPECT_TRUE(Due(t, {}));
  // N = 0: due while the last input is less than a minute old.
  clock.lastInput = clock.tick = 500;
  EXPECT_TRUE(Due("空闲0分钟", {}));
}

// A film: no input for an hour while the player keeps the display on. The
// idle minutes count from the last reading that found the request, also
// across a wrap of the tick count; without a request, from the last input.
TEST(ActivityClock, ADisplayRequestCountsAsInput) {
  struct Display : DisplayRequests {
    bool DisplayRequired() override { return on; }
    bool on = false;
  } display;
  testing::FakeSystemClock inner;
  ActivityClock clock(inner, display);
  inner.lastInput = 0xFFFFFFFFu - 30 * 60000;  // input just before the counter wraps
  inner.tick = 0xFFFFFFFFu - 20 * 60000;
  EXPECT_EQ(IdleMinutes(clock), 10u);
  display.on = true;
  for (std::uint32_t minute = 0; minute <= 60; minute += 10) {
    inner.tick = 0xFFFFFFFFu - 20 * 60000 + minute * 60000;
    EXPECT_EQ(IdleMinutes(clock), 0u) << minute;
  }
  display.on = false;  // the film ends at the last reading
  inner.tick += 15 * 60000;
  EXPECT_EQ(IdleMinutes(clock), 15u);
  inner.lastInput = inner.tick - 60000;  // input after the film counts as input
  EXPECT_EQ(IdleMinutes(clock), 1u);
}

TEST_F(MatchersTest, AfterBootTotalsHoursAndMinutesAndNeverComesRoundAfterTheWrap) {
  clock.tick = 135u * 60000u;
  EXPECT_TRUE(Due("开机1时75分", {}));
  EXPECT_FALSE(Due("开机2时16分", {}));
  clock.tick = 135u * 60000u + 59999u;
  EXPECT_TRUE(Due("开机2时15分", {}));
  clock.tick = 0xFFFFFFFFu;  // about 49.7 days: 71582 minutes
  EXPECT_EQ(UptimeMinutes(clock), 71582u);
  clock.tick += 5u * 60000u + 1;  // the 32-bit count wrapped; the uptime goes on
  EXPECT_EQ(clock.TickCount(), 5u * 60000u);
  EXPECT_EQ(UptimeMinutes(clock), 71587u);
  EXPECT_FALSE(Due("开机0时5分", {}));
  EXPECT_TRUE(Due("开机1193时7分", {}));
  // The list says what the tick does: passed.
  EXPECT_EQ(NextRunOf("开机0时5分", {}, UptimeMinutes(clock), "yyyy/M/d").when, NextRun::When::BootPassed);
  // A negative total is never due, also where uptime is 0.
  clock.tick = 0;
  EXPECT_FALSE(Due("开机0时-1分", {}));
  EXPECT_TRUE(Due("开机-1时60分", {}));
}

TEST_F(MatchersTest, WeeklyTreatsSevenAndZeroAsSunday) {
  const ScheduleNow sunday = At(2024, 3, 10, 0, 22, 0);
  const ScheduleNow monday = At(2024, 3, 11, 1, 22, 0);
  EXPECT_TRUE(Due("每周7日22时0分", sunday));
  EXPECT_TRUE(Due("每周0日22时0分", sunday));
  EXPECT_TRUE(Due("每周1日22时0分", monday));
  EXPECT_FALSE(Due("每周07日22时0分", sunday));  // only the exact text "7" means Sunday
  EXPECT_FALSE(Due("每周07日22时0分", At(2024, 3, 16, 6, 22, 0)));
  EXPECT_EQ(Fields("每周7日22时0分"), (std::vector<std::string>{"0", "22", "0"}));
  EXPECT_EQ(Fields("每周07日22时0分"), (std::vector<std::string>{"07", "22", "0"}));
}

TEST_F(MatchersTest, MonthlyAndYearlyNeverMatchMissingDays) {
  EXPECT_TRUE(Due("每月31日9时0分", At(2024, 3, 31, 0, 9, 0)));
  EXPECT_FALSE(Due("每月31日9时0分", At(2024, 4, 30, 2, 9, 0)));
  EXPECT_TRUE(Due("每年2月29日0时0分", At(2024, 2, 29, 4, 0, 0)));
  EXPECT_FALSE(Due("每年2月29日0时0分", At(2023, 2, 28, 2, 0, 0)));
  EXPECT_FALSE(Due("每年2月29日0时0分", At(2023, 3, 1, 3, 0, 0)));
  EXPECT_TRUE(Due("每年12月31日23时59分", At(2024, 12, 31, 2, 23, 59)));
}

TEST_F(MatchersTest, FieldsAreReturnedWhetherDueOrNot) {
  const std::string t = "每年12月31日23时59分";
  const MatchResult r = m.MatchYearly(At(2024, 1, 1, 1, 0, 0), t);
  EXPECT_FALSE(r.due);
  EXPECT_EQ(r.fields, (std::vector<std::string>{"12", "31", "23", "59"}));
  EXPECT_EQ(Fields("一次2024/3/5日8时30分"), (std::vector<std::string>{"2024/3/5", "8", "30"}));
  EXPECT_EQ(Fields("开机0时5分"), (std::vector<std::string>{"0", "5"}));
}

TEST_F(MatchersTest, OnceIsDueOnlyInItsMinuteOnItsDate) {
  const std::string t = "一次2024/3/5日8时30分";
  EXPECT_TRUE(Due(t, At(2024, 3, 5, 2, 8, 30, 45)));
  EXPECT_FALSE(Due(t, At(2024, 3, 5, 2, 8, 31)));
  EXPECT_FALSE(Due(t, At(2025, 3, 5, 3, 8, 30)));
  EXPECT_FALSE(Due(t, At(2024, 3, 6, 3, 8, 30)));
  // The date is read with the short date format in force when it is read.
  dates.format = "d-M-yyyy";
  EXPECT_TRUE(Due("一次5-3-2024日8时30分", At(2024, 3, 5, 2, 8, 30)));
  EXPECT_EQ(ErrorOf([&] { Due(t, At(2024, 3, 5, 2, 8, 30)); }), "'2024/3/5' is not a valid date");
}

TEST_F(MatchersTest, BadFieldsRaiseConversionErrorsOnlyWhenReached) {
  EXPECT_EQ(ErrorOf([&] { Due("空闲分钟", {}); }), "'' is not a valid integer value");
  EXPECT_EQ(ErrorOf([&] { Due("每天x时30分", At(2024, 3, 5, 2, 8, 30)); }), "'x' is not a valid integer value");
  // A bad hour of a weekly task is converted only on its weekday.
  EXPECT_EQ(ErrorOf([&] { Due("每周3日ab时0分", At(2024, 3, 5, 2, 8, 30)); }), "(no error)");
  EXPECT_EQ(ErrorOf([&] { Due("每周2日ab时0分", At(2024, 3, 5, 2, 8, 30)); }), "'ab' is not a valid integer value");
  EXPECT_EQ(ErrorOf([&] { Due("每天8时3O分", At(2024, 3, 5, 2, 7, 30)); }), "(no error)");
}

TEST_F(MatchersTest, OnlyTheKindWordYieldsEmptyFieldsAndIsNeverDue) {
  clock.tick = clock.lastInput = 0;
  for (const char* t : {"空闲", "开机", "一次", "每天", "每周", "每月", "每年"}) {
    MatchResult r;
    EXPECT_NO_THROW(r = m.Match(*KindOf(t), At(2024, 3, 5, 2, 0, 0), t)) << t;
    EXPECT_FALSE(r.due);
    for (const std::string& f : r.fields) EXPECT_EQ(f, "");
  }
}

TEST(Conversions, IntegersAreSignedDecimalWithin32Bits) {
  EXPECT_EQ(StrToInt("0"), 0);
  EXPECT_EQ(StrToInt("07"), 7);
  EXPECT_EQ(StrToInt("+15"), 15);
  EXPECT_EQ(StrToInt("-1"), -1);
  EXPECT_EQ(StrToInt("2147483647"), 2147483647);
  EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
  for (const char* bad : {"", "-", "+", " 1", "1 ", "1a", "0x10", "$10", "2147483648", "99999999999999999999", "１"}) {
    EXPECT_EQ(ErrorOf([&] { StrToInt(bad); }), std::string("'") + bad + "' is not a valid integer value");
  }
}

TEST(Conversions, DatesFollowTheFormatsOrderAndSeparator) {
  const struct {
    const char* format;
    const char* text;
    int y, m, d;
  } good[] = {
      {"yyyy/M/d", "2024/3/5", 2024, 3, 5},   {"yyyy/M/d", "2024/03/05", 2024, 3, 5},
      {"yyyy-MM-dd", "2024-03-05", 2024, 3, 5}, {"d.M.yyyy", "5.3.2024", 2024, 3, 5},
      {"M/d/yy", "3/5/24", 2024, 3, 5},       {"yyyy/M/d", "2024/2/29", 2024, 2, 29},
  };
  for (const auto& c : good) {
    const Date d = StrToDate(c.text, c.format);
    EXPECT_EQ(d.year, c.y) << c.text;
    EXPECT_EQ(d.month, c.m) << c.text;
    EXPECT_EQ(d.day, c.d) << c.text;
  }
  for (const char* bad : {"2024-3-5", "2023/2/29", "2024/13/1", "2024/0/1", "2024/3", "", "2024/3/5/1", "a/b/c"}) {
    EXPECT_EQ(ErrorOf([&] { StrToDate(bad, "yyyy/M/d"); }), std::string("'") + bad + "' is not a valid date");
  }
}

TEST(Conversions, DatesWrittenWithAFormatReadBack) {
  for (const char* f : {"yyyy/M/d", "yyyy-MM-dd", "dd.MM.yyyy", "M/d/yy", "yyyy'/'M'/'d"}) {
    const Date d = StrToDate(DateToStr({2024, 3, 5}, f), f);
    EXPECT_EQ(d.year, 2024) << f;
    EXPECT_EQ(d.month, 3) << f;
    EXPECT_EQ(d.day, 5) << f;
  }
  EXPECT_EQ(DateToStr({2024, 3, 5}, "yyyy/M/d"), "2024/3/5");
  EXPECT_EQ(DateToStr({2024, 3, 5}, "yyyy-MM-dd"), "2024-03-05");
}

}  // namespace
}  // namespace ordavi
