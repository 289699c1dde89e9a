// The column-header strip (class WCLabel) above the view.
#pragma once

#include <windows.h>

LRESULT CALLBACK labelWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
