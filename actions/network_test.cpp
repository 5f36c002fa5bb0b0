#include "actions/network.h"

#include <gtest/gtest.h>

#include <vector>

#include "store/text.h"

namespace ordavi {
namespace {

struct Notices : NoticeSink {
  std::vector<std::string> shown;
  void ShowNotice(const std::string& t) override { shown.push_back(t); }
};

struct FakeRas : DialupSystem {
  Connections list;
  std::uint32_t hangUpResult = 0;
  std::vector<std::uintptr_t> hungUp;
  int autodials = 0;
  Connections EnumConnections() override { return list; }
  std::uint32_t HangUp(std::uintptr_t h) override {
    hungUp.push_back(h);
    return hangUpResult;
  }
  void AutodialDefault() override { ++autodials; }
};

struct FakeShell : ShellPort {
  struct Call {
    std::string file, params, dir;
  };
  std::vector<Call> calls;
  void RunHidden(const std::string& f, const std::string& p, const std::string& d) override {
    calls.push_back({f, p, d});
  }
  void OpenFileHidden(const std::string&, const std::string&) override { ADD_FAILURE(); }
  void OpenHelpFile(const std::string&) override { ADD_FAILURE(); }
  void ShowWebPage(const std::string&) override { ADD_FAILURE(); }
  std::string WindowsDirectory() override { return "C:\\windows"; }
};

TEST(HangUpDialup, OutcomesAndNotices) {
  struct Case {
    std::uint32_t status, count, hangUpResult;
    std::vector<std::string> notices;
    std::size_t hangUps;
  };
  for (const Case& c : {Case{0, 0, 0, {"没有可用的拨号连接"}, 0},
                        Case{0, 2, 0, {"断开成功"}, 1},  // only the first of two
                        Case{0, 1, 668, {"断开失败"}, 1},
                        Case{603, 11, 0, {}, 0}}) {       // buffer too small: silent
    FakeRas ras;
    ras.list = {c.status, c.count, 0x1234};
    ras.hangUpResult = c.hangUpResult;
    Notices n;
    HangUpDialup(ras, n);
    EXPECT_EQ(n.shown, c.notices) << c.status << "/" << c.count;
    ASSERT_EQ(ras.hungUp.size(), c.hangUps);
    if (c.hangUps) {
      EXPECT_EQ(ras.hungUp[0], 0x1234u);
    }
  }
}

TEST(DialDefaultConnection, AutodialsOnce) {
  FakeRas ras;
  DialDefaultConnection(ras);
  EXPECT_EQ(ras.autodials, 1);
}

TEST(SetAdapterState, RunsNetshOfTheSystemDirectoryHiddenInTheWindowsDirectory) {
  struct Case { const char* name; bool enable; const char* params; };
  for (const Case& c : {Case{"本地连接", false, "int set int name=\"本地连接\" admin=disable"},
                        Case{"以太网 2", true, "int set int name=\"以太网 2\" admin=enable"},
                        Case{"", true, "int set int name=\"\" admin=enable"},
                        Case{"a&b|c>d", false, "int set int name=\"a&b|c>d\" admin=disable"},
                        Case{"a\\b", false, "int set int name=\"a\\b\" admin=disable"},   // inside: literal
                        Case{"\x81\\", true, "int set int name=\"\x81\\\" admin=enable"}}) {  // a trail byte 0x5C
    FakeShell shell;
    Notices n;
    SetAdapterState(c.name, c.enable, shell, n);
    EXPECT_TRUE(n.shown.empty());
    ASSERT_EQ(shell.calls.size(), 1u);
    const auto& call = shell.calls[0];
    EXPECT_EQ(call.file, "netsh.exe");  // a program of the system directory, by its full path
    EXPECT_EQ(call.params, c.params);
    EXPECT_EQ(call.dir, "C:\\windows");
  }
}

TEST(SetAdapterState, NamesThatWouldBreakTheCommandAreRefused) {
  for (const char* name : {"x\" & shutdown -s & \"", "%PATH%", "a!b!", "a\r\nb", "tab\there",
                           "lan\\", "a\\\\", "\xB1\xED\\", "a\x81"}) {  // backslash or lone lead byte at the end
    FakeShell shell;
    Notices n;
    SetAdapterState(name, false, shell, n);
    EXPECT_TRUE(shell.calls.empty()) << name;
    ASSERT_EQ(n.shown.size(), 1u);
    EXPECT_EQ(n.shown[0], RefusedAdapterNotice(name));
    EXPECT_NE(n.shown[0].find(QuoteForMessage(name)), std::string::npos);  // control characters shown as ?
  }
}

TEST(SystemProgramCommandLine, QuotesTheFullPath) {
  EXPECT_EQ(SystemProgramCommandLine("C:\\Windows\\system32", "netsh.exe", "int set int name=\"x\" admin=enable"),
            "\"C:\\Windows\\system32\\netsh.exe\" int set int name=\"x\" admin=enable");
  EXPECT_EQ(SystemProgramCommandLine("D:\\", "netsh.exe", ""), "\"D:\\netsh.exe\" ");
}

}  // namespace
}  // namespace ordavi
