#include "store/win32/win32_registry.h"

#include <windows.h>

#include <vector>

namespace ordavi {

namespace {

RegType TypeOf(DWORD type) {
  switch (type) {
    case REG_SZ:
      return RegType::String;
    case REG_EXPAND_SZ:
      return RegType::ExpandString;
    case REG_DWORD:
      return RegType::Dword;
    case REG_BINARY:
      return RegType::Binary;
    default:
      return RegType::Other;
  }
}

// One open key; a null handle stands for a key the platform refused to open.
class Win32RegistryKey : public RegistryKey {
 public:
  Win32RegistryKey(HKEY key, bool writable) : key_(key), writable_(key && writable) {}
  ~Win32RegistryKey() override {
    if (key_) RegCloseKey(key_);
  }
  Win32RegistryKey(const Win32RegistryKey&) = delete;
  Win32RegistryKey& operator=(const Win32RegistryKey&) = delete;

  std::optional<RegValue> Query(const std::string& name) override {
    if (!key_) return std::nullopt;
    // One call reads every value that fits a small buffer: the task tick
    // reads two values of every task on each pass, and each call is a round
    // trip to the registry. A larger value is read again with the size the
    // first call reported; that size may be an over-estimate for strings (the
    // ANSI call converts from the stored wide text), so the size of the
    // successful call is the one kept. The loop covers a value that grows in
    // between.
    DWORD type = 0;
    BYTE small[256];
    DWORD size = sizeof small;
    LONG rc = RegQueryValueExA(key_, name.c_str(), nullptr, &type, small, &size);
    if (rc == ERROR_SUCCESS) return Value(type, small, size);
    if (rc != ERROR_MORE_DATA) return std::nullopt;
    std::vector<BYTE> buf;
    for (int attempt = 0; attempt < 4; ++attempt) {
      buf.resize(size + 1);
      DWORD got = static_cast<DWORD>(buf.size());
      rc = RegQueryValueExA(key_, name.c_str(), nullptr, &type, buf.data(), &got);
      if (rc == ERROR_SUCCESS) return Value(type, buf.data(), got);
      if (rc != ERROR_MORE_DATA) return std::nullopt;
      size = got;
    }
    return std::nullopt;
  }

  bool SetString(const std::string& name, const std::string& text) override {
    if (!key_) return false;
    // The text and exactly one terminating NUL.
    return RegSetValueExA(key_, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
  }

  bool SetDword(const std::string& name, std::uint32_t value) override {
    if (!key_) return false;
    const DWORD v = value;
    return RegSetValueExA(key_, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v) ==
           ERROR_SUCCESS;
  }

  bool Delete(const std::string& name) override {
    if (!key_) return false;
    return RegDeleteValueA(key_, name.c_str()) == ERROR_SUCCESS;
  }

  bool Writable() const override { return writable_; }

  std::vector<std::string> ValueNames() override {
    std::vector<std::string> names;
    if (!key_) return names;
    char name[16384];  // the longest value name the registry allows, and its NUL
    for (DWORD i = 0;; ++i) {
      DWORD length = sizeof name;
      const LONG rc = RegEnumValueA(key_, i, name, &length, nullptr, nullptr, nullptr, nullptr);
      if (rc == ERROR_MORE_DATA) continue;  // a name that does not fit cannot be a task value's
      if (rc != ERROR_SUCCESS) break;
      names.emplace_back(name, length);
    }
    return names;
  }

 private:
  static RegValue Value(DWORD type, const BYTE* data, DWORD size) {
    RegValue v;
    v.type = TypeOf(type);
    v.data.assign(reinterpret_cast<const char*>(data), size);
    return v;
  }

  HKEY key_;
  bool writable_;
};

}  // namespace

std::unique_ptr<RegistryKey> Win32RegistryRoot::OpenKey(const std::string& path) {
  const std::string sub = !path.empty() && path[0] == '\\' ? path.substr(1) : path;
  HKEY key = nullptr;
  bool writable = true;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, sub.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                      &key, nullptr) != ERROR_SUCCESS) {
    // Without administrator rights a key under HKEY_LOCAL_MACHINE opens for
    // reading only: the tasks and options are still read and run, and every
    // write fails and is reported as a refused write.
    writable = false;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, sub.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) key = nullptr;
  }
  return std::make_unique<Win32RegistryKey>(key, writable);
}

}  // namespace ordavi
