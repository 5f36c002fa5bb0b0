#include "store/text.h"

#include <gtest/gtest.h>

namespace ordavi {
namespace {

TEST(GbkText, FirstCharsCountsCharactersNotBytes) {
  EXPECT_EQ(FirstChars("每天8时30分", 2), "每天");
  EXPECT_EQ(FirstChars("ab每天", 2), "ab");
  EXPECT_EQ(FirstChars("a每天", 2), "a每");
  EXPECT_EQ(FirstChars("每", 2), "每");
  EXPECT_EQ(FirstChars("", 2), "");
  EXPECT_EQ(FirstChars(std::string("\xC3", 1), 2), std::string("\xC3", 1));  // a lone lead byte is one character
}

TEST(GbkText, QuotedStoredTextsStayShortAndOnOneLine) {
  const std::string chinese40 = [] {
    std::string s;
    for (int i = 0; i < 40; ++i) s += "提";
    return s;
  }();
  const struct {
    std::string text, quoted;
  } cases[] = {
      {"每天8时30分", "每天8时30分"},
      {std::string(32, 'x'), std::string(32, 'x')},
      {std::string(6000, 'x'), std::string(32, 'x') + "…"},
      {chinese40, chinese40.substr(0, 64) + "…"},  // characters, not bytes
      {"a\nb\tc\x7f", "a?b?c?"},
      {"\xCC\x5C\x0A", "\xCC\x5C?"},  // a trail byte 0x5C stays; a lone newline does not
  };
  for (const auto& c : cases) EXPECT_EQ(QuoteForMessage(c.text), c.quoted) << c.text.size();
}

// A program's path in a message: its end as visible as its start however long.
TEST(GbkText, APathTooLongToShowKeepsItsStartAndItsEnd) {
  const std::string deep = "C:\\" + std::string(300, 'd') + "\\提醒.exe";
  const struct {
    std::string text, quoted;
  } cases[] = {
      {"D:\\a.exe", "D:\\a.exe"},
      {std::string(10, 'x'), std::string(10, 'x')},
      {std::string(11, 'x'), "xxxxx…xxxxx"},
      {"提提提提提提提提提提提", "提提提提提…提提提提提"},  // characters, not bytes
      {"a\nb\tc\x7f", "a?b?c?"},
  };
  for (const auto& c : cases) EXPECT_EQ(QuoteHeadAndTail(c.text, 10), c.quoted) << c.text;
  const std::string shown = QuoteHeadAndTail(deep, 260);
  EXPECT_EQ(shown.rfind("C:\\ddd", 0), 0u);
  EXPECT_EQ(shown.substr(shown.size() - 9), "\\提醒.exe");
}

TEST(GbkText, SplitPathAtLastBackslashOrColon) {
  const struct {
    std::string path, dir, name;
  } cases[] = {
      {"C:\\Program Files\\Tool\\TOOL.EXE", "C:\\Program Files\\Tool\\", "TOOL.EXE"},
      {"C:tool.exe", "C:", "tool.exe"},
      {"notepad.exe", "", "notepad.exe"},
      {"", "", ""},
      {"D:\\dir\\", "D:\\dir\\", ""},
      // 0x5C as the trail byte of a double-byte character is not a separator:
      // "表" is B1 ED, "\x95\x5C" is one character whose trail byte is '\'.
      {"C:\\a\\\x95\x5C.exe", "C:\\a\\", "\x95\x5C.exe"},
      {"\x95\x5C\x95\x5C", "", "\x95\x5C\x95\x5C"},
  };
  for (const auto& c : cases) {
    const PathParts p = SplitPath(c.path);
    EXPECT_EQ(p.dir, c.dir) << c.path;
    EXPECT_EQ(p.name, c.name) << c.path;
  }
}

TEST(GbkText, AsciiUpperConvertsEveryLowercaseByteAlsoTrailBytes) {
  EXPECT_EQ(AsciiUpper("tool.exe"), "TOOL.EXE");
  EXPECT_EQ(AsciiUpper("MiXeD-123_z"), "MIXED-123_Z");
  // "\x81\x61" is a double-byte character with trail byte 'a': converted too.
  EXPECT_EQ(AsciiUpper("\x81\x61"), "\x81\x41");
  EXPECT_EQ(AsciiUpper("启用"), "启用");  // no byte of these in a..z
}

TEST(GbkText, DecimalHasNoPaddingOrLeadingZeros) {
  EXPECT_EQ(Decimal(0), "0");
  EXPECT_EQ(Decimal(7), "7");
  EXPECT_EQ(Decimal(2024), "2024");
  EXPECT_EQ(Decimal(-5), "-5");
}

TEST(GbkText, LiteralsAreCompiledToGbk) {
  EXPECT_EQ(std::string("每天"), "\xC3\xBF\xCC\xEC");
  EXPECT_EQ(std::string("启用"), "\xC6\xF4\xD3\xC3");
}

}  // namespace
}  // namespace ordavi
