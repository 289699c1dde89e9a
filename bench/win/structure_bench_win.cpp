// The structure pane in the real window, over a 10.4 MB file of 100,000
// records of 104 bytes that a template in the templates folder names:
//
//   bench_structure
//
// (a) the pane shown for the first time (the folder read, the template that
//     applies chosen, its tree made and painted), and a template chosen in
//     the list until its tree is painted, beside a full repaint of the view;
// (b) a typed digit in the view, then the pane's catching up until painted,
//     beside the digit alone: in a record's value (the items keep their
//     places and take new texts) and in the records' count (the tree made
//     anew, the open items opened again);
// (c) a caret move until the view is painted with the pane shown and
//     hidden, in alternating blocks, and until the pane has caught up too.
// Prints medians. No assertions: figures only.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench_support_win.h"
#include "document/record_list.h"
#include "resource_ids.h"
#include "view/structure_win.h"
#include "view/view_win.h"

namespace {

using bench::median;
using bench::now;
using bench::pump;
using bench::untilPainted;

constexpr DWORD kRecords = 100000;
constexpr DWORD kRecordSize = 104;

// The records' count comes first: a digit typed into it reshapes the tree.
const char kTemplate[] =
    "struct Record { u32 id; u16 kind; u16 flags; char name[24]; u32 values[18]; };\n"
    "u32 count;\n"
    "Record records[count];\n";
constexpr DWORD kField = 4 + 5005 * kRecordSize + 8 + 24 + 3 * 4;  // records[5005].values[3]

HWND view() { return win().viewWindow; }
HWND tree() { return GetDlgItem(structurePaneWindow(), IDC_STRUCTURE_TREE); }
HWND list() { return GetDlgItem(structurePaneWindow(), IDC_STRUCTURE_LIST); }

std::string folderOfProgram() {
    char exe[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string folder = exe;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

bool writeText(const std::string& path, const std::string& text) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const auto size = static_cast<DWORD>(text.size());
    const bool ok = WriteFile(h, text.data(), size, &written, nullptr) && written == size;
    CloseHandle(h);
    return ok;
}

// The pane's catching up with the caret and the bytes, until it and the view are painted.
void catchUp() {
    structureCatchUp();
    UpdateWindow(tree());
    UpdateWindow(view());
}

}  // namespace

int main() {
    const bench::PrivateSettings privateSettings;
    const std::string templates = folderOfProgram() + "templates\\";
    CreateDirectoryA(templates.c_str(), nullptr);
    // The first applies to the file; the second is the same, chosen by hand.
    const std::string applying = templates + "bench_records.mxt", chosen = templates + "bench_records_2.mxt";
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string file = std::string(temp) + "bench_records.rec";
    if (!writeText(applying, std::string("match \"*.rec\";\n") + kTemplate) || !writeText(chosen, kTemplate) ||
        !bench::writeRandomFile(file, 4 + kRecords * kRecordSize)) {
        std::printf("cannot write the template or the file\n");
        return 1;
    }
    if (!bench::openInFrame(file.c_str())) return 1;
    ShowWindow(mainWindow, SW_SHOWMAXIMIZED);
    pump();
    EditorState& s = *editorState;
    std::memcpy(s.documentBytes, &kRecords, 4);
    std::vector<double> repaints;
    for (int i = 0; i < 50; ++i) repaints.push_back(untilPainted([] { redrawWholeView(); }, view()));
    const double repaint = median(repaints);

    // (a) the first show, and templates chosen in the list
    const double t0 = now();
    SendMessageA(mainWindow, WM_COMMAND, IDM_STRUCTURE, 0);
    catchUp();
    const double firstShow = (now() - t0) * 1000.0;
    auto listed = [](const char* name) {
        return static_cast<WPARAM>(
            SendMessageA(list(), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name)));
    };
    const WPARAM other = listed("bench_records_2.mxt"), first = listed("bench_records.mxt");
    std::vector<double> choices;
    for (int i = 0; i < 20; ++i) {
        choices.push_back(untilPainted(
            [i, other, first] {
                SendMessageA(list(), CB_SETCURSEL, i % 2 == 0 ? other : first, 0);
                SendMessageA(structurePaneWindow(), WM_COMMAND, MAKEWPARAM(IDC_STRUCTURE_LIST, CBN_SELCHANGE),
                             reinterpret_cast<LPARAM>(list()));
                UpdateWindow(tree());
            },
            view()));
    }
    std::printf("%lu records of %lu bytes (%.1f MB); a full repaint of the view: %.3f ms (median of 50)\n",
                static_cast<unsigned long>(kRecords), static_cast<unsigned long>(kRecordSize),
                kRecords * kRecordSize / 1e6, repaint);
    std::printf("the pane shown for the first time, its tree painted: %7.2f ms (%.1fx the repaint)\n", firstShow,
                firstShow / repaint);
    std::printf("a template chosen in the list, its tree painted:     %7.2f ms (%.1fx the repaint; median of %zu)\n",
                median(choices), median(choices) / repaint, choices.size());

    // (b) a typed digit, then the pane's tree over the new bytes: a new value
    // in a record (the items stay and take their new texts), and a new count
    // (the tree is made anew, with the items that were open opened again)
    auto typing = [&](DWORD at, std::vector<double>& digits, std::vector<double>& trees) {
        for (int i = 0; i < 20; ++i) {
            // A caret move first: the pane opens the field's parents.
            s.caretOffset = static_cast<int32_t>(at >= 16 ? at - 16 : at + 16);
            catchUp();
            s.caretOffset = static_cast<int32_t>(at);
            s.caretNibble = 0;
            clearChangeList(s, 0);  // a digit over a changed one would ask first
            catchUp();
            const WPARAM digit = static_cast<WPARAM>("0123456789ABCDEF"[(s.documentBytes[at] >> 4 ^ 1) & 15]);
            digits.push_back(untilPainted([digit] { SendMessageA(view(), WM_KEYDOWN, digit, 0); }, view()));
            trees.push_back(untilPainted([] { catchUp(); }, tree()));
        }
    };
    std::vector<double> digits, renewed, reshaped;
    typing(kField, digits, renewed);
    typing(0, digits, reshaped);
    std::printf("a typed digit until the view is painted: %7.3f ms (median of %zu); then the pane's tree, painted:\n",
                median(digits), digits.size());
    std::printf("  a record's value changed, the items renewed: %7.3f ms; the count changed, the tree made anew: "
                "%7.3f ms (medians of %zu)\n",
                median(renewed), median(reshaped), reshaped.size());

    // (c) caret moves with the pane shown and hidden
    std::vector<double> hidden, shown, hiddenBoth, shownBoth;
    for (int block = 0; block < 240; ++block) {
        const bool withPane = block % 4 >= 2;
        const bool both = block % 2 == 1;
        if (withPane != (s.structurePane.shown != 0)) SendMessageA(mainWindow, WM_COMMAND, IDM_STRUCTURE, 0);
        s.caretOffset = 4 + 4000 * kRecordSize;
        pump();
        catchUp();
        for (int i = 0; i <= 10; ++i) {
            const WPARAM key = i % 2 == 0 ? VK_DOWN : VK_UP;
            const double start = now();
            SendMessageA(view(), WM_KEYDOWN, key, 0);
            UpdateWindow(view());
            if (both && withPane) catchUp();
            if (i == 0) continue;
            std::vector<double>& into = withPane ? (both ? shownBoth : shown) : (both ? hiddenBoth : hidden);
            into.push_back((now() - start) * 1000.0);
        }
    }
    std::printf("caret move until the view is painted, pane hidden: %7.3f ms, shown: %7.3f ms "
                "(%.2fx; medians of %zu)\n",
                median(hidden), median(shown), median(shown) / median(hidden), shown.size());
    std::printf("caret move until the pane has caught up too:                 shown: %7.3f ms (%.2fx)\n",
                median(shownBoth), median(shownBoth) / median(hiddenBoth));

    bench::closeFrame();
    DeleteFileA(applying.c_str());
    DeleteFileA(chosen.c_str());
    DeleteFileA(file.c_str());
    return 0;
}
