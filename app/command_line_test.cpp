#include "app/command_line.h"

#include <gtest/gtest.h>

#include "store/testing/fake_registry.h"
#include "store/testing/iconv_gbk_codec.h"
#include "transfer/testing/memory_files.h"

namespace ordavi {
namespace {

TEST(CommandLine, ArgumentsBecomeOneCommandOrARefusal) {
  struct Case {
    std::vector<std::string> args;
    CommandKind kind;
    std::string file;
    bool replace;
    std::string refusedArgument;  // "-" when accepted
    std::int32_t awakeMinutes = 0;
  };
  using K = CommandKind;
  const Case cases[] = {
      {{}, K::RunAgent, "", false, "-"},
      {{"/export", "C:\\备份\\ordavi.txt"}, K::Export, "C:\\备份\\ordavi.txt", false, "-"},
      {{"/EXPORT", "a.txt"}, K::Export, "a.txt", false, "-"},
      {{"-import", "\\\\server\\share\\ordavi.txt", "/Replace"}, K::Import, "\\\\server\\share\\ordavi.txt", true, "-"},
      {{"/replace", "--import", "a.txt"}, K::Import, "a.txt", true, "-"},
      {{"/import", "-a.txt"}, K::Import, "-a.txt", false, "-"},  // a file name may start with '-'
      {{"/list"}, K::List, "", false, "-"},
      {{"-Cancel"}, K::Cancel, "", false, "-"},
      {{"/quit"}, K::Quit, "", false, "-"},
      {{"/?"}, K::Usage, "", false, "-"},
      {{"--help"}, K::Usage, "", false, "-"},
      {{"/SetTime"}, K::Usage, "", false, "/SetTime"},
      {{"/"}, K::Usage, "", false, "/"},
      {{"a.txt"}, K::Usage, "", false, "a.txt"},
      {{"/export"}, K::Usage, "", false, "/export"},
      {{"/import", "/replace"}, K::Usage, "", false, "/import"},
      {{"/export", "a.txt", "b.txt"}, K::Usage, "", false, "b.txt"},
      {{"/list", "/quit"}, K::Usage, "", false, "/quit"},
      {{"/export", "a.txt", "/replace"}, K::Usage, "", false, ""},
      {{"/list", "/replace"}, K::Usage, "", false, ""},
      {{"/awake", "30"}, K::Awake, "", false, "-", 30},
      {{"-AWAKE", "OFF"}, K::Awake, "", false, "-", 0},
      {{"/awake", "off"}, K::Awake, "", false, "-", 0},
      {{"/awake", "10080"}, K::Awake, "", false, "-", 10080},
      {{"/awake", "0"}, K::Usage, "", false, "0"},
      {{"/awake", "10081"}, K::Usage, "", false, "10081"},
      {{"/awake", "backup.exe"}, K::Usage, "", false, "backup.exe"},  // only the agent's tasks wait for a program
      {{"/awake", "30，屏幕常亮"}, K::Usage, "", false, "30，屏幕常亮"},
      {{"/awake"}, K::Usage, "", false, "/awake"},
  };
  for (const Case& c : cases) {
    const ParsedCommandLine p = ParseCommandLine(c.args);
    const std::string what = c.args.empty() ? "(none)" : c.args[0] + " ...";
    EXPECT_EQ(p.command.kind, c.kind) << what;
    EXPECT_EQ(p.command.file, c.file) << what;
    EXPECT_EQ(p.command.replace, c.replace) << what;
    EXPECT_EQ(p.command.awakeMinutes, c.awakeMinutes) << what;
    EXPECT_EQ(p.error.empty(), c.refusedArgument == "-") << what;
    if (!p.error.empty()) {
      EXPECT_EQ(p.argument, c.refusedArgument) << what;
    }
  }
}

TEST(CommandLine, UsageIsChineseAndBadArgumentsExitWithTwo) {
  testing::IconvGbkCodec codec;
  const CommandOutcome help = UsageOutcome(ParseCommandLine({"/?"}), codec);
  EXPECT_EQ(help.exitCode, kExitDone);
  EXPECT_EQ(help.output.rfind(u8"用法：Ordavi.exe", 0), 0u);
  for (const char* sw : {"/export", "/import", "/replace", "/list", "/cancel", "/quit", "/?"}) {
    EXPECT_NE(help.output.find(sw), std::string::npos) << sw;
  }
  const CommandOutcome bad = UsageOutcome(ParseCommandLine({u8"/导出"}), codec);
  EXPECT_EQ(bad.exitCode, kExitBadArguments);
  EXPECT_EQ(bad.output.substr(0, bad.output.find("\r\n")), std::string(u8"不认识的参数：“/导出”"));
  EXPECT_NE(bad.output.find(help.output), std::string::npos);
}

using testing::MemoryFiles;

TEST(CommandLine, ExportThenImportTellTheConsoleWhatHappened) {
  testing::IconvGbkCodec codec;
  testing::FakeRegistryKey key;
  Registry reg(key);
  TaskStore tasks(reg);
  tasks.LoadTaskCounter();
  tasks.AddTask("每天22时30分", "关闭计算机", "");
  tasks.AddTask("一次2024/3/5日8时0分", "提醒", "x");
  CommandStore store{tasks, reg, codec, "yyyy/M/d"};
  MemoryFiles files;

  CommandOutcome out = RunExport({CommandKind::Export, "a.txt", false}, store, files);
  EXPECT_EQ(out.exitCode, kExitDone);
  EXPECT_EQ(out.output, std::string(u8"已导出2个任务和选项。\r\n"));
  out = RunExport({CommandKind::Export, "readonly.txt", false}, store, files);
  EXPECT_EQ(out.exitCode, kExitRefused);
  EXPECT_EQ(out.output, std::string(u8"未导出，无法写入文件：access denied\r\n"));

  out = RunImport({CommandKind::Import, "a.txt", false}, store, files);
  EXPECT_EQ(out.output, std::string(u8"已添加2个任务（第3到4个）。\r\n"));
  out = RunImport({CommandKind::Import, "a.txt", true}, store, files);
  EXPECT_EQ(out.exitCode, kExitDone);
  EXPECT_EQ(out.output, std::string(u8"已用文件中的2个任务替换全部任务，并导入了选项。\r\n"));
  EXPECT_EQ(tasks.Count(), 2);

  files.files["bad.txt"] = files.files["a.txt"] + u8"[任务]\r\n时间=每天8时0分\r\n类型=关机\r\n";
  const auto before = key.values;
  out = RunImport({CommandKind::Import, "bad.txt", true}, store, files);
  EXPECT_EQ(out.exitCode, kExitRefused);
  EXPECT_EQ(out.output.rfind(u8"未导入任何内容：第", 0), 0u);
  EXPECT_NE(out.output.find(u8"行：类型“关机”"), std::string::npos);
  EXPECT_EQ(key.values, before);
  out = RunImport({CommandKind::Import, "missing.txt", false}, store, files);
  EXPECT_EQ(out.exitCode, kExitRefused);
  EXPECT_EQ(out.output, std::string(u8"未导入，无法读取文件：not found\r\n"));
}

TEST(CommandLine, ListShowsEveryTaskWithItsNextRun) {
  testing::IconvGbkCodec codec;
  testing::FakeRegistryKey key;
  Registry reg(key);
  TaskStore tasks(reg);
  tasks.LoadTaskCounter();
  CommandStore store{tasks, reg, codec, "yyyy/M/d"};
  ScheduleNow now;
  now.year = 2026;
  now.month = 12;
  now.day = 8;
  now.dayOfWeek = 2;
  now.hour = 21;
  EXPECT_EQ(RunList(store, now, 100).output, std::string(u8"没有任务。\r\n"));
  tasks.AddTask("每天22时30分", "关闭计算机", "");
  tasks.AddTask("每天8时0分", "提醒", "起床\r\n了");
  tasks.SetTaskEnabled(2, "禁用");
  tasks.AddTask("一次2020/1/1日8时0分", "提醒", "");
  tasks.AddTask("每天23时0分", "待机计算机", "", true);  // as the settings list says it
  tasks.AddTask("每天23时30分", "打开文件", "C:\\a.txt", false, true);
  tasks.AddTask("每天23时40分", "关闭计算机", "", false, true);  // a flag this type never acts on
  const CommandOutcome out = RunList(store, now, 100, "保持唤醒到 17:00");
  EXPECT_EQ(out.exitCode, kExitDone);
  EXPECT_EQ(out.output.rfind(u8"1  启用  每天22时30分  关闭计算机  下次运行：今天 22:30\r\n"
                             u8"2  禁用  每天8时0分  提醒  起床??了  （未启用）\r\n"
                             u8"3  启用  一次2020/1/1日8时0分  提醒  下次运行：不会运行",
                             0),
            0u)
      << out.output;
  EXPECT_NE(out.output.find(u8"4  启用  每天23时0分  待机计算机  下次运行：今天 23:00（唤醒）\r\n"
                            u8"5  启用  每天23时30分  打开文件  C:\\a.txt  下次运行：今天 23:30  错过后补运行\r\n"
                            u8"6  启用  每天23时40分  关闭计算机  下次运行：今天 23:40\r\n"
                            u8"当前：保持唤醒到 17:00\r\n"),
            std::string::npos)
      << out.output;
}

TEST(CommandLine, CancelQuitAndAwakeSayWhatTheAgentAnswered) {
  testing::IconvGbkCodec codec;
  struct Case {
    CommandKind kind;
    AgentReply reply;
    int exitCode;
    const char* starts;
    bool off = false;
  };
  using K = CommandKind;
  using R = AgentReply;
  const Case cases[] = {
      {K::Cancel, R::Done, kExitDone, u8"已取消关机倒计时。监控已停用"},
      {K::Cancel, R::NoCountdown, kExitRefused, u8"没有正在进行的关机倒计时。"},
      {K::Cancel, R::NoAgent, kExitRefused, u8"Ordavi 没有运行，没有可取消的关机倒计时。"},
      {K::Cancel, R::NoAnswer, kExitDone, u8"已请求取消关机倒计时，Ordavi 尚未确认"},
      {K::Quit, R::Done, kExitDone, u8"Ordavi 已退出。"},
      {K::Quit, R::NoAgent, kExitRefused, u8"Ordavi 没有运行。"},
      {K::Quit, R::NoAnswer, kExitDone, u8"已请求 Ordavi 退出，它尚未结束"},
      {K::Awake, R::Done, kExitDone, u8"已开始保持唤醒。"},
      {K::Awake, R::NoCountdown, kExitRefused, u8"电池电量低于设置的百分比，未保持唤醒。"},
      {K::Awake, R::NoAgent, kExitRefused, u8"Ordavi 没有运行。"},
      {K::Awake, R::NoAnswer, kExitDone, u8"已请求，Ordavi 尚未确认"},
      // /awake off
      {K::Awake, R::Done, kExitDone, u8"已结束保持唤醒。", true},
      {K::Awake, R::NoCountdown, kExitRefused, u8"没有正在进行的保持唤醒。", true},
  };
  for (const Case& c : cases) {
    const CommandOutcome out = AgentRequestOutcome(c.kind, c.reply, codec, c.off);
    EXPECT_EQ(out.exitCode, c.exitCode) << c.starts;
    EXPECT_EQ(out.output.rfind(c.starts, 0), 0u) << out.output;
    EXPECT_EQ(out.output.substr(out.output.size() - 2), "\r\n") << c.starts;
  }
}

}  // namespace
}  // namespace ordavi
