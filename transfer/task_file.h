// The task file: every task and the options as UTF-8 text that Notepad shows
// and edits, for moving tasks between PCs and for backups.
//
//   Ordavi 任务文件 版本 1          the version line, always the first
//   ; ...                           comment lines (; or #) and blank lines
//   [任务]                          one section per task, numbered in file order
//   时间=每天22时30分               the schedule; a once-date is yyyy-mm-dd
//   类型=关闭计算机                 one of the sixteen type words (or empty)
//   参数=                           verbatim up to the end of the line
//   状态=启用                       启用 or 禁用 (absent: 启用)
//   唤醒=1                          the task wakes the PC (0 or absent: not)
//   错过后补运行=1                  a missed run is made up once (0 or absent:
//                                   not); refused for a type that may not run late
//   原样时间=每周07日22时0分        instead of 时间: a text the tick never runs,
//                                   stored as it is, unchecked
//   [选项]                          at most one: one line per option of
//   tishi=60                        kOptions; an absent one is not changed
//
// Written with a BOM and CRLF; read with or without the BOM, with CRLF or LF.
// Reading is strict: the first line it cannot read is reported with its
// number, and then nothing is imported. A 时间 is taken only when it is
// exactly a kind word, fields and units and the tick can find it due; it is
// stored with plain numbers and the once-date in the short date format of the
// PC it is imported on, so it runs at the same minutes. Export writes every
// schedule the tick can find due that way, and any other (one the grammar
// cannot read, one never due) as 原样时间 with a comment saying why.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "store/options.h"
#include "store/tasks.h"
#include "store/unicode.h"

namespace ordavi {

inline constexpr int kTaskFileVersion = 1;
// How a once-date is written in the file, whatever the PC's format.
inline constexpr const char* kFileDateFormat = "yyyy-MM-dd";

// A schedule text read with its once-date in `fromFormat`, written with plain
// numbers and the date in `toFormat`. Nothing, and `problem` says why (GBK, no
// full stop), when it is not exactly its kind word, fields and units, when the
// tick could never find it due, or when `toFormat` cannot hold its date.
std::optional<std::string> ConvertSchedule(const std::string& text, const std::string& fromFormat,
                                           const std::string& toFormat, std::string& problem);

// The file of the store's tasks (1..counter, slots without a schedule left
// out) and options. A task the file cannot carry (a type word that names no
// type, a line break in a text) refuses the whole export, naming the task; a
// schedule is always carried, as 原样时间 when the tick never finds it due.
struct TaskFileExport {
  std::string bytes;    // UTF-8 with BOM, CRLF
  std::string refusal;  // GBK; empty when written
  int tasks = 0;        // tasks in the file
};
TaskFileExport WriteTaskFile(TaskStore& store, Registry& reg, GbkCodec& codec, const std::string& shortDateFormat);

struct TaskFileContent {
  std::vector<TaskRecord> tasks;  // schedule texts in the reading PC's format
  OptionValues options;
};
struct TaskFileRead {
  std::optional<TaskFileContent> content;
  int errorLine = 0;      // 1-based; set with `error`
  std::string error;      // GBK: "第3行：..."; empty when read
};
TaskFileRead ReadTaskFile(const std::string& bytes, GbkCodec& codec, const std::string& shortDateFormat);

// Reads the file and stores it: `replace` makes its tasks the whole list and
// takes its options; otherwise its tasks follow the existing ones and the
// options are left alone (they belong to the PC the tasks are added to).
// Nothing is stored when the file has an error or a write is refused.
struct TaskFileImport {
  std::string refusal;     // GBK; empty when imported
  int errorLine = 0;       // the file's line, when the file was refused
  int imported = 0;        // tasks stored
  int firstNumber = 0;     // the number of the first of them
  bool optionsImported = false;
  OptionValues options;    // what was stored, for the in-memory copies
};
TaskFileImport ImportTaskFile(const std::string& bytes, GbkCodec& codec, const std::string& shortDateFormat,
                              TaskStore& store, bool replace);

// What the user is told (GBK), in the settings dialog and on the command line.
std::string ExportSummary(const TaskFileExport& file);  // "已导出3个任务和选项。"
std::string ImportSummary(const TaskFileImport& result, bool replace);
// The file dialogs' filter (GBK, pairs separated by NULs) and the proposed name.
std::string TaskFileFilter();
inline constexpr const char* kTaskFileName = "ordavi.txt";

}  // namespace ordavi
