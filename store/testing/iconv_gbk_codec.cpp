#include "store/testing/iconv_gbk_codec.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace ordavi::testing {

namespace {

// Converts `in` whole; `bad` decides what happens at bytes iconv refuses:
// true to skip `skip` bytes and append `replacement`, false to give up.
bool Convert(const char* to, const char* from, const std::string& in, std::string& out, bool replace,
             std::size_t skip, const std::string& replacement) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open");
  char* src = const_cast<char*>(in.data());
  std::size_t srcLeft = in.size();
  bool ok = true;
  while (srcLeft > 0) {
    char buf[256];
    char* dst = buf;
    std::size_t dstLeft = sizeof buf;
    const std::size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out.append(buf, dst);
    if (r != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
    if (!replace) {
      ok = false;
      break;
    }
    const std::size_t n = srcLeft < skip ? srcLeft : skip;
    src += n;
    srcLeft -= n;
    out += replacement;
  }
  iconv_close(cd);
  return ok;
}

}  // namespace

std::u16string IconvGbkCodec::Utf16FromGbk(const std::string& gbk) {
  std::string bytes;
  Convert("UTF-16LE", "CP936", gbk, bytes, true, 1, std::string("\xFD\xFF", 2));
  std::u16string out;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    out += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8));
  }
  return out;
}

std::optional<std::string> IconvGbkCodec::GbkFromUtf16(const std::u16string& text) {
  std::string bytes;
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  std::string out;
  if (!Convert("CP936", "UTF-16LE", bytes, out, false, 0, std::string())) return std::nullopt;
  return out;
}

}  // namespace ordavi::testing
