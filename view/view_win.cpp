// The hex view window (class WCView): it turns messages into operations on
// the state (view/view_input.h), carries out their effects, and paints the
// plan of view/paint_plan.h through an off-screen bitmap.
#include "view/view_win.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gdi_win.h"
#include "resource_ids.h"
#include "shell/editor_state_win.h"
#include "shell/context_menu_win.h"
#include "shell/layout_win.h"
#include "shell/panes_win.h"
#include "view/colors.h"
#include "view/kept_picture.h"
#include "view/paint_plan.h"
#include "view/view_input.h"
#include "view/view_layout.h"

namespace {

constexpr UINT_PTR kDragTimerId = 1;
constexpr UINT kDragTimerPeriod = 50;
constexpr UINT_PTR kAutoScrollTimerId = 3;
constexpr UINT kAutoScrollTimerPeriod = 500;

bool haveView() {
    return editorState != nullptr && editorState->windows != nullptr && win().viewWindow != nullptr;
}

// The off-screen picture, kept while the view keeps its size so that a paint
// does not allocate a screen-sized bitmap each time.
class Canvas {
public:
    ~Canvas() { release(); }

    // A memory device context holding a bitmap of at least this size, or null.
    // `fresh` tells whether the bitmap is a new one, holding nothing yet.
    HDC prepare(HWND window, int width, int height, bool* fresh = nullptr) {
        if (fresh != nullptr) *fresh = false;
        if (dc_ && width <= width_ && height <= height_) return dc_.get();
        release();
        WindowDc screen(window);
        if (!screen) return nullptr;
        dc_ = MemoryDc(screen.get());
        bitmap_.reset(CreateCompatibleBitmap(screen.get(), width, height));
        if (!dc_ || !bitmap_) {
            release();
            return nullptr;
        }
        original_ = SelectObject(dc_.get(), bitmap_.get());
        width_ = width;
        height_ = height;
        if (fresh != nullptr) *fresh = true;
        return dc_.get();
    }

    void release() {
        if (dc_ && original_ != nullptr) SelectObject(dc_.get(), original_);
        original_ = nullptr;
        dc_.reset();
        bitmap_.reset();
        width_ = height_ = 0;
    }

private:
    MemoryDc dc_;
    GdiObject<HBITMAP> bitmap_;
    HGDIOBJ original_ = nullptr;
    int width_ = 0, height_ = 0;
};

Canvas canvas;
KeptPicture kept;  // what the canvas holds
PaintPlan plan;    // kept for its storage
KeptPicture::Update changes;
std::vector<KeptPicture::Piece> pieces;
std::string frameInputs;

// Pens of the plan's lines, made once per paint for each colour and width.
class PenSet {
public:
    HPEN get(COLORREF color, int width) {
        for (const Entry& e : pens_) {
            if (e.color == color && e.width == width) return e.pen.get();
        }
        pens_.push_back({color, width, GdiObject<HPEN>(CreatePen(PS_SOLID, width, color))});
        return pens_.back().pen.get();
    }

private:
    struct Entry {
        COLORREF color;
        int width;
        GdiObject<HPEN> pen;
    };
    std::vector<Entry> pens_;
};

void drawOp(HDC dc, const PaintPlan& p, const PaintOp& op, COLORREF color, PenSet& pens, HICON icon) {
    switch (op.kind) {
        case PaintKind::Fill: {
            // An opaque empty text fills without a brush.
            RECT r{op.x0, op.y0, op.x1, op.y1};
            SetBkColor(dc, color);
            ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
            break;
        }
        case PaintKind::Text:
            SetTextColor(dc, color);
            ExtTextOutA(dc, op.x0, op.y0, 0, nullptr, p.textOf(op), op.length, nullptr);
            break;
        case PaintKind::Line:
            SelectObject(dc, pens.get(color, op.width));
            MoveToEx(dc, op.x0, op.y0, nullptr);
            LineTo(dc, op.x1, op.y1);
            break;
        case PaintKind::Icon:
            if (icon != nullptr) DrawIconEx(dc, op.x0, op.y0, icon, 0, 0, 0, nullptr, DI_NORMAL);
            break;
    }
}

// Fills the rectangles of the band's fill operations [first, end), which are
// of one colour, side by side (the runs of marked cells of a row), as one
// region: one call instead of one for each. False when the region cannot be made.
bool fillRuns(HDC dc, const PaintPlan& p, const PaintBand& band, uint32_t first, uint32_t end, COLORREF color) {
    static std::vector<RECT> storage;  // the header, then the rectangles
    const size_t headerRects = (sizeof(RGNDATAHEADER) + sizeof(RECT) - 1) / sizeof(RECT);
    storage.assign(headerRects + (end - first), RECT{});
    RECT* rects = storage.data() + headerRects;
    RECT bounds{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (uint32_t i = first; i < end; ++i) {
        const PaintOp& op = p.bandOp(band, i);
        const RECT r{op.x0, op.y0, op.x1, op.y1};
        rects[i - first] = r;
        bounds = RECT{std::min(bounds.left, r.left), std::min(bounds.top, r.top), std::max(bounds.right, r.right),
                      std::max(bounds.bottom, r.bottom)};
    }
    auto* data = reinterpret_cast<RGNDATA*>(storage.data());
    data->rdh = RGNDATAHEADER{sizeof(RGNDATAHEADER), RDH_RECTANGLES, end - first, 0, bounds};
    const auto size = static_cast<DWORD>(storage.size() * sizeof(RECT));
    GdiObject<HRGN> region(ExtCreateRegion(nullptr, size, data));
    if (!region) return false;
    SetDCBrushColor(dc, color);
    FillRgn(dc, region.get(), static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    return true;
}

// A plan's colour slot; the highlighted bytes' colour lies between the
// selection's background and the normal one.
COLORREF slotColor(const EditorState& s, uint8_t slot) {
    if (slot < kColorSlots) return s.colorTable[slot];
    return mixedColor(s.colorTable[selectionBack], s.colorTable[normalBack]);
}

// Draws bands of the plan into a picture, each clipped to itself, band b at
// the picture's pixel row slotTop(b).
template <typename SlotTop>
void drawBands(HDC dc, const PaintPlan& p, const std::vector<int32_t>& bands, SlotTop slotTop) {
    if (bands.empty()) return;
    const EditorState& s = *editorState;
    SelectedObject font(dc, win().displayFont);
    PenSet pens;
    HGDIOBJ originalPen = GetCurrentObject(dc, OBJ_PEN);
    GdiObject<HRGN> clip(CreateRectRgn(0, 0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    for (int32_t b : bands) {
        const PaintBand& band = p.bands[static_cast<size_t>(b - p.firstBand)];
        const int32_t top = slotTop(b);
        SetRectRgn(clip.get(), 0, top, p.width, top + band.bottom - band.top);
        SelectClipRgn(dc, clip.get());
        SetViewportOrgEx(dc, 0, top - band.top, nullptr);
        for (uint32_t i = 0; i < band.count;) {
            const PaintOp& op = p.bandOp(band, i);
            // Fills of one colour in a row (the runs of marked cells) in one region.
            uint32_t end = i + 1;
            while (op.kind == PaintKind::Fill && end < band.count && p.bandOp(band, end).kind == PaintKind::Fill &&
                   p.bandOp(band, end).color == op.color)
                ++end;
            const COLORREF color = slotColor(s, op.color);
            if (end - i < 2 || !fillRuns(dc, p, band, i, end, color)) {
                for (uint32_t k = i; k < end; ++k) {
                    drawOp(dc, p, p.bandOp(band, k), color, pens, win().viewIcon);
                }
            }
            i = end;
        }
    }
    SetViewportOrgEx(dc, 0, 0, nullptr);
    SelectClipRgn(dc, nullptr);
    SelectObject(dc, originalPen);  // before the pens go
}

// What the picture depends on beside the plan: its size, the font and the colours.
const std::string& pictureFrame(const ViewMetrics& m) {
    frameInputs.clear();
    auto put = [](const void* bytes, size_t size) { frameInputs.append(static_cast<const char*>(bytes), size); };
    put(&m, sizeof m);
    put(editorState->colorTable, sizeof editorState->colorTable);
    LOGFONTA font{};
    GetObjectA(win().displayFont, sizeof font, &font);
    put(&font, sizeof font);
    HICON icon = win().viewIcon;
    put(&icon, sizeof icon);
    return frameInputs;
}

ViewMetrics measureView(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    const EditorState& s = *editorState;
    return ViewMetrics{s.charWidth, s.lineHeight, client.right, client.bottom, GetSystemMetrics(SM_CXBORDER)};
}

void setThumb() {
    SCROLLINFO& si = win().viewScrollInfo;
    si.cbSize = sizeof si;
    si.fMask = SIF_POS;
    si.nPos = thumbForTopRow(*editorState);
    // Setting the same position only draws the bar again, which costs more
    // than painting the rows; beyond 65,536 rows most line scrolls keep it.
    if (GetScrollPos(win().viewWindow, SB_VERT) == si.nPos) return;
    SetScrollInfo(win().viewWindow, SB_VERT, &si, TRUE);
}

HCURSOR arrowCursor() { return LoadCursorA(nullptr, IDC_ARROW); }

void setViewCursor(HWND window, HCURSOR cursor) {
    SetClassLongPtrA(window, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(cursor));
    SetCursor(cursor);
}

void endAutoScrollMode(HWND window) {
    KillTimer(window, kAutoScrollTimerId);
    setViewCursor(window, arrowCursor());
    repaintView();  // takes the icon away
}

int keyModifier() {
    const bool shift = (GetKeyState(VK_SHIFT) & 0xFF00) != 0;
    if ((GetKeyState(VK_CONTROL) & 0xFF00) != 0) return shift ? modifierCtrlShift : modifierCtrl;
    return shift ? modifierShift : modifierNone;
}

// Client coordinates as the mouse messages carry them: unsigned 16-bit values.
int32_t messageX(LPARAM lParam) { return LOWORD(lParam); }
int32_t messageY(LPARAM lParam) { return HIWORD(lParam); }

POINT cursorInClient(HWND window) {
    POINT p{};
    GetCursorPos(&p);
    ScreenToClient(window, &p);
    return p;
}

LRESULT onCreate() {
    // Older wheel drivers send this registered message instead of WM_MOUSEWHEEL.
    if (editorState != nullptr && editorState->windows != nullptr) {
        win().wheelMessageId = RegisterWindowMessageA("MSWHEEL_ROLLMSG");
    }
    return 0;
}

// Brings the kept picture up to the state, drawing only the bands that
// changed, adds the bands whose picture changed to the update region, and
// copies the update region from the picture.
void onPaint(HWND window) {
    HDC dc = nullptr;
    if (editorState != nullptr && editorState->documentBytes != nullptr) {
        EditorState& s = *editorState;
        const ViewMetrics m = measureView(window);
        buildPaintPlan(s, m, isKanjiMode(), plan);
        s.visibleRows = plan.visibleRows;
        bool fresh = false;
        if (m.clientWidth > 0 && m.clientHeight > 0) dc = canvas.prepare(window, m.clientWidth, m.clientHeight, &fresh);
        if (fresh) kept.forget();
        if (dc != nullptr) {
            kept.update(plan, s.topRow, pictureFrame(m), changes);
            drawBands(dc, plan, changes.draw, [&](int32_t b) { return kept.slotOf(b) * m.lineHeight; });
            // Adjacent bands in one rectangle: each invalidation asks the system.
            for (size_t i = 0; i < changes.show.size();) {
                size_t j = i + 1;
                while (j < changes.show.size() && changes.show[j] == changes.show[j - 1] + 1) ++j;
                RECT r{0, plan.bands[static_cast<size_t>(changes.show[i])].top, m.clientWidth,
                       plan.bands[static_cast<size_t>(changes.show[j - 1])].bottom};
                InvalidateRect(window, &r, FALSE);
                i = j;
            }
        }
    }
    PAINTSTRUCT ps;
    HDC target = BeginPaint(window, &ps);
    if (target == nullptr) {
        kept.forget();  // the window was not given what changed
        return;
    }
    if (dc != nullptr) {
        kept.pieces(ps.rcPaint.top, ps.rcPaint.bottom, pieces);
        const int width = ps.rcPaint.right - ps.rcPaint.left;
        for (const KeptPicture::Piece& p : pieces) {
            BitBlt(target, ps.rcPaint.left, p.viewTop, width, p.height, dc, ps.rcPaint.left, p.pictureTop, SRCCOPY);
        }
    }
    EndPaint(window, &ps);
}

bool startAutoScrollAt(HWND window, int32_t x, int32_t y) {
    if (!startAutoScroll(*editorState, x, y)) return false;
    if (HICON icon = win().viewIcon) {
        WindowDc dc(window);
        if (dc) DrawIconEx(dc.get(), x - kIconSize / 2, y - kIconSize / 2, icon, 0, 0, 0, nullptr, DI_NORMAL);
    }
    setViewCursor(window, win().viewCursor1);
    SetTimer(window, kAutoScrollTimerId, kAutoScrollTimerPeriod, nullptr);
    return true;
}

void beginDrag(HWND window, int32_t x, int32_t y, bool extend) {
    unsigned effects = beginMouseSelection(*editorState, x, y, extend);
    SetCapture(window);
    SetTimer(window, kDragTimerId, kDragTimerPeriod, nullptr);
    applyViewEffects(effects);
}

void endDrag(HWND window) {
    if (endMouseSelection(*editorState) == effectNone) return;
    KillTimer(window, kDragTimerId);
    if (GetCapture() == window) ReleaseCapture();
    updateCopyButton();
}

// Every button press takes the search frame away; one that ends auto-scroll
// mode does nothing else. True when the press goes on to its own work.
bool pressGoesOn(HWND window) {
    EditorState& s = *editorState;
    if (paneHasFocus()) SetFocus(window);  // the keys follow the click back from a pane
    s.foundOffset = -1;
    if (!stopAutoScroll(s)) return true;
    endAutoScrollMode(window);
    return false;
}

void onLeftButtonDown(HWND window, WPARAM keys, LPARAM lParam) {
    EditorState& s = *editorState;
    if (!pressGoesOn(window) || !isDocumentLoaded(s)) return;
    const int32_t x = messageX(lParam), y = messageY(lParam);
    if ((keys & MK_SHIFT) != 0 && (keys & MK_CONTROL) != 0 && startAutoScrollAt(window, x, y)) return;
    beginDrag(window, x, y, (keys & MK_SHIFT) != 0);
}

void onRightButtonDown(HWND window, LPARAM lParam) {
    EditorState& s = *editorState;
    if (!pressGoesOn(window) || !isDocumentLoaded(s)) return;
    const int32_t x = messageX(lParam);
    int menu = IDR_POPUP_DUMP;
    switch (viewAreaAt(x, s.charWidth)) {
        case ViewArea::Address: menu = IDR_POPUP_ADDRESS; break;
        case ViewArea::Dump: menu = IDR_POPUP_DUMP; break;
        case ViewArea::Ascii: menu = IDR_POPUP_ASCII; break;
    }
    showContextMenu(window, menu, x, messageY(lParam));
}

void onMiddleButtonDown(HWND window, LPARAM lParam) {
    if (pressGoesOn(window)) startAutoScrollAt(window, messageX(lParam), messageY(lParam));
}

void onTimer(HWND window, WPARAM id) {
    EditorState& s = *editorState;
    RECT client{};
    GetClientRect(window, &client);
    POINT p = cursorInClient(window);
    if (id == kDragTimerId && s.dragging != 0) {
        applyViewEffects(dragScrollTick(s, p.y, client.top, client.bottom));
    } else if (id == kAutoScrollTimerId && s.autoScrollActive != 0) {
        AutoScrollStep step = autoScrollTick(s, p.y, client.bottom);
        HCURSOR cursor = step.cursor == cursorDown ? win().viewCursor2
                         : step.cursor == cursorUp ? win().viewCursor3
                                                   : win().viewCursor1;
        if (reinterpret_cast<HCURSOR>(GetClassLongPtrA(window, GCLP_HCURSOR)) != cursor) setViewCursor(window, cursor);
        applyViewEffects(step.effects);
    }
}

void onWheel(HWND window, int32_t delta) {
    unsigned effects = onViewWheel(*editorState, delta);
    if ((effects & effectStopAutoScroll) != 0) endAutoScrollMode(window);
    applyViewEffects(effects & ~static_cast<unsigned>(effectStopAutoScroll));
}

LRESULT onKeyDown(HWND window, WPARAM key) {
    unsigned effects =
        onViewKeyDown(*editorState, window, static_cast<int>(key), keyModifier(), isEditLocked() != 0);
    if ((effects & effectStopAutoScroll) != 0) endAutoScrollMode(window);
    applyViewEffects(effects & ~static_cast<unsigned>(effectStopAutoScroll));
    return 0;
}

// A character for the text column: a byte of the process code page from
// WM_CHAR (the class is ANSI, so a double-byte character comes as its two
// bytes), or a whole double-byte character from the input method.
LRESULT onChar(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    EditorState& s = *editorState;
    if (message == WM_IME_CHAR && s.caretInText == 0) return DefWindowProcA(window, message, wParam, lParam);
    const auto code = static_cast<uint32_t>(message == WM_IME_CHAR ? LOWORD(wParam) : wParam & 0xFF);
    const bool lead = message == WM_CHAR && IsDBCSLeadByte(static_cast<BYTE>(code)) != 0;
    applyViewEffects(onViewChar(s, window, code, lead, isEditLocked() != 0));
    return 0;
}

}  // namespace

void paintView(HWND window, HDC target) {
    EditorState& s = *editorState;
    const ViewMetrics m = measureView(window);
    buildPaintPlan(s, m, isKanjiMode(), plan);
    s.visibleRows = plan.visibleRows;
    if (m.clientWidth <= 0 || m.clientHeight <= 0) return;
    // A picture of its own, so that the kept one and what it stands for stay as they are.
    Canvas fresh;
    HDC dc = fresh.prepare(window, m.clientWidth, m.clientHeight);
    if (dc == nullptr) return;
    std::vector<int32_t> all(plan.bands.size());
    for (size_t b = 0; b < all.size(); ++b) all[b] = static_cast<int32_t>(b);
    drawBands(dc, plan, all, [](int32_t b) { return plan.bands[static_cast<size_t>(b)].top; });
    BitBlt(target, 0, 0, m.clientWidth, m.clientHeight, dc, 0, 0, SRCCOPY);
}

void releaseViewCanvas() {
    canvas.release();
    kept.forget();
}

void redrawWholeView() {
    kept.forget();
    if (haveView()) InvalidateRect(win().viewWindow, nullptr, FALSE);
}

void applyViewEffects(unsigned effects) {
    if (!haveView()) return;
    if ((effects & effectScrolled) != 0) setThumb();
    if ((effects & effectRepaint) != 0) repaintView();
    if ((effects & effectCaretStatus) != 0) showCaretStatus();
    if ((effects & effectSelection) != 0) {
        updateCopyButton();
        showSelectionStatus();
    }
    if ((effects & effectToolbar) != 0) updateToolbarStates();
    if ((effects & effectPostExit) != 0 && mainWindow != nullptr) PostMessageA(mainWindow, WM_COMMAND, IDM_EXIT, 0);
    if ((effects & effectBeep) != 0) MessageBeep(MB_OK);
}

void repaintView() {
    // One pixel is enough to have the view painted: the paint itself finds
    // the bands that changed and gives the window those.
    static const RECT pixel{0, 0, 1, 1};
    if (haveView()) InvalidateRect(win().viewWindow, &pixel, FALSE);
    // Every change of the bytes or the caret asks for this: the panes follow it.
    panesFollow();
}

int bringCaretIntoView() {
    if (editorState == nullptr) return 1;
    applyViewEffects(bringCaretIntoView(*editorState));
    return 1;
}

void updateCopyButton() {
    if (editorState == nullptr) return;
    postButtonState(IDM_COPY, isDocumentLoaded(*editorState) && editorState->selectionEndRow >= 0);
}

LRESULT CALLBACK viewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (editorState == nullptr || editorState->windows == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    EditorState& s = *editorState;
    switch (message) {
        case WM_CREATE: return onCreate();
        case WM_PAINT: onPaint(window); return 0;
        case WM_PRINTCLIENT:
            if (s.documentBytes != nullptr) paintView(window, reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_KEYDOWN: return onKeyDown(window, wParam);
        case WM_CHAR:
        case WM_IME_CHAR: return onChar(window, message, wParam, lParam);
        case WM_LBUTTONDOWN: onLeftButtonDown(window, wParam, lParam); return 0;
        case WM_MOUSEMOVE:
            if (s.dragging != 0) {
                RECT client{};
                GetClientRect(window, &client);
                applyViewEffects(trackMouseSelection(s, messageX(lParam), messageY(lParam), client.bottom));
            }
            return 0;
        case WM_LBUTTONUP: endDrag(window); return 0;
        case WM_CAPTURECHANGED:
            // Capture taken away in the middle of a drag (another window, a
            // message box): the drag ends as on a release.
            if (reinterpret_cast<HWND>(lParam) != window) endDrag(window);
            return 0;
        case WM_RBUTTONDOWN: onRightButtonDown(window, lParam); return 0;
        case WM_MBUTTONDOWN: onMiddleButtonDown(window, lParam); return 0;
        case WM_TIMER: onTimer(window, wParam); return 0;
        case WM_VSCROLL:
            if (isDocumentLoaded(s)) applyViewEffects(onViewVScroll(s, LOWORD(wParam), HIWORD(wParam)));
            return 0;
        case WM_MOUSEWHEEL: onWheel(window, GET_WHEEL_DELTA_WPARAM(wParam)); return 0;
        case WM_DESTROY:
            KillTimer(window, kDragTimerId);
            KillTimer(window, kAutoScrollTimerId);
            releaseViewCanvas();
            return 0;
        default:
            if (message != 0 && message == win().wheelMessageId) {
                onWheel(window, static_cast<int32_t>(wParam));
                return 0;
            }
            return DefWindowProcA(window, message, wParam, lParam);
    }
}
