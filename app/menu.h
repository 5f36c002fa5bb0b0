// The tray icon's popup menu: its items in order, with their design captions.
// The command id of an item is 1000 + its index here (other programs post
// these ids, so the order stays as it is).
#pragma once

#include <cstddef>

namespace ordavi {

enum class MenuItem {
  Monitoring, SeparatorAfterMonitoring, Settings, SeparatorAfterSettings,
  LogOff, Standby, Hibernate, Restart, ShutDown, OpenCdDoor, CloseCdDoor, MonitorOff, CleanJunk,
  FastRestart, FastShutdown, SeparatorBeforeUpdate, Update, About, Help, Exit
};

struct MenuEntry {
  MenuItem item;
  const char* caption;  // "-" is a separator
};

// The popup menu from top to bottom. The access keys are the letters after
// "&"; captions naming a key have two blanks before it.
inline constexpr MenuEntry kPopupMenu[] = {
    {MenuItem::Monitoring, "启用监控(&E)"},      {MenuItem::SeparatorAfterMonitoring, "-"},
    {MenuItem::Settings, "设置(&S)"},            {MenuItem::SeparatorAfterSettings, "-"},
    {MenuItem::LogOff, "注销(&L)  F8"},          {MenuItem::Standby, "待机(&W)  F9"},
    {MenuItem::Hibernate, "休眠(&S)"},           {MenuItem::Restart, "重启(&R)"},
    {MenuItem::ShutDown, "关机(&U)"},            {MenuItem::OpenCdDoor, "打开光驱(&O)"},
    {MenuItem::CloseCdDoor, "关闭光驱(&C)"},     {MenuItem::MonitorOff, "关闭显示器(&M)"},
    {MenuItem::CleanJunk, "清理系统垃圾(&Z)"},   {MenuItem::FastRestart, "快速重启(&I)  F10"},
    {MenuItem::FastShutdown, "快速关机(&Q)  F11"}, {MenuItem::SeparatorBeforeUpdate, "-"},
    {MenuItem::Update, "软件更新(&P)"},          {MenuItem::About, "关于(&A)"},
    {MenuItem::Help, "帮助(&H)"},                {MenuItem::Exit, "退出(&X)"},
};
inline constexpr std::size_t kPopupMenuSize = sizeof(kPopupMenu) / sizeof(kPopupMenu[0]);
inline constexpr unsigned kMenuCommandBase = 1000;  // command id of kPopupMenu[i]

const char* DesignCaption(MenuItem item);

}  // namespace ordavi
