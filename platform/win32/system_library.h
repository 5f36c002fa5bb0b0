// Functions of system DLLs looked up at run time: those older systems lack,
// and those of DLLs the agent needs only now and then (sound, the CD door,
// dial-up), which are loaded on first use instead of at start. Loaded at
// start, winmm alone brings ole32, rpcrt4 and msacm32 with it: more than a
// megabyte of the resident agent's memory and part of its start-up time, for
// a sound most users never set.
#pragma once

#include <windows.h>

#include <string>

namespace ordavi {

// `name` of `module`, or null. GetProcAddress returns a generic function
// pointer; the cast goes through void* so compilers do not warn about the
// differing signature.
template <typename Fn>
Fn ProcOf(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// A DLL of the system directory (never one planted beside the executable),
// loaded on the first call and kept for the life of the process; null when
// it cannot be loaded.
HMODULE SystemLibrary(const char* fileName);

// The system directory with a trailing backslash ("C:\Windows\System32\");
// empty when it cannot be read.
std::string SystemDirectory();

// The first thing the process does, before any DLL is loaded on demand or any
// program is started: DLLs are searched for in the system directory only
// (SetDllDirectoryA("") takes the current directory out of the search;
// SetDefaultDllDirectories, looked up at run time since Vista without its
// update lacks it, also takes the program's own folder out of the search for
// the imports of the DLLs loaded later), and the current directory becomes
// the system directory, so nothing a user can write is searched for a
// program or a DLL by name. Returns whether SetDefaultDllDirectories was
// there and took effect. RestrictDllSearch and MoveToSystemDirectory are its
// two halves, for a start that must read its command line (file names made
// full against the user's current directory) between them.
bool RestrictSearchToSystemDirectory();
bool RestrictDllSearch();
void MoveToSystemDirectory();

// `name` of the system DLL `fileName`, loading the DLL on first use.
template <typename Fn>
Fn SystemProc(const char* fileName, const char* name) {
  return ProcOf<Fn>(SystemLibrary(fileName), name);
}

}  // namespace ordavi
