// Files and links for the Wine test programs. This Wine cannot make junctions
// (FSCTL_SET_REPARSE_POINT fails with ERROR_NOT_SUPPORTED) and its
// CreateSymbolicLinkW makes nothing, so a link is a Unix symbolic link, made
// by /bin/ln, as a user with a shell in the prefix would make one.
#pragma once

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace winetest {

// A whole file's bytes; empty when it cannot be read.
inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteAll(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

inline bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The Unix path of a path in the prefix (Wine's own export).
inline std::string UnixPath(const std::string& windowsPath) {
  using Fn = char*(CDECL*)(LPCWSTR);
  const auto fn = reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  const std::wstring w(windowsPath.begin(), windowsPath.end());
  char* p = fn ? fn(w.c_str()) : nullptr;
  if (!p) return {};
  std::string s = p;
  HeapFree(GetProcessHeap(), 0, p);
  return s;
}

// Runs a Unix program of the prefix's machine and waits for `done`.
template <typename Done>
bool RunUnix(const char* program, std::string cmd, Done done) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(program, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  WaitForSingleObject(pi.hProcess, 10000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  // Wine does not wait for a Unix program's end here: wait for its effect.
  for (int i = 0; i < 100 && !done(); ++i) Sleep(50);
  if (!done()) std::printf("  failed: %s\n", cmd.c_str());
  return done();
}

// A link `link` -> `target` (ASCII paths; true once the system shows it).
inline bool MakeLink(const std::string& link, const std::string& target) {
  const auto linked = [&link] { return GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES; };
  return RunUnix("Z:\\bin\\ln", "/bin/ln -sfn " + UnixPath(target) + " " + UnixPath(link), linked);
}

// A link `link` -> `target` where `target` does not exist. Wine lists no
// such link, so a folder made after it, `<link>.made`, tells it is there.
inline bool MakeDanglingLink(const std::string& link, const std::string& target) {
  const std::string made = link + ".made";
  const auto done = [&made] { return GetFileAttributesA(made.c_str()) != INVALID_FILE_ATTRIBUTES; };
  return RunUnix("Z:\\bin\\sh",
                 "/bin/sh -c \"ln -sfn '" + UnixPath(target) + "' '" + UnixPath(link) + "' && mkdir '" +
                     UnixPath(made) + "'\"",
                 done);
}

// `from` renamed to `to` behind Wine's back, as a program of the user would.
inline bool MoveUnix(const std::string& from, const std::string& to) {
  const auto moved = [&to] { return GetFileAttributesA(to.c_str()) != INVALID_FILE_ATTRIBUTES; };
  return RunUnix("Z:\\bin\\mv", "/bin/mv " + UnixPath(from) + " " + UnixPath(to), moved);
}

}  // namespace winetest
