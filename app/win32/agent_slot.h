// The session's agent slot and the ways to reach a running agent, over named
// kernel objects:
//
//   Local\Ordavi-Agent                 mutex, owned by the session's agent
//   Local\Ordavi-Agent-Process         section: that agent's process id, then
//                                      its keep-awake's tray tip line (GBK,
//                                      for /list), made by it; an elevated
//                                      agent's is owned by administrators, the
//                                      user may only read it
//   Local\Ordavi-Agent-Administrator   event, exists while that agent has
//                                      administrator rights (for earlier
//                                      versions; this one reads the running
//                                      agent's token instead)
//   Local\Ordavi-Agent-Settings        event: "do what 设置 does"
//   Local\Ordavi-Agent-Exit            event: "do what 退出 does"
//   Local\Ordavi-Agent-Cancel          event: "cancel the countdown, as
//                                      取消关机 does" (Ordavi.exe /cancel)
//   Local\Ordavi-Agent-Cancelled       event, the agent's answer: cancelled
//   Local\Ordavi-Agent-NoCountdown     event, the agent's answer: no countdown
//                                      (both answers also answer /awake: done, or not)
//   Local\Ordavi-Agent-Awake           event: "keep the PC awake, or end that"
//                                      (Ordavi.exe /awake), with the minutes
//   Local\Ordavi-Agent-Awake-Minutes   section: the request's minutes (0: off),
//                                      written by the request, checked by the agent
//   Global\Ordavi-Running:<folder>     mutex, held by every agent started from
//                                      <folder>, in every session
//   Global\Ordavi-Close:<folder>       event, set by the installer and the
//                                      uninstaller of <folder>: every agent
//                                      started from there ends as 退出 does
//
// The Global\ objects are created only by an elevated agent and the
// installer, owned by administrators; an agent without administrator rights
// only opens them, and one whose owner is neither SYSTEM nor administrators
// is not used. An agent that waits on no close event looks for one again
// each second (the message loop's time-out), so the installer's event
// reaches it too.
// <folder> is the folder of Ordavi.exe in lower case, "\" written as "/"
// (the installer names it the same way). The events reach the agent whatever
// desktop it runs on. The agent's message loop waits on them beside its
// messages (no thread of its own) and posts the matching tray menu command
// to the main window, so the agent acts exactly as if the user had chosen the
// menu item. While a modal loop runs (a message box, the open tray menu) a
// request waits for its end.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/single_agent.h"

namespace ordavi {

inline constexpr const char* kSlotRefusedNotice =
    "本会话中名为Ordavi-Agent的对象不是Ordavi的，无法确定是否已有Ordavi在运行，本次不启动。";

inline constexpr const char* kForeignCloseEventNotice =
    "另一个用户抢先创建了Ordavi的关闭信号，已忽略它。安装程序更新Ordavi时，请先在托盘菜单中选择“退出”。";

// How often an agent that waits on no installation close event (it has no
// administrator rights and none was there, or the one there was not
// Ordavi's) looks for one again: well within the installer's 10 s.
inline constexpr DWORD kLookForInstallerMs = 1000;

class Win32AgentSlot : public AgentSlotPort {
 public:
  Win32AgentSlot();
  ~Win32AgentSlot() override;
  Win32AgentSlot(const Win32AgentSlot&) = delete;
  Win32AgentSlot& operator=(const Win32AgentSlot&) = delete;

  bool InstallationClosing() override;
  SessionClaim ClaimSession() override;
  bool HasAdministratorRights() override;
  bool RunningAgentHasAdministratorRights() override;
  bool EndRunningAgentAndClaim() override;
  void AskRunningAgentToOpenSettings() override;
  // The process that holds the slot, as it published itself (0 when none
  // did, or when the word's owner is neither this user nor SYSTEM or
  // administrators); `publishedElevated` when SYSTEM or administrators own
  // that word. The foreground right goes to it; its token is read for the
  // take-over only when it is published elevated.
  DWORD RunningAgentProcessId(bool& publishedElevated);

  // Once the main window exists: the requests of a second start and of the
  // installer reach it as its tray menu commands 设置 and 退出, /cancel as
  // its close box, which cancels a running countdown as 取消关机 does.
  void Listen(HWND mainWindow);
  // What the agent keeps awake for, as its tray tip's line says (GBK; empty
  // when it keeps nothing awake), for /list.
  void PublishKeepAwake(const std::string& gbkLine);
  // The objects the message loop waits on beside its messages, and what it
  // does when the one at `index` is signalled.
  DWORD WaitCount() const { return static_cast<DWORD>(waits_.size()); }
  const HANDLE* WaitObjects() const { return waits_.empty() ? nullptr : waits_.data(); }
  void OnSignalled(DWORD index);
  // How long the loop waits before OnWaitTimeout: INFINITE while the
  // installation's close event is waited on, else a second.
  DWORD WaitTimeoutMs() const { return installationClose_ ? INFINITE : kLookForInstallerMs; }
  void OnWaitTimeout();

  // How a refused slot is told to the user: a message box unless a test
  // listens instead.
  std::function<void(const char* gbkText)> say = [](const char* text) { ShowRefusal(text); };
  static void ShowRefusal(const char* gbkText);

 private:
  // This process is the session's agent: the objects through which the
  // others find and reach it.
  void HoldSlot();
  // The installation's objects, where they are Ordavi's: created when this
  // agent is elevated, else opened when there.
  void JoinInstallation();
  // /cancel: the countdown cancelled if one runs, and the answer given.
  void CancelCountdown();
  // /awake: the keep-awake started or ended, and the answer given.
  void KeepAwake();
  // Tells the user once per agent life.
  void SayOnce(const char* gbkText);
  bool said_ = false;

  std::wstring folderKey_;
  HANDLE sessionSlot_ = nullptr, process_ = nullptr;
  HANDLE administrator_ = nullptr, settings_ = nullptr, exit_ = nullptr;
  HANDLE installationRunning_ = nullptr, installationClose_ = nullptr;
  HANDLE cancel_ = nullptr, cancelled_ = nullptr, noCountdown_ = nullptr;
  HANDLE awake_ = nullptr, awakeMinutes_ = nullptr;
  HWND window_ = nullptr;
  std::vector<HANDLE> waits_;
  std::vector<WPARAM> commands_;  // the menu command of each wait; 0 for /cancel
};

// The command line's requests to this session's running agent. They claim
// no slot and never start an agent. /cancel waits up to 2 s for the agent's
// answer, /quit up to 5 s for its end.
AgentReply AskRunningAgentToCancelCountdown();
// /awake: `minutes` (0: off) handed to the agent, which answers within 2 s.
AgentReply AskRunningAgentToKeepAwake(std::int32_t minutes);
AgentReply AskRunningAgentToQuit();
// The line the session's running agent published with PublishKeepAwake
// (GBK); empty when it keeps nothing awake, when none runs, or when the
// section's owner is neither this user nor SYSTEM or administrators.
std::string RunningAgentKeepAwakeLine();

}  // namespace ordavi
