// The FileAccess port over whole files by UTF-16 path: the settings dialog's
// export and import and the command line's use it alike.
#pragma once

#include <optional>
#include <string>

#include "transfer/export_import.h"

namespace ordavi {

class Win32FileAccess : public FileAccess {
 public:
  std::optional<std::string> ReadAll(const std::string& path, std::string& error) override;
  bool WriteAll(const std::string& path, const std::string& bytes, std::string& error) override;
};

}  // namespace ordavi
