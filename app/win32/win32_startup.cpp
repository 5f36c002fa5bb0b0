#include "app/win32/win32_startup.h"

#include <windows.h>

#include "actions/win32/win32_power.h"
#include "store/win32/gbk_text.h"
#include "platform/win32/administrators.h"

namespace ordavi {

namespace {
// Kept for the task editor, which reads the platform version later.
OSVERSIONINFOA g_osVersion;
}  // namespace

StartupSystem::Version Win32StartupSystem::GetVersion() {
  static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA size field");
  g_osVersion.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
  GetVersionExA(&g_osVersion);
  return {g_osVersion.dwMajorVersion, g_osVersion.dwPlatformId};
}

void Win32StartupSystem::EnableShutdownPrivilege() { ordavi::EnableShutdownPrivilege(); }

bool Win32StartupSystem::IsAdministrator() { return AdministratorsAmongGroups(); }

void Win32StartupSystem::RaisePriority() { SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS); }

std::uint32_t Win32StartupSystem::TickCount() { return GetTickCount(); }

std::string Win32StartupSystem::UserName() {
  wchar_t name[256] = {};
  DWORD size = 255;
  if (!GetUserNameW(name, &size)) name[0] = L'\0';
  return GbkFromWide(name);
}

std::string Win32StartupSystem::ExePath() {
  wchar_t path[MAX_PATH + 1] = {};
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return GbkFromWide(std::wstring(path, n));
}

}  // namespace ordavi
