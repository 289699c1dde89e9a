// The hex view window (class WCView): painting, the caret and the keyboard,
// the mouse and scrolling.
#pragma once

#include <windows.h>

LRESULT CALLBACK viewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Paints the whole view afresh into `target` (WM_PRINTCLIENT), leaving the
// kept picture of WM_PAINT as it is, and stores the visible row count.
void paintView(HWND window, HDC target);

// Carries out what a view operation changed (ViewEffect bits of view/view_input.h):
// the thumb, a repaint, status texts, button states, the exit command.
void applyViewEffects(unsigned effects);

// Has the view painted: the paint compares the state with what the kept
// picture shows and draws and copies to the window only the rows that changed.
void repaintView();

// Has the view painted with every row drawn again, as if nothing were kept.
void redrawWholeView();

// Scrolls the view so that the caret's row shows (as the top row, as far as the
// end of the document allows), repaints, and refreshes the caret texts and the
// toolbar. Every command that moves the caret calls it afterwards. Returns 1.
int bringCaretIntoView();

// The Copy button's state from the selection (posted, as every button state).
void updateCopyButton();
