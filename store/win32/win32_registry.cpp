#include "store/win32/win32_registry.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "store/win32/gbk_text.h"

namespace ordavi {

namespace {

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

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
// Names and texts go through the W functions and are converted from and to
// GBK explicitly, so the key holds the same UTF-16 on every system, exactly
// what the ANSI functions store on a system whose code page is 936.
class Win32RegistryKey : public RegistryKey {
 public:
  explicit Win32RegistryKey(HKEY key) : key_(key) {}
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
    // first call reported; the loop covers a value that grows in between.
    const std::wstring wideName = WideFromGbk(name);
    DWORD type = 0;
    BYTE small[512];
    DWORD size = sizeof small;
    LONG rc = RegQueryValueExW(key_, wideName.c_str(), nullptr, &type, small, &size);
    if (rc == ERROR_SUCCESS) return Value(type, small, size);
    if (rc != ERROR_MORE_DATA) return std::nullopt;
    std::vector<BYTE> buf;
    for (int attempt = 0; attempt < 4; ++attempt) {
      buf.resize(size + 2);
      DWORD got = static_cast<DWORD>(buf.size());
      rc = RegQueryValueExW(key_, wideName.c_str(), nullptr, &type, buf.data(), &got);
      if (rc == ERROR_SUCCESS) return Value(type, buf.data(), got);
      if (rc != ERROR_MORE_DATA) return std::nullopt;
      size = got;
    }
    return std::nullopt;
  }

  bool SetString(const std::string& name, const std::string& text) override {
    if (!key_) return false;
    // The text and exactly one terminating NUL.
    const std::wstring wide = WideFromGbk(text);
    return RegSetValueExW(key_, WideFromGbk(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                          static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
  }

  bool SetDword(const std::string& name, std::uint32_t value) override {
    if (!key_) return false;
    const DWORD v = value;
    return RegSetValueExW(key_, WideFromGbk(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v),
                          sizeof v) == ERROR_SUCCESS;
  }

  bool Delete(const std::string& name) override {
    if (!key_) return false;
    return RegDeleteValueW(key_, WideFromGbk(name).c_str()) == ERROR_SUCCESS;
  }

  std::vector<std::string> ValueNames() override {
    std::vector<std::string> names;
    if (!key_) return names;
    std::vector<wchar_t> name(16384);  // the longest value name the registry allows, and its NUL
    for (DWORD i = 0;; ++i) {
      DWORD length = static_cast<DWORD>(name.size());
      const LONG rc = RegEnumValueW(key_, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
      if (rc == ERROR_MORE_DATA) continue;  // a name that does not fit cannot be a task value's
      if (rc != ERROR_SUCCESS) break;
      names.push_back(GbkFromWide(std::wstring(name.data(), length)));
    }
    return names;
  }

 private:
  // A text's UTF-16 (an odd last byte dropped) becomes GBK, its NULs kept;
  // other types keep their bytes.
  static RegValue Value(DWORD type, const BYTE* data, DWORD size) {
    RegValue v;
    v.type = TypeOf(type);
    if (IsText(type)) {
      std::wstring wide(size / sizeof(wchar_t), L'\0');
      if (!wide.empty()) std::memcpy(&wide[0], data, wide.size() * sizeof(wchar_t));
      v.data = GbkFromWide(wide);
    } else {
      v.data.assign(reinterpret_cast<const char*>(data), size);
    }
    return v;
  }

  HKEY key_;
};

}  // namespace

std::unique_ptr<RegistryKey> Win32RegistryRoot::OpenKey(const std::string& path) {
  const std::wstring sub = WideFromGbk(!path.empty() && path[0] == '\\' ? path.substr(1) : path);
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, sub.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                      &key, nullptr) != ERROR_SUCCESS) {
    // Without administrator rights a key under HKEY_LOCAL_MACHINE opens for
    // reading only: the tasks and options are still read and run, and every
    // write fails and is reported as a refused write.
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, sub.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) key = nullptr;
  }
  return std::make_unique<Win32RegistryKey>(key);
}

}  // namespace ordavi
