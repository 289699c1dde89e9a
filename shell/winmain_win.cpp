// The entry point. Kept out of the library so that the GUI tests can build
// the real windows in their own process.
#include <windows.h>

#include "resource_ids.h"
#include "shell/editor_state_win.h"
#include "shell/frame_win.h"
#include "shell/shutdown_win.h"
#include "shell/startup_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
    anotherInstanceAtStart = FindWindowA(kMainClassName, nullptr) != nullptr ? 1 : 0;
    appInstance = instance;
    if (!initEditorState()) return 0;
    if (!registerWindowClasses() || !createMainWindow(anotherInstanceAtStart, showCommand)) {
        releaseResources(0);
        freeEditorStateRecord();
        return 0;
    }
    HACCEL accelerators = LoadAcceleratorsA(appInstance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    queueCommandLineFile(commandLine);
    SetTimer(mainWindow, kPasteTimerId, kPasteTimerPeriod, nullptr);

    int exitCode = runMessageLoop(accelerators);
    freeEditorStateRecord();
    unregisterWindowClasses();
    return exitCode;
}
