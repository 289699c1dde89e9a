// The panes beside the view (the data inspector, the structure pane) share
// the area at the right of the view: one pane shown takes it alone; with
// more, a tab strip above them chooses the one in front. The frame's layout
// alone places the area; the view, the commands and the panes tell the host
// what changed through this header, which knows nothing of the layout.
#pragma once

#include <windows.h>

#include <cstdint>

#include "shell/editor_state.h"

// What a pane gives the host, registered once (see kPanes in panes_win.cpp).
struct PaneHooks {
    const char* className;
    WNDPROC windowProc;
    UINT classStyle;
    int command;    // the View menu item that shows and hides it, checked while shown
    int controlId;  // of its window
    int titleId;    // its tab's text
    int helpId;     // the help topic of F1 while it holds the focus
    const char* settingName;  // the registry value of its shown state and width
    PanePlacement& (*placement)(EditorState& s);
    int32_t& (*placementChanged)(EditorState& s);  // set once the user changed the placement
    HWND& (*window)();                              // made when first shown
    // Pixels it takes from a client container this wide while shown.
    int32_t (*width)(const EditorState& s, int32_t containerWidth);
    // The caret moved or the document's bytes may have changed: cheap, it may catch up later.
    void (*follow)();
    // About to be hidden (its editor closes).
    void (*hiding)();
    // Whether the accelerators leave this message to it (the keys of its editors).
    bool (*keepsKey)(const MSG& message);
};

// ------------------------------------------------ the frame's side

// Registers and unregisters the panes' window classes; 0 at the first failure.
int registerPaneClasses();
void unregisterPaneClasses();

// Start-up (the frame's children): the panes as the settings left them.
void restorePanes(HWND frame);
// Shutdown: the panes' windows and the tab strip go.
void destroyPanes();

// A pane's command: shows a hidden pane (in front), brings a shown one that
// stands behind another to the front, and hides the one in front. False for
// ids no pane has.
bool paneCommand(HWND frame, int id);

// The layout: pixels the pane area takes from a client container this wide
// (0 while no pane is shown), and the area's place at the right of the view.
int32_t paneAreaWidth(int32_t containerWidth);
void placePanes(int left, int width, int height);

// WM_NOTIFY of the client container: the tab strip's choice.
LRESULT panesNotify(const NMHDR* notification);

// The message loop: whether the accelerators leave this message to a pane.
bool paneKeepsKey(const MSG& message);
// The help topic of the pane holding the focus, 0 when none does.
int focusedPaneHelp();

// Settings: each pane's registry value, and the pane in front.
size_t paneCount();
const PaneHooks& paneAt(size_t index);
constexpr const char* kFrontPaneSetting = "PaneTab";

// ------------------------------------------------ what the view and the panes tell

// The caret moved, or the bytes may have changed: every shown pane follows.
void panesFollow();

// A pane's width changed (its splitter was dragged): the frame lays out again.
// Defined by the frame's layout.
void panePlacementChanged();

// Whether the keyboard focus is in a pane (a click in the view takes it back).
bool paneHasFocus();

// A pane's window procedure hands its messages here first: the bar at its
// left edge (kPaneSplitter pixels) shows the sizing cursor and takes the
// drags that resize the pane. True when the message was taken, with its result.
bool paneSplitterMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
