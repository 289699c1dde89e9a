#include "tools/launch_win.h"

#include <shellapi.h>

#include "platform/platform.h"
#include "resource_ids.h"
#include "shell/commands_win.h"
#include "shell/editor_state.h"
#include "tools/launch_result.h"

namespace {

ShellExecuteFunction shellExecute = ShellExecuteA;

}  // namespace

ShellExecuteFunction setShellExecuteFunction(ShellExecuteFunction function) {
    ShellExecuteFunction previous = shellExecute;
    shellExecute = function != nullptr ? function : ShellExecuteA;
    return previous;
}

bool runProgram(HWND owner, const char* target) {
    SetLastError(0);
    auto result = reinterpret_cast<INT_PTR>(shellExecute(owner, "open", target, nullptr, nullptr, SW_SHOW));
    if (result > 32) return true;
    // The result names the failure when the last error does not.
    if (GetLastError() == ERROR_SUCCESS) SetLastError(systemCodeForLaunchResult(static_cast<int>(result)));
    showError(owner, -1, nullptr);
    return false;
}

void runProgramCommand(HWND owner) {
    if (editorState == nullptr) return;
    // The file as it is on disk; with no file the empty target fails and says so.
    runProgram(owner, editorState->filePath);
}

void homePageCommand(HWND owner) {
    char address[kPathLength];
    loadText(IDS_HOMEPAGE_URL, address, sizeof address);
    runProgram(owner, address);
}
