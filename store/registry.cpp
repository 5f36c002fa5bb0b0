#include "store/registry.h"

#include "store/errors.h"

namespace ordavi {

const char* const kProgramKeyPath = "\\Software\\Velmora\\Ordavi";
const char* const kRunKeyPath = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

bool Registry::ValueExists(const std::string& name) { return key_.Query(name).has_value(); }

std::int32_t Registry::ReadInteger(const std::string& name) {
  const std::optional<RegValue> v = key_.Query(name);
  if (!v) throw GetDataError(name);
  if (v->type != RegType::Dword) throw InvalidTypeError(name);
  if (v->data.size() != 4) throw GetDataError(name);
  std::uint32_t u = 0;
  for (int i = 3; i >= 0; --i) u = (u << 8) | static_cast<unsigned char>(v->data[i]);
  return static_cast<std::int32_t>(u);
}

std::string Registry::ReadString(const std::string& name) {
  const std::optional<RegValue> v = key_.Query(name);
  if (!v || v->data.empty()) return std::string();
  if (v->type != RegType::String && v->type != RegType::ExpandString) throw InvalidTypeError(name);
  const std::size_t nul = v->data.find('\0');
  return nul == std::string::npos ? v->data : v->data.substr(0, nul);
}

void Registry::WriteInteger(const std::string& name, std::int32_t value) {
  if (!key_.SetDword(name, static_cast<std::uint32_t>(value))) throw SetDataError(name);
}

void Registry::WriteString(const std::string& name, const std::string& text) {
  if (!key_.SetString(name, text)) throw SetDataError(name);
}

bool Registry::DeleteValue(const std::string& name) { return key_.Delete(name); }

}  // namespace ordavi
