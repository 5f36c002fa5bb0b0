#include "actions/network.h"

#include "store/text.h"

namespace ordavi {

void HangUpDialup(DialupSystem& ras, NoticeSink& notices) {
  const DialupSystem::Connections c = ras.EnumConnections();
  if (c.status != 0) return;  // includes more than ten connections: buffer too small
  if (c.count == 0) {
    notices.ShowNotice(kNoDialupNotice);
    return;
  }
  notices.ShowNotice(ras.HangUp(c.firstHandle) != 0 ? kHangUpFailedNotice : kHangUpDoneNotice);
}

void DialDefaultConnection(DialupSystem& ras) { ras.AutodialDefault(); }

std::optional<std::string> AdapterCommand(const std::string& name, bool enable) {
  // Every refused byte is below 0x40, so none can be the trail byte of a GBK
  // character: a byte-wise scan is exact.
  for (unsigned char c : name) {
    if (c == '"' || c == '%' || c == '!' || c < 0x20 || c == 0x7F) return std::nullopt;
  }
  return std::string("/c  netsh int set int name=") + '"' + name + '"' + (enable ? " admin=enable" : " admin=disable");
}

std::string AdapterNameProblem(const std::string& name) {
  return "网卡连接名称\"" + QuoteForMessage(name) + "\"含有不能放入命令行的字符（\" % ! 或控制字符）";
}

std::string RefusedAdapterNotice(const std::string& name) { return AdapterNameProblem(name) + "，未执行禁用/启用网卡"; }

void SetAdapterState(const std::string& name, bool enable, ShellPort& shell, NoticeSink& notices) {
  const std::optional<std::string> params = AdapterCommand(name, enable);
  if (!params) {
    notices.ShowNotice(RefusedAdapterNotice(name));
    return;
  }
  shell.RunHidden("cmd.exe", *params, shell.WindowsDirectory());
}

}  // namespace ordavi
