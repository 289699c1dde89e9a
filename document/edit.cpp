#include "document/edit.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "document/document.h"
#include "document/record_list.h"
#include "resource_ids.h"

namespace {

constexpr uint32_t kNoRoomError = 14;

bool caretOnDocument(const EditorState& s) {
    return isDocumentLoaded(s) && s.caretOffset >= 0 &&
           static_cast<uint32_t>(s.caretOffset) < s.documentSize;
}

// Every insertion and deletion leaves a document that differs in length from
// the file, which the change list cannot show.
void markLengthChanged(EditorState& s) {
    s.modified = 1;
    s.lengthChanged = 1;
}

}  // namespace

int checkInsertRoom(EditorState& s, WindowRef owner) {
    if (s.spareCapacity != 0) return 1;
    showErrorCode(owner, kNoRoomError);
    return 0;
}

int insertByteAt(EditorState& s, WindowRef owner, uint8_t value) {
    if (!caretOnDocument(s)) return 0;
    if (checkInsertRoom(s, owner) == 0) return 0;
    const int32_t p = s.caretOffset;
    uint8_t* bytes = s.documentBytes;
    std::memmove(bytes + p + 1, bytes + p, s.documentSize - static_cast<uint32_t>(p));
    bytes[p] = value;
    ++s.documentSize;
    --s.spareCapacity;

    int result = resetDocumentModel(s);
    s.caretOffset = p;
    s.caretNibble = 0;
    markLengthChanged(s);
    return result;
}

int deleteByteAtCaret(EditorState& s, WindowRef owner) {
    if (!caretOnDocument(s) || s.documentSize < 2) return 0;
    const int32_t p = s.caretOffset;

    char format[256];
    char question[256];
    char warning[256];
    char text[600];
    loadText(IDS_ASK_DELETE, format, sizeof format);
    std::snprintf(question, sizeof question, format, static_cast<unsigned>(p),
                  static_cast<unsigned>(s.documentBytes[p]));
    loadText(IDS_RESET_WARNING, warning, sizeof warning);
    std::snprintf(text, sizeof text, "%s %s", question, warning);
    if (askQuestion(owner, text, questionYesNo) != answerYes) return 0;

    uint8_t* bytes = s.documentBytes;
    std::memmove(bytes + p, bytes + p + 1, s.documentSize - static_cast<uint32_t>(p) - 1);
    --s.documentSize;
    ++s.spareCapacity;

    int result = resetDocumentModel(s);
    s.caretOffset = std::max(p - 1, 0);
    s.caretNibble = 0;
    markLengthChanged(s);
    return result;
}

int deleteRangeTo(EditorState& s, int32_t end) {
    if (!caretOnDocument(s) || s.documentSize < 2 || end < 0) return 0;
    const uint32_t size = s.documentSize;
    const uint32_t caret = static_cast<uint32_t>(s.caretOffset);
    const uint32_t e = std::min(static_cast<uint32_t>(end), size - 1);
    const uint32_t lo = std::min(caret, e);
    const uint32_t hi = std::max(caret, e);

    if (hi == size - 1) {
        s.spareCapacity += size - lo;
        s.documentSize = lo;
    } else {
        std::memmove(s.documentBytes + lo, s.documentBytes + hi + 1, size - hi - 1);
        const uint32_t n = hi - lo + 1;
        s.spareCapacity += n;
        s.documentSize -= n;
    }
    const int32_t newCaret =
        s.documentSize == 0 ? 0 : static_cast<int32_t>(std::min(caret, s.documentSize - 1));

    int result = resetDocumentModel(s);
    s.caretOffset = newCaret;
    s.caretNibble = 0;
    markLengthChanged(s);
    return result;
}

int overwriteText(EditorState& s, const char* text) {
    if (!isDocumentLoaded(s) || text == nullptr) return 0;
    uint8_t* bytes = s.documentBytes;
    uint32_t i = static_cast<uint32_t>(s.caretOffset);
    for (const char* c = text; *c != '\0' && i < s.documentSize; ++c, ++i) {
        const uint8_t v = static_cast<uint8_t>(*c);
        const uint8_t before = bytes[i];
        if (v == before) continue;
        const int32_t at = static_cast<int32_t>(i);
        if (recordChange(s, at, 0, before, 0, nullptr) == 0) break;
        if (recordChange(s, at, 1, before, 0, nullptr) == 0) break;
        bytes[i] = v;
    }
    s.modified = 1;
    return 1;
}

int writeBytesAsTyped(EditorState& s, WindowRef owner, int32_t offset, const uint8_t* bytes, size_t count) {
    if (!isDocumentLoaded(s) || bytes == nullptr || offset < 0) return 0;
    const auto start = static_cast<uint32_t>(offset);
    if (start >= s.documentSize || s.changeList == nullptr) return 0;
    const size_t n = std::min<size_t>(count, s.documentSize - start);
    // Room first, so that a refused write leaves no half of it behind.
    int32_t needed = 0;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t differ = s.documentBytes[start + i] ^ bytes[i];
        const auto at = static_cast<int32_t>(start + i);
        if ((differ & 0xF0) != 0 && findRecord(s, RecordList::Change, at, 0) == -1) ++needed;
        if ((differ & 0x0F) != 0 && findRecord(s, RecordList::Change, at, 1) == -1) ++needed;
    }
    if (needed > kRecordListSlots - s.changeCount) {
        showErrorCode(owner, kNoRoomError);
        return 0;
    }
    for (size_t i = 0; i < n; ++i) {
        uint8_t& byte = s.documentBytes[start + i];
        const auto at = static_cast<int32_t>(start + i);
        if (((byte ^ bytes[i]) & 0xF0) != 0) {
            if (recordChange(s, at, 0, byte, 0, nullptr) == 0) return 0;
            byte = static_cast<uint8_t>((bytes[i] & 0xF0) | (byte & 0x0F));
            s.modified = 1;
        }
        if (((byte ^ bytes[i]) & 0x0F) != 0) {
            if (recordChange(s, at, 1, byte, 0, nullptr) == 0) return 0;
            byte = bytes[i];
            s.modified = 1;
        }
    }
    return 1;
}

TextEdit beginTextEdit(const EditorState& s) {
    TextEdit edit{};
    if (!caretOnDocument(s)) return edit;
    const uint32_t remaining = s.documentSize - static_cast<uint32_t>(s.caretOffset);
    edit.limit = static_cast<int32_t>(std::min<uint32_t>(kTextEditLength, remaining));
    const uint8_t* bytes = s.documentBytes + s.caretOffset;
    int32_t n = 0;
    while (n < edit.limit && bytes[n] != 0) {
        edit.initial[n] = static_cast<char>(bytes[n]);
        ++n;
    }
    edit.initial[n] = '\0';
    return edit;
}

int finishTextEdit(EditorState& s, const TextEdit& edit, const char* typed) {
    if (typed == nullptr || *typed == '\0' || std::strcmp(typed, edit.initial) == 0) return 0;
    return overwriteText(s, typed);
}
