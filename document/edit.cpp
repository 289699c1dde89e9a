#include "document/edit.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "document/document.h"
#include "document/record_list.h"
#include "document/shift_jis.h"
#include "document/undo.h"
#include "document/unlimited_edit.h"
#include "resource_ids.h"

namespace {

constexpr uint32_t kNoRoomError = 14;

// Where a byte can go in: in front of the caret byte, or at offset 0 of a
// document that deletions have emptied (its buffer is still there).
bool caretOnInsertionPoint(const EditorState& s) {
    if (!hasDocumentBuffer(s) || s.caretOffset < 0) return false;
    return static_cast<uint32_t>(s.caretOffset) < s.documentSize || (s.documentSize == 0 && s.caretOffset == 0);
}

// With the switch on: replaces [at, at + removed) by `count` bytes as one
// step and puts the caret on `caret`. 0 when refused or out of memory.
int spliceAsStep(EditorState& s, WindowRef owner, int64_t at, int64_t removed, const uint8_t* bytes, int64_t count,
                 int32_t caret) {
    beginStep(s);
    const bool done = spliceDocument(s, owner, at, removed, bytes, count);
    if (done) {
        s.caretOffset = caret;
        s.caretNibble = 0;
    }
    commitStep(s);
    return done ? 1 : 0;
}

}  // namespace

void markLengthChanged(EditorState& s) {
    s.modified = 1;
    s.lengthChanged = 1;
}

int checkDocumentGrowth(const EditorState& s, WindowRef owner, int64_t growth) {
    if (growth <= 0 || growth <= int64_t{kMaxDocumentSize} - s.documentSize) return 1;
    char format[256];
    char text[320];
    loadText(IDS_ERR_DOCUMENT_TOO_LARGE, format, sizeof format);
    std::snprintf(text, sizeof text, format, static_cast<unsigned long>(kMaxDocumentSize));
    return showError(owner, IDS_ERR_DOCUMENT_TOO_LARGE, text);
}

int checkInsertRoom(EditorState& s, WindowRef owner) {
    if (s.spareCapacity == 0 && s.unlimitedEdit == nullptr) {
        showErrorCode(owner, kNoRoomError);
        return 0;
    }
    return checkDocumentGrowth(s, owner, 1);
}

int insertByteAt(EditorState& s, WindowRef owner, uint8_t value) {
    if (!caretOnInsertionPoint(s)) return 0;
    if (checkInsertRoom(s, owner) == 0) return 0;
    const int32_t p = s.caretOffset;
    if (s.unlimitedEdit != nullptr) return spliceAsStep(s, owner, p, 0, &value, 1, p);
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

void questionWithResetWarning(const EditorState& s, const char* question, char* out, size_t size) {
    char warning[256] = "";
    if (s.unlimitedEdit == nullptr) loadText(IDS_RESET_WARNING, warning, sizeof warning);
    std::snprintf(out, size, warning[0] != '\0' ? "%s %s" : "%s", question, warning);
}

int deleteByteAtCaret(EditorState& s, WindowRef owner) {
    if (!caretOnDocument(s) || s.documentSize < 2) return 0;
    const int32_t p = s.caretOffset;

    char format[256];
    char question[256];
    char text[600];
    loadText(IDS_ASK_DELETE, format, sizeof format);
    std::snprintf(question, sizeof question, format, static_cast<unsigned>(p),
                  static_cast<unsigned>(s.documentBytes[p]));
    questionWithResetWarning(s, question, text, sizeof text);
    if (askQuestion(owner, text, questionYesNo) != answerYes) return 0;
    if (s.unlimitedEdit != nullptr) return spliceAsStep(s, owner, p, 1, nullptr, 0, std::max(p - 1, 0));

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
    if (s.unlimitedEdit != nullptr) {
        const uint32_t left = size - (hi - lo + 1);
        return spliceAsStep(s, nullptr, lo, hi - lo + 1, nullptr, 0,
                            left == 0 ? 0 : static_cast<int32_t>(std::min(caret, left - 1)));
    }

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
    beginStep(s);
    if (!keepRange(s, i, static_cast<int64_t>(std::strlen(text)))) return 0;
    for (const char* c = text; *c != '\0' && i < s.documentSize; ++c, ++i) {
        const uint8_t v = static_cast<uint8_t>(*c);
        const uint8_t before = bytes[i];
        if (v == before) continue;
        const int32_t at = static_cast<int32_t>(i);
        if (recordChange(s, at, 0, before, 0, nullptr) == 0 || recordChange(s, at, 1, before, 0, nullptr) == 0) {
            if (s.unlimitedEdit == nullptr) break;
            rollBackStep(s);  // out of memory: never half written
            return 0;
        }
        bytes[i] = v;
    }
    s.modified = 1;
    commitStep(s);
    return 1;
}

int writeBytesAsTyped(EditorState& s, WindowRef owner, int32_t offset, const uint8_t* bytes, size_t count,
                      int confirm, const char* question) {
    if (!isDocumentLoaded(s) || offset < 0 || static_cast<uint32_t>(offset) >= s.documentSize) return 0;
    uint8_t* document = s.documentBytes + offset;
    const size_t n = std::min<size_t>(count, s.documentSize - static_cast<uint32_t>(offset));

    // Nibbles that change and have no record yet: the list is checked before
    // anything is written.
    const int64_t room = recordRoom(s, RecordList::Change);
    int64_t needed = 0;
    bool rewrites = false;  // a changing nibble is recorded already
    // Without a cap and a question the count is not needed.
    for (size_t i = 0; i < n && (room < INT64_MAX || confirm != 0); ++i) {
        const uint8_t diff = document[i] ^ bytes[i];
        if (diff == 0) continue;
        const int32_t at = offset + static_cast<int32_t>(i);
        for (int32_t nibble : {0, 1}) {
            if ((diff & (nibble == 0 ? 0xF0 : 0x0F)) == 0) continue;
            if (findRecord(s, RecordList::Change, at, nibble) < 0) {
                ++needed;
            } else {
                rewrites = true;
            }
        }
    }
    if (needed > room) return reportTooManyChanges(owner, needed);
    if (question != nullptr && askQuestion(owner, question, questionOkCancel) != answerOk) return 0;
    // One question for the whole write, as for one typed digit.
    if (confirm != 0 && rewrites && confirmOverwrite(owner, offset) == 0) return 0;

    beginStep(s);
    if (!keepRange(s, offset, static_cast<int64_t>(n))) return reportOutOfMemory(owner);
    for (size_t i = 0; i < n; ++i) {
        if (writeByteAsTyped(s, offset + static_cast<int32_t>(i), bytes[i])) continue;
        if (s.unlimitedEdit == nullptr) break;
        rollBackStep(s);  // never half written
        return reportOutOfMemory(owner);
    }
    commitStep(s);
    return 1;
}

int reportTooManyChanges(WindowRef owner, int64_t nibbles) {
    char format[256];
    char text[320];
    loadText(IDS_ERR_TOO_MANY_CHANGES, format, sizeof format);
    std::snprintf(text, sizeof text, format, static_cast<long long>(nibbles), kChangeLimitShown);
    return showError(owner, IDS_ERR_TOO_MANY_CHANGES, text);
}

bool writeByteAsTyped(EditorState& s, int32_t at, uint8_t after) {
    uint8_t& byte = s.documentBytes[at];
    const uint8_t before = byte;
    // The high digit first, as it is typed: the low nibble's record holds
    // the byte with the new high nibble.
    const uint8_t between = static_cast<uint8_t>((after & 0xF0) | (before & 0x0F));
    if (between != before) {
        if (recordChange(s, at, 0, before, 0, nullptr) == 0) return false;
        byte = between;
        s.modified = 1;
    }
    if (after != between) {
        if (recordChange(s, at, 1, between, 0, nullptr) == 0) return false;
        byte = after;
        s.modified = 1;
    }
    return true;
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

namespace {

// Offsets where the characters of `t` begin, followed by its length: a lead
// byte takes the byte after it with it, as the box pairs them.
std::vector<size_t> characterStarts(const std::string& t) {
    std::vector<size_t> starts;
    size_t i = 0;
    while (i < t.size()) {
        starts.push_back(i);
        i += isShiftJisLead(static_cast<uint8_t>(t[i])) && i + 1 < t.size() ? 2 : 1;
    }
    starts.push_back(t.size());
    return starts;
}

bool sameCharacter(const std::string& a, const std::vector<size_t>& as, size_t i, const std::string& b,
                   const std::vector<size_t>& bs, size_t j) {
    const size_t n = as[i + 1] - as[i];
    return n == bs[j + 1] - bs[j] && a.compare(as[i], n, b, bs[j], n) == 0;
}

// Whole characters two texts share at their start and, apart from those, at
// their end; counted in characters, which take the same bytes in both.
struct Shared {
    size_t head;
    size_t tail;
};

Shared sharedEnds(const std::string& a, const std::vector<size_t>& as, const std::string& b,
                  const std::vector<size_t>& bs) {
    const size_t na = as.size() - 1, nb = bs.size() - 1;
    Shared r{0, 0};
    while (r.head < na && r.head < nb && sameCharacter(a, as, r.head, b, bs, r.head)) ++r.head;
    while (r.head + r.tail < na && r.head + r.tail < nb &&
           sameCharacter(a, as, na - 1 - r.tail, b, bs, nb - 1 - r.tail)) {
        ++r.tail;
    }
    return r;
}

size_t tailBytes(const std::vector<size_t>& starts, size_t characters) {
    return starts.back() - starts[starts.size() - 1 - characters];
}

}  // namespace

std::string textAsEdited(const std::string& given, const std::string& shown, const std::string& typed) {
    if (typed == shown) return given;
    const auto gs = characterStarts(given), ss = characterStarts(shown), ts = characterStarts(typed);

    // What the box altered: shown[head, boxTo) stands for given[head, givenTo).
    const Shared box = sharedEnds(given, gs, shown, ss);
    const size_t head = gs[box.head];
    const size_t boxTo = shown.size() - tailBytes(ss, box.tail);
    const size_t givenTo = given.size() - tailBytes(gs, box.tail);

    // What the user changed: shown[from, to), between the start and the end
    // that the typed text shares with it.
    const Shared kept = sharedEnds(shown, ss, typed, ts);
    size_t from = ss[kept.head];
    size_t to = shown.size() - tailBytes(ss, kept.tail);

    // Outside the altered part a place in the shown text has its given byte; a
    // change that reaches into that part (or, where the box dropped bytes and
    // showed nothing, touches the place) takes all of it.
    const bool altered = boxTo > head || givenTo > head;
    const bool touches = boxTo > head ? from < boxTo && to > head && (from != to || from > head)
                                      : from <= head && to >= head;
    size_t givenFrom, givenEnd;
    if (altered && touches) {
        from = std::min(from, head);
        to = std::max(to, boxTo);
        givenFrom = from;
        givenEnd = given.size() - (shown.size() - to);
    } else if (to <= head) {
        givenFrom = from;
        givenEnd = to;
    } else {
        givenFrom = given.size() - (shown.size() - from);
        givenEnd = given.size() - (shown.size() - to);
    }
    const std::string middle = typed.substr(from, typed.size() - (shown.size() - to) - from);

    // The replaced bytes grow or shrink only by what the user added or took
    // away; they take whole characters of the new text as far as those fit
    // and keep their own bytes after them.
    const int64_t room = static_cast<int64_t>(givenEnd - givenFrom) + static_cast<int64_t>(middle.size()) -
                         static_cast<int64_t>(to - from);
    const size_t fits = room > 0 ? static_cast<size_t>(room) : 0;
    size_t take = 0;
    for (size_t start : characterStarts(middle)) {
        if (start > fits) break;
        take = start;
    }
    const size_t keepTo = std::min(givenEnd, givenFrom + fits);
    std::string result = given.substr(0, givenFrom) + middle.substr(0, take);
    if (givenFrom + take < keepTo) result += given.substr(givenFrom + take, keepTo - givenFrom - take);
    return result + given.substr(givenEnd);
}

int replaceBytes(EditorState& s, WindowRef owner, int64_t offset, int64_t removeCount, const uint8_t* bytes,
                 int64_t count) {
    if (s.unlimitedEdit == nullptr || !hasDocumentBuffer(s) || offset < 0 || offset > s.documentSize || count < 0)
        return 0;
    removeCount = std::clamp<int64_t>(removeCount, 0, int64_t{s.documentSize} - offset);
    const int64_t common = std::min(removeCount, count);
    if (checkDocumentGrowth(s, owner, count - removeCount) == 0) return 0;
    beginStep(s);
    // The bytes that take the place of others are typed over them; the rest
    // is inserted or deleted.
    if (!keepRange(s, offset, common)) return reportOutOfMemory(owner);
    for (int64_t i = 0; i < common; ++i) {
        if (writeByteAsTyped(s, static_cast<int32_t>(offset + i), bytes[i])) continue;
        rollBackStep(s);
        return reportOutOfMemory(owner);
    }
    if (!spliceDocument(s, owner, offset + common, removeCount - common, bytes + common, count - common)) {
        rollBackStep(s);
        return 0;
    }
    commitStep(s);
    return 1;
}

int fillBytes(EditorState& s, WindowRef owner, int64_t offset, int64_t count, const uint8_t* pattern, size_t n) {
    if (!isDocumentLoaded(s) || pattern == nullptr || n == 0 || offset < 0 || offset >= s.documentSize) return 0;
    count = std::min<int64_t>(count, int64_t{s.documentSize} - offset);
    if (count <= 0) return 0;
    std::vector<uint8_t> bytes;
    try {
        bytes.resize(static_cast<size_t>(count));
    } catch (const std::bad_alloc&) {
        return reportOutOfMemory(owner);
    }
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = pattern[i % n];
    return writeBytesAsTyped(s, owner, static_cast<int32_t>(offset), bytes.data(), bytes.size());
}
