// The compare list and the copy of all rows in the real program path, on
// two files given on the command line (bench/win/lists_bench.sh makes them
// and measures cmp -l and xxd on the same files in the same run).
//
//   bench_lists DOCUMENT OTHER
//
// (a) compare: from the call until the list dialog is active, the working set
//     then, and one scroll to the last row with its paint;
// (b) the differences the compare leaves in the view: F6 steps from one to the
//     next, each until the view and the status bar are painted, beside caret
//     moves (the Right key) until painted in the same way;
// (c) copy: select all and copy the rows to the clipboard.
// Prints times and memory. No assertions: figures only.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "document/change_list_dialog_win.h"
#include "document/selection.h"
#include "resource_ids.h"
#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "shell/startup_win.h"
#include "bench_support_win.h"
#include "tools/compare.h"
#include "view/view_win.h"

namespace {

using bench::best;
using bench::mean;
using bench::median;
using bench::memory;
using bench::mib;
using bench::now;
using bench::pump;
using bench::untilPainted;

constexpr int kRuns = 3;
constexpr int kSteps = 1000;  // F6 presses, and caret moves beside them

// What the hook saw when the compare dialog became active.
struct Opened {
    double at = 0;
    SIZE_T workingSet = 0;
    int rows = 0;
    double scroll = 0;
} opened;

void whenOpened(HWND dialog) {
    if (opened.at != 0) return;
    opened.at = now();
    opened.workingSet = memory().WorkingSetSize;
    HWND list = GetDlgItem(dialog, IDC_CL_LIST);
    opened.rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    double t0 = now();
    SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(opened.rows - 1), FALSE);
    UpdateWindow(list);
    opened.scroll = now() - t0;
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

}  // namespace

int main(int argc, char** argv) {
    const bench::PrivateSettings privateSettings;
    if (argc < 3) {
        std::printf("usage: bench_lists DOCUMENT OTHER\n");
        return 2;
    }
    if (!bench::openInFrame(argv[1])) return 1;
    const double fileMiB = mib(editorState->documentSize);
    const SIZE_T loaded = memory().WorkingSetSize;

    // (a) compare
    std::vector<double> openTimes, scrollTimes;
    SIZE_T workingSet = 0;
    int rows = 0;
    {
        const bench::DialogHook hook(whenOpened);
        for (int run = 0; run < kRuns; ++run) {
            opened = Opened{};
            ValueEntryRequest request{};
            lstrcpynA(request.text, argv[2], sizeof request.text);
            double t0 = now();
            runCompareDialog(mainWindow, request);
            if (opened.at == 0) {
                std::printf("the compare list did not open\n");
                return 1;
            }
            openTimes.push_back(opened.at - t0);
            scrollTimes.push_back(opened.scroll);
            workingSet = std::max(workingSet, opened.workingSet);
            rows = opened.rows;
            pump();
            // Each run a first compare: the differences the last one left are not freed inside the next.
            if (run + 1 < kRuns) dropCompareRows(*editorState);
        }
    }

    // (b) stepping through the differences, from the middle of the document on
    EditorState& s = *editorState;
    const size_t differences = s.compareRows != nullptr ? s.compareRows->count() : 0;
    auto from = [&](uint32_t offset) {
        s.caretOffset = static_cast<int32_t>(offset);
        s.caretNibble = 0;
        bringCaretIntoView();
        pump();
    };
    std::vector<double> stepTimes, moveTimes;
    from(s.documentSize / 2);
    for (int i = 0; i < kSteps; ++i) {
        stepTimes.push_back(untilPainted([] { SendMessageA(mainWindow, WM_COMMAND, IDM_NEXT_DIFFERENCE, 0); },
                                         win().viewWindow, win().statusWindow));
    }
    from(s.documentSize / 2);
    for (int i = 0; i < kSteps; ++i) {
        moveTimes.push_back(untilPainted([] { SendMessageA(win().viewWindow, WM_KEYDOWN, VK_RIGHT, 0); },
                                         win().viewWindow, win().statusWindow));
    }
    pump();

    // (c) copy
    SendMessageA(mainWindow, WM_COMMAND, IDM_SELECT_ALL, 0);
    std::vector<double> copyTimes;
    SIZE_T textBytes = 0;
    for (int run = 0; run < kRuns; ++run) {
        double t0 = now();
        SendMessageA(mainWindow, WM_COMMAND, IDM_COPY, 0);
        copyTimes.push_back(now() - t0);
        pump();
    }
    if (OpenClipboard(mainWindow)) {
        if (HANDLE data = GetClipboardData(CF_TEXT)) {
            if (const char* p = static_cast<const char*>(GlobalLock(data))) {
                textBytes = std::strlen(p);
                GlobalUnlock(data);
            }
        }
        CloseClipboard();
    }
    // The same text into a fresh block, without handing it to the clipboard.
    std::vector<double> formatTimes;
    for (int run = 0; run < kRuns; ++run) {
        double t0 = now();
        if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, copyTextCapacity(*editorState))) {
            if (auto* p = static_cast<char*>(GlobalLock(block))) {
                writeCopyText(*editorState, 0, p);
                GlobalUnlock(block);
            }
            formatTimes.push_back(now() - t0);
            GlobalFree(block);
        }
    }
    // The floor of any copy: a fresh block of the text's size, every page
    // written once, handed to the clipboard (which copies it under Wine).
    std::vector<double> floorTimes;
    for (int run = 0; run < kRuns && textBytes != 0; ++run) {
        double t0 = now();
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, textBytes + 1);
        if (block == nullptr) break;
        if (auto* p = static_cast<char*>(GlobalLock(block))) {
            std::memset(p, ' ', textBytes);
            p[textBytes] = '\0';
            GlobalUnlock(block);
        }
        if (OpenClipboard(mainWindow)) {
            EmptyClipboard();
            if (SetClipboardData(CF_TEXT, block) == nullptr) GlobalFree(block);
            CloseClipboard();
        } else {
            GlobalFree(block);
        }
        floorTimes.push_back(now() - t0);
    }
    const PROCESS_MEMORY_COUNTERS end = memory();
    // Not left for the system to keep after the program is gone.
    if (OpenClipboard(mainWindow)) {
        EmptyClipboard();
        CloseClipboard();
    }

    const double open = best(openTimes);
    const double scroll = best(scrollTimes);
    const double copy = best(copyTimes);
    std::printf("document: %.0f MiB, best of %d runs\n", fileMiB, kRuns);
    std::printf("compare until the list is open:  %8.3f s  %7.1f MB/s  (%d rows)\n", open,
                editorState->documentSize / 1e6 / open, rows);
    std::printf("  scroll to the last row + paint: %7.1f ms\n", scroll * 1000);
    std::printf("  working set: document loaded %.1f MiB, list open %.1f MiB (%.1f MiB for the list)\n",
                mib(loaded), mib(workingSet), mib(workingSet) - mib(loaded));
    std::printf("copy all rows to the clipboard:  %8.3f s  %7.1f MB/s of document  (%.1f MiB of text)\n", copy,
                editorState->documentSize / 1e6 / copy, mib(textBytes));
    if (!formatTimes.empty()) {
        const double format = best(formatTimes);
        std::printf("  the same text into a fresh block alone:          %.3f s\n", format);
    }
    if (!floorTimes.empty()) {
        const double floor = best(floorTimes);
        std::printf("  a filled block of that size onto the clipboard: %.3f s  (copy / that %.2fx)\n", floor,
                    copy / floor);
    }
    if (differences != 0) {
        const double step = median(stepTimes), move = median(moveTimes);
        std::printf("F6 to the next of %zu differences, until painted: median %.3f ms, mean %.3f ms (%d steps)\n",
                    differences, step, mean(stepTimes), kSteps);
        std::printf("  a caret move (Right) until painted:              median %.3f ms, mean %.3f ms"
                    "  (F6 / that %.2fx)\n",
                    move, mean(moveTimes), step / move);
    }
    std::printf("peak working set:                %8.1f MiB\n", mib(end.PeakWorkingSetSize));

    bench::closeFrame();
    return 0;
}
