// The two questions about the Administrators group (S-1-5-32-544) that the
// agent asks of a token, answered in one place because they differ.
#pragma once

#include <windows.h>

namespace ordavi {

// Whether the group is in force in `token` (an impersonation token; the
// process's own when null): what the system grants by. A UAC administrator
// started without elevation has the group for deny only, which does not
// count. Used wherever rights decide what the agent may do or trust.
bool AdministratorsInForce(HANDLE token = nullptr);

// The same question of another process's token (read through an
// identification copy); false for 0 or a process whose token cannot be read.
bool ProcessHasAdministratorsInForce(DWORD processId);

// Whether the group is among the process's token groups at all, whatever its
// flags: the start-up's question, which tells an administrator started
// without elevation (group present, key read-only) from a standard user.
bool AdministratorsAmongGroups();

}  // namespace ordavi
