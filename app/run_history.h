// The run history: one line per due task in a UTF-8 text file (readable in
// Notepad: a byte-order mark at the start, CRLF line ends), at most about
// kHistoryLimitBytes (the oldest whole lines are dropped); and RunWatch, which
// fills it from the tick, the countdown, the agent's start and the PC's
// resume, with the tasks due in the minutes no pass saw (which minutes, and
// what each was, SeenMinutes decides: schedule/seen_minutes.h), and keeps
// SeenMinutes' record across agent lives in the last-pass file.
//
// A line: the due minute, the task's number, its type word, its schedule and
// parameter (shortened), and what happened, separated by tabs:
//   2024-03-05 08:30<TAB>任务3<TAB>提醒<TAB>每天8时30分<TAB>喝水<TAB>已运行：已显示提醒
//
// A history file that cannot be written or read, or holds lines that are not
// entries (not UTF-8, garbage), never stops the agent: the user is told once
// per agent life, and such lines are left out of what is shown.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "actions/notices.h"
#include "actions/power.h"
#include "app/data_file.h"
#include "schedule/missed_runs.h"
#include "schedule/run_record.h"
#include "schedule/seen_minutes.h"
#include "schedule/sleep_watch.h"
#include "store/tasks.h"
#include "store/unicode.h"

namespace ordavi {

inline constexpr std::uint64_t kHistoryLimitBytes = 1024 * 1024;
inline constexpr const char* kHistoryFileName = "run-history.txt";
inline constexpr const char* kLastPassFileName = "last-pass.txt";
inline constexpr const char* kDataFolderName = "Ordavi";
inline constexpr const char* kHistoryProblemNotice = "运行记录文件无法读写或已损坏，运行记录可能不完整。Ordavi照常运行。";
inline constexpr const char* kMissedRemindersTitle = "错过的提醒";
inline constexpr std::size_t kMissedNoticeItems = 3;
// How long (awake, with a person there) a missed task flagged to catch up
// waits after the agent's start or the resume that found it: the desktop
// and the network are ready by then.
inline constexpr std::uint64_t kCatchUpDelayMs = 30000;

// The entry's line, GBK, without its line end.
std::string HistoryLine(const RunRecord& record);
// The notice for missed reminders, one line as the notice window shows it:
// the title, then each reminder's due day and minute and its text (the first
// kMissedNoticeItems, then how many there are; the history lists them all).
std::string MissedRemindersNotice(const std::vector<RunRecord>& reminders);

class RunHistory {
 public:
  RunHistory(DataFile& file, GbkCodec& codec, NoticeSink& notices, std::uint64_t limitBytes = kHistoryLimitBytes)
      : file_(file), codec_(codec), notices_(notices), limit_(limitBytes) {}

  // Appends the entry's line; trims the file when it has grown past the limit.
  void Add(const RunRecord& record);
  // The entries for display, newest first, as UTF-8 lines without line ends.
  std::vector<std::string> EntriesNewestFirst();
  // Empties the history.
  bool Clear();
  // Reads the file once and reports a damaged one (at start).
  void Check() { EntriesNewestFirst(); }
  // Tells the user, once per agent life, that the file cannot be used.
  void ReportProblem();

 private:
  void Trim();

  DataFile& file_;
  GbkCodec& codec_;
  NoticeSink& notices_;
  std::uint64_t limit_;
  bool reported_ = false;
  bool endsWithLineEnd_ = true;  // as the file was last read or written
};

struct RunWatchPorts {
  TaskStore& tasks;
  DateFormatSource& dates;
  SeenMinutes& minutes;
  NoticeSink& notices;
  DataFile& lastPass;  // SeenMinutes' record (SettledMinuteText), kept across agent lives
  SleepWatch& sleep;   // when a missed task catches up
};

class RunWatch : public RunRecorder {
 public:
  RunWatch(const RunWatchPorts& ports, RunHistory& history) : p_(ports), history_(history) {}

  // The agent has started: tasks due since the remembered last minute (at
  // most kMissedDaysBack days) are recorded as missed, reminders shown in one
  // notice. The first start ever remembers nothing and reports nothing.
  void Start();
  // The PC has resumed from standby or hibernation (both resume messages may
  // come; the second finds nothing new).
  void OnResume();
  // WM_TIMECHANGE: a clock the user set is taken as the new last pass, so the
  // minutes jumped over are not missed.
  void OnTimeChanged();
  // The agent ends: the minutes held up to now are recorded (no notice), and
  // the last-pass file keeps monitoring off for the next start.
  void AgentEnding();

  // The missed tasks flagged to catch up (TaskRecord::catchUp, of a type
  // CatchUpAllowed) that are to run now, each once with its last missed
  // minute, however many it missed: none until kCatchUpDelayMs after they
  // were found, nor while the PC woke unattended (SleepWatch::Unattended).
  // Until then the last-pass file keeps them for the next agent life; once
  // returned, they are forgotten there too.
  std::vector<RunRecord> CatchUpsDue();

  // RunRecorder
  void PassStarting(const std::vector<UnseenSpan>& unseen) override;
  void TaskDue(const RunRecord& record) override;
  void CountdownEnded(CountdownEnd how, const ActionOutcome& action = {}) override;
  void CountdownPostponed(const std::string& until) override;
  void PostponedCountdownStarted() override;
  void PostponementDropped(PostponeDrop why) override;
  void CountdownInterruptedBySleep() override;
  void KeepAwakeLine(const RunRecord& line) override { history_.Add(line); }

 private:
  // Records each enabled clock task due in the spans, in the order they were
  // due; the missed reminders are also shown in one notice, unless `quiet`.
  void RecordUnseen(const std::vector<UnseenSpan>& unseen, bool quiet = false);
  // Writes SeenMinutes' record when it has changed.
  void Keep();
  // Keeps a missed task to catch up: its latest missed minute only.
  void AddCatchUp(const RunRecord& missed);

  RunWatchPorts p_;
  RunHistory& history_;
  std::string kept_;                    // the last-pass file as last read or written
  std::optional<RunRecord> countdown_;  // the task whose countdown runs
  std::optional<RunRecord> postponed_;  // the task whose postponed action is held
  bool heldBySleep_ = false;             // ... because the PC slept during its countdown
  std::vector<RunRecord> catchUps_;     // one per task, its last missed minute
  std::uint64_t catchUpsFoundMs_ = 0;   // on the awake clock
};

}  // namespace ordavi
