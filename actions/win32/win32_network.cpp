#include "actions/win32/win32_network.h"

#include <ras.h>
#include <shellapi.h>
#include <wininet.h>

namespace ordavi {

namespace {
constexpr int kRecords = 10;
// Windows directory text, fetched afresh for each adapter command.
char g_windowsDir[255];
}  // namespace

DialupSystem::Connections Win32DialupSystem::EnumConnections() {
  RasConn412 list[kRecords] = {};
  list[0].dwSize = sizeof(RasConn412);
  DWORD size = sizeof(list);  // 4 120 in the 32-bit build, 4 240 in the 64-bit build
  DWORD count = 0;
  Connections c;
  c.status = RasEnumConnectionsA(reinterpret_cast<LPRASCONNA>(list), &size, &count);
  c.count = count;
  c.firstHandle = reinterpret_cast<std::uintptr_t>(list[0].hrasconn);
  return c;
}

std::uint32_t Win32DialupSystem::HangUp(std::uintptr_t handle) {
  return RasHangUpA(reinterpret_cast<HRASCONN>(handle));
}

void Win32DialupSystem::AutodialDefault() { InternetAutodial(INTERNET_AUTODIAL_FORCE_UNATTENDED, mainWindow_()); }

void Win32Shell::Execute(ShellOwner owner, const std::optional<std::string>& verb, const std::string& file,
                              const std::optional<std::string>& params, const std::optional<std::string>& dir,
                              int show) {
  auto c = [](const std::optional<std::string>& s) { return s ? s->c_str() : nullptr; };
  ::ShellExecuteA(owner == ShellOwner::MainWindow ? mainWindow_() : nullptr, c(verb), file.c_str(), c(params), c(dir),
                show);
}

std::string Win32Shell::WindowsDirectory() {
  g_windowsDir[0] = '\0';
  GetWindowsDirectoryA(g_windowsDir, sizeof g_windowsDir);
  return g_windowsDir;
}

}  // namespace ordavi
