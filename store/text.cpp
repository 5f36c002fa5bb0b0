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

namespace {

// Each control character shown as '?'.
std::string WithoutControls(std::string text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char b = static_cast<unsigned char>(text[i]);
    if (IsGbkLeadByte(b) && i + 1 < text.size()) {
      ++i;  // a trail byte is never a control character
    } else if (b < 0x20 || b == 0x7F) {
      text[i] = '?';
    }
  }
  return text;
}

}  // namespace

std::string QuoteForMessage(const std::string& gbk) {
  const std::string quoted = FirstChars(gbk, kQuotedChars);
  return WithoutControls(quoted) + (quoted.size() < gbk.size() ? "…" : "");
}

std::string QuoteHeadAndTail(const std::string& gbk, std::size_t count) {
  std::size_t chars = 0;
  for (std::size_t pos = 0; pos < gbk.size(); ++chars) {
    pos += IsGbkLeadByte(static_cast<unsigned char>(gbk[pos])) && pos + 1 < gbk.size() ? 2 : 1;
  }
  if (chars <= count) return WithoutControls(gbk);
  const std::string head = FirstChars(gbk, count / 2);
  // The tail starts after the first chars - (count - count / 2) characters.
  const std::size_t tailStart = FirstChars(gbk, chars - (count - count / 2)).size();
  return WithoutControls(head) + "…" + WithoutControls(gbk.substr(tailStart));
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

bool ProcessMatches(const std::string& exeFile, const std::string& name) {
  const std::string target = AsciiUpper(name);
  return AsciiUpper(SplitPath(exeFile).name) == target || AsciiUpper(exeFile) == target;
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

std::string Concat(std::initializer_list<std::string_view> parts) {
  std::size_t size = 0;
  for (std::string_view p : parts) size += p.size();
  std::string text;
  text.reserve(size);
  for (std::string_view p : parts) text.append(p.data(), p.size());
  return text;
}

}  // namespace ordavi
