#include "store/task_types.h"

#include "store/words.h"

namespace ordavi {

namespace {
using A = TaskAction;
using R = TaskRun;
using P = PowerAction;
}  // namespace

const TaskType kTaskTypes[15] = {
    {words::kRemind, A::Remind, R::Immediate, true, nullptr, std::nullopt},
    {words::kOpenFile, A::OpenFile, R::Immediate, true, nullptr, std::nullopt},
    {words::kCloseProgram, A::CloseProgram, R::Immediate, true, nullptr, std::nullopt},
    {words::kHangUp, A::HangUp, R::Countdown, false, words::kHangUp, std::nullopt},
    {words::kDial, A::Dial, R::Immediate, false, nullptr, std::nullopt},
    {words::kLogOffPc, A::LogOff, R::Countdown, false, words::kLogOff, P::LogOff},
    {words::kStandbyPc, A::Standby, R::Countdown, false, words::kStandby, P::Standby},
    {words::kHibernatePc, A::Hibernate, R::Countdown, false, words::kHibernate, P::Hibernate},
    {words::kRestartPc, A::Restart, R::Countdown, false, words::kRestart, P::Restart},
    {words::kShutDownPc, A::ShutDown, R::Countdown, false, words::kShutDown, P::ShutDown},
    {words::kFastRestart, A::FastRestart, R::Countdown, false, words::kFastRestart, P::FastRestart},
    {words::kFastShutdown, A::FastShutdown, R::Countdown, false, words::kFastShutdown, P::FastShutdown},
    {words::kCleanJunk, A::CleanJunk, R::Junk, false, nullptr, std::nullopt},
    {words::kDisableAdapter, A::DisableAdapter, R::Immediate, true, nullptr, std::nullopt},
    {words::kEnableAdapter, A::EnableAdapter, R::Immediate, true, nullptr, std::nullopt},
};

const TaskType* FindTaskType(const std::string& word) {
  for (const TaskType& t : kTaskTypes) {
    if (word == t.word) return &t;
  }
  return nullptr;
}

const TaskType* FindCountdownType(const std::string& word) {
  for (const TaskType& t : kTaskTypes) {
    if (t.countdownWord && word == t.countdownWord) return &t;
  }
  return nullptr;
}

}  // namespace ordavi
