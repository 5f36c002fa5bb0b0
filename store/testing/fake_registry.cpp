#include "store/testing/fake_registry.h"

namespace ordavi::testing {

namespace {
std::string DwordBytes(std::uint32_t v) {
  std::string b(4, '\0');
  for (int i = 0; i < 4; ++i) b[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  return b;
}

// Forwards to a key owned by the root.
class KeyHandle : public RegistryKey {
 public:
  explicit KeyHandle(FakeRegistryKey& k) : k_(k) {}
  std::optional<RegValue> Query(const std::string& n) override { return k_.Query(n); }
  bool SetString(const std::string& n, const std::string& t) override { return k_.SetString(n, t); }
  bool SetDword(const std::string& n, std::uint32_t v) override { return k_.SetDword(n, v); }
  bool Delete(const std::string& n) override { return k_.Delete(n); }
  std::vector<std::string> ValueNames() override { return k_.ValueNames(); }
  bool Writable() const override { return k_.Writable(); }

 private:
  FakeRegistryKey& k_;
};
}  // namespace

std::optional<RegValue> FakeRegistryKey::Query(const std::string& name) {
  auto it = values.find(name);
  if (it == values.end()) return std::nullopt;
  return it->second;
}

bool FakeRegistryKey::Refuses(const std::string& name) {
  ++writesTried;
  const bool refused = failWrites.count(name) > 0 || writesTried == failWriteNumber ||
                       (failAlsoWriteNumber != 0 && writesTried == failAlsoWriteNumber);
  if (refused) refusedLog.push_back(name);
  return refused;
}

bool FakeRegistryKey::SetString(const std::string& name, const std::string& text) {
  if (Refuses(name)) return false;
  values[name] = {RegType::String, text + '\0'};
  writeLog.push_back(name + "=" + text);
  return true;
}

bool FakeRegistryKey::SetDword(const std::string& name, std::uint32_t value) {
  if (Refuses(name)) return false;
  values[name] = {RegType::Dword, DwordBytes(value)};
  writeLog.push_back(name + "=#" + std::to_string(static_cast<std::int32_t>(value)));
  return true;
}

bool FakeRegistryKey::Delete(const std::string& name) {
  if (Refuses(name)) return false;
  return values.erase(name) > 0;
}

std::vector<std::string> FakeRegistryKey::ValueNames() {
  std::vector<std::string> names;
  for (const auto& v : values) names.push_back(v.first);
  return names;
}

void FakeRegistryKey::PlantDword(const std::string& name, std::uint32_t v) { Plant(name, RegType::Dword, DwordBytes(v)); }

std::unique_ptr<RegistryKey> FakeRegistryRoot::OpenKey(const std::string& path) {
  return std::make_unique<KeyHandle>(keys_[path]);
}

}  // namespace ordavi::testing
