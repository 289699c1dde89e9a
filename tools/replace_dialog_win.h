// The search and replace dialog and the find-all list: modeless windows
// beside the frame.
#pragma once

#include <windows.h>

// Lets the open search windows handle their own keys (Tab, Enter, Esc, and
// typing into their fields instead of the frame's accelerators). True when
// the message was theirs.
bool isSearchDialogMessage(MSG& message);

// Find next (or, `backward`, find previous) with the dialog's last search,
// as EditorState::repeatOptions holds it; progress and Cancel as the
// dialog's own searches.
void repeatDialogSearch(HWND owner, bool backward);

// The open dialog and list (null when closed), for the tests.
HWND replaceDialogWindow();
HWND findAllWindow();
