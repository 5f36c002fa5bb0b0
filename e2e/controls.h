// Driver commands on the child controls of one window (see controls.cpp).
#pragma once

#include <windows.h>

#include <string>

// GBK (code page 936) and UTF-16, converted explicitly: the driver's texts
// are GBK on any system, as the agent's own, and the agent's windows are
// read and written through the W functions.
std::string GbkOf(const std::wstring& wide);
std::wstring WideOf(const std::string& gbk);

// A window's class name.
std::string ClassOf(HWND h);

bool IsControlCommand(const std::string& cmd);
// `argv` holds the arguments after CLASS and CAPTION. Returns the exit code.
int ControlCommand(HWND window, const std::string& cmd, int argc, char** argv);
