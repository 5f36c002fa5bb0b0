#include "transfer/task_file.h"

#include <cstdint>
#include <iterator>

#include "actions/network.h"
#include "schedule/grammar.h"
#include "store/errors.h"
#include "store/task_types.h"
#include "store/text.h"
#include "store/words.h"

namespace ordavi {

namespace {

constexpr const char* kVersionPrefix = "Ordavi 任务文件 版本 ";
constexpr const char* kTaskSection = "[任务]";
constexpr const char* kOptionsSection = "[选项]";
constexpr const char* kScheduleKey = "时间";
constexpr const char* kVerbatimScheduleKey = "原样时间";
constexpr const char* kTypeKey = "类型";
constexpr const char* kParamKey = "参数";
constexpr const char* kEnabledKey = "状态";
constexpr const char* kWakeKey = "唤醒";
constexpr const char* kCatchUpKey = "错过后补运行";
constexpr const char* kBom = "\xEF\xBB\xBF";

bool HasControl(const std::string& gbk) {
  for (char c : gbk) {
    const unsigned char b = static_cast<unsigned char>(c);
    if ((b < 0x20 && b != '\t') || b == 0x7F) return true;
  }
  return false;
}

bool Blank(const std::string& s) { return s.find_first_not_of(" \t") == std::string::npos; }

std::string Quoted(const std::string& gbk) { return "“" + QuoteForMessage(gbk) + "”"; }

// The type words from `first` up to (not including) `end`, joined by "、".
std::string TypeList(std::size_t first = 0, std::size_t end = std::size(kTaskTypes)) {
  std::string list;
  for (std::size_t i = first; i < end; ++i) list += std::string(list.empty() ? "" : "、") + kTaskTypes[i].word;
  return list;
}

// Refuses a type word that names no type; the empty word (no type picked in
// the editor) is kept.
bool KnownType(const std::string& word) { return word.empty() || FindTaskType(word); }

std::string AdapterProblem(const std::string& type, const std::string& param) {
  if (!IsAdapterType(type)) return std::string();
  return AdapterCommand(param, true) ? std::string() : AdapterNameProblem(param);
}

// The kind words, joined by "、" and "或", in the table's order.
std::string KindWords() {
  std::string list;
  const std::size_t n = kScheduleKindCount;
  for (std::size_t i = 0; i < n; ++i) {
    list += std::string(i == 0 ? "" : i + 1 == n ? "或" : "、") + kScheduleKinds[i].word;
  }
  return list;
}

// The text of a reading with plain numbers and the date in `toFormat`, when
// it reads back in `toFormat` as the same fields (a two-digit year cannot
// hold every date: 1999 would come back as 2099).
std::optional<std::string> Rewritten(const ScheduleReading& r, const std::string& toFormat) {
  const ScheduleKindRow& row = RowOf(*r.kind);
  std::vector<std::string> fields;
  for (std::size_t i = 0; i < row.count; ++i) {
    const ScheduleField f = row.fields[i].field;
    fields.push_back(f == ScheduleField::Date          ? DateToStr(r.date, toFormat)
                     : f == ScheduleField::ProgramName ? r.texts[i]  // a name, even one of digits only
                                                       : PlainNumber(r.texts[i]));
  }
  const std::string text = ScheduleText(*r.kind, fields);
  const ScheduleReading back = ReadSchedule(text, toFormat);
  const bool same = !back.never && back.values == r.values && back.date.year == r.date.year &&
                    back.date.month == r.date.month && back.date.day == r.date.day;
  return same ? std::optional<std::string>(text) : std::nullopt;
}

std::string DateProblem(const std::string& date, const std::string& fromFormat) {
  return "日期" + Quoted(date) + "不是" + (fromFormat == kFileDateFormat ? "年-月-日" : fromFormat) + "格式的日期";
}

// Why the tick never finds a reading due, naming the field.
std::string NeverProblem(const std::string& text, const ScheduleReading& r, const std::string& fromFormat) {
  if (r.badField < 0) return "时间" + Quoted(text) + "应以" + KindWords() + "开头";
  const ScheduleKindRow& row = RowOf(*r.kind);
  const std::size_t i = static_cast<std::size_t>(r.badField);
  const ScheduleField field = row.fields[i].field;
  if (field == ScheduleField::Date) return DateProblem(r.texts[i], fromFormat);
  const bool dayOfMonth = field == ScheduleField::Day && i > 0 && row.fields[i - 1].field == ScheduleField::Month;
  if (dayOfMonth && r.values[i] >= 1 && r.values[i] <= 31) {  // in range, but not in that month
    return "时间" + Quoted(text) + "的日期" + r.texts[i - 1] + "月" + r.texts[i] + "日不存在";
  }
  return "时间" + Quoted(text) + "的" + FieldRuleText(field);
}

}  // namespace

std::optional<std::string> ConvertSchedule(const std::string& text, const std::string& fromFormat,
                                           const std::string& toFormat, std::string& problem) {
  const ScheduleReading r = ReadSchedule(text, fromFormat);
  if (r.kind && !r.exact) {
    const std::string cut = ScheduleText(*r.kind, r.texts);
    const bool trailing = text.compare(0, cut.size(), cut) == 0;
    problem = "时间" + Quoted(text) + (trailing ? "的末尾多了" + Quoted(text.substr(cut.size())) : "不完整");
    return std::nullopt;
  }
  // The file's dates always have a four-digit year.
  if (r.kind == ScheduleKind::Once && fromFormat == kFileDateFormat && r.texts[0].find('-') != 4) {
    problem = DateProblem(r.texts[0], fromFormat);
    return std::nullopt;
  }
  if (r.never) {
    problem = NeverProblem(text, r, fromFormat);
    return std::nullopt;
  }
  const std::optional<std::string> rewritten = Rewritten(r, toFormat);
  if (!rewritten) problem = "日期" + Quoted(r.texts[0]) + "无法用短日期格式" + toFormat + "表示";
  return rewritten;
}

// ---- writing ----

namespace {

class FileWriter {
 public:
  explicit FileWriter(GbkCodec& codec) : codec_(codec) { bytes_ = kBom; }

  // False when the line's bytes are not GBK.
  bool Line(const std::string& gbk) {
    const std::optional<std::string> utf8 = Utf8FromGbk(codec_, gbk);
    if (!utf8) return false;
    bytes_ += *utf8 + "\r\n";
    return true;
  }
  std::string& Bytes() { return bytes_; }

 private:
  GbkCodec& codec_;
  std::string bytes_;
};

std::vector<std::string> HeaderLines() {
  std::vector<std::string> lines = {
      kVersionPrefix + Decimal(kTaskFileVersion),
      "; 这是 Ordavi 的任务和选项，可以用记事本查看和修改。修改后请以 UTF-8 编码保存，",
      "; 再在 Ordavi 设置中按“导入…”，或在命令行运行 Ordavi.exe /import 文件名 [/replace]。",
      "; 第一行是文件的版本，不要修改。以 ; 或 # 开头的行和空行不读。",
      "; 每个任务一节，从 [任务] 一行开始，任务按在文件中的先后编号。每行“名称=值”，",
      "; 等号后直到行尾都是值（不去掉空格）：",
      ";   时间=  空闲15分钟、开机0时5分、一次2024-03-05日8时30分（日期总是 年-月-日）、",
      ";          每天22时30分、每周7日22时0分（1到7为星期一到星期日）、每月1日9时0分、每年12月31日23时59分",
      ";          程序结束后：thunder.exe、网速低于50KB/s持续3分钟、处理器低于10%持续5分钟",
      ";   类型=  " + TypeList(0, 8) + "、",
      ";          " + TypeList(8),
      ";   参数=  提醒语、要打开的文件、要关闭的程序或网卡的名称；其他类型不用",
      ";          保持唤醒：分钟数（如 480）或程序名（如 backup.exe），可加“，屏幕常亮”",
      ";   状态=  启用 或 禁用（不写为启用）",
      ";   唤醒=  1：唤醒计算机运行此任务（有时刻的任务）；0 或不写：不唤醒",
      ";   错过后补运行=  1：错过（未运行Ordavi或睡眠中）后补运行一次；提醒、电源、断开拨号、禁用网卡不可用",
      ";   原样时间=  代替“时间=”：不会运行的时间，导入时不检查，按原样保存",
      "; [选项] 一节，没写的选项不变：",
  };
  for (const OptionDescriptor& o : kOptions) {
    lines.push_back(";   " + std::string(o.name) + (o.kind == OptionKind::Flag ? "=1  " : "=  ") + o.meaning);
  }
  lines.push_back("; 导入时选“替换全部任务”才导入选项；“添加到现有任务之后”只添加任务。");
  return lines;
}

// The option names, "shutapp、soundpath、…或rejian".
std::string OptionNames() {
  std::string list;
  for (std::size_t i = 0; i < kOptionCount; ++i) {
    list += std::string(i == 0 ? "" : i + 1 == kOptionCount ? "或" : "、") + kOptions[i].name;
  }
  return list;
}

}  // namespace

TaskFileExport WriteTaskFile(TaskStore& store, Registry& reg, GbkCodec& codec, const std::string& shortDateFormat) {
  TaskFileExport out;
  FileWriter w(codec);
  for (const std::string& line : HeaderLines()) w.Line(line);
  try {
    for (int n = 1; n <= store.Count(); ++n) {
      const TaskRecord t = store.ReadTask(n);
      if (t.schedule.empty()) continue;  // a slot the list and the tick skip too
      const std::string who = "任务" + Decimal(n) + "：";
      // A text the tick never finds due is carried as it is stored, under its
      // own key, so that importing it never makes a task run.
      const ScheduleReading reading = ReadSchedule(t.schedule, shortDateFormat);
      const std::optional<std::string> schedule =
          reading.never ? std::nullopt : Rewritten(reading, kFileDateFormat);
      if (!schedule && HasControl(t.schedule)) {
        out.refusal = who + "时间含有换行等控制字符，文件中无法保存";
        return out;
      }
      if (!KnownType(t.type)) {
        out.refusal = who + "类型" + Quoted(t.type) + "不是Ordavi的任务类型";
        return out;
      }
      if (HasControl(t.type) || HasControl(t.param)) {
        out.refusal = who + "参数含有换行等控制字符，文件中无法保存";
        return out;
      }
      const std::string enabled = t.enabled == words::kEnabled ? words::kEnabled : words::kDisabled;
      w.Line("");
      w.Line(kTaskSection);
      if (schedule) {
        w.Line(std::string(kScheduleKey) + "=" + *schedule);
      } else {
        w.Line("; 这个任务不会运行（" + std::string(reading.never ? reading.never : kNeverUnreadable) +
               "），导入时按原样保存");
        if (!w.Line(std::string(kVerbatimScheduleKey) + "=" + t.schedule)) {
          out.refusal = who + "时间含有不是GBK的字节";
          return out;
        }
      }
      w.Line(std::string(kTypeKey) + "=" + t.type);
      if (!w.Line(std::string(kParamKey) + "=" + t.param)) {
        out.refusal = who + "参数含有不是GBK的字节";
        return out;
      }
      w.Line(std::string(kEnabledKey) + "=" + enabled);
      if (t.wake) w.Line(std::string(kWakeKey) + "=1");
      if (t.catchUp) w.Line(std::string(kCatchUpKey) + "=1");
      ++out.tasks;
    }
    const OptionValues stored = ReadOptionValues(reg);
    w.Line("");
    w.Line(kOptionsSection);
    for (const OptionDescriptor& o : kOptions) {
      // As the agent reads them: a flag is on or off, a number out of its
      // range is not used.
      const OptionValue& v = *stored.of[IndexOf(o)];
      std::string value;
      switch (o.kind) {
        case OptionKind::Flag: value = FlagIsOn(o, v.number) ? "1" : "0"; break;
        case OptionKind::Seconds:
        case OptionKind::Number: value = Decimal(v.number < o.low || v.number > o.high ? o.defaultNumber : v.number); break;
        case OptionKind::Text: value = v.text; break;
      }
      if (!w.Line(std::string(o.name) + "=" + value) || HasControl(value)) {
        out.refusal = "选项" + std::string(o.name) + "含有文件中无法保存的字符";
        return out;
      }
    }
  } catch (const FrameworkError& e) {
    out.refusal = e.what();
    return out;
  }
  out.bytes = std::move(w.Bytes());
  return out;
}

// ---- reading ----

namespace {

struct PendingTask {
  int line = 0;  // of its [任务]
  int lines[6] = {0, 0, 0, 0, 0, 0};  // of 时间 (or 原样时间), 类型, 参数, 状态, 唤醒, 错过后补运行
  std::string values[6];
  bool verbatim = false;  // the schedule came as 原样时间: stored as it is
};

const char* const kTaskKeys[6] = {kScheduleKey, kTypeKey, kParamKey, kEnabledKey, kWakeKey, kCatchUpKey};

class FileReader {
 public:
  FileReader(GbkCodec& codec, const std::string& format) : codec_(codec), format_(format) {}

  TaskFileRead Read(const std::string& bytes) {
    std::size_t start = bytes.compare(0, 3, kBom) == 0 ? 3 : 0;
    int number = 0;
    while (start < bytes.size() || number == 0) {
      std::size_t end = bytes.find('\n', start);
      if (end == std::string::npos) end = bytes.size();
      std::string raw = bytes.substr(start, end - start);
      if (!raw.empty() && raw.back() == '\r') raw.pop_back();
      start = end + 1;
      ++number;
      if (!Line(number, raw)) return Failed();
    }
    if (!EndTask()) return Failed();
    TaskFileRead r;
    r.content = std::move(content_);
    return r;
  }

 private:
  bool Fail(int line, const std::string& text) {
    errorLine_ = line;
    error_ = "第" + Decimal(line) + "行：" + text;
    return false;
  }
  TaskFileRead Failed() {
    TaskFileRead r;
    r.errorLine = errorLine_;
    r.error = error_;
    return r;
  }

  bool Line(int number, const std::string& utf8) {
    const std::optional<std::string> gbk = GbkFromUtf8(codec_, utf8);
    if (!gbk) {
      if (!Utf16FromUtf8(utf8)) return Fail(number, "不是UTF-8文本，请用记事本以UTF-8编码保存");
      return Fail(number, "含有GBK无法表示的字符");
    }
    const std::string& line = *gbk;
    if (HasControl(line)) return Fail(number, "含有控制字符");
    if (number == 1) return Version(line);
    if (Blank(line) || line[0] == ';' || line[0] == '#') return true;
    if (line[0] == '[') return Section(number, line);
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) return Fail(number, "应为“名称=值”、[任务]或[选项]");
    const std::string key = line.substr(0, eq);
    const std::string value = line.substr(eq + 1);
    if (section_ == Sect::Task) return TaskValue(number, key, value);
    if (section_ == Sect::Options) return OptionLine(number, key, value);
    return Fail(number, "“名称=值”应在[任务]或[选项]之下");
  }

  bool Version(const std::string& line) {
    const std::string prefix = kVersionPrefix;
    const std::optional<std::int32_t> version =
        DigitsValue(line.compare(0, prefix.size(), prefix) == 0 ? line.substr(prefix.size()) : std::string());
    if (!version) return Fail(1, "不是Ordavi任务文件：第一行应为“" + prefix + Decimal(kTaskFileVersion) + "”");
    if (*version < 1 || *version > kTaskFileVersion) {
      return Fail(1, "文件版本" + Decimal(*version) + "不是本程序能读的版本（1到" + Decimal(kTaskFileVersion) +
                         "），请用新版Ordavi导入");
    }
    return true;
  }

  bool Section(int number, const std::string& line) {
    if (!EndTask()) return false;
    if (line == kTaskSection) {
      section_ = Sect::Task;
      task_ = PendingTask();
      task_.line = number;
      return true;
    }
    if (line == kOptionsSection) {
      if (sawOptions_) return Fail(number, "[选项]只能有一节");
      sawOptions_ = true;
      section_ = Sect::Options;
      return true;
    }
    return Fail(number, "不认识的节" + Quoted(line) + "，应为[任务]或[选项]");
  }

  bool TaskValue(int number, const std::string& key, const std::string& value) {
    const bool verbatim = key == kVerbatimScheduleKey;
    for (int i = 0; i < 6; ++i) {
      if (key != kTaskKeys[i] && !(verbatim && i == 0)) continue;
      if (task_.lines[i]) {
        const std::string had = i == 0 && task_.verbatim ? kVerbatimScheduleKey : kTaskKeys[i];
        return Fail(number, "这个任务已有“" + had + "=”（第" + Decimal(task_.lines[i]) + "行）");
      }
      task_.lines[i] = number;
      task_.values[i] = value;
      if (i == 0) task_.verbatim = verbatim;
      return true;
    }
    return Fail(number, "[任务]中没有" + Quoted(key) + "这一项，应为时间、原样时间、类型、参数、状态、唤醒或错过后补运行");
  }

  // Checks and keeps the task of the section that just ended.
  bool EndTask() {
    if (section_ != Sect::Task) return true;
    section_ = Sect::None;
    const PendingTask& t = task_;
    if (!t.lines[0]) return Fail(t.line, "这个任务缺少“时间=”");
    if (!t.lines[1]) return Fail(t.line, "这个任务缺少“类型=”");
    std::string problem;
    std::optional<std::string> schedule = t.values[0];
    if (!t.verbatim) schedule = ConvertSchedule(t.values[0], kFileDateFormat, format_, problem);
    if (t.verbatim && t.values[0].empty()) problem = "原样时间不能为空";
    if (!problem.empty()) return Fail(t.lines[0], problem);
    if (!KnownType(t.values[1])) {
      return Fail(t.lines[1], "类型" + Quoted(t.values[1]) + "应为" + TypeList() + "之一");
    }
    const std::string adapter = AdapterProblem(t.values[1], t.values[2]);
    if (!adapter.empty()) return Fail(t.lines[2] ? t.lines[2] : t.lines[1], adapter);
    std::string enabled = words::kEnabled;
    if (t.lines[3]) {
      enabled = t.values[3];
      if (enabled != words::kEnabled && enabled != words::kDisabled) {
        return Fail(t.lines[3], "状态" + Quoted(enabled) + "应为启用或禁用");
      }
    }
    if (t.lines[4] && t.values[4] != "0" && t.values[4] != "1") return Fail(t.lines[4], "唤醒应为0或1");
    if (t.lines[5] && t.values[5] != "0" && t.values[5] != "1") return Fail(t.lines[5], "错过后补运行应为0或1");
    // A type that must never run late (a shutdown after the PC came back) is
    // refused with its line, not silently stored or dropped.
    const TaskType* type = FindTaskType(t.values[1]);
    if (t.values[5] == "1" && !(type && CatchUpAllowed(*type))) {
      return Fail(t.lines[5], "这个类型不能错过后补运行（提醒、电源、断开拨号、禁用网卡）");
    }
    content_.tasks.push_back({static_cast<int>(content_.tasks.size()) + 1, *schedule, t.values[1], t.values[2], enabled,
                              t.values[4] == "1", t.values[5] == "1"});
    return true;
  }

  bool OptionLine(int number, const std::string& key, const std::string& value) {
    const OptionDescriptor* o = FindOption(key);
    if (!o) return Fail(number, "[选项]中没有" + Quoted(key) + "这一项，应为" + OptionNames());
    std::optional<OptionValue>& v = content_.options.of[IndexOf(*o)];
    if (v) return Fail(number, "[选项]已有“" + key + "=”");
    switch (o->kind) {
      case OptionKind::Flag:
        if (value != "0" && value != "1") return Fail(number, key + "应为0或1");
        v.emplace().number = value == "1" ? 1 : 0;
        break;
      case OptionKind::Seconds:
      case OptionKind::Number:
        if (const std::optional<std::int32_t> n = DigitsValue(value); n && *n >= o->low && *n <= o->high) {
          v.emplace().number = *n;
        } else {
          return Fail(number, key + "应为" + o->meaning + "（" + Decimal(o->low) + "到" + Decimal(o->high) + "）");
        }
        break;
      case OptionKind::Text: v.emplace().text = value; break;
    }
    return true;
  }

  enum class Sect { None, Task, Options };
  GbkCodec& codec_;
  const std::string format_;
  Sect section_ = Sect::None;
  bool sawOptions_ = false;
  PendingTask task_;
  TaskFileContent content_;
  int errorLine_ = 0;
  std::string error_;
};

}  // namespace

TaskFileRead ReadTaskFile(const std::string& bytes, GbkCodec& codec, const std::string& shortDateFormat) {
  return FileReader(codec, shortDateFormat).Read(bytes);
}

TaskFileImport ImportTaskFile(const std::string& bytes, GbkCodec& codec, const std::string& shortDateFormat,
                              TaskStore& store, bool replace) {
  TaskFileImport result;
  TaskFileRead file = ReadTaskFile(bytes, codec, shortDateFormat);
  if (!file.content) {
    result.refusal = file.error;
    result.errorLine = file.errorLine;
    return result;
  }
  const OptionValues options = replace ? file.content->options : OptionValues();
  try {
    store.ImportTasks(file.content->tasks, replace, OptionWrites(options));
  } catch (const FrameworkError& e) {
    result.refusal = e.what();
    return result;
  }
  result.imported = static_cast<int>(file.content->tasks.size());
  result.firstNumber = store.Count() - result.imported + 1;
  result.optionsImported = !options.Empty();
  result.options = options;
  return result;
}

std::string ExportSummary(const TaskFileExport& file) { return "已导出" + Decimal(file.tasks) + "个任务和选项。"; }

std::string ImportSummary(const TaskFileImport& result, bool replace) {
  std::string text = replace ? "已用文件中的" + Decimal(result.imported) + "个任务替换全部任务"
                             : "已添加" + Decimal(result.imported) + "个任务";
  if (!replace && result.imported > 0) {
    text += "（第" + Decimal(result.firstNumber) + "到" + Decimal(result.firstNumber + result.imported - 1) + "个）";
  }
  if (result.optionsImported) text += "，并导入了选项";
  return text + "。";
}

std::string TaskFileFilter() {
  static const char kFilter[] = "Ordavi 任务文件(*.txt)\0*.txt\0所有文件(*.*)\0*.*\0";
  return std::string(kFilter, sizeof kFilter);
}

}  // namespace ordavi
