#include "app/tray_tip.h"

#include <optional>

#include "schedule/soonest_run.h"

namespace ordavi {

namespace {
// Characters of a GBK text: a byte from 0x81 starts a two-byte character.
std::size_t GbkLength(const std::string& text, std::size_t* cutAt = nullptr, std::size_t limit = 0) {
  std::size_t chars = 0, i = 0;
  while (i < text.size()) {
    const std::size_t width = static_cast<unsigned char>(text[i]) >= 0x81 && i + 1 < text.size() ? 2 : 1;
    if (cutAt && chars == limit) break;
    i += width;
    ++chars;
  }
  if (cutAt) *cutAt = i;
  return chars;
}
}  // namespace

std::string NextTaskLine(TaskStore& store, const ScheduleNow& now, std::uint32_t uptimeMinutes,
                         const std::string& shortDateFormat) {
  // The tip is worked out after a pass, which has run whatever was due in
  // this minute: the search starts at the next one.
  const std::optional<SoonestRun> soonest = SoonestRunAfter(store, now, uptimeMinutes, shortDateFormat, false);
  if (!soonest) return std::string();
  return "下一个：" + NextRunTextOf(soonest->task, soonest->next, now, shortDateFormat) + " " + soonest->task.type;
}

const std::string& NextTaskWatch::Line(TaskStore& store, const ScheduleNow& now, std::uint32_t uptimeMinutes,
                                       const std::string& shortDateFormat) {
  if (reading_.SearchAgain(now)) line_ = NextTaskLine(store, now, uptimeMinutes, shortDateFormat);
  return line_;
}

std::string TrayTip(const std::string& firstLine, const std::string& secondLine) {
  if (secondLine.empty()) return firstLine;
  const std::size_t used = GbkLength(firstLine) + 1;  // and the line break
  if (used >= kTipCharacters) return firstLine;
  std::size_t cut = 0;
  GbkLength(secondLine, &cut, kTipCharacters - used);
  return firstLine + "\n" + secondLine.substr(0, cut);
}

}  // namespace ordavi
