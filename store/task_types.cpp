#include "store/task_types.h"

#include "store/words.h"

namespace ordavi {

namespace {
using A = TaskAction;
using R = TaskRun;
using P = PowerAction;

constexpr const char* kReminders[] = {"下班时间到。", "要去上班啰。", "该吃饭了。", "该休息一下了。", "放学了。", nullptr};
constexpr const char* kAdapterNames[] = {"本地连接", "以太网", nullptr};
constexpr const char* kRemindCaption = "提醒语：";
constexpr const char* kFileCaption = "文件:";
constexpr const char* kProgramCaption = "程序：";
constexpr const char* kPropertyCaption = "属性：";
constexpr const char* kOpenFileHint = "可以打开mp3文件，程序，网址，电影视频等";
constexpr const char* kCloseProgramHint = "在此输入程序的文件名或按浏览。";
constexpr const char* kAwakeLengths[] = {"480", "60", "backup.exe", "60，屏幕常亮", nullptr};
}  // namespace

constexpr TaskType kTaskTypes[kTaskTypeCount] = {
    {words::kRemind, A::Remind, R::Immediate, true, nullptr, std::nullopt,
     kRemindCaption, kReminders, nullptr},
    {words::kOpenFile, A::OpenFile, R::Immediate, true, nullptr, std::nullopt,
     kFileCaption, nullptr, kOpenFileHint, true},
    {words::kCloseProgram, A::CloseProgram, R::Immediate, true, nullptr, std::nullopt,
     kProgramCaption, nullptr, kCloseProgramHint, true},
    {words::kHangUp, A::HangUp, R::Countdown, false, words::kHangUp, std::nullopt,
     kPropertyCaption, nullptr, nullptr},
    {words::kDial, A::Dial, R::Immediate, false, nullptr, std::nullopt,
     kPropertyCaption, nullptr, nullptr},
    {words::kLogOffPc, A::LogOff, R::Countdown, false, words::kLogOff, P::LogOff,
     kPropertyCaption, nullptr, nullptr},
    {words::kStandbyPc, A::Standby, R::Countdown, false, words::kStandby, P::Standby,
     kPropertyCaption, nullptr, nullptr},
    {words::kHibernatePc, A::Hibernate, R::Countdown, false, words::kHibernate, P::Hibernate,
     kPropertyCaption, nullptr, nullptr},
    {words::kRestartPc, A::Restart, R::Countdown, false, words::kRestart, P::Restart,
     kPropertyCaption, nullptr, nullptr},
    {words::kShutDownPc, A::ShutDown, R::Countdown, false, words::kShutDown, P::ShutDown,
     kPropertyCaption, nullptr, nullptr},
    {words::kFastRestart, A::FastRestart, R::Countdown, false, words::kFastRestart, P::FastRestart,
     kPropertyCaption, nullptr, nullptr},
    {words::kFastShutdown, A::FastShutdown, R::Countdown, false, words::kFastShutdown, P::FastShutdown,
     kPropertyCaption, nullptr, nullptr},
    {words::kCleanJunk, A::CleanJunk, R::Junk, false, nullptr, std::nullopt,
     kPropertyCaption, nullptr, nullptr, true},
    {words::kDisableAdapter, A::DisableAdapter, R::Immediate, true, nullptr, std::nullopt,
     kPropertyCaption, kAdapterNames, nullptr},
    {words::kEnableAdapter, A::EnableAdapter, R::Immediate, true, nullptr, std::nullopt,
     kPropertyCaption, kAdapterNames, nullptr},
    // Minutes, or a program's file name; actions/keep_awake.h reads it.
    {words::kKeepAwake, A::KeepAwake, R::Immediate, true, nullptr, std::nullopt,
     "分钟或程序：", kAwakeLengths, nullptr},
};
static_assert(kTaskTypes[kTaskTypeCount - 1].word, "kTaskTypeCount is the number of rows");

const TaskType* FindTaskType(const std::string& word) {
  for (const TaskType& t : kTaskTypes) {
    if (word == t.word) return &t;
  }
  return nullptr;
}

bool IsAdapterType(const std::string& word) {
  const TaskType* t = FindTaskType(word);
  return t && (t->action == TaskAction::DisableAdapter || t->action == TaskAction::EnableAdapter);
}

bool CatchUpAllowed(const TaskType& type) {
  return type.run != TaskRun::Countdown && type.action != TaskAction::DisableAdapter &&
         type.action != TaskAction::Remind;
}

}  // namespace ordavi
