#include "store/testing/readable_failures.h"

#include <gtest/gtest.h>

#include "store/testing/iconv_gbk_codec.h"

namespace ordavi::testing {
namespace {

// Messages as GoogleTest writes them; the Chinese literals here are GBK
// (the tests' execution character set), the expected output UTF-8 (u8).
TEST(ReadableFailureTest, GbkBecomesUtf8AndEscapedBytesAreShownAsText) {
  struct Case {
    std::string message;
    std::string readable;
  };
  const Case cases[] = {
      // The expression's literal, and a value split where a digit follows \x.
      {"  std::string(\"每天\")\n    Which is: \"\\xC3\\xBF\\xCC\\xEC\" \"8\\xCA\\xB1\" \"30\\xB7\\xD6\"\n",
       u8"  std::string(\"每天\")\n    Which is: \"\\xC3\\xBF\\xCC\\xEC\" \"8\\xCA\\xB1\" \"30\\xB7\\xD6\"\n"
       u8"    as text:  \"每天8时30分\"\n"},
      // Escaped quotes, backslashes and control bytes, the last line unended.
      {"Which is: \"\\xB9\\xD8\\r\\n\\\"\\\\\\0x\"",
       u8"Which is: \"\\xB9\\xD8\\r\\n\\\"\\\\\\0x\"\nas text:  \"关\\x0D\\x0A\"\\\\x00x\""},
      // A one-digit escape, closed before a letter that is a hex digit.
      {"Which is: \"\\x5\" \"A\\xB9\\xD8\"", u8"Which is: \"\\x5\" \"A\\xB9\\xD8\"\nas text:  \"\\x05A关\""},
      // A wide string's escapes are not bytes; plain ASCII stays as it is.
      {"  Which is: L\"\\x6BCF\"\nValue of: Has(log, \"a\")\n  Actual: false",
       "  Which is: L\"\\x6BCF\"\nValue of: Has(log, \"a\")\n  Actual: false"},
  };
  IconvGbkCodec codec;
  for (const Case& c : cases) EXPECT_EQ(ReadableFailure(c.message, codec), c.readable);
}

}  // namespace
}  // namespace ordavi::testing
