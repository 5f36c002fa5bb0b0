// Byte-level helpers for GBK text (code page 936). Every stored and compared
// text in Ordavi is GBK: an ASCII character is one byte, a Chinese character
// two (a lead byte 0x81..0xFE followed by a trail byte).
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace ordavi {

// True when byte b starts a double-byte GBK character.
inline bool IsGbkLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

// The first `count` characters of a GBK text (characters, not bytes).
std::string FirstChars(const std::string& gbk, std::size_t count);

// A stored text as a message quotes it: at most kQuotedChars characters,
// then "…" when there was more, and a control character shown as '?', so a
// damaged or huge value gives a short, one-line message.
inline constexpr std::size_t kQuotedChars = 32;
std::string QuoteForMessage(const std::string& gbk);

// The same for a text whose end matters as much as its start (a program's
// path): whole up to `count` characters, else its first and last characters
// around "…", so neither the folder nor the file name can be pushed out of
// sight by length.
std::string QuoteHeadAndTail(const std::string& gbk, std::size_t count);

// A path split at its last '\' or ':' that is not the trail byte of a
// double-byte character. `dir` runs up to and including that separator (empty
// when there is none); `name` is everything after it (the whole text when
// there is none).
struct PathParts {
  std::string dir;
  std::string name;
};
PathParts SplitPath(const std::string& gbk);

// ASCII upper case, byte by byte: every byte 'a'..'z' loses 0x20 wherever it
// stands, also as the trail byte of a Chinese character.
std::string AsciiUpper(const std::string& bytes);

// Whether a snapshot entry names the program `name`: the ASCII upper case of
// the entry's file-name part equals that of `name`, or failing that, the
// upper case of the entry's whole text does. Upper-casing is byte-wise, so
// both sides are converted alike, Chinese trail bytes included.
bool ProcessMatches(const std::string& exeFile, const std::string& name);

// Plain decimal: optional minus sign, no leading zeros, no padding.
std::string Decimal(long long value);

// The parts one after another. One call in place of a chain of `+`, each of
// which the compiler expands into its own temporary: the shipped program is
// built for size.
std::string Concat(std::initializer_list<std::string_view> parts);

}  // namespace ordavi
