// Work for a test to do once the dialog now opening is up: a modal loop (or
// any message pump) of this thread runs it, after the dialog was activated
// and shown. The dialog answers of DialogScript run earlier, at activation,
// when a dialog may not be visible yet.
#pragma once

#include <windows.h>

#include <functional>

namespace gui {

// Posts `work` to a message-only window of this thread; the next message
// pump that dispatches posted messages runs it.
void runLater(std::function<void()> work);

// Runs `work` from a timer once `window` is visible. A modal dialog without
// WS_VISIBLE shows itself only when its queue first runs empty, which posted
// work would prevent.
void runWhenVisible(HWND window, std::function<void()> work);

}  // namespace gui
