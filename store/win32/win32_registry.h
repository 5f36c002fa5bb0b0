// The registry port over the Win32 API, rooted at HKEY_LOCAL_MACHINE. Texts
// are stored as UTF-16 converted from GBK with code page 936, whatever the
// system's ANSI code page.
//
// A 32-bit build sees the 32-bit (redirected) view of HKLM\Software, as the
// shipped program always has; no view flags are passed.
#pragma once

#include <memory>
#include <string>

#include "store/registry.h"

namespace ordavi {

class Win32RegistryRoot : public RegistryRoot {
 public:
  // Opens `path` (as in kProgramKeyPath, with or without the leading
  // backslash) under HKEY_LOCAL_MACHINE, creating it when missing. When the
  // platform refuses, the key returned refuses every call: Query gives
  // nothing and every write or delete reports failure.
  std::unique_ptr<RegistryKey> OpenKey(const std::string& path) override;
};

}  // namespace ordavi
