#include "store/text.h"

namespace ordavi {

std::string FirstChars(const std::string& gbk, std::size_t count) {
  std::size_t pos = 0;
  for (std::size_t n = 0; n < count && pos < gbk.size(); ++n) {
    const bool pair = IsGbkLeadByte(static_cast<unsigned char>(gbk[pos])) && pos + 1 < gbk.size();
    pos += pair ? 2 : 1;
  }
  return gbk.substr(0, pos);
}

std::string QuoteForMessage(const std::string& gbk) {
  std::string quoted = FirstChars(gbk, kQuotedChars);
  const bool cut = quoted.size() < gbk.size();
  for (std::size_t i = 0; i < quoted.size(); ++i) {
    const unsigned char b = static_cast<unsigned char>(quoted[i]);
    if (IsGbkLeadByte(b) && i + 1 < quoted.size()) {
      ++i;  // a trail byte is never a control character
    } else if (b < 0x20 || b == 0x7F) {
      quoted[i] = '?';
    }
  }
  return cut ? quoted + "…" : quoted;
}

PathParts SplitPath(const std::string& gbk) {
  std::size_t cut = std::string::npos;  // index of the last separator
  for (std::size_t i = 0; i < gbk.size();) {
    const unsigned char b = static_cast<unsigned char>(gbk[i]);
    if (IsGbkLeadByte(b) && i + 1 < gbk.size()) {
      i += 2;  // the trail byte may be '\' (0x5C) but is never a separator
      continue;
    }
    if (b == '\\' || b == ':') cut = i;
    ++i;
  }
  if (cut == std::string::npos) return {std::string(), gbk};
  return {gbk.substr(0, cut + 1), gbk.substr(cut + 1)};
}

std::string AsciiUpper(const std::string& bytes) {
  std::string out = bytes;
  for (char& c : out) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (b >= 0x61 && b <= 0x7A) c = static_cast<char>(b - 0x20);
  }
  return out;
}

std::string Decimal(long long value) { return std::to_string(value); }

}  // namespace ordavi
