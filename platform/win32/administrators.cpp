#include "platform/win32/administrators.h"

#include <initializer_list>

namespace ordavi {

namespace {

// The group's SID, freed with FreeSid; null when it cannot be made.
PSID AdministratorsSid() {
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID admins = nullptr;
  if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                &admins)) {
    return nullptr;
  }
  return admins;
}

}  // namespace

bool AdministratorsInForce(HANDLE token) {
  const PSID admins = AdministratorsSid();
  if (!admins) return false;
  BOOL member = FALSE;
  if (!CheckTokenMembership(token, admins, &member)) member = FALSE;
  FreeSid(admins);
  return member != FALSE;
}

bool ProcessHasAdministratorsInForce(DWORD processId) {
  if (processId == 0) return false;
  bool inForce = false;
  const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  HANDLE token = nullptr, identification = nullptr;
  if (process && OpenProcessToken(process, TOKEN_QUERY | TOKEN_DUPLICATE, &token) &&
      DuplicateToken(token, SecurityIdentification, &identification)) {
    inForce = AdministratorsInForce(identification);
  }
  for (HANDLE h : {identification, token, process}) {
    if (h) CloseHandle(h);
  }
  return inForce;
}

bool AdministratorsAmongGroups() {
  HANDLE token = nullptr;
  if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token)) {
    if (GetLastError() != ERROR_NO_TOKEN) return false;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  }
  auto* buffer = static_cast<BYTE*>(LocalAlloc(LPTR, 1024));
  DWORD length = 0;
  const BOOL read = buffer && GetTokenInformation(token, TokenGroups, buffer, 1024, &length);
  CloseHandle(token);
  const PSID admins = read ? AdministratorsSid() : nullptr;
  bool answer = false;
  if (admins) {
    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer);
    for (DWORD i = 0; i < groups->GroupCount && !answer; ++i) answer = EqualSid(groups->Groups[i].Sid, admins) != FALSE;
    FreeSid(admins);
  }
  if (buffer) LocalFree(buffer);
  return answer;
}

}  // namespace ordavi
