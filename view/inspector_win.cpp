// The data inspector pane. It keeps its own picture of what it shows and,
// when the caret or the bytes under it change, redraws only the lines whose
// values changed, so that a caret move costs little more with the pane than
// without it. A double click on a value (or Enter on the selected one) opens
// an edit box over it; Enter there writes the typed value at the caret.
#include "view/inspector_win.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "platform/gdi_win.h"
#include "platform/platform.h"
#include "resource_ids.h"
#include "shell/editor_state_win.h"
#include "shell/layout_win.h"
#include "shell/panes_win.h"
#include "view/inspector_pane.h"
#include "view/value_editor_win.h"
#include "view/view_win.h"

namespace {

// Asks the pane to close its editor once the focus has gone elsewhere.
constexpr UINT kCloseEditorMessage = WM_APP + 1;
// Reads and shows the values that followed the caret (see inspectorFollow).
constexpr UINT_PTR kFollowTimerId = 1;

constexpr int kLines = kInspectRowCount + 1;  // the heading and one line per row

// What the glyph strip and the picture were drawn with: when any of it
// changes, both are drawn anew. A new size alone makes only a new picture.
struct Style {
    HFONT font;
    int32_t charWidth, lineHeight;
    uint32_t colors[kColorSlots];
    bool operator==(const Style& o) const {
        return font == o.font && charWidth == o.charWidth && lineHeight == o.lineHeight &&
               std::memcmp(colors, o.colors, sizeof colors) == 0;
    }
};

struct Pane {
    InspectorValues shown;   // the values the picture shows (or is about to)
    InspectorValues latest;  // scratch for the next look at the caret
    uint32_t dirtyLines;     // bit 1 + row: that row's values are to be drawn
    bool stale;              // the caret or its bytes may have changed since `shown` was read
    Style style;             // zero: no glyph strip yet
    InspectRow selectedRow;
    Endian selectedSide;
    // The value editor
    HWND editor;
    WNDPROC editorProc;
    bool committing;  // a write is under way: its error boxes take the focus for a while
    bool followPending;  // the follow timer runs: the caret's values are yet to be read and shown
    InspectRow editRow;
    Endian editSide;
    // Texts from the string table, loaded when the window is made
    char labels[kInspectRowCount][32];
    char heads[2][64];
    char pastEnd[16], invalid[32], outOfRange[32];
};

Pane pane;
// The text the value editor opened with: Enter on it unchanged writes nothing.
std::wstring editorOpening;

// A 32-bit top-down DIB section in a memory device context: drawn on with
// GDI and written to directly.
class PixelCanvas {
public:
    ~PixelCanvas() { release(); }

    HDC prepare(int width, int height) {
        release();
        MemoryDc dc(nullptr);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        GdiObject<HBITMAP> bitmap(dc ? CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr);
        if (!dc || !bitmap || bits == nullptr) return nullptr;
        dc_ = std::move(dc);
        bitmap_ = std::move(bitmap);
        selection_ = std::make_unique<SelectedObject>(dc_.get(), bitmap_.get());
        bits_ = static_cast<uint32_t*>(bits);
        width_ = width;
        height_ = height;
        return dc_.get();
    }

    // The bitmap leaves the device context before either goes.
    void release() {
        selection_.reset();
        dc_.reset();
        bitmap_.reset();
        bits_ = nullptr;
        width_ = height_ = 0;
    }

    HDC dc() const { return dc_.get(); }
    int width() const { return width_; }
    int height() const { return height_; }
    uint32_t* row(int y) const { return bits_ + static_cast<size_t>(y) * static_cast<size_t>(width_); }

private:
    GdiObject<HBITMAP> bitmap_;
    MemoryDc dc_;
    std::unique_ptr<SelectedObject> selection_;
    uint32_t* bits_ = nullptr;
    int width_ = 0, height_ = 0;
};

// The picture of the pane, and the printable ASCII characters of the display
// font in the value colours, one cell each: numbers and dates are copied
// together from these cells instead of being drawn, which keeps a caret move
// down to a few text calls.
PixelCanvas picture;
PixelCanvas glyphs;
constexpr int kFirstGlyph = 0x20, kLastGlyph = 0x7E;

uint32_t pixelOf(COLORREF c) { return (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF); }

bool copiable(const char* text) {
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p < kFirstGlyph || *p > kLastGlyph) return false;
    }
    return true;
}

void fillPixels(const RECT& r, uint32_t pixel) {
    const int left = std::max<int>(r.left, 0), right = std::min<int>(r.right, picture.width());
    const int bottom = std::min<int>(r.bottom, picture.height());
    if (left >= right) return;
    for (int y = std::max<int>(r.top, 0); y < bottom; ++y)
        std::fill(picture.row(y) + left, picture.row(y) + right, pixel);
}

// Copies the cells of `text` to `x`, one pixel below `top`, cut at `right`.
void copyGlyphs(const char* text, int x, int top, int right) {
    const int cw = editorState->charWidth;
    right = std::min(right, picture.width());
    const int rows = std::min(glyphs.height(), picture.height() - top - 1);
    for (const char* p = text; *p != '\0' && x < right; ++p, x += cw) {
        const int n = std::min(cw, right - x);
        const int from = (*p - kFirstGlyph) * cw;
        for (int y = 0; y < rows; ++y)
            std::memcpy(picture.row(top + 1 + y) + x, glyphs.row(y) + from, sizeof(uint32_t) * n);
    }
}

HWND paneWindow() {
    return editorState != nullptr && editorState->windows != nullptr ? win().inspectorWindow : nullptr;
}

// Shown by the command (the frame itself may be hidden or minimised meanwhile).
bool paneShown() { return paneWindow() != nullptr && editorState->inspector.shown != 0; }

InspectorGeometry geometry() { return inspectorGeometry(editorState->charWidth, editorState->lineHeight); }

uint32_t lineBit(int line) { return 1u << line; }

RECT lineRect(const InspectorGeometry& g, int line, int left, int right) {
    return RECT{left, line * g.rowHeight, right, (line + 1) * g.rowHeight};
}

// ---------------------------------------------------------------- drawing

// `text` (in the code page, or UTF-16) half a cell into `r`, over its background.
template <typename Char>
void drawText(HDC dc, const RECT& r, COLORREF back, COLORREF color, const Char* text, int length) {
    SetBkColor(dc, back);
    SetTextColor(dc, color);
    const int x = r.left + editorState->charWidth / 2, y = r.top + 1;
    const auto count = static_cast<UINT>(length);
    if constexpr (sizeof(Char) == 1) {
        ExtTextOutA(dc, x, y, ETO_OPAQUE | ETO_CLIPPED, &r, text, count, nullptr);
    } else {
        ExtTextOutW(dc, x, y, ETO_OPAQUE | ETO_CLIPPED, &r, text, count, nullptr);
    }
}

// The value's ASCII text added to a UTF-16 one.
void appendAscii(std::wstring& out, const char* text) {
    for (const char* p = text; *p != '\0'; ++p) out += static_cast<wchar_t>(*p);
}

// The text of a value as a cell shows it (the UTF rows' characters aside).
std::string cellText(const InspectValue& v, InspectRow row) {
    switch (v.kind) {
        case InspectKind::pastEnd: return pane.pastEnd;
        case InspectKind::outOfRange: return pane.outOfRange;
        case InspectKind::invalid: return v.text[0] != '\0' ? std::string(pane.invalid) + " " + v.text : pane.invalid;
        case InspectKind::value: break;
    }
    if (row == InspectRow::shiftJis && v.character[0] != '\0') return std::string(v.character) + " " + v.text;
    return v.text;
}

void drawCell(HDC dc, const RECT& r, InspectRow row, const InspectValue& v, bool selected) {
    const uint32_t* c = editorState->colorTable;
    const COLORREF back = c[selected ? selectionBack : normalBack];
    const COLORREF color = c[selected ? selectionText : normalText];
    if ((row == InspectRow::utf8 || row == InspectRow::utf16) && v.kind == InspectKind::value && v.wide[0] != 0) {
        // Characters outside the code page too: drawn from UTF-16.
        std::wstring text(reinterpret_cast<const wchar_t*>(v.wide));
        text += L' ';
        appendAscii(text, v.text);
        drawText(dc, r, back, color, text.c_str(), static_cast<int>(text.size()));
        return;
    }
    const std::string text = cellText(v, row);
    // Numbers and dates: the cells of the characters copied, no text call.
    // Text calls and copied pixels never share a cell, so that the text calls
    // GDI may still hold back cannot land over copied pixels.
    const bool copied = !selected && copiable(text.c_str());
    RECT rest = r;
    if (row == InspectRow::colorRef && v.kind == InspectKind::value && v.text[0] != '\0') {
        // A swatch of the colour before its red, green and blue.
        const int side = editorState->lineHeight - 2, left = r.left + editorState->charWidth / 2;
        RECT swatch{left, r.top + 2, left + side, r.top + 2 + side};
        if (copied) {
            fillPixels(r, pixelOf(back));
            fillPixels(swatch, pixelOf(v.color));
        } else {
            drawText(dc, r, back, color, "", 0);
            SetBkColor(dc, v.color);
            ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &swatch, nullptr, 0, nullptr);
        }
        rest.left = swatch.right;
    }
    if (!copied) {
        drawText(dc, rest, back, color, text.c_str(), static_cast<int>(text.size()));
        return;
    }
    if (rest.left == r.left) fillPixels(r, pixelOf(back));
    copyGlyphs(text.c_str(), rest.left + editorState->charWidth / 2, r.top, r.right);
}

void drawRow(HDC dc, const InspectorGeometry& g, int width, int r) {
    const auto row = static_cast<InspectRow>(r);
    const int line = r + 1;
    const bool selected = pane.selectedRow == row;
    if (!hasBothEndians(row)) {
        drawCell(dc, lineRect(g, line, g.littleLeft, width), row, pane.shown.at[r][0], selected);
        return;
    }
    drawCell(dc, lineRect(g, line, g.littleLeft, g.bigLeft), row, pane.shown.at[r][0],
             selected && pane.selectedSide == Endian::little);
    drawCell(dc, lineRect(g, line, g.bigLeft, width), row, pane.shown.at[r][1],
             selected && pane.selectedSide == Endian::big);
}

void loadTexts() {
    for (int r = 0; r < kInspectRowCount; ++r)
        loadText(IDS_INSPECT_LABEL_FIRST + r, pane.labels[r], sizeof pane.labels[r]);
    loadText(IDS_INSPECT_LITTLE, pane.heads[0], sizeof pane.heads[0]);
    loadText(IDS_INSPECT_BIG, pane.heads[1], sizeof pane.heads[1]);
    loadText(IDS_INSPECT_PAST_END, pane.pastEnd, sizeof pane.pastEnd);
    loadText(IDS_INSPECT_INVALID, pane.invalid, sizeof pane.invalid);
    loadText(IDS_INSPECT_OUT_OF_RANGE, pane.outOfRange, sizeof pane.outOfRange);
}

// The value colours' character cells, for copyGlyphs.
bool drawGlyphs(const Style& style) {
    const int cw = style.charWidth, lh = style.lineHeight;
    HDC dc = glyphs.prepare((kLastGlyph - kFirstGlyph + 1) * cw, lh);
    if (dc == nullptr) return false;
    SelectedObject use(dc, style.font);
    SetBkColor(dc, style.colors[normalBack]);
    SetTextColor(dc, style.colors[normalText]);
    for (int c = kFirstGlyph; c <= kLastGlyph; ++c) {
        const char ch = static_cast<char>(c);
        RECT cell{(c - kFirstGlyph) * cw, 0, (c - kFirstGlyph + 1) * cw, lh};
        ExtTextOutA(dc, cell.left, 0, ETO_OPAQUE | ETO_CLIPPED, &cell, &ch, 1, nullptr);
    }
    GdiFlush();
    return true;
}

// The parts that stay while the caret moves: splitter, heading, row names.
void drawFrame(HDC dc, const InspectorGeometry& g, int width, int height) {
    const uint32_t* c = editorState->colorTable;
    RECT all{0, 0, width, height};
    drawText(dc, all, c[normalBack], c[normalText], "", 0);
    RECT splitter{0, 0, kInspectorSplitter, height};
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &splitter, nullptr, 0, nullptr);
    drawText(dc, lineRect(g, 0, g.labelLeft, g.littleLeft), c[labelBack], c[labelText], "", 0);
    for (int side = 0; side < 2; ++side) {
        RECT head = lineRect(g, 0, side == 0 ? g.littleLeft : g.bigLeft, side == 0 ? g.bigLeft : width);
        drawText(dc, head, c[labelBack], c[labelText], pane.heads[side], lstrlenA(pane.heads[side]));
    }
    for (int r = 0; r < kInspectRowCount; ++r) {
        drawText(dc, lineRect(g, r + 1, g.labelLeft, g.littleLeft), c[labelBack], c[labelText], pane.labels[r],
                 lstrlenA(pane.labels[r]));
    }
}

Style currentStyle() {
    Style style{};
    style.font = win().displayFont;
    style.charWidth = editorState->charWidth;
    style.lineHeight = editorState->lineHeight;
    std::memcpy(style.colors, editorState->colorTable, sizeof style.colors);
    return style;
}

SIZE clientSize(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return SIZE{client.right, client.bottom};
}

// Whether the glyph strip and the picture are drawn for the pane as it is now.
bool pictureCurrent(const Style& style, SIZE size) {
    return picture.dc() != nullptr && glyphs.dc() != nullptr && style == pane.style && picture.width() == size.cx &&
           picture.height() == size.cy;
}

// Draws the value lines marked dirty into the picture.
void drawDirtyLines(HDC dc, const Style& style, const InspectorGeometry& g) {
    // What GDI still holds back lands before any pixels are copied in.
    GdiFlush();
    SelectedObject font(dc, style.font);
    for (int r = 0; r < kInspectRowCount; ++r) {
        if ((pane.dirtyLines & lineBit(r + 1)) != 0) drawRow(dc, g, picture.width(), r);
    }
    pane.dirtyLines = 0;
}

// Reads the caret's values and marks the lines whose values changed.
void readCaret() {
    pane.stale = false;
    inspectCaret(*editorState, pane.latest);
    for (int r = 0; r < kInspectRowCount; ++r) {
        bool same = true;
        for (int side = 0; side < 2 && same; ++side) {
            const InspectValue& a = pane.latest.at[r][side];
            const InspectValue& b = pane.shown.at[r][side];
            same = a.kind == b.kind && a.color == b.color && a.length == b.length &&
                   std::memcmp(a.text, b.text, sizeof a.text) == 0 &&
                   std::memcmp(a.character, b.character, sizeof a.character) == 0 &&
                   std::memcmp(a.wide, b.wide, sizeof a.wide) == 0;
        }
        if (same) continue;
        std::memcpy(pane.shown.at[r], pane.latest.at[r], sizeof pane.shown.at[r]);
        pane.dirtyLines |= lineBit(r + 1);
    }
}

// The lines marked dirty, across the value columns of a pane `width` wide.
RECT dirtyLinesRect(const InspectorGeometry& g, int width) {
    int first = 0, last = kLines - 1;
    while ((pane.dirtyLines & lineBit(first)) == 0) ++first;
    while ((pane.dirtyLines & lineBit(last)) == 0) --last;
    return RECT{g.littleLeft, first * g.rowHeight, width, (last + 1) * g.rowHeight};
}

void paintPane(HWND window) {
    // Values read for this paint are shown by it wherever their lines lie,
    // not only within the part it was asked for.
    if (pane.stale) {
        readCaret();
        if (pane.dirtyLines != 0) {
            const RECT lines = dirtyLinesRect(geometry(), clientSize(window).cx);
            InvalidateRect(window, &lines, FALSE);
        }
    }
    PAINTSTRUCT ps;
    HDC target = BeginPaint(window, &ps);
    if (target == nullptr) return;
    const Style style = currentStyle();
    const SIZE size = clientSize(window);
    if (size.cx > 0 && size.cy > 0) {
        const InspectorGeometry g = geometry();
        HDC dc = picture.dc();
        if (!pictureCurrent(style, size)) {
            // A new size keeps the glyph strip; a new font or colours make it anew.
            const bool glyphsDrawn = (style == pane.style && glyphs.dc() != nullptr) || drawGlyphs(style);
            pane.style = glyphsDrawn ? style : Style{};
            dc = glyphsDrawn ? picture.prepare(size.cx, size.cy) : nullptr;
            if (dc != nullptr) {
                SetBkMode(dc, TRANSPARENT);
                SelectedObject font(dc, style.font);
                drawFrame(dc, g, size.cx, size.cy);
                pane.dirtyLines = ~0u;
            } else {
                picture.release();
            }
        }
        if (dc != nullptr) {
            drawDirtyLines(dc, style, g);
            BitBlt(target, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
                   ps.rcPaint.bottom - ps.rcPaint.top, dc, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
        }
    }
    EndPaint(window, &ps);
}

// The marked lines drawn into the picture and copied to the window straight
// away: a paint cycle of its own would cost several times the drawing. Left
// to a paint where the picture must first be made (new size, font or
// colours) or the pane cannot be seen.
void showDirtyLines() {
    HWND window = paneWindow();
    if (window == nullptr || pane.dirtyLines == 0) return;
    const InspectorGeometry g = geometry();
    const Style style = currentStyle();
    const SIZE size = clientSize(window);
    RECT r = dirtyLinesRect(g, size.cx);
    const bool current = pictureCurrent(style, size);
    if (!current || !IsWindowVisible(window)) {
        InvalidateRect(window, current ? &r : nullptr, FALSE);
        return;
    }
    HDC dc = picture.dc();
    drawDirtyLines(dc, style, g);
    WindowDc target(window);
    if (target) BitBlt(target.get(), r.left, r.top, r.right - r.left, r.bottom - r.top, dc, r.left, r.top, SRCCOPY);
}

void select(InspectRow row, Endian side) {
    if (!hasBothEndians(row)) side = Endian::little;
    if (row == pane.selectedRow && side == pane.selectedSide) return;
    const uint32_t lines = lineBit(static_cast<int>(pane.selectedRow) + 1) | lineBit(static_cast<int>(row) + 1);
    pane.selectedRow = row;
    pane.selectedSide = side;
    // Lines the user selects are shown at once.
    pane.dirtyLines |= lines;
    showDirtyLines();
}

// ---------------------------------------------------------------- the value editor

void closeEditor() {
    HWND editor = pane.editor;
    if (editor == nullptr) return;
    pane.editor = nullptr;
    const bool hadFocus = GetFocus() == editor;
    DestroyWindow(editor);
    if (hadFocus && paneShown()) SetFocus(paneWindow());
}

void commitEditor() {
    HWND editor = pane.editor;
    if (editor == nullptr || editorState == nullptr) return;
    EditorState& s = *editorState;
    const std::wstring typed = editorWindowText(editor);
    // The value as it opened, or nothing to write to: nothing is written.
    if (typed == editorOpening || !isDocumentLoaded(s) || isEditLocked()) {
        closeEditor();
        return;
    }
    // The Shift-JIS row takes a character of the code page; the others read UTF-8.
    const bool shiftJis = pane.editRow == InspectRow::shiftJis;
    bool representable = true;
    const std::string text = narrowText(typed, shiftJis ? CP_ACP : CP_UTF8, representable);
    pane.committing = true;
    const int written = representable ? writeInspectedValue(s, pane.editRow, pane.editSide, text, mainWindow)
                                      : showError(mainWindow, IDS_ERR_INVALID_TEXT, nullptr);
    pane.committing = false;
    if (written == 0) {
        // Refused: the text stays for the user to mend, or Esc.
        if (IsWindow(editor) && pane.editor == editor) SetFocus(editor);
        return;
    }
    closeEditor();
    repaintView();
    // Every row shows the new bytes now, not once the keyboard lets go.
    inspectorCatchUp();
    updateToolbarStates();
}

LRESULT CALLBACK editorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const WNDPROC original = pane.editorProc;
    switch (message) {
        case WM_KEYDOWN:
            if (wParam == VK_RETURN) {
                commitEditor();
                return 0;
            }
            if (wParam == VK_ESCAPE) {
                closeEditor();
                return 0;
            }
            break;
        case WM_CHAR:
            if (wParam == '\r' || wParam == '\n' || wParam == 0x1B) return 0;  // no beep for Enter and Esc
            break;
        case WM_KILLFOCUS:
            if (HWND pw = paneWindow()) PostMessageA(pw, kCloseEditorMessage, 0, 0);
            break;
        default: break;
    }
    return CallWindowProcW(original, window, message, wParam, lParam);
}

// The text the editor opens with: the value in the form it is typed in,
// which Enter writes back to the same bytes. A Shift-JIS character the code
// page turns into other bytes (one of two codes of a character, or a code
// without one) is offered as its code.
std::wstring editorText(const InspectValue& v, InspectRow row) {
    const std::string typed = typedText(v, row);
    if (row != InspectRow::shiftJis) return wideText(typed, CP_UTF8);
    const std::wstring wide = wideText(typed, CP_ACP);
    bool representable = true;
    if (narrowText(wide, CP_ACP, representable) == typed && representable) return wide;
    return wideText(typedText(v, row, true), CP_ACP);
}

void openEditor() {
    HWND window = paneWindow();
    if (window == nullptr || editorState == nullptr || pane.editor != nullptr) return;
    // Nothing to write to, or writing is locked: nothing happens, as with typed digits.
    if (!isDocumentLoaded(*editorState) || isEditLocked()) return;
    // The editor opens with the value at the caret as it is now.
    inspectorCatchUp();
    const InspectorGeometry g = geometry();
    RECT client{};
    GetClientRect(window, &client);
    const int line = static_cast<int>(pane.selectedRow) + 1;
    const bool big = hasBothEndians(pane.selectedRow) && pane.selectedSide == Endian::big;
    const int left = big ? g.bigLeft : g.littleLeft;
    const int right = hasBothEndians(pane.selectedRow) && !big ? g.bigLeft : client.right;
    const InspectValue& v = pane.shown.at[static_cast<int>(pane.selectedRow)][big ? 1 : 0];
    const std::wstring text = editorText(v, pane.selectedRow);
    HWND editor =
        CreateWindowExW(0, L"EDIT", text.c_str(), WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, left,
                        line * g.rowHeight, right - left, g.rowHeight, window,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_INSPECTOR_EDIT)), appInstance, nullptr);
    if (editor == nullptr) return;
    pane.editor = editor;
    editorOpening = text;
    pane.editRow = pane.selectedRow;
    pane.editSide = big ? Endian::big : Endian::little;
    SendMessageW(editor, WM_SETFONT, reinterpret_cast<WPARAM>(win().displayFont), FALSE);
    pane.editorProc =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrW(editor, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editorProc)));
    SendMessageW(editor, EM_SETSEL, 0, -1);
    SetFocus(editor);
}

// ---------------------------------------------------------------- mouse and keys

// The splitter at the left edge is the pane host's (paneSplitterMessage).
void onButtonDown(HWND window, LPARAM lParam, bool twice) {
    SetFocus(window);
    const InspectorHit hit = inspectorHitTest(geometry(), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    if (hit.part != InspectorHit::cell) return;
    select(hit.row, hit.side);
    if (twice) openEditor();
}

void onKeyDown(WPARAM key) {
    const int row = static_cast<int>(pane.selectedRow);
    switch (key) {
        case VK_UP:
            if (row > 0) select(static_cast<InspectRow>(row - 1), pane.selectedSide);
            break;
        case VK_DOWN:
            if (row + 1 < kInspectRowCount) select(static_cast<InspectRow>(row + 1), pane.selectedSide);
            break;
        case VK_LEFT: select(pane.selectedRow, Endian::little); break;
        case VK_RIGHT: select(pane.selectedRow, Endian::big); break;
        case VK_RETURN: openEditor(); break;
        case VK_ESCAPE:
            if (win().viewWindow != nullptr) SetFocus(win().viewWindow);
            break;
        default: break;
    }
}

void resetPane() {
    std::memset(&pane, 0, sizeof pane);
    pane.selectedRow = InspectRow::int8;
}

}  // namespace

LRESULT CALLBACK inspectorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (editorState == nullptr || editorState->windows == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);
    LRESULT taken = 0;
    if (paneSplitterMessage(window, message, wParam, lParam, taken)) return taken;
    switch (message) {
        case WM_CREATE:
            resetPane();
            loadTexts();
            return 0;
        case WM_DESTROY:
            KillTimer(window, kFollowTimerId);
            pane.followPending = false;
            pane.editor = nullptr;
            picture.release();
            glyphs.release();
            pane.style = Style{};
            return 0;
        case WM_PAINT: paintPane(window); return 0;
        case WM_LBUTTONDOWN: onButtonDown(window, lParam, false); return 0;
        case WM_LBUTTONDBLCLK: onButtonDown(window, lParam, true); return 0;
        case WM_KEYDOWN: onKeyDown(wParam); return 0;
        case WM_TIMER:
            if (wParam == kFollowTimerId) inspectorCatchUp();
            return 0;
        case kCloseEditorMessage:
            if (pane.editor != nullptr && !pane.committing && GetFocus() != pane.editor) closeEditor();
            return 0;
        default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The caret's values are read and the lines that changed shown once the
// keyboard lets go (a timer comes after every key press and paint waiting in
// the queue), so that a caret move, or a key held down, is painted in the
// view as fast as without the pane. Without a timer they are shown at once.
void inspectorFollow() {
    if (!paneShown()) return;
    pane.stale = true;
    if (pane.followPending) return;
    pane.followPending = SetTimer(paneWindow(), kFollowTimerId, USER_TIMER_MINIMUM, nullptr) != 0;
    if (!pane.followPending) inspectorCatchUp();
}

void inspectorCatchUp() {
    HWND window = paneWindow();
    if (window == nullptr) return;
    if (pane.followPending) KillTimer(window, kFollowTimerId);
    pane.followPending = false;
    if (pane.stale) readCaret();
    showDirtyLines();
}

bool isInspectorEditor(HWND window) { return window != nullptr && window == pane.editor; }

// The pane in the pane host beside the view (shell/panes_win.h).
extern const PaneHooks inspectorPaneHooks = {
    kInspectorClassName,
    inspectorWindowProc,
    CS_DBLCLKS,
    IDM_INSPECTOR,
    IDC_INSPECTOR,
    IDS_PANE_INSPECTOR,
    IDH_INSPECTOR,
    "Inspect",
    [](EditorState& s) -> PanePlacement& { return s.inspector; },
    [](EditorState& s) -> int32_t& { return s.inspectorChanged; },
    []() -> HWND& { return win().inspectorWindow; },
    [](const EditorState& s, int32_t containerWidth) {
        return inspectorPaneWidth(s.inspector, containerWidth, s.charWidth);
    },
    inspectorFollow,
    closeEditor,
    [](const MSG& message) { return isInspectorEditor(message.hwnd); },
};
