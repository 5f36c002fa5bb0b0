#include "app/run_history.h"

#include <algorithm>
#include <utility>

#include "store/errors.h"
#include "store/task_types.h"
#include "store/text.h"
#include "store/words.h"

namespace ordavi {

namespace {

constexpr const char* kBom = "\xEF\xBB\xBF";
constexpr const char* kLineEnd = "\r\n";

std::string OutcomeText(const RunRecord& r) {
  // The word of the outcome, and the detail after it (none when empty, or
  // in brackets).
  const char* word = "";
  const char* open = "（";
  const char* close = "）";
  switch (r.outcome) {
    case RunOutcome::Ran: word = "已运行"; open = "：", close = ""; break;
    case RunOutcome::CountdownStarted: word = "倒计时开始"; break;
    case RunOutcome::CountdownCancelled: word = "倒计时已取消"; break;
    case RunOutcome::CountdownCompleted: word = "倒计时结束，已执行"; break;
    case RunOutcome::Skipped: word = "已跳过"; break;
    case RunOutcome::NotRun: word = "未运行"; break;
    case RunOutcome::Missed: return "错过（未运行）";
    case RunOutcome::Postponed: word = "已推迟到"; open = " ", close = ""; break;
    case RunOutcome::PostponementDropped: word = "推迟的操作已取消"; break;
    case RunOutcome::ActionUnderway: word = "倒计时结束，正在执行"; break;
    case RunOutcome::KeepAwake: return r.detail;
  }
  if (r.detail.empty() && (r.outcome == RunOutcome::Ran || r.outcome == RunOutcome::CountdownStarted)) return word;
  return Concat({word, open, r.detail, close});
}

// True for a line that starts as an entry does: "yyyy-mm-dd hh:mm" and a tab.
bool LooksLikeEntry(const std::string& line) {
  static const char kPattern[] = "dddd-dd-dd dd:dd\t";
  if (line.size() < sizeof kPattern - 1) return false;
  for (std::size_t i = 0; i + 1 < sizeof kPattern; ++i) {
    const char c = line[i];
    if (kPattern[i] == 'd' ? (c < '0' || c > '9') : c != kPattern[i]) return false;
  }
  return true;
}

std::string WithoutBom(const std::string& text) {
  return text.compare(0, 3, kBom) == 0 ? text.substr(3) : text;
}

// A stored text shortened for one field of a line (the outcome, the agent's
// own words, whole): no control byte is left, also none that follows a lead
// byte (no GBK character holds one), so the line keeps its tabs and ends
// where it should.
std::string Field(const std::string& gbk, bool shorten = true) {
  std::string text = shorten ? QuoteForMessage(gbk) : gbk;
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20) c = '?';
  }
  return text;
}

}  // namespace

std::string HistoryLine(const RunRecord& r) {
  const std::string task = r.taskNumber ? Concat({"任务", Decimal(r.taskNumber)}) : "-";
  return Concat({MinuteText(r.due), "\t", task, "\t", Field(r.type), "\t", Field(r.schedule), "\t", Field(r.param), "\t",
                 Field(Concat({r.caughtUp ? "错过后补运行，" : "", OutcomeText(r)}), false)});
}

std::string MissedRemindersNotice(const std::vector<RunRecord>& reminders) {
  std::string text = kMissedRemindersTitle;
  text += "：";
  for (std::size_t i = 0; i < reminders.size() && i < kMissedNoticeItems; ++i) {
    const LocalMinute& t = reminders[i].due;
    text += Concat({i ? "；" : "", Decimal(t.month), "月", Decimal(t.day), "日 ", ClockTime(t), " ",
                    QuoteForMessage(reminders[i].param)});
  }
  if (reminders.size() > kMissedNoticeItems) {
    text += Concat({"……共", Decimal(static_cast<long long>(reminders.size())), "条，见运行记录"});
  }
  return text;
}

void RunHistory::ReportProblem() {
  if (reported_) return;
  reported_ = true;
  notices_.ShowNotice(kHistoryProblemNotice);
}

void RunHistory::Add(const RunRecord& record) {
  // Bytes that are not GBK (a damaged stored value) become U+FFFD, so every
  // line written is UTF-8.
  const std::string line = Utf8FromUtf16(codec_.Utf16FromGbk(HistoryLine(record))) + kLineEnd;
  const std::optional<std::uint64_t> size = file_.Size();
  if (!size) return ReportProblem();
  // A file cut in the middle of a line (a crash, a full disk) gets the rest
  // of that line ended first, so the new entry starts a line of its own.
  const std::string prefix = *size == 0 ? kBom : (endsWithLineEnd_ ? "" : kLineEnd);
  if (!file_.Append(prefix + line)) return ReportProblem();
  endsWithLineEnd_ = true;
  if (*size + line.size() > limit_) Trim();
}

// The oldest whole lines go until the file is an eighth below the limit, so
// the file is rewritten once per many entries, not on every one.
void RunHistory::Trim() {
  const std::optional<std::string> all = file_.ReadAll();
  if (!all) return ReportProblem();
  const std::string body = WithoutBom(*all);
  const std::uint64_t target = limit_ - limit_ / 8;
  std::size_t from = 0;
  while (body.size() - from + 3 > target) {
    const std::size_t end = body.find('\n', from);
    if (end == std::string::npos) {
      from = body.size();
      break;
    }
    from = end + 1;
  }
  if (!file_.Replace(kBom + body.substr(from))) ReportProblem();
  endsWithLineEnd_ = true;
}

std::vector<std::string> RunHistory::EntriesNewestFirst() {
  std::vector<std::string> out;
  const std::optional<std::string> all = file_.ReadAll();
  if (!all) {
    ReportProblem();
    return out;
  }
  const std::string body = WithoutBom(*all);
  endsWithLineEnd_ = body.empty() || body.back() == '\n';
  bool damaged = false;
  std::size_t from = 0;
  while (from < body.size()) {
    std::size_t end = body.find('\n', from);
    if (end == std::string::npos) end = body.size();
    std::string line = body.substr(from, end - from);
    from = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (!Utf16FromUtf8(line) || !LooksLikeEntry(line)) {
      damaged = true;
      continue;
    }
    out.push_back(std::move(line));
  }
  if (damaged) ReportProblem();
  std::reverse(out.begin(), out.end());
  return out;
}

bool RunHistory::Clear() {
  if (file_.Clear()) return true;
  ReportProblem();
  return false;
}

void RunWatch::Start() {
  history_.Check();
  std::optional<SettledMinute> remembered;
  const std::optional<std::string> text = p_.lastPass.ReadAll();
  if (!text) {
    history_.ReportProblem();
  } else if (!text->empty()) {
    remembered = ParseSettledMinute(*text);
    if (!remembered) history_.ReportProblem();  // treated as a first start
    kept_ = *text;
  }
  countdown_.reset();
  postponed_.reset();
  // What the last life found to catch up and did not run is still to run.
  if (remembered) {
    for (const auto& [n, due] : remembered->catchUps) {
      RunRecord r;
      r.taskNumber = n;
      r.due = due;
      AddCatchUp(r);
    }
  }
  RecordUnseen(p_.minutes.Start(remembered));
  Keep();
}

void RunWatch::OnResume() {
  RecordUnseen(p_.minutes.Resumed());
  Keep();
}

void RunWatch::AgentEnding() {
  RecordUnseen(p_.minutes.Ending(), true);
  Keep();
}

void RunWatch::OnTimeChanged() {
  p_.minutes.TimeChanged();
  Keep();
}

void RunWatch::PassStarting(const std::vector<UnseenSpan>& unseen) {
  RecordUnseen(unseen);
  Keep();
}

void RunWatch::TaskDue(const RunRecord& record) {
  Keep();  // the task has had its turn in this minute, also for the next agent life
  history_.Add(record);
  if (record.outcome == RunOutcome::CountdownStarted) countdown_ = record;
}

void RunWatch::CountdownEnded(CountdownEnd how, const ActionOutcome& action) {
  if (!countdown_) return;  // a cancel command without a countdown of a task
  RunRecord r = *countdown_;
  if (!action.underway) countdown_.reset();  // else its return is reported too
  switch (how) {
    case CountdownEnd::Completed: r.outcome = RunOutcome::CountdownCompleted, r.detail = "时间到"; break;
    case CountdownEnd::DoneNow: r.outcome = RunOutcome::CountdownCompleted, r.detail = "立即执行"; break;
    case CountdownEnd::CancelButton: r.outcome = RunOutcome::CountdownCancelled, r.detail = "取消按钮或Esc"; break;
    case CountdownEnd::CloseBox: r.outcome = RunOutcome::CountdownCancelled, r.detail = "关闭框"; break;
    case CountdownEnd::CommandLine: r.outcome = RunOutcome::CountdownCancelled, r.detail = "命令行/cancel"; break;
    case CountdownEnd::Replaced: r.outcome = RunOutcome::CountdownCancelled, r.detail = "另一任务的倒计时接替"; break;
    case CountdownEnd::AgentEnded: r.outcome = RunOutcome::CountdownCancelled, r.detail = "程序退出"; break;
    case CountdownEnd::SessionEnded: r.outcome = RunOutcome::CountdownCancelled, r.detail = "会话结束"; break;
  }
  if (action.note || action.error) {
    r.detail += "；";
    r.detail += ActionNote(action);
  }
  if (action.failed) r.outcome = RunOutcome::NotRun;
  if (action.underway) r.outcome = RunOutcome::ActionUnderway;
  history_.Add(r);
}

void RunWatch::CountdownPostponed(const std::string& until) {
  if (!countdown_) return;
  heldBySleep_ = false;
  postponed_ = *countdown_;
  RunRecord r = *countdown_;
  countdown_.reset();
  r.outcome = RunOutcome::Postponed;
  r.detail = until;
  history_.Add(r);
}

void RunWatch::CountdownInterruptedBySleep() {
  if (!countdown_) return;
  postponed_ = countdown_;
  countdown_.reset();
  heldBySleep_ = true;
}

void RunWatch::PostponedCountdownStarted() {
  if (!postponed_) return;
  RunRecord r = *postponed_;
  postponed_.reset();
  r.outcome = RunOutcome::CountdownStarted;
  r.detail = heldBySleep_ ? "睡眠之后" : "推迟之后";
  heldBySleep_ = false;
  countdown_ = r;
  history_.Add(r);
}

void RunWatch::PostponementDropped(PostponeDrop why) {
  if (!postponed_) return;
  RunRecord r = *postponed_;
  postponed_.reset();
  r.outcome = RunOutcome::PostponementDropped;
  switch (why) {
    case PostponeDrop::TrayMenu: r.detail = "托盘菜单"; break;
    case PostponeDrop::CommandLine: r.detail = "命令行/cancel"; break;
    case PostponeDrop::AgentEnded: r.detail = "程序退出"; break;
    case PostponeDrop::Replaced: r.detail = "另一倒计时推迟"; break;
    case PostponeDrop::SessionEnded: r.detail = "会话结束"; break;
    case PostponeDrop::ExpiredInSleep: r.detail = "睡眠中到期"; break;
    case PostponeDrop::PcCannot: r.detail = "本机不支持"; break;
  }
  if (heldBySleep_) {
    // Never postponed by the user: it is the countdown the PC slept through that ended.
    heldBySleep_ = false;
    r.outcome = RunOutcome::CountdownCancelled;
    if (why == PostponeDrop::ExpiredInSleep) r.detail = "睡眠中断，醒来时无人在场";
  }
  history_.Add(r);
}

void RunWatch::RecordUnseen(const std::vector<UnseenSpan>& unseen, bool quiet) {
  if (unseen.empty()) return;
  std::vector<RunRecord> found;
  const std::string format = p_.dates.ShortDateFormat();
  const std::int32_t count = p_.tasks.FollowCounter();
  for (int n = 1; n <= count; ++n) {
    TaskRecord task;
    try {
      task = p_.tasks.ReadTask(n);
    } catch (const FrameworkError&) {
      continue;  // the tick reports unreadable values
    }
    if (task.enabled != words::kEnabled) continue;
    const TaskType* type = FindTaskType(task.type);
    const bool catchUp = task.catchUp && type && CatchUpAllowed(*type);
    for (const UnseenSpan& span : unseen) {
      for (const LocalMinute& due : DueMinutesIn(task.schedule, span.range, format)) {
        RunRecord r;
        r.due = due;
        r.taskNumber = n;
        r.type = task.type;
        r.schedule = task.schedule;
        r.param = task.param;
        r.outcome = span.outcome;
        r.detail = span.detail;
        if (catchUp && r.outcome == RunOutcome::Missed) AddCatchUp(r);
        found.push_back(std::move(r));
      }
    }
  }
  // In the order they were due, as the tick would have met them.
  std::stable_sort(found.begin(), found.end(),
                   [](const RunRecord& a, const RunRecord& b) { return MinutesBetween(b.due, a.due) < 0; });
  std::vector<RunRecord> reminders;
  for (const RunRecord& r : found) {
    history_.Add(r);
    if (r.outcome == RunOutcome::Missed && r.type == words::kRemind) reminders.push_back(r);
  }
  if (!reminders.empty() && !quiet) p_.notices.ShowNotice(MissedRemindersNotice(reminders));
}

void RunWatch::AddCatchUp(const RunRecord& missed) {
  catchUpsFoundMs_ = p_.sleep.AwakeMs();
  for (RunRecord& r : catchUps_) {
    if (r.taskNumber == missed.taskNumber) return void(r = missed);  // the spans come oldest first
  }
  catchUps_.push_back(missed);
}

std::vector<RunRecord> RunWatch::CatchUpsDue() {
  if (catchUps_.empty() || p_.sleep.Unattended() || p_.sleep.AwakeMs() - catchUpsFoundMs_ < kCatchUpDelayMs) return {};
  std::vector<RunRecord> due = std::exchange(catchUps_, {});
  Keep();  // forgotten before they run: an end of the agent now never runs one twice
  return due;
}

void RunWatch::Keep() {
  SettledMinute settled = p_.minutes.Settled();
  for (const RunRecord& r : catchUps_) settled.catchUps[r.taskNumber] = r.due;
  const std::string text = SettledMinuteText(settled);
  if (text == kept_) return;
  kept_ = text;  // a file that cannot be written is tried again at the next change
  if (!p_.lastPass.Replace(text)) history_.ReportProblem();
}

}  // namespace ordavi
