// The tray icon's tip: its first line as it always was ("Ordavi-启用",
// "Ordavi-禁用"), and while monitoring is on a second line naming the task
// that runs soonest, so a glance at the icon says what happens next.
#pragma once

#include <cstdint>
#include <string>

#include "schedule/schedule.h"
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

// The soonest task, read again at most once a minute (a tick every ten
// seconds would otherwise read every task twice).
class NextTaskWatch {
 public:
  // The line as of `now`: read afresh when the minute differs from the last
  // reading's, the last reading's otherwise.
  const std::string& Line(TaskStore& store, const ScheduleNow& now, std::uint32_t uptimeMinutes,
                          const std::string& shortDateFormat);

 private:
  long long readMinute_ = -1;
  std::string line_;
};

// The first line, and the second after a line break when there is one, the
// second cut at a character so that the tip keeps within kTipCharacters.
std::string TrayTip(const std::string& firstLine, const std::string& secondLine);

}  // namespace ordavi
