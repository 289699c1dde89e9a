#include "shell/frame_win.h"

#include <shellapi.h>

#include <cstdlib>
#include <string>

#include "document/undo.h"
#include "platform/platform.h"
#include "resource_ids.h"
#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "shell/exit_question.h"
#include "shell/frame_children_win.h"
#include "shell/layout_win.h"
#include "shell/panes_win.h"
#include "shell/product.h"
#include "shell/shutdown_win.h"
#include "tools/error_box_win.h"
#include "view/view_win.h"

namespace {

// Routes one command to its owner; false for ids the table does not list.
bool dispatchCommand(HWND window, int id) {
    if (id >= IDM_RECENT_FIRST && id <= IDM_RECENT_LAST) {
        openRecentCommand(window, id - IDM_RECENT_FIRST);
        return true;
    }
    switch (id) {
        case IDM_OPEN: openCommand(window); break;
        case IDM_CLOSE_AND_OPEN: closeAndOpenCommand(window); break;
        case IDM_SAVE:
            if (saveCommand(window)) repaintView();
            break;
        case IDM_SAVE_AS:
            if (saveAsCommand(window)) repaintView();
            break;
        case IDM_PRINT: printCommand(window); break;
        case IDM_PRINTER_SETUP: printerSetupCommand(window); break;
        case IDM_FONT: changeFontCommand(window); break;
        case IDM_RUN: runProgramCommand(window); break;
        // Both close through WM_CLOSE, so the save prompt of the close box applies.
        case IDM_EXIT:
            if (confirmExit(window, 0)) PostMessageA(window, WM_CLOSE, 0, 0);
            break;
        case IDM_QUIT_ALL:
            if (confirmExit(window, 1)) PostMessageA(window, WM_CLOSE, 0, 0);
            break;
        case IDM_UNDO: showChangeHistoryCommand(window); break;
        case IDM_COPY: copyRowsCommand(window); break;
        case IDM_PASTE: pasteTextCommand(window); break;
        case IDM_SELECT_ALL: selectAllCommand(window); break;
        case IDM_INSERT: insertByteCommand(window); break;
        case IDM_DELETE: deleteByteCommand(window); break;
        case IDM_DELETE_RANGE: deleteRangeCommand(window); break;
        case IDM_ASCII_EDIT: editAsTextCommand(window); break;
        case IDM_MARK: toggleMarkCommand(window); break;
        case IDM_NEXT_MARK: gotoNextMarkCommand(window); break;
        case IDM_JUMP: jumpCommand(window); break;
        case IDM_FIND: findCommand(window); break;
        case IDM_FIND_NEXT: findNextCommand(window); break;
        case IDM_FIND_PREVIOUS: findPreviousCommand(window); break;
        case IDM_REPLACE: replaceCommand(window); break;
        case IDM_EDIT_LOCK:
            toggleMenuCheck(IDM_EDIT_LOCK);
            updateToolbarStates();
            break;
        case IDM_TOOLBAR:
        case IDM_STATUSBAR:
            toggleMenuCheck(id);
            layoutFrame();
            break;
        case IDM_KANJI:
            toggleMenuCheck(IDM_KANJI);
            repaintView();
            break;
        case IDM_INSTANCE_LIST: instanceListCommand(window); break;
        case IDM_COMPARE: compareCommand(window); break;
        case IDM_NUMBER_CONVERSION: numberConversionCommand(window); break;
        case IDM_OPTIONS: runOptionsDialogCommand(window); break;
        case IDM_HELP: showHelpCommand(window); break;
        case IDM_HOMEPAGE: homePageCommand(window); break;
        case IDM_ABOUT: aboutCommand(window); break;
        case IDM_HEX_COPY: copyHexCommand(window); break;
        case IDM_HEX_PASTE: pasteHexCommand(window); break;
        case IDM_CHECKSUMS: checksumsCommand(window); break;
        case IDM_NEXT_DIFFERENCE: nextDifferenceCommand(window); break;
        case IDM_PREVIOUS_DIFFERENCE: previousDifferenceCommand(window); break;
        case IDM_UNLIMITED: toggleUnlimitedCommand(window); break;
        case IDM_STEP_UNDO: stepUndoCommand(window); break;
        case IDM_REDO: redoCommand(window); break;
        case IDM_CUT: cutCommand(window); break;
        case IDM_FILL: fillCommand(window); break;
        default: return paneCommand(window, id);
    }
    return true;
}

LRESULT onCreate(HWND window) {
    if (!createFrameChildren(window)) {
        showError(window, -1, nullptr);
        return -1;
    }
    DragAcceptFiles(window, TRUE);
    return 0;
}

void onDestroy(HWND window) {
    DragAcceptFiles(window, FALSE);
    releaseResources(1);
    PostQuitMessage(0);
    // Nothing may reach the frame through the global once it is gone.
    if (mainWindow == window) mainWindow = nullptr;
}

void onSize(WPARAM wParam, LPARAM lParam) {
    if (editorState == nullptr) return;
    // The bars place and size themselves on their own WM_SIZE.
    if (win().toolbarWindow != nullptr) SendMessageA(win().toolbarWindow, WM_SIZE, wParam, lParam);
    if (win().statusWindow != nullptr) SendMessageA(win().statusWindow, WM_SIZE, wParam, lParam);
    layoutFrame();
    setStatusParts();
}

void onDropFiles(HWND window, HDROP drop) {
    if (DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0) >= 1) {
        char name[kPathLength];
        if (DragQueryFileA(drop, 0, name, sizeof name) > 0) openFile(window, name, 1);
    }
    DragFinish(drop);
}

void onOpenPending(HWND window) {
    EditorState& s = *editorState;
    if (s.pendingOpenPath != nullptr && s.pendingOpenPath[0] != '\0') {
        SetWindowTextA(window, kProductName);
        openFile(window, s.pendingOpenPath, 1);
    }
    if (s.pendingOpenPath != nullptr) {
        std::free(s.pendingOpenPath);
        s.pendingOpenPath = nullptr;
    }
}

}  // namespace

int confirmExit(HWND window, int all) {
    // Unsaved changes: the save prompt of WM_CLOSE asks instead.
    if (editorState->modified != 0) return 1;
    const std::string question = exitQuestionText(all);
    if (askQuestion(window, question.c_str(), questionOkCancel) != answerOk) return 0;
    if (all) closeOtherInstances();
    return 1;
}

LRESULT CALLBACK frameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: return onCreate(window);
        case WM_DESTROY: onDestroy(window); return 0;
        case WM_SIZE: onSize(wParam, lParam); return 0;
        case WM_SETFOCUS:
            if (editorState != nullptr && win().viewWindow != nullptr) SetFocus(win().viewWindow);
            return 0;
        case WM_CLOSE:
            if (askSaveChanges(window)) DestroyWindow(window);
            return 0;
        case WM_ENDSESSION:
            askSaveChanges(window);
            if (wParam != 0) releaseResources(1);
            return 0;
        case WM_NOTIFY: return supplyTooltip(reinterpret_cast<NMHDR*>(lParam));
        case WM_COMMAND:
            // Any command ends a run of typed digits: the next digit is a step of its own.
            if (editorState != nullptr) endTypedRun(*editorState);
            if (dispatchCommand(window, LOWORD(wParam))) return 0;
            break;
        case WM_TIMER:
            if (wParam == kPasteTimerId) updatePasteButton();
            if (wParam == kStatusTimerId) showWaitingStatus();
            return 0;
        case WM_MOUSEWHEEL:
            // The wheel over the toolbar, the status bar, the container or the
            // strip bubbles up to here unhandled: it scrolls the view all the same.
            if (editorState != nullptr && win().viewWindow != nullptr) {
                return SendMessageA(win().viewWindow, message, wParam, lParam);
            }
            break;
        case WM_INITMENU: enableMenuItems(reinterpret_cast<HMENU>(wParam)); return 0;
        case WM_MENUSELECT: showMenuHelp(wParam, reinterpret_cast<HMENU>(lParam)); return 0;
        case WM_DROPFILES: onDropFiles(window, reinterpret_cast<HDROP>(wParam)); return 0;
        case MSG_OPEN_PENDING: onOpenPending(window); return 0;
        default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
