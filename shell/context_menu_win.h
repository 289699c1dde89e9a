// The context menus of the view's columns and the column-header strip.
#pragma once

#include <windows.h>

// Pops up context menu `menuId` at client point (x, y) of `owner`, with the
// kanji and edit-lock marks of the frame menu; the chosen command goes to the
// frame. 0 when the menu cannot be loaded.
int showContextMenu(HWND owner, int menuId, int x, int y);
