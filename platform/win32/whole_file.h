// Whole files by a UTF-16 path (any characters: a file only read or written
// is never stored, so its name needs no GBK): all bytes read, or all bytes
// written in place of what the file held.
#pragma once

#include <optional>
#include <string>

namespace ordavi::platform {

// Files larger than this are refused when read: no task file comes near it.
inline constexpr unsigned long kWholeFileLimit = 16ul * 1024 * 1024;

// Nothing when the file cannot be read; `error` is then the system's reason
// (GBK). A file is written beside itself ("….part", always a new file) and
// then moved in place of the old one, so a failed write never leaves a
// half-written file. On a drive both happen relative to the folder, opened
// once without following links (platform::HeldFolder): a link as the folder, above
// it, at the file or at the part file is refused with a message.
std::optional<std::string> ReadWholeFile(const std::wstring& path, std::string& error);
bool WriteWholeFile(const std::wstring& path, const std::string& bytes, std::string& error);

}  // namespace ordavi::platform
