#include "platform/win32/system_library.h"

#include <string>

namespace ordavi {

std::string SystemDirectory() {
  char dir[MAX_PATH];
  const UINT n = GetSystemDirectoryA(dir, sizeof dir);
  if (n == 0 || n >= sizeof dir) return std::string();
  std::string s(dir, n);
  if (s.back() != '\\') s += '\\';
  return s;
}

HMODULE SystemLibrary(const char* fileName) {
  HMODULE loaded = GetModuleHandleA(fileName);
  if (loaded) return loaded;
  const std::string dir = SystemDirectory();
  if (dir.empty()) return nullptr;
  const std::string path = dir + fileName;
  // Loaded once: the module handle stays valid for the life of the process,
  // and later calls find it through GetModuleHandleA.
  return LoadLibraryA(path.c_str());
}

bool RestrictSearchToSystemDirectory() {
  const bool restricted = RestrictDllSearch();
  MoveToSystemDirectory();
  return restricted;
}

bool RestrictDllSearch() {
  SetDllDirectoryA("");
  bool restricted = false;
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  // kernel32 is always loaded; GetModuleHandleA loads nothing.
  if (const auto setDefault =
          ProcOf<SetDefaultDllDirectoriesFn>(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")) {
    restricted = setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
  }
  return restricted;
}

void MoveToSystemDirectory() {
  std::string dir = SystemDirectory();
  if (!dir.empty()) {
    dir.pop_back();  // as the system names it, without the separator
    SetCurrentDirectoryA(dir.c_str());
  }
}

}  // namespace ordavi
