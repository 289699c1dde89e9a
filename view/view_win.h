// The hex view window (class WCView): painting, the caret and the keyboard,
// the mouse and scrolling.
#pragma once

#include <windows.h>

LRESULT CALLBACK viewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Invalidates the whole view without background erase; the next paint redraws it all.
void repaintView();

// Scrolls the view so that the caret's row shows (as the top row, as far as the
// end of the document allows), repaints, and refreshes the caret texts and the
// toolbar. Every command that moves the caret calls it afterwards. Returns 1.
int bringCaretIntoView();

// The Copy button's state from the selection (posted, as every button state).
void updateCopyButton();
