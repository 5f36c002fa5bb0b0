// The tray icon's popup menu: its items in order, with their design captions.
#pragma once

#include <cstddef>

namespace ordavi {

enum class MenuItem { n1, N2, n4, N5, n6, n7, n8, n9, n10, n11, n12, n13, L1, n18, n19, N14, N20, n15, n16, n17 };

struct MenuEntry {
  MenuItem item;
  const char* caption;  // "-" is a separator
};

// PopupMenu1 from top to bottom. The access keys are the letters after "&";
// captions naming a key have two blanks before it.
inline constexpr MenuEntry kPopupMenu[] = {
    {MenuItem::n1, "启用监控(&E)"},       {MenuItem::N2, "-"},
    {MenuItem::n4, "设置(&S)"},           {MenuItem::N5, "-"},
    {MenuItem::n6, "注销(&L)  F8"},       {MenuItem::n7, "待机(&W)  F9"},
    {MenuItem::n8, "休眠(&S)"},           {MenuItem::n9, "重启(&R)"},
    {MenuItem::n10, "关机(&U)"},          {MenuItem::n11, "打开光驱(&O)"},
    {MenuItem::n12, "关闭光驱(&C)"},      {MenuItem::n13, "关闭显示器(&M)"},
    {MenuItem::L1, "清理系统垃圾(&Z)"},   {MenuItem::n18, "快速重启(&I)  F10"},
    {MenuItem::n19, "快速关机(&Q)  F11"}, {MenuItem::N14, "-"},
    {MenuItem::N20, "软件更新(&P)"},      {MenuItem::n15, "关于(&A)"},
    {MenuItem::n16, "帮助(&H)"},          {MenuItem::n17, "退出(&X)"},
};
inline constexpr std::size_t kPopupMenuSize = sizeof(kPopupMenu) / sizeof(kPopupMenu[0]);

const char* DesignCaption(MenuItem item);

}  // namespace ordavi
