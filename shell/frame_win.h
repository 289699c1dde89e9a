// The frame window (class WCMain) and its command table.
#pragma once

#include <windows.h>

// The frame's timer that keeps the Paste button in step with the clipboard.
constexpr UINT_PTR kPasteTimerId = 2;
constexpr UINT kPasteTimerPeriod = 700;

LRESULT CALLBACK frameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// 1 when the program may close (with `all`, after the other editors were told to).
int confirmExit(HWND window, int all);
