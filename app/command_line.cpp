#include "app/command_line.h"

#include "dialogs/next_run_cell.h"
#include "schedule/grammar.h"
#include "store/errors.h"
#include "store/task_types.h"
#include "store/text.h"
#include "store/words.h"

namespace ordavi {

namespace {

struct Switch {
  const char* name;
  std::optional<CommandKind> command;  // nothing: /replace
  bool takesFile;
};
const Switch kSwitches[] = {
    {"export", CommandKind::Export, true}, {"import", CommandKind::Import, true},
    {"list", CommandKind::List, false},     {"cancel", CommandKind::Cancel, false},
    {"quit", CommandKind::Quit, false},     {"awake", CommandKind::Awake, true},
    {"?", CommandKind::Usage, false},
    {"h", CommandKind::Usage, false},       {"help", CommandKind::Usage, false},
    {"replace", std::nullopt, false},
};

// The switch an argument names, if it is one.
const Switch* SwitchOf(const std::string& arg) {
  std::string name;
  if (arg.compare(0, 2, "--") == 0) {
    name = arg.substr(2);
  } else if (!arg.empty() && (arg[0] == '/' || arg[0] == '-')) {
    name = arg.substr(1);
  } else {
    return nullptr;
  }
  for (char& c : name) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 0x20 : c);
  for (const Switch& s : kSwitches) {
    if (name == s.name) return &s;
  }
  return nullptr;
}

bool LooksLikeSwitch(const std::string& arg) { return !arg.empty() && (arg[0] == '/' || arg[0] == '-'); }

ParsedCommandLine Refused(const std::string& why, const std::string& arg) {
  ParsedCommandLine p;
  p.command.kind = CommandKind::Usage;
  p.error = why;
  p.argument = arg;
  return p;
}

std::string Utf8(GbkCodec& codec, const std::string& gbk) { return Utf8FromGbk(codec, gbk).value_or(std::string()); }

// A core message (GBK) as console output.
CommandOutcome Outcome(int code, GbkCodec& codec, const std::string& gbk) { return {code, Utf8(codec, gbk) + "\r\n"}; }

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
  ParsedCommandLine p;
  bool haveCommand = false;
  bool replace = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const Switch* s = SwitchOf(arg);
    if (!s) {
      if (LooksLikeSwitch(arg)) return Refused("不认识的参数：", arg);
      return Refused("多余的参数：", arg);
    }
    if (!s->command) {
      replace = true;
      continue;
    }
    if (haveCommand) return Refused("只能给一个命令，多出：", arg);
    haveCommand = true;
    p.command.kind = *s->command;
    if (s->takesFile) {
      if (i + 1 >= args.size() || SwitchOf(args[i + 1])) return Refused("缺少文件名，应跟在后面：", arg);
      p.command.file = args[++i];
    }
    if (p.command.kind == CommandKind::Awake) {
      // Minutes, as many as a 保持唤醒 task takes, or "off" (0).
      const std::optional<std::int32_t> minutes = DigitsValue(p.command.file);
      const bool off = p.command.file == "off" || p.command.file == "OFF";
      if (!off && (!minutes || *minutes < 1 || *minutes > kMaxAwakeMinutes)) {
        return Refused("/awake 后应为分钟数（1到10080）或 off：", p.command.file);
      }
      p.command.awakeMinutes = off ? 0 : *minutes;
      p.command.file.clear();
    }
  }
  if (replace && p.command.kind != CommandKind::Import) return Refused("/replace 只能与 /import 一起用", "");
  p.command.replace = replace;
  return p;
}

std::string UsageText() {
  return "用法：Ordavi.exe [命令]\r\n"
         "  （不带命令）                启动 Ordavi，在通知区域显示图标\r\n"
         "  /export 文件名              把全部任务和选项导出到文件（UTF-8 文本，可用记事本查看和修改）\r\n"
         "  /import 文件名              从文件导入任务，添加到现有任务之后\r\n"
         "  /import 文件名 /replace     用文件中的任务替换全部任务，并导入文件中的选项\r\n"
         "  /list                       列出全部任务及下次运行的时间\r\n"
         "  /cancel                     取消正在进行的关机倒计时\r\n"
         "  /quit                       退出正在运行的 Ordavi\r\n"
         "  /awake 分钟数               让正在运行的 Ordavi 保持唤醒这么多分钟（1到10080）\r\n"
         "  /awake off                  结束保持唤醒（/cancel 只取消关机倒计时）\r\n"
         "  /?                          显示本说明\r\n"
         "命令不分大小写，也可以用 - 开头（如 -export）。文件中有一行读不懂时什么也不导入，并指出是第几行。\r\n"
         "退出代码：0 完成，1 未执行（会说明原因），2 参数有误。\r\n";
}

CommandOutcome UsageOutcome(const ParsedCommandLine& parsed, GbkCodec& codec) {
  if (parsed.error.empty()) return {kExitDone, Utf8(codec, UsageText())};
  std::string why = Utf8(codec, parsed.error);
  if (!parsed.argument.empty()) why += Utf8(codec, "“") + parsed.argument + Utf8(codec, "”");
  return {kExitBadArguments, why + "\r\n" + Utf8(codec, UsageText())};
}

namespace {

CommandOutcome Told(const TaskFileOutcome& out, GbkCodec& codec) {
  return Outcome(out.done ? kExitDone : kExitRefused, codec, out.message.text);
}

}  // namespace

CommandOutcome RunExport(const Command& command, CommandStore& store, FileAccess& files) {
  return Told(ExportTaskFile(store, files, command.file), store.codec);
}

CommandOutcome RunImport(const Command& command, CommandStore& store, FileAccess& files) {
  UserMessage refusal;
  const std::optional<TaskFileToImport> file = ReadFileToImport(store, files, command.file, refusal);
  if (!file) return Outcome(kExitRefused, store.codec, refusal.text);
  return Told(ImportReadFile(store, *file, command.replace), store.codec);
}

CommandOutcome RunList(CommandStore& store, const ScheduleNow& now, std::uint32_t uptimeMinutes,
                       const std::string& keepingAwake) {
  std::string text;
  int listed = 0;
  try {
    for (int n = 1; n <= store.tasks.Count(); ++n) {
      const TaskRecord t = store.tasks.ReadTask(n);
      if (t.schedule.empty()) continue;
      ++listed;
      const bool enabled = t.enabled == words::kEnabled;
      const TaskType* type = FindTaskType(t.type);
      const bool catchUp = t.catchUp && type && CatchUpAllowed(*type);
      text += Concat({Decimal(n), "  ", t.enabled.empty() ? "-" : t.enabled, "  ", t.schedule, "  ",
                      t.type.empty() ? "-" : t.type, t.param.empty() ? "" : "  ",
                      t.param.empty() ? std::string() : QuoteForMessage(t.param), enabled ? "  下次运行：" : "  （未启用）",
                      enabled ? NextRunCell(t, now, uptimeMinutes, store.shortDateFormat) : std::string(),
                      catchUp ? "  错过后补运行" : "", "\r\n"});
    }
  } catch (const FrameworkError& e) {
    return Outcome(kExitRefused, store.codec, text + "无法读取任务：" + e.what());
  }
  if (listed == 0) text = "没有任务。\r\n";
  if (!keepingAwake.empty()) text += Concat({"当前：", QuoteHeadAndTail(keepingAwake, 80), "\r\n"});
  return {kExitDone, Utf8(store.codec, text)};
}

CommandOutcome AgentRequestOutcome(CommandKind kind, AgentReply reply, GbkCodec& codec, bool awakeOff) {
  const bool cancel = kind == CommandKind::Cancel;
  if (kind == CommandKind::Awake && reply != AgentReply::NoAgent) {
    if (reply == AgentReply::NoAnswer) return Outcome(kExitDone, codec, "已请求，Ordavi 尚未确认（它可能正显示一个对话框）。");
    static const char* const kTexts[2][2] = {{"已开始保持唤醒。", "电池电量低于设置的百分比，未保持唤醒。"},
                                             {"已结束保持唤醒。", "没有正在进行的保持唤醒。"}};
    const bool refused = reply == AgentReply::NoCountdown;
    return Outcome(refused ? kExitRefused : kExitDone, codec, kTexts[awakeOff][refused]);
  }
  switch (reply) {
    case AgentReply::NoAgent:
      return Outcome(kExitRefused, codec, cancel ? "Ordavi 没有运行，没有可取消的关机倒计时。" : "Ordavi 没有运行。");
    case AgentReply::NoCountdown:
      return Outcome(kExitRefused, codec, "没有正在进行的关机倒计时。");
    case AgentReply::Done:
      return Outcome(kExitDone, codec,
                     cancel ? "已取消关机倒计时。监控已停用，可在托盘菜单中选“启用监控”重新启用。" : "Ordavi 已退出。");
    case AgentReply::NoAnswer:
      break;
  }
  return Outcome(kExitDone, codec,
                 cancel ? "已请求取消关机倒计时，Ordavi 尚未确认（它可能正显示一个对话框）。"
                        : "已请求 Ordavi 退出，它尚未结束（它可能正显示一个对话框）。");
}

}  // namespace ordavi
