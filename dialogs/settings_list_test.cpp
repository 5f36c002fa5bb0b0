#include "dialogs/settings_list.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "store/testing/error_of.h"
#include "store/testing/fake_registry.h"

namespace ordavi {
namespace {

using testing::ErrorOf;
using testing::FakeRegistryKey;

// A row as "number|schedule|type|param|enabled", so whole lists compare at once.
std::string RowText(const TaskRecord& r) {
  return std::to_string(r.number) + "|" + r.schedule + "|" + r.type + "|" + r.param + "|" + r.enabled;
}

class SettingsListTest : public ::testing::Test {
 protected:
  FakeRegistryKey key;
  Registry reg{key};
  TaskStore store{reg};
  SettingsList list;

  void SetUp() override { store.LoadTaskCounter(); }
  void AddThree() {
    store.AddTask("每天8时30分", "提醒", "one");
    store.AddTask("每周7日22时0分", "关闭计算机", "");
    store.AddTask("空闲15分钟", "关闭程序", "tool.exe");
    store.SetTaskEnabled(2, "禁用");
    list.Load(store);
  }
  std::vector<std::string> Rows() const {
    std::vector<std::string> out;
    for (const TaskRecord& r : list.rows()) out.push_back(RowText(r));
    return out;
  }
  std::string Stored(int n) { return RowText(store.ReadTask(n)); }
  // Selects the row labelled n.
  void SelectTask(int n) {
    for (std::size_t i = 0; i < list.rows().size(); ++i) {
      if (list.rows()[i].number == n) list.Select(i);
    }
  }
};

TEST_F(SettingsListTest, LoadListsStoredTasksAndSkipsEmptySchedules) {
  key.PlantDword("TaskNum", 4);
  key.PlantString("A1", "每天8时30分");
  key.PlantString("B1", "提醒");
  key.PlantString("D1", "启用");  // C1 missing: shows empty
  key.PlantString("B2", "提醒");  // no schedule text: no row
  key.PlantString("A3", "每月1日9时0分");
  key.PlantDword("B3", 5);  // wrong type: shown empty, the row stays
  key.PlantString("D3", "禁用");
  key.PlantString("A4", "");
  store.LoadTaskCounter();
  list.Load(store);
  EXPECT_EQ(Rows(), (std::vector<std::string>{"1|每天8时30分|提醒||启用", "3|每月1日9时0分|||禁用"}));
}

TEST_F(SettingsListTest, DeleteRenumbersStoreAndRowsAlike) {
  AddThree();
  SelectTask(2);
  EXPECT_FALSE(list.DeleteSelected(store).has_value());
  EXPECT_EQ(store.Count(), 2);
  EXPECT_EQ(reg.ReadInteger("TaskNum"), 2);
  EXPECT_EQ(Stored(2), "2|空闲15分钟|关闭程序|tool.exe|启用");
  EXPECT_FALSE(key.values.count("A3"));
  EXPECT_EQ(Rows(), (std::vector<std::string>{"1|每天8时30分|提醒|one|启用", "2|空闲15分钟|关闭程序|tool.exe|启用"}));
  EXPECT_FALSE(list.selected().has_value());

  // With no row selected nothing changes and the user is told.
  const auto message = list.DeleteSelected(store);
  ASSERT_TRUE(message.has_value());
  EXPECT_EQ(message->text, "请选择要删除的任务");
  EXPECT_EQ(message->caption, "错误");
  EXPECT_EQ(message->icon, MessageIcon::Error);
  EXPECT_EQ(store.Count(), 2);
}

TEST_F(SettingsListTest, DeleteAfterModifyKeepsEachLabelOnItsTask) {
  AddThree();
  SelectTask(1);
  const auto opening = list.OpenModifyEditor(store);
  list.CommitEditor(opening.editorId, store, "每天9时0分", "提醒", "changed");
  ASSERT_EQ(Rows().size(), 3u);  // rows 2, 3, 1
  SelectTask(2);
  ASSERT_FALSE(list.DeleteSelected(store).has_value());
  EXPECT_EQ(Rows(), (std::vector<std::string>{"2|空闲15分钟|关闭程序|tool.exe|启用", "1|每天9时0分|提醒|changed|启用"}));
  for (const TaskRecord& r : list.rows()) EXPECT_EQ(RowText(r), Stored(r.number));
}

TEST_F(SettingsListTest, StateComboShowsAndStoresTheEnabledWord) {
  AddThree();
  SelectTask(2);
  list.ClickList(store);
  EXPECT_TRUE(list.stateCombo().visible);
  EXPECT_EQ(list.stateCombo().task, 2);
  EXPECT_EQ(list.stateCombo().item, 1);  // "禁用"

  list.PickState(store, "启用");
  EXPECT_EQ(reg.ReadString("D2"), "启用");
  EXPECT_EQ(list.rows()[1].enabled, "启用");
  EXPECT_TRUE(list.stateCombo().visible);

  // The selection moved with the keyboard: the combo still acts on its task.
  SelectTask(3);
  list.PickState(store, "禁用");
  EXPECT_EQ(reg.ReadString("D2"), "禁用");
  EXPECT_EQ(reg.ReadString("D3"), "启用");
  EXPECT_EQ(list.rows()[1].enabled, "禁用");
  EXPECT_EQ(list.rows()[2].enabled, "启用");

  // A stored word that is neither keeps the combo's previous choice.
  store.SetTaskEnabled(1, "");
  SelectTask(1);
  list.ClickList(store);
  EXPECT_EQ(list.stateCombo().item, 1);

  // A click that leaves no row selected hides it, and a hidden combo stores nothing.
  list.Select(std::nullopt);
  list.ClickList(store);
  EXPECT_FALSE(list.stateCombo().visible);
  key.writeLog.clear();
  list.PickState(store, "启用");
  EXPECT_TRUE(key.writeLog.empty());
}

TEST_F(SettingsListTest, StateComboHidesAfterADeleteOrAModify) {
  AddThree();
  for (bool viaDelete : {true, false}) {
    SelectTask(1);
    list.ClickList(store);
    ASSERT_TRUE(list.stateCombo().visible);
    if (viaDelete) {
      list.DeleteSelected(store);
    } else {
      list.CommitEditor(list.OpenModifyEditor(store).editorId, store, "每天1时0分", "提醒", "");
    }
    EXPECT_FALSE(list.stateCombo().visible) << viaDelete;
  }
}

TEST_F(SettingsListTest, EditorsStoreTheirOwnTaskWhateverHappensMeanwhile) {
  AddThree();
  // Modify editor for task 3, then: selection moves to task 1, Add pressed, a
  // second modify editor for task 2, task 1 deleted (task 3 becomes 2, task 2
  // becomes 1).
  SelectTask(3);
  const auto forThree = list.OpenModifyEditor(store);
  EXPECT_EQ(forThree.task, 3);
  SelectTask(1);
  const int adder = list.OpenAddEditor();
  SelectTask(2);
  const auto forTwo = list.OpenModifyEditor(store);
  SelectTask(1);
  ASSERT_FALSE(list.DeleteSelected(store).has_value());
  EXPECT_EQ(list.EditorTarget(forThree.editorId), 2);
  EXPECT_EQ(list.EditorTarget(forTwo.editorId), 1);
  EXPECT_FALSE(list.EditorTarget(adder).has_value());

  // The first modify editor's OK rewrites the old task 3, now number 2; it
  // keeps its enabled word and its row moves to the bottom.
  const TaskRecord r = list.CommitEditor(forThree.editorId, store, "空闲20分钟", "提醒", "x");
  EXPECT_EQ(RowText(r), "2|空闲20分钟|提醒|x|启用");
  EXPECT_EQ(Stored(1), "1|每周7日22时0分|关闭计算机||禁用");
  EXPECT_EQ(Rows(), (std::vector<std::string>{"1|每周7日22时0分|关闭计算机||禁用", "2|空闲20分钟|提醒|x|启用"}));

  // A disabled task stays disabled after a modify.
  EXPECT_EQ(RowText(list.CommitEditor(forTwo.editorId, store, "每天1时0分", "提醒", "")), "1|每天1时0分|提醒||禁用");
  EXPECT_EQ(Rows().back(), "1|每天1时0分|提醒||禁用");

  // The add editor adds the next number, enabled, at the bottom.
  EXPECT_EQ(RowText(list.CommitEditor(adder, store, "每天2时0分", "", "")), "3|每天2时0分|||启用");
  EXPECT_EQ(reg.ReadInteger("TaskNum"), 3);
  EXPECT_EQ(Rows().back(), "3|每天2时0分|||启用");
}

TEST_F(SettingsListTest, AnEditorWhoseTaskWasDeletedAddsItsTask) {
  AddThree();
  SelectTask(2);
  const auto opening = list.OpenModifyEditor(store);
  list.DeleteSelected(store);
  EXPECT_EQ(RowText(list.CommitEditor(opening.editorId, store, "每天3时0分", "提醒", "")), "3|每天3时0分|提醒||启用");
  EXPECT_EQ(store.Count(), 3);
}

TEST_F(SettingsListTest, ModifyNeedsASelectedRowAndWritesAMissingEnabledWord) {
  AddThree();
  const auto refused = list.OpenModifyEditor(store);
  ASSERT_TRUE(refused.refusal.has_value());
  EXPECT_EQ(refused.refusal->text, "请选择要修改的任务");
  EXPECT_EQ(refused.refusal->caption, "错误");

  key.values.erase("D1");
  SelectTask(1);
  const auto opening = list.OpenModifyEditor(store);
  EXPECT_EQ(list.CommitEditor(opening.editorId, store, "每天1时0分", "提醒", "").enabled, "启用");
  EXPECT_EQ(reg.ReadString("D1"), "启用");
}

TEST_F(SettingsListTest, ARefusedWriteLeavesRowsAndEditorAsTheyWere) {
  AddThree();
  SelectTask(2);
  const auto opening = list.OpenModifyEditor(store);
  key.failWrites = {"B2"};
  EXPECT_EQ(ErrorOf([&] { list.CommitEditor(opening.editorId, store, "每天1时0分", "提醒", ""); }),
            "Failed to set data for 'B2'");
  EXPECT_EQ(Rows()[1], "2|每周7日22时0分|关闭计算机||禁用");
  EXPECT_EQ(list.EditorTarget(opening.editorId), 2);
  key.failWrites.clear();
  list.CommitEditor(opening.editorId, store, "每天1时0分", "提醒", "");
  EXPECT_EQ(Rows().back(), "2|每天1时0分|提醒||禁用");
}

// Tasks one to four; another program deletes task 2 while the rows still show
// the old numbers. Acting on the row "three" (now task 4's slot holds
// nothing and task 3 is "four") changes nothing: the rows are read again and
// the user is told. A row whose task is unchanged still acts.
TEST_F(SettingsListTest, ARowWhoseTaskChangedElsewhereIsReadAgainAndNothingChanges) {
  using Act = std::function<std::optional<UserMessage>(SettingsList&, TaskStore&)>;
  const struct {
    const char* what;
    Act act;
  } cases[] = {
      {"delete", [](SettingsList& l, TaskStore& s) { return l.DeleteSelected(s); }},
      {"modify", [](SettingsList& l, TaskStore& s) { return l.OpenModifyEditor(s).refusal; }},
      {"state combo",
       [](SettingsList& l, TaskStore& s) {
         l.ClickList(s);
         return l.PickState(s, "禁用");
       }},
  };
  for (const auto& c : cases) {
    FakeRegistryKey k;
    Registry r{k};
    TaskStore mine{r}, elsewhere{r};
    mine.LoadTaskCounter();
    for (const char* text : {"one", "two", "three", "four"}) mine.AddTask("每天8时30分", "提醒", text);
    SettingsList l;
    l.Load(mine);
    elsewhere.LoadTaskCounter();
    elsewhere.DeleteTask(2);
    const std::map<std::string, std::string> before = [&] {
      std::map<std::string, std::string> v;
      for (const auto& [name, value] : k.values) v[name] = value.data;
      return v;
    }();

    l.Select(2);  // "three", shown as task 3
    const std::optional<UserMessage> message = c.act(l, mine);
    ASSERT_TRUE(message.has_value()) << c.what;
    EXPECT_EQ(message->text, kTasksChangedElsewhere) << c.what;
    EXPECT_EQ(message->caption, "提示") << c.what;
    for (const auto& [name, value] : k.values) EXPECT_EQ(value.data, before.at(name)) << c.what << " " << name;
    ASSERT_EQ(l.rows().size(), 3u) << c.what;  // read again: one, three, four
    EXPECT_EQ(l.rows()[1].param, "three") << c.what;
    EXPECT_EQ(l.rows()[1].number, 2) << c.what;

    l.Select(1);  // now current: the action goes ahead
    EXPECT_FALSE(c.act(l, mine).has_value()) << c.what;
  }
}

}  // namespace
}  // namespace ordavi
