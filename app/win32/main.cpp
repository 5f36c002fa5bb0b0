// Process entry of Ordavi.exe: creates the hidden main window, runs start-up
// and the message loop until the main window is closed. No command-line
// arguments are read.
#include <windows.h>
#include <commctrl.h>

#include "actions/win32/win32_network.h"
#include "actions/win32/win32_power.h"
#include "app/agent.h"
#include "app/win32/Unit1.h"
#include "app/win32/agent_wiring.h"
#include "app/win32/Unit6.h"
#include "app/win32/win32_startup.h"
#include "store/win32/win32_registry.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace ordavi;
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);

  TForm1 form1;
  if (!form1.Create()) return 1;
  Win32StartupSystem system;
  Win32RegistryRoot registry;
  NoticeWindows notices;
  Win32Shell shell([&form1] { return form1.Handle(); });
  Win32PowerSystem power;
  Agent agent(AgentPorts{system, registry, form1, form1, form1, form1, notices, shell, power});
  form1.Start(agent);
  AgentWiring wiring(form1, agent, notices, shell, power);  // the task tick, the countdown, junk cleaning

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    // Tab, Enter and Esc work in every window as in a dialog.
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root && IsDialogMessageA(root, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
