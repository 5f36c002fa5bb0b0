// The GbkCodec port over the C library's iconv (CP936), for tests and fuzz
// targets on Linux.
#pragma once

#include "store/unicode.h"

namespace ordavi::testing {

class IconvGbkCodec : public GbkCodec {
 public:
  std::u16string Utf16FromGbk(const std::string& gbk) override;
  std::optional<std::string> GbkFromUtf16(const std::u16string& text) override;
};

}  // namespace ordavi::testing
