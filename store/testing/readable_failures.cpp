#include "store/testing/readable_failures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace ordavi::testing {

namespace {

std::string Utf8Of(const std::string& gbk, GbkCodec& codec) { return Utf8FromUtf16(codec.Utf16FromGbk(gbk)); }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

char Unescaped(char c) {
  switch (c) {
    case 'a': return '\a';
    case 'b': return '\b';
    case 'f': return '\f';
    case 'n': return '\n';
    case 'r': return '\r';
    case 't': return '\t';
    case 'v': return '\v';
    case '0': return '\0';
    default: return c;  // \\, \", \', \?
  }
}

// The bytes of the string literals on a line, joined, as GoogleTest escapes
// them ("\xC3\xBF" "8\xCA\xB1" is one value, split where a digit follows \x).
std::string UnescapedLiterals(const std::string& line) {
  std::string bytes;
  bool inside = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '"') {
      inside = !inside;
    } else if (!inside) {
      continue;
    } else if (c != '\\' || i + 1 == line.size()) {
      bytes += c;
    } else if (line[++i] == 'x') {  // one byte: one or two hex digits
      int value = 0;
      for (int n = 0, digit; n < 2 && i + 1 < line.size() && (digit = HexDigit(line[i + 1])) >= 0; ++n, ++i) {
        value = value * 16 + digit;
      }
      bytes += static_cast<char>(value);
    } else {
      bytes += Unescaped(line[i]);
    }
  }
  return bytes;
}

std::string Shown(const std::string& bytes, GbkCodec& codec) {
  std::string shown;
  for (char c : bytes) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", b);
      shown += escape;
    } else {
      shown += c;
    }
  }
  return Utf8Of(shown, codec);
}

// GoogleTest's own printer, to which every event goes; failures go to it rewritten.
class ReadablePrinter : public ::testing::TestEventListener {
 public:
  ReadablePrinter(::testing::TestEventListener* printer, GbkCodec& codec) : printer_(printer), codec_(codec) {}

  void OnTestPartResult(const ::testing::TestPartResult& result) override {
    const std::string message = ReadableFailure(result.message(), codec_);
    printer_->OnTestPartResult(
        ::testing::TestPartResult(result.type(), result.file_name(), result.line_number(), message.c_str()));
  }

  void OnTestProgramStart(const ::testing::UnitTest& u) override { printer_->OnTestProgramStart(u); }
  void OnTestIterationStart(const ::testing::UnitTest& u, int i) override { printer_->OnTestIterationStart(u, i); }
  void OnEnvironmentsSetUpStart(const ::testing::UnitTest& u) override { printer_->OnEnvironmentsSetUpStart(u); }
  void OnEnvironmentsSetUpEnd(const ::testing::UnitTest& u) override { printer_->OnEnvironmentsSetUpEnd(u); }
  void OnTestSuiteStart(const ::testing::TestSuite& s) override { printer_->OnTestSuiteStart(s); }
  void OnTestStart(const ::testing::TestInfo& t) override { printer_->OnTestStart(t); }
  void OnTestDisabled(const ::testing::TestInfo& t) override { printer_->OnTestDisabled(t); }
  void OnTestEnd(const ::testing::TestInfo& t) override { printer_->OnTestEnd(t); }
  void OnTestSuiteEnd(const ::testing::TestSuite& s) override { printer_->OnTestSuiteEnd(s); }
  void OnEnvironmentsTearDownStart(const ::testing::UnitTest& u) override { printer_->OnEnvironmentsTearDownStart(u); }
  void OnEnvironmentsTearDownEnd(const ::testing::UnitTest& u) override { printer_->OnEnvironmentsTearDownEnd(u); }
  void OnTestIterationEnd(const ::testing::UnitTest& u, int i) override { printer_->OnTestIterationEnd(u, i); }
  void OnTestProgramEnd(const ::testing::UnitTest& u) override { printer_->OnTestProgramEnd(u); }

 private:
  std::unique_ptr<::testing::TestEventListener> printer_;
  GbkCodec& codec_;
};

}  // namespace

std::string ReadableFailure(const std::string& message, GbkCodec& codec) {
  std::string out;
  for (std::size_t start = 0; start <= message.size();) {
    std::size_t end = message.find('\n', start);
    if (end == std::string::npos) end = message.size();
    const std::string line = message.substr(start, end - start);
    if (start > 0) out += '\n';
    out += Utf8Of(line, codec);
    // A narrow string's bytes (a wide one's escapes are not bytes).
    const std::size_t which = line.find("Which is: \"");
    if (which != std::string::npos && line.find("\\x") != std::string::npos) {
      out += '\n' + std::string(which, ' ') + "as text:  \"" + Shown(UnescapedLiterals(line.substr(which)), codec) + '"';
    }
    start = end + 1;
  }
  return out;
}

void PrintFailuresReadably(GbkCodec& codec) {
  ::testing::TestEventListeners& listeners = ::testing::UnitTest::GetInstance()->listeners();
  ::testing::TestEventListener* printer = listeners.Release(listeners.default_result_printer());
  if (printer) listeners.Append(new ReadablePrinter(printer, codec));
}

}  // namespace ordavi::testing
