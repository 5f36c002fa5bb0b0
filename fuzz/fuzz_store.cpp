// The task store over a registry holding anything: values of any name from a
// small set, of any type, with any bytes; then store operations, some with a
// refused write, and some with a second refused write among those that undo
// the operation. Loading and reading must answer or raise a framework error;
// a refused operation must leave the registry as it was, except for a value
// whose own undo was refused; a delete that goes through must move exactly
// the tasks above the deleted one down by one and remove the last; the
// counter must stay within what the store accepts.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "fuzz/input.h"
#include "store/errors.h"
#include "store/tasks.h"
#include "store/testing/fake_registry.h"

namespace {

using namespace ordavi;

const char* const kNames[] = {"TaskNum", "A1", "B1", "C1", "D1", "A2", "B2", "C2", "D2", "A3", "D3",
                              "A5",      "D5", "A10000", "A10001", "A0", "A01", "B-1", "a2", "A2147483648",
                              "W1",      "W2", "M1",     "M3"};
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

// A value as ReadString reads it: absent or empty is the empty text, a string
// up to its first NUL; nothing for a value of another type.
std::optional<std::string> ReadAsText(const std::map<std::string, RegValue>& values, const std::string& name) {
  const auto it = values.find(name);
  if (it == values.end() || it->second.data.empty()) return std::string();
  if (it->second.type != RegType::String && it->second.type != RegType::ExpandString) return std::nullopt;
  return it->second.data.substr(0, it->second.data.find('\0'));
}

// Whether a task's flag (W n, M n) is on as the store reads it: a REG_DWORD 1.
bool FlagOn(const std::map<std::string, RegValue>& values, const std::string& name) {
  const auto it = values.find(name);
  return it != values.end() && it->second.type == RegType::Dword && it->second.data == std::string("\x01\0\0\0", 4);
}

bool IsTaskValueOf(const std::string& name, int from, int to) {
  for (int i = from; i <= to; ++i) {
    for (char f : {'A', 'B', 'C', 'D', 'W', 'M'}) {
      if (name == std::string(1, f) + std::to_string(i)) return true;
    }
  }
  return false;
}

// After DeleteTask(k) on `count` tasks went through: tasks below k are as
// they were, task i (k <= i < count) holds what task i + 1 held, task
// `count` is gone, TaskNum is count - 1, and no other value changed.
void CheckDelete(const std::map<std::string, RegValue>& before, const std::map<std::string, RegValue>& after, int k,
                 int count) {
  for (int i = k; i < count; ++i) {
    for (char f : {'A', 'B', 'C', 'D'}) {
      const std::string to = std::string(1, f) + std::to_string(i);
      const std::string from = std::string(1, f) + std::to_string(i + 1);
      const auto moved = after.find(to);
      if (moved == after.end() || moved->second.type != RegType::String) __builtin_trap();
      if (ReadAsText(after, to) != ReadAsText(before, from)) __builtin_trap();
    }
    for (char f : {'W', 'M'}) {  // the flags move with their task
      if (FlagOn(after, f + std::to_string(i)) != FlagOn(before, f + std::to_string(i + 1))) __builtin_trap();
    }
  }
  for (char f : {'A', 'B', 'C', 'D', 'W', 'M'}) {
    if (after.count(std::string(1, f) + std::to_string(count))) __builtin_trap();
  }
  const auto taskNum = after.find("TaskNum");
  if (taskNum == after.end() || taskNum->second.type != RegType::Dword) __builtin_trap();
  const std::string& b = taskNum->second.data;
  const std::uint32_t stored = static_cast<std::uint8_t>(b[0]) | static_cast<std::uint8_t>(b[1]) << 8 |
                               static_cast<std::uint8_t>(b[2]) << 16 | static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[3])) << 24;
  if (stored != static_cast<std::uint32_t>(count - 1)) __builtin_trap();
  for (const auto& v : before) {
    if (v.first == "TaskNum" || IsTaskValueOf(v.first, k, count)) continue;
    const auto same = after.find(v.first);
    if (same == after.end() || same->second.type != v.second.type || same->second.data != v.second.data) __builtin_trap();
  }
  for (const auto& v : after) {
    if (v.first != "TaskNum" && !IsTaskValueOf(v.first, k, count) && !before.count(v.first)) __builtin_trap();
  }
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
    // Now and then one of the writes that undo the operation is refused too.
    const int undoRefused = in.Byte() % 4 == 0 ? 1 + in.Byte() % 8 : 0;
    key.failAlsoWriteNumber = key.failWriteNumber != 0 && undoRefused ? key.failWriteNumber + undoRefused : 0;
    key.refusedLog.clear();
    const auto before = key.values;
    const std::int32_t count = store.FollowCounter();  // the tasks stored now
    try {
      switch (op) {
        case 0: store.AddTask(in.Text(), in.Text(), in.Text(), in.Byte() & 1, in.Byte() & 1); break;
        case 1: store.ModifyTask(n, in.Text(), in.Text(), in.Text(), in.Byte() & 1, in.Byte() & 1); break;
        case 2:
          store.DeleteTask(n);
          if (n >= 1 && n <= count) {
            if (store.Count() != count - 1 || !key.refusedLog.empty()) __builtin_trap();
            CheckDelete(before, key.values, n, count);
          } else if (key.values != before || store.Count() != count) {
            __builtin_trap();  // no such task: nothing changes
          }
          break;
        case 3: store.SetTaskEnabled(n, in.Text()); break;
        default: store.ReadTask(n); break;
      }
    } catch (const FrameworkError&) {
      // A refused write undoes the operation's other writes. (A value that
      // could not be read before cannot be put back, so only stores whose
      // values all read may be compared.)
      bool readable = true;
      for (const auto& v : before) {
        // TaskNum and the per-task flags (W, M) are numbers; the rest texts.
        const bool number = v.first == "TaskNum" || v.first[0] == 'W' || v.first[0] == 'M';
        readable = readable && (number ? v.second.type == RegType::Dword && v.second.data.size() == 4
                                       : v.second.type == RegType::String || v.second.type == RegType::ExpandString);
      }
      // A value whose own undo was refused (every refusal after the first) may
      // stay changed; every other one is as it was.
      if (readable) {
        const auto now = AsRead(key.values);
        const auto then = AsRead(before);
        std::set<std::string> names;
        for (const auto& v : now) names.insert(v.first);
        for (const auto& v : then) names.insert(v.first);
        for (const std::string& name : names) {
          const auto a = now.find(name);
          const auto b = then.find(name);
          const bool same = (a == now.end()) == (b == then.end()) && (a == now.end() || a->second == b->second);
          const auto undoRefusals = key.refusedLog.empty() ? key.refusedLog.end() : key.refusedLog.begin() + 1;
          if (!same && std::find(undoRefusals, key.refusedLog.end(), name) == key.refusedLog.end()) {
            __builtin_trap();
          }
        }
      }
      if (store.Count() != count) __builtin_trap();
    }
    key.failWriteNumber = 0;
    key.failAlsoWriteNumber = 0;
    if (store.Count() < 0) __builtin_trap();
  }
  return 0;
}
