#include "dialogs/key_filters.h"

#include <gtest/gtest.h>

#include <string>

namespace ordavi {
namespace {

TEST(KeyFilters, PassOnlyTheirKeys) {
  const struct {
    bool (*accepts)(char);
    const char* what;
    std::string passed;
    std::string refused;
  } filters[] = {
      {AcceptsMinutesKey, "wait box", "0123456789.\b", "-+,e a\x16\xC3"},
      {AcceptsDigitKey, "idle and boot boxes", "0123456789\b", "a-.+ \x16\xC3"},
  };
  for (const auto& f : filters) {
    for (char c : f.passed) EXPECT_TRUE(f.accepts(c)) << f.what << " " << int(c);
    for (char c : f.refused) EXPECT_FALSE(f.accepts(c)) << f.what << " " << int(c);
  }
}

}  // namespace
}  // namespace ordavi
