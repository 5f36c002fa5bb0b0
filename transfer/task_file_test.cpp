#include "transfer/task_file.h"

#include <gtest/gtest.h>

#include <iterator>

#include "schedule/next_run.h"
#include "store/errors.h"
#include "store/testing/fake_registry.h"
#include "store/testing/iconv_gbk_codec.h"

namespace ordavi {

static bool operator==(const TaskRecord& a, const TaskRecord& b) {
  return a.number == b.number && a.schedule == b.schedule && a.type == b.type && a.param == b.param &&
         a.enabled == b.enabled && a.wake == b.wake && a.catchUp == b.catchUp;
}

namespace {

using testing::FakeRegistryKey;

constexpr const char* kSlashes = "yyyy/M/d";  // a Chinese Windows
constexpr const char* kDashes = "yyyy-MM-dd";

// A task file as a user writes it in Notepad: the version line, then `body`
// (UTF-8 lines), CRLF.
std::string File(std::initializer_list<const char*> body) {
  std::string f = "\xEF\xBB\xBF";
  f += u8"Ordavi 任务文件 版本 1\r\n";
  for (const char* line : body) f += std::string(line) + "\r\n";
  return f;
}

struct Pc {
  explicit Pc(const char* format) : dateFormat(format) { store.LoadTaskCounter(); }
  FakeRegistryKey key;
  Registry reg{key};
  TaskStore store{reg};
  testing::IconvGbkCodec codec;
  std::string dateFormat;

  std::string Export() {
    const TaskFileExport e = WriteTaskFile(store, reg, codec, dateFormat);
    EXPECT_EQ(e.refusal, "");
    return e.bytes;
  }
  TaskFileImport Import(const std::string& bytes, bool replace) {
    return ImportTaskFile(bytes, codec, dateFormat, store, replace);
  }
  std::vector<TaskRecord> Tasks() {
    std::vector<TaskRecord> all;
    for (int n = 1; n <= store.Count(); ++n) all.push_back(store.ReadTask(n));
    return all;
  }
};


// Every schedule kind and every task type, each as the editor stores it on
// a PC whose short date format is yyyy/M/d, and as it must arrive on one
// with yyyy-MM-dd.
struct Row {
  const char* schedule;
  const char* type;
  const char* param;
  const char* scheduleOnDashes;
};
const Row kEveryKindAndType[] = {
    {"每天22时30分", "提醒", "下班时间到。", "每天22时30分"},
    {"一次2024/3/5日8时0分", "打开文件", "D:\\音乐\\歌.mp3", "一次2024-03-05日8时0分"},
    {"每周7日22时0分", "关闭程序", "C:\\t\\tool.exe", "每周7日22时0分"},
    {"每周0日1时1分", "断开拨号", "", "每周0日1时1分"},
    {"每月31日9时0分", "拨号连接", "", "每月31日9时0分"},
    {"每年2月29日23时59分", "注销计算机", "", "每年2月29日23时59分"},
    {"空闲15分钟", "待机计算机", "", "空闲15分钟"},
    {"开机0时5分", "休眠计算机", "", "开机0时5分"},
    {"开机100时0分", "重启计算机", "", "开机100时0分"},
    {"一次2030/12/31日23时59分", "关闭计算机", "", "一次2030-12-31日23时59分"},
    {"每天0时0分", "快速重启", "", "每天0时0分"},
    {"每天12时5分", "快速关机", "  spaces kept  ", "每天12时5分"},
    {"每月1日0时0分", "清理系统垃圾", "", "每月1日0时0分"},
    {"每天8时30分", "禁用网卡", "本地连接", "每天8时30分"},
    {"每天8时31分", "启用网卡", "以太网", "每天8时31分"},
    {"每周1日9时0分", "保持唤醒", "480，屏幕常亮", "每周1日9时0分"},
    {"每天8时32分", "", "", "每天8时32分"},  // no type picked in the editor
};

TEST(TaskFile, EveryKindAndTypeMovesToAPcWithAnotherDateFormat) {
  Pc from(kSlashes);
  for (const Row& r : kEveryKindAndType) {
    from.store.AddTask(r.schedule, r.type, r.param, &r == &kEveryKindAndType[1], &r == &kEveryKindAndType[2]);
  }
  from.store.SetTaskEnabled(3, "禁用");
  from.key.PlantDword("tishi", 90);
  from.key.PlantString("soundpath", "C:\\声音\\钟.wav");
  from.key.PlantDword("rejian", 1);
  const std::string file = from.Export();

  Pc to(kDashes);
  to.store.AddTask("每天1时1分", "提醒", "replaced");
  const TaskFileImport result = to.Import(file, true);
  ASSERT_EQ(result.refusal, "");
  EXPECT_EQ(result.imported, 17);
  EXPECT_TRUE(result.optionsImported);
  std::vector<TaskRecord> expected;
  for (const Row& r : kEveryKindAndType) {
    expected.push_back({static_cast<int>(expected.size()) + 1, r.scheduleOnDashes, r.type, r.param, "启用"});
  }
  expected[2].enabled = "禁用";
  expected[1].wake = true;
  expected[2].catchUp = true;
  EXPECT_EQ(to.Tasks(), expected);
  EXPECT_EQ(to.reg.ReadInteger("TaskNum"), 17);
  EXPECT_EQ(to.reg.ReadInteger("tishi"), 90);
  EXPECT_EQ(to.reg.ReadString("soundpath"), "C:\\声音\\钟.wav");
  EXPECT_EQ(to.reg.ReadInteger("rejian"), 1);
  EXPECT_EQ(to.reg.ReadInteger("shutapp"), 0);

  // And back again: the same file.
  EXPECT_EQ(to.Export(), file);
}

// No option is stored yet: the file holds the defaults the agent starts
// with (hotkeys with Ctrl), not zeros.
TEST(TaskFile, IsUtf8TextWithBomAndCrlfThatNotepadShows) {
  Pc pc(kSlashes);
  pc.store.AddTask("一次2024/3/5日8时30分", "关闭计算机", "");
  pc.store.AddTask("每天22时0分", "提醒", "下班");
  pc.store.SetTaskEnabled(2, "禁用");
  const std::string file = pc.Export();
  EXPECT_EQ(file.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_EQ(file.substr(3, file.find("\r\n") - 3), u8"Ordavi 任务文件 版本 1");
  EXPECT_EQ(file.find('\n'), file.find("\r\n") + 1);
  std::size_t lf = 0, crlf = 0;
  for (std::size_t i = 0; i < file.size(); ++i) {
    if (file[i] == '\n') ++lf;
    if (file[i] == '\n' && i > 0 && file[i - 1] == '\r') ++crlf;
  }
  EXPECT_EQ(lf, crlf);
  const std::string tasks = file.substr(file.find(u8"\r\n\r\n[任务]"));
  EXPECT_EQ(tasks, std::string(u8"\r\n\r\n[任务]\r\n时间=一次2024-03-05日8时30分\r\n类型=关闭计算机\r\n参数=\r\n状态=启用\r\n"
                               u8"\r\n[任务]\r\n时间=每天22时0分\r\n类型=提醒\r\n参数=下班\r\n状态=禁用\r\n"
                               u8"\r\n[选项]\r\nshutapp=0\r\nsoundpath=\r\ntishi=60\r\nkaiji=0\r\nrejian=1\r\n"
                               u8"awakebattery=20\r\n"));
  // The notes name every kind and every type.
  const std::string notes = file.substr(0, file.find(u8"\r\n\r\n[任务]"));
  for (const ScheduleKindRow& row : kScheduleKinds) {
    EXPECT_NE(notes.find(*Utf8FromGbk(pc.codec, std::string(row.word) + row.lead)), std::string::npos) << row.word;
  }
}

TEST(TaskFile, ExportAndReplaceLeaveTheKeyByteForByte) {
  Pc pc(kSlashes);
  for (const Row& r : kEveryKindAndType) pc.store.AddTask(r.schedule, r.type, r.param, &r == &kEveryKindAndType[4]);
  pc.store.SetTaskEnabled(5, "禁用");
  pc.key.PlantDword("shutapp", 1);
  pc.key.PlantString("soundpath", "");
  pc.key.PlantDword("tishi", 0);
  pc.key.PlantDword("kaiji", 1);
  pc.key.PlantDword("rejian", 0);
  pc.key.PlantDword("awakebattery", 0);
  const auto before = pc.key.values;
  ASSERT_EQ(pc.Import(pc.Export(), true).refusal, "");
  EXPECT_EQ(pc.key.values, before);
}

TEST(TaskFile, AddingKeepsTheTasksAndOptionsAndNumbersTheNewOnesAfterThem) {
  Pc pc(kSlashes);
  pc.store.AddTask("每天1时1分", "提醒", "mine");
  pc.key.PlantDword("tishi", 30);
  const TaskFileImport r = pc.Import(File({u8"[任务]", u8"时间=一次2025-1-9日7时5分", u8"类型=关闭计算机",
                                           u8"[选项]", u8"tishi=600"}),
                                     false);
  ASSERT_EQ(r.refusal, "");
  EXPECT_EQ(r.imported, 1);
  EXPECT_EQ(r.firstNumber, 2);
  EXPECT_FALSE(r.optionsImported);
  EXPECT_EQ(pc.Tasks(), (std::vector<TaskRecord>{{1, "每天1时1分", "提醒", "mine", "启用"},
                                                  {2, "一次2025/1/9日7时5分", "关闭计算机", "", "启用"}}));
  EXPECT_EQ(pc.reg.ReadInteger("tishi"), 30);
}

TEST(TaskFile, ReplacingWithFewerTasksRemovesTheRestAndOnlyNamedOptionsChange) {
  Pc pc(kSlashes);
  for (int i = 0; i < 3; ++i) pc.store.AddTask("每天1时1分", "提醒", "old");
  pc.key.PlantDword("tishi", 30);
  pc.key.PlantDword("rejian", 1);
  const TaskFileImport r =
      pc.Import(File({u8"; 08 and 05 are read as 8 and 5", u8"[任务]", u8"时间=每周7日08时05分", u8"类型=快速关机",
                      u8"状态=禁用", u8"", u8"[选项]", u8"tishi=120"}),
                false);
  ASSERT_EQ(r.refusal, "");
  Options opts;
  const TaskFileImport replaced = pc.Import(File({u8"[选项]", u8"tishi=120", u8"[任务]", u8"时间=每周7日08时05分",
                                                  u8"类型=快速关机", u8"状态=禁用"}),
                                            true);
  ASSERT_EQ(replaced.refusal, "");
  EXPECT_EQ(pc.Tasks(), (std::vector<TaskRecord>{{1, "每周7日8时5分", "快速关机", "", "禁用"}}));
  for (const char* gone : {"A2", "B2", "C2", "D2", "A4", "D4"}) EXPECT_EQ(pc.key.values.count(gone), 0u) << gone;
  EXPECT_EQ(pc.reg.ReadInteger("tishi"), 120);
  EXPECT_EQ(pc.reg.ReadInteger("rejian"), 1);  // not in the file: unchanged
  ApplyOptionChanges(replaced.options, opts);
  EXPECT_EQ(opts.countdownSeconds, 120);
  EXPECT_EQ(opts.ctrlHotkeys, Options{}.ctrlHotkeys);  // not in the file: unchanged
}

// A file of options only, taken with /replace: every option of the table
// arrives with its bytes, in the key and in memory, and the tasks are gone.
TEST(TaskFile, AnOptionsOnlyReplaceCarriesEveryOption) {
  Pc from(kSlashes);
  for (const OptionDescriptor& o : kOptions) {
    if (o.kind == OptionKind::Text) {
      from.key.PlantString(o.name, "C:\\声音\\\"钟\"\t.wav");
    } else {
      from.key.PlantDword(o.name, o.kind == OptionKind::Seconds ? 1234 : o.defaultNumber == 1 ? 0 : 1);
    }
  }
  Pc to(kDashes);
  to.store.AddTask("每天1时1分", "提醒", "replaced");
  const TaskFileImport r = to.Import(from.Export(), true);
  ASSERT_EQ(r.refusal, "");
  EXPECT_EQ(ImportSummary(r, true), "已用文件中的0个任务替换全部任务，并导入了选项。");
  EXPECT_EQ(to.store.Count(), 0);
  Options fromMemory, toMemory;
  LoadOptions(from.reg, fromMemory, [] {});
  ApplyOptionChanges(r.options, toMemory);
  for (const OptionDescriptor& o : kOptions) {
    EXPECT_EQ(to.key.values[o.name], from.key.values[o.name]) << o.name;
    if (o.number) {
      EXPECT_EQ(toMemory.*o.number, fromMemory.*o.number) << o.name;
    }
    if (o.text) {
      EXPECT_EQ(toMemory.*o.text, fromMemory.*o.text) << o.name;
    }
  }
}

TEST(TaskFile, ALineItCannotReadIsReportedWithItsNumberAndNothingIsImported) {
  struct Case {
    std::string file;
    int line;
    const char* says;  // part of the message (GBK)
    const char* format = kSlashes;  // of the reading PC
  };
  const Case cases[] = {
      {"", 1, "不是Ordavi任务文件"},
      {u8"[任务]\r\n时间=每天8时0分\r\n", 1, "第一行应为"},
      {File({}).replace(File({}).find('1'), 1, "2"), 1, "文件版本2"},
      {File({u8"时间=每天8时0分"}), 2, "应在[任务]或[选项]之下"},
      {File({u8"[任务]", u8"时间=每天8时0分", u8"类型=提醒", u8"[任务]", u8"时间=每天24时0分", u8"类型=提醒"}), 6,
       "小时应为0到23"},
      {File({u8"[任务]", u8"时间=每天8时60分", u8"类型=提醒"}), 3, "分钟应为0到59"},
      {File({u8"[任务]", u8"时间=每天8时", u8"类型=提醒"}), 3, "不完整"},
      {File({u8"[任务]", u8"时间=每天8时0分 ", u8"类型=提醒"}), 3, "末尾多了"},
      {File({u8"[任务]", u8"时间=每日8时0分", u8"类型=提醒"}), 3, "开头"},
      {File({u8"[任务]", u8"时间=一次2024/3/5日8时0分", u8"类型=提醒"}), 3, "年-月-日"},
      {File({u8"[任务]", u8"时间=一次24-3-5日8时0分", u8"类型=提醒"}), 3, "年-月-日"},
      {File({u8"[任务]", u8"时间=一次2023-2-29日8时0分", u8"类型=提醒"}), 3, "年-月-日"},
      {File({u8"[任务]", u8"时间=每周8日8时0分", u8"类型=提醒"}), 3, "星期"},
      {File({u8"[任务]", u8"时间=每周07日8时0分", u8"类型=提醒"}), 3, "星期"},  // the tick finds no day 07
      {File({u8"[任务]", u8"时间=开机1200时0分", u8"类型=提醒"}), 3, "开机时间应为0时0分到1193时2分"},
      {File({u8"[任务]", u8"原样时间=", u8"类型=提醒"}), 3, "原样时间不能为空"},
      {File({u8"[任务]", u8"原样时间=x", u8"时间=每天8时0分", u8"类型=提醒"}), 4, "已有“原样时间=”"},
      {File({u8"[任务]", u8"时间=一次1999-12-31日8时0分", u8"类型=提醒"}), 3, "M/d/yy", "M/d/yy"},
      {File({u8"[任务]", u8"时间=每年2月30日8时0分", u8"类型=提醒"}), 3, "不存在"},
      {File({u8"[任务]", u8"时间=空闲分钟", u8"类型=提醒"}), 3, "空闲"},
      {File({u8"[任务]", u8"时间=每天8时0分", u8"类型=关机"}), 4, "应为提醒、打开文件"},
      {File({u8"[任务]", u8"时间=每天8时0分", u8"类型=禁用网卡", u8"参数=a\"b"}), 5,
       "网卡连接名称\"a\"b\"含有不能放入命令行的字符"},
      {File({u8"[任务]", u8"时间=每天8时0分", u8"类型=提醒", u8"状态=开"}), 5, "应为启用或禁用"},
      {File({u8"[任务]", u8"时间=每天8时0分", u8"时间=每天9时0分", u8"类型=提醒"}), 4, "已有"},
      {File({u8"[任务]", u8"时间=每天8时0分", u8"类型=提醒", u8"唤醒=是"}), 5, "唤醒应为0或1"},
      {File({u8"[任务]", u8"时间=每天8时0分", u8"唤醒=0", u8"唤醒=1", u8"类型=提醒"}), 5, "已有“唤醒=”"},
      {File({u8"[任务]", u8"时间=每天8时0分", u8"类型=打开文件", u8"错过后补运行=是"}), 5, "错过后补运行应为0或1"},
      {File({u8"[任务]", u8"时间=每天8时0分", u8"类型=关闭计算机", u8"错过后补运行=1"}), 5,
       "这个类型不能错过后补运行"},
      {File({u8"[任务]", u8"时间=每天8时0分", u8"类型=提醒", u8"错过后补运行=1"}), 5, "不能错过后补运行"},
      {File({u8"[任务]", u8"时间=每天8时0分", u8"名称=x"}), 4, "没有"},
      {File({u8"[任务]", u8"类型=提醒"}), 2, "缺少“时间=”"},
      {File({u8"[任务]", u8"时间=每天8时0分"}), 2, "缺少“类型=”"},
      {File({u8"[任务]", u8"时间=每天8时0分", u8"类型=提醒", u8"[计划]"}), 5, "不认识的节"},
      {File({u8"[任务]", u8"时间=每天8时0分", u8"类型=提醒", u8"只有文字"}), 5, "名称=值"},
      {File({u8"[任务]", u8"时间=每天8时0分", u8"类型=提醒", u8"参数=\xF0\x9F\x98\x80"}), 5, "GBK无法表示"},
      {File({u8"[任务]", u8"时间=每天8时0分", u8"类型=提醒", "参数=\xC3\xBF"}), 5, "不是UTF-8"},
      {File({u8"[任务]", u8"时间=每天8时0分", u8"类型=提醒", u8"参数=a\rb"}), 5, "控制字符"},
      {File({u8"[选项]", u8"shutapp=2"}), 3, "应为0或1"},
      {File({u8"[选项]", u8"tishi=-1"}), 3, "tishi"},
      {File({u8"[选项]", u8"tishi=2147483648"}), 3, "tishi"},
      {File({u8"[选项]", u8"tishi=1", u8"tishi=2"}), 4, "已有"},
      {File({u8"[选项]", u8"Ormile=C:\\x.exe"}), 3, "没有"},
      {File({u8"[选项]", u8"[选项]"}), 3, "只能有一节"},
  };
  for (const Case& c : cases) {
    Pc pc(c.format);
    pc.store.AddTask("每天1时1分", "提醒", "mine");
    const auto before = pc.key.values;
    for (bool replace : {true, false}) {
      const TaskFileImport r = pc.Import(c.file, replace);
      EXPECT_EQ(r.errorLine, c.line) << c.file;
      EXPECT_EQ(r.refusal.rfind("第" + std::to_string(c.line) + "行：", 0), 0u) << c.file;
      EXPECT_NE(r.refusal.find(c.says), std::string::npos) << r.refusal << " / " << c.says;
      EXPECT_EQ(pc.key.values, before) << c.file;
      EXPECT_EQ(pc.store.Count(), 1);
    }
  }
}

TEST(TaskFile, ReadsWhatNotepadMayHaveChanged) {
  // Saved without a BOM, with LF line ends, no line end at the end, comments
  // and blank lines anywhere, an empty file of tasks.
  Pc pc(kDashes);
  const TaskFileImport r = pc.Import(
      u8"Ordavi 任务文件 版本 1\n# note\n\n[任务]\n; inside\n类型=提醒\n时间=一次2024-03-05日8时30分\n参数=a=b", true);
  ASSERT_EQ(r.refusal, "");
  EXPECT_EQ(pc.Tasks(), (std::vector<TaskRecord>{{1, "一次2024-03-05日8时30分", "提醒", "a=b", "启用"}}));
  EXPECT_EQ(pc.Import(File({}), true).refusal, "");
  EXPECT_EQ(pc.store.Count(), 0);
}

TEST(TaskFile, ARefusedWriteAtAnyStepLeavesTheStoreAsItWas) {
  for (bool replace : {true, false}) {
    for (int k = 1;; ++k) {
      Pc pc(kSlashes);
      for (int i = 0; i < 3; ++i) pc.store.AddTask("每天1时" + std::to_string(i) + "分", "提醒", "old");
      pc.key.PlantDword("tishi", 30);
      const auto before = pc.key.values;
      pc.key.writesTried = 0;
      pc.key.failWriteNumber = k;
      const TaskFileImport r = pc.Import(File({u8"[任务]", u8"时间=每天8时0分", u8"类型=提醒", u8"[任务]",
                                               u8"时间=空闲5分钟", u8"类型=待机计算机", u8"[选项]", u8"tishi=9",
                                               u8"soundpath=x.wav"}),
                                         replace);
      if (r.refusal.empty()) {
        EXPECT_GT(k, 5);  // there were writes to refuse
        break;
      }
      EXPECT_EQ(r.refusal.rfind("Failed to set data", 0), 0u) << k;
      pc.key.failWriteNumber = 0;
      EXPECT_EQ(pc.key.values, before) << "write " << k << (replace ? " replace" : " add");
      EXPECT_EQ(pc.store.Count(), 3);
    }
  }
}

// What the tick runs is carried to run at the same minutes, whatever the form
// of its text; what it never runs (or cannot read) is carried as stored under
// 原样时间 with the reason, and comes back as it was: a weekday 07 never
// becomes Sunday. Stored on a yyyy/M/d PC, imported on a yyyy-MM-dd one.
TEST(TaskFile, SchedulesArriveToRunAtTheSameMinutesOrAsStored) {
  const struct {
    const char* stored;
    const char* line;  // UTF-8
    const char* arrives;
  } cases[] = {
      {"每天08时05分", u8"时间=每天8时5分", "每天8时5分"},
      {"每天8时30分xyz", u8"时间=每天8时30分", "每天8时30分"},
      {"开机-1时60分", u8"时间=开机-1时60分", "开机-1时60分"},
      {"一次2028/2/29日08时05分", u8"时间=一次2028-02-29日8时5分", "一次2028-02-29日8时5分"},
      {"每周7日22时0分", u8"时间=每周7日22时0分", "每周7日22时0分"},
      {"每周07日22时0分", u8"; 这个任务不会运行（时间不存在），导入时按原样保存\r\n原样时间=每周07日22时0分",
       "每周07日22时0分"},
      {"开机1200时0分", u8"; 这个任务不会运行（超过开机计时的上限），导入时按原样保存\r\n原样时间=开机1200时0分",
       "开机1200时0分"},
      {"每天25时0分", u8"原样时间=每天25时0分", "每天25时0分"},
      {"一次2024-3-5日8时0分", u8"; 这个任务不会运行（时间无法识别），导入时按原样保存\r\n原样时间=一次2024-3-5日8时0分",
       "一次2024-3-5日8时0分"},
      {"某天8时0分", u8"原样时间=某天8时0分", "某天8时0分"},
      {"程序结束后：007", u8"时间=程序结束后：007", "程序结束后：007"},  // a name keeps its zeros
      {"网速低于050KB/s持续3分钟", u8"时间=网速低于50KB/s持续3分钟", "网速低于50KB/s持续3分钟"},
      {"处理器低于10%持续5分钟后", u8"原样时间=处理器低于10%持续5分钟后", "处理器低于10%持续5分钟后"},
  };
  Pc from(kSlashes);
  for (const auto& c : cases) from.store.AddTask(c.stored, "提醒", "");
  const std::string file = from.Export();
  Pc to(kDashes);
  ASSERT_EQ(to.Import(file, true).refusal, "");
  const ScheduleNow now{2026, 12, 2, 8, 10, 15, 30, 0};
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const auto& c = cases[i];
    EXPECT_NE(file.find(std::string("\r\n") + c.line + "\r\n"), std::string::npos) << c.line;
    const TaskRecord arrived = to.store.ReadTask(static_cast<int>(i) + 1);
    EXPECT_EQ(arrived.schedule, c.arrives) << c.stored;
    const NextRun before = NextRunOf(c.stored, now, 0, kSlashes), after = NextRunOf(arrived.schedule, now, 0, kDashes);
    if (std::string(c.line).rfind(u8"时间=", 0) == 0) {
      EXPECT_TRUE(before.when == after.when && before.at == after.at) << c.stored;
    }
  }
}

// Parameters with tabs, quotes and thousands of characters, and once-dates
// in each kind of short date format, come back byte for byte.
TEST(TaskFile, ParametersAndEveryDateFormatComeBackAsTheyWere) {
  for (const char* format : {"yyyy/M/d", "yyyy-MM-dd", "M/d/yyyy", "dd.MM.yyyy", "d-M-yy", "yy/MM/dd", "yyyy'/'M'/'d"}) {
    Pc pc(format);
    const std::string once = "一次" + DateToStr({2028, 2, 29}, format) + "日7时5分";
    pc.store.AddTask(once, "提醒", "a\tb \"quoted\" 'single' “全角”");
    pc.store.AddTask("每天8时0分", "打开文件", "C:\\" + std::string(3000, 'x') + "\\尾.txt");
    const std::vector<TaskRecord> before = pc.Tasks();
    const std::string file = pc.Export();
    ASSERT_EQ(pc.Import(file, true).refusal, "") << format;
    EXPECT_EQ(pc.Tasks(), before) << format;
    EXPECT_NE(file.find(u8"时间=一次2028-02-29日7时5分"), std::string::npos) << format;
  }
}

TEST(TaskFile, ExportRefusesATaskTheFileCannotCarryAndNamesIt) {
  struct Case {
    const char* schedule;
    const char* type;
    const char* param;
    const char* says;
  };
  const Case cases[] = {
      {"每天8时0分", "关机", "", "类型"},
      {"每天8时0分", "提醒", "a\r\nb", "换行"},
      {"每天8时0分", "提醒", "ab\xC3", "GBK"},
  };
  for (const Case& c : cases) {
    Pc pc(kSlashes);
    pc.store.AddTask("每天1时1分", "提醒", "");
    pc.store.AddTask(c.schedule, c.type, c.param);
    const TaskFileExport e = WriteTaskFile(pc.store, pc.reg, pc.codec, pc.dateFormat);
    EXPECT_EQ(e.bytes, "") << c.schedule;
    EXPECT_EQ(e.refusal.rfind("任务2：", 0), 0u) << e.refusal;
    EXPECT_NE(e.refusal.find(c.says), std::string::npos) << c.schedule;
  }
}

}  // namespace
}  // namespace ordavi
