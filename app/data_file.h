// Port: one file of the agent's own data (the run history, the last pass),
// kept in the user's local application data, where the agent can always
// write, with or without administrator rights.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ordavi {

class DataFile {
 public:
  virtual ~DataFile() = default;
  // The size in bytes, 0 when the file does not exist; nothing when it cannot
  // be reached.
  virtual std::optional<std::uint64_t> Size() = 0;
  // Adds `bytes` at the end, creating the file (and its folder) when needed.
  virtual bool Append(const std::string& bytes) = 0;
  // The whole file, empty when it does not exist; nothing when it cannot be
  // read. A file far larger than the agent ever writes may be given as its
  // newest part only, starting at a line.
  virtual std::optional<std::string> ReadAll() = 0;
  // The file's content becomes `bytes`.
  virtual bool Replace(const std::string& bytes) = 0;
  // The file is removed.
  virtual bool Clear() = 0;
};

}  // namespace ordavi
