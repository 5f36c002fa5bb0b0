// The task store over a registry holding anything: values of any name from a
// small set, of any type, with any bytes; then store operations, some with a
// refused write. Loading and reading must answer or raise a framework error;
// a refused operation must leave the registry as it was; the counter must
// stay within what the store accepts.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "fuzz/input.h"
#include "store/errors.h"
#include "store/tasks.h"
#include "store/testing/fake_registry.h"

namespace {

using namespace ordavi;

const char* const kNames[] = {"TaskNum", "A1", "B1", "C1", "D1", "A2", "B2", "C2", "D2", "A3", "D3",
                              "A5",      "D5", "A10000", "A10001", "A0", "A01", "B-1", "a2", "A2147483648"};
const RegType kTypes[] = {RegType::String, RegType::ExpandString, RegType::Dword, RegType::Binary, RegType::Other};

// The store's values as the store reads them: a string up to its first NUL
// (an undo writes a text back as a plain string with one NUL), anything else
// as its raw bytes.
std::map<std::string, std::string> AsRead(const std::map<std::string, RegValue>& values) {
  std::map<std::string, std::string> texts;
  for (const auto& v : values) {
    const bool text = v.second.type == RegType::String || v.second.type == RegType::ExpandString;
    texts[v.first] = text ? v.second.data.substr(0, v.second.data.find('\0'))
                          : std::to_string(static_cast<int>(v.second.type)) + ":" + v.second.data;
  }
  return texts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  testing::FakeRegistryKey key;
  const int planted = in.Byte() % 16;
  for (int i = 0; i < planted; ++i) {
    const char* name = kNames[in.Byte() % (sizeof kNames / sizeof kNames[0])];
    const RegType type = kTypes[in.Byte() % 5];
    key.Plant(name, type, in.Text());
  }
  Registry reg(key);
  TaskStore store(reg);
  try {
    store.LoadTaskCounter();
  } catch (const FrameworkError&) {
  }
  if (store.Count() < 0 || store.Count() > TaskStore::kMaxTasks) __builtin_trap();
  for (int n = 1; n <= store.Count() && n <= 20; ++n) {
    try {
      store.ReadTask(n);
    } catch (const FrameworkError&) {
    }
  }
  // Operations on a store of thousands of tasks only take longer per input.
  while (!in.Empty() && store.Count() <= 100) {
    const int op = in.Byte() % 5;
    const int n = in.Byte() % 8;
    key.writesTried = 0;
    key.failWriteNumber = in.Byte() % 12;
    const auto before = key.values;
    const std::int32_t count = store.FollowCounter();  // the tasks stored now
    try {
      switch (op) {
        case 0: store.AddTask(in.Text(), in.Text(), in.Text()); break;
        case 1: store.ModifyTask(n, in.Text(), in.Text(), in.Text()); break;
        case 2: store.DeleteTask(n); break;
        case 3: store.SetTaskEnabled(n, in.Text()); break;
        default: store.ReadTask(n); break;
      }
    } catch (const FrameworkError&) {
      // A refused write undoes the operation's other writes. (A value that
      // could not be read before cannot be put back, so only stores whose
      // values all read may be compared.)
      bool readable = true;
      for (const auto& v : before) {
        readable = readable && (v.first == "TaskNum"
                                    ? v.second.type == RegType::Dword && v.second.data.size() == 4
                                    : v.second.type == RegType::String || v.second.type == RegType::ExpandString);
      }
      if (readable && key.failWriteNumber != 0 && AsRead(key.values) != AsRead(before)) __builtin_trap();
      if (store.Count() != count) __builtin_trap();
    }
    key.failWriteNumber = 0;
    if (store.Count() < 0) __builtin_trap();
  }
  return 0;
}
