#include "ui/unstorable_text.h"

#include <gtest/gtest.h>

namespace ordavi {
namespace {

// A refused box is named by its caption without the colon, whichever colon
// the caption ends with.
TEST(UnstorableText, NamesTheBoxByItsCaption) {
  const struct {
    const char* caption;
    const char* name;
  } cases[] = {{"提醒语:", "提醒语"}, {"属性：", "属性"}, {"程序", "程序"}, {":", ""}, {"", ""}};
  for (const auto& c : cases) EXPECT_EQ(BoxName(c.caption), c.name) << c.caption;
  const UserMessage message = UnstorableTextMessage(BoxName("提醒语:"));
  EXPECT_EQ(message.caption, kInfoCaption);
  EXPECT_EQ(message.text.rfind("“提醒语”中有无法保存的字符", 0), 0u);
}

}  // namespace
}  // namespace ordavi
