// The agent's data files for unit tests: the content in memory; `locked`
// makes every call fail as a file another program holds open would.
// Writes are logged as "Append(bytes)", "Replace(bytes)", "Clear()".
#pragma once

#include <string>

#include "app/data_file.h"
#include "store/testing/call_log.h"

namespace ordavi::testing {

class FakeDataFile : public Recording, public DataFile {
 public:
  using Recording::Recording;
  std::optional<std::uint64_t> Size() override {
    if (locked) return std::nullopt;
    return content.size();
  }
  bool Append(const std::string& bytes) override {
    Record("Append", {bytes});
    if (locked) return false;
    content += bytes;
    return true;
  }
  std::optional<std::string> ReadAll() override {
    if (locked) return std::nullopt;
    return content;
  }
  bool Replace(const std::string& bytes) override {
    Record("Replace", {bytes});
    if (locked) return false;
    content = bytes;
    return true;
  }
  bool Clear() override {
    Record("Clear", {});
    if (locked) return false;
    content.clear();
    return true;
  }

  std::string content;
  bool locked = false;
};

}  // namespace ordavi::testing
