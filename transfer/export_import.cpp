#include "transfer/export_import.h"

#include "store/task_types.h"
#include "store/text.h"
#include "store/words.h"

namespace ordavi {

namespace {

// An outcome told as a notice (or as an error); `done` when the file was
// written or its tasks stored.
TaskFileOutcome Told(const std::string& text, MessageIcon icon = MessageIcon::Information, bool done = false) {
  TaskFileOutcome out;
  out.done = done;
  out.message = {text, icon == MessageIcon::Error ? kErrorCaption : kInfoCaption, icon};
  return out;
}

TaskFileOutcome Refused(const std::string& text, MessageIcon icon = MessageIcon::Information) {
  return Told(text, icon);
}

bool StartsSomething(const TaskRecord& t) {
  const TaskType* type = FindTaskType(t.type);
  return type && type->startsSomething;
}

}  // namespace

TaskFileOutcome ExportTaskFile(TaskFileStore& store, FileAccess& files, const std::string& path) {
  store.tasks.FollowCounter();
  const TaskFileExport file = WriteTaskFile(store.tasks, store.registry, store.codec, store.shortDateFormat);
  if (!file.refusal.empty()) return Refused("未导出：" + file.refusal);
  std::string error;
  if (!files.WriteAll(path, file.bytes, error)) return Refused("未导出，无法写入文件：" + error, MessageIcon::Error);
  return Told(ExportSummary(file), MessageIcon::Information, true);
}

std::optional<TaskFileToImport> ReadFileToImport(TaskFileStore& store, FileAccess& files, const std::string& path,
                                                 UserMessage& refusal) {
  std::string error;
  std::optional<std::string> bytes = files.ReadAll(path, error);
  if (!bytes) {
    refusal = Refused("未导入，无法读取文件：" + error, MessageIcon::Error).message;
    return std::nullopt;
  }
  TaskFileRead read = ReadTaskFile(*bytes, store.codec, store.shortDateFormat);
  if (!read.content) {
    refusal = Refused("未导入任何内容：" + read.error).message;
    return std::nullopt;
  }
  int starting = 0;
  for (const TaskRecord& t : read.content->tasks) starting += StartsSomething(t);
  if (starting > kStartsShown) {
    static_assert(kStartsShown == 20, "the refusal names the limit");
    refusal = Refused("未导入任何内容：文件中有" + Decimal(starting) +
                      "个会打开文件、关闭程序或清理垃圾的任务，一次最多导入20个（导入前要逐个列出）；请把文件分成几个再导入")
                  .message;
    return std::nullopt;
  }
  return TaskFileToImport{std::move(*bytes), std::move(*read.content)};
}

TaskFileOutcome ImportReadFile(TaskFileStore& store, const TaskFileToImport& file, bool replace) {
  const TaskFileImport result = ImportTaskFile(file.bytes, store.codec, store.shortDateFormat, store.tasks, replace);
  if (!result.refusal.empty()) return Refused("未导入任何内容：" + result.refusal);
  const std::string starts = WhatTheTasksStart(file.content);
  std::string text = ImportSummary(result, replace);
  if (!starts.empty()) text += "\r\n" + starts.substr(0, starts.size() - 2);  // without its last line end
  TaskFileOutcome out = Told(text, MessageIcon::Information, true);
  out.options = result.options;
  return out;
}

std::string WhatTheTasksStart(const TaskFileContent& content) {
  std::string lines;
  for (const TaskRecord& t : content.tasks) {
    if (!StartsSomething(t)) continue;
    lines += "  " + t.schedule + "  " + t.type;
    if (!t.param.empty()) lines += "  “" + QuoteHeadAndTail(t.param, kShownParamChars) + "”";
    if (t.enabled != words::kEnabled) lines += "（未启用）";
    lines += "\r\n";
  }
  if (lines.empty()) return lines;
  return "其中会打开文件、关闭程序或清理垃圾的任务：\r\n" + lines;
}

std::string ImportQuestion(const TaskFileContent& content) {
  const std::string tasks = Decimal(static_cast<int>(content.tasks.size())) + "个任务";
  const char* options = content.options.Empty() ? "" : "和选项";
  std::string starts = WhatTheTasksStart(content);
  if (!starts.empty()) starts += "\r\n";
  return "文件中有" + tasks + "。\r\n\r\n" + starts + "是：用文件中的" + tasks + options + "替换现有的全部任务" + options +
         "\r\n否：把" + tasks + "添加到现有任务之后（选项不变）\r\n取消：不导入";
}

}  // namespace ordavi
