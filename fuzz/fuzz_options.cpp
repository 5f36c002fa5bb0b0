// The options over a registry holding anything under the option names, and
// the minutes text of the settings: loading never stops at a bad value and
// keeps usable numbers; parsing answers or raises the framework error.
#include <cstddef>
#include <cstdint>

#include "dialogs/options_form.h"
#include "fuzz/input.h"
#include "store/errors.h"
#include "store/options.h"
#include "store/tasks.h"
#include "store/testing/fake_registry.h"

namespace {

using namespace ordavi;

const char* const kNames[] = {"shutapp", "soundpath", "tishi", "kaiji", "rejian", "TaskNum", "A1", "D1"};
const RegType kTypes[] = {RegType::String, RegType::ExpandString, RegType::Dword, RegType::Binary, RegType::Other};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  testing::FakeRegistryKey key;
  const int planted = in.Byte() % 10;
  for (int i = 0; i < planted; ++i) {
    const char* name = kNames[in.Byte() % (sizeof kNames / sizeof kNames[0])];
    key.Plant(name, kTypes[in.Byte() % 5], in.Text());
  }
  key.failWriteNumber = in.Byte() % 4;
  Registry reg(key);
  TaskStore store(reg);
  Options opts;
  const auto problems = LoadOptions(reg, opts, [&] { store.LoadTaskCounter(); });
  OptionProblemsNotice(problems);
  if (opts.countdownSeconds < 0) __builtin_trap();  // a negative countdown is never used

  const char separator = in.Byte() % 2 ? '.' : ',';
  const std::string text = in.Rest();
  try {
    const std::int32_t seconds = ParseMinutes(text, separator);
    MinutesText(seconds, separator);
  } catch (const FrameworkError&) {
  }
  MinutesText(static_cast<std::int32_t>(text.size() * 7919u), separator);
  return 0;
}
