// Port: the process and system facts start-up needs.
#pragma once

#include <cstdint>
#include <string>

namespace ordavi {

class StartupSystem {
 public:
  virtual ~StartupSystem() = default;
  struct Version {
    std::uint32_t major = 0;
    std::uint32_t platformId = 0;
  };
  virtual Version GetVersion() = 0;  // GetVersionExA, size field 148
  virtual void EnableShutdownPrivilege() = 0;
  virtual bool IsAdministrator() = 0;
  virtual void RaisePriority() = 0;      // SetPriorityClass(GetCurrentProcess(), 0x80)
  virtual std::uint32_t TickCount() = 0; // GetTickCount
  virtual std::string UserName() = 0;    // GetUserNameA, 256-byte buffer, size 255
  virtual std::string ExePath() = 0;     // the executable's full path
};

}  // namespace ordavi
