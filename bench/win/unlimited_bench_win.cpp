// Editing without limits in the real program: what a million change records
// cost the user.
//
//   bench_unlimited [MiB]
//
// (a) a typed digit until the view is painted, with 1,000,000 change records
//     in the document beside the same with none (the baseline);
// (b) the change history dialog with those records, from the command until
//     it is shown;
// (c) undo and redo of the typed digits' step (500,000 bytes written as
//     typed), each until painted;
// (d) in a 256 MiB document: one byte inserted in the middle beside one
//     memmove of the bytes after it; undo and redo of deleting 64 MiB from
//     the middle beside that memmove plus one copy of the deleted bytes;
//     replace all of one byte value (about 1,000,000 one-byte matches) and
//     its undo.
// Prints the median of many digits and the best of a few opens. No
// assertions: figures only, and whether the document came back.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "document/change_list_dialog_win.h"
#include "document/edit.h"
#include "document/record_list.h"
#include "document/undo.h"
#include "tools/replace.h"
#include "resource_ids.h"
#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "bench_support_win.h"
#include "view/view_win.h"

namespace {

using bench::best;
using bench::median;
using bench::now;
using bench::pump;
using bench::untilPainted;

constexpr int kRuns = 3;
constexpr int kDigits = 400;
constexpr int kRecords = 1000000;

HWND view() { return win().viewWindow; }

double opened = 0;
int shownRows = 0;

VOID CALLBACK whenShown(HWND dialog, UINT, UINT_PTR timer, DWORD) {
    opened = now();
    KillTimer(dialog, timer);
    shownRows = static_cast<int>(SendMessageA(GetDlgItem(dialog, IDC_CL_LIST), LVM_GETITEMCOUNT, 0, 0));
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

void whenActive(HWND dialog) { SetTimer(dialog, 1, 0, whenShown); }

// Digits typed in the middle of the document, each until painted, in runs
// of 32 at places of their own (a digit over a changed one would ask first).
double typedDigits(int32_t from) {
    EditorState& s = *editorState;
    std::vector<double> times;
    for (int i = 0; i < kDigits; ++i) {
        if (i % 32 == 0) {
            endTypedRun(s);
            s.caretOffset = from + 64 * (i / 32);
            s.caretNibble = 0;
            bringCaretIntoView();
            pump();
        }
        const int digit = '0' + (i / 32) % 10;
        times.push_back(untilPainted([digit] { SendMessageA(view(), WM_KEYDOWN, digit, 0); }, view()));
    }
    return median(times);
}

// 500,000 bytes from the start written as typed digits would write them:
// each changes both nibbles, a million records in one step.
bool makeRecords(std::string& before) {
    EditorState& s = *editorState;
    const size_t count = kRecords / 2;
    before.assign(reinterpret_cast<const char*>(s.documentBytes), count);
    std::string bytes(before);
    for (char& c : bytes) c = static_cast<char>(c ^ 0x11);
    return writeBytesAsTyped(s, mainWindow, 0, reinterpret_cast<const uint8_t*>(bytes.data()), count) == 1;
}

template <typename Step>
double seconds(Step step) {
    const double t0 = now();
    step();
    return now() - t0;
}

// (d): the core's commands on the frame's document, each against plain
// memory work on a buffer of the same size measured in the same run.
void largeDocument(const std::string& dir) {
    constexpr DWORD kLarge = 256u << 20;
    constexpr int64_t kDeleted = 64 << 20;
    const std::string path = dir + "moxel unlimited bench 256.bin";
    if (!bench::writeRandomFile(path, kLarge) || !openFile(mainWindow, path.c_str(), 0)) {
        std::printf("cannot make or open %s\n", path.c_str());
        return;
    }
    pump();
    EditorState& s = *editorState;
    const int64_t middle = kLarge / 2;
    std::vector<uint8_t> plain(static_cast<size_t>(kLarge) + 1);
    std::memcpy(plain.data(), s.documentBytes, kLarge);
    std::vector<uint8_t> kept(static_cast<size_t>(kDeleted));

    std::vector<double> moves, inserts, copies, undos, redos;
    for (int run = 0; run < kRuns; ++run) {
        moves.push_back(seconds([&] { std::memmove(&plain[middle + 1], &plain[middle], kLarge - middle); }));
        s.caretOffset = static_cast<int32_t>(middle);
        inserts.push_back(seconds([&] { insertByteAt(s, mainWindow, 0x5A); }));
        undoStep(s, mainWindow);
        copies.push_back(seconds([&] {
            std::memcpy(kept.data(), &plain[middle], kDeleted);
            std::memmove(&plain[middle], &plain[middle + kDeleted], kLarge - middle - kDeleted);
        }));
        s.caretOffset = static_cast<int32_t>(middle);
        deleteRangeTo(s, static_cast<int32_t>(middle + kDeleted - 1));
        undos.push_back(seconds([&] { undoStep(s, mainWindow); }));
        redos.push_back(seconds([&] { redoStep(s, mainWindow); }));
        undoStep(s, mainWindow);
    }
    ReplaceQuery q;
    int64_t matches = 0;
    double replaced = 0, undone = 0;
    if (readReplaceQuery("A7", "7A", searchHex | searchMatchCase, true, mainWindow, q)) {
        replaced = seconds([&] { replaceAll(s, mainWindow, q, "A7", matches); });
        undone = seconds([&] { undoStep(s, mainWindow); });
    }
    const double move = best(moves), copy = best(copies);
    std::printf("256 MiB: insert one byte in the middle          %7.2f ms   memmove of the tail %7.2f ms   (%.2fx)\n",
                best(inserts) * 1000, move * 1000, best(inserts) / move);
    std::printf("256 MiB: undo, redo of deleting 64 MiB          %7.2f ms, %7.2f ms   memmove + copy %7.2f ms   (%.2fx, %.2fx)\n",
                best(undos) * 1000, best(redos) * 1000, copy * 1000, best(undos) / copy, best(redos) / copy);
    std::printf("256 MiB: replace all of %lld one-byte matches    %7.1f ms, its undo %7.1f ms\n",
                static_cast<long long>(matches), replaced * 1000, undone * 1000);
    s.modified = 0;
    DeleteFileA(path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    const bench::PrivateSettings privateSettings;
    const DWORD size = (argc > 1 ? static_cast<DWORD>(std::atoi(argv[1])) : 16) << 20;
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    const std::string path = std::string(dir) + "moxel unlimited bench.bin";
    if (!bench::writeRandomFile(path, size)) {
        std::printf("cannot write %s\n", path.c_str());
        return 1;
    }
    if (!bench::openInFrame(path.c_str())) return 1;
    SendMessageA(mainWindow, WM_COMMAND, IDM_UNLIMITED, 0);
    pump();
    EditorState& s = *editorState;
    if (s.unlimited == 0) {
        std::printf("the switch did not turn on\n");
        return 1;
    }

    // (a) without records, then with a million
    const double plain = typedDigits(static_cast<int32_t>(s.documentSize / 2));
    SendMessageA(mainWindow, WM_COMMAND, IDM_SAVE, 0);  // the digits' records go
    pump();
    std::string before;
    const double t0 = now();
    const bool made = makeRecords(before);
    const double making = now() - t0;
    const int32_t records = recordCount(s, RecordList::Change);
    if (!made || records < kRecords) {
        std::printf("could not make the records (%ld)\n", static_cast<long>(records));
        return 1;
    }
    const double loaded = typedDigits(static_cast<int32_t>(s.documentSize / 2) + 64 * kDigits);

    // (b) the history dialog
    std::vector<double> opens;
    {
        const bench::DialogHook hook(whenActive);
        for (int run = 0; run < kRuns; ++run) {
            opened = 0;
            const double start = now();
            showChangeHistory(mainWindow);
            pump();
            if (opened == 0) {
                std::printf("the history dialog did not open\n");
                return 1;
            }
            opens.push_back(opened - start);
        }
    }

    // (c) undo the digits' steps and the million records' step, then redo them
    const size_t memoryBefore = undoMemoryBytes(s);
    int undone = 0;
    const double u0 = now();
    while (canUndo(s) && recordCount(s, RecordList::Change) > 0) {
        SendMessageA(mainWindow, WM_COMMAND, IDM_STEP_UNDO, 0);
        UpdateWindow(view());
        ++undone;
    }
    const double undoTime = now() - u0;
    const bool back = std::string(reinterpret_cast<const char*>(s.documentBytes), before.size()) == before;
    const double r0 = now();
    for (int i = 0; i < undone; ++i) {
        SendMessageA(mainWindow, WM_COMMAND, IDM_REDO, 0);
        UpdateWindow(view());
    }
    const double redoTime = now() - r0;

    std::printf("document %lu MiB, editing without limits\n", static_cast<unsigned long>(size >> 20));
    std::printf("typed digit until painted, no records:          %7.3f ms   (baseline)\n", plain);
    std::printf("typed digit until painted, %ld records:     %7.3f ms   (%.2fx)\n", static_cast<long>(records),
                loaded, loaded / plain);
    std::printf("writing those records as typed (one step):     %7.1f ms\n", making * 1000);
    std::printf("history dialog with %d rows until shown:   %7.1f ms   (best of %d)\n", shownRows,
                best(opens) * 1000, kRuns);
    std::printf("undo of %d steps until painted:                 %7.1f ms\n", undone, undoTime * 1000);
    std::printf("redo of them until painted:                      %7.1f ms\n", redoTime * 1000);
    std::printf("history memory: %.1f MiB; document back after undo: %s\n",
                static_cast<double>(memoryBefore) / (1024.0 * 1024.0), back ? "yes" : "NO");

    s.modified = 0;  // no save question at the close
    DeleteFileA(path.c_str());
    largeDocument(dir);
    bench::closeFrame();
    return back ? 0 : 1;
}
