// The FileAccess fake: files in memory by name. A name that is not there
// cannot be read ("not found"); a name holding "readonly" cannot be written
// ("access denied").
#pragma once

#include <map>
#include <optional>
#include <string>

#include "transfer/export_import.h"

namespace ordavi::testing {

class MemoryFiles : public FileAccess {
 public:
  std::map<std::string, std::string> files;
  std::optional<std::string> ReadAll(const std::string& path, std::string& error) override {
    if (!files.count(path)) {
      error = "not found";
      return std::nullopt;
    }
    return files[path];
  }
  bool WriteAll(const std::string& path, const std::string& bytes, std::string& error) override {
    if (path.find("readonly") != std::string::npos) {
      error = "access denied";
      return false;
    }
    files[path] = bytes;
    return true;
  }
};

}  // namespace ordavi::testing
