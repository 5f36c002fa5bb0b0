// Network and dial-up actions: hanging up the first active dial-up
// connection, dialling the default connection, and switching a network
// adapter off or on through netsh.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "actions/notices.h"
#include "actions/shell.h"

namespace ordavi {

// Port: the platform's dial-up calls.
class DialupSystem {
 public:
  virtual ~DialupSystem() = default;
  struct Connections {
    std::uint32_t status = 0;       // RasEnumConnectionsA's result; non-zero is a failure
    std::uint32_t count = 0;        // active connections listed
    std::uintptr_t firstHandle = 0; // hrasconn of the first record
  };
  // RasEnumConnectionsA over ten 412-byte records (buffer size 4 120).
  virtual Connections EnumConnections() = 0;
  virtual std::uint32_t HangUp(std::uintptr_t handle) = 0;  // RasHangUpA
  virtual void AutodialDefault() = 0;  // InternetAutodial, unattended, main window as parent
};

inline constexpr const char* kNoDialupNotice = "没有可用的拨号连接";
inline constexpr const char* kHangUpFailedNotice = "断开失败";
inline constexpr const char* kHangUpDoneNotice = "断开成功";

// Hangs up the first active connection and says how it went.
void HangUpDialup(DialupSystem& ras, NoticeSink& notices);

void DialDefaultConnection(DialupSystem& ras);

// The program that switches an adapter: netsh of the system directory,
// started by its full path, no command interpreter in between.
inline constexpr const char* kNetshProgram = "netsh.exe";

// netsh's arguments for an adapter: int set int name="<name>" admin=disable
// (or enable). Nothing when the name would not come back whole as one
// argument, or holds what a command interpreter would expand: a double
// quote, '%', '!', a control character, or at its end a backslash or a lone
// GBK lead byte (either would take the closing quote with it).
std::optional<std::string> AdapterCommand(const std::string& name, bool enable);

// The command line a system program runs with: its full path in double
// quotes, a blank and its arguments. `systemDir` is the system directory.
std::string SystemProgramCommandLine(const std::string& systemDir, const std::string& program,
                                     const std::string& arguments);

// What is wrong with an adapter name AdapterCommand refuses (no full stop), so
// that the editor's refusal and the run-time notice say the same.
std::string AdapterNameProblem(const std::string& name);
// The notice for a refused adapter name.
std::string RefusedAdapterNotice(const std::string& name);

// Runs "<system directory>\netsh.exe int set int name="<name>" admin=..."
// hidden, in the Windows directory. A name AdapterCommand refuses runs
// nothing and is reported instead.
void SetAdapterState(const std::string& name, bool enable, ShellPort& shell, NoticeSink& notices);

}  // namespace ordavi
