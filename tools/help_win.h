// The help file beside the program, shown through the system's HTML Help
// control, which is loaded on first use.
#pragma once

#include <windows.h>

constexpr const char* kHelpFileName = "MOXEL.CHM";

// Opens the help file at the topic mapped to `context` (0: the default
// topic). The help window belongs to the desktop, not to `owner`; `owner`
// only owns the error box shown when no window opens. 1 when it opened.
int showHelp(HWND owner, int context);

// The directory of the program file, without a trailing separator, into
// `out` (kPathLength bytes). False with `out` empty when it cannot be told.
bool programDirectory(char* out);
