// GBK (code page 936) and UTF-16, converted explicitly at the edge: the core
// keeps every stored and compared text as GBK bytes, and the system's W
// functions take UTF-16, whatever the system's ANSI code page is (1252 on an
// English Windows, 932 on a Japanese one, 65001 with the "UTF-8 for worldwide
// language support" setting).
#pragma once

#include <optional>
#include <string>

namespace ordavi {

std::wstring WideFromGbk(const std::string& gbk);
// A character GBK cannot hold becomes "?", as the ANSI functions of a system
// whose code page is 936 give it.
std::string GbkFromWide(const std::wstring& wide);
// Nothing when a character cannot be held in GBK.
std::optional<std::string> GbkFromWideExactly(const std::wstring& wide);

}  // namespace ordavi
