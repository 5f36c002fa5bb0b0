// The command line of Ordavi.exe over the Win32 API: the arguments, the
// console, the files, the registry key and the running agent. What each
// command does and says is decided in app/command_line.h.
//
// Ordavi.exe stays a GUI program. Its output goes to the standard output it
// was given when that is a file or a pipe (a script's redirection), as UTF-8;
// else to the console of the program that started it, when there is one;
// else nowhere. The exit code is the command's.
#pragma once

#include "app/command_line.h"

namespace ordavi {

// The process's arguments, parsed. Call it before the start moves the
// current directory to the system directory: a relative file name is made
// full here, against the directory the user started the program in.
ParsedCommandLine ReadCommandLine();

// Runs a command other than RunAgent, writes what it says and returns the
// exit code.
int RunCommandLine(const ParsedCommandLine& parsed);

}  // namespace ordavi
