#include "transfer/export_import.h"

#include <gtest/gtest.h>

#include "store/testing/fake_registry.h"
#include "store/testing/iconv_gbk_codec.h"
#include "transfer/testing/memory_files.h"

namespace ordavi {
namespace {

using testing::FakeRegistryKey;
using testing::MemoryFiles;

struct Pc {
  Pc() { tasks.LoadTaskCounter(); }
  FakeRegistryKey key;
  Registry reg{key};
  TaskStore tasks{reg};
  testing::IconvGbkCodec codec;
  TaskFileStore store{tasks, reg, codec, "yyyy/M/d"};
  MemoryFiles files;

  TaskFileOutcome Import(const std::string& path, bool replace) {
    UserMessage refusal;
    const std::optional<TaskFileToImport> file = ReadFileToImport(store, files, path, refusal);
    if (!file) return {false, refusal, {}};
    return ImportReadFile(store, *file, replace);
  }
};

// The settings dialog and the command line show the same outcomes: a file
// the system refuses is an error, a task or line the file cannot take is a
// notice, and nothing is stored unless it is done.
TEST(ExportImport, EveryOutcomeIsOneMessage) {
  Pc pc;
  pc.tasks.AddTask("每天8时0分", "提醒", "mine");
  // Another program adds a task after this store read the counter: it is
  // exported and counted.
  Registry other(pc.key);
  TaskStore another(other);
  another.LoadTaskCounter();
  another.AddTask("每天9时0分", "提醒", "theirs");

  TaskFileOutcome out = ExportTaskFile(pc.store, pc.files, "a.txt");
  EXPECT_TRUE(out.done);
  EXPECT_EQ(out.message.text, "已导出2个任务和选项。");
  EXPECT_EQ(out.message.icon, MessageIcon::Information);
  EXPECT_NE(pc.files.files["a.txt"].find("theirs"), std::string::npos);

  out = ExportTaskFile(pc.store, pc.files, "readonly.txt");
  EXPECT_FALSE(out.done);
  EXPECT_EQ(out.message.text, "未导出，无法写入文件：access denied");
  EXPECT_EQ(out.message.caption, kErrorCaption);
  EXPECT_EQ(out.message.icon, MessageIcon::Error);

  out = pc.Import("missing.txt", false);
  EXPECT_FALSE(out.done);
  EXPECT_EQ(out.message.text, "未导入，无法读取文件：not found");
  EXPECT_EQ(out.message.icon, MessageIcon::Error);

  pc.files.files["bad.txt"] = pc.files.files["a.txt"] + u8"[任务]\r\n时间=每天25时0分\r\n类型=提醒\r\n";
  out = pc.Import("bad.txt", true);
  EXPECT_FALSE(out.done);
  EXPECT_EQ(out.message.text.rfind("未导入任何内容：第", 0), 0u) << out.message.text;
  EXPECT_EQ(out.message.caption, kInfoCaption);
  EXPECT_EQ(pc.tasks.FollowCounter(), 2);

  out = pc.Import("a.txt", true);
  EXPECT_TRUE(out.done);
  EXPECT_EQ(out.message.text, "已用文件中的2个任务替换全部任务，并导入了选项。");
  EXPECT_FALSE(out.options.Empty());

  // A schedule the tick never runs travels as stored; a type word that names
  // no type cannot be written at all.
  pc.tasks.AddTask("每天8时0分", "开花", "");
  out = ExportTaskFile(pc.store, pc.files, "c.txt");
  EXPECT_FALSE(out.done);
  EXPECT_EQ(out.message.text.rfind("未导出：任务3：", 0), 0u) << out.message.text;
  EXPECT_EQ(pc.files.files.count("c.txt"), 0u);
}

TaskRecord Task(const char* schedule, const char* type, const char* param, const char* enabled = "启用") {
  return {0, schedule, type, param, enabled};
}

// Before an import is chosen, and in what /import prints, every task that
// would open a file, close a program or clean junk is named, disabled ones
// too; reminders, power and network tasks are not.
TEST(ExportImport, WhatTheTasksStartNamesEveryProgramAndCleaning) {
  struct Case {
    std::vector<TaskRecord> tasks;
    std::string says;
  };
  std::vector<TaskRecord> many(kStartsShown, Task("每天9时0分", "打开文件", "a.exe"));
  std::string twenty;
  for (int i = 0; i < kStartsShown; ++i) twenty += "  每天9时0分  打开文件  “a.exe”\r\n";
  const Case cases[] = {
      {{}, ""},
      {{Task("每天8时0分", "提醒", "x"), Task("每天8时1分", "禁用网卡", "本地连接"), Task("每天8时2分", "关闭计算机", "")},
       ""},
      {{Task("每天8时0分", "提醒", "x"), Task("每天9时0分", "打开文件", "D:\\a.exe"),
        Task("空闲5分钟", "关闭程序", "tool.exe", "禁用"), Task("每月1日0时0分", "清理系统垃圾", "")},
       "其中会打开文件、关闭程序或清理垃圾的任务：\r\n"
       "  每天9时0分  打开文件  “D:\\a.exe”\r\n"
       "  空闲5分钟  关闭程序  “tool.exe”（未启用）\r\n"
       "  每月1日0时0分  清理系统垃圾\r\n"},
      {many, "其中会打开文件、关闭程序或清理垃圾的任务：\r\n" + twenty},
  };
  for (const Case& c : cases) {
    TaskFileContent content;
    content.tasks = c.tasks;
    EXPECT_EQ(WhatTheTasksStart(content), c.says) << c.tasks.size();
    EXPECT_NE(ImportQuestion(content).find(c.says + (c.says.empty() ? "" : "\r\n") + "是："), std::string::npos);
  }

  Pc pc;
  pc.files.files["b.txt"] = u8"Ordavi 任务文件 版本 1\r\n[任务]\r\n时间=每天9时0分\r\n类型=打开文件\r\n参数=D:\\a.exe\r\n";
  EXPECT_EQ(pc.Import("b.txt", false).message.text,
            "已添加1个任务（第1到1个）。\r\n其中会打开文件、关闭程序或清理垃圾的任务：\r\n  每天9时0分  打开文件  “D:\\a.exe”");
  // One more than can be listed (reminders and disabled ones aside, which
  // count only when they start something): nothing stored, and said why.
  std::string file = u8"Ordavi 任务文件 版本 1\r\n[任务]\r\n时间=每天8时0分\r\n类型=提醒\r\n参数=x\r\n";
  for (int i = 0; i <= kStartsShown; ++i) file += u8"[任务]\r\n时间=每天9时0分\r\n类型=清理系统垃圾\r\n状态=禁用\r\n";
  pc.files.files["c.txt"] = file;
  const int before = pc.tasks.FollowCounter();
  EXPECT_EQ(pc.Import("c.txt", true).message.text,
            "未导入任何内容：文件中有21个会打开文件、关闭程序或清理垃圾的任务，一次最多导入20个（导入前要逐个列出）；"
            "请把文件分成几个再导入");
  EXPECT_EQ(pc.tasks.FollowCounter(), before);
}

}  // namespace
}  // namespace ordavi
