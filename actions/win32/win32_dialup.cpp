#include "actions/win32/win32_dialup.h"

#include <ras.h>
#include <wininet.h>

#include "platform/win32/system_library.h"

namespace ordavi {

namespace {
constexpr int kRecords = 10;
// rasapi32 and wininet are loaded when first used (system_library.h).
using RasEnumConnectionsFn = DWORD(WINAPI*)(LPRASCONNA, LPDWORD, LPDWORD);
using RasHangUpFn = DWORD(WINAPI*)(HRASCONN);
using InternetAutodialFn = BOOL(WINAPI*)(DWORD, HWND);
}  // namespace

DialupSystem::Connections Win32DialupSystem::EnumConnections() {
  RasConn412 list[kRecords] = {};
  list[0].dwSize = sizeof(RasConn412);
  DWORD size = sizeof(list);  // 4 120 in the 32-bit build, 4 240 in the 64-bit build
  DWORD count = 0;
  Connections c;
  const auto enumConnections = SystemProc<RasEnumConnectionsFn>("rasapi32.dll", "RasEnumConnectionsA");
  c.status = enumConnections ? enumConnections(reinterpret_cast<LPRASCONNA>(list), &size, &count)
                             : static_cast<DWORD>(ERROR_DLL_NOT_FOUND);
  c.count = count;
  c.firstHandle = reinterpret_cast<std::uintptr_t>(list[0].hrasconn);
  return c;
}

std::uint32_t Win32DialupSystem::HangUp(std::uintptr_t handle) {
  const auto hangUp = SystemProc<RasHangUpFn>("rasapi32.dll", "RasHangUpA");
  return hangUp ? hangUp(reinterpret_cast<HRASCONN>(handle)) : static_cast<DWORD>(ERROR_DLL_NOT_FOUND);
}

void Win32DialupSystem::AutodialDefault() {
  const auto autodial = SystemProc<InternetAutodialFn>("wininet.dll", "InternetAutodial");
  if (autodial) autodial(INTERNET_AUTODIAL_FORCE_UNATTENDED, mainWindow_());
}

}  // namespace ordavi
