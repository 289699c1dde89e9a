// The frame's children: toolbar, status bar, the client container with the
// column-header strip, the view and the inspector pane; created by the
// frame's WM_CREATE.
#pragma once

#include <windows.h>

// Common controls from this version on draw flat toolbars.
constexpr unsigned kFlatToolbarVersion = (4u << 16) | 71u;

// The frame's WM_CREATE work: toolbar, status bar, container, strip, view. 0 on failure.
int createFrameChildren(HWND frame);

// The common-controls version, major << 16 | minor; 0 when unknown.
unsigned comctlVersion(const char* libraryName);

// The client container (class WCClient): it passes the focus on to the view
// and the pane tabs' notifications to the pane host.
LRESULT CALLBACK clientWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
