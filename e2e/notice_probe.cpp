// Opens what the agent shows for a dial-up hang-up with the real platform
// calls: HangUpDialup over rasapi32 with the notice windows of Ordavi.exe.
// With --open-folder instead, what an agent with administrator rights says at
// start in a folder others can change: Wine keeps no access lists on files, so
// the folder's descriptor is the one Windows gives a folder made in a drive's
// root, read by the real adapter and judged by the real core.
// Runs its message loop until the last notice is closed (or 60 s pass).
#include <windows.h>
#include <commctrl.h>

#include <sddl.h>

#include <cstring>

#include "actions/junk.h"
#include "actions/network.h"
#include "actions/win32/win32_junk.h"
#include "actions/win32/win32_cleaning.h"
#include "actions/win32/win32_dialup.h"
#include "app/win32/notice_window.h"

namespace {

// The real system, except that every file reads as D:\Ordavi does on Windows.
struct DriveRootFolder : ordavi::Win32FolderSecuritySystem {
  std::optional<ordavi::SecurityFacts> ReadSecurity(const std::string&) override {
    PSECURITY_DESCRIPTOR sd = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorW(
        L"O:BAD:(A;OICIID;FA;;;BA)(A;OICIID;FA;;;SY)(A;OICIID;0x1301bf;;;AU)(A;OICIID;0x1200a9;;;BU)", SDDL_REVISION_1,
        &sd, nullptr);
    ordavi::SecurityFacts facts = ordavi::SecurityFactsOf(sd);
    LocalFree(sd);
    return facts;
  }
};

struct NoClock : ordavi::LocalClock {
  ordavi::ScheduleNow LocalTime() override { return {}; }
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  ordavi::NoticeWindows notices;
  ordavi::Win32JunkSystem junkSystem;
  ordavi::Win32TempFolderSystem folders;
  DriveRootFolder security;
  NoClock clock;
  if (std::strstr(commandLine, "--open-folder")) {
    ordavi::JunkCleaner junk(ordavi::JunkPorts{junkSystem, folders, security, clock, notices}, "D:\\Ordavi\\Ordavi.exe");
    junk.CheckAgentFolder();
  } else {
    ordavi::Win32DialupSystem ras([] { return HWND(nullptr); });
    ordavi::HangUpDialup(ras, notices);
  }
  SetTimer(nullptr, 0, 60000, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER) break;
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root && IsDialogMessageW(root, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    if (!FindWindowA("TForm6", nullptr)) break;
  }
  return 0;
}
