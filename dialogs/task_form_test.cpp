#include "dialogs/task_form.h"

#include <gtest/gtest.h>

#include <functional>

#include "actions/keep_awake.h"
#include "store/testing/error_of.h"
#include "store/testing/fake_registry.h"

namespace ordavi {
namespace {

using testing::ErrorOf;
using testing::FakeRegistryKey;

// A form with `kind` chosen and, when given, the texts of its fields (a
// date's text is unused: the form's date is the picker's).
TaskForm FormOf(ScheduleKind kind, std::vector<std::string> texts = {},
                const std::function<void(TaskForm&)>& set = {}) {
  TaskForm f;
  f.kind = kind;
  if (!texts.empty()) f.FieldsOf(kind) = std::move(texts);
  if (set) set(f);
  return f;
}

TEST(ComposeSchedule, EachKindInItsGrammar) {
  struct Case {
    TaskForm form;
    const char* format;
    const char* text;
  };
  const Case cases[] = {
      {FormOf(ScheduleKind::Idle, {"15"}), "yyyy/M/d", "空闲15分钟"},
      {FormOf(ScheduleKind::Daily, {"8", "5"}), "yyyy/M/d", "每天8时5分"},
      {FormOf(ScheduleKind::Once, {"", "22", "30"}, [](TaskForm& f) { f.date = {2026, 12, 7}; }), "yyyy-MM-dd",
       "一次2026-12-07日22时30分"},
      {FormOf(ScheduleKind::Once, {}, [](TaskForm& f) { f.date = {2026, 12, 7}; }), "yyyy/M/d", "一次2026/12/7日0时0分"},
      {FormOf(ScheduleKind::Weekly, {"0", "23", "59"}), "yyyy/M/d", "每周0日23时59分"},
      {FormOf(ScheduleKind::Monthly, {"31", "9", "0"}), "yyyy/M/d", "每月31日9时0分"},
      {FormOf(ScheduleKind::Yearly, {"12", "31", "23", "59"}), "yyyy/M/d", "每年12月31日23时59分"},
      {FormOf(ScheduleKind::AfterBoot, {"30", ""}), "yyyy/M/d", "开机30时0分"},
      {FormOf(ScheduleKind::NetworkQuiet, {"050", "3"}), "yyyy/M/d", "网速低于50KB/s持续3分钟"},
      {FormOf(ScheduleKind::ProgramEnds, {"007"}), "yyyy/M/d", "程序结束后：007"},  // a name, not a number,
  };
  for (const Case& c : cases) {
    TaskForm f = c.form;
    EXPECT_EQ(ComposeSchedule(f, c.format), c.text);
  }
  // Leading zeros in the weekday, day and month boxes would make a task that
  // is never due (the schedule evaluation compares these as text): they are
  // dropped, and the boxes show the number stored.
  TaskForm weekly = FormOf(ScheduleKind::Weekly, {"07", "0", "0"});
  EXPECT_EQ(ComposeSchedule(weekly, "yyyy/M/d"), "每周7日0时0分");
  EXPECT_EQ(weekly.FieldsOf(ScheduleKind::Weekly)[0], "7");
  TaskForm sunday = FormOf(ScheduleKind::Weekly, {"00", "0", "0"});
  EXPECT_EQ(ComposeSchedule(sunday, "yyyy/M/d"), "每周0日0时0分");
  TaskForm monthly = FormOf(ScheduleKind::Monthly, {"001", "0", "0"});
  EXPECT_EQ(ComposeSchedule(monthly, "yyyy/M/d"), "每月1日0时0分");
  TaskForm yearly = FormOf(ScheduleKind::Yearly, {"03", "09", "0", "0"});
  EXPECT_EQ(ComposeSchedule(yearly, "yyyy/M/d"), "每年3月9日0时0分");
  EXPECT_EQ(yearly.FieldsOf(ScheduleKind::Yearly), (std::vector<std::string>{"3", "9", "0", "0"}));
  // Empty boot boxes become "0", and the boxes show it.
  TaskForm boot = FormOf(ScheduleKind::AfterBoot);
  EXPECT_EQ(ComposeSchedule(boot, "yyyy/M/d"), "开机0时0分");
  EXPECT_EQ(boot.FieldsOf(ScheduleKind::AfterBoot), (std::vector<std::string>{"0", "0"}));
}

// Every kind is checked with the grammar's reading, each field refused with
// the grammar's rule of it, so the editor stores only what the tick can find
// due.
TEST(CheckTaskForm, RefusesWhatTheScheduleEvaluationCouldNeverRead) {
  struct Case {
    TaskForm form;
    const char* message;  // nullptr: accepted
  };
  const auto idle = [](const char* m) { return FormOf(ScheduleKind::Idle, {m}); };
  const auto boot = [](const char* h, const char* m) { return FormOf(ScheduleKind::AfterBoot, {h, m}); };
  const auto weekday = [](const char* w) { return FormOf(ScheduleKind::Weekly, {w, "0", "0"}); };
  const auto yearly = [](const char* m, const char* d) { return FormOf(ScheduleKind::Yearly, {m, d, "0", "0"}); };
  const auto adapter = [](const char* type, const char* name) {
    return FormOf(ScheduleKind::Daily, {}, [=](TaskForm& f) { f.type = type, f.param = name; });
  };
  const auto program = [](const char* name) { return FormOf(ScheduleKind::ProgramEnds, {name}); };
  const auto network = [](const char* kbps, const char* minutes) {
    return FormOf(ScheduleKind::NetworkQuiet, {kbps, minutes});
  };
  const auto processor = [](const char* percent, const char* minutes) {
    return FormOf(ScheduleKind::ProcessorQuiet, {percent, minutes});
  };
  const char* const kIdleRule = "“空闲”的空闲分钟数应为0到71582";
  const char* const kBootRule = "“开机”的开机时间应为0时0分到1193时2分";
  const char* const kWeekdayRule = "“每周”的星期应为0到7（0和7都是星期日）";
  const Case cases[] = {
      {TaskForm(), "请选择时间"},
      {FormOf(ScheduleKind::Idle), kIdleRule},
      {idle("1a"), kIdleRule},
      {idle("99999999999"), kIdleRule},
      {idle("0"), nullptr},
      // The counters' last minute: 49.7 days after the tick count's zero.
      {idle("71582"), nullptr},
      {idle("71583"), kIdleRule},
      {FormOf(ScheduleKind::AfterBoot), nullptr},
      {boot("1193", "2"), nullptr},
      {boot("0", "71582"), nullptr},
      {boot("1193", "3"), kBootRule},
      {boot("71582789", ""), kBootRule},  // its 32-bit total would be 44 minutes
      {boot("x", ""), kBootRule},
      {boot("", "-5"), kBootRule},
      {weekday("0"), nullptr},
      {weekday("7"), nullptr},
      {weekday("07"), nullptr},  // stored as 7
      {weekday("8"), kWeekdayRule},
      {weekday("一"), kWeekdayRule},
      {weekday("+5"), kWeekdayRule},
      {FormOf(ScheduleKind::Monthly, {"31", "0", "0"}), nullptr},
      {FormOf(ScheduleKind::Monthly, {"0", "0", "0"}), "“每月”的日期应为1到31，且是该月有的日子"},
      {FormOf(ScheduleKind::Monthly, {"", "0", "0"}), "“每月”的日期应为1到31，且是该月有的日子"},
      {yearly("13", "1"), "“每年”的月份应为1到12"},
      {yearly("1", "32"), "“每年”的日期应为1到31，且是该月有的日子"},
      {yearly("2", "29"), nullptr},
      {yearly("2", "30"), "“每年”的日期应为1到31，且是该月有的日子"},
      {yearly("4", "31"), "“每年”的日期应为1到31，且是该月有的日子"},
      {yearly("12", "31"), nullptr},
      {FormOf(ScheduleKind::Once), nullptr},
      {FormOf(ScheduleKind::Daily, {"23", "59"}), nullptr},
      {adapter("禁用网卡", "本地连接 2"), nullptr},
      {adapter("启用网卡", "a & b (c)"), nullptr},
      {adapter("启用网卡", "50%"), "网卡连接名称\"50%\"含有不能放入命令行的字符（\"、%、!、控制字符或末尾的\\）"},
      {adapter("禁用网卡", "x\"y"), "网卡连接名称\"x\"y\"含有不能放入命令行的字符（\"、%、!、控制字符或末尾的\\）"},
      {adapter("禁用网卡", "lan\\"), "网卡连接名称\"lan\\\"含有不能放入命令行的字符（\"、%、!、控制字符或末尾的\\）"},
      {adapter("提醒", "100%!"), nullptr},
      {adapter("保持唤醒", "480"), nullptr},
      {adapter("保持唤醒", "backup.exe，屏幕常亮"), nullptr},
      {adapter("保持唤醒", "0"), kAwakeParamRule},
      {adapter("保持唤醒", "八小时"), kAwakeParamRule},
      // The conditions: the grammar's rule of the first box it cannot read.
      {program(""), "“程序结束后：”的程序名应为1到260字节的文件名，不含路径和\\/:*?\"<>|"},
      {program("C:\\dl\\dl.exe"), "“程序结束后：”的程序名应为1到260字节的文件名，不含路径和\\/:*?\"<>|"},
      {program("迅雷.exe"), nullptr},
      {network("", "3"), "“网速低于”的网速应为1到1048576KB/s"},
      {network("0", "3"), "“网速低于”的网速应为1到1048576KB/s"},
      {network("50", "1441"), "“网速低于”的持续时间应为1到1440分钟"},
      {network("050", "3"), nullptr},
      {processor("100", "5"), "“处理器低于”的处理器占用应为1%到99%"},
      {processor("10", ""), "“处理器低于”的持续时间应为1到1440分钟"},
      {processor("99", "1440"), nullptr},
  };
  for (const Case& c : cases) {
    const std::optional<UserMessage> m = CheckTaskForm(c.form);
    if (!c.message) {
      EXPECT_FALSE(m.has_value()) << m->text;
      continue;
    }
    ASSERT_TRUE(m.has_value()) << c.message;
    EXPECT_EQ(m->text, c.message);
    EXPECT_EQ(m->caption, "提示");
    EXPECT_EQ(m->icon, MessageIcon::Information);
  }
}

class FillTest : public ::testing::Test {
 protected:
  ScheduleNow now;

  TaskForm Fill(const std::string& schedule, const std::string& type = "提醒", const std::string& param = "") {
    TaskForm f;
    TaskRecord r;
    r.schedule = schedule;
    r.type = type;
    r.param = param;
    FillTaskForm(f, r, now, "yyyy/M/d");
    return f;
  }
};

TEST_F(FillTest, StoredTasksComposeBackToTheirText) {
  // A weekly Sunday stored as 7 is shown, and so stored again, as 0.
  const std::pair<const char*, const char*> cases[] = {
      {"空闲15分钟", "空闲15分钟"},
      {"开机1时30分", "开机1时30分"},
      {"一次2024/3/5日8时30分", "一次2024/3/5日8时30分"},
      {"每天08时05分", "每天8时5分"},
      {"每周7日22时0分", "每周0日22时0分"},
      {"每周07日22时0分", "每周7日22时0分"},  // the box's number: what the user sees is Sunday
      {"每周3日6时0分", "每周3日6时0分"},
      {"每月31日9时0分", "每月31日9时0分"},
      {"每年2月29日23时59分", "每年2月29日23时59分"},
      {"程序结束后：迅雷.exe", "程序结束后：迅雷.exe"},
      {"网速低于050KB/s持续3分钟", "网速低于50KB/s持续3分钟"},
      {"处理器低于10%持续5分钟", "处理器低于10%持续5分钟"},
  };
  for (const auto& [stored, composed] : cases) {
    TaskForm f = Fill(stored);
    EXPECT_EQ(ComposeSchedule(f, "yyyy/M/d"), composed);
  }
  TaskForm once = Fill("一次2024/3/5日8时30分");
  EXPECT_EQ(once.kind, ScheduleKind::Once);
  EXPECT_EQ(once.date.month, 3);
  EXPECT_EQ(once.FieldsOf(ScheduleKind::Once)[2], "30");
  EXPECT_EQ(Fill("每天08时05分").FieldsOf(ScheduleKind::Daily), (std::vector<std::string>{"8", "5"}));
}

// A task of another kind shows the once-date picker at today, as Add does.
TEST_F(FillTest, TheOnceDateIsTodayForATaskOfAnotherKind) {
  now = ScheduleNow{2026, 12, 2, 8, 10, 0};
  TaskForm daily = Fill("每天1时0分");
  EXPECT_EQ(daily.date.year * 10000 + daily.date.month * 100 + daily.date.day, 20261208);
  TaskForm once = Fill("一次2024/3/5日8时30分");
  EXPECT_EQ(once.date.year * 10000 + once.date.month * 100 + once.date.day, 20240305);
}

TEST_F(FillTest, TypeAndParameterAndUnknownKinds) {
  TaskForm f = Fill("每天1时0分", "清理系统垃圾", "kept");
  EXPECT_EQ(f.type, "清理系统垃圾");
  EXPECT_EQ(f.param, "kept");
  EXPECT_EQ(Fill("每天1时0分", "别的").type, "提醒");  // a word not in the list selects 提醒
  EXPECT_EQ(Fill("每天1时0分", "").type, "提醒");
  EXPECT_FALSE(Fill("某天1时0分").kind.has_value());
}

TEST_F(FillTest, AFieldThatDoesNotConvertStopsTheFillWhereItIs) {
  TaskForm f;
  TaskRecord r;
  r.schedule = "每天x时5分";
  r.type = "关闭程序";
  r.param = "a.exe";
  EXPECT_EQ(ErrorOf([&] { FillTaskForm(f, r, now, "yyyy/M/d"); }), "'x' is not a valid integer value");
  EXPECT_EQ(f.type, "关闭程序");
  EXPECT_EQ(f.param, "a.exe");
  EXPECT_FALSE(f.kind.has_value());
  EXPECT_EQ(ErrorOf([&] { Fill("一次2024/13/5日8时30分"); }), "'2024/13/5' is not a valid date");
  EXPECT_EQ(ErrorOf([&] { Fill("空闲分钟"); }), "'' is not a valid integer value");
}

TEST(ParamHints, PickedTypeSetsCaptionListTextAndTooltip) {
  const ParamHints remind = HintsForPickedType("提醒", 6);
  EXPECT_EQ(remind.caption, "提醒语：");
  EXPECT_EQ(remind.items,
            (std::vector<std::string>{"下班时间到。", "要去上班啰。", "该吃饭了。", "该休息一下了。", "放学了。"}));
  EXPECT_EQ(remind.text, "下班时间到。");
  EXPECT_EQ(remind.tooltip, "");

  struct Case {
    const char* type;
    std::uint32_t major;
    const char* caption;
    const char* text;
    const char* tooltip;
    std::size_t items;
  };
  for (const Case& c : {
           Case{"打开文件", 6, "文件:", "可以打开mp3文件，程序，网址，电影视频等", "可以打开mp3文件，程序，网址，电影视频等", 0},
           Case{"关闭程序", 6, "程序：", "在此输入程序的文件名或按浏览。", "在此输入程序的文件名或按浏览。", 0},
           Case{"禁用网卡", 6, "属性：", "本地连接", "", 2},
           Case{"启用网卡", 10, "属性：", "以太网", "", 2},
           Case{"关闭计算机", 10, "属性：", "", "", 0},
           Case{"清理系统垃圾", 6, "属性：", "", "", 0},
           Case{"保持唤醒", 6, "分钟或程序：", "480", "", 4},
       }) {
    const ParamHints h = HintsForPickedType(c.type, c.major);
    EXPECT_EQ(h.caption, c.caption) << c.type;
    EXPECT_EQ(h.text, c.text) << c.type;
    EXPECT_EQ(h.tooltip, c.tooltip) << c.type;
    EXPECT_EQ(h.items.size(), c.items) << c.type;
  }
  EXPECT_EQ(HintsForPickedType("禁用网卡", 6).items, (std::vector<std::string>{"本地连接", "以太网"}));
}

TEST(ParamHints, StoredTaskGetsCaptionAndTooltipByItsListPosition) {
  struct Case {
    const char* type;
    const char* caption;
    const char* tooltip;
  };
  for (const Case& c : {Case{"提醒", "提醒语：", ""}, Case{"不认识", "提醒语：", ""},
                        Case{"打开文件", "文件:", "可以打开mp3文件，程序，网址，电影视频等"},
                        Case{"关闭程序", "程序：", "在此输入程序的文件名或按浏览。"},
                        Case{"清理系统垃圾", "属性：", ""}, Case{"启用网卡", "属性：", ""}}) {
    const ParamHints h = HintsForStoredTask(c.type, "stored");
    EXPECT_EQ(h.caption, c.caption) << c.type;
    EXPECT_EQ(h.tooltip, c.tooltip) << c.type;
    EXPECT_EQ(h.text, "stored");
    EXPECT_TRUE(h.items.empty());
  }
  EXPECT_EQ(std::string(EditorType("启用网卡").word), "启用网卡");
  EXPECT_EQ(std::string(EditorType("").word), "提醒");
}

TEST(EditorTexts, Uptime) {
  for (const auto& [ms, text] : {std::pair<std::uint32_t, const char*>{3599999, "已开机时间:0时59分59秒"},
                                 {93784000, "已开机时间:26时3分4秒"},
                                 {176400000, "已开机时间:49时0分0秒"},
                                 {0xFFFFFFFF, "已开机时间:1193时2分47秒"}}) {
    EXPECT_EQ(UptimeText(ms), text);
  }
}

// 8 December 2026, 10:15.
const ScheduleNow kNow{2026, 12, 2, 8, 10, 15, 30, 0};

class EditorOkTest : public ::testing::Test {
 protected:
  FakeRegistryKey key;
  Registry reg{key};
  TaskStore store{reg};
  SettingsList list;
};

TEST_F(EditorOkTest, ANewTaskGetsTheNextNumberAndItsRowAtTheBottom) {
  key.PlantDword("TaskNum", 7);
  store.LoadTaskCounter();
  TaskForm f = NewTaskForm(ScheduleNow{2026, 12, 1, 7});
  EXPECT_EQ(f.date.day, 7);
  f.kind = ScheduleKind::Daily;
  f.FieldsOf(ScheduleKind::Daily) = {"22", "30"};
  f.type = "关闭计算机";
  const EditorOkResult r = EditorOk(list, list.OpenAddEditor(), store, f, "yyyy/M/d", kNow, false);
  ASSERT_FALSE(r.refusal.has_value());
  EXPECT_EQ(r.stored->number, 8);
  EXPECT_EQ(reg.ReadInteger("TaskNum"), 8);
  EXPECT_EQ(key.values["A8"].data, std::string("每天22时30分") + '\0');
  EXPECT_EQ(reg.ReadString("D8"), "启用");
  EXPECT_EQ(reg.ReadString("C8"), "");
  ASSERT_EQ(list.rows().size(), 1u);
  EXPECT_EQ(list.rows().back().number, 8);
}

TEST_F(EditorOkTest, ARefusedFormOrAFullStoreWritesNothing) {
  store.LoadTaskCounter();
  key.writeLog.clear();
  const int editor = list.OpenAddEditor();
  TaskForm f;
  EXPECT_EQ(EditorOk(list, editor, store, f, "yyyy/M/d", kNow, false).refusal->text, "请选择时间");
  EXPECT_TRUE(key.writeLog.empty());
  EXPECT_TRUE(list.rows().empty());

  key.PlantDword("TaskNum", 10000);
  store.LoadTaskCounter();
  f.kind = ScheduleKind::Daily;
  EXPECT_EQ(ErrorOf([&] { EditorOk(list, editor, store, f, "yyyy/M/d", kNow, false); }), "已有10000个任务，不能再添加");
  EXPECT_TRUE(key.writeLog.empty());
  EXPECT_EQ(store.Count(), 10000);
  EXPECT_TRUE(list.rows().empty());
}

// A once date and minute already past asks once (nothing written until the
// user says 是); the minute of now and later minutes are stored at once.
TEST_F(EditorOkTest, AOnceTaskInThePastIsStoredOnlyAfterTheUserConfirms) {
  store.LoadTaskCounter();
  struct Case { Date date; const char* hour; const char* minute; bool asks; };
  for (const Case& c : {Case{{2026, 12, 8}, "10", "14", true}, Case{{2025, 12, 31}, "23", "59", true},
                        Case{{2026, 12, 7}, "23", "59", true}, Case{{2026, 12, 8}, "10", "15", false},
                        Case{{2026, 12, 9}, "0", "0", false}, Case{{2027, 1, 1}, "0", "0", false}}) {
    TaskForm f = FormOf(ScheduleKind::Once, {"", c.hour, c.minute}, [&](TaskForm& t) { t.date = c.date; });
    const std::int32_t before = store.Count();
    const int editor = list.OpenAddEditor();
    const EditorOkResult r = EditorOk(list, editor, store, f, "yyyy/M/d", kNow, false);
    EXPECT_EQ(r.question.has_value(), c.asks) << c.date.day << " " << c.hour << ":" << c.minute;
    EXPECT_EQ(r.stored.has_value(), !c.asks);
    if (!c.asks) continue;
    EXPECT_EQ(*r.question, kOnceInThePastQuestion);
    EXPECT_EQ(store.Count(), before);  // nothing written yet
    const EditorOkResult confirmed = EditorOk(list, editor, store, f, "yyyy/M/d", kNow, true);
    ASSERT_TRUE(confirmed.stored.has_value());
    EXPECT_EQ(store.Count(), before + 1);
  }
  TaskForm daily = FormOf(ScheduleKind::Daily, {}, [](TaskForm& t) { t.date = {2000, 1, 1}; });
  EXPECT_FALSE(EditorOk(list, list.OpenAddEditor(), store, daily, "yyyy/M/d", kNow, false).question);
}

// The wake box is stored for the kinds with a clock time only, the catch-up
// box also only for a type that may run late (the boxes are off for the
// others, but a form may still hold them); both come back on reopening.
TEST_F(EditorOkTest, TheFlagsAreStoredOnlyWhereTheEditorOffersThem) {
  store.LoadTaskCounter();
  const struct {
    const char* type;
    bool catchUp;
  } types[] = {{"打开文件", true},   {"清理系统垃圾", true}, {"启用网卡", true},  {"提醒", false},
               {"关闭计算机", false}, {"注销计算机", false}, {"禁用网卡", false}, {"断开拨号", false}};
  for (const ScheduleKindRow& row : kScheduleKinds) {
    for (const auto& type : types) {
      TaskForm f = FormOf(row.kind, {}, [&type](TaskForm& t) {
        t.wake = t.catchUp = true, t.date = {2027, 1, 1}, t.type = type.type, t.param = "x";
        t.FieldsOf(ScheduleKind::Idle) = {"5"};
        t.FieldsOf(ScheduleKind::ProgramEnds) = {"a.exe"};
        t.FieldsOf(ScheduleKind::NetworkQuiet) = t.FieldsOf(ScheduleKind::ProcessorQuiet) = {"10", "3"};
      });
      SCOPED_TRACE(std::string(row.word) + " " + type.type);
      const EditorOkResult r = EditorOk(list, list.OpenAddEditor(), store, f, "yyyy/M/d", kNow, false);
      ASSERT_TRUE(r.stored.has_value());
      const bool clock = row.timing == KindTiming::Clock;
      EXPECT_EQ(CatchUpOffered(row.kind, type.type), clock && type.catchUp);
      EXPECT_EQ(store.ReadFlag(TaskField::Wake, r.stored->number), clock);
      EXPECT_EQ(store.ReadFlag(TaskField::CatchUp, r.stored->number), clock && type.catchUp);
      TaskForm reopened;
      FillTaskForm(reopened, store.ReadTask(r.stored->number), kNow, "yyyy/M/d");
      EXPECT_EQ(reopened.wake, clock);
      EXPECT_EQ(reopened.catchUp, clock && type.catchUp);
    }
  }
}

}  // namespace
}  // namespace ordavi
