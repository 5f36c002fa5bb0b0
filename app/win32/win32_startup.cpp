#include "app/win32/win32_startup.h"

#include <windows.h>

#include "actions/win32/win32_power.h"
#include "store/win32/gbk_text.h"

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

// Whether the Administrators group (S-1-5-32-544) is among the token's groups,
// whatever its attribute flags.
bool Win32StartupSystem::IsAdministrator() {
  HANDLE token = nullptr;
  if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token)) {
    if (GetLastError() != ERROR_NO_TOKEN) return false;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  }
  auto* buffer = static_cast<BYTE*>(LocalAlloc(LPTR, 1024));
  DWORD length = 0;
  const BOOL read = buffer && GetTokenInformation(token, TokenGroups, buffer, 1024, &length);
  CloseHandle(token);
  if (!read) {
    if (buffer) LocalFree(buffer);
    return false;
  }
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID admins = nullptr;
  bool answer = false;
  if (AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                               &admins)) {
    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer);
    for (DWORD i = 0; i < groups->GroupCount; ++i) {
      if (EqualSid(groups->Groups[i].Sid, admins)) {
        answer = true;
        break;
      }
    }
    FreeSid(admins);
  }
  LocalFree(buffer);
  return answer;
}

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
