// Driver commands on the child controls of one window (see controls.cpp).
#pragma once

#include <windows.h>

#include <string>

// A window's class name.
std::string ClassOf(HWND h);

bool IsControlCommand(const std::string& cmd);
// `argv` holds the arguments after CLASS and CAPTION. Returns the exit code.
int ControlCommand(HWND window, const std::string& cmd, int argc, char** argv);
