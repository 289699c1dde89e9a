// The document model: record lists, reset, insertion and deletion, text
// overwrite, saving, reverting changes and marks.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "document/document.h"
#include "document/edit.h"
#include "document/history.h"
#include "document/marks.h"
#include "document/record_list.h"
#include "document/save.h"
#include "resource_ids.h"
#include "platform/platform_native.h"
#include "shell/editor_state.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Positions = std::vector<std::pair<int, int>>;  // (offset, nibble)

class DocumentModel : public ::testing::Test {
protected:
    void SetUp() override {
        resetNativeSeam();
        s = allocateEditorState();
        ASSERT_NE(s, nullptr);
    }
    void TearDown() override {
        EXPECT_EQ(nativeSeam().unexpectedQuestions, 0);
        EXPECT_TRUE(nativeSeam().answers.empty()) << "an answered question was never asked";
        freeRecordLists(*s);
        std::free(s->documentBytes);
        freeEditorState(s);
    }

    // A document as opening leaves it: the bytes, `spare` bytes of room, a reset.
    void load(const Bytes& bytes, uint32_t spare = kSpareBytes) {
        std::free(s->documentBytes);
        s->documentBytes = static_cast<uint8_t*>(std::malloc(bytes.size() + spare));
        std::memcpy(s->documentBytes, bytes.data(), bytes.size());
        s->documentSize = static_cast<uint32_t>(bytes.size());
        s->spareCapacity = spare;
        ASSERT_EQ(resetDocumentModel(*s), 1);
    }
    void loadCounting(uint32_t n, uint32_t spare = kSpareBytes) {
        Bytes b(n);
        for (uint32_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(i);
        load(b, spare);
    }
    Bytes bytes() const { return Bytes(s->documentBytes, s->documentBytes + s->documentSize); }
    int errors(unsigned code) const {
        int n = 0;
        for (const SeamEvent& e : nativeSeam().events) n += e.kind == SeamEvent::Error && e.errorCode == code;
        return n;
    }
    const NibbleRecord& change(int i) const { return *s->changeList[i]; }

    EditorState* s = nullptr;
};

// ------------------------------------------------------------ reset

TEST_F(DocumentModel, ResetGivesTheStateOfAFreshlyLoadedDocument) {
    loadCounting(40);
    s->caretOffset = 33;
    s->caretNibble = 1;
    s->caretInText = 1;
    s->selectionAnchorRow = 0;
    s->selectionEndRow = 2;
    s->selectionTrackRow = 1;
    s->dragStartY = 7;
    s->keySelecting = 1;
    s->foundOffset = 5;
    s->topRow = 2;
    s->modified = 1;
    s->lengthChanged = 1;
    ASSERT_EQ(addRecord(*s, RecordList::Change, 1, 0, 9), 1);
    ASSERT_EQ(addRecord(*s, RecordList::Mark, 2, 1, 9), 1);

    ASSERT_EQ(resetDocumentModel(*s), 1);
    EXPECT_EQ(s->caretOffset, 0);
    EXPECT_EQ(s->caretNibble, 0);
    EXPECT_EQ(s->caretInText, 0);
    EXPECT_EQ(s->selectionAnchorRow, -1);
    EXPECT_EQ(s->selectionEndRow, -1);
    EXPECT_EQ(s->selectionTrackRow, -1);
    EXPECT_EQ(s->dragStartY, -1);
    EXPECT_EQ(s->keySelecting, 0);
    EXPECT_EQ(s->foundOffset, -1);
    EXPECT_EQ(s->topRow, 0);
    EXPECT_EQ(s->visibleRows, 0);
    EXPECT_EQ(s->modified, 0);
    EXPECT_EQ(s->lengthChanged, 0);
    EXPECT_EQ(s->changeCount, 0);
    EXPECT_EQ(s->markCount, 0);
    EXPECT_NE(s->changeList, nullptr);
    EXPECT_NE(s->markList, nullptr);
    EXPECT_EQ(s->rowCount, 3);
}

TEST_F(DocumentModel, RowCountAndScrollRangeFollowTheSize) {
    struct Case { uint32_t size; int32_t rows, scrollMax; };
    for (Case c : {Case{0, 0, 1}, Case{1, 1, 1}, Case{16, 1, 1}, Case{17, 2, 1}, Case{48, 3, 2},
                   Case{16u * 65536, 65536, 65535}, Case{16u * 70000, 70000, 65535},
                   Case{0xFFFFFFFFu, 0x10000000, 65535}}) {
        s->documentSize = c.size;  // the reset reads only the size
        ASSERT_EQ(resetDocumentModel(*s), 1);
        EXPECT_EQ(s->rowCount, c.rows) << c.size;
        EXPECT_EQ(s->scrollMax, c.scrollMax) << c.size;
    }
    s->documentSize = 0;
    s->scrollMax = 10;
    s->visibleRows = 11;
    EXPECT_EQ(scrollRangeMaximum(*s), 0);
    s->visibleRows = 10;
    EXPECT_EQ(scrollRangeMaximum(*s), 19);
}

// ------------------------------------------------------------ record lists

TEST_F(DocumentModel, EachListTakes2001RecordsAndRefusesThe2002ndWithError14) {
    loadCounting(16);
    for (RecordList list : {RecordList::Change, RecordList::Mark}) {
        for (int i = 0; i < kRecordListSlots; ++i) ASSERT_EQ(addRecord(*s, list, i, 0, 1), 1) << i;
        EXPECT_EQ(errors(14), 0);
        EXPECT_EQ(addRecord(*s, list, 5000, 1, 1), 0);
        EXPECT_EQ(errors(14), 1);
        EXPECT_EQ(findRecord(*s, list, 5000, 1), -1);
        EXPECT_EQ(findRecord(*s, list, 2000, 0), 2000);
        nativeSeam().events.clear();
    }
    EXPECT_EQ(s->changeCount, kRecordListSlots);
    EXPECT_EQ(s->markCount, kRecordListSlots);
}

TEST_F(DocumentModel, RemovalKeepsTheOrderAndMarksTheListUnsorted) {
    loadCounting(64);
    for (int32_t off : {40, 10, 30, 20}) ASSERT_EQ(addRecord(*s, RecordList::Mark, off, 0, 0), 1);
    ASSERT_EQ(sortRecords(*s, RecordList::Mark), 1);  // 10 20 30 40
    EXPECT_EQ(s->markListUnsorted, 0);

    ASSERT_EQ(removeRecord(*s, RecordList::Mark, 1), 1);
    EXPECT_EQ(s->markListUnsorted, 1);
    ASSERT_EQ(s->markCount, 3);
    EXPECT_EQ(s->markList[0]->offset, 10);
    EXPECT_EQ(s->markList[1]->offset, 30);
    EXPECT_EQ(s->markList[2]->offset, 40);
    EXPECT_EQ(s->markList[3], nullptr);

    // Indices outside the used slots are refused instead of freeing or shifting a stranger's slot.
    EXPECT_EQ(removeRecord(*s, RecordList::Mark, 3), 0);
    EXPECT_EQ(removeRecord(*s, RecordList::Mark, -1), 0);
    EXPECT_EQ(s->markCount, 3);
}

TEST_F(DocumentModel, RecordingAnAlreadyChangedNibbleAsksAndYesKeepsTheLatestByte) {
    loadCounting(64);
    s->caretOffset = 0x1F;
    ASSERT_EQ(recordChangeAtCaret(*s, 1, nullptr), 1);  // new position: no question
    EXPECT_TRUE(nativeSeam().events.empty());
    EXPECT_EQ(change(0).byteValue, 0x1F);
    s->documentBytes[0x1F] = 0xA0;

    nativeSeam().answers = {answerNo};
    EXPECT_EQ(recordChangeAtCaret(*s, 1, nullptr), 0);
    ASSERT_EQ(nativeSeam().events.size(), 1u);
    EXPECT_EQ(nativeSeam().events[0].kind, SeamEvent::Question);
    EXPECT_EQ(nativeSeam().events[0].style, questionYesNo);
    EXPECT_EQ(nativeSeam().events[0].text, "'1F' 番地のデータは既に変更されています。上書きしますか？");
    EXPECT_EQ(change(0).byteValue, 0x1F);

    nativeSeam().answers = {answerYes};
    EXPECT_EQ(recordChangeAtCaret(*s, 1, nullptr), 1);
    EXPECT_EQ(change(0).byteValue, 0xA0);
    EXPECT_EQ(s->changeCount, 1);

    // Without confirmation the record is updated silently.
    EXPECT_EQ(recordChange(*s, 0x1F, 0, 0x77, 0, nullptr), 1);
    EXPECT_EQ(change(0).byteValue, 0x77);
    EXPECT_EQ(nativeSeam().events.size(), 2u);
}

TEST_F(DocumentModel, ClearingTheChangeListKeepsMarksAndOptionallyTheSlots) {
    loadCounting(64);
    addRecord(*s, RecordList::Change, 1, 0, 0);
    addRecord(*s, RecordList::Change, 2, 1, 0);
    addRecord(*s, RecordList::Mark, 3, 0, 0);
    clearChangeList(*s, 0);
    EXPECT_EQ(s->changeCount, 0);
    EXPECT_EQ(s->changeListUnsorted, 0);
    EXPECT_NE(s->changeList, nullptr);
    EXPECT_EQ(s->markCount, 1);
    EXPECT_EQ(addRecord(*s, RecordList::Change, 1, 0, 0), 1);
    clearChangeList(*s, 1);
    EXPECT_EQ(s->changeList, nullptr);
    freeRecordLists(*s);
    EXPECT_EQ(s->markList, nullptr);
    EXPECT_EQ(s->markCount, 0);
}

// ------------------------------------------------------------ insertion and deletion

TEST_F(DocumentModel, ThousandInsertionsFitAndTheNextReportsError14) {
    load({0xAA, 0xBB});
    s->caretOffset = 1;
    for (int i = 0; i < 1000; ++i) {
        s->caretOffset = 1;
        ASSERT_EQ(insertByteAt(*s, nullptr, static_cast<uint8_t>(i)), 1) << i;
    }
    EXPECT_EQ(s->documentSize, 1002u);
    EXPECT_EQ(s->spareCapacity, 0u);
    EXPECT_EQ(s->documentBytes[0], 0xAA);
    EXPECT_EQ(s->documentBytes[1], static_cast<uint8_t>(999));  // the latest insertion stands first
    EXPECT_EQ(s->documentBytes[1000], 0);
    EXPECT_EQ(s->documentBytes[1001], 0xBB);
    EXPECT_EQ(errors(14), 0);

    EXPECT_EQ(checkInsertRoom(*s, nullptr), 0);
    EXPECT_EQ(insertByteAt(*s, nullptr, 1), 0);
    EXPECT_EQ(errors(14), 2);
    EXPECT_EQ(s->documentSize, 1002u);
}

TEST_F(DocumentModel, InsertionPutsTheByteInFrontOfTheCaretAndResetsTheLists) {
    load({1, 2, 3});
    addRecord(*s, RecordList::Mark, 2, 0, 3);
    addRecord(*s, RecordList::Change, 1, 0, 2);
    s->caretOffset = 0;
    ASSERT_EQ(insertByteAt(*s, nullptr, 0x7F), 1);
    EXPECT_EQ(bytes(), (Bytes{0x7F, 1, 2, 3}));
    EXPECT_EQ(s->caretOffset, 0);
    EXPECT_EQ(s->caretNibble, 0);
    EXPECT_EQ(s->modified, 1);
    EXPECT_EQ(s->lengthChanged, 1);
    EXPECT_EQ(s->markCount, 0);
    EXPECT_EQ(s->changeCount, 0);
    EXPECT_EQ(s->spareCapacity, kSpareBytes - 1);
    EXPECT_EQ(s->selectionEndRow, -1);
}

TEST_F(DocumentModel, DeletingAByteAsksFirstAndLeavesTheCaretBeforeIt) {
    loadCounting(8);
    s->caretOffset = 5;
    nativeSeam().answers = {answerNo};
    EXPECT_EQ(deleteByteAtCaret(*s, nullptr), 0);
    EXPECT_EQ(s->documentSize, 8u);
    EXPECT_EQ(nativeSeam().events.back().text,
              "'5' 番地の '05' を削除しますか？ ※実行するとすべて初期化されます。");

    nativeSeam().answers = {answerYes};
    ASSERT_EQ(deleteByteAtCaret(*s, nullptr), 1);
    EXPECT_EQ(bytes(), (Bytes{0, 1, 2, 3, 4, 6, 7}));
    EXPECT_EQ(s->caretOffset, 4);
    EXPECT_EQ(s->modified, 1);
    EXPECT_EQ(s->lengthChanged, 1);
    EXPECT_EQ(s->spareCapacity, kSpareBytes + 1);

    s->caretOffset = 0;
    nativeSeam().answers = {answerYes};
    ASSERT_EQ(deleteByteAtCaret(*s, nullptr), 1);
    EXPECT_EQ(bytes(), (Bytes{1, 2, 3, 4, 6, 7}));
    EXPECT_EQ(s->caretOffset, 0);
}

TEST_F(DocumentModel, TheLastByteCannotBeDeleted) {
    load({9});
    EXPECT_EQ(deleteByteAtCaret(*s, nullptr), 0);
    EXPECT_EQ(deleteRangeTo(*s, 0), 0);
    EXPECT_EQ(s->documentSize, 1u);
    EXPECT_TRUE(nativeSeam().events.empty());
}

TEST_F(DocumentModel, RangeDeletionTakesBothEndsInEitherOrder) {
    loadCounting(32);
    s->caretOffset = 10;
    ASSERT_EQ(deleteRangeTo(*s, 3), 1);  // 3..10
    EXPECT_EQ(s->documentSize, 24u);
    EXPECT_EQ(s->documentBytes[2], 2);
    EXPECT_EQ(s->documentBytes[3], 11);
    EXPECT_EQ(s->caretOffset, 10);
    EXPECT_EQ(s->spareCapacity, kSpareBytes + 8);
    EXPECT_EQ(s->modified, 1);

    loadCounting(32);
    s->caretOffset = 10;
    ASSERT_EQ(deleteRangeTo(*s, 20), 1);  // 10..20
    EXPECT_EQ(s->documentSize, 21u);
    EXPECT_EQ(s->documentBytes[9], 9);
    EXPECT_EQ(s->documentBytes[10], 21);
    EXPECT_EQ(s->caretOffset, 10);
    EXPECT_EQ(s->rowCount, 2);
}

TEST_F(DocumentModel, RangeDeletionToTheEndShortensAndClampsTheCaret) {
    loadCounting(32);
    s->caretOffset = 30;
    ASSERT_EQ(deleteRangeTo(*s, 20), 1);  // 20..30 of 0..31
    EXPECT_EQ(bytes().back(), 31);
    EXPECT_EQ(s->caretOffset, 20);

    loadCounting(32);
    s->caretOffset = 20;
    ASSERT_EQ(deleteRangeTo(*s, 31), 1);
    EXPECT_EQ(s->documentSize, 20u);
    EXPECT_EQ(s->caretOffset, 19);
    EXPECT_EQ(s->documentSize + s->spareCapacity, 32 + kSpareBytes);

    // An end past the last byte counts as the last byte; a negative one is refused.
    loadCounting(32);
    s->caretOffset = 4;
    EXPECT_EQ(deleteRangeTo(*s, -1), 0);
    ASSERT_EQ(deleteRangeTo(*s, 1000), 1);
    EXPECT_EQ(s->documentSize, 4u);
}

TEST_F(DocumentModel, DeletingTheWholeDocumentLeavesItEmpty) {
    loadCounting(40);
    s->caretOffset = 39;
    ASSERT_EQ(deleteRangeTo(*s, 0), 1);
    EXPECT_EQ(s->documentSize, 0u);
    EXPECT_EQ(s->spareCapacity, 40 + kSpareBytes);
    EXPECT_EQ(s->rowCount, 0);
    EXPECT_EQ(s->scrollMax, 1);
    EXPECT_EQ(s->caretOffset, 0);
    EXPECT_EQ(s->modified, 1);
    EXPECT_FALSE(isDocumentLoaded(*s));
    // No byte to write over; but the save is tried (and its failure shown),
    // and an inserted byte becomes the document.
    EXPECT_EQ(overwriteText(*s, "x"), 0);
    EXPECT_EQ(saveDocument(*s, nullptr, "/nonexistent/x"), 0);
    EXPECT_EQ(nativeSeam().events.size(), 1u);
    EXPECT_EQ(s->modified, 1);
    ASSERT_EQ(insertByteAt(*s, nullptr, 7), 1);
    EXPECT_EQ(bytes(), Bytes{7});
    EXPECT_EQ(s->rowCount, 1);
    EXPECT_EQ(s->caretOffset, 0);
}

// ------------------------------------------------------------ text overwrite

TEST_F(DocumentModel, OverwriteRecordsBothNibblesOfEachChangedByte) {
    load({'a', 'b', 'c', 'd'});
    s->caretOffset = 1;
    ASSERT_EQ(overwriteText(*s, "bXYZW"), 1);  // 'b' equals the byte: not recorded
    EXPECT_EQ(bytes(), (Bytes{'a', 'b', 'X', 'Y'}));  // stops at the end
    ASSERT_EQ(s->changeCount, 4);
    EXPECT_EQ(change(0).offset, 2);
    EXPECT_EQ(change(0).nibble, 0);
    EXPECT_EQ(change(0).byteValue, 'c');
    EXPECT_EQ(change(1).offset, 2);
    EXPECT_EQ(change(1).nibble, 1);
    EXPECT_EQ(change(1).byteValue, 'c');
    EXPECT_EQ(change(3).byteValue, 'd');
    EXPECT_EQ(s->caretOffset, 1);
    EXPECT_EQ(s->modified, 1);

    // An already recorded byte is taken over silently; its records hold the byte just before.
    ASSERT_EQ(overwriteText(*s, "bQ"), 1);
    EXPECT_EQ(s->changeCount, 4);
    EXPECT_EQ(change(0).byteValue, 'X');
    EXPECT_TRUE(nativeSeam().events.empty());
}

TEST_F(DocumentModel, OverwriteOfEqualTextStillMarksModified) {
    load({'a', 'b'});
    ASSERT_EQ(overwriteText(*s, "ab"), 1);
    EXPECT_EQ(s->changeCount, 0);
    EXPECT_EQ(s->modified, 1);
}

TEST_F(DocumentModel, TextEditOffersTheBytesAtTheCaretWithinItsLimit) {
    struct Case {
        const char* name;
        std::string doc;
        int32_t caret;
        const char* initial;
        int32_t limit;
    };
    const Case cases[] = {
        {"three bytes before the end", "0123456789abcdefXYZ", 16, "XYZ", 3},
        {"sixteen at most", "0123456789abcdefXYZ", 0, "0123456789abcdef", 16},
        {"stops at a zero byte", std::string("ab\0cd", 5), 0, "ab", 5},
        {"zero under the caret", std::string("ab\0cd", 5), 2, "", 3},
        {"last byte", "abc", 2, "c", 1},
        {"caret past the end", "abc", 3, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        load(Bytes(c.doc.begin(), c.doc.end()));
        s->caretOffset = c.caret;
        TextEdit edit = beginTextEdit(*s);
        EXPECT_STREQ(edit.initial, c.initial);
        EXPECT_EQ(edit.limit, c.limit);
    }
}

TEST_F(DocumentModel, OverwriteStopsWhereTheChangeListIsFull) {
    loadCounting(2000);
    for (int i = 0; i < kRecordListSlots - 3; ++i) ASSERT_EQ(addRecord(*s, RecordList::Change, 100000 + i, 0, 0), 1);
    s->caretOffset = 0;
    ASSERT_EQ(overwriteText(*s, "\xF0\xF1\xF2"), 1);
    // Byte 0 takes two records, byte 1 only its high nibble before the list is full.
    EXPECT_EQ(s->documentBytes[0], 0xF0);
    EXPECT_EQ(s->documentBytes[1], 1);
    EXPECT_EQ(s->documentBytes[2], 2);
    EXPECT_EQ(s->changeCount, kRecordListSlots);
    EXPECT_EQ(errors(14), 1);
    EXPECT_EQ(s->modified, 1);
}

TEST_F(DocumentModel, BytesWrittenAsTypedRecordTheChangedNibblesUpToTheEndAllOrNothing) {
    loadCounting(16);
    // 02 -> 12 changes the high nibble only, 03 stays, 04 -> F5 changes both.
    const uint8_t value[] = {0x12, 0x03, 0xF5};
    ASSERT_EQ(writeBytesAsTyped(*s, nullptr, 2, value, 3), 1);
    EXPECT_EQ(Bytes(s->documentBytes + 2, s->documentBytes + 5), Bytes({0x12, 0x03, 0xF5}));
    ASSERT_EQ(s->changeCount, 3);
    const int expected[3][3] = {{2, 0, 0x02}, {4, 0, 0x04}, {4, 1, 0xF4}};  // as typing F then 5 records them
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(std::vector<int>({change(i).offset, change(i).nibble, change(i).byteValue}),
                  std::vector<int>(expected[i], expected[i] + 3));
    }
    EXPECT_EQ(s->modified, 1);

    // Up to the end only; more records than the list has room for: nothing is written.
    const uint8_t two[] = {0xAA, 0xBB};
    EXPECT_EQ(writeBytesAsTyped(*s, nullptr, 15, two, 2), 1);
    EXPECT_EQ(s->documentBytes[15], 0xAA);
    EXPECT_EQ(s->changeCount, 5);
    while (s->changeCount < kRecordListSlots - 2) addRecord(*s, RecordList::Change, 100000 + s->changeCount, 0, 0);
    const uint8_t three[] = {0xAA, 0xAA};  // 00 01 -> AA AA: four new records where two fit
    EXPECT_EQ(writeBytesAsTyped(*s, nullptr, 0, three, 2), 0);
    ASSERT_FALSE(nativeSeam().events.empty());  // said in words: four nibbles, and the limit
    EXPECT_EQ(nativeSeam().events.back().messageId, IDS_ERR_TOO_MANY_CHANGES);
    EXPECT_NE(nativeSeam().events.back().text.find("4 "), std::string::npos);
    EXPECT_EQ(Bytes(s->documentBytes, s->documentBytes + 2), Bytes({0x00, 0x01}));
    // A position recorded already takes no new record and asks nothing.
    const uint8_t again[] = {0x62, 0x03, 0x05};
    EXPECT_EQ(writeBytesAsTyped(*s, nullptr, 2, again, 3), 1);
    EXPECT_EQ(s->changeCount, kRecordListSlots - 2);
    EXPECT_EQ(change(0).byteValue, 0x12);
}

// ------------------------------------------------------------ saving

class DocumentSave : public DocumentModel {
protected:
    void SetUp() override {
        DocumentModel::SetUp();
        char tmpl[] = "/tmp/moxel_doc_save_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        path = dir + "/file.bin";
    }
    void TearDown() override {
        ::unlink(path.c_str());
        ::rmdir(dir.c_str());
        DocumentModel::TearDown();
    }
    Bytes fileBytes() const {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    std::string dir, path;
};

TEST_F(DocumentSave, WritesExactlyTheDocumentAndClearsChangesButKeepsMarks) {
    { std::ofstream(path, std::ios::binary) << "old content that is longer than the document"; }
    load({'x'});
    s->documentBytes[1] = 'Z';  // spare room must not be written
    overwriteText(*s, "y");
    toggleMark(*s);
    ASSERT_EQ(saveDocument(*s, nullptr, path.c_str()), 1);
    EXPECT_EQ(fileBytes(), Bytes{'y'});
    EXPECT_EQ(s->changeCount, 0);
    EXPECT_NE(s->changeList, nullptr);
    EXPECT_EQ(s->markCount, 1);
    EXPECT_EQ(s->modified, 0);
    EXPECT_TRUE(nativeSeam().events.empty());
}

TEST_F(DocumentSave, AfterAnInsertionTheLongerBufferIsWritten) {
    load({1, 2});
    ASSERT_EQ(insertByteAt(*s, nullptr, 9), 1);
    ASSERT_EQ(saveDocument(*s, nullptr, path.c_str()), 1);
    EXPECT_EQ(fileBytes(), (Bytes{9, 1, 2}));
    EXPECT_EQ(s->modified, 0);
    EXPECT_EQ(s->lengthChanged, 0);
}

TEST_F(DocumentSave, AFailedWriteKeepsRecordsModifiedAndTheOldFile) {
    { std::ofstream(path, std::ios::binary) << "keep"; }
    load({'a', 'b'});
    overwriteText(*s, "Q");
    nativeSeam().failWritesWith = 28;  // no space left
    EXPECT_EQ(saveDocument(*s, nullptr, path.c_str()), 0);
    EXPECT_EQ(errors(28), 1);
    EXPECT_EQ(s->changeCount, 2);
    EXPECT_EQ(s->modified, 1);
    EXPECT_EQ(fileBytes(), (Bytes{'k', 'e', 'e', 'p'}));

    nativeSeam().failWritesWith = 0;
    nativeSeam().events.clear();
    EXPECT_EQ(saveDocument(*s, nullptr, ""), 0);  // an empty name is a failure, reported once
    ASSERT_EQ(nativeSeam().events.size(), 1u);
    EXPECT_NE(nativeSeam().events[0].errorCode, 0u);
    EXPECT_EQ(s->modified, 1);
}

// ------------------------------------------------------------ change history

TEST_F(DocumentModel, HistoryRowsAndRevertingOneNibble) {
    loadCounting(0x30);
    s->documentBytes[0x20] = 0x12;
    s->caretOffset = 0x20;
    // Typing 3 then 4 over 0x12: each keystroke records its nibble first.
    ASSERT_EQ(recordChangeAtCaret(*s, 1, nullptr), 1);
    s->documentBytes[0x20] = 0x32;
    s->caretNibble = 1;
    ASSERT_EQ(recordChangeAtCaret(*s, 1, nullptr), 1);
    s->documentBytes[0x20] = 0x34;

    ChangeRowTexts high = changeRowTexts(change(0));
    ChangeRowTexts low = changeRowTexts(change(1));
    EXPECT_STREQ(high.address, "00000020");
    EXPECT_STREQ(high.nibble, "H");
    EXPECT_STREQ(high.value, "1");
    EXPECT_STREQ(low.address, "00000020");
    EXPECT_STREQ(low.nibble, "L");
    EXPECT_STREQ(low.value, "2");

    ASSERT_EQ(revertChange(*s, low.address, low.nibble, low.value), 1);
    EXPECT_EQ(s->documentBytes[0x20], 0x32);
    EXPECT_EQ(s->changeCount, 1);
    EXPECT_EQ(revertChange(*s, low.address, low.nibble, low.value), 0);  // already gone
    ASSERT_EQ(revertChange(*s, high.address, high.nibble, high.value), 1);
    EXPECT_EQ(s->documentBytes[0x20], 0x12);
    EXPECT_EQ(s->changeCount, 0);

    // Many rows in one pass: a repeated row and one naming no record revert
    // nothing, the records left keep their order.
    for (int32_t at : {0x10, 0x11, 0x12, 0x13}) {
        s->caretOffset = at;
        s->caretNibble = 0;
        ASSERT_EQ(recordChangeAtCaret(*s, 1, nullptr), 1);
        s->documentBytes[at] = 0xEE;
    }
    EXPECT_EQ(revertChanges(*s, {{0x12, 0, 1}, {0x10, 0, 1}, {0x12, 0, 1}, {0x20, 1, 0}}),
              (std::vector<uint8_t>{1, 1, 0, 0}));
    EXPECT_EQ(bytes()[0x10], 0x1E);
    EXPECT_EQ(bytes()[0x12], 0x1E);
    ASSERT_EQ(s->changeCount, 2);
    EXPECT_EQ(change(0).offset, 0x11);
    EXPECT_EQ(change(1).offset, 0x13);
}

TEST_F(DocumentModel, RevertingANibbleChangedTwiceGoesBackOneChange) {
    load({0x5A});
    ASSERT_EQ(recordChangeAtCaret(*s, 1, nullptr), 1);
    s->documentBytes[0] = 0x7A;
    nativeSeam().answers = {answerYes};
    ASSERT_EQ(recordChangeAtCaret(*s, 1, nullptr), 1);
    s->documentBytes[0] = 0x9A;
    ASSERT_EQ(s->changeCount, 1);
    ChangeRowTexts t = changeRowTexts(change(0));
    EXPECT_STREQ(t.value, "7");
    ASSERT_EQ(revertChange(*s, t.address, t.nibble, t.value), 1);
    EXPECT_EQ(s->documentBytes[0], 0x7A);
}

TEST_F(DocumentModel, RevertingEveryChangeAfterAnInsertionKeepsModified) {
    load({1, 2, 3});
    ASSERT_EQ(insertByteAt(*s, nullptr, 0), 1);
    ASSERT_EQ(overwriteText(*s, "\x05"), 1);
    for (int i = s->changeCount - 1; i >= 0; --i) {
        ChangeRowTexts t = changeRowTexts(change(i));
        ASSERT_EQ(revertChange(*s, t.address, t.nibble, t.value), 1);
    }
    noteAllChangesReverted(*s);
    EXPECT_EQ(s->modified, 1);
    EXPECT_EQ(bytes(), (Bytes{0, 1, 2, 3}));

    // Without an insertion or deletion since the last save the document is clean again.
    load({1, 2, 3});
    ASSERT_EQ(overwriteText(*s, "\x07"), 1);
    for (int i = s->changeCount - 1; i >= 0; --i) {
        ChangeRowTexts t = changeRowTexts(change(i));
        ASSERT_EQ(revertChange(*s, t.address, t.nibble, t.value), 1);
    }
    noteAllChangesReverted(*s);
    EXPECT_EQ(s->modified, 0);
    EXPECT_EQ(bytes(), (Bytes{1, 2, 3}));
}

// ------------------------------------------------------------ marks

TEST_F(DocumentModel, TogglingMarksNibblesSeparately) {
    EXPECT_EQ(toggleMark(*s), 0);
    loadCounting(0x40);
    s->caretOffset = 0x10;
    ASSERT_EQ(toggleMark(*s), 1);
    ASSERT_EQ(toggleMark(*s), 1);
    EXPECT_EQ(s->markCount, 0);
    ASSERT_EQ(toggleMark(*s), 1);
    s->caretNibble = 1;
    ASSERT_EQ(toggleMark(*s), 1);
    EXPECT_EQ(s->markCount, 2);
    EXPECT_EQ(s->markList[1]->byteValue, 0x10);
}

TEST_F(DocumentModel, NextMarkWalksUpwardAndWraps) {
    loadCounting(0x40);
    EXPECT_EQ(gotoNextMark(*s), 0);
    // Set in an order other than their addresses.
    for (auto [off, nib] : Positions{{0x30, 0}, {0x10, 1}, {0x10, 0}}) {
        s->caretOffset = off;
        s->caretNibble = nib;
        ASSERT_EQ(toggleMark(*s), 1);
    }
    s->caretOffset = 0x10;
    s->caretNibble = 0;
    Positions visits;
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(gotoNextMark(*s), 1);
        visits.push_back({s->caretOffset, s->caretNibble});
    }
    EXPECT_EQ(visits, (Positions{{0x30, 0}, {0x10, 0}, {0x30, 0}, {0x10, 0}}));
    EXPECT_EQ(s->markListUnsorted, 0);

    s->caretOffset = 0;  // before every mark: the lowest
    ASSERT_EQ(gotoNextMark(*s), 1);
    EXPECT_EQ(s->caretOffset, 0x10);

    // After an insertion no mark remains.
    ASSERT_EQ(insertByteAt(*s, nullptr, 0), 1);
    EXPECT_EQ(gotoNextMark(*s), 0);
}

}  // namespace
