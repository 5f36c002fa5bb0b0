// The fixed words Ordavi stores and compares. The source is UTF-8 and the
// build turns literals into GBK, so each constant holds the stored bytes.
#pragma once

namespace ordavi::words {

// Enabled words (value D).
inline constexpr const char* kEnabled = "启用";
inline constexpr const char* kDisabled = "禁用";

// Schedule kind words, the first two characters of value A.
inline constexpr const char* kIdle = "空闲";
inline constexpr const char* kAfterBoot = "开机";
inline constexpr const char* kOnce = "一次";
inline constexpr const char* kDaily = "每天";
inline constexpr const char* kWeekly = "每周";
inline constexpr const char* kMonthly = "每月";
inline constexpr const char* kYearly = "每年";
// The condition kinds: after a program ends, network and processor quiet.
inline constexpr const char* kProgramEnds = "程序";
inline constexpr const char* kNetworkQuiet = "网速";
inline constexpr const char* kProcessorQuiet = "处理";

// Action type words (value B), in the order of the editor's type list.
inline constexpr const char* kRemind = "提醒";
inline constexpr const char* kOpenFile = "打开文件";
inline constexpr const char* kCloseProgram = "关闭程序";
inline constexpr const char* kHangUp = "断开拨号";
inline constexpr const char* kDial = "拨号连接";
inline constexpr const char* kLogOffPc = "注销计算机";
inline constexpr const char* kStandbyPc = "待机计算机";
inline constexpr const char* kHibernatePc = "休眠计算机";
inline constexpr const char* kRestartPc = "重启计算机";
inline constexpr const char* kShutDownPc = "关闭计算机";
inline constexpr const char* kFastRestart = "快速重启";
inline constexpr const char* kFastShutdown = "快速关机";
inline constexpr const char* kCleanJunk = "清理系统垃圾";
inline constexpr const char* kDisableAdapter = "禁用网卡";
inline constexpr const char* kEnableAdapter = "启用网卡";
inline constexpr const char* kKeepAwake = "保持唤醒";

// Pending action words carried by the countdown ("断开拨号", "快速重启" and
// "快速关机" are the type words themselves).
inline constexpr const char* kLogOff = "注销";
inline constexpr const char* kStandby = "待机";
inline constexpr const char* kHibernate = "休眠";
inline constexpr const char* kRestart = "重启";
inline constexpr const char* kShutDown = "关机";

}  // namespace ordavi::words
