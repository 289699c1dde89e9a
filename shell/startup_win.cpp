#include "document/undo.h"
#include "shell/startup_win.h"

#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "resource_ids.h"
#include "shell/command_line.h"
#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "shell/frame_children_win.h"
#include "shell/frame_win.h"
#include "shell/layout_win.h"
#include "shell/panes_win.h"
#include "tools/error_box_win.h"
#include "tools/replace_dialog_win.h"
#include "view/label_win.h"
#include "view/view_win.h"

namespace {

// The frame class's small icon: loaded for the class, destroyed when the
// classes go (the large one comes from LoadIconA and is shared).
HICON mainSmallIcon = nullptr;

HICON loadOwnedIcon(int id, int cx, int cy, UINT flags) {
    return static_cast<HICON>(LoadImageA(appInstance, MAKEINTRESOURCEA(id), IMAGE_ICON, cx, cy, flags));
}

// Owned (not shared) copies, so that releaseResources may destroy them.
HCURSOR loadOwnedCursor(int id) {
    return static_cast<HCURSOR>(
        LoadImageA(appInstance, MAKEINTRESOURCEA(id), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE));
}

}  // namespace

int initEditorState() {
    EditorState* state = allocateEditorState();
    if (state == nullptr) return 0;
    auto* windows = static_cast<EditorWindows*>(std::calloc(1, sizeof(EditorWindows)));
    if (windows == nullptr) {
        freeEditorState(state);
        return 0;
    }
    state->windows = windows;
    editorState = state;

    InitCommonControls();
    loadSettings();

    EditorWindows& w = win();
    w.viewIcon = loadOwnedIcon(IDI_AUTOSCROLL, 0, 0, LR_DEFAULTSIZE);
    w.viewCursor1 = loadOwnedCursor(IDCUR_AUTOSCROLL_IDLE);
    w.viewCursor2 = loadOwnedCursor(IDCUR_AUTOSCROLL_DOWN);
    w.viewCursor3 = loadOwnedCursor(IDCUR_AUTOSCROLL_UP);
    return 1;
}

void freeEditorStateRecord() {
    if (editorState == nullptr) return;
    std::free(editorState->pendingOpenPath);
    std::free(editorState->windows);
    freeEditorState(editorState);
    editorState = nullptr;
}

int registerWindowClasses() {
    if (mainSmallIcon == nullptr) {
        mainSmallIcon = loadOwnedIcon(IDI_MAIN, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                      LR_DEFAULTCOLOR);
    }
    struct ClassSpec {
        const char* name;
        WNDPROC proc;
        bool frame;
        UINT style;
    };
    const ClassSpec classes[] = {
        {kMainClassName, frameWindowProc, true, 0},
        {kViewClassName, viewWindowProc, false, 0},
        {kClientClassName, clientWindowProc, false, 0},
        {kLabelClassName, labelWindowProc, false, 0},
    };
    for (const ClassSpec& c : classes) {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.style = CS_HREDRAW | CS_VREDRAW | c.style;
        wc.lpfnWndProc = c.proc;
        wc.hInstance = appInstance;
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = c.name;
        if (c.frame) {
            wc.hIcon = LoadIconA(appInstance, MAKEINTRESOURCEA(IDI_MAIN));
            wc.hIconSm = mainSmallIcon;
            wc.lpszMenuName = MAKEINTRESOURCEA(IDR_MAIN_MENU);
        }
        if (RegisterClassExA(&wc) == 0) return 0;
    }
    return registerPaneClasses();
}

void unregisterWindowClasses() {
    for (const char* name : {kMainClassName, kViewClassName, kClientClassName, kLabelClassName}) {
        UnregisterClassA(name, appInstance);
    }
    unregisterPaneClasses();
    releaseField(mainSmallIcon, DestroyIcon);
}

int createMainWindow(int anotherInstance, int showCommand) {
    const ScreenRect& r = editorState->windowRect;
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT, width = CW_USEDEFAULT, height = CW_USEDEFAULT;
    bool nothingStored = r.left == -1 || (r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0);
    if (!nothingStored) {
        width = r.right - r.left;
        height = r.bottom - r.top;
        // A second editor keeps the size but lets the system choose the place.
        if (!anotherInstance) {
            x = r.left;
            y = r.top;
        }
    }
    mainWindow = CreateWindowExA(0, kMainClassName, kProductName, WS_OVERLAPPEDWINDOW, x, y, width, height,
                                 nullptr, nullptr, appInstance, nullptr);
    if (mainWindow == nullptr) return 0;
    appendRecentMenu(mainWindow);
    // Editing without limits as the settings left it.
    if (editorState->unlimited != 0 && !setUnlimitedEditing(*editorState, true)) editorState->unlimited = 0;
    showUnlimitedMenuState(GetMenu(mainWindow));
    ShowWindow(mainWindow, showCommand);
    UpdateWindow(mainWindow);
    return 1;
}

void queueCommandLineFile(const char* commandLine) {
    const CommandLineFile file = parseCommandLineFile(commandLine);
    if (file.verdict == CommandLineVerdict::Nothing) return;
    if (file.verdict == CommandLineVerdict::TooLong) {
        showErrorCode(mainWindow, ERROR_FILENAME_EXCED_RANGE);
        return;
    }
    auto* copy = static_cast<char*>(std::malloc(file.name.size() + 1));
    if (copy == nullptr) return;
    std::memcpy(copy, file.name.c_str(), file.name.size() + 1);
    std::free(editorState->pendingOpenPath);
    editorState->pendingOpenPath = copy;
    PostMessageA(mainWindow, MSG_OPEN_PENDING, 0, reinterpret_cast<LPARAM>(copy));
}

int runMessageLoop(HACCEL accelerators) {
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        // Keys typed into the search windows are theirs, not the frame's accelerators.
        if (isSearchDialogMessage(message)) continue;
        // The panes' editors keep their keys (Delete, Ctrl+C ...) for their texts.
        if (!paneKeepsKey(message) && TranslateAcceleratorA(mainWindow, acceleratorsNow(accelerators), &message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
