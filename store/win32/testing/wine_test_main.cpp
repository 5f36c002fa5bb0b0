// The main() of the test programs run under Wine: GoogleTest's, with the
// failures printed readably (GBK through code page 936, as UTF-8).
#include <gtest/gtest.h>

#include "store/testing/readable_failures.h"
#include "store/win32/gbk_text.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ordavi::Win32GbkCodec codec;
  ordavi::testing::PrintFailuresReadably(codec);
  return RUN_ALL_TESTS();
}
