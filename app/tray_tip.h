// The tray icon's tip: its first line as it always was ("Ordavi-启用",
// "Ordavi-禁用"), and while monitoring is on a second line naming the task
// that runs soonest, so a glance at the icon says what happens next.
#pragma once

#include <cstdint>
#include <string>

#include "schedule/schedule.h"
#include "schedule/soonest_run.h"
#include "store/tasks.h"

namespace ordavi {

// The tip record holds 63 characters and its NUL.
inline constexpr std::size_t kTipCharacters = 63;

// "下一个：今天 22:30 关闭计算机": the enabled task whose next clock time
// after the minute of `now` (the pass before has run this minute's) is the
// soonest (idle tasks have none, after-boot tasks past their minute and
// tasks that never run are left out; an unreadable task is skipped); empty
// when there is none.
std::string NextTaskLine(TaskStore& store, const ScheduleNow& now, std::uint32_t uptimeMinutes,
                         const std::string& shortDateFormat);

// The soonest task, searched again as SoonestRunReading says.
class NextTaskWatch {
 public:
  // The line as of `now`: searched afresh in a new minute or after
  // TasksChanged, the last search's otherwise.
  const std::string& Line(TaskStore& store, const ScheduleNow& now, std::uint32_t uptimeMinutes,
                          const std::string& shortDateFormat);
  // A settings dialog closed: the next line is searched afresh.
  void TasksChanged() { reading_.TasksChanged(); }

 private:
  SoonestRunReading reading_;
  std::string line_;
};

// The first line, and the second after a line break when there is one, the
// second cut at a character so that the tip keeps within kTipCharacters.
std::string TrayTip(const std::string& firstLine, const std::string& secondLine);

}  // namespace ordavi
