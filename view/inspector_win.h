// The data inspector pane (class WCInspect): the bytes at the caret read as
// numbers, characters, dates, a GUID and a colour, at the right of the view.
#pragma once

#include <windows.h>

constexpr const char* kInspectorClassName = "WCInspect";

LRESULT CALLBACK inspectorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The pane host (shell/panes_win.h) shows, hides and places it through
// inspectorPaneHooks; its window is made only once the pane is shown.

// The pane follows the caret and the bytes under it: called by the pane host
// wherever the view is told to repaint or the caret's texts are written. Cheap: the values are
// read and shown once the keyboard lets go.
void inspectorFollow();

// Reads and shows at once what the pane has yet to show of the caret's
// values, which otherwise waits until the keyboard lets go.
void inspectorCatchUp();

// Whether `window` is the pane's value editor, whose keys the accelerators leave alone.
bool isInspectorEditor(HWND window);
