// The command line of Ordavi.exe: what a script asks for, what the console
// is told and the exit code. The program stays a GUI program; the shell
// writes `output` to the console that started it, when there is one.
//
// Arguments and output are UTF-8, so that a file name of any characters
// reaches the file system exactly; the core's GBK texts are converted
// through the GbkCodec port.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "schedule/schedule.h"
#include "store/options.h"
#include "store/tasks.h"
#include "actions/keep_awake.h"
#include "store/unicode.h"
#include "transfer/export_import.h"

namespace ordavi {

enum class CommandKind { RunAgent, Usage, Export, Import, List, Cancel, Quit, Awake };

struct Command {
  CommandKind kind = CommandKind::RunAgent;
  std::string file;      // Export, Import (UTF-8, as given)
  bool replace = false;  // Import
  std::int32_t awakeMinutes = 0;  // Awake: 1 to kMaxAwakeMinutes, 0 for "off"
};

// Exit codes.
inline constexpr int kExitDone = 0;
inline constexpr int kExitRefused = 1;       // the command was understood and refused, with a reason
inline constexpr int kExitBadArguments = 2;  // nothing was done

struct ParsedCommandLine {
  Command command;
  // Set when the arguments were refused: why (GBK) and the argument it is
  // about (UTF-8; may be empty).
  std::string error;
  std::string argument;
};

// Switches are case-insensitive and start with '/', '-' or "--":
//   (nothing)                  run the agent
//   /export FILE               write the task file
//   /import FILE [/replace]    read it: add the tasks, or replace all tasks and the options
//   /list  /cancel  /quit      list the tasks; cancel the agent's countdown; end the agent
//   /awake MINUTES  /awake off keep the PC awake through the agent, or end that
//                              (the agent's keep-awake, whoever started it)
//   /?  /h  /help              the usage
// A switch nobody knows, a missing or extra file name, two commands, or
// /replace without /import refuse the whole line.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);

// The usage (GBK), lines ended by CRLF.
std::string UsageText();

struct CommandOutcome {
  int exitCode = kExitDone;
  std::string output;  // UTF-8, lines ended by CRLF
};

// The usage for /?, or the reason and the usage for refused arguments.
CommandOutcome UsageOutcome(const ParsedCommandLine& parsed, GbkCodec& codec);

// What the command line needs of the store.
using CommandStore = TaskFileStore;

// /export and /import: the settings dialog's export and import, told to the
// console; /import also lists what the imported tasks start.
CommandOutcome RunExport(const Command& command, CommandStore& store, FileAccess& files);
CommandOutcome RunImport(const Command& command, CommandStore& store, FileAccess& files);
// One line per task (slots without a schedule left out): number, enabled
// word, schedule, type, parameter and the next run as of `now`; a disabled
// task says so instead of a next run; a task that catches up what it missed
// ends with 错过后补运行. Then, when the session's agent keeps the PC awake,
// its tray tip's line (`keepingAwake`, GBK, as the agent published it).
CommandOutcome RunList(CommandStore& store, const ScheduleNow& now, std::uint32_t uptimeMinutes,
                       const std::string& keepingAwake = std::string());

// What the session's running agent answered a request of /cancel, /quit or
// /awake.
enum class AgentReply {
  NoAgent,      // no agent runs in this session
  Done,         // the countdown was cancelled; the agent has ended; the keep-awake started or ended
  NoCountdown,  // /cancel: the agent runs no countdown; /awake off: no keep-awake; /awake N: the battery is low
  NoAnswer,     // asked, but no answer in time (a message box may be open)
};
// /cancel, /quit and /awake: a request that reached the agent is done (0)
// even unanswered; no agent, or nothing to do, is a refusal (1). `awakeOff`:
// the request was /awake off.
CommandOutcome AgentRequestOutcome(CommandKind kind, AgentReply reply, GbkCodec& codec, bool awakeOff = false);

}  // namespace ordavi
