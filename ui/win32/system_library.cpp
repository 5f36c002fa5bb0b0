#include "ui/win32/system_library.h"

#include <string>

namespace ordavi {

HMODULE SystemLibrary(const char* fileName) {
  HMODULE loaded = GetModuleHandleA(fileName);
  if (loaded) return loaded;
  char dir[MAX_PATH];
  const UINT n = GetSystemDirectoryA(dir, sizeof dir);
  if (n == 0 || n >= sizeof dir) return nullptr;
  const std::string path = std::string(dir, n) + "\\" + fileName;
  // Loaded once: the module handle stays valid for the life of the process,
  // and later calls find it through GetModuleHandleA.
  return LoadLibraryA(path.c_str());
}

bool RestrictSearchToSystemDirectory() {
  SetDllDirectoryA("");
  bool restricted = false;
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  // kernel32 is always loaded; GetModuleHandleA loads nothing.
  if (const auto setDefault =
          ProcOf<SetDefaultDllDirectoriesFn>(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")) {
    restricted = setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
  }
  char dir[MAX_PATH];
  const UINT n = GetSystemDirectoryA(dir, sizeof dir);
  if (n > 0 && n < sizeof dir) SetCurrentDirectoryA(dir);
  return restricted;
}

}  // namespace ordavi
