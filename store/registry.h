// The registry, as the store sees it.
//
// RegistryKey is the port: one open key with raw typed values, texts as GBK
// bytes. The Win32 adapter (store/win32/) implements it over RegQueryValueExW
// and friends, converting texts with code page 936; the tests use
// store/testing/fake_registry.h.
//
// Registry is the shared accessor on top of it. It applies the store's rules
// for reading and writing: an absent or empty string reads as the empty text,
// an integer must be a REG_DWORD, and every failure is a FrameworkError with
// the value's name.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ordavi {

// Registry paths under HKEY_LOCAL_MACHINE.
extern const char* const kProgramKeyPath;  // \Software\Velmora\Ordavi
extern const char* const kRunKeyPath;      // \Software\Microsoft\Windows\CurrentVersion\Run

enum class RegType { String, ExpandString, Dword, Binary, Other };

struct RegValue {
  RegType type = RegType::Other;
  std::string data;  // the stored bytes, exactly (a string's terminating NUL included)
  bool operator==(const RegValue& o) const { return type == o.type && data == o.data; }
};

class RegistryKey {
 public:
  virtual ~RegistryKey() = default;
  virtual std::optional<RegValue> Query(const std::string& name) = 0;
  // REG_SZ holding the text and one terminating NUL. False when refused.
  virtual bool SetString(const std::string& name, const std::string& text) = 0;
  // REG_DWORD. False when refused.
  virtual bool SetDword(const std::string& name, std::uint32_t value) = 0;
  // False when the value did not exist or could not be deleted.
  virtual bool Delete(const std::string& name) = 0;
  // The names of the values the key holds, in no particular order.
  virtual std::vector<std::string> ValueNames() = 0;
};

// Opens keys under HKEY_LOCAL_MACHINE, creating them when missing. May return
// a key that refuses everything when the platform refuses the open.
class RegistryRoot {
 public:
  virtual ~RegistryRoot() = default;
  virtual std::unique_ptr<RegistryKey> OpenKey(const std::string& path) = 0;
};

class Registry {
 public:
  explicit Registry(RegistryKey& key) : key_(key) {}

  bool ValueExists(const std::string& name);
  // A REG_DWORD as a signed 32-bit integer. Absent: GetDataError; another
  // type: InvalidTypeError.
  std::int32_t ReadInteger(const std::string& name);
  // A REG_SZ or REG_EXPAND_SZ up to its first NUL. Absent or empty: the empty
  // text; another type: InvalidTypeError.
  std::string ReadString(const std::string& name);
  void WriteInteger(const std::string& name, std::int32_t value);  // SetDataError when refused
  void WriteString(const std::string& name, const std::string& text);
  bool DeleteValue(const std::string& name);
  std::vector<std::string> ValueNames() { return key_.ValueNames(); }

 private:
  RegistryKey& key_;
};

}  // namespace ordavi
