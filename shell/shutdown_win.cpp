#include "shell/shutdown_win.h"

#include <windows.h>

#include <cstdlib>

#include "document/record_list.h"
#include "document/undo.h"
#include "platform/process_win.h"
#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "shell/panes_win.h"

void releaseResources(int storeSettings) {
    if (editorState == nullptr) return;
    EditorState& s = *editorState;
    if (storeSettings && mainWindow != nullptr) {
        // A second editor, a minimised and a maximised frame write back the loaded place.
        if (!anotherInstanceAtStart && !IsIconic(mainWindow) && !IsZoomed(mainWindow)) {
            RECT r{};
            if (GetWindowRect(mainWindow, &r)) s.windowRect = {r.left, r.top, r.right, r.bottom};
        }
        saveSettings();
    }

    EditorWindows& w = win();
    releaseField(w.viewIcon, DestroyIcon);
    releaseField(w.viewCursor1, DestroyCursor);
    releaseField(w.viewCursor2, DestroyCursor);
    releaseField(w.viewCursor3, DestroyCursor);
    std::free(s.documentBytes);
    s.documentBytes = nullptr;
    freeUnlimitedEditing(s);
    releaseUnlimitedAccelerators();
    releaseField(w.displayFont, DeleteObject);
    releaseField(w.statusWindow, DestroyWindow);
    releaseField(w.toolbarWindow, DestroyWindow);
    destroyPanes();
    releaseField(w.viewWindow, DestroyWindow);
    releaseField(w.labelWindow, DestroyWindow);
    releaseField(w.clientWindow, DestroyWindow);
    // The printer choice the setup dialog may have kept.
    releaseField(w.printSetup.hDevMode, GlobalFree);
    releaseField(w.printSetup.hDevNames, GlobalFree);

    freeRecordLists(s);
}
