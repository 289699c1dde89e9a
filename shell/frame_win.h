// The frame window (class WCMain) and its command table.
#pragma once

#include <windows.h>

LRESULT CALLBACK frameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// 1 when the program may close (with `all`, after the other editors were told to).
int confirmExit(HWND window, int all);

// The unsaved-changes prompt; 0 when the user cancelled, else 1.
int askSaveChanges(HWND window);

// Pops up context menu `menuId` at client point (x, y) of `owner`; 0 when it cannot be loaded.
int showContextMenu(HWND owner, int menuId, int x, int y);
