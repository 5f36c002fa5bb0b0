#include "actions/win32/win32_devices.h"

#include "platform/win32/system_library.h"

namespace ordavi {

namespace {
// winmm is loaded when first used (system_library.h).
using MciSendStringFn = DWORD(WINAPI*)(LPCSTR, LPSTR, UINT, HWND);
}  // namespace

void Win32DeviceSystem::SendMciCommand(const std::string& command) {
  const auto send = SystemProc<MciSendStringFn>("winmm.dll", "mciSendStringA");
  if (send) send(command.c_str(), nullptr, 0, mainWindow_());
}

void Win32DeviceSystem::BroadcastMonitorPower(std::int32_t state) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(HWND_BROADCAST, WM_SYSCOMMAND, SC_MONITORPOWER, state, SMTO_ABORTIFHUNG,
                      kBroadcastTimeoutMs, &result);
}

}  // namespace ordavi
