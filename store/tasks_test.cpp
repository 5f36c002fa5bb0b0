#include "store/tasks.h"

#include <gtest/gtest.h>

#include <functional>

#include "store/errors.h"
#include "store/testing/error_of.h"
#include "store/testing/fake_registry.h"

namespace ordavi {
namespace {

using testing::ErrorOf;
using testing::FakeRegistryKey;

class TaskStoreTest : public ::testing::Test {
 protected:
  FakeRegistryKey key;
  Registry reg{key};
  TaskStore store{reg};

  std::string Str(const std::string& name) { return reg.ReadString(name); }

  // Plants TaskNum and loads a fresh store from it: it reports `error` and
  // keeps `count` as its counter.
  void ExpectDamagedCounter(RegType type, const std::string& bytes, const char* error, int count) {
    key.Plant("TaskNum", type, bytes);
    TaskStore fresh(reg);
    try {
      fresh.LoadTaskCounter();
      ADD_FAILURE() << error;
    } catch (const FrameworkError& e) {
      EXPECT_STREQ(e.what(), error);
    }
    EXPECT_EQ(fresh.Count(), count) << error;
  }
  bool Has(const std::string& name) { return key.values.count(name) > 0; }
  void AddThree() {
    store.LoadTaskCounter();
    store.AddTask("每天8时30分", "提醒", "one");
    store.AddTask("每周7日22时0分", "关闭计算机", "");
    store.AddTask("空闲15分钟", "关闭程序", "C:\\t\\tool.exe");
  }
};

TEST_F(TaskStoreTest, FirstStartCreatesTaskNumAndFirstTaskIsNumberOne) {
  store.LoadTaskCounter();
  EXPECT_EQ(reg.ReadInteger("TaskNum"), 0);
  EXPECT_EQ(store.AddTask("每天8时30分", "关闭计算机", ""), 1);
  EXPECT_EQ(reg.ReadInteger("TaskNum"), 1);
  EXPECT_EQ(key.values["A1"].data, std::string("每天8时30分") + '\0');
  EXPECT_EQ(std::string("每天8时30分").size(), 11u);
  EXPECT_EQ(Str("B1"), "关闭计算机");
  EXPECT_EQ(key.values["C1"].data, std::string(1, '\0'));
  EXPECT_EQ(Str("D1"), "启用");
  EXPECT_EQ(key.writeLog, (std::vector<std::string>{"TaskNum=#0", "TaskNum=#1", "A1=每天8时30分", "B1=关闭计算机", "C1=",
                                                      "D1=启用"}));
}

TEST_F(TaskStoreTest, LoadsAnExistingCounterWithoutWriting) {
  key.PlantDword("TaskNum", 12);
  store.LoadTaskCounter();
  EXPECT_EQ(store.Count(), 12);
  EXPECT_TRUE(key.writeLog.empty());
  EXPECT_EQ(store.AddTask("每天1时0分", "提醒", ""), 13);
  EXPECT_TRUE(Has("A13") && Has("D13"));
}

TEST_F(TaskStoreTest, ValueNamesHaveNoPadding) {
  EXPECT_EQ(TaskValueName(TaskField::Schedule, 7), "A7");
  EXPECT_EQ(TaskValueName(TaskField::Enabled, 10), "D10");
  EXPECT_EQ(TaskValueName(TaskField::Param, 123), "C123");
}

TEST_F(TaskStoreTest, DeleteMovesLaterTasksDownAndRemovesTheHighestSlot) {
  AddThree();
  store.SetTaskEnabled(3, "禁用");
  store.DeleteTask(2);
  EXPECT_EQ(store.Count(), 2);
  EXPECT_EQ(reg.ReadInteger("TaskNum"), 2);
  const TaskRecord t2 = store.ReadTask(2);
  EXPECT_EQ(t2.schedule, "空闲15分钟");
  EXPECT_EQ(t2.type, "关闭程序");
  EXPECT_EQ(t2.param, "C:\\t\\tool.exe");
  EXPECT_EQ(t2.enabled, "禁用");
  EXPECT_EQ(store.ReadTask(1).param, "one");
  for (const char* n : {"A3", "B3", "C3", "D3"}) EXPECT_FALSE(Has(n)) << n;
}

TEST_F(TaskStoreTest, EachFlagIsAValueOfItsOwnThatMovesWithItsTask) {
  // W n wakes the PC, M n catches a missed run up; each kept apart from the other.
  for (const TaskField flag : {TaskField::Wake, TaskField::CatchUp}) {
    SCOPED_TRACE(std::string(1, static_cast<char>(flag)));
    key.values.clear();
    store.LoadTaskCounter();
    const bool wake = flag == TaskField::Wake, catchUp = !wake;
    const auto name = [flag](int n) { return TaskValueName(flag, n); };
    const auto on = [&](int n) {
      const TaskRecord r = store.ReadTask(n);
      EXPECT_EQ(wake ? r.catchUp : r.wake, false);  // never the other flag
      return wake ? r.wake : r.catchUp;
    };
    key.PlantDword(name(2), 1);  // left above the tasks: a new task 2 does not inherit it
    store.AddTask("每天1时0分", "提醒", "one", wake, catchUp);
    store.AddTask("每天2时0分", "提醒", "two");
    store.AddTask("每天3时0分", "提醒", "three", wake, catchUp);
    EXPECT_EQ(key.values[name(1)], (RegValue{RegType::Dword, std::string("\x01\0\0\0", 4)}));
    EXPECT_FALSE(Has(name(2)));
    EXPECT_TRUE(on(3));

    store.DeleteTask(1);  // task 3 becomes task 2 with its flag
    EXPECT_FALSE(Has(name(1)) || Has(name(3)));
    EXPECT_TRUE(on(2));
    EXPECT_EQ(store.ReadTask(2).param, "three");

    store.ModifyTask(2, "每天3时0分", "提醒", "three");
    EXPECT_FALSE(Has(name(2)));
    store.ModifyTask(1, "每天2时0分", "提醒", "two", wake, catchUp);
    TaskRecord imported{0, "每天4时0分", "提醒", "x", "启用", wake, catchUp};
    store.ImportTasks({imported, TaskRecord{0, "每天5时0分", "提醒", "y", "启用"}}, true, {});
    EXPECT_TRUE(on(1));
    EXPECT_FALSE(Has(name(2)));

    // Only a REG_DWORD 1 is on.
    for (const auto& planted : {RegValue{RegType::String, std::string("1\0", 2)},
                                RegValue{RegType::Dword, std::string("\x02\0\0\0", 4)},
                                RegValue{RegType::Dword, std::string("\x01", 1)}}) {
      key.Plant(name(1), planted.type, planted.data);
      EXPECT_FALSE(store.ReadFlag(flag, 1));
    }
  }
}

TEST_F(TaskStoreTest, DeleteOnlyAndLastTask) {
  store.LoadTaskCounter();
  store.AddTask("每天1时0分", "提醒", "x");
  store.DeleteTask(1);
  EXPECT_EQ(reg.ReadInteger("TaskNum"), 0);
  for (const char* n : {"A1", "B1", "C1", "D1"}) EXPECT_FALSE(Has(n)) << n;

  AddThree();
  key.writeLog.clear();
  store.DeleteTask(3);  // the last one: nothing to copy
  EXPECT_EQ(key.writeLog, std::vector<std::string>{"TaskNum=#2"});
  EXPECT_FALSE(Has("A3"));
}

TEST_F(TaskStoreTest, DeleteCopiesAbsentValuesAsEmptyText) {
  AddThree();
  key.values.erase("D3");
  store.DeleteTask(1);
  ASSERT_TRUE(Has("D2"));
  EXPECT_EQ(key.values["D2"].data, std::string(1, '\0'));
}

TEST_F(TaskStoreTest, DeletingANumberOutsideTheListChangesNothing) {
  AddThree();
  const auto before = key.values;
  store.DeleteTask(4);
  store.DeleteTask(0);
  EXPECT_EQ(store.Count(), 3);
  EXPECT_EQ(key.values.size(), before.size());
  EXPECT_TRUE(Has("A3"));
}

TEST_F(TaskStoreTest, ModifyKeepsTheEnabledWordOrEnablesAnEmptyOne) {
  AddThree();
  store.SetTaskEnabled(2, "禁用");
  EXPECT_EQ(store.ModifyTask(2, "每天9时0分", "提醒", "hi"), "禁用");
  EXPECT_EQ(Str("D2"), "禁用");
  EXPECT_EQ(Str("A2"), "每天9时0分");

  key.values.erase("D1");
  EXPECT_EQ(store.ReadTask(1).enabled, "");  // absent: shown empty, counts as disabled
  EXPECT_EQ(store.ModifyTask(1, "每天9时0分", "提醒", ""), "启用");
  EXPECT_EQ(Str("D1"), "启用");
  EXPECT_EQ(store.Count(), 3);
}

TEST_F(TaskStoreTest, AFailedWriteDuringModifyLeavesTheOldScheduleReadable) {
  AddThree();
  key.failWrites = {"B1"};
  try {
    store.ModifyTask(1, "每天9时15分", "关闭计算机", "");
    FAIL() << "expected the refused write to raise";
  } catch (const FrameworkError& e) {
    EXPECT_STREQ(e.what(), "Failed to set data for 'B1'");
  }
  // A was written, B refused: A is put back, so the task keeps its complete old
  // schedule and never runs its old action at the new time.
  EXPECT_EQ(Str("A1"), "每天8时30分");
  EXPECT_EQ(Str("B1"), "提醒");
  key.failWrites = {"A1"};
  EXPECT_THROW(store.ModifyTask(1, "每天10时0分", "提醒", ""), FrameworkError);
  EXPECT_EQ(Str("A1"), "每天8时30分");
}

TEST_F(TaskStoreTest, AFailedCounterWriteAddsNothing) {
  store.LoadTaskCounter();
  key.failWrites = {"TaskNum"};
  EXPECT_THROW(store.AddTask("每天1时0分", "提醒", ""), FrameworkError);
  EXPECT_EQ(store.Count(), 0);
  EXPECT_FALSE(Has("A1"));
}

TEST_F(TaskStoreTest, AnUnusableCounterIsReportedAndReplacedByTheStoredTasks) {
  AddThree();
  const struct {
    RegType type;
    std::string bytes;
    const char* error;
  } cases[] = {
      {RegType::String, std::string("3\0", 2), "Invalid data type for 'TaskNum'"},
      {RegType::Dword, std::string("\xFF\xFF\xFF\xFF", 4), "值 -1 超出范围"},
      {RegType::Dword, std::string("\xFF\xFF\xFF\x7F", 4), "值 2147483647 超出范围"},
  };
  for (const auto& c : cases) {
    ExpectDamagedCounter(c.type, c.bytes, c.error, 3);
    EXPECT_EQ(key.values["TaskNum"].data, c.bytes);  // left as stored until the next change
  }
  TaskStore fresh(reg);
  EXPECT_THROW(fresh.LoadTaskCounter(), FrameworkError);
  EXPECT_EQ(fresh.AddTask("每天1时0分", "提醒", "new"), 4);  // task 1 is not overwritten
  EXPECT_EQ(store.ReadTask(1).param, "one");
  EXPECT_EQ(reg.ReadInteger("TaskNum"), 4);
}

TEST_F(TaskStoreTest, ADamagedCounterNeverHidesAStoredTask) {
  // Tasks 1, 2 and 4 stored, number 3 without any value.
  AddThree();
  for (const char* f : {"A3", "B3", "C3", "D3"}) key.values.erase(f);
  key.PlantString("A4", "每天4时0分");
  key.PlantString("D4", "启用");
  key.PlantString("A12x", "not a task value");
  key.PlantString("A010", "nor this");
  const struct {
    RegType type;
    std::string bytes;
    const char* error;
  } cases[] = {
      {RegType::Binary, std::string("\x04\0\0\0", 4), "Invalid data type for 'TaskNum'"},
      {RegType::Dword, std::string("\0\0\0\0", 4), "值 0 小于最大任务号 4，按 4 计"},
      {RegType::Dword, std::string("\x02\0\0\0", 4), "值 2 小于最大任务号 4，按 4 计"},
      {RegType::Dword, std::string("\xFF\xFF\xFF\x7F", 4), "值 2147483647 超出范围"},
  };
  for (const auto& c : cases) ExpectDamagedCounter(c.type, c.bytes, c.error, 4);
  key.PlantDword("TaskNum", 7);  // above the stored tasks: kept, the slots are empty
  TaskStore fresh(reg);
  fresh.LoadTaskCounter();
  EXPECT_EQ(fresh.Count(), 7);
}

// Two stores over one key stand for two agents (or an agent and a `reg
// import`): each change works on the tasks stored at that moment, so neither
// overwrites nor renumbers what the other wrote.
TEST_F(TaskStoreTest, EveryChangeFollowsTheKeyAsItIsNow) {
  TaskStore other(reg);
  store.LoadTaskCounter();
  other.LoadTaskCounter();
  EXPECT_EQ(store.AddTask("每天1时0分", "提醒", "mine"), 1);
  EXPECT_EQ(other.AddTask("每天2时0分", "提醒", "theirs"), 2);  // not over task 1
  EXPECT_EQ(store.AddTask("每天3时0分", "提醒", "mine again"), 3);
  EXPECT_EQ(reg.ReadInteger("TaskNum"), 3);
  other.DeleteTask(1);  // tasks 2 and 3 move down
  EXPECT_EQ(store.ReadTask(1).param, "theirs");
  key.writeLog.clear();
  // Task 3 is gone for everyone: changing it writes nothing and says why.
  EXPECT_EQ(ErrorOf([&] { store.SetTaskEnabled(3, "禁用"); }), TaskStore::NoSuchTaskText(3));
  EXPECT_EQ(ErrorOf([&] { store.ModifyTask(3, "每天4时0分", "提醒", "x"); }), TaskStore::NoSuchTaskText(3));
  store.DeleteTask(3);
  EXPECT_TRUE(key.writeLog.empty());
  EXPECT_EQ(reg.ReadInteger("TaskNum"), 2);
  store.DeleteTask(2);  // the last task as stored now
  EXPECT_EQ(reg.ReadInteger("TaskNum"), 1);
  EXPECT_EQ(other.ReadTask(1).param, "theirs");
  // Tasks written beside a stale TaskNum are not overwritten either.
  key.PlantString("A2", "每天5时0分");
  key.PlantString("D2", "启用");
  EXPECT_EQ(store.AddTask("每天6时0分", "提醒", "after"), 3);
  EXPECT_EQ(store.ReadTask(2).schedule, "每天5时0分");
}

// The tick reads TaskNum on every pass with the rules of start-up, and never
// writes it.
TEST_F(TaskStoreTest, FollowCounterAppliesTheDamagedCounterRulesWithoutWriting) {
  AddThree();
  key.writeLog.clear();
  const struct {
    std::optional<RegValue> stored;
    std::int32_t counter;
  } cases[] = {
      {RegValue{RegType::Dword, std::string("\x05\0\0\0", 4)}, 5},
      {RegValue{RegType::Dword, std::string("\x01\0\0\0", 4)}, 3},  // below the stored tasks
      {RegValue{RegType::String, std::string("9\0", 2)}, 3},
      {RegValue{RegType::Dword, std::string("\xFF\xFF\xFF\xFF", 4)}, 3},
      {std::nullopt, 3},
      {RegValue{RegType::Dword, std::string("\x02\0\0\0", 4)}, 3},
  };
  for (const auto& c : cases) {
    if (c.stored) {
      key.values["TaskNum"] = *c.stored;
    } else {
      key.values.erase("TaskNum");
    }
    EXPECT_EQ(store.FollowCounter(), c.counter);
    EXPECT_EQ(store.FollowCounter(), c.counter);  // unchanged: the same answer
  }
  EXPECT_TRUE(key.writeLog.empty());
}

// A registry that refuses one write, for every write of every operation:
// afterwards the store holds the tasks it held before or the complete change,
// TaskNum matches the stored tasks, and the refusal was reported.
TEST_F(TaskStoreTest, ARefusedWriteLeavesEveryTaskWholeAndTheCounterRight) {
  const std::vector<std::pair<const char*, std::function<void(TaskStore&)>>> operations = {
      {"add", [](TaskStore& s) { s.AddTask("每天9时0分", "关闭计算机", "x"); }},
      {"modify", [](TaskStore& s) { s.ModifyTask(2, "每周1时2分3", "关闭程序", "a.exe"); }},
      {"delete first", [](TaskStore& s) { s.DeleteTask(1); }},
      {"delete middle", [](TaskStore& s) { s.DeleteTask(2); }},
      {"enable", [](TaskStore& s) { s.SetTaskEnabled(3, "禁用"); }},
  };
  for (const auto& op : operations) {
    for (int k = 1;; ++k) {
      FakeRegistryKey fresh;
      Registry freshReg(fresh);
      TaskStore s(freshReg);
      s.LoadTaskCounter();
      s.AddTask("每天1时0分", "提醒", "one");
      s.AddTask("每天2时0分", "提醒", "two", true);
      s.AddTask("每天3时0分", "提醒", "three");
      const auto before = fresh.values;
      fresh.writesTried = 0;
      fresh.failWriteNumber = k;
      bool refused = false;
      try {
        op.second(s);
      } catch (const FrameworkError&) {
        refused = true;
      }
      fresh.failWriteNumber = 0;
      const std::string what = std::string(op.first) + ", write " + std::to_string(k) + " refused";
      if (refused) {
        EXPECT_EQ(fresh.values, before) << what;  // all undone
      }
      // Either way every task is whole and the counters agree.
      TaskStore reloaded(freshReg);
      EXPECT_NO_THROW(reloaded.LoadTaskCounter()) << what;
      EXPECT_EQ(reloaded.Count(), s.Count()) << what;
      for (int n = 1; n <= reloaded.Count(); ++n) {
        const TaskRecord t = reloaded.ReadTask(n);
        EXPECT_FALSE(t.schedule.empty() || t.type.empty() || t.enabled.empty()) << what << ", task " << n;
      }
      if (!refused) break;  // k is past the operation's last write
    }
  }
}

TEST_F(TaskStoreTest, WrongTypesRaiseTheFrameworkErrors) {
  key.PlantDword("A1", 1);
  try {
    store.ReadTask(1);
    FAIL();
  } catch (const FrameworkError& e) {
    EXPECT_STREQ(e.what(), "Invalid data type for 'A1'");
  }
}

}  // namespace
}  // namespace ordavi
