// Painting and scrolling the hex view in the real window, and whether long
// use leaks GDI or USER objects or handles.
//
//   bench_view [GiB]        (default 1; run on a 1920x1080 display)
//
// (a) a full repaint of a maximised view (every row drawn again): rows alone,
//     in kanji mode, and in kanji mode with 2001 changed and 2001 marked
//     nibbles in view, beside a bare BitBlt of a view-sized bitmap (the floor
//     any off-screen painting pays);
// (b) a one-row scroll, a one-row caret move and a typed digit on a document
//     of the given size, each until painted, as ratios to that BitBlt; and
//     300 key presses posted at once (an arrow key held down), until the last
//     is painted, beside the keyboard's repeat interval;
//     the caret move once more with the data inspector pane shown beside the
//     view and hidden, in alternating blocks (the pane follows every caret
//     move), the pane's own update, and its values formatted alone;
// (c) GDI and USER objects and kernel handles before and after 10,000
//     repaints and 1,000 scroll steps.
// Prints medians. No assertions: figures only.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "document/record_list.h"
#include "resource_ids.h"
#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "shell/startup_win.h"
#include "view/inspector_pane.h"
#include "view/inspector_win.h"
#include "bench_support_win.h"
#include "support/resource_counts_win.h"
#include "view/view_win.h"

namespace {

using bench::median;
using bench::now;
using bench::pump;
using bench::untilPainted;

HWND view() { return win().viewWindow; }

bool loadDocument(uint64_t size) {
    EditorState& s = *editorState;
    std::free(s.documentBytes);
    s.documentBytes = static_cast<uint8_t*>(std::malloc(size + kSpareBytes));
    if (s.documentBytes == nullptr) return false;
    // Shift-JIS text, so that kanji mode pairs bytes on every row.
    static const char text[] = "\x8A\xBF\x8E\x9A\x83\x82\x81\x5B\x83\x68 Shift-JIS \x82\xCC\x95\xB6\x8E\x9A\r\n";
    const size_t n = sizeof text - 1;
    for (uint64_t i = 0; i < size; i += n) std::memcpy(s.documentBytes + i, text, std::min<uint64_t>(n, size - i));
    s.documentSize = static_cast<uint32_t>(size);
    s.spareCapacity = kSpareBytes;
    std::strcpy(s.filePath, "C:\\bench\\view.bin");
    return documentReset() != 0;
}

}  // namespace

int main(int argc, char** argv) {
    const bench::PrivateSettings privateSettings;
    double gib = argc > 1 ? std::atof(argv[1]) : 1.0;
    if (gib <= 0 || gib > 1.9) gib = 1.0;

    if (!bench::openFrame(SW_SHOWMAXIMIZED)) return 1;
    RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (!IsZoomed(mainWindow)) MoveWindow(mainWindow, 0, 0, screen.right, screen.bottom, TRUE);
    pump();
    const gui::ResourceCounts start = gui::resourceCounts();

    // (a) full repaints: rows alone, in kanji mode, and with 2001 changes and 2001 marks in view
    if (!loadDocument(64u << 20)) {
        std::printf("cannot allocate the document\n");
        return 1;
    }
    pump();
    EditorState& s = *editorState;
    RECT client{};
    GetClientRect(view(), &client);
    auto repaints = [] {
        std::vector<double> t;
        for (int i = 0; i < 300; ++i) t.push_back(untilPainted([] { redrawWholeView(); }, view()));
        return median(t);
    };
    const double rowsOnly = repaints();
    SendMessageA(mainWindow, WM_COMMAND, IDM_KANJI, 0);
    pump();
    const double rowsKanji = repaints();
    const int positions = std::min(s.visibleRows * 32, kRecordListSlots);
    for (int i = 0; i < positions; ++i) {
        addRecord(s, RecordList::Change, i / 2, i % 2, 0);
        addRecord(s, RecordList::Mark, i / 2, i % 2, 0);
    }
    const double full = repaints();
    std::vector<double> blit;
    {
        HDC dc = GetDC(view());
        HDC memory = CreateCompatibleDC(dc);
        HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
        HGDIOBJ old = SelectObject(memory, bitmap);
        for (int i = 0; i < 300; ++i) {
            double t0 = now();
            BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
            GdiFlush();
            blit.push_back((now() - t0) * 1000.0);
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(view(), dc);
    }
    // The kept picture copied whole to the window with nothing drawn, until
    // painted: what any paint that changes every pixel pays under a system
    // that hands the window's pixels on to a display server afterwards.
    std::vector<double> copies;
    for (int i = 0; i < 300; ++i) {
        copies.push_back(untilPainted([] { InvalidateRect(view(), nullptr, FALSE); }, view()));
    }
    const double bare = median(blit), copied = median(copies);
    std::printf("view %ldx%ld pixels, %d rows (medians of 300 paints)\n", client.right, client.bottom, s.visibleRows);
    std::printf("bare BitBlt of a view-sized bitmap: %7.3f ms\n", bare);
    std::printf("the kept picture copied whole, until painted: %7.3f ms  (%.1fx the BitBlt)\n", copied, copied / bare);
    std::printf("full repaint, rows only:           %7.3f ms  (%.1fx the BitBlt)\n", rowsOnly, rowsOnly / bare);
    std::printf("full repaint, kanji mode:          %7.3f ms  (%.2fx rows only)\n", rowsKanji, rowsKanji / rowsOnly);
    std::printf("full repaint, kanji, %d changes and %d marks in view: %7.3f ms  (%.2fx rows only)\n", s.changeCount,
                s.markCount, full, full / rowsOnly);
    SendMessageA(mainWindow, WM_COMMAND, IDM_KANJI, 0);

    // (b) scrolling and caret moves on a large document
    const uint64_t size = static_cast<uint64_t>(gib * 1024 * 1024 * 1024);
    if (!loadDocument(size)) {
        std::printf("cannot allocate %.2f GiB\n", gib);
        return 1;
    }
    pump();
    std::vector<double> scroll, caret, typed;
    SendMessageA(view(), WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 30000), 0);
    for (int i = 0; i < 200; ++i) {
        WPARAM code = i % 2 == 0 ? SB_LINEDOWN : SB_LINEUP;
        scroll.push_back(untilPainted([code] { SendMessageA(view(), WM_VSCROLL, code, 0); }, view()));
    }
    s.caretOffset = (s.topRow + 2) * 16;
    for (int i = 0; i < 200; ++i) {
        WPARAM key = i % 2 == 0 ? VK_DOWN : VK_UP;
        caret.push_back(untilPainted([key] { SendMessageA(view(), WM_KEYDOWN, key, 0); }, view()));
    }
    // Digits along one row, each a new change record; the list is emptied
    // before it fills up.
    for (int i = 0; i < 200; ++i) {
        if (i % 32 == 0) {
            clearChangeList(s, 0);
            s.caretOffset = (s.topRow + 3) * 16;
            s.caretNibble = 0;
        }
        const uint8_t byte = s.documentBytes[s.caretOffset];
        const int nibble = s.caretNibble == 0 ? byte >> 4 : byte & 15;
        const WPARAM digit = static_cast<WPARAM>("0123456789ABCDEF"[(nibble + 1) % 16]);
        typed.push_back(untilPainted([digit] { SendMessageA(view(), WM_KEYDOWN, digit, 0); }, view()));
    }
    pump();
    // An arrow key held down: the presses arrive faster than anything is painted.
    s.caretOffset = s.topRow * 16;
    pump();
    UpdateWindow(view());
    const int32_t topBefore = s.topRow;
    const double t0 = now();
    for (int i = 0; i < 300; ++i) PostMessageA(view(), WM_KEYDOWN, VK_DOWN, 0);
    pump();
    UpdateWindow(view());
    const double held = (now() - t0) * 1000.0;
    const int32_t heldRows = s.topRow - topBefore;
    // The same presses one at a time, each painted before the next.
    std::vector<double> each;
    for (int i = 0; i < 300; ++i) {
        each.push_back(untilPainted(
            [i] {
                PostMessageA(view(), WM_KEYDOWN, i % 150 < 75 ? VK_DOWN : VK_UP, 0);
                pump();
            },
            view()));
    }
    DWORD speed = 31;
    SystemParametersInfoA(SPI_GETKEYBOARDSPEED, 0, &speed, 0);
    const double repeat = 1000.0 / (2.5 + static_cast<double>(speed) * 27.5 / 31.0);  // 2.5 .. 30 a second

    const double scrolled = median(scroll), moved = median(caret), digit = median(typed);
    std::printf("document %.2f GiB (%ld rows)\n", static_cast<double>(size) / (1 << 30), static_cast<long>(s.rowCount));
    std::printf("one-row scroll until painted: %7.3f ms  (%.1fx the BitBlt, %.2fx the whole copy; median of %zu)\n",
                scrolled, scrolled / bare, scrolled / copied, scroll.size());
    std::printf("caret move until painted:     %7.3f ms  (%.1fx the BitBlt; median of %zu)\n", moved, moved / bare,
                caret.size());
    std::printf("typed digit until painted:    %7.3f ms  (%.1fx the BitBlt; median of %zu)\n", digit, digit / bare,
                typed.size());
    std::printf("300 Down presses posted at once, until the last is painted: %.1f ms (%d rows scrolled)\n", held,
                static_cast<int>(heldRows));
    std::printf("one press at a time, each painted: median %.3f ms, slowest %.3f ms; the keyboard repeats every %.1f ms\n",
                median(each), *std::max_element(each.begin(), each.end()), repeat);

    // The same moves with the inspector pane beside the view, in alternating
    // short blocks so that both sides see the same load (the first move after
    // a switch, which sizes the view's bitmap anew, is not counted): until the
    // view is painted (the pane shows its values once the keys pause), and
    // until the pane has shown them too.
    std::vector<double> hidden, shown, hiddenBoth, shownBoth;
    for (int block = 0; block < 80; ++block) {
        const bool withPane = block % 4 >= 2;
        const bool both = block % 2 == 1;
        if (withPane != (s.inspector.shown != 0)) SendMessageA(mainWindow, WM_COMMAND, IDM_INSPECTOR, 0);
        pump();
        for (int i = 0; i <= 10; ++i) {
            WPARAM key = i % 2 == 0 ? VK_DOWN : VK_UP;
            const double start = now();
            SendMessageA(view(), WM_KEYDOWN, key, 0);
            UpdateWindow(view());
            if (both) inspectorCatchUp();
            if (i == 0) continue;
            std::vector<double>& into = withPane ? (both ? shownBoth : shown) : (both ? hiddenBoth : hidden);
            into.push_back((now() - start) * 1000.0);
        }
    }
    // The pane's own update for a caret that moved: its values, the lines
    // that changed drawn and shown.
    if (s.inspector.shown == 0) SendMessageA(mainWindow, WM_COMMAND, IDM_INSPECTOR, 0);
    pump();
    std::vector<double> paneAlone;
    const int32_t base = s.caretOffset;
    for (int i = 0; i < 400; ++i) {
        s.caretOffset = base + (i % 2) * 16;
        const double start = now();
        inspectorFollow();
        inspectorCatchUp();
        GdiFlush();
        paneAlone.push_back((now() - start) * 1000.0);
    }
    s.caretOffset = base;
    InspectorValues values;
    std::vector<double> formatting;
    for (int i = 0; i < 1000; ++i) {
        s.caretOffset = (s.topRow + 2) * 16 + i % 32;
        const double start = now();
        inspectCaret(s, values);
        formatting.push_back((now() - start) * 1e6);
    }
    const double without = median(hidden), with = median(shown);
    std::printf("caret move until the view is painted, inspector hidden: %7.3f ms, shown: %7.3f ms (%.2fx; medians of %zu)\n",
                without, with, with / without, shown.size());
    std::printf("caret move until the inspector has shown it too:        %7.3f ms, shown: %7.3f ms (%.2fx)\n",
                median(hiddenBoth), median(shownBoth), median(shownBoth) / median(hiddenBoth));
    std::printf("the inspector pane's own update for a moved caret: %7.3f ms (median of %zu)\n", median(paneAlone),
                paneAlone.size());
    std::printf("inspector values of one caret place formatted: %6.2f us (median of %zu)\n", median(formatting),
                formatting.size());
    if (s.inspector.shown != 0) SendMessageA(mainWindow, WM_COMMAND, IDM_INSPECTOR, 0);

    // (c) objects and handles over long use
    const gui::ResourceCounts before = gui::resourceCounts();
    for (int i = 0; i < 10000; ++i) {
        redrawWholeView();
        UpdateWindow(view());
        if (i % 1000 == 0) pump();
    }
    for (int i = 0; i < 1000; ++i) {
        SendMessageA(view(), WM_VSCROLL, i % 2 == 0 ? SB_PAGEDOWN : SB_LINEUP, 0);
        UpdateWindow(view());
    }
    pump();
    const gui::ResourceCounts after = gui::resourceCounts();
    std::printf("objects %s\n", after.probed ? "probed (the system does not count them)" : "from GetGuiResources");
    std::printf("at start:                      GDI %lu, USER %lu, handles %lu\n", start.gdi, start.user, start.handles);
    std::printf("before 10,000 repaints + 1,000 scrolls: GDI %lu, USER %lu, handles %lu\n", before.gdi, before.user,
                before.handles);
    std::printf("after:                         GDI %lu, USER %lu, handles %lu  (growth %ld, %ld, %ld)\n", after.gdi,
                after.user, after.handles, static_cast<long>(after.gdi - before.gdi),
                static_cast<long>(after.user - before.user), static_cast<long>(after.handles - before.handles));

    bench::closeFrame();
    return 0;
}
