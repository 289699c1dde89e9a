// The change-history dialog in the real program with its list full: 2,000
// change records, the list's whole capacity.
//
//   bench_history
//
// (a) opening the dialog until it is shown, which fills the list: the
//     baseline;
// (b) reverting every row at once, the list shown with its rows selected,
//     from the press of the button until the dialog has closed;
// (c) reverting every other row (1,000 of 2,000), the dialog staying open,
//     until the list has been redrawn.
// Prints the best of a few runs. No assertions: figures only, and whether
// the document came back byte for byte.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "document/change_list_dialog_win.h"
#include "document/record_list.h"
#include "resource_ids.h"
#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "shell/startup_win.h"
#include "bench_support_win.h"

namespace {

using bench::best;
using bench::now;
using bench::pump;

constexpr int kRuns = 3;
constexpr int kRecords = 2000;

enum class Revert { All, EveryOther };

// What the hook does once the dialog is active, and what it saw.
struct Session {
    Revert revert = Revert::All;
    double opened = 0;    // when the dialog had been shown
    double pressed = 0;   // when the button press was posted
    double handled = 0;   // partial revert: when the list had been redrawn
    int rows = 0;
    int rowsAfter = -1;   // partial revert: rows left
} session;

HWND listOf(HWND dialog) { return GetDlgItem(dialog, IDC_CL_LIST); }

void setSelected(HWND list, int row) {
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

// A timer comes after the paints that are due: the dialog shown, or the
// list redrawn after a press.
VOID CALLBACK afterPress(HWND dialog, UINT, UINT_PTR timer, DWORD) {
    session.handled = now();
    KillTimer(dialog, timer);
    session.rowsAfter = static_cast<int>(SendMessageA(listOf(dialog), LVM_GETITEMCOUNT, 0, 0));
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

VOID CALLBACK whenShown(HWND dialog, UINT, UINT_PTR timer, DWORD) {
    session.opened = now();
    KillTimer(dialog, timer);
    HWND list = listOf(dialog);
    session.rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    if (session.revert == Revert::All) {
        setSelected(list, -1);  // every row
    } else {
        for (int row = 0; row < session.rows; row += 2) setSelected(list, row);
    }
    UpdateWindow(list);
    session.pressed = now();
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    if (session.revert == Revert::EveryOther) SetTimer(dialog, 2, 0, afterPress);
}

void whenActive(HWND dialog) { SetTimer(dialog, 1, 0, whenShown); }

// 2,000 changed nibbles over the first 1,000 bytes, recorded as typing records them.
void makeChanges() {
    EditorState& s = *editorState;
    for (int i = 0; i < kRecords; ++i) {
        s.caretOffset = i / 2;
        s.caretNibble = i % 2;
        if (recordChangeAtCaret(s, 0, nullptr) == 0) return;
        uint8_t& b = s.documentBytes[s.caretOffset];
        b = static_cast<uint8_t>(s.caretNibble == 1 ? (b & 0xF0) | ((b + 1) & 0x0F) : (b + 0x10));
        s.modified = 1;
    }
    s.caretOffset = 0;
    s.caretNibble = 0;
}

std::string documentBytes() {
    const EditorState& s = *editorState;
    return std::string(reinterpret_cast<const char*>(s.documentBytes), s.documentSize);
}

}  // namespace

int main() {
    const bench::PrivateSettings privateSettings;
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    const std::string path = std::string(dir) + "moxel history bench.bin";
    if (!bench::writeRandomFile(path, 4096)) {
        std::printf("cannot write %s\n", path.c_str());
        return 1;
    }
    if (!bench::openInFrame(path.c_str())) return 1;
    const std::string original = documentBytes();

    std::vector<double> openTimes, revertTimes, halfTimes;
    bool intact = true;
    int rows = 0, rowsLeft = 0;
    {
        const bench::DialogHook hook(whenActive);
        for (int run = 0; run < kRuns; ++run) {
            for (Revert revert : {Revert::All, Revert::EveryOther}) {
                makeChanges();
                session = Session{};
                session.revert = revert;
                const double t0 = now();
                const int result = showChangeHistory(mainWindow);
                const double t1 = now();
                pump();
                if (session.opened == 0) {
                    std::printf("the history dialog did not open\n");
                    return 1;
                }
                if (revert == Revert::All) {
                    openTimes.push_back(session.opened - t0);
                    revertTimes.push_back(t1 - session.pressed);
                    rows = session.rows;
                    intact = intact && result == 1 && editorState->changeCount == 0 && editorState->modified == 0 &&
                             documentBytes() == original;
                } else {
                    halfTimes.push_back(session.handled - session.pressed);
                    rowsLeft = session.rowsAfter;
                    // The rest back by hand, for the next run.
                    session = Session{};
                    session.revert = Revert::All;
                    showChangeHistory(mainWindow);
                    pump();
                    intact = intact && documentBytes() == original;
                }
            }
        }
    }

    const double open = best(openTimes);
    const double revert = best(revertTimes);
    std::printf("change history with %d rows, best of %d runs\n", rows, kRuns);
    std::printf("open the dialog (fill the list):       %8.1f ms   (baseline)\n", open * 1000);
    std::printf("revert all rows until the dialog closes: %6.1f ms   (%.2fx the fill)\n", revert * 1000,
                revert / open);
    std::printf("revert every other row (%d left) until the list is redrawn: %.1f ms\n", rowsLeft,
                best(halfTimes) * 1000);
    std::printf("document back byte for byte, no records, not modified: %s\n", intact ? "yes" : "NO");

    bench::closeFrame();
    DeleteFileA(path.c_str());
    return intact ? 0 : 1;
}
