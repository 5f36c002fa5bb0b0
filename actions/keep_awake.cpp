#include "actions/keep_awake.h"

#include "schedule/grammar.h"
#include "schedule/missed_runs.h"
#include "store/text.h"
#include "store/words.h"

namespace ordavi {

namespace {

// Why it ended, by AwakeEnd, as the history line says it.
constexpr const char* kEndTexts[] = {"已到时间",   "程序已结束", "程序未运行", "托盘菜单", "命令行/awake off",
                                     "被新的保持唤醒代替", "程序退出", "会话结束", "电池电量低", "睡眠中到期"};
static_assert(std::size(kEndTexts) == static_cast<std::size_t>(AwakeEnd::ExpiredInSleep) + 1, "one text per end");

}  // namespace

std::optional<AwakeRequest> ReadAwakeParam(const std::string& param) {
  AwakeRequest r;
  std::string text = param;
  const std::string suffix = kScreenOnSuffix;
  if (text.size() > suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0) {
    text.resize(text.size() - suffix.size());
    r.display = true;
  }
  if (const std::optional<std::int32_t> minutes = DigitsValue(text)) {
    if (*minutes < 1 || *minutes > kMaxAwakeMinutes) return std::nullopt;
    r.minutes = *minutes;
    return r;
  }
  r.program = SplitPath(text).name;
  if (r.program.find('.') == std::string::npos) return std::nullopt;
  return r;
}

ActionResult KeepAwake::StartTask(const RunRecord& task) {
  const std::optional<AwakeRequest> request = ReadAwakeParam(task.param);
  if (!request) return {kAwakeParamRule, true};
  const ActionResult started = Start(*request, false);
  if (!started.refused) line_ = task;
  return started;
}

ActionResult KeepAwake::StartFrom(bool menu, std::int32_t minutes) {
  const ActionResult started = Start({minutes, std::string(), screenOn_}, menu);
  if (started.refused) {
    if (menu) p_.notices.ShowNotice(started.detail);
    return started;
  }
  line_.taskNumber = 0;
  line_.type = words::kKeepAwake;
  line_.schedule = menu ? kAwakeFromMenu : kAwakeFromCommandLine;
  line_.param = minutes ? Decimal(minutes) : std::string();
  WriteLine(started.detail);
  return started;
}

ActionResult KeepAwake::Start(const AwakeRequest& request, bool fromMenu) {
  if (const std::int32_t level = BatteryBelowLevel()) return {Concat({"电池电量低于", Decimal(level), "%，未保持唤醒"}), true};
  if (running_) End(AwakeEnd::Replaced);
  running_ = request;
  fromMenu_ = fromMenu;
  startAwake_ = p_.awake.AwakeMs();
  until_ = MinuteAfter(p_.local.LocalTime(), request.minutes * 60000ull);
  programSeen_ = !request.program.empty() && ProgramRuns() == true;
  Hold();
  p_.timers.StartTimer(MainTimer::KeepAwake, kAwakeCheckMs);
  Show();
  return {Concat({"开始", TipLine(), request.display ? kScreenOnSuffix : ""})};
}

void KeepAwake::Hold() { p_.system.HoldAwake(Concat({"Ordavi：", TipLine()}), running_->display); }

std::optional<bool> KeepAwake::ProgramRuns() {
  const std::optional<std::vector<std::string>> names = p_.sensors.RunningPrograms();
  if (!names) return std::nullopt;
  for (const std::string& name : *names) {
    if (ProcessMatches(name, running_->program)) return true;
  }
  return false;
}

bool KeepAwake::Stop(AwakeEnd why) {
  if (!running_) return false;
  End(why);
  Show();
  return true;
}

void KeepAwake::End(AwakeEnd why) {
  p_.timers.StopTimer(MainTimer::KeepAwake);
  p_.system.ReleaseAwake();
  running_.reset();
  WriteLine(Concat({"保持唤醒结束（", kEndTexts[static_cast<std::size_t>(why)], "）"}));
}

void KeepAwake::WriteLine(const std::string& detail) {
  line_.due = MinuteOf(p_.local.LocalTime());
  line_.outcome = RunOutcome::KeepAwake;
  line_.detail = detail;
  recorder_.KeepAwakeLine(line_);
}

void KeepAwake::OnTimer() {
  if (!running_) return p_.timers.StopTimer(MainTimer::KeepAwake);
  const std::uint64_t passed = p_.awake.AwakeMs() - startAwake_;
  if (running_->minutes > 0 && passed >= running_->minutes * 60000ull) {
    Stop(AwakeEnd::TimeUp);
    return;
  }
  if (!running_->program.empty()) {
    const std::optional<bool> runs = ProgramRuns();
    if (runs == true) programSeen_ = true;
    if (runs == false && (programSeen_ || passed >= kAwakeProgramGraceMs)) {
      Stop(programSeen_ ? AwakeEnd::ProgramEnded : AwakeEnd::ProgramNotRunning);
      return;
    }
  }
  if (BatteryBelowLevel()) Stop(AwakeEnd::BatteryLow);
}

std::int32_t KeepAwake::BatteryBelowLevel() {
  const std::int32_t level = p_.options.awakeBatteryLevel;
  const std::optional<int> battery = level > 0 ? p_.system.BatteryPercentOnBattery() : std::nullopt;
  return battery && *battery < level ? level : 0;
}

void KeepAwake::Resumed() {
  if (!running_ || running_->minutes == 0) return;
  const ScheduleNow now = p_.local.LocalTime();
  if (MinutesBetween(until_, MinuteOf(now)) >= 0) {
    Stop(AwakeEnd::ExpiredInSleep);  // the clock time the user was told passed in the sleep
    return;
  }
  const std::uint64_t passed = p_.awake.AwakeMs() - startAwake_;
  const std::uint64_t length = running_->minutes * 60000ull;
  until_ = MinuteAfter(now, passed < length ? length - passed : 0);
  Hold();
  Show();
}

void KeepAwake::SetScreenOn(bool on) {
  screenOn_ = on;
  if (running_) {
    running_->display = on;
    Hold();
  }
  Show();
}

void KeepAwake::Show() { p_.view.ShowKeepAwake(TipLine(), running_ && fromMenu_ ? running_->minutes : -1, ScreenOn()); }

std::string KeepAwake::TipLine() const {
  if (!running_) return std::string();
  if (!running_->program.empty()) return Concat({"保持唤醒：", running_->program, " 运行中"});
  if (running_->minutes == 0) return "保持唤醒（直到取消）";
  return Concat({"保持唤醒到 ", ClockTime(until_)});
}

}  // namespace ordavi
