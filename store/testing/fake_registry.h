// An in-memory registry for unit tests. Keys are kept by path in one
// FakeRegistryRoot; a write can be made to fail, and any value can be planted
// with any type.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "store/registry.h"

namespace ordavi::testing {

class FakeRegistryRoot;

class FakeRegistryKey : public RegistryKey {
 public:
  std::optional<RegValue> Query(const std::string& name) override;
  bool SetString(const std::string& name, const std::string& text) override;
  bool SetDword(const std::string& name, std::uint32_t value) override;
  bool Delete(const std::string& name) override;
  std::vector<std::string> ValueNames() override;
  bool Writable() const override { return writable; }

  // Test controls.
  void Plant(const std::string& name, RegType type, const std::string& bytes) { values[name] = {type, bytes}; }
  void PlantString(const std::string& name, const std::string& text) { Plant(name, RegType::String, text + '\0'); }
  void PlantDword(const std::string& name, std::uint32_t v);
  // The next writes of these names fail (each stays failing until cleared).
  std::set<std::string> failWrites;
  // Writes and deletes tried so far; the one whose count equals
  // failWriteNumber (1 = the first) fails, the others go through.
  int writesTried = 0;
  int failWriteNumber = 0;
  // A second write that fails the same way, for example one of the writes
  // that undo an operation after its refused write.
  int failAlsoWriteNumber = 0;
  // The names of the writes and deletes that were refused, in order.
  std::vector<std::string> refusedLog;
  // Every write that went through, in order, as "name=text" or "name=#number".
  std::vector<std::string> writeLog;
  std::map<std::string, RegValue> values;
  // What Writable reports (a key opened for reading only); writes are refused
  // through failWrites / failWriteNumber as usual.
  bool writable = true;

 private:
  bool Refuses(const std::string& name);
};

class FakeRegistryRoot : public RegistryRoot {
 public:
  std::unique_ptr<RegistryKey> OpenKey(const std::string& path) override;
  FakeRegistryKey& Key(const std::string& path) { return keys_[path]; }

 private:
  // Keys handed out by OpenKey forward to these, so state outlives the handle.
  std::map<std::string, FakeRegistryKey> keys_;
};

}  // namespace ordavi::testing
