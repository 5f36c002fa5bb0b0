#include "store/unicode.h"

#include <gtest/gtest.h>

#include "store/testing/iconv_gbk_codec.h"

namespace ordavi {
namespace {

TEST(Utf8, StrictDecodingRefusesWhatIsNotUtf8) {
  struct Case {
    const char* name;
    std::string bytes;
    bool ok;
  };
  const Case cases[] = {
      {"ascii", "abc", true},
      {"chinese", u8"每天", true},
      {"outside the BMP", "\xF0\x9F\x98\x80", true},
      {"GBK bytes", "\xC3\xBF\xCC\xEC", false},
      {"overlong slash", "\xC0\xAF", false},
      {"overlong three bytes", "\xE0\x80\xAF", false},
      {"surrogate", "\xED\xA0\x80", false},
      {"above U+10FFFF", "\xF4\x90\x80\x80", false},
      {"cut at the end", "ab\xE6\xAF", false},
      {"lone continuation", "\x80", false},
  };
  for (const Case& c : cases) {
    const std::optional<std::u16string> wide = Utf16FromUtf8(c.bytes);
    EXPECT_EQ(wide.has_value(), c.ok) << c.name;
    if (wide) {
      EXPECT_EQ(Utf8FromUtf16(*wide), c.bytes) << c.name;
    }
  }
  EXPECT_EQ(Utf16FromUtf8("\xF0\x9F\x98\x80")->size(), 2u);  // a surrogate pair
}

TEST(Utf8, GbkComesBackExactlyOrNotAtAll) {
  testing::IconvGbkCodec codec;
  EXPECT_EQ(Utf8FromGbk(codec, "每天22时30分"), std::string(u8"每天22时30分"));
  EXPECT_EQ(GbkFromUtf8(codec, u8"每天22时30分"), std::string("每天22时30分"));
  EXPECT_EQ(GbkFromUtf8(codec, u8"€"), std::string("\x80"));           // code page 936 holds the euro sign
  EXPECT_EQ(GbkFromUtf8(codec, "\xF0\x9F\x98\x80"), std::nullopt);      // an emoji is no GBK character
  EXPECT_EQ(GbkFromUtf8(codec, "\xED\x95\x9C\xEA\xB5\xAD"), std::nullopt);                // nor is Hangul
  EXPECT_EQ(GbkFromUtf8(codec, "\xC3\xBF"), std::nullopt);              // GBK bytes are not UTF-8
  EXPECT_EQ(Utf8FromGbk(codec, "ab\xC3"), std::nullopt);                // a lead byte without its trail
}

}  // namespace
}  // namespace ordavi
