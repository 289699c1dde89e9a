// Opening a file or an address with the program the system associates with it.
#pragma once

#include <windows.h>

// ShellExecuteA "open" on `target`; false, after the error box, when the
// system reports a failure (a result of 32 or less).
bool runProgram(HWND owner, const char* target);

// The launching call, which tests may replace to see the system's exact
// answers; null puts ShellExecuteA back. Returns the previous one.
using ShellExecuteFunction = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
ShellExecuteFunction setShellExecuteFunction(ShellExecuteFunction function);
