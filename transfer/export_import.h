// Export and import of the task file as the settings dialog and the command
// line both run them: the file is read or written through the FileAccess
// port, and every outcome is the one message the user is shown.
#pragma once

#include <optional>
#include <string>

#include "transfer/task_file.h"
#include "store/options.h"
#include "store/registry.h"
#include "store/tasks.h"
#include "store/unicode.h"
#include "ui/user_message.h"

namespace ordavi {

// Port: whole files, by a UTF-8 name. `error` is the system's reason (GBK).
class FileAccess {
 public:
  virtual ~FileAccess() = default;
  virtual std::optional<std::string> ReadAll(const std::string& path, std::string& error) = 0;
  virtual bool WriteAll(const std::string& path, const std::string& bytes, std::string& error) = 0;
};

// What export and import work on.
struct TaskFileStore {
  TaskStore& tasks;
  Registry& registry;
  GbkCodec& codec;
  std::string shortDateFormat;
};

struct TaskFileOutcome {
  bool done = false;     // the file was written, or its tasks stored
  UserMessage message;   // what the user is told (GBK)
  OptionValues options;  // an import's options as stored, for the in-memory copies
};

// Writes every task stored now (TaskNum is read again first, so tasks
// another program added are in the file) and the options.
TaskFileOutcome ExportTaskFile(TaskFileStore& store, FileAccess& files, const std::string& path);

// A file read for import and understood, before anything is stored.
struct TaskFileToImport {
  std::string bytes;
  TaskFileContent content;
};
// Reads and checks the file; nothing, and `refusal` says why, when it cannot
// be imported. A file with more than kStartsShown tasks that would start
// something is refused whole: each of them must be listed before the import
// (a message box cannot scroll), and a backup can be split into files.
std::optional<TaskFileToImport> ReadFileToImport(TaskFileStore& store, FileAccess& files, const std::string& path,
                                                 UserMessage& refusal);
// Stores the file that was read: `replace` makes its tasks the whole list
// and takes its options; otherwise its tasks follow the existing ones.
TaskFileOutcome ImportReadFile(TaskFileStore& store, const TaskFileToImport& file, bool replace);

// What the file's tasks would make the agent start or remove: each task that
// opens a file or closes a program, with its parameter, and each junk
// cleaning, one line each (GBK, CRLF), every one of them (an import holds
// at most kStartsShown); empty when there is none. Shown before an import is chosen and after one is done,
// so that a program another hand slipped into a backup is seen.
// A parameter is shown whole up to kShownParamChars characters (a full path
// fits), a longer one by its start and its end.
std::string WhatTheTasksStart(const TaskFileContent& content);
inline constexpr int kStartsShown = 20;
inline constexpr std::size_t kShownParamChars = 260;

// The settings dialog's question before an import: 是 replaces every task
// (and the options the file holds), 否 adds the tasks after the existing
// ones, 取消 imports nothing.
std::string ImportQuestion(const TaskFileContent& content);

}  // namespace ordavi
