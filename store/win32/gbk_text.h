// GBK (code page 936) and UTF-16, converted explicitly at the edge: the core
// keeps every stored and compared text as GBK bytes, and the system's W
// functions take UTF-16, whatever the system's ANSI code page is (1252 on an
// English Windows, 932 on a Japanese one, 65001 with the "UTF-8 for worldwide
// language support" setting).
#pragma once

#include <optional>
#include <string>

#include "store/unicode.h"

namespace ordavi {

std::wstring WideFromGbk(const std::string& gbk);
// A character GBK cannot hold becomes "?", as the ANSI functions of a system
// whose code page is 936 give it.
std::string GbkFromWide(const std::wstring& wide);
// Nothing when a character cannot be held in GBK.
std::optional<std::string> GbkFromWideExactly(const std::wstring& wide);

// UTF-8 (the task file's names, the command line, the run history) and
// UTF-16; text that is not UTF-8 gives the empty text.
std::wstring WideFromUtf8(const std::string& utf8);
std::string Utf8FromWide(const std::wstring& wide);

// The core's GBK port over the same conversions (the task file).
class Win32GbkCodec : public GbkCodec {
 public:
  std::u16string Utf16FromGbk(const std::string& gbk) override;
  std::optional<std::string> GbkFromUtf16(const std::u16string& text) override;
};

}  // namespace ordavi
