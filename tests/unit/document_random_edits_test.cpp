// Long random sequences of edits checked step by step against a plain model:
// a std::vector of bytes, the change records in order, the set of marks.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "document/document.h"
#include "document/edit.h"
#include "document/history.h"
#include "document/marks.h"
#include "document/record_list.h"
#include "document/save.h"
#include "document/undo.h"
#include "platform/platform_native.h"
#include "shell/editor_state.h"
#include "view/view_input.h"

namespace {

struct Change {
    int32_t offset, nibble;
    uint8_t byteValue;
    bool operator==(const Change&) const = default;
};

struct Model {
    std::vector<uint8_t> bytes;
    uint32_t capacity = 0;  // size + spare, fixed for the document's life
    std::vector<Change> changes;
    std::set<std::pair<int32_t, int32_t>> marks;
    int32_t caret = 0, nibble = 0, modified = 0, lengthChanged = 0;
    std::vector<uint8_t> saved;  // the file's bytes: as loaded or last saved
    int32_t dropped = 0;         // a record's saved nibble was replaced by a different one

    int findChange(int32_t off, int32_t nib) const {
        for (size_t i = 0; i < changes.size(); ++i)
            if (changes[i].offset == off && changes[i].nibble == nib) return static_cast<int>(i);
        return -1;
    }
    // Records that (off, nib) is about to change from `before`.
    void recordChange(int32_t off, int32_t nib, uint8_t before) {
        int i = findChange(off, nib);
        if (i == -1) {
            changes.push_back({off, nib, before});
            return;
        }
        const int shift = nib ? 0 : 4;
        if (((changes[i].byteValue >> shift) & 0xF) != ((before >> shift) & 0xF)) dropped = 1;
        changes[i].byteValue = before;
    }
    void reset(int32_t newCaret) {
        dropped = 0;
        changes.clear();
        marks.clear();
        caret = newCaret;
        nibble = 0;
        modified = 1;
        lengthChanged = 1;
    }
};

class RandomEdits : public ::testing::TestWithParam<unsigned> {
protected:
    void SetUp() override {
        resetNativeSeam();
        s = allocateEditorState();
        path = "/tmp/moxel_random_edits_" + std::to_string(::getpid()) + "_" + std::to_string(GetParam());
    }
    void TearDown() override {
        freeRecordLists(*s);
        std::free(s->documentBytes);
        freeEditorState(s);
        ::unlink(path.c_str());
    }

    void load(size_t size, uint32_t spare) {
        m = Model{};
        m.bytes.resize(size);
        for (auto& b : m.bytes) b = static_cast<uint8_t>(rng());
        m.capacity = static_cast<uint32_t>(size) + spare;
        m.saved = m.bytes;
        std::free(s->documentBytes);
        s->documentBytes = static_cast<uint8_t*>(std::malloc(m.capacity));
        std::memcpy(s->documentBytes, m.bytes.data(), size);
        s->documentSize = static_cast<uint32_t>(size);
        s->spareCapacity = spare;
        ASSERT_EQ(resetDocumentModel(*s), 1);
    }

    void check(const char* step) {
        SCOPED_TRACE(step);
        ASSERT_EQ(s->documentSize, m.bytes.size());
        ASSERT_EQ(s->documentSize + s->spareCapacity, m.capacity);
        ASSERT_TRUE(std::equal(m.bytes.begin(), m.bytes.end(), s->documentBytes));
        ASSERT_EQ(s->caretOffset, m.caret);
        ASSERT_EQ(s->modified, m.modified);
        ASSERT_EQ(s->lengthChanged, m.lengthChanged);
        ASSERT_EQ(s->rowCount, static_cast<int32_t>((m.bytes.size() + 15) / 16));
        std::vector<Change> changes;
        for (int i = 0; i < s->changeCount; ++i) {
            ASSERT_NE(s->changeList[i], nullptr);
            changes.push_back({s->changeList[i]->offset, s->changeList[i]->nibble, s->changeList[i]->byteValue});
        }
        ASSERT_EQ(changes, m.changes);
        std::set<std::pair<int32_t, int32_t>> marks;
        for (int i = 0; i < s->markCount; ++i) marks.insert({s->markList[i]->offset, s->markList[i]->nibble});
        ASSERT_EQ(marks, m.marks);
        ASSERT_EQ(nativeSeam().unexpectedQuestions, 0);
        ASSERT_TRUE(nativeSeam().answers.empty());
    }

    // Places the caret on a random nibble of the document.
    void moveCaret() {
        m.caret = m.bytes.empty() ? 0 : static_cast<int32_t>(rng() % m.bytes.size());
        m.nibble = static_cast<int32_t>(rng() % 2);
        s->caretOffset = m.caret;
        s->caretNibble = m.nibble;
    }

    void step() {
        const size_t size = m.bytes.size();
        const uint32_t spare = m.capacity - static_cast<uint32_t>(size);
        if (size == 0 && rng() % 2 == 0) {  // emptied by a range deletion: a fresh load, or an insertion
            load(1 + rng() % 40, rng() % 8);
            return;
        }
        moveCaret();
        switch (size == 0 ? 0 : rng() % 10) {
            case 0: {  // insert
                uint8_t v = static_cast<uint8_t>(rng());
                int r = insertByteAt(*s, nullptr, v);
                if (spare == 0) {
                    ASSERT_EQ(r, 0);
                } else {
                    ASSERT_EQ(r, 1);
                    m.bytes.insert(m.bytes.begin() + m.caret, v);
                    m.reset(m.caret);
                }
                return check("insert");
            }
            case 1: {  // delete one byte
                bool yes = rng() % 4 != 0;
                if (size >= 2) nativeSeam().answers.push_back(yes ? answerYes : answerNo);
                int r = deleteByteAtCaret(*s, nullptr);
                if (size >= 2 && yes) {
                    ASSERT_EQ(r, 1);
                    m.bytes.erase(m.bytes.begin() + m.caret);
                    m.reset(std::max(m.caret - 1, 0));
                } else {
                    ASSERT_EQ(r, 0);
                }
                return check("delete");
            }
            case 2: {  // delete a range
                int32_t end = static_cast<int32_t>(rng() % (size + 3));
                int r = deleteRangeTo(*s, end);
                if (size < 2) {
                    ASSERT_EQ(r, 0);
                } else {
                    ASSERT_EQ(r, 1);
                    int32_t e = std::min<int32_t>(end, static_cast<int32_t>(size) - 1);
                    int32_t lo = std::min(m.caret, e), hi = std::max(m.caret, e);
                    m.bytes.erase(m.bytes.begin() + lo, m.bytes.begin() + hi + 1);
                    int32_t last = static_cast<int32_t>(m.bytes.size()) - 1;
                    m.reset(m.bytes.empty() ? 0 : std::min(m.caret, last));
                }
                return check("delete range");
            }
            case 3:
            case 4: {  // text overwrite
                std::string text(rng() % 24, 'x');
                for (auto& c : text) c = static_cast<char>(rng() % 4 == 0 ? 'x' : 1 + rng() % 255);
                ASSERT_EQ(overwriteText(*s, text.c_str()), 1);
                for (size_t k = 0; k < text.size() && m.caret + k < size; ++k) {
                    int32_t at = static_cast<int32_t>(m.caret + k);
                    uint8_t before = m.bytes[at], v = static_cast<uint8_t>(text[k]);
                    if (v == before) continue;
                    for (int32_t nib : {0, 1}) m.recordChange(at, nib, before);
                    m.bytes[at] = v;
                }
                m.modified = 1;
                return check("overwrite");
            }
            case 5:
            case 6: {  // typing one hexadecimal digit, as the view does
                uint8_t digit = static_cast<uint8_t>(rng() % 16);
                int known = m.findChange(m.caret, m.nibble);
                bool yes = rng() % 3 != 0;
                if (known != -1) nativeSeam().answers.push_back(yes ? answerYes : answerNo);
                int r = recordChangeAtCaret(*s, 1, nullptr);
                uint8_t& byte = s->documentBytes[m.caret];
                uint8_t before = m.bytes[m.caret];
                if (known == -1 || yes) {
                    ASSERT_EQ(r, 1);
                    m.recordChange(m.caret, m.nibble, before);
                    byte = m.nibble ? static_cast<uint8_t>((before & 0xF0) | digit)
                                    : static_cast<uint8_t>((digit << 4) | (before & 0x0F));
                    m.bytes[m.caret] = byte;
                    s->modified = m.modified = 1;
                } else {
                    ASSERT_EQ(r, 0);
                }
                return check("nibble");
            }
            case 7: {  // revert one row of the history, then close the list when it is empty
                if (m.changes.empty()) return;
                size_t i = rng() % m.changes.size();
                ChangeRowTexts t = changeRowTexts(*s->changeList[i]);
                ASSERT_EQ(revertChange(*s, t.address, t.nibble, t.value), 1);
                Change c = m.changes[i];
                m.changes.erase(m.changes.begin() + static_cast<long>(i));
                uint8_t& b = m.bytes[c.offset];
                b = c.nibble ? static_cast<uint8_t>((b & 0xF0) | (c.byteValue & 0x0F))
                             : static_cast<uint8_t>((c.byteValue & 0xF0) | (b & 0x0F));
                if (m.changes.empty()) {
                    noteAllChangesReverted(*s);
                    m.modified = m.lengthChanged || m.dropped ? 1 : 0;
                    // Whatever the history did, a clean document holds the file's bytes.
                    if (m.modified == 0) {
                        ASSERT_EQ(m.bytes, m.saved);
                    }
                }
                return check("revert");
            }
            case 8: {  // save, sometimes failing
                bool fail = rng() % 4 == 0;
                nativeSeam().failWritesWith = fail ? 28 : 0;
                int r = saveDocument(*s, nullptr, path.c_str());
                ASSERT_EQ(r, fail ? 0 : 1);
                if (!fail) {
                    m.changes.clear();
                    m.modified = 0;
                    m.lengthChanged = 0;
                    m.dropped = 0;
                    m.saved = m.bytes;
                }
                return check("save");
            }
            default: {  // marks
                if (rng() % 2) {
                    ASSERT_EQ(toggleMark(*s), 1);
                    auto key = std::make_pair(m.caret, m.nibble);
                    if (!m.marks.erase(key)) m.marks.insert(key);
                    return check("toggle mark");
                }
                int r = gotoNextMark(*s);
                if (m.marks.empty()) {
                    ASSERT_EQ(r, 0);
                } else {
                    ASSERT_EQ(r, 1);
                    auto next = std::find_if(m.marks.begin(), m.marks.end(),
                                             [&](const auto& k) { return k.first > m.caret; });
                    if (next == m.marks.end()) next = m.marks.begin();
                    m.caret = next->first;
                    ASSERT_EQ(s->caretNibble, next->second);
                }
                return check("next mark");
            }
        }
    }

    std::mt19937 rng{GetParam()};
    EditorState* s = nullptr;
    Model m;
    std::string path;
};

TEST_P(RandomEdits, MatchTheModelStepByStep) {
    load(1 + rng() % 100, 1 + rng() % 30);
    for (int i = 0; i < 4000; ++i) {
        ASSERT_NO_FATAL_FAILURE(step()) << "step " << i;
        nativeSeam().events.clear();
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomEdits, ::testing::Values(1u, 2u, 3u, 4u, 5u));

// The same with editing without limits on: no caps, insertions and deletions
// that keep records and marks, and every step undone and redone against
// snapshots of a plain model.
struct Snapshot {
    std::vector<uint8_t> bytes;
    std::map<std::pair<int32_t, int32_t>, uint8_t> changes;
    std::set<std::pair<int32_t, int32_t>> marks;
    std::vector<bool> inserted;  // shown as inserted since the last save
    int32_t caret = 0, nibble = 0;
    bool operator==(const Snapshot&) const = default;
};

class UnlimitedRandomEdits : public ::testing::TestWithParam<unsigned> {
protected:
    void SetUp() override {
        resetNativeSeam();
        s = allocateEditorState();
        ASSERT_TRUE(setUnlimitedEditing(*s, true));
        path = "/tmp/moxel_unlimited_edits_" + std::to_string(::getpid()) + "_" + std::to_string(GetParam());
    }
    void TearDown() override {
        std::free(s->documentBytes);
        freeEditorState(s);
        ::unlink(path.c_str());
    }

    void load(size_t size) {
        m = Snapshot{};
        m.bytes.resize(size);
        for (auto& b : m.bytes) b = static_cast<uint8_t>(rng());
        m.inserted.assign(size, false);
        std::free(s->documentBytes);
        s->documentBytes = static_cast<uint8_t*>(std::malloc(size + 4));
        std::memcpy(s->documentBytes, m.bytes.data(), size);
        s->documentSize = static_cast<uint32_t>(size);
        s->spareCapacity = 4;  // the buffer has to grow
        ASSERT_EQ(resetDocumentModel(*s), 1);
        for (int i = 0; i < 6; ++i) {  // marks from the start; they then move with their bytes
            moveCaret();
            ASSERT_EQ(toggleMark(*s), 1);
            if (!m.marks.erase({m.caret, m.nibble})) m.marks.insert({m.caret, m.nibble});
        }
        steps.clear();
        position = 0;
        savedPosition = 0;
        file = m.bytes;
    }

    void moveCaret() {
        m.caret = m.bytes.empty() ? 0 : static_cast<int32_t>(rng() % m.bytes.size());
        m.nibble = static_cast<int32_t>(rng() % 2);
        s->caretOffset = m.caret;
        s->caretNibble = m.nibble;
        endTypedRun(*s);
        runOpen = false;
    }

    void record(int32_t at, int32_t nibble, uint8_t before) { m.changes.emplace(std::make_pair(at, nibble), before).first->second = before; }
    void typeByte(int32_t at, uint8_t after) {
        const uint8_t before = m.bytes[at], between = static_cast<uint8_t>((after & 0xF0) | (before & 0x0F));
        if (between != before) record(at, 0, before);
        if (after != between) record(at, 1, between);
        m.bytes[at] = after;
    }
    // Replaces [at, at + removed) by `count` new bytes: what lies after moves.
    void splice(int32_t at, int32_t removed, const std::vector<uint8_t>& bytes) {
        const int32_t delta = static_cast<int32_t>(bytes.size()) - removed;
        // Where a record's byte goes; nullopt when it goes with the removed bytes.
        auto moved = [&](std::pair<int32_t, int32_t> k) -> std::optional<std::pair<int32_t, int32_t>> {
            if (k.first >= at && k.first < at + removed) return std::nullopt;
            if (k.first >= at + removed) k.first += delta;
            return k;
        };
        std::map<std::pair<int32_t, int32_t>, uint8_t> changes;
        for (const auto& [k, v] : m.changes)
            if (auto to = moved(k)) changes[*to] = v;
        std::set<std::pair<int32_t, int32_t>> marks;
        for (const auto& k : m.marks)
            if (auto to = moved(k)) marks.insert(*to);
        m.changes.swap(changes);
        m.marks.swap(marks);
        m.bytes.erase(m.bytes.begin() + at, m.bytes.begin() + at + removed);
        m.bytes.insert(m.bytes.begin() + at, bytes.begin(), bytes.end());
        m.inserted.erase(m.inserted.begin() + at, m.inserted.begin() + at + removed);
        m.inserted.insert(m.inserted.begin() + at, bytes.size(), true);
    }
    // A command changed the document: one more step (a typed run goes on in its own).
    void stepDone(const Snapshot& before, bool typed) {
        if (typed && runOpen) {
            steps[position - 1].second = m;
        } else {
            steps.resize(position);
            steps.push_back({before, m});
            ++position;
            if (savedPosition >= static_cast<int64_t>(position)) savedPosition = -1;
        }
        runOpen = typed;
    }

    void check(const char* what) {
        SCOPED_TRACE(what);
        ASSERT_EQ(s->documentSize, m.bytes.size());
        ASSERT_TRUE(std::equal(m.bytes.begin(), m.bytes.end(), s->documentBytes));
        ASSERT_EQ(s->caretOffset, m.caret);
        ASSERT_EQ(s->caretNibble, m.nibble);
        ASSERT_EQ(s->rowCount, static_cast<int32_t>((m.bytes.size() + 15) / 16));
        std::map<std::pair<int32_t, int32_t>, uint8_t> changes;
        for (int32_t i = 0; i < recordCount(*s, RecordList::Change); ++i) {
            const NibbleRecord r = recordAt(*s, RecordList::Change, i);
            changes[{r.offset, r.nibble}] = r.byteValue;
        }
        ASSERT_EQ(s->changeCount, static_cast<int32_t>(m.changes.size()));
        ASSERT_EQ(changes, m.changes);
        std::set<std::pair<int32_t, int32_t>> marks;
        for (int32_t i = 0; i < recordCount(*s, RecordList::Mark); ++i) {
            const NibbleRecord r = recordAt(*s, RecordList::Mark, i);
            marks.insert({r.offset, r.nibble});
        }
        ASSERT_EQ(marks, m.marks);
        std::vector<bool> inserted(m.bytes.size(), false);
        for (const ByteSpan& b : insertedSpansIn(*s, 0, static_cast<int64_t>(m.bytes.size()))) {
            ASSERT_LT(b.begin, b.end);
            for (int64_t o = b.begin; o < b.end; ++o) inserted[static_cast<size_t>(o)] = true;
        }
        ASSERT_EQ(inserted, m.inserted);
        // Clean exactly at the saved place; a document unlike the file is never clean.
        if (static_cast<int64_t>(position) == savedPosition) {
            ASSERT_EQ(s->modified, 0);
        }
        if (m.bytes != file) {
            ASSERT_EQ(s->modified, 1);
        }
        ASSERT_EQ(canUndo(*s), position > 0);
        ASSERT_EQ(canRedo(*s), position < steps.size());
        ASSERT_EQ(nativeSeam().unexpectedQuestions, 0);
    }

    void step() {
        const int32_t size = static_cast<int32_t>(m.bytes.size());
        if (size == 0) {
            if (rng() % 3 == 0) return load(1 + rng() % 40);
            moveCaret();
            const Snapshot before = m;
            ASSERT_EQ(insertByteAt(*s, nullptr, 0x5A), 1);
            splice(0, 0, {0x5A});
            m.nibble = 0;
            stepDone(before, false);
            return check("insert into nothing");
        }
        const int kind = rng() % 12;
        if (kind > 1 || rng() % 3 == 0) moveCaret();  // typed digits often go on where the last stopped
        const Snapshot before = m;
        switch (kind) {
            case 0:
            case 1: {  // a typed digit
                if (m.caret >= size) return;
                const uint8_t old = m.bytes[m.caret], digit = static_cast<uint8_t>(rng() % 16);
                const uint8_t now = m.nibble ? static_cast<uint8_t>((old & 0xF0) | digit)
                                             : static_cast<uint8_t>((digit << 4) | (old & 0x0F));
                const bool asked = now != old && m.changes.count({m.caret, m.nibble}) != 0;
                const bool yes = rng() % 4 != 0;
                if (asked) nativeSeam().answers.push_back(yes ? answerYes : answerNo);
                typeHexDigit(*s, nullptr, digit, false);
                if (asked && !yes) return check("digit refused");
                if (now != old) {
                    record(m.caret, m.nibble, old);
                    m.bytes[m.caret] = now;
                }
                m.caret = s->caretOffset;  // where the caret goes after a digit is the view's matter
                m.nibble = s->caretNibble;
                // A digit equal to the one there changes nothing, but within
                // an open run the run's caret after it moves on with it.
                if (now != old || runOpen) stepDone(before, true);
                return check("digit");
            }
            case 2: {  // insert
                const uint8_t v = static_cast<uint8_t>(rng());
                ASSERT_EQ(insertByteAt(*s, nullptr, v), 1);
                splice(m.caret, 0, {v});
                m.nibble = 0;
                stepDone(before, false);
                return check("insert");
            }
            case 3: {  // delete one byte or a range
                if (size < 2) return;
                if (rng() % 2) {
                    nativeSeam().answers.push_back(answerYes);
                    ASSERT_EQ(deleteByteAtCaret(*s, nullptr), 1);
                    splice(m.caret, 1, {});
                    m.caret = std::max(m.caret - 1, 0);
                } else {
                    const int32_t end = static_cast<int32_t>(rng() % size);
                    ASSERT_EQ(deleteRangeTo(*s, end), 1);
                    const int32_t lo = std::min(m.caret, end), hi = std::max(m.caret, end);
                    splice(lo, hi - lo + 1, {});
                    m.caret = m.bytes.empty() ? 0 : std::min(m.caret, static_cast<int32_t>(m.bytes.size()) - 1);
                }
                m.nibble = 0;
                stepDone(before, false);
                return check("delete");
            }
            case 4: {  // replace bytes: typed over the common part, the rest spliced
                const int32_t at = static_cast<int32_t>(rng() % (size + 1));
                const int32_t removed = static_cast<int32_t>(rng() % 6);
                std::vector<uint8_t> bytes(rng() % 6);
                for (auto& b : bytes) b = static_cast<uint8_t>(rng());
                ASSERT_EQ(replaceBytes(*s, nullptr, at, removed, bytes.data(), static_cast<int64_t>(bytes.size())), 1);
                const int32_t r = std::min(removed, size - at), common = std::min<int32_t>(r, static_cast<int32_t>(bytes.size()));
                for (int32_t i = 0; i < common; ++i) typeByte(at + i, bytes[static_cast<size_t>(i)]);
                splice(at + common, r - common, std::vector<uint8_t>(bytes.begin() + common, bytes.end()));
                if (!(m == before)) stepDone(before, false);
                return check("replace bytes");
            }
            case 6: {  // revert one row of the history
                if (m.changes.empty()) return;
                const NibbleRecord r = recordAt(*s, RecordList::Change, static_cast<int32_t>(rng() % m.changes.size()));
                const ChangeRowTexts t = changeRowTexts(r);
                ASSERT_EQ(revertChange(*s, t.address, t.nibble, t.value), 1);
                m.changes.erase({r.offset, r.nibble});
                uint8_t& b = m.bytes[r.offset];
                b = r.nibble ? static_cast<uint8_t>((b & 0xF0) | (r.byteValue & 0x0F))
                             : static_cast<uint8_t>((r.byteValue & 0xF0) | (b & 0x0F));
                if (m.changes.empty()) noteAllChangesReverted(*s);
                stepDone(before, false);
                return check("revert");
            }
            case 7: {  // save: the records and colours kept anywhere no longer hold
                ASSERT_EQ(saveDocument(*s, nullptr, path.c_str()), 1);
                for (Snapshot* x : {&m}) {
                    x->changes.clear();
                    x->inserted.assign(x->bytes.size(), false);
                }
                for (auto& [b, a] : steps) {
                    for (Snapshot* x : {&b, &a}) {
                        x->changes.clear();
                        x->inserted.assign(x->bytes.size(), false);
                    }
                }
                savedPosition = static_cast<int64_t>(position);
                file = m.bytes;
                runOpen = false;
                return check("save");
            }
            case 8:
            case 9: {  // undo
                ASSERT_EQ(undoStep(*s, nullptr), position > 0 ? 1 : 0);
                if (position > 0) m = steps[--position].first;
                runOpen = false;
                return check("undo");
            }
            default: {  // redo
                ASSERT_EQ(redoStep(*s, nullptr), position < steps.size() ? 1 : 0);
                if (position < steps.size()) m = steps[position++].second;
                runOpen = false;
                return check("redo");
            }
        }
    }

    std::mt19937 rng{GetParam()};
    EditorState* s = nullptr;
    Snapshot m;
    std::vector<std::pair<Snapshot, Snapshot>> steps;  // before and after of each step
    size_t position = 0;
    int64_t savedPosition = 0;
    bool runOpen = false;
    std::vector<uint8_t> file;
    std::string path;
};

TEST_P(UnlimitedRandomEdits, MatchTheModelThroughUndoAndRedo) {
    ASSERT_NO_FATAL_FAILURE(load(1 + rng() % 60));
    for (int i = 0; i < 4000; ++i) {
        ASSERT_NO_FATAL_FAILURE(step()) << "step " << i;
        nativeSeam().events.clear();
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, UnlimitedRandomEdits, ::testing::Values(1u, 2u, 3u, 4u, 5u));

}  // namespace
