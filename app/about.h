// The product's maker and download page, shown in the About box and opened by
// the tray menu's software-update command.
#pragma once

namespace ordavi {

inline constexpr const char* kMakerName = "Velmora 软件工作室";
inline constexpr const char* kDownloadPage = "https://ordavi.velmora.example/download";

// The About box's label captions; the colon is followed by four blanks.
inline constexpr const char* kAboutName = "名称:    Ordavi";
inline constexpr const char* kAboutVersion = "版本:    2017";
inline constexpr const char* kAboutDate = "时间:    2017年11月25日";
inline constexpr const char* kAboutMakerPrefix = "制作:    ";

}  // namespace ordavi
