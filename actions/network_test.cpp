#include "actions/network.h"

#include <gtest/gtest.h>

#include <string>

#include "actions/testing/fake_dialup.h"
#include "actions/testing/fake_notices.h"
#include "actions/testing/fake_shell.h"
#include "store/text.h"

namespace ordavi {
namespace {

using testing::CallLog;
using testing::FakeDialup;
using testing::FakeNotices;
using testing::FakeShell;

TEST(HangUpDialup, OutcomesAndNotices) {
  struct Case {
    std::uint32_t status, count, hangUpResult;
    CallLog notices;
    CallLog hangUps;
  };
  for (const Case& c : {Case{0, 0, 0, {"ShowNotice(没有可用的拨号连接)"}, {}},
                        Case{0, 2, 0, {"ShowNotice(断开成功)"}, {"HangUp(0x1234)"}},  // only the first of two
                        Case{0, 1, 668, {"ShowNotice(断开失败)"}, {"HangUp(0x1234)"}},
                        Case{603, 11, 0, {}, {}}}) {  // buffer too small: silent
    FakeDialup ras;
    ras.connections = {c.status, c.count, 0x1234};
    ras.hangUpResult = c.hangUpResult;
    FakeNotices n;
    HangUpDialup(ras, n);
    EXPECT_EQ(n.log, c.notices) << c.status << "/" << c.count;
    EXPECT_EQ(ras.log, c.hangUps) << c.status << "/" << c.count;
  }
}

TEST(DialDefaultConnection, AutodialsOnce) {
  FakeDialup ras;
  DialDefaultConnection(ras);
  EXPECT_EQ(ras.log, CallLog{"AutodialDefault()"});
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
    FakeNotices n;
    SetAdapterState(c.name, c.enable, shell, n);
    EXPECT_TRUE(n.log.empty());
    // netsh.exe, a program of the system directory, started by its full path
    EXPECT_EQ(shell.log, CallLog{"RunHidden(netsh.exe," + std::string(c.params) + ",C:\\windows)"});
  }
}

TEST(SetAdapterState, NamesThatWouldBreakTheCommandAreRefused) {
  for (const char* name : {"x\" & shutdown -s & \"", "%PATH%", "a!b!", "a\r\nb", "tab\there",
                           "lan\\", "a\\\\", "\xB1\xED\\", "a\x81"}) {  // backslash or lone lead byte at the end
    FakeShell shell;
    FakeNotices n;
    SetAdapterState(name, false, shell, n);
    EXPECT_TRUE(shell.log.empty()) << name;
    ASSERT_EQ(n.log.size(), 1u);
    EXPECT_EQ(n.log[0], "ShowNotice(" + RefusedAdapterNotice(name) + ")");
    // control characters shown as ?
    EXPECT_NE(n.log[0].find(QuoteForMessage(name)), std::string::npos);
  }
}

TEST(SystemProgramCommandLine, QuotesTheFullPath) {
  EXPECT_EQ(SystemProgramCommandLine("C:\\Windows\\system32", "netsh.exe", "int set int name=\"x\" admin=enable"),
            "\"C:\\Windows\\system32\\netsh.exe\" int set int name=\"x\" admin=enable");
  EXPECT_EQ(SystemProgramCommandLine("D:\\", "netsh.exe", ""), "\"D:\\netsh.exe\" ");
}

}  // namespace
}  // namespace ordavi
