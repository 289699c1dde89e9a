#include "document/selection.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "document/dump_row.h"
#include "document/edit.h"
#include "document/hex_text.h"
#include "document/undo.h"
#include "resource_ids.h"

namespace {

constexpr uint32_t kNoRoomError = 14;
constexpr int kChangeRecordsForPaste = 2000;
constexpr size_t kCopyRowMax = 78 + 2;  // longest row text and CR LF

// After a command on the selection changed the bytes from `start` on: the
// caret on the first of them (or the last byte left), nothing selected.
void settleAfterCommand(EditorState& s, int64_t start) {
    clearSelection(s);
    s.caretOffset = static_cast<int32_t>(std::clamp<int64_t>(start, 0, std::max<int64_t>(s.documentSize, 1) - 1));
    s.caretNibble = 0;
}

// Replaces [start, end) by `count` bytes in one step opened before the
// selection goes, so that undo brings it back with the bytes.
int replaceSelected(EditorState& s, WindowRef owner, int64_t start, int64_t end, const uint8_t* bytes,
                    int64_t count) {
    beginStep(s);
    const int done = replaceBytes(s, owner, start, end - start, bytes, count);
    if (done != 0) settleAfterCommand(s, start);
    commitStep(s);
    return done;
}

// The bytes of a hex text, or none (the invalid-input message shown) when
// it is not hex pairs.
bool readHexBytes(WindowRef owner, const char* text, std::vector<uint8_t>& bytes) {
    try {
        bytes.resize(std::strlen(text) / 2 + 1);
    } catch (const std::bad_alloc&) {
        reportOutOfMemory(owner);
        return false;
    }
    const HexTextRead read = readHexText(text, bytes.data(), bytes.size());
    if (!read.valid) {
        showError(owner, IDS_ERR_INVALID_TEXT, nullptr);
        return false;
    }
    bytes.resize(read.stored);
    return true;
}

}  // namespace

void setByteSelection(EditorState& s, int64_t anchor, int64_t end) {
    const int64_t last = std::max<int64_t>(int64_t{s.documentSize} - 1, 0);
    s.selectionAnchorByte = static_cast<int32_t>(std::clamp<int64_t>(anchor, 0, last));
    s.selectionEndByte = static_cast<int32_t>(std::clamp<int64_t>(end, 0, last));
    s.selectionAnchorRow = s.selectionAnchorByte / 16;
    s.selectionEndRow = s.selectionEndByte / 16;
}

void followResize(EditorState& s, int64_t end, int64_t growth) {
    if (!hasByteSelection(s)) return;
    // [start, stop) as stored: the document has its new size already.
    int64_t start = std::min(s.selectionAnchorByte, s.selectionEndByte);
    int64_t stop = int64_t{std::max(s.selectionAnchorByte, s.selectionEndByte)} + 1;
    if (start >= end) start += growth;
    if (stop >= end) stop += growth;
    if (stop <= start) return clearSelection(s);
    const bool forward = s.selectionAnchorByte <= s.selectionEndByte;
    setByteSelection(s, forward ? start : stop - 1, forward ? stop - 1 : start);
}

void clearSelection(EditorState& s) {
    s.selectionAnchorByte = -1;
    s.selectionEndByte = -1;
    s.selectionAnchorRow = -1;
    s.selectionEndRow = -1;
    s.selectionTrackRow = -1;
    s.keySelecting = 0;
}

bool hasByteSelection(const EditorState& s) {
    return s.unlimited != 0 && s.selectionAnchorByte >= 0 && s.selectionEndByte >= 0;
}

bool selectedBytes(const EditorState& s, int64_t* start, int64_t* end) {
    if (s.unlimited != 0) {
        if (!isDocumentLoaded(s) || !hasByteSelection(s)) return false;
        *start = std::min<int64_t>(std::min(s.selectionAnchorByte, s.selectionEndByte), s.documentSize);
        *end = std::min<int64_t>(int64_t{std::max(s.selectionAnchorByte, s.selectionEndByte)} + 1, s.documentSize);
        return true;
    }
    if (!isDocumentLoaded(s) || s.selectionEndRow < 0) return false;
    int64_t lo = std::min(s.selectionAnchorRow, s.selectionEndRow);
    int64_t hi = std::max(s.selectionAnchorRow, s.selectionEndRow);
    lo = std::max<int64_t>(lo, 0);  // an anchor never set must not reach before the document
    *start = std::min<int64_t>(lo * 16, s.documentSize);
    *end = std::min<int64_t>((hi + 1) * 16, s.documentSize);
    return true;
}

uint32_t selectedColumns(const EditorState& s, int64_t rowOffset) {
    int64_t start = 0, end = 0;
    if (!hasByteSelection(s) || !selectedBytes(s, &start, &end)) return 0;
    const int64_t first = std::max(start, rowOffset) - rowOffset, stop = std::min(end, rowOffset + 16) - rowOffset;
    if (first >= stop) return 0;
    return ((1u << stop) - 1) & ~((1u << first) - 1);
}

// A selection can hold no byte (both ends one past the last row): it counts as none.
bool hexCopyBytes(const EditorState& s, int64_t* start, int64_t* end) {
    if (selectedBytes(s, start, end) && *end > *start) return true;
    if (!caretOnDocument(s)) return false;
    *start = s.caretOffset;
    *end = *start + 1;
    return true;
}

bool checksumBytes(const EditorState& s, int64_t* start, int64_t* end) {
    if (selectedBytes(s, start, end) && *end > *start) return true;
    if (!isDocumentLoaded(s)) return false;
    *start = 0;
    *end = s.documentSize;
    return true;
}

int selectAll(EditorState& s) {
    if (!isDocumentLoaded(s)) return 0;
    if (s.unlimited != 0) {
        setByteSelection(s, 0, s.documentSize - 1);
        return 1;
    }
    s.selectionAnchorRow = 0;
    s.dragStartY = 0;
    s.selectionEndRow = s.rowCount;
    return 1;
}

std::string selectionStatusText(const EditorState& s) {
    if (hasByteSelection(s)) {
        int64_t start = 0, end = 0;
        if (!selectedBytes(s, &start, &end) || end <= start) return {};
        char text[48];
        std::snprintf(text, sizeof text, "%08llX-%08llX (%lld)", static_cast<unsigned long long>(start),
                      static_cast<unsigned long long>(end - 1), static_cast<long long>(end - start));
        return text;
    }
    if (s.selectionEndRow < 0) return {};
    const long last = std::max<long>(s.rowCount - 1L, 0);
    const long anchor = std::clamp<long>(s.selectionAnchorRow, 0, last);
    const long end = std::clamp<long>(s.selectionEndRow, 0, last);
    char text[48];
    std::snprintf(text, sizeof text, " %ld - %ld (%ld)", anchor + 1, end + 1, std::labs(anchor - end) + 1);
    return text;
}

size_t copyTextCapacity(const EditorState& s) {
    int64_t start = 0, end = 0;
    uint64_t rows = 0;
    // The rows touched: selected bytes may begin inside a row.
    if (selectedBytes(s, &start, &end) && end > start) rows = static_cast<uint64_t>((end + 15) / 16 - start / 16);
    const uint64_t bytes = kColumnHeaderLength + 2 + rows * kCopyRowMax + 1;
    // A 32-bit size would wrap to a small buffer that the text then overruns.
    return bytes > SIZE_MAX ? SIZE_MAX : static_cast<size_t>(bytes);
}

size_t writeCopyText(const EditorState& s, int kanji, char* out) {
    int64_t start = 0, end = 0;
    if (!selectedBytes(s, &start, &end)) return 0;
    char* p = out;
    std::memcpy(p, kColumnHeader, kColumnHeaderLength);
    p += kColumnHeaderLength;
    *p++ = '\r';
    *p++ = '\n';
    char* lines = p;
    const bool bytes = hasByteSelection(s) && end > start;
    p = writeDumpLines(s, bytes ? start - start % 16 : start, end, kanji, p);
    if (bytes) {
        // Only the first and the last row can hold bytes outside the selection.
        char* firstEnd = static_cast<char*>(std::memchr(lines, '\r', static_cast<size_t>(p - lines)));
        const int64_t firstRow = start - start % 16;
        blankByteColumns(lines, static_cast<size_t>(firstEnd - lines), 0xFFFFu & ~selectedColumns(s, firstRow), kanji);
        char* lastBegin = p - 2;
        while (lastBegin > lines && lastBegin[-1] != '\n') --lastBegin;
        const int64_t lastRow = (end - 1) / 16 * 16;
        blankByteColumns(lastBegin, static_cast<size_t>(p - 2 - lastBegin), 0xFFFFu & ~selectedColumns(s, lastRow), kanji);
    }
    *p = '\0';
    return static_cast<size_t>(p - out);
}

size_t buildCopyText(const EditorState& s, int kanji, std::string& out) {
    out.resize(copyTextCapacity(s));
    size_t n = writeCopyText(s, kanji, out.data());
    out.resize(n);
    return n;
}

int copyRows(EditorState& s, WindowRef owner, int kanji) {
    if (!isDocumentLoaded(s) || s.selectionEndRow < 0) return 0;
    void* cursor = beginWaitCursor();
    int result = 0;
    // Not zero-filled: every byte up to the terminator is written once.
    std::unique_ptr<char[]> text(new (std::nothrow) char[copyTextCapacity(s)]);
    if (text != nullptr && writeCopyText(s, kanji, text.get()) != 0) result = putClipboardText(owner, text.get());
    endWaitCursor(cursor);
    return result;
}

int pasteText(EditorState& s, WindowRef owner, int editLocked) {
    if (!isDocumentLoaded(s) || editLocked != 0) return 0;
    char* text = getClipboardText(owner, nullptr);
    if (text == nullptr) return 0;
    const int64_t needed = 2 * static_cast<int64_t>(std::strlen(text));
    int result = 0;
    if (s.unlimitedEdit != nullptr || kChangeRecordsForPaste - static_cast<int64_t>(s.changeCount) >= needed)
        result = overwriteText(s, text);
    else
        showErrorCode(owner, kNoRoomError);
    std::free(text);
    return result;
}

int pasteHexText(EditorState& s, WindowRef owner, int editLocked) {
    if (!caretOnDocument(s) || editLocked != 0) return 0;
    std::unique_ptr<char, decltype(&std::free)> text(getClipboardText(owner, nullptr), &std::free);
    if (text == nullptr) return 0;
    // Two digits a byte: a room for that many bytes holds all the text can give.
    const size_t room = std::min<size_t>(s.documentSize - static_cast<uint32_t>(s.caretOffset), std::strlen(text.get()) / 2);
    std::unique_ptr<uint8_t[]> bytes(new (std::nothrow) uint8_t[room + 1]);
    if (bytes == nullptr) {
        showErrorCode(owner, kNoRoomError);
        return 0;
    }
    const HexTextRead read = readHexText(text.get(), bytes.get(), room);
    if (!read.valid) return showError(owner, IDS_ERR_INVALID_TEXT, nullptr);
    if (read.stored == read.count) return writeBytesAsTyped(s, owner, s.caretOffset, bytes.get(), read.stored);
    // The document ends before the clipboard's bytes do: only what fits, if the user agrees.
    char format[256];
    char question[320];
    loadText(IDS_ASK_PASTE_PAST_END, format, sizeof format);
    std::snprintf(question, sizeof question, format, static_cast<long long>(read.count),
                  static_cast<long long>(read.stored));
    return writeBytesAsTyped(s, owner, s.caretOffset, bytes.get(), read.stored, 0, question);
}

int deleteSelection(EditorState& s, WindowRef owner) {
    int64_t start = 0, end = 0;
    if (!hasByteSelection(s) || !selectedBytes(s, &start, &end) || end <= start) return 0;
    return replaceSelected(s, owner, start, end, nullptr, 0);
}

int cutSelection(EditorState& s, WindowRef owner) {
    int64_t start = 0, end = 0;
    if (!hasByteSelection(s) || !selectedBytes(s, &start, &end) || end <= start) return 0;
    const size_t capacity = hexTextCapacity(static_cast<uint64_t>(end - start));
    std::unique_ptr<char[]> text(capacity == SIZE_MAX ? nullptr : new (std::nothrow) char[capacity]);
    if (text == nullptr) return reportOutOfMemory(owner);
    writeHexText(s.documentBytes + start, static_cast<size_t>(end - start), text.get());
    if (putClipboardText(owner, text.get()) == 0) return 0;
    return replaceSelected(s, owner, start, end, nullptr, 0);
}

int pasteHexReplacing(EditorState& s, WindowRef owner, int editLocked) {
    if (!hasDocumentBuffer(s) || s.unlimitedEdit == nullptr || editLocked != 0) return 0;
    std::unique_ptr<char, decltype(&std::free)> text(getClipboardText(owner, nullptr), &std::free);
    std::vector<uint8_t> bytes;
    if (text == nullptr || !readHexBytes(owner, text.get(), bytes)) return 0;
    const auto count = static_cast<int64_t>(bytes.size());
    int64_t start = 0, end = 0;
    if (!hasByteSelection(s) || !selectedBytes(s, &start, &end)) {
        // Over the bytes from the caret on; what runs past the end is appended.
        start = std::clamp<int64_t>(s.caretOffset, 0, s.documentSize);
        end = std::min<int64_t>(start + count, s.documentSize);
    }
    return replaceSelected(s, owner, start, end, bytes.data(), count);
}

int fillSelection(EditorState& s, WindowRef owner, const char* hexPattern) {
    int64_t start = 0, end = 0;
    if (!hasByteSelection(s) || !selectedBytes(s, &start, &end) || end <= start || hexPattern == nullptr) return 0;
    std::vector<uint8_t> pattern;
    if (!readHexBytes(owner, hexPattern, pattern)) return 0;
    beginStep(s);
    const int done = fillBytes(s, owner, start, end - start, pattern.data(), pattern.size());
    if (done != 0) settleAfterCommand(s, start);
    commitStep(s);
    return done;
}
