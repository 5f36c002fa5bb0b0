#include "app/win32/command_line_shell.h"

#include <windows.h>
#include <shellapi.h>

#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "app/win32/agent_slot.h"
#include "schedule/schedule.h"
#include "store/registry.h"
#include "store/tasks.h"
#include "store/win32/gbk_text.h"
#include "store/win32/win32_registry.h"
#include "transfer/win32/win32_file_access.h"
#include "schedule/win32/win32_clock.h"

namespace ordavi {

namespace {

// A file name made full against the current directory (a UNC name stays as
// it is).
std::string FullPath(const std::string& utf8) {
  const std::wstring name = WideFromUtf8(utf8);
  const DWORD n = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
  if (n == 0) return utf8;
  std::wstring full(n, L'\0');
  const DWORD written = GetFullPathNameW(name.c_str(), n, full.data(), nullptr);
  if (written == 0 || written >= n) return utf8;
  full.resize(written);
  return Utf8FromWide(full);
}

// Output to a redirected standard output (UTF-8 bytes) or to the starting
// program's console (UTF-16); nothing without either.
void WriteOutput(const std::string& utf8) {
  if (utf8.empty()) return;
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  const DWORD type = out && out != INVALID_HANDLE_VALUE ? GetFileType(out) : FILE_TYPE_UNKNOWN;
  if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE) {
    DWORD written = 0;
    WriteFile(out, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    return;
  }
  DWORD mode = 0;
  if (type == FILE_TYPE_CHAR && !GetConsoleMode(out, &mode)) {  // NUL or a port
    DWORD written = 0;
    WriteFile(out, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    return;
  }
  if (type != FILE_TYPE_CHAR) {
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    out = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE) return;
  }
  // The prompt of the console's shell is already showing: start on a line
  // of its own.
  const std::wstring text = L"\r\n" + WideFromUtf8(utf8);
  DWORD written = 0;
  WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

CommandOutcome RunOnTheStore(const Command& command) {
  Win32GbkCodec codec;
  Win32RegistryRoot registryRoot;
  const std::unique_ptr<RegistryKey> programKey = registryRoot.OpenKey(kProgramKeyPath);
  Registry registry(*programKey);
  TaskStore tasks(registry);
  tasks.FollowCounter();
  Win32DateFormatSource dateFormat;
  CommandStore store{tasks, registry, codec, dateFormat.ShortDateFormat()};
  Win32FileAccess files;
  switch (command.kind) {
    case CommandKind::Export:
      return RunExport(command, store, files);
    case CommandKind::Import:
      return RunImport(command, store, files);
    default: {
      Win32LocalClock localClock;
      Win32SystemClock systemClock;
      return RunList(store, localClock.LocalTime(), UptimeMinutes(systemClock), RunningAgentKeepAwakeLine());
    }
  }
}

CommandOutcome Run(const ParsedCommandLine& parsed) {
  Win32GbkCodec codec;
  switch (parsed.command.kind) {
    case CommandKind::Export:
    case CommandKind::Import:
    case CommandKind::List:
      return RunOnTheStore(parsed.command);
    case CommandKind::Cancel:
      return AgentRequestOutcome(CommandKind::Cancel, AskRunningAgentToCancelCountdown(), codec);
    case CommandKind::Quit:
      return AgentRequestOutcome(CommandKind::Quit, AskRunningAgentToQuit(), codec);
    case CommandKind::Awake: {
      const std::int32_t minutes = parsed.command.awakeMinutes;
      return AgentRequestOutcome(CommandKind::Awake, AskRunningAgentToKeepAwake(minutes), codec, minutes == 0);
    }
    case CommandKind::Usage:
    case CommandKind::RunAgent:
      break;
  }
  return UsageOutcome(parsed, codec);
}

}  // namespace

ParsedCommandLine ReadCommandLine() {
  std::vector<std::string> args;
  int count = 0;
  if (wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count)) {
    for (int i = 1; i < count; ++i) args.push_back(Utf8FromWide(argv[i]));
    LocalFree(argv);
  }
  ParsedCommandLine parsed = ParseCommandLine(args);
  if (!parsed.command.file.empty()) parsed.command.file = FullPath(parsed.command.file);
  return parsed;
}

int RunCommandLine(const ParsedCommandLine& parsed) {
  CommandOutcome outcome;
  try {
    outcome = Run(parsed);
  } catch (const std::exception& e) {  // the store's errors are GBK
    Win32GbkCodec codec;
    outcome = {kExitRefused, Utf8FromGbk(codec, e.what()).value_or(e.what()) + "\r\n"};
  }
  WriteOutput(outcome.output);
  return outcome.exitCode;
}

}  // namespace ordavi
