#include "schedule/seen_minutes.h"

#include <gtest/gtest.h>

namespace ordavi {
namespace {

// Table: the text the last agent life left, what a new one reads from it,
// and the text it writes back.
TEST(SeenMinutes, TheRememberedMinuteAndItsTasksReadBackAsWritten) {
  const struct {
    const char* text;
    const char* ran;       // the tasks read, "-" for a text refused as damaged
    const char* written;   // the text written for what was read
  } cases[] = {
      {"2024-03-05 08:30 28504290\r\n", "", "2024-03-05 08:30 28504290\r\n"},  // as earlier versions wrote it
      {"2024-03-05 08:30 28504290 3,1,12\r\n", "1,3,12,", "2024-03-05 08:30 28504290 1,3,12\r\n"},
      {"2024-03-05 08:30 28504290 7", "7,", "2024-03-05 08:30 28504290 7\r\n"},
      {"2024-03-05 08:30 28504290 1,\r\n", "-", ""},
      {"2024-03-05 08:30 28504290 x\r\n", "-", ""},
      {"2024-03-05 08:30 28504290 9999999999\r\n", "-", ""},
      {"2024-02-30 08:30 28504290\r\n", "-", ""},
      {"0073-03-05 07:31 285000\r\n", "-", ""},  // no clock shows that year
      // monitoring off at the end, the counting tasks that ran in this boot
      {"2024-03-05 08:30 28504290 1 hold=1 boot=28400000 counted=2:0,5:81000\r\n", "1,",
       "2024-03-05 08:30 28504290 1 hold=1 boot=28400000 counted=2:0,5:81000\r\n"},
      {"2024-03-05 08:30 28504290 hold=1\r\n", "", "2024-03-05 08:30 28504290 hold=1\r\n"},
      {"2024-03-05 08:30 28504290 boot=28400000\r\n", "-", ""},
      {"2024-03-05 08:30 28504290 hold=1 counted=2:0\r\n", "-", ""},
      // missed tasks still to catch up, the latest minute of each
      {"2024-03-05 08:30 28504290 1 catchup=4:2024-03-04 07:00,2:2024-03-05 08:00\r\n", "1,",
       "2024-03-05 08:30 28504290 1 catchup=2:2024-03-05 08:00,4:2024-03-04 07:00\r\n"},
      {"2024-03-05 08:30 28504290 catchup=4:2024-03-04 7:00\r\n", "-", ""},
      {"2024-03-05 08:30 28504290 catchup=4\r\n", "-", ""},
  };
  for (const auto& c : cases) {
    const std::optional<SettledMinute> s = ParseSettledMinute(c.text);
    std::string ran = s ? "" : "-";
    if (s) {
      for (int n : s->ran) ran += std::to_string(n) + ",";
    }
    EXPECT_EQ(ran, c.ran) << c.text;
    EXPECT_EQ(s ? SettledMinuteText(*s) : "", c.written) << c.text;
  }
}

}  // namespace
}  // namespace ordavi
