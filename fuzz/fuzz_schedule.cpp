// Any bytes as a schedule text, at any moment, idle time and uptime, under
// several short date formats: the field scan, the kind and every matcher must
// either answer or raise the framework's conversion error; the grammar's
// reading and the condition matchers must answer.
#include <cstddef>
#include <cstdint>

#include "fuzz/input.h"
#include "schedule/conditions.h"
#include "schedule/next_run.h"
#include "schedule/testing/fake_clocks.h"
#include "schedule/testing/fake_conditions.h"
#include "schedule/schedule.h"
#include "store/errors.h"

namespace {

using namespace ordavi;

const char* const kFormats[] = {"yyyy/M/d", "yyyy-MM-dd", "M/d/yyyy", "d.M.yyyy", "yy/M/d", "dd/MM/yy", "", "y"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  testing::FakeSystemClock clock;
  clock.tick = in.U32();
  clock.lastInput = in.U32();
  testing::FixedDateFormat dates;
  dates.format = kFormats[in.Byte() % (sizeof kFormats / sizeof kFormats[0])];
  ScheduleNow now;
  now.year = static_cast<std::uint16_t>(1990 + in.Byte());
  now.month = static_cast<std::uint16_t>(1 + in.Byte() % 12);
  now.day = static_cast<std::uint16_t>(1 + in.Byte() % 31);
  now.dayOfWeek = static_cast<std::uint16_t>(in.Byte() % 7);
  now.hour = static_cast<std::uint16_t>(in.Byte() % 24);
  now.minute = static_cast<std::uint16_t>(in.Byte() % 60);
  now.second = static_cast<std::uint16_t>(in.Byte() % 60);
  const std::string text = in.Rest();

  Matchers matchers(clock, dates);
  ScanFields(text, "时分");
  const auto kind = KindOf(text);
  for (const ScheduleKindRow& row : kScheduleKinds) {
    const ScheduleKind k = row.kind;
    try {
      const MatchResult r = matchers.Match(k, now, text);
      if (kind && *kind == k && r.due && r.fields.empty()) __builtin_trap();  // due needs its fields
    } catch (const FrameworkError&) {
      // a field that does not convert: the tick skips the task and says so
    }
  }
  const ScheduleReading reading = ReadSchedule(text, dates.format);
  testing::FakeConditionSensors sensors;
  testing::FakeAwakeClock awake;
  sensors.programs = std::vector<std::string>{text};
  Conditions conditions(sensors, awake);
  for (int pass = 0; pass < 2; ++pass) {
    conditions.BeginPass();
    conditions.Due(1, text, reading);
    conditions.EndPass();
    sensors.programs->clear();
    awake.ms += 10000;
  }
  if (const auto state = conditions.StateOf(1, text)) {
    NextRunText(WithConditionState(NextRunOf(text, now, 0, dates.format), text, *state), now, dates.format);
  }
  try {
    const Date d = StrToDate(text, dates.format);
    DateToStr(d, dates.format);
  } catch (const FrameworkError&) {
  }
  try {
    StrToInt(text);
  } catch (const FrameworkError&) {
  }
  return 0;
}
