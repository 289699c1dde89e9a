// The hex view window (class WCView): painting, the caret and the keyboard,
// the mouse and scrolling.
#pragma once

#include <windows.h>

LRESULT CALLBACK viewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Paints the whole view into `target` through the off-screen bitmap (WM_PAINT
// and WM_PRINTCLIENT both come here), and stores the visible row count.
void paintView(HWND window, HDC target);

// Carries out what a view operation changed (ViewEffect bits of view/view_input.h):
// the thumb, a repaint, status texts, button states, the exit command.
void applyViewEffects(unsigned effects);

// Invalidates the whole view without background erase; the next paint redraws it all.
void repaintView();

// Scrolls the view so that the caret's row shows (as the top row, as far as the
// end of the document allows), repaints, and refreshes the caret texts and the
// toolbar. Every command that moves the caret calls it afterwards. Returns 1.
int bringCaretIntoView();

// The Copy button's state from the selection (posted, as every button state).
void updateCopyButton();
