#include "store/win32/gbk_text.h"

#include <windows.h>

namespace ordavi {

namespace {
constexpr UINT kGbk = 936;
}  // namespace

std::wstring WideFromGbk(const std::string& gbk) {
  if (gbk.empty()) return std::wstring();
  const int length = static_cast<int>(gbk.size());
  const int n = MultiByteToWideChar(kGbk, 0, gbk.data(), length, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(kGbk, 0, gbk.data(), length, &wide[0], n);
  return wide;
}

namespace {

std::string Convert(const std::wstring& wide, BOOL* lossy) {
  if (wide.empty()) return std::string();
  const int length = static_cast<int>(wide.size());
  // Default flags, as the ANSI functions use. The exact conversion asks for
  // no best-fit mapping, which would pass a character GBK lacks for a
  // look-alike.
  const DWORD flags = lossy ? WC_NO_BEST_FIT_CHARS : 0;
  const int n = WideCharToMultiByte(kGbk, flags, wide.data(), length, nullptr, 0, nullptr, lossy);
  if (n <= 0) return std::string();
  std::string gbk(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(kGbk, flags, wide.data(), length, &gbk[0], n, nullptr, lossy);
  return gbk;
}

}  // namespace

std::string GbkFromWide(const std::wstring& wide) { return Convert(wide, nullptr); }

std::optional<std::string> GbkFromWideExactly(const std::wstring& wide) {
  BOOL lossy = FALSE;
  std::string gbk = Convert(wide, &lossy);
  if (lossy) return std::nullopt;
  return gbk;
}

// wchar_t is the UTF-16 unit on Windows.
static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t");

std::u16string Win32GbkCodec::Utf16FromGbk(const std::string& gbk) {
  const std::wstring wide = WideFromGbk(gbk);
  return std::u16string(wide.begin(), wide.end());
}

std::optional<std::string> Win32GbkCodec::GbkFromUtf16(const std::u16string& text) {
  return GbkFromWideExactly(std::wstring(text.begin(), text.end()));
}

std::wstring WideFromUtf8(const std::string& utf8) {
  const std::optional<std::u16string> text = Utf16FromUtf8(utf8);
  return text ? std::wstring(text->begin(), text->end()) : std::wstring();
}

std::string Utf8FromWide(const std::wstring& wide) { return Utf8FromUtf16(std::u16string(wide.begin(), wide.end())); }

}  // namespace ordavi
