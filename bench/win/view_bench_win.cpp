// Painting and scrolling the hex view in the real window, and whether long
// use leaks GDI or USER objects or handles.
//
//   bench_view [GiB]        (default 1; run on a 1920x1080 display)
//
// (a) a full repaint of a maximised view in kanji mode with 2001 changed and
//     2001 marked nibbles in view, beside a bare BitBlt of a view-sized
//     bitmap (the floor any off-screen painting pays);
// (b) a one-row scroll and a one-row caret move on a document of the given
//     size, each until painted; the caret move once more with the data
//     inspector pane shown beside the view and hidden, in alternating blocks
//     (the pane follows every caret move), and the pane's values formatted
//     alone;
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

namespace {

using bench::median;
using bench::now;
using bench::pump;

HWND view() { return win().viewWindow; }

// Milliseconds of `step` followed by the paint it asked for.
template <typename Step>
double timed(Step step) {
    double t0 = now();
    step();
    UpdateWindow(view());
    return (now() - t0) * 1000.0;
}

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

    appInstance = GetModuleHandleA(nullptr);
    if (!initEditorState() || !registerWindowClasses() || !createMainWindow(0, SW_SHOWMAXIMIZED)) {
        std::printf("cannot create the frame\n");
        return 1;
    }
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
        for (int i = 0; i < 300; ++i) t.push_back(timed([] { InvalidateRect(view(), nullptr, FALSE); }));
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
    std::printf("view %ldx%ld pixels, %d rows (medians of 300 paints)\n", client.right, client.bottom, s.visibleRows);
    std::printf("full repaint, rows only:           %7.3f ms\n", rowsOnly);
    std::printf("full repaint, kanji mode:          %7.3f ms\n", rowsKanji);
    std::printf("full repaint, kanji, %d changes and %d marks in view: %7.3f ms\n", s.changeCount, s.markCount, full);
    std::printf("bare BitBlt of a view-sized bitmap: %7.3f ms\n", median(blit));
    SendMessageA(mainWindow, WM_COMMAND, IDM_KANJI, 0);

    // (b) scrolling and caret moves on a large document
    const uint64_t size = static_cast<uint64_t>(gib * 1024 * 1024 * 1024);
    if (!loadDocument(size)) {
        std::printf("cannot allocate %.2f GiB\n", gib);
        return 1;
    }
    pump();
    std::vector<double> scroll, caret;
    SendMessageA(view(), WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 30000), 0);
    for (int i = 0; i < 200; ++i) {
        WPARAM code = i % 2 == 0 ? SB_LINEDOWN : SB_LINEUP;
        scroll.push_back(timed([code] { SendMessageA(view(), WM_VSCROLL, code, 0); }));
    }
    s.caretOffset = (s.topRow + 2) * 16;
    for (int i = 0; i < 200; ++i) {
        WPARAM key = i % 2 == 0 ? VK_DOWN : VK_UP;
        caret.push_back(timed([key] { SendMessageA(view(), WM_KEYDOWN, key, 0); }));
    }
    std::printf("document %.2f GiB (%ld rows)\n", static_cast<double>(size) / (1 << 30), static_cast<long>(s.rowCount));
    std::printf("one-row scroll until painted: %7.3f ms (median of %zu)\n", median(scroll), scroll.size());
    std::printf("caret move until painted:     %7.3f ms (median of %zu)\n", median(caret), caret.size());

    // The same moves with the inspector pane beside the view, in alternating
    // short blocks so that both sides see the same load (the first move after
    // a switch, which sizes the view's bitmap anew, is not counted).
    std::vector<double> hidden, shown;
    for (int block = 0; block < 80; ++block) {
        const bool withPane = block % 2 == 1;
        if (withPane != (s.inspector.shown != 0)) SendMessageA(mainWindow, WM_COMMAND, IDM_INSPECTOR, 0);
        pump();
        for (int i = 0; i <= 10; ++i) {
            WPARAM key = i % 2 == 0 ? VK_DOWN : VK_UP;
            double t0 = now();
            SendMessageA(view(), WM_KEYDOWN, key, 0);
            UpdateWindow(view());
            if (win().inspectorWindow != nullptr) UpdateWindow(win().inspectorWindow);
            if (i > 0) (withPane ? shown : hidden).push_back((now() - t0) * 1000.0);
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
        double t0 = now();
        inspectorFollow();
        GdiFlush();
        paneAlone.push_back((now() - t0) * 1000.0);
    }
    s.caretOffset = base;
    InspectorValues values;
    std::vector<double> formatting;
    for (int i = 0; i < 1000; ++i) {
        s.caretOffset = (s.topRow + 2) * 16 + i % 32;
        double t0 = now();
        inspectCaret(s, values);
        formatting.push_back((now() - t0) * 1e6);
    }
    const double without = median(hidden), with = median(shown);
    std::printf("caret move until painted, inspector hidden: %7.3f ms, shown: %7.3f ms (%.2fx; medians of %zu)\n",
                without, with, with / without, shown.size());
    std::printf("the inspector pane's own update for a moved caret: %7.3f ms (median of %zu)\n", median(paneAlone),
                paneAlone.size());
    std::printf("inspector values of one caret place formatted: %6.2f us (median of %zu)\n", median(formatting),
                formatting.size());
    if (s.inspector.shown != 0) SendMessageA(mainWindow, WM_COMMAND, IDM_INSPECTOR, 0);

    // (c) objects and handles over long use
    const gui::ResourceCounts before = gui::resourceCounts();
    for (int i = 0; i < 10000; ++i) {
        InvalidateRect(view(), nullptr, FALSE);
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

    DestroyWindow(mainWindow);
    pump();
    freeEditorStateRecord();
    unregisterWindowClasses();
    return 0;
}
