#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "shell/editor_state.h"
#include "shell/recent_files.h"

namespace {

struct StateDeleter {
    void operator()(EditorState* s) const { freeEditorState(s); }
};
using StatePtr = std::unique_ptr<EditorState, StateDeleter>;

StatePtr freshState() { return StatePtr(allocateEditorState()); }

std::vector<std::string> entries(const EditorState& s) {
    std::vector<std::string> out;
    for (const auto& e : s.recentFiles) out.emplace_back(e);
    return out;
}

}  // namespace

TEST(RecentFiles, PathsCompareIgnoringAsciiCaseOnly) {
    EXPECT_EQ(comparePathsIgnoringCase("C:\\Data\\A.BIN", "c:\\data\\a.bin"), 0);
    EXPECT_NE(comparePathsIgnoringCase("C:\\a.bin", "C:\\a.bim"), 0);
    EXPECT_NE(comparePathsIgnoringCase("C:\\a", "C:\\ab"), 0);
    EXPECT_LT(comparePathsIgnoringCase("a", "B"), 0);
    // 0x82 0x60 (full-width A) and 0x82 0x81 (full-width a) are different
    // characters; so are 0x83 0x41 and 0x83 0x61, whose trail bytes look like
    // 'A' and 'a'.
    EXPECT_NE(comparePathsIgnoringCase("C:\\\x83\x41.bin", "C:\\\x83\x61.bin"), 0);
    EXPECT_EQ(comparePathsIgnoringCase("C:\\\x83\x41X.bin", "c:\\\x83\x41x.BIN"), 0);
    // A lead byte at the very end does not read past the terminator.
    EXPECT_EQ(comparePathsIgnoringCase("a\x83", "A\x83"), 0);
}

TEST(RecentFiles, NewPathsEnterAtHeadAndTheEleventhDropsTheOldest) {
    auto s = freshState();
    for (int i = 0; i < 11; ++i) {
        std::string path = "C:\\f" + std::to_string(i) + ".bin";
        EXPECT_EQ(addRecentPath(*s, path.c_str()), kRecentFileCount - 1);
        EXPECT_EQ(recentFileCount(*s), i < 10 ? i + 1 : 10);
    }
    auto e = entries(*s);
    EXPECT_EQ(e[0], "C:\\f10.bin");
    EXPECT_EQ(e[9], "C:\\f1.bin");  // f0 has dropped out
    for (int i = 0; i < 10; ++i) EXPECT_EQ(e[i], "C:\\f" + std::to_string(10 - i) + ".bin");
}

TEST(RecentFiles, KnownPathMovesToHeadInItsNewLetterCase) {
    auto s = freshState();
    addRecentPath(*s, "C:\\A.BIN");
    addRecentPath(*s, "C:\\b.bin");
    addRecentPath(*s, "C:\\c.bin");
    EXPECT_EQ(addRecentPath(*s, "c:\\a.bin"), 2);
    auto e = entries(*s);
    EXPECT_EQ(e[0], "c:\\a.bin");
    EXPECT_EQ(e[1], "C:\\c.bin");
    EXPECT_EQ(e[2], "C:\\b.bin");
    EXPECT_EQ(e[3], "");
    // The head again: nothing moves.
    EXPECT_EQ(addRecentPath(*s, "c:\\A.bin"), 0);
    EXPECT_EQ(entries(*s)[0], "c:\\A.bin");
    EXPECT_EQ(recentFileCount(*s), 3);
}

TEST(RecentFiles, AddingAnEntryOfTheListItself) {
    auto s = freshState();
    addRecentPath(*s, "C:\\one");
    addRecentPath(*s, "C:\\two");
    addRecentPath(*s, "C:\\three");
    EXPECT_EQ(addRecentPath(*s, s->recentFiles[2]), 2);
    auto e = entries(*s);
    EXPECT_EQ(e[0], "C:\\one");
    EXPECT_EQ(e[1], "C:\\three");
    EXPECT_EQ(e[2], "C:\\two");
    EXPECT_EQ(addRecentPath(*s, ""), -1);
    EXPECT_EQ(addRecentPath(*s, nullptr), -1);
    // Nothing left once a lone lead byte is dropped: no empty entry at the head.
    EXPECT_EQ(addRecentPath(*s, "\x83"), -1);
    EXPECT_EQ(entries(*s), e);
}

TEST(RecentFiles, OverlongPathIsCutWithoutSplittingACharacter) {
    auto s = freshState();
    std::string path(kPathLength - 2, 'x');  // 258 bytes, then a double-byte character
    path += "\x83\x41";
    addRecentPath(*s, path.c_str());
    EXPECT_EQ(std::string(s->recentFiles[0]), std::string(kPathLength - 2, 'x'));
}

TEST(RecentFiles, LoadedEntriesArePackedInOrder) {
    auto s = freshState();
    // Values "Hist00", "Hist03", "Hist07" present, the rest missing.
    const char* stored[kRecentFileCount] = {"C:\\h0", "", "", "C:\\h3", "", "", "", "C:\\h7", "", ""};
    int added = 0;
    for (const char* p : stored) added += appendLoadedRecentPath(*s, p);
    EXPECT_EQ(added, 3);
    auto e = entries(*s);
    EXPECT_EQ(e[0], "C:\\h0");
    EXPECT_EQ(e[1], "C:\\h3");
    EXPECT_EQ(e[2], "C:\\h7");
    EXPECT_EQ(e[3], "");
    for (int i = 0; i < 7; ++i) appendLoadedRecentPath(*s, "C:\\more");
    EXPECT_EQ(recentFileCount(*s), 10);
    EXPECT_EQ(appendLoadedRecentPath(*s, "C:\\eleventh"), 0);
}

TEST(RecentFiles, MenuCaptions) {
    char out[kPathLength + 8];
    EXPECT_EQ(formatRecentCaption(out, sizeof out, 0, "C:\\a b\\c.bin"), 15);
    EXPECT_STREQ(out, "&0 C:\\a b\\c.bin");
    formatRecentCaption(out, sizeof out, 9, "x");
    EXPECT_STREQ(out, "&9 x");
    char tiny[4];
    EXPECT_EQ(formatRecentCaption(tiny, sizeof tiny, 5, "long"), 3);
    EXPECT_STREQ(tiny, "&5 ");
}

TEST(RecentFiles, CaptionsShowAmpersandsAsThemselves) {
    char out[kRecentCaptionSize];
    EXPECT_EQ(formatRecentCaption(out, sizeof out, 2, "C:\\R&D\\a&&b.bin"), 21);
    EXPECT_STREQ(out, "&2 C:\\R&&D\\a&&&&b.bin");
    // A path of nothing but ampersands, as long as a path can be, fits whole.
    const std::string all(kPathLength - 1, '&');
    EXPECT_EQ(formatRecentCaption(out, sizeof out, 9, all.c_str()), 3 + 2 * (kPathLength - 1));
    // Cut short, a doubled '&' is never split.
    char small[6];
    EXPECT_EQ(formatRecentCaption(small, sizeof small, 0, "a&b"), 4);
    EXPECT_STREQ(small, "&0 a");
}
