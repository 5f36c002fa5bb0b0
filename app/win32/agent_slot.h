// The session's agent slot and the ways to reach a running agent, over named
// kernel objects:
//
//   Local\Ordavi-Agent                 mutex, owned by the session's agent
//   Local\Ordavi-Agent-Administrator   event, exists while that agent has
//                                      administrator rights
//   Local\Ordavi-Agent-Settings        event: "do what 设置 does"
//   Local\Ordavi-Agent-Exit            event: "do what 退出 does"
//   Global\Ordavi-Running:<folder>     mutex, held by every agent started from
//                                      <folder>, in every session
//   Global\Ordavi-Close:<folder>       event, set by the installer and the
//                                      uninstaller of <folder>: every agent
//                                      started from there ends as 退出 does
//
// <folder> is the folder of Ordavi.exe in lower case, "\" written as "/"
// (the installer names it the same way). The events reach the agent whatever
// desktop it runs on; a system wait thread posts the matching tray menu
// command to the main window, so the agent acts on its own thread, exactly as
// if the user had chosen the menu item.
#pragma once

#include <windows.h>

#include <string>

#include "app/single_agent.h"

namespace ordavi {

class Win32AgentSlot : public AgentSlotPort {
 public:
  Win32AgentSlot();
  ~Win32AgentSlot() override;
  Win32AgentSlot(const Win32AgentSlot&) = delete;
  Win32AgentSlot& operator=(const Win32AgentSlot&) = delete;

  bool InstallationClosing() override;
  bool ClaimSession() override;
  bool HasAdministratorRights() override;
  bool RunningAgentHasAdministratorRights() override;
  bool EndRunningAgentAndClaim() override;
  void AskRunningAgentToOpenSettings() override;

  // Once the main window exists: the requests of a second start and of the
  // installer reach it as its tray menu commands 设置 and 退出.
  void Listen(HWND mainWindow);

 private:
  // This process is the session's agent: the objects through which the
  // others find and reach it.
  void HoldSlot();

  std::wstring folderKey_;
  HANDLE sessionSlot_ = nullptr;
  HANDLE administrator_ = nullptr, settings_ = nullptr, exit_ = nullptr;
  HANDLE installationRunning_ = nullptr, installationClose_ = nullptr;
  HANDLE waits_[3] = {};
};

}  // namespace ordavi
