// Process and system facts for start-up over the Win32 API.
#pragma once

#include "app/agent.h"

namespace ordavi {

class Win32StartupSystem : public StartupSystem {
 public:
  Version GetVersion() override;
  void EnableShutdownPrivilege() override;
  bool IsAdministrator() override;
  void RaisePriority() override;
  std::uint32_t TickCount() override;
  std::string UserName() override;
  std::string ExePath() override;
};

}  // namespace ordavi
