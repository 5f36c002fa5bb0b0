// The dial-up adapter over rasapi32 and wininet, loaded when first used.
#pragma once

#include <windows.h>

#include <functional>

#include "actions/network.h"

namespace ordavi {

// The platform's earliest RASCONNA layout, sized by the platform's own
// alignment: 412 bytes in the 32-bit build, 424 in the 64-bit build (an
// 8-byte handle, aligned), which is the size rasapi32 expects there.
struct RasConn412 {
  DWORD dwSize;
  HANDLE hrasconn;
  CHAR szEntryName[257];
  CHAR szDeviceType[17];
  CHAR szDeviceName[129];
};
#if defined(_WIN64)
static_assert(sizeof(RasConn412) == 424, "earliest RASCONNA layout, 64-bit");
#else
static_assert(sizeof(RasConn412) == 412, "earliest RASCONNA layout");
#endif

class Win32DialupSystem : public DialupSystem {
 public:
  explicit Win32DialupSystem(std::function<HWND()> mainWindow) : mainWindow_(std::move(mainWindow)) {}
  Connections EnumConnections() override;
  std::uint32_t HangUp(std::uintptr_t handle) override;
  void AutodialDefault() override;

 private:
  std::function<HWND()> mainWindow_;
};

}  // namespace ordavi
