#include "transfer/win32/win32_file_access.h"

#include "store/win32/gbk_text.h"
#include "platform/win32/whole_file.h"

namespace ordavi {

std::optional<std::string> Win32FileAccess::ReadAll(const std::string& path, std::string& error) {
  return platform::ReadWholeFile(WideFromUtf8(path), error);
}

bool Win32FileAccess::WriteAll(const std::string& path, const std::string& bytes, std::string& error) {
  return platform::WriteWholeFile(WideFromUtf8(path), bytes, error);
}

}  // namespace ordavi
