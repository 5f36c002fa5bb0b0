// The main() of the unit tests: GoogleTest's, with the failures printed
// readably (GBK through iconv's code page 936, as UTF-8).
#include <gtest/gtest.h>

#include "store/testing/iconv_gbk_codec.h"
#include "store/testing/readable_failures.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ordavi::testing::IconvGbkCodec codec;
  ordavi::testing::PrintFailuresReadably(codec);
  return RUN_ALL_TESTS();
}
