// The tray icon's popup menu: its items in order, with their captions and
// command ids. Other programs post these ids, so an item keeps its id
// wherever it stands: the first twenty have 1000 + their place in the
// original menu, items added later get ids of their own after them.
#pragma once

#include <cstddef>

namespace ordavi {

enum class MenuItem {
  Monitoring, SeparatorAfterMonitoring, Settings, RunHistory, SeparatorAfterSettings,
  LogOff, Standby, Hibernate, Restart, ShutDown, OpenCdDoor, CloseCdDoor, MonitorOff, CleanJunk,
  FastRestart, FastShutdown, SeparatorBeforeUpdate, Update, About, Help, Exit,
  CancelPostponed,
  Awake30, Awake60, Awake120, AwakeUntilCancelled, AwakeDisplay, AwakeCancel
};

struct MenuEntry {
  MenuItem item;
  const char* caption;  // "-" is a separator
  unsigned id;          // the command id
};

// The popup menu from top to bottom. The access keys are the letters after
// "&"; captions naming a key have two blanks before it.
inline constexpr MenuEntry kPopupMenu[] = {
    {MenuItem::Monitoring, "启用监控(&E)", 1000},
    {MenuItem::SeparatorAfterMonitoring, "-", 1001},
    {MenuItem::Settings, "设置(&S)", 1002},
    {MenuItem::RunHistory, "运行记录(&J)", 1020},
    {MenuItem::SeparatorAfterSettings, "-", 1003},
    {MenuItem::LogOff, "注销(&L)  F8", 1004},
    {MenuItem::Standby, "待机(&W)  F9", 1005},
    {MenuItem::Hibernate, "休眠(&S)", 1006},
    {MenuItem::Restart, "重启(&R)", 1007},
    {MenuItem::ShutDown, "关机(&U)", 1008},
    {MenuItem::OpenCdDoor, "打开光驱(&O)", 1009},
    {MenuItem::CloseCdDoor, "关闭光驱(&C)", 1010},
    {MenuItem::MonitorOff, "关闭显示器(&M)", 1011},
    {MenuItem::CleanJunk, "清理系统垃圾(&Z)", 1012},
    {MenuItem::FastRestart, "快速重启(&I)  F10", 1013},
    {MenuItem::FastShutdown, "快速关机(&Q)  F11", 1014},
    {MenuItem::SeparatorBeforeUpdate, "-", 1015},
    {MenuItem::Update, "软件更新(&P)", 1016},
    {MenuItem::About, "关于(&A)", 1017},
    {MenuItem::Help, "帮助(&H)", 1018},
    {MenuItem::Exit, "退出(&X)", 1019},
};
inline constexpr std::size_t kPopupMenuSize = sizeof(kPopupMenu) / sizeof(kPopupMenu[0]);

// The item that cancels a postponed countdown's action, after the others and
// only while an action is held; its caption names the action and its time.
inline constexpr MenuEntry kCancelPostponedEntry = {MenuItem::CancelPostponed, "取消推迟(&N)", 1021};

// The submenu 保持唤醒(&K), after a separator below the others: how long
// to keep the PC awake, the screen too, and its end (enabled only while the
// PC is kept awake); the running choice and the screen are checked.
inline constexpr const char* kAwakeMenuCaption = "保持唤醒(&K)";
inline constexpr MenuEntry kAwakeMenu[] = {
    {MenuItem::Awake30, "30 分钟", 1022},
    {MenuItem::Awake60, "1 小时", 1023},
    {MenuItem::Awake120, "2 小时", 1024},
    {MenuItem::AwakeUntilCancelled, "直到取消", 1025},
    {MenuItem::AwakeDisplay, "保持屏幕常亮", 1026},
    {MenuItem::AwakeCancel, "取消保持唤醒", 1027},
};
// The minutes of each length in kAwakeMenu (0: until cancelled); -1 for its
// other items.
constexpr int AwakeMinutesOf(MenuItem item) {
  switch (item) {
    case MenuItem::Awake30: return 30;
    case MenuItem::Awake60: return 60;
    case MenuItem::Awake120: return 120;
    case MenuItem::AwakeUntilCancelled: return 0;
    default: return -1;
  }
}

// The command id of an item, and the entry of a command id (null: none).
constexpr const MenuEntry* FindEntry(MenuItem item, unsigned id) {
  for (const MenuEntry& e : kPopupMenu) {
    if (e.item == item || e.id == id) return &e;
  }
  for (const MenuEntry& e : kAwakeMenu) {
    if (e.item == item || e.id == id) return &e;
  }
  return item == kCancelPostponedEntry.item || id == kCancelPostponedEntry.id ? &kCancelPostponedEntry : nullptr;
}
constexpr unsigned CommandIdOf(MenuItem item) {
  const MenuEntry* e = FindEntry(item, 0);
  return e ? e->id : 0;
}
constexpr const MenuEntry* EntryOfCommand(unsigned id) {
  return FindEntry(static_cast<MenuItem>(-1), id);
}

const char* DesignCaption(MenuItem item);

}  // namespace ordavi
