// The growable record store against std::map, records and marks moving with
// insertions and deletions, and a command that runs out of memory halfway.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <vector>

#include "document/document.h"
#include "document/edit.h"
#include "document/record_list.h"
#include "document/record_store.h"
#include "document/undo.h"
#include "document/unlimited_edit.h"
#include "platform/platform_native.h"
#include "resource_ids.h"

namespace {

std::map<uint64_t, uint8_t> contentOf(const RecordStore& store) {
    std::map<uint64_t, uint8_t> out;
    for (size_t i = 0; i < store.size(); ++i)
        out[RecordStore::keyOfPacked(store.at(i))] = static_cast<uint8_t>(store.at(i) & 0xFF);
    return out;
}

// Many records, so that chunks fill, split and empty.
TEST(RecordStore, FollowsAnOrderedMapThroughEveryOperation) {
    std::mt19937 rng(7);
    RecordStore store;
    std::map<uint64_t, uint8_t> model;
    for (int step = 0; step < 6000; ++step) {
        const uint64_t key = rng() % 20000;
        switch (rng() % 8) {
            case 0: {  // take a range out and put it back, as undo and redo do
                std::vector<RecordStore::Packed> taken;
                const uint64_t to = key + rng() % 3000;
                store.extractRange(key, to, taken);
                ASSERT_EQ(store.lowerIndex(key), store.lowerIndex(to));
                store.insertRun(taken.data(), taken.size());
                break;
            }
            case 1: {  // shift what follows a removed range back over it
                const uint64_t n = rng() % 50;
                std::vector<RecordStore::Packed> taken;
                store.extractRange(key, key + n, taken);
                store.shiftKeys(key + n, -static_cast<int64_t>(n));
                std::map<uint64_t, uint8_t> next;
                for (auto [k, v] : model)
                    if (k < key || k >= key + n) next[k >= key + n ? k - n : k] = v;
                model.swap(next);
                break;
            }
            case 2: {  // a sorted run merged in, replacing values
                std::vector<RecordStore::Packed> run;
                for (uint64_t k = key; k < key + 2000; k += 1 + rng() % 5) {
                    run.push_back(RecordStore::pack(k, static_cast<uint8_t>(k)));
                    model[k] = static_cast<uint8_t>(k);
                }
                store.mergeRun(run.data(), run.size(), false);
                break;
            }
            case 3:
                if (!model.empty()) {
                    const size_t i = rng() % store.size();
                    model.erase(RecordStore::keyOfPacked(store.at(i)));
                    store.eraseAt(i);
                }
                break;
            default: {
                const auto v = static_cast<uint8_t>(rng());
                ASSERT_EQ(store.assign(key, v), model.count(key) == 0);
                model[key] = v;
            }
        }
        ASSERT_EQ(store.size(), model.size());
        const auto it = model.find(key);
        const int64_t found = store.find(key);
        ASSERT_EQ(found >= 0, it != model.end());
        if (found >= 0) {
            ASSERT_EQ(store.at(static_cast<size_t>(found)), RecordStore::pack(key, it->second));
        }
    }
    ASSERT_EQ(contentOf(store), model);
}

class UnlimitedDocument : public ::testing::Test {
protected:
    void SetUp() override {
        resetNativeSeam();
        s = allocateEditorState();
        ASSERT_TRUE(setUnlimitedEditing(*s, true));
        s->documentBytes = static_cast<uint8_t*>(std::malloc(32));
        for (int i = 0; i < 32; ++i) s->documentBytes[i] = static_cast<uint8_t>(i);
        s->documentSize = 32;
        ASSERT_EQ(resetDocumentModel(*s), 1);
    }
    void TearDown() override {
        failUndoAllocationAfter(-1);
        std::free(s->documentBytes);
        freeEditorState(s);
    }
    std::vector<int32_t> offsets(RecordList list) const {
        std::vector<int32_t> out;
        for (int32_t i = 0; i < recordCount(*s, list); ++i) out.push_back(recordAt(*s, list, i).offset);
        return out;
    }
    EditorState* s = nullptr;
};

TEST_F(UnlimitedDocument, RecordsAndMarksMoveWithTheirBytes) {
    struct Case {
        const char* what;
        int32_t at, removed, inserted;
        std::vector<int32_t> after;  // where the records of bytes 4, 5, 10 and 20 end up
    };
    const Case cases[] = {
        {"insert before all", 0, 0, 3, {7, 8, 13, 23}},
        {"insert between", 6, 0, 2, {4, 5, 12, 22}},
        {"insert at a record", 10, 0, 1, {4, 5, 11, 21}},
        {"insert at the end", 32, 0, 4, {4, 5, 10, 20}},
        {"delete one recorded byte", 5, 1, 0, {4, 9, 19}},
        {"delete a range with records", 4, 7, 0, {13}},
        {"delete after all", 21, 11, 0, {4, 5, 10, 20}},
        {"replace by longer", 9, 2, 5, {4, 5, 23}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(resetDocumentModel(*s), 1);
        for (int32_t o : {4, 5, 10, 20}) {
            addRecord(*s, RecordList::Change, o, 1, 0);
            addRecord(*s, RecordList::Mark, o, 0, 0);
        }
        const std::vector<uint8_t> bytes(static_cast<size_t>(c.inserted), 0xEE);
        ASSERT_TRUE(spliceDocument(*s, nullptr, c.at, c.removed, bytes.data(), c.inserted));
        EXPECT_EQ(offsets(RecordList::Change), c.after);
        EXPECT_EQ(offsets(RecordList::Mark), c.after);
        const std::vector<ByteSpan> spans = insertedSpansIn(*s, 0, s->documentSize);
        ASSERT_EQ(spans.size(), c.inserted > 0 ? 1u : 0u);
        if (c.inserted > 0) {
            EXPECT_EQ(spans[0].begin, c.at);
        }
        // Undo brings every record and mark back to its byte; redo moves them again.
        ASSERT_EQ(undoStep(*s, nullptr), 1);
        EXPECT_EQ(offsets(RecordList::Mark), (std::vector<int32_t>{4, 5, 10, 20}));
        EXPECT_EQ(s->documentSize, 32u);
        ASSERT_EQ(redoStep(*s, nullptr), 1);
        EXPECT_EQ(offsets(RecordList::Change), c.after);
        ASSERT_EQ(undoStep(*s, nullptr), 1);
    }
}

// Whichever allocation fails, the command leaves nothing half done.
TEST_F(UnlimitedDocument, ACommandThatRunsOutOfMemoryChangesNothing) {
    const uint8_t pattern[] = {0xA5, 0x5A, 0x11};
    for (int64_t failing = 0; failing < 8; ++failing) {
        SCOPED_TRACE(failing);
        ASSERT_EQ(resetDocumentModel(*s), 1);
        addRecord(*s, RecordList::Mark, 7, 0, 0);
        s->spareCapacity = 0;  // the insertion has to grow the buffer
        const std::vector<uint8_t> before(s->documentBytes, s->documentBytes + s->documentSize);
        failUndoAllocationAfter(failing);
        const int typed = fillBytes(*s, nullptr, 2, 9, pattern, 3);
        const int grown = typed != 0 ? replaceBytes(*s, nullptr, 5, 1, pattern, 3) : 0;
        failUndoAllocationAfter(-1);
        if (grown != 0) {  // this many allocations did not fail
            ASSERT_EQ(undoStep(*s, nullptr) + undoStep(*s, nullptr), 2);
            continue;
        }
        if (typed == 0) {
            EXPECT_TRUE(std::equal(before.begin(), before.end(), s->documentBytes));
            EXPECT_EQ(s->changeCount, 0);
            EXPECT_FALSE(canUndo(*s));
        } else {
            EXPECT_EQ(s->documentSize, 32u);
            EXPECT_EQ(undoStep(*s, nullptr), 1);  // only the fill was done
            EXPECT_TRUE(std::equal(before.begin(), before.end(), s->documentBytes));
        }
        EXPECT_EQ(offsets(RecordList::Mark), std::vector<int32_t>{7});
        EXPECT_EQ(s->modified, 0);
        ASSERT_FALSE(nativeSeam().events.empty());
        EXPECT_EQ(nativeSeam().events.back().messageId, IDS_ERR_OUT_OF_MEMORY);
        nativeSeam().events.clear();
    }
}

}  // namespace
