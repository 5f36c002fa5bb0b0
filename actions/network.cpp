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

namespace {
// Whether the GBK text's last character would take the closing quote that
// follows it: a backslash of its own (not the trail byte of a double-byte
// character) escapes it by the rules of CommandLineToArgvW, and a lead byte
// with no trail byte after it becomes one character with the quote when the
// line is converted to UTF-16.
bool EndTakesClosingQuote(const std::string& gbk) {
  bool takes = false;
  for (std::size_t i = 0; i < gbk.size();) {
    const unsigned char b = static_cast<unsigned char>(gbk[i]);
    const bool pair = IsGbkLeadByte(b) && i + 1 < gbk.size();
    takes = !pair && (b == '\\' || IsGbkLeadByte(b));
    i += pair ? 2 : 1;
  }
  return takes;
}
}  // namespace

std::optional<std::string> AdapterCommand(const std::string& name, bool enable) {
  // Every refused byte but the backslash is below 0x40, so none can be the
  // trail byte of a GBK character: a byte-wise scan is exact for them.
  for (unsigned char c : name) {
    if (c == '"' || c == '%' || c == '!' || c < 0x20 || c == 0x7F) return std::nullopt;
  }
  if (EndTakesClosingQuote(name)) return std::nullopt;
  return std::string("int set int name=") + '"' + name + '"' + (enable ? " admin=enable" : " admin=disable");
}

std::string SystemProgramCommandLine(const std::string& systemDir, const std::string& program,
                                     const std::string& arguments) {
  const bool separated = !systemDir.empty() && (systemDir.back() == '\\' || systemDir.back() == '/');
  return '"' + systemDir + (separated ? "" : "\\") + program + "\" " + arguments;
}

std::string AdapterNameProblem(const std::string& name) {
  return "网卡连接名称\"" + QuoteForMessage(name) + "\"含有不能放入命令行的字符（\"、%、!、控制字符或末尾的\\）";
}

std::string RefusedAdapterNotice(const std::string& name) { return AdapterNameProblem(name) + "，未执行禁用/启用网卡"; }

void SetAdapterState(const std::string& name, bool enable, ShellPort& shell, NoticeSink& notices) {
  const std::optional<std::string> params = AdapterCommand(name, enable);
  if (!params) {
    notices.ShowNotice(RefusedAdapterNotice(name));
    return;
  }
  shell.RunHidden(kNetshProgram, *params, shell.WindowsDirectory());
}

}  // namespace ordavi
