#include "schedule/next_run.h"

#include "store/text.h"

namespace ordavi {

namespace {

constexpr int kYearsAhead = 8;

NextRun Never(const char* why) {
  NextRun r;
  r.whyNever = why;
  return r;
}

NextRun At(const LocalMinute& t) {
  NextRun r;
  r.when = NextRun::When::At;
  r.at = t;
  return r;
}

}  // namespace

NextRun NextRunOf(const std::string& schedule, const ScheduleNow& from, std::uint32_t uptimeMinutes,
                  const std::string& shortDateFormat) {
  const ScheduleReading r = ReadSchedule(schedule, shortDateFormat);
  if (r.never) return Never(r.never);
  const std::vector<std::int32_t>& n = r.values;
  const LocalMinute start{from.year, from.month, from.day, from.hour, from.minute};

  switch (*r.kind) {
    case ScheduleKind::Idle: {
      NextRun next;
      next.when = NextRun::When::AfterIdle;
      next.idleMinutes = n[0];
      return next;
    }
    case ScheduleKind::AfterBoot: {
      const std::int32_t total = BootTotal(n[0], n[1]);
      if (static_cast<long long>(total) < static_cast<long long>(uptimeMinutes)) {
        NextRun next;
        next.when = NextRun::When::BootPassed;
        return next;
      }
      return At(AddMinutes(start, static_cast<long long>(total) - uptimeMinutes));
    }
    case ScheduleKind::Once: {
      const LocalMinute at{r.date.year, r.date.month, r.date.day, n[1], n[2]};
      if (MinutesBetween(start, at) < 0) return Never(kNeverPast);
      return At(at);
    }
    case ScheduleKind::Daily: {
      LocalMinute at = start;
      at.hour = n[0];
      at.minute = n[1];
      if (MinutesBetween(start, at) < 0) at = AddMinutes(at, 1440);
      return At(at);
    }
    case ScheduleKind::Weekly: {
      LocalMinute at = start;
      at.hour = n[1];
      at.minute = n[2];
      const int ahead = (n[0] - DayOfWeek(start.year, start.month, start.day) + 7) % 7;
      at = AddMinutes(at, ahead * 1440LL);
      if (MinutesBetween(start, at) < 0) at = AddMinutes(at, 7 * 1440LL);
      return At(at);
    }
    case ScheduleKind::Monthly: {
      // A month without that day is passed over, as the matcher never sees it.
      int y = start.year, m = start.month;
      for (int i = 0; i <= kYearsAhead * 12; ++i) {
        if (n[0] <= DaysInMonth(y, m)) {
          const LocalMinute at{y, m, n[0], n[1], n[2]};
          if (MinutesBetween(start, at) >= 0) return At(at);
        }
        if (++m > 12) {
          m = 1;
          ++y;
        }
      }
      return Never(kNeverNoSuchTime);
    }
    case ScheduleKind::ProgramEnds:
    case ScheduleKind::NetworkQuiet:
    case ScheduleKind::ProcessorQuiet: {
      NextRun next;
      next.when = NextRun::When::OnCondition;
      next.waitFor = *r.kind == ScheduleKind::ProgramEnds ? r.texts[0] + "结束" : schedule;
      return next;
    }
    case ScheduleKind::Yearly: {
      for (int y = start.year; y <= start.year + kYearsAhead; ++y) {
        if (n[1] > DaysInMonth(y, n[0])) continue;  // 29 February outside a leap year
        const LocalMinute at{y, n[0], n[1], n[2], n[3]};
        if (MinutesBetween(start, at) >= 0) return At(at);
      }
      return Never(kNeverNoSuchTime);
    }
  }
  return Never(kNeverUnreadable);
}

NextRun WithConditionState(NextRun next, const std::string& schedule, const ConditionState& state) {
  const ScheduleReading r = ReadSchedule(schedule, std::string());
  if (next.when != NextRun::When::OnCondition || !r.kind) return next;
  const bool program = *r.kind == ScheduleKind::ProgramEnds;
  switch (state.stage) {
    case ConditionState::Stage::Unread:
      return Never(program                                     ? "无法读取正在运行的程序"
                   : *r.kind == ScheduleKind::NetworkQuiet ? "无法读取网速"
                                                               : "无法读取处理器占用");
    case ConditionState::Stage::Watching:
      if (program) next.waitFor += "（正在运行）";
      break;
    case ConditionState::Stage::Quiet: {
      // "网速低于50KB/s已持续2分钟（需3分钟）"
      const std::string unit = RowOf(*r.kind).fields[0].unit;
      next.waitFor = std::string(RowOf(*r.kind).word) + RowOf(*r.kind).lead + r.texts[0] +
                     unit.substr(0, unit.size() - std::string("持续").size()) + "已持续" +
                     Decimal(state.quietMinutes) + "分钟（需" + r.texts[1] + "分钟）";
      break;
    }
    case ConditionState::Stage::Waiting: break;
  }
  return next;
}

std::string NextRunText(const NextRun& next, const ScheduleNow& now, const std::string& shortDateFormat) {
  switch (next.when) {
    case NextRun::When::AfterIdle: return "空闲" + Decimal(next.idleMinutes) + "分钟后";
    case NextRun::When::BootPassed: return "已过";
    case NextRun::When::OnCondition: return "等待：" + next.waitFor;
    case NextRun::When::Never: return std::string("不会运行（") + next.whyNever + "）";
    case NextRun::When::At: break;
  }
  const LocalMinute& t = next.at;
  const long long days =
      MinutesBetween(LocalMinute{now.year, now.month, now.day, 0, 0}, LocalMinute{t.year, t.month, t.day, 0, 0}) / 1440;
  std::string day = days == 0   ? std::string("今天")
                    : days == 1 ? std::string("明天")
                                : DateToStr(Date{t.year, t.month, t.day}, shortDateFormat);
  std::string time = Decimal(t.hour) + ":" + (t.minute < 10 ? "0" : "") + Decimal(t.minute);
  if (t.hour < 10) time = "0" + time;
  return day + " " + time;
}

ScheduleNow ScheduleNowAt(const LocalMinute& t) {
  ScheduleNow now;
  now.year = static_cast<std::uint16_t>(t.year);
  now.month = static_cast<std::uint16_t>(t.month);
  now.day = static_cast<std::uint16_t>(t.day);
  now.dayOfWeek = static_cast<std::uint16_t>(DayOfWeek(t.year, t.month, t.day));
  now.hour = static_cast<std::uint16_t>(t.hour);
  now.minute = static_cast<std::uint16_t>(t.minute);
  return now;
}

}  // namespace ordavi
