#include "tools/replace.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "document/document.h"
#include "document/edit.h"
#include "document/record_list.h"
#include "document/selection.h"
#include "document/undo.h"
#include "document/unlimited_edit.h"
#include "resource_ids.h"

namespace {

constexpr uint32_t kNoRoomError = 14;

// Where the dialog's search looks: the selection (its rows, or its bytes
// with the switch on) with searchInSelection
// (the whole document when no row is selected), else the whole document.
SearchScope replaceScope(const EditorState& s, uint32_t options) {
    // Characters pair up as the text column shows them: that says nothing
    // about where a value or a UTF text begins.
    SearchScope scope = wholeDocument(s.documentBytes, s.documentBytes != nullptr ? s.documentSize : 0,
                                      (options & searchWholeChars) != 0 && searchesBytes(options));
    int64_t begin = 0, end = 0;
    if ((options & searchInSelection) != 0 && hasByteSelection(s) && selectedBytes(s, &begin, &end)) {
        scope.begin = begin;
        scope.end = end;
    } else if ((options & searchInSelection) != 0 && s.selectionEndRow >= 0 && s.selectionAnchorRow >= 0) {
        const int64_t first = std::min(s.selectionAnchorRow, s.selectionEndRow);
        const int64_t last = std::max(s.selectionAnchorRow, s.selectionEndRow);
        scope.begin = std::min<int64_t>(first * 16, scope.size);
        scope.end = std::min<int64_t>((last + 1) * 16, scope.size);
    }
    return scope;
}

// Find next's search from `from`, with searchWrap once more from the other
// end; the step hears of both passes as one.
int64_t searchOnce(const EditorState& s, const ReplaceQuery& q, int64_t from, bool up, const ProgressStep& step) {
    SearchScope scope = replaceScope(s, q.options);
    const bool wrap = (q.options & searchWrap) != 0;
    const uint64_t whole = static_cast<uint64_t>(std::max<int64_t>(scope.end - scope.begin, 0));
    uint64_t before = 0;  // starts the first pass looked at, once the second runs
    const ProgressStep passStep = [&](uint64_t done, uint64_t total) {
        return keepGoing(step, before + done, wrap ? whole : total);
    };
    const int64_t hit =
        up ? findBackward(scope, q.pattern, from, passStep) : findForward(scope, q.pattern, from, passStep);
    if (hit != -1 || !wrap) return hit;
    // Once more from the other end, over the starts the first pass left out
    // only. The bytes and their size stay, so characters pair up as before.
    before = static_cast<uint64_t>(std::max<int64_t>(up ? from - scope.begin : scope.end - from, 0));
    if (up) {
        scope.begin = std::max(scope.begin, from);
        return findBackward(scope, q.pattern, scope.end, passStep);
    }
    scope.end = std::min(scope.end, from + q.pattern.length - 1);
    return findForward(scope, q.pattern, scope.begin, passStep);
}

// Whether the remembered match is still a match of the query at its place:
// the scope ends with it, so that only that one start is tried.
bool currentMatchHolds(const EditorState& s, const ReplaceQuery& q) {
    if (!isDocumentLoaded(s) || s.foundOffset < 0 || s.foundLength != q.pattern.length) return false;
    SearchScope scope = replaceScope(s, q.options);
    scope.end = std::min(scope.end, int64_t{s.foundOffset} + q.pattern.length);
    return findForward(scope, q.pattern, s.foundOffset) == s.foundOffset;
}

// The (offset, nibble) positions of the change list as sorted keys, so that
// counting the records a large replacement needs stays quick.
std::vector<int64_t> recordedPositions(const EditorState& s) {
    std::vector<int64_t> keys;
    const int32_t n = std::clamp(s.changeCount, 0, kRecordListSlots);
    for (int32_t i = 0; s.changeList != nullptr && i < n; ++i) {
        if (const NibbleRecord* r = s.changeList[i]) keys.push_back(int64_t{r->offset} * 2 + r->nibble);
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

// The change records the replacement needs: one for every nibble it changes
// that is not recorded yet, as typing would count them.
int64_t changeRecordsNeeded(const EditorState& s, const std::vector<uint32_t>& offsets, const ReplaceQuery& q) {
    const std::vector<int64_t> recorded = recordedPositions(s);
    int64_t needed = 0;
    for (uint32_t at : offsets) {
        for (int32_t j = 0; j < q.replacementLength; ++j) {
            const uint8_t diff = s.documentBytes[at + j] ^ q.replacement[j];
            for (int64_t nibble = 0; nibble < 2; ++nibble) {
                if ((diff & (nibble == 0 ? 0xF0 : 0x0F)) == 0) continue;
                if (!std::binary_search(recorded.begin(), recorded.end(), (int64_t{at} + j) * 2 + nibble)) ++needed;
            }
        }
    }
    return needed;
}

// Matches closer than this share one kept range of the step: a range of its
// own costs about as many bytes as the history keeps for it, so farther
// matches are kept apart (a kept range spanning a whole large document would
// copy all of it).
constexpr int64_t kKeptGap = 16;

// Keeps the bytes of the matches for the open step, neighbours together.
bool keepMatches(EditorState& s, const std::vector<uint32_t>& offsets, int32_t length) {
    int64_t begin = offsets[0], end = begin + length;
    for (size_t k = 1; k <= offsets.size(); ++k) {
        if (k < offsets.size() && offsets[k] <= end + kKeptGap) {
            end = int64_t{offsets[k]} + length;
            continue;
        }
        if (!keepRange(s, begin, end - begin)) return false;
        if (k < offsets.size()) begin = offsets[k], end = begin + length;
    }
    return true;
}

// Replace all of the same length while editing without limits: one step,
// the records of all matches merged into the store in one pass.
ReplaceOutcome overwriteInStore(EditorState& s, WindowRef owner, const std::vector<uint32_t>& offsets,
                                const ReplaceQuery& q) {
    beginStep(s);
    if (q.replacementLength > 0 && !keepMatches(s, offsets, q.replacementLength)) {
        reportOutOfMemory(owner);
        return ReplaceOutcome::Refused;
    }
    RecordStore& store = s.unlimitedEdit->changes;
    try {
        std::vector<RecordStore::Packed> run;
        for (uint32_t at : offsets) {
            for (int32_t j = 0; j < q.replacementLength; ++j) {
                const int64_t offset = int64_t{at} + j;
                const uint8_t before = s.documentBytes[offset], after = q.replacement[j];
                // As typed: the high digit first, the low nibble's record holding the byte between.
                const uint8_t between = static_cast<uint8_t>((after & 0xF0) | (before & 0x0F));
                const uint8_t saved[2] = {before, between};
                for (int32_t nibble = 0; nibble < 2; ++nibble) {
                    if ((nibble == 0 ? between != before : after != between) == false) continue;
                    const uint64_t key = RecordStore::keyOf(offset, nibble);
                    const int64_t known = store.find(key);
                    const unsigned shift = nibble == 1 ? 0 : 4;
                    if (known >= 0 && ((RecordStore::unpack(store.at(static_cast<size_t>(known))).byteValue >> shift) &
                                       0x0F) != ((saved[nibble] >> shift) & 0x0F))
                        s.earlierChangeDropped = 1;
                    run.push_back(RecordStore::pack(key, saved[nibble]));
                }
            }
        }
        store.mergeRun(run.data(), run.size(), false);
    } catch (const std::bad_alloc&) {
        rollBackStep(s);
        reportOutOfMemory(owner);
        return ReplaceOutcome::Refused;
    }
    for (uint32_t at : offsets) std::memcpy(s.documentBytes + at, q.replacement, static_cast<size_t>(q.replacementLength));
    ++s.bytesVersion;
    s.modified = 1;
    syncRecordCounts(s);
    commitStep(s);
    return ReplaceOutcome::Written;
}

ReplaceOutcome overwriteMatches(EditorState& s, WindowRef owner, const std::vector<uint32_t>& offsets,
                                const ReplaceQuery& q) {
    if (s.unlimitedEdit != nullptr) return overwriteInStore(s, owner, offsets, q);
    const int64_t room = kRecordListSlots - std::clamp(s.changeCount, 0, kRecordListSlots);
    if (const int64_t needed = changeRecordsNeeded(s, offsets, q); needed > room) {
        reportTooManyChanges(owner, needed);
        return ReplaceOutcome::Refused;
    }
    for (uint32_t at : offsets) {
        for (int32_t j = 0; j < q.replacementLength; ++j) {
            // Out of memory: what was written stays recorded.
            if (!writeByteAsTyped(s, static_cast<int32_t>(at) + j, q.replacement[j])) return ReplaceOutcome::Written;
        }
    }
    return ReplaceOutcome::Written;
}

// Rebuilds the bytes with every match replaced, moving each stretch between
// matches once: from the front when the document shrinks, from the back when
// it grows (the room behind the document takes the growth).
void rebuildBytes(uint8_t* bytes, int64_t size, const std::vector<uint32_t>& offsets, int32_t m,
                  const uint8_t* replacement, int32_t r) {
    const int64_t count = static_cast<int64_t>(offsets.size());
    if (r < m) {
        int64_t w = offsets[0];
        for (int64_t k = 0; k < count; ++k) {
            std::memcpy(bytes + w, replacement, static_cast<size_t>(r));
            w += r;
            const int64_t from = int64_t{offsets[k]} + m;
            const int64_t to = k + 1 < count ? int64_t{offsets[k + 1]} : size;
            std::memmove(bytes + w, bytes + from, static_cast<size_t>(to - from));
            w += to - from;
        }
        return;
    }
    int64_t end = size;
    int64_t w = size + count * (r - m);
    for (int64_t k = count - 1; k >= 0; --k) {
        const int64_t from = int64_t{offsets[k]} + m;
        w -= end - from;
        std::memmove(bytes + w, bytes + from, static_cast<size_t>(end - from));
        w -= r;
        std::memcpy(bytes + w, replacement, static_cast<size_t>(r));
        end = offsets[k];
    }
}

// Where a byte of [first match, last match end) goes when every match is
// replaced: its new offset relative to the first match, or -1 inside a match.
int64_t movedOffset(const std::vector<uint32_t>& offsets, int32_t m, int32_t r, int64_t offset) {
    const auto after = std::upper_bound(offsets.begin(), offsets.end(), static_cast<uint32_t>(offset));
    const int64_t k = after - offsets.begin();  // matches starting at or before the byte
    if (k > 0 && offset < int64_t{offsets[static_cast<size_t>(k - 1)]} + m) return -1;
    return offset - offsets[0] + k * (r - m);
}

// Replace all of another length while editing without limits: one splice of
// [first match, last match end); records, marks and inserted spans between
// the matches move with their bytes, the replacements show as inserted.
ReplaceOutcome resizeInStore(EditorState& s, WindowRef owner, const std::vector<uint32_t>& offsets,
                             const ReplaceQuery& q) {
    const int32_t m = q.pattern.length, r = q.replacementLength;
    const int64_t first = offsets[0], end = int64_t{offsets.back()} + m;
    const int64_t count = static_cast<int64_t>(offsets.size());
    try {
        std::vector<uint8_t> bytes(static_cast<size_t>(end - first + count * (r - m)));
        std::vector<ByteSpan> spans;
        spans.reserve(offsets.size());
        int64_t w = 0;
        for (size_t k = 0; k < offsets.size(); ++k) {
            std::memcpy(bytes.data() + w, q.replacement, static_cast<size_t>(r));
            if (r > 0) spans.push_back({w, w + r});
            w += r;
            const int64_t from = int64_t{offsets[k]} + m;
            const int64_t to = k + 1 < offsets.size() ? int64_t{offsets[k + 1]} : end;
            std::memcpy(bytes.data() + w, s.documentBytes + from, static_cast<size_t>(to - from));
            w += to - from;
        }
        // Inserted spans between the matches, byte by byte where they lie.
        for (const ByteSpan& b : insertedSpansIn(s, first, end)) {
            for (int64_t o = std::max(b.begin, first); o < std::min(b.end, end); ++o) {
                const int64_t moved = movedOffset(offsets, m, r, o);
                if (moved < 0) continue;
                if (!spans.empty() && spans.back().end == moved) {
                    ++spans.back().end;
                } else {
                    spans.push_back({moved, moved + 1});
                }
            }
        }
        std::sort(spans.begin(), spans.end(), [](const ByteSpan& a, const ByteSpan& b) { return a.begin < b.begin; });
        std::vector<NibbleRecord> lists[2];
        for (int k = 0; k < 2; ++k) {
            std::vector<NibbleRecord> found;
            recordsInRange(s, k == 0 ? RecordList::Change : RecordList::Mark, first, end, found);
            for (NibbleRecord rec : found) {
                const int64_t moved = movedOffset(offsets, m, r, rec.offset);
                if (moved < 0) continue;
                rec.offset = static_cast<int32_t>(moved);
                lists[k].push_back(rec);
            }
        }
        beginStep(s);
        const SpliceContent content{&lists[0], &lists[1], &spans};
        if (!spliceDocumentWith(s, owner, first, end - first, bytes.data(), static_cast<int64_t>(bytes.size()),
                                content)) {
            commitStep(s);
            return ReplaceOutcome::Refused;
        }
    } catch (const std::bad_alloc&) {
        reportOutOfMemory(owner);
        return ReplaceOutcome::Refused;
    }
    s.caretOffset = static_cast<int32_t>(std::min<int64_t>(first, std::max<int64_t>(s.documentSize, 1) - 1));
    s.caretNibble = 0;
    followResize(s, end, count * (r - m));
    commitStep(s);
    return ReplaceOutcome::Resized;
}

ReplaceOutcome resizeMatches(EditorState& s, WindowRef owner, const std::vector<uint32_t>& offsets,
                             const ReplaceQuery& q) {
    const int64_t count = static_cast<int64_t>(offsets.size());
    const int32_t m = q.pattern.length, r = q.replacementLength;
    const int64_t size = s.documentSize;
    const int64_t newSize = size + count * (r - m);
    if (newSize <= 0) {
        showError(owner, IDS_ERR_WOULD_EMPTY, nullptr);
        return ReplaceOutcome::Refused;
    }
    if (newSize - size > static_cast<int64_t>(s.spareCapacity) && s.unlimitedEdit == nullptr) {
        char format[kMessageTextLength];
        char text[kMessageTextLength + 64];
        loadText(IDS_ERR_NO_ROOM, format, sizeof format);
        std::snprintf(text, sizeof text, format, static_cast<long>(newSize - size),
                      static_cast<unsigned long>(s.spareCapacity));
        showError(owner, IDS_ERR_NO_ROOM, text);
        return ReplaceOutcome::Refused;
    }
    if (!checkDocumentGrowth(s, owner, newSize - size)) return ReplaceOutcome::Refused;
    char format[256], question[300], text[600];
    loadText(IDS_ASK_REPLACE_LENGTH, format, sizeof format);
    std::snprintf(question, sizeof question, format, static_cast<long>(count));
    questionWithResetWarning(s, question, text, sizeof text);
    if (askQuestion(owner, text, questionYesNo) != answerYes) return ReplaceOutcome::Refused;
    if (s.unlimitedEdit != nullptr) return resizeInStore(s, owner, offsets, q);

    rebuildBytes(s.documentBytes, size, offsets, m, q.replacement, r);
    s.spareCapacity = static_cast<uint32_t>(static_cast<int64_t>(s.spareCapacity) - (newSize - size));
    s.documentSize = static_cast<uint32_t>(newSize);
    resetDocumentModel(s);
    s.caretOffset = static_cast<int32_t>(std::min<int64_t>(offsets[0], newSize - 1));
    s.caretNibble = 0;
    markLengthChanged(s);
    return ReplaceOutcome::Resized;
}

}  // namespace

int readReplaceQuery(const char* findText, const char* replaceText, uint32_t options, bool withReplacement,
                     WindowRef owner, ReplaceQuery& out) {
    std::memset(&out, 0, sizeof out);
    out.options = options;
    const int n = parseQueryPattern(findText, options, out.pattern);
    if (n == 0) return 0;  // nothing to search for: as the search prompt, nothing happens
    out.replacementLength = withReplacement ? parseQueryReplacement(replaceText, options, out.replacement) : 0;
    if (n < 0 || out.replacementLength < 0) {
        showError(owner, IDS_ERR_INVALID_TEXT, nullptr);
        return 0;
    }
    return 1;
}

uint32_t defaultSearchOptions(int kanji) { return searchMatchCase | (kanji != 0 ? searchWholeChars : 0u); }

int findInDirection(EditorState& s, WindowRef owner, const ReplaceQuery& q, const char* findText) {
    if (!isDocumentLoaded(s) || q.pattern.length <= 0) return 0;
    void* previousCursor = beginWaitCursor();
    const int64_t hit = nextMatchInDirection(s, q);
    endWaitCursor(previousCursor);
    return settleSearch(s, owner, findText, hit, q.pattern.length);
}

int64_t nextMatchInDirection(const EditorState& s, const ReplaceQuery& q, const ProgressStep& step) {
    if (!isDocumentLoaded(s) || q.pattern.length <= 0) return -1;
    const bool up = (q.options & searchUp) != 0;
    const bool current = s.foundOffset != -1;
    const int64_t from = up ? (current ? s.foundOffset : s.caretOffset)
                            : (current ? int64_t{s.foundOffset} + 1 : int64_t{s.caretOffset});
    return searchOnce(s, q, from, up, step);
}

int64_t repeatedMatch(const EditorState& s, const ReplaceQuery& q, bool backward, const ProgressStep& step) {
    if (!isDocumentLoaded(s) || q.pattern.length <= 0) return -1;
    const SearchScope scope = replaceScope(s, q.options & ~searchInSelection);
    if (backward) {
        const int64_t before = s.caretOffset > 0 ? int64_t{s.caretOffset} : int64_t{s.documentSize};
        return findBackward(scope, q.pattern, before, step);
    }
    const int64_t from = int64_t{s.foundOffset} + 1;
    return findForward(scope, q.pattern, from < s.documentSize ? from : 0, step);
}

ReplaceOutcome replaceMatches(EditorState& s, WindowRef owner, const std::vector<uint32_t>& offsets,
                              const ReplaceQuery& q) {
    if (!isDocumentLoaded(s) || offsets.empty() || q.replacementLength < 0) return ReplaceOutcome::Refused;
    if (q.replacementLength == q.pattern.length) return overwriteMatches(s, owner, offsets, q);
    return resizeMatches(s, owner, offsets, q);
}

ReplaceOutcome replaceCurrentAndFind(EditorState& s, WindowRef owner, const ReplaceQuery& q, const char* findText,
                                     int& found) {
    found = 0;
    ReplaceOutcome outcome = ReplaceOutcome::Refused;
    if (currentMatchHolds(s, q)) {
        const int32_t at = s.foundOffset;
        outcome = replaceMatches(s, owner, {static_cast<uint32_t>(at)}, q);
        if (outcome == ReplaceOutcome::Refused) return outcome;
        // Go on from the replacement itself: past it downwards, before it upwards.
        s.foundOffset = (q.options & searchUp) != 0 ? at : at + q.replacementLength - 1;
        if (s.foundOffset < 0) {  // an empty replacement at offset 0: from the caret there
            s.foundOffset = -1;
            s.caretOffset = 0;
        }
    }
    found = findInDirection(s, owner, q, findText);
    return outcome;
}

ReplaceOutcome replaceAll(EditorState& s, WindowRef owner, const ReplaceQuery& q, const char* findText,
                          int64_t& count, const ProgressStep& step) {
    count = 0;
    if (!isDocumentLoaded(s) || q.pattern.length <= 0) return ReplaceOutcome::Refused;
    std::vector<uint32_t> offsets;
    if (!findAllOffsets(s, owner, q, offsets, step)) return ReplaceOutcome::Refused;
    return replaceListed(s, owner, q, findText, offsets, count);
}

ReplaceOutcome replaceListed(EditorState& s, WindowRef owner, const ReplaceQuery& q, const char* findText,
                             const std::vector<uint32_t>& offsets, int64_t& count) {
    count = 0;
    if (offsets.empty()) {
        reportNotFound(owner, findText);
        return ReplaceOutcome::Refused;
    }
    void* previousCursor = beginWaitCursor();
    ReplaceOutcome outcome = replaceMatches(s, owner, offsets, q);
    endWaitCursor(previousCursor);
    if (outcome != ReplaceOutcome::Refused) count = static_cast<int64_t>(offsets.size());
    return outcome;
}

int findAllOffsets(const EditorState& s, WindowRef owner, const ReplaceQuery& q, std::vector<uint32_t>& out,
                   const ProgressStep& step) {
    out.clear();
    if (!isDocumentLoaded(s) || q.pattern.length <= 0) return 1;
    try {
        if (findAllMatches(replaceScope(s, q.options), q.pattern, out, step)) return 1;
        std::vector<uint32_t>().swap(out);  // cancelled
        return 0;
    } catch (const std::bad_alloc&) {
        // "??" matches at every byte: the offsets of a large file may not fit.
        std::vector<uint32_t>().swap(out);
        showErrorCode(owner, kNoRoomError);
        return 0;
    }
}
