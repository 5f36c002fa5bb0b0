// UTF-8 text and GBK bytes. The core keeps every stored text as GBK; a text
// that leaves or enters the program as UTF-8 (the task file) goes through
// UTF-16 and the GbkCodec port, so that GBK is converted by the platform's
// own code page 936 table, the same one the registry adapter uses: a
// character the file accepts is exactly one the registry can hold.
#pragma once

#include <optional>
#include <string>

namespace ordavi {

// Port: code page 936 and UTF-16.
class GbkCodec {
 public:
  virtual ~GbkCodec() = default;
  // Bytes that are not GBK become U+FFFD.
  virtual std::u16string Utf16FromGbk(const std::string& gbk) = 0;
  // Nothing when a character cannot be held in GBK.
  virtual std::optional<std::string> GbkFromUtf16(const std::u16string& text) = 0;
};

// Strict UTF-8: nothing for an overlong form, a surrogate, a code point above
// U+10FFFF or a cut sequence.
std::optional<std::u16string> Utf16FromUtf8(const std::string& utf8);
// An unpaired surrogate becomes U+FFFD.
std::string Utf8FromUtf16(const std::u16string& text);

// GBK bytes as UTF-8; nothing when the bytes are not GBK (they would not come
// back as they were).
std::optional<std::string> Utf8FromGbk(GbkCodec& codec, const std::string& gbk);
// UTF-8 as GBK bytes; nothing when the text is not UTF-8 or holds a
// character GBK cannot hold.
std::optional<std::string> GbkFromUtf8(GbkCodec& codec, const std::string& utf8);

}  // namespace ordavi
