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

// The cmd.exe parameter text for an adapter, or nothing when the name holds a
// character that would escape its quotes or be expanded by the command
// interpreter: a double quote, '%', '!', or a control character.
std::optional<std::string> AdapterCommand(const std::string& name, bool enable);

// What is wrong with an adapter name AdapterCommand refuses (no full stop), so
// that the editor's refusal and the run-time notice say the same.
std::string AdapterNameProblem(const std::string& name);
// The notice for a refused adapter name.
std::string RefusedAdapterNotice(const std::string& name);

// Runs "cmd.exe /c  netsh int set int name="<name>" admin=..." hidden, in the
// Windows directory. A name AdapterCommand refuses runs nothing and is
// reported instead.
void SetAdapterState(const std::string& name, bool enable, ShellPort& shell, NoticeSink& notices);

}  // namespace ordavi
