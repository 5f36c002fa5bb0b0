// Any bytes as a task file, on a PC with one of several short date formats,
// added or replacing, with a refused write at some step. The file is either
// refused with a line number and the store left as it was, or imported so
// that exporting again gives a file that reads back as the same tasks (each
// schedule running at the same minutes) and, imported once more, exports to
// the very same bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/input.h"
#include "schedule/grammar.h"
#include "store/testing/fake_registry.h"
#include "store/testing/iconv_gbk_codec.h"
#include "transfer/task_file.h"

namespace {

using namespace ordavi;

const char* const kFormats[] = {"yyyy/M/d", "yyyy-MM-dd", "dd.MM.yyyy", "M/d/yy"};

// The same text, or two texts the tick reads as the same fields: they run at
// the same minutes (a 原样时间 the tick runs comes back with plain numbers).
bool SameSchedule(const std::string& a, const std::string& b, const std::string& format) {
  if (a == b) return true;
  const ScheduleReading ra = ReadSchedule(a, format), rb = ReadSchedule(b, format);
  return !ra.never && !rb.never && ra.kind == rb.kind && ra.values == rb.values && ra.date.year == rb.date.year &&
         ra.date.month == rb.date.month && ra.date.day == rb.date.day;
}

bool SameTasks(TaskStore& store, const std::vector<TaskRecord>& tasks, const std::string& format) {
  if (store.Count() != static_cast<std::int32_t>(tasks.size())) return false;
  for (int n = 1; n <= store.Count(); ++n) {
    const TaskRecord r = store.ReadTask(n);
    const TaskRecord& t = tasks[n - 1];
    if (!SameSchedule(r.schedule, t.schedule, format) || r.type != t.type || r.param != t.param ||
        r.enabled != t.enabled) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const std::uint8_t choice = in.Byte();
  const std::string format = kFormats[choice % 4];
  const bool replace = (choice & 4) != 0;
  const int failAt = (choice >> 3) % 8;  // 0: no write refused
  const std::string bytes = in.Rest();

  static testing::IconvGbkCodec codec;
  testing::FakeRegistryKey key;
  Registry reg(key);
  TaskStore store(reg);
  store.LoadTaskCounter();
  store.AddTask("每天1时1分", "提醒", "mine");
  const auto before = key.values;
  key.writesTried = 0;
  key.failWriteNumber = failAt;
  const TaskFileImport r = ImportTaskFile(bytes, codec, format, store, replace);
  key.failWriteNumber = 0;
  if (!r.refusal.empty()) {
    if (key.values != before || store.Count() != 1) __builtin_trap();
    const TaskFileRead read = ReadTaskFile(bytes, codec, format);
    if (read.content ? r.errorLine != 0 : r.errorLine < 1) __builtin_trap();
    return 0;
  }
  const TaskFileExport once = WriteTaskFile(store, reg, codec, format);
  if (!once.refusal.empty()) __builtin_trap();
  const TaskFileRead again = ReadTaskFile(once.bytes, codec, format);
  if (!again.content) __builtin_trap();
  const std::vector<TaskRecord>& tasks = again.content->tasks;
  if (!SameTasks(store, tasks, format)) __builtin_trap();
  if (!ImportTaskFile(once.bytes, codec, format, store, true).refusal.empty()) __builtin_trap();
  const TaskFileExport twice = WriteTaskFile(store, reg, codec, format);
  if (twice.bytes != once.bytes) __builtin_trap();
  return 0;
}
