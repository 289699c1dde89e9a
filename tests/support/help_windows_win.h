// The HTML Help windows the program opens in the test process.
#pragma once

#include <windows.h>

#include <vector>

namespace gui {

// Top-level help windows (class "HH Parent") of this process.
std::vector<HWND> helpWindows();
// Closes them all through the help control, which also lets go of the help
// file; nothing happens when the control was never loaded.
void closeHelpWindows();

}  // namespace gui
