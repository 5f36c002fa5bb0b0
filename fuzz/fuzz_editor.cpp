// The task editor's checks and composition with any text in its boxes: a
// form the check accepts composes a schedule text of the chosen kind that
// its matcher reads without a conversion error, and filling the form back
// from a stored text and composing again settles at once (weekday 7 comes
// back as 0, both Sunday; after that the text stays as it is).
#include <cstddef>
#include <cstdint>
#include <string>

#include "dialogs/task_form.h"
#include "fuzz/input.h"
#include "schedule/testing/fake_clocks.h"
#include "store/errors.h"

namespace {

using namespace ordavi;

const char* const kFormats[] = {"yyyy/M/d", "yyyy-MM-dd", "M/d/yyyy", "d.M.yyyy"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  testing::FixedDateFormat dates;
  dates.format = kFormats[in.Byte() % 4];
  TaskForm form;
  const std::uint8_t k = in.Byte();
  if (k < kScheduleKindCount * 20) form.kind = kScheduleKinds[k % kScheduleKindCount].kind;
  // The date picker only ever holds a date that exists, a time picker a time.
  form.date.year = 1990 + in.Byte();
  form.date.month = 1 + in.Byte() % 12;
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const int y = form.date.year, m = form.date.month;
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  form.date.day = 1 + in.Byte() % (m == 2 && leap ? 29 : kDays[m - 1]);
  for (std::size_t r = 0; r < kScheduleKindCount; ++r) {
    const ScheduleKindRow& row = kScheduleKinds[r];
    for (std::size_t i = 0; i < row.count; ++i) {
      const ScheduleField field = row.fields[i].field;
      form.fields[r][i] = field == ScheduleField::Hour     ? std::to_string(in.Byte() % 24)
                          : field == ScheduleField::Minute ? std::to_string(in.Byte() % 60)
                                                           : in.Text(12);
    }
  }
  form.type = in.Text(16);
  form.param = in.Rest();

  if (CheckTaskForm(form)) return 0;  // refused with a message: nothing is stored
  if (!form.kind) __builtin_trap();   // no kind chosen must be refused
  const std::string text = ComposeSchedule(form, dates.format);
  const auto kind = KindOf(text);
  if (!kind || *kind != *form.kind) __builtin_trap();
  testing::FakeSystemClock clock;
  clock.tick = 3600000;
  Matchers matchers(clock, dates);
  ScheduleNow now;
  now.year = 2026, now.month = 12, now.day = 8, now.dayOfWeek = 2, now.hour = 10;
  try {
    matchers.Match(*kind, now, text);
  } catch (const FrameworkError&) {
    __builtin_trap();  // an accepted form must never store a text the tick cannot read
  }
  // Filled back from the stored text and composed again, twice: the second
  // round must give the first round's text.
  std::string stored = text;
  for (int round = 0; round < 2; ++round) {
    TaskForm again;
    TaskRecord task;
    task.number = 1;
    task.schedule = stored;
    task.type = form.type;
    task.param = form.param;
    try {
      FillTaskForm(again, task, now, dates.format);
    } catch (const FrameworkError&) {
      __builtin_trap();
    }
    const std::string composed = ComposeSchedule(again, dates.format);
    if (round == 1 && composed != stored) __builtin_trap();
    stored = composed;
  }
  return 0;
}
