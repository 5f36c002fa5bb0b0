// The run history's files as another program or a damaged disk may leave
// them: reading the history for display keeps only whole UTF-8 entries, an
// entry added after any content leaves the file within its limit with the
// new entry whole at its end, and the last-pass file gives a real minute or
// nothing.
#include <cstddef>
#include <cstdint>

#include "actions/notices.h"
#include "app/run_history.h"
#include "app/testing/fake_data_file.h"
#include "fuzz/input.h"
#include "store/testing/iconv_gbk_codec.h"

namespace {

using namespace ordavi;

struct NoNotices : NoticeSink {
  int shown = 0;
  void ShowNotice(const std::string&) override { ++shown; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const std::uint64_t limit = 4096 + in.Byte() * 64;
  RunRecord r;
  r.due = {2024, 3, 5, 8, 30};
  r.taskNumber = in.Byte();
  r.type = in.Text();
  r.schedule = in.Text();
  r.param = in.Text();
  const std::string content = in.Rest();

  if (auto s = ParseSettledMinute(content)) {
    const LocalMinute& m = s->sample.local;
    if (m.month < 1 || m.month > 12 || m.day < 1 || m.hour > 23 || m.minute > 59) __builtin_trap();
    const auto back = ParseSettledMinute(SettledMinuteText(*s));
    if (!back || back->ran != s->ran || !(back->sample.local == m) || back->catchUps != s->catchUps) {
      __builtin_trap();  // read back as written
    }
  }

  testing::FakeDataFile file;
  file.content = content;
  testing::IconvGbkCodec codec;
  NoNotices notices;
  RunHistory history(file, codec, notices, limit);
  for (const std::string& line : history.EntriesNewestFirst()) {
    if (!Utf16FromUtf8(line) || line.find('\n') != std::string::npos) __builtin_trap();
  }
  history.Add(r);
  const std::string added = file.content;
  const std::vector<std::string> shown = history.EntriesNewestFirst();
  if (shown.empty() || shown.front() != Utf8FromUtf16(codec.Utf16FromGbk(HistoryLine(r)))) __builtin_trap();
  if (added.size() > limit + 512 && added.size() > content.size()) __builtin_trap();  // trimmed when over
  if (added.size() < 2 || added.compare(added.size() - 2, 2, "\r\n") != 0) __builtin_trap();
  if (notices.shown > 1) __builtin_trap();  // told once at most, however often read
  return 0;
}
