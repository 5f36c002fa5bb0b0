// Texts are stored in GBK. A box whose text holds a character GBK cannot
// (typed, pasted, or a picked file's path) is refused rather than stored as
// "?": the message names the box, without its trailing colon.
#pragma once

#include <string>

#include "ui/user_message.h"

namespace ordavi {

inline UserMessage UnstorableTextMessage(const std::string& boxName) {
  return {"“" + boxName + "”中有无法保存的字符（简体中文 GBK 字符集以外的字符），请修改后再试。", kInfoCaption,
          MessageIcon::Information};
}

inline UserMessage UnstorablePathMessage() {
  return {"所选文件的路径中有无法保存的字符（简体中文 GBK 字符集以外的字符），请把文件放到其他文件夹或改名后再选。",
          kInfoCaption, MessageIcon::Information};
}

inline std::string BoxName(const std::string& caption) {
  std::string name = caption;
  if (!name.empty() && name.back() == ':') name.pop_back();
  if (name.size() >= 2 && name.compare(name.size() - 2, 2, "：") == 0) name.resize(name.size() - 2);
  return name;
}

}  // namespace ordavi
