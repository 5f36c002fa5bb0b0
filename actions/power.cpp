#include "actions/power.h"

#include "store/task_types.h"
#include "store/text.h"

namespace ordavi {

namespace {
constexpr std::uint32_t kEwxLogoff = 0x0, kEwxReboot = 0x2, kEwxForce = 0x4, kEwxPowerOff = 0x8;
constexpr std::int32_t kTrue = -1, kFalse = 0;
constexpr std::int32_t kShutdownReboot = 1, kShutdownPowerOff = 2;

constexpr const char* kModernStandbyNote = "现代待机：已关闭显示器，由系统进入待机";
constexpr const char* kNoSleepNote = "本机不支持待机（powercfg /a 查看原因）";
constexpr const char* kHibernationOffNote = "本机未启用休眠：以管理员身份运行 powercfg /h on";
constexpr const char* kNoHibernateNote = "本机不支持休眠（powercfg /a 查看原因）";

std::uint32_t Call(PowerAction action, PowerSystem& sys) {
  switch (action) {
    case PowerAction::LogOff: return sys.ExitWindowsEx(kEwxLogoff | kEwxForce, 0);
    case PowerAction::Standby: return sys.SetSystemPowerState(kTrue, kTrue);
    case PowerAction::Hibernate: return sys.SetSystemPowerState(kFalse, kTrue);
    case PowerAction::Restart: return sys.ExitWindowsEx(kEwxReboot | kEwxForce, 0);
    case PowerAction::ShutDown: return sys.ExitWindowsEx(kEwxPowerOff | kEwxForce, 0);
    case PowerAction::FastRestart: return sys.NtShutdownSystem(kShutdownReboot);
    case PowerAction::FastShutdown: return sys.NtShutdownSystem(kShutdownPowerOff);
  }
  return 0;
}
}  // namespace

PowerPlan PlanPowerAction(PowerAction action, const std::optional<PowerCapabilities>& caps) {
  if (!caps) return {};
  if (action == PowerAction::Standby) {
    if (caps->sleep) return {};
    if (caps->modernStandby) return {PowerCall::DisplayOff, kModernStandbyNote};
    return {PowerCall::None, kNoSleepNote};
  }
  if (action == PowerAction::Hibernate) {
    if (!caps->hiberFile) return {PowerCall::None, kHibernationOffNote};
    if (!caps->hibernate) return {PowerCall::None, kNoHibernateNote};
  }
  return {};
}

ActionOutcome PerformPowerAction(PowerAction action, PowerSystem& sys) {
  const PowerPlan plan = PlanPowerAction(action, sys.Capabilities());
  ActionOutcome result;
  result.failed = plan.call == PowerCall::None;
  result.note = plan.note;
  if (plan.call == PowerCall::DisplayOff) sys.DisplayOff();
  if (plan.call != PowerCall::AsAsked) return result;
  result.error = Call(action, sys);
  result.failed = result.error != 0;
  // The countdown's word names the action.
  for (const TaskType& t : kTaskTypes) {
    if (t.power == action) result.word = t.countdownWord;
  }
  return result;
}

std::string ActionNote(const ActionOutcome& outcome) {
  if (!outcome.error) return outcome.note ? outcome.note : "";
  std::string text = outcome.word;
  text += "失败（错误";
  text += Decimal(outcome.error);
  text += "）";
  return text;
}

}  // namespace ordavi
