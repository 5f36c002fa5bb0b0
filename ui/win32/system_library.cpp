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

}  // namespace ordavi
