#include "view/view_input.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "document/edit.h"
#include "document/record_list.h"
#include "document/selection.h"
#include "document/undo.h"
#include "view/view_layout.h"

namespace {

int32_t lastOffset(const EditorState& s) { return static_cast<int32_t>(s.documentSize) - 1; }

// Rows the view can scroll through: topRow stays within 0 .. R.
int32_t scrollRange(const EditorState& s) { return s.rowCount - s.visibleRows; }

int32_t clampTopRow(const EditorState& s, int64_t top) {
    if (top < 0) top = 0;
    if (s.visibleRows >= s.rowCount) return 0;
    return static_cast<int32_t>(std::min<int64_t>(top, scrollRange(s)));
}

// Scrolls so that the caret's row shows, at the top as far as the end allows;
// effectNone when it shows already.
unsigned showCaretRow(EditorState& s) {
    if (s.rowCount <= s.visibleRows) return effectNone;
    const int32_t row = s.caretOffset / kBytesPerRow;
    auto outside = [&] { return row < s.topRow || row - s.topRow > s.visibleRows - 1; };
    if (!outside()) return effectNone;
    const int32_t thumb = std::clamp(mulDiv(row, s.scrollMax, scrollRange(s)), 0, s.scrollMax);
    unsigned effects = onViewVScroll(s, scrollThumbTrack, thumb);
    // Beyond 65,536 rows the thumb's grid can leave the caret's row a few rows
    // outside the view; line scrolling is exact, so it finishes the job.
    if (outside()) {
        s.topRow = clampTopRow(s, row < s.topRow ? row : static_cast<int64_t>(row) - s.visibleRows + 1);
        effects |= effectScrolled;
    }
    return effects;
}

// After a key moved the caret: a row just above or below the view scrolls in
// by one row; a row farther away (the caret was out of sight) is brought into
// view whole, so that a typed digit never changes a byte the user cannot see.
unsigned followCaretRow(EditorState& s) {
    const int64_t below = static_cast<int64_t>(s.caretOffset / kBytesPerRow) - s.topRow;
    if (below == -1) return onViewVScroll(s, scrollLineUp, 0);
    if (below == s.visibleRows) return onViewVScroll(s, scrollLineDown, 0);
    return showCaretRow(s);
}

// The caret's last place in the document: the low nibble of the last byte,
// or in the text column that byte.
bool lastNibbleOfDocument(const EditorState& s) {
    return s.caretOffset == lastOffset(s) && (s.caretNibble != 0 || s.caretInText != 0);
}

int32_t lastNibble(const EditorState& s) { return s.caretInText != 0 ? 0 : 1; }

int32_t rowAt(const EditorState& s, int32_t y) {
    const int32_t lh = s.lineHeight > 0 ? s.lineHeight : 1;
    return y / lh + s.topRow;
}

// The byte nearest to a client point: the address stands for the row's first
// byte, a blank or a place right of a column for the byte beside it, a place
// past the document for its last byte.
int32_t byteNearPoint(const EditorState& s, int32_t x, int32_t y) {
    const int32_t cw = s.charWidth > 0 ? s.charWidth : 1;
    int32_t column = 0;
    switch (viewAreaAt(x, cw)) {
        case ViewArea::Address: column = 0; break;
        case ViewArea::Dump: column = (x - kDumpColumnStart * cw) / cw / 3; break;
        case ViewArea::Ascii: column = (x - kAsciiColumnStart * cw) / cw; break;
    }
    const int64_t offset = static_cast<int64_t>(rowAt(s, y)) * kBytesPerRow + std::clamp(column, 0, 15);
    return static_cast<int32_t>(std::clamp<int64_t>(offset, 0, lastOffset(s)));
}

// After a caret move with the switch on: Shift selects from the anchor to
// the caret's byte; a move without Shift ends the selection.
unsigned updateByteSelection(EditorState& s, int32_t before, int modifier) {
    if ((modifier & modifierShift) != 0) {
        setByteSelection(s, hasByteSelection(s) ? s.selectionAnchorByte : before, s.caretOffset);
    } else {
        if (!hasByteSelection(s) && s.selectionAnchorByte < 0) return effectNone;
        clearSelection(s);
    }
    return effectSelection;
}

// Typing replaces no selection: it ends it and types as without one.
unsigned dropByteSelection(EditorState& s) {
    if (!hasByteSelection(s)) return effectNone;
    clearSelection(s);
    return effectSelection | effectRepaint;
}

}  // namespace

int32_t mulDiv(int32_t a, int32_t b, int32_t c) {
    if (c == 0) return -1;
    int64_t n = static_cast<int64_t>(a) * b;
    int64_t d = c;
    if (d < 0) {
        n = -n;
        d = -d;
    }
    const int64_t q = (n >= 0 ? n + d / 2 : n - d / 2) / d;
    if (q > 2147483647 || q < -2147483647) return -1;
    return static_cast<int32_t>(q);
}

// ---------------------------------------------------------------- scrolling

int32_t thumbForTopRow(const EditorState& s) {
    return s.visibleRows < s.rowCount ? mulDiv(s.topRow, s.scrollMax, scrollRange(s)) : 0;
}

int32_t topRowForThumb(const EditorState& s, int32_t thumb) { return mulDiv(thumb, scrollRange(s), s.scrollMax); }

unsigned onViewVScroll(EditorState& s, int code, int32_t thumb) {
    int64_t top = s.topRow;
    switch (code) {
        case scrollLineUp: top -= 1; break;
        case scrollLineDown: top += 1; break;
        case scrollPageUp: top -= s.visibleRows; break;
        case scrollPageDown: top += s.visibleRows; break;
        case scrollThumbPosition:
        case scrollThumbTrack:
            if (s.rowCount == s.visibleRows) return effectNone;
            top = topRowForThumb(s, thumb);
            break;
        case scrollTop: top = 0; break;
        case scrollBottom: top = s.rowCount; break;
        default: return effectNone;
    }
    s.topRow = clampTopRow(s, top);
    return effectScrolled | effectRepaint;
}

unsigned scrollByRows(EditorState& s, int64_t rows) {
    const int32_t top = clampTopRow(s, s.topRow + rows);
    if (top == s.topRow) return effectNone;
    s.topRow = top;
    return effectScrolled | effectRepaint;
}

unsigned scrollByPixels(EditorState& s, int32_t pixels) {
    if (s.lineHeight <= 0) return effectNone;
    return scrollByRows(s, pixels / s.lineHeight);
}

unsigned onViewWheel(EditorState& s, int32_t delta) {
    if (stopAutoScroll(s)) return effectStopAutoScroll;
    if (!isDocumentLoaded(s)) return effectNone;
    return scrollByRows(s, delta > 0 ? -3 : 3);
}

unsigned setVisibleRows(EditorState& s, int32_t rows) {
    s.visibleRows = rows;
    const int32_t top = clampTopRow(s, s.topRow);
    // The thumb's range changes with the page, so its position is set even
    // when the top row stays.
    if (top == s.topRow) return effectScrolled;
    s.topRow = top;
    return effectScrolled | effectRepaint;
}

// ---------------------------------------------------------------- caret and keys

int hexDigitKeyValue(int key) {
    if (key >= '0' && key <= '9') return key - '0';
    if (key >= 0x60 && key <= 0x69) return key - 0x60;  // numeric pad
    if (key >= 'A' && key <= 'F') return key - 'A' + 10;
    return -1;
}

unsigned updateRowSelection(EditorState& s, int32_t previous, int32_t row, int modifier) {
    if (previous == -1) {
        clearSelection(s);
    } else if (modifier == modifierShift) {
        if (s.keySelecting == 0) {
            s.keySelecting = 1;
            s.selectionTrackRow = previous / kBytesPerRow;
            s.selectionAnchorRow = previous / kBytesPerRow;
        }
        s.selectionEndRow = row;
    } else {
        s.keySelecting = 0;
    }
    return effectSelection;
}

unsigned moveCaretByKey(EditorState& s, int key, int modifier) {
    // Only a movement key ends a typed run: the key of a letter typed into
    // the text column comes here too, before its character.
    if (!isDocumentLoaded(s) || key < keyPageUp || key > keyDown) return effectNone;
    endTypedRun(s);  // the next typed digit opens a step of its own
    const bool ctrl = (modifier & modifierCtrl) != 0;
    const int32_t before = s.caretOffset;
    unsigned effects = effectNone;
    int32_t previous = -1;
    int64_t caret = s.caretOffset;
    switch (key) {
        case keyPageUp:
            previous = s.caretOffset;
            caret -= static_cast<int64_t>(kBytesPerRow) * s.visibleRows;
            effects |= onViewVScroll(s, scrollPageUp, 0);
            break;
        case keyPageDown:
            previous = s.caretOffset;
            caret += static_cast<int64_t>(kBytesPerRow) * s.visibleRows;
            effects |= onViewVScroll(s, scrollPageDown, 0);
            break;
        case keyEnd:
            if (ctrl) {
                caret = lastOffset(s);
                s.caretNibble = lastNibble(s);
                effects |= onViewVScroll(s, scrollBottom, 0);
            } else {
                if (lastNibbleOfDocument(s)) return effectNone;
                caret = caret - caret % kBytesPerRow + 15;
                s.caretNibble = lastNibble(s);
            }
            break;
        case keyHome:
            if (s.caretOffset == 0 && s.caretNibble == 0) return effectNone;
            s.caretNibble = 0;
            if (ctrl) {
                caret = 0;
                effects |= onViewVScroll(s, scrollTop, 0);
            } else {
                caret -= caret % kBytesPerRow;
            }
            break;
        case keyLeft:
            if (s.caretNibble != 0 && s.caretInText == 0) {
                s.caretNibble = 0;
            } else {
                if (caret == 0) return effectNone;
                caret -= 1;
                s.caretNibble = lastNibble(s);
            }
            break;
        case keyUp:
            if (caret < kBytesPerRow) return effectNone;
            previous = s.caretOffset;
            caret -= kBytesPerRow;
            break;
        case keyRight:
            if (s.caretNibble == 0 && s.caretInText == 0) {
                s.caretNibble = 1;
            } else {
                if (caret >= lastOffset(s)) return effectNone;
                caret += 1;
                s.caretNibble = 0;
            }
            break;
        case keyDown:
            if (caret / kBytesPerRow + 1 >= s.rowCount) return effectNone;
            previous = s.caretOffset;
            caret += kBytesPerRow;
            break;
        default:
            return effectNone;
    }

    s.caretOffset = static_cast<int32_t>(std::clamp<int64_t>(caret, 0, lastOffset(s)));
    const int32_t row = s.caretOffset / kBytesPerRow;
    effects |= s.unlimited != 0 ? updateByteSelection(s, before, modifier) : updateRowSelection(s, previous, row, modifier);
    return effects | followCaretRow(s) | effectRepaint | effectCaretStatus;
}

unsigned bringCaretIntoView(EditorState& s) {
    return showCaretRow(s) | effectCaretStatus | effectToolbar | effectRepaint;
}

unsigned typeHexDigit(EditorState& s, WindowRef owner, int value, bool editLocked) {
    if (editLocked || !caretOnDocument(s)) return effectNone;
    const uint8_t old = s.documentBytes[s.caretOffset];
    const uint8_t digit = static_cast<uint8_t>(value & 0x0F);
    const uint8_t now = s.caretNibble == 0 ? static_cast<uint8_t>((digit << 4) | (old & 0x0F))
                                           : static_cast<uint8_t>((old & 0xF0) | digit);
    // Opened before the selection goes, so that undo brings it back.
    beginStep(s, true);
    unsigned effects = dropByteSelection(s);
    // The digit already there changes nothing, but the caret moves on all the
    // same: the next digits then land where the user counts them.
    if (now != old) {
        if (!keepRange(s, s.caretOffset, 1)) {
            reportOutOfMemory(owner);
            return effects;
        }
        if (recordChangeAtCaret(s, 1, owner) == 0) {
            commitStep(s);
            return effects;
        }
        s.documentBytes[s.caretOffset] = now;
        s.modified = 1;
        effects |= effectToolbar;
    }
    const unsigned moved = moveCaretByKey(s, keyRight, modifierNone);
    commitStep(s);
    // On the last nibble the caret stays; its row still comes into view.
    return effects | (moved != effectNone ? moved : followCaretRow(s) | effectRepaint);
}

namespace {

// Overwrites the bytes at the caret with one typed character and moves the
// caret past it (on the last byte it stays).
unsigned typeTextBytes(EditorState& s, WindowRef owner, const uint8_t* bytes, int32_t count, bool editLocked) {
    if (editLocked || !caretOnDocument(s)) return effectNone;
    // Half a character is no character: nothing is written at all.
    if (count > static_cast<int32_t>(s.documentSize) - s.caretOffset) return effectBeep;
    beginStep(s, true);
    const unsigned dropped = dropByteSelection(s);
    const bool changes = std::memcmp(s.documentBytes + s.caretOffset, bytes, static_cast<size_t>(count)) != 0;
    if (changes && writeBytesAsTyped(s, owner, s.caretOffset, bytes, static_cast<size_t>(count), 1) == 0) {
        commitStep(s);
        return dropped;
    }
    unsigned moved = effectNone;
    for (int32_t i = 0; i < count; ++i) moved |= moveCaretByKey(s, keyRight, modifierNone);
    commitStep(s);
    const unsigned effects = dropped | (changes ? effectToolbar : effectNone);
    return effects | (moved != effectNone ? moved : followCaretRow(s) | effectRepaint);
}

}  // namespace

unsigned onViewKeyDown(EditorState& s, WindowRef owner, int key, int modifier, bool editLocked) {
    s.foundOffset = -1;
    if (s.dragging != 0) return effectNone;
    if (key == keyEscape) {
        if (stopAutoScroll(s)) return effectStopAutoScroll;
        if (s.selectionEndRow >= 0) return updateRowSelection(s, -1, 0, modifierNone) | effectRepaint;
        return effectPostExit;
    }
    if (!isDocumentLoaded(s)) return effectNone;
    if (key == keyTab && (modifier & modifierCtrl) == 0) {
        endTypedRun(s);
        s.caretInText = s.caretInText != 0 ? 0 : 1;
        s.caretNibble = 0;
        s.pendingTextLead = 0;
        return effectRepaint | effectCaretStatus;
    }
    const int digit = hexDigitKeyValue(key);
    if (digit >= 0) {
        // In the text column the digit comes again as a character.
        if (modifier != modifierNone || s.caretInText != 0) return effectNone;
        return typeHexDigit(s, owner, digit, editLocked);
    }
    return moveCaretByKey(s, key, modifier);
}

unsigned onViewChar(EditorState& s, WindowRef owner, uint32_t code, bool leadByte, bool editLocked) {
    if (s.caretInText == 0 || !isDocumentLoaded(s) || s.dragging != 0) {
        s.pendingTextLead = 0;
        return effectNone;
    }
    uint8_t bytes[2];
    int32_t count = 0;
    if (code > 0xFF) {
        bytes[count++] = static_cast<uint8_t>(code >> 8);
    } else if (s.pendingTextLead != 0) {
        bytes[count++] = static_cast<uint8_t>(s.pendingTextLead);
    } else if (leadByte) {
        s.pendingTextLead = static_cast<int32_t>(code);
        return effectNone;
    }
    s.pendingTextLead = 0;
    const auto last = static_cast<uint8_t>(code & 0xFF);
    // Enter, Backspace, Esc, Tab and the Ctrl characters are keys, not text.
    if (last < 0x20 || last == 0x7F) return effectNone;
    bytes[count++] = last;
    s.foundOffset = -1;
    return typeTextBytes(s, owner, bytes, count, editLocked);
}

// ---------------------------------------------------------------- mouse

unsigned placeCaretAtPoint(EditorState& s, int32_t x, int32_t y) {
    const int32_t cw = s.charWidth;
    if (!isDocumentLoaded(s) || cw <= 0 || s.lineHeight <= 0) return effectNone;
    endTypedRun(s);
    int32_t column;
    int32_t nibble = 0;
    const ViewArea area = viewAreaAt(x, cw);
    switch (area) {
        case ViewArea::Address: return effectNone;
        case ViewArea::Ascii:
            column = (x - kAsciiColumnStart * cw) / cw;
            if (column > 15) return effectNone;
            break;
        case ViewArea::Dump:
        default: {
            const int32_t t = (x - kDumpColumnStart * cw) / cw;
            column = t / 3;
            if (column > 15 || t % 3 == 2) return effectNone;
            nibble = t % 3;
            break;
        }
    }
    const int64_t offset = static_cast<int64_t>(rowAt(s, y)) * kBytesPerRow + column;
    if (offset > lastOffset(s)) return effectNone;
    s.caretOffset = static_cast<int32_t>(offset);
    s.caretNibble = nibble;
    if (area == ViewArea::Dump) s.caretInText = 0;
    return effectCaretStatus;
}

unsigned beginMouseSelection(EditorState& s, int32_t x, int32_t y, bool extend) {
    if (s.unlimited != 0) {
        const int32_t anchor = hasByteSelection(s) ? s.selectionAnchorByte : s.caretOffset;
        const unsigned effects = placeCaretAtPoint(s, x, y);
        s.dragStartY = y;
        s.dragging = 1;
        if (extend && caretOnDocument(s)) {
            setByteSelection(s, anchor, s.caretOffset);
        } else {
            clearSelection(s);
            // The anchor of a drag: no byte is selected until the pointer leaves it.
            if (caretOnDocument(s)) s.selectionAnchorByte = s.caretOffset;
        }
        return effects | effectSelection | effectRepaint;
    }
    unsigned effects = placeCaretAtPoint(s, x, y);
    s.dragStartY = y;
    s.selectionAnchorRow = rowAt(s, y);
    s.selectionTrackRow = -1;
    s.selectionEndRow = -1;
    s.dragging = 1;
    return effects | effectSelection | effectRepaint;
}

unsigned trackMouseSelection(EditorState& s, int32_t y, int32_t clientBottom) {
    if (s.dragging == 0 || y > clientBottom) return effectNone;
    if (std::abs(y - s.dragStartY) < s.lineHeight / 2) return effectNone;
    s.selectionEndRow = std::min(rowAt(s, y), s.rowCount);
    unsigned effects = effectNone;
    if (s.selectionEndRow != s.selectionTrackRow) effects = effectRepaint | effectSelection;
    s.selectionTrackRow = s.selectionEndRow;
    return effects;
}

unsigned trackMouseSelection(EditorState& s, int32_t x, int32_t y, int32_t clientBottom) {
    if (s.unlimited == 0) return trackMouseSelection(s, y, clientBottom);
    if (s.dragging == 0 || y > clientBottom || !isDocumentLoaded(s) || s.selectionAnchorByte < 0) return effectNone;
    // Left of the window the 16-bit coordinate is large: the row's first byte.
    const int32_t at = byteNearPoint(s, x > 0x7FFF ? 0 : x, y);
    if (hasByteSelection(s) ? at == s.selectionEndByte : at == s.selectionAnchorByte) return effectNone;
    setByteSelection(s, s.selectionAnchorByte, at);
    s.caretOffset = at;
    s.caretNibble = 0;
    return effectRepaint | effectSelection | effectCaretStatus;
}

unsigned endMouseSelection(EditorState& s) {
    if (s.dragging == 0) return effectNone;
    s.dragging = 0;
    return effectSelection;
}

unsigned dragScrollTick(EditorState& s, int32_t y, int32_t clientTop, int32_t clientBottom) {
    unsigned effects = effectSelection;
    if (s.unlimited != 0) {
        // The selection's end follows the rows scrolled in.
        const int32_t step = y > clientBottom - 7 ? kBytesPerRow : y < clientTop + 7 ? -kBytesPerRow : 0;
        if (step == 0) return effects;
        effects |= onViewVScroll(s, step > 0 ? scrollLineDown : scrollLineUp, 0);
        if (s.dragging != 0 && s.selectionAnchorByte >= 0) {
            const int32_t from = hasByteSelection(s) ? s.selectionEndByte : s.selectionAnchorByte;
            setByteSelection(s, s.selectionAnchorByte, int64_t{from} + step);
            s.caretOffset = s.selectionEndByte;
            s.caretNibble = 0;
            effects |= effectCaretStatus;
        }
        return effects;
    }
    if (y > clientBottom - 7) {
        effects |= onViewVScroll(s, scrollLineDown, 0);
        if (s.selectionEndRow >= 0) s.selectionEndRow = std::min(s.selectionEndRow + 1, s.rowCount);
    } else if (y < clientTop + 7) {
        effects |= onViewVScroll(s, scrollLineUp, 0);
        if (s.selectionEndRow >= 0) s.selectionEndRow = std::max(s.selectionEndRow - 1, 0);
    }
    return effects;
}

bool startAutoScroll(EditorState& s, int32_t x, int32_t y) {
    if (!isDocumentLoaded(s) || s.dragging != 0 || s.autoScrollActive != 0) return false;
    // The scroll bar's range is not larger than its page: nothing to scroll.
    if (s.visibleRows > s.scrollMax) return false;
    s.autoScrollActive = 1;
    s.autoScrollOriginX = x;
    s.autoScrollOriginY = y;
    return true;
}

bool stopAutoScroll(EditorState& s) {
    if (s.autoScrollActive == 0) return false;
    s.autoScrollActive = 0;
    return true;
}

AutoScrollStep autoScrollTick(EditorState& s, int32_t y, int32_t clientBottom) {
    const bool outside = y < 0 || y > clientBottom;
    const int32_t d = y - s.autoScrollOriginY;
    const int32_t half = std::max(s.lineHeight, 16) / 2;
    const int32_t steps = std::abs(d) / half;
    AutoScrollStep step{steps == 0 ? cursorIdle : d > 0 ? cursorDown : cursorUp, effectNone};
    if (steps != 0) step.effects = scrollByPixels(s, outside ? 8 * d : 2 * d);
    return step;
}

unsigned onLabelClick(EditorState& s, int32_t x) {
    const int32_t cw = s.charWidth;
    if (!isDocumentLoaded(s) || cw <= 0) return effectNone;
    endTypedRun(s);
    int32_t column;
    switch (viewAreaAt(x, cw)) {
        case ViewArea::Address: return effectNone;
        case ViewArea::Ascii: column = (x - kAsciiColumnStart * cw) / cw; break;
        case ViewArea::Dump:
        default: column = (x - kDumpColumnStart * cw) / cw / 3; break;
    }
    if (column > 15) return effectNone;
    const int64_t offset = static_cast<int64_t>(s.caretOffset / kBytesPerRow) * kBytesPerRow + column;
    if (offset > lastOffset(s)) return effectNone;
    s.caretOffset = static_cast<int32_t>(offset);
    return effectRepaint | effectCaretStatus;
}
