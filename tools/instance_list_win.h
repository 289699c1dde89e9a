// Other editor processes, found as top-level windows of class WCMain whose
// title "MOXEL - <path>" names the file they show. findInstanceWindow,
// closeOtherInstances and instanceListCommand are declared in
// shell/commands_win.h.
#pragma once

#include <windows.h>

#include "shell/commands_win.h"

// Modes of the walk over the top-level windows.
enum InstanceWalkMode : int { walkFind = 0, walkCloseOthers = 1, walkFillList = 2 };

// The walk. walkFind: the first editor window (this process's own included)
// showing `path`, ignoring case; the result is that window cast to an int
// pointer-sized value through `found`, and the return is 1 when one was found.
// walkCloseOthers: posts WM_CLOSE to every other editor window showing a file.
// walkFillList: adds every other editor window's path to `listBox`, with the
// window as item data; returns the number added.
int enumerateInstances(HWND listBox, int mode, const char* path, HWND* found = nullptr);

// Adds the other editor windows showing a file to `listBox`; the count added.
int listOtherInstances(HWND listBox);

// The file an editor window shows: its title after the first 8 characters.
// False (and `out` empty) when the title is shorter than that.
bool instanceFileName(HWND window, char* out);

// The procedure of dialog IDD_INSTANCE_LIST.
INT_PTR CALLBACK instanceListDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
