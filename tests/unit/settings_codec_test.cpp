// Registry values of any size decoded into settings: window places that
// would lose the frame, fonts that name nothing, strings cut safely; and what
// a save writes when several editors share the key.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "shell/recent_files.h"
#include "shell/settings_codec.h"

namespace {

std::vector<uint8_t> rectBytes(int32_t l, int32_t t, int32_t r, int32_t b) {
    const int32_t v[4] = {l, t, r, b};
    const auto* p = reinterpret_cast<const uint8_t*>(v);
    return {p, p + sizeof v};
}

std::vector<uint8_t> fontBytes(int32_t height, const std::string& face) {
    FontRecord f{};
    f.height = height;
    f.weight = 400;
    std::memcpy(f.faceName, face.data(), std::min(face.size(), sizeof f.faceName));
    const auto* p = reinterpret_cast<const uint8_t*>(&f);
    return {p, p + sizeof f};
}

std::vector<uint8_t> bytesOf(const std::string& s) { return {s.begin(), s.end()}; }

}  // namespace

TEST(SettingsCodec, WindowPlacesThatWouldLoseTheFrameCountAsNothingStored) {
    const ScreenRect screens[] = {{0, 0, 1280, 1024}, {1280, 0, 2560, 1024}};
    std::vector<uint8_t> tooLong = rectBytes(100, 100, 900, 700);
    tooLong.push_back(0);
    struct Case {
        const char* what;
        std::vector<uint8_t> value;
        size_t screenCount;
        bool stored;
    } cases[] = {
        {"on the first screen", rectBytes(100, 110, 900, 700), 2, true},
        {"partly on the second screen", rectBytes(2500, -50, 3000, 400), 2, true},
        {"short (8 bytes)", rectBytes(40, 50, 0, 0), 2, false},
        {"longer than a rectangle", tooLong, 2, false},
        {"inverted", rectBytes(900, 700, 100, 100), 2, false},
        {"empty", rectBytes(100, 100, 100, 500), 2, false},
        {"all zero", rectBytes(0, 0, 0, 0), 2, false},
        {"left -1", rectBytes(-1, 10, 500, 500), 2, false},
        {"off every screen", rectBytes(2560, 0, 3000, 500), 2, false},
        {"above every screen", rectBytes(10, -900, 500, 0), 2, false},
        {"too wide to measure", rectBytes(INT32_MIN, 0, INT32_MAX, 500), 2, false},
        {"no screens known", rectBytes(5000, 5000, 5800, 5600), 0, true},
    };
    cases[2].value.resize(8);
    for (const Case& c : cases) {
        ScreenRect out{7, 7, 7, 7};
        EXPECT_EQ(decodeWindowRect(c.value.data(), c.value.size(), screens, c.screenCount, out), c.stored ? 1 : 0)
            << c.what;
        if (c.stored) {
            EXPECT_EQ(std::memcmp(&out, c.value.data(), sizeof out), 0) << c.what;
        } else {
            EXPECT_EQ(out.left, -1) << c.what;
            EXPECT_EQ(out.right, 0) << c.what;
        }
    }
}

TEST(SettingsCodec, FontsMustNameAFaceOfASensibleSize) {
    FontRecord out;
    EXPECT_EQ(decodeFontRecord(fontBytes(-13, "IPAGothic").data(), 60, out), 1);
    EXPECT_STREQ(out.faceName, "IPAGothic");
    EXPECT_EQ(out.height, -13);
    std::vector<uint8_t> shortValue = fontBytes(-13, "IPAGothic");
    shortValue.resize(20);  // no face name at all
    std::vector<uint8_t> longValue = fontBytes(-13, "IPAGothic");
    longValue.push_back(0);
    for (const auto& value : {shortValue, longValue, fontBytes(-13, ""), fontBytes(-13, std::string(32, 'F')),
                              fontBytes(-5000, "IPAGothic"), fontBytes(kMaxFontHeight + 1, "IPAGothic")}) {
        out.height = 99;
        EXPECT_EQ(decodeFontRecord(value.data(), value.size(), out), 0) << value.size();
        EXPECT_EQ(out.height, 0);
    }
    EXPECT_EQ(decodeFontRecord(fontBytes(kMaxFontHeight, std::string(31, 'F')).data(), 60, out), 1);
}

TEST(SettingsCodec, StringsAndRecordsOfAnySize) {
    char text[8];
    // Cut to limit - 1 bytes, never between the two bytes of a character.
    EXPECT_EQ(decodeString(bytesOf(std::string("ab\x83\x41\x83\x41\x83\x41", 9)).data(), 9, text, 8), 6);
    EXPECT_STREQ(text, "ab\x83\x41\x83\x41");
    // No terminator stored: the bytes end the text; a lone lead byte at the end is dropped.
    EXPECT_EQ(decodeString(bytesOf("abc\x83").data(), 4, text, 8), 3);
    EXPECT_STREQ(text, "abc");
    EXPECT_EQ(decodeString(bytesOf(std::string("\0xyz", 4)).data(), 4, text, 8), 0);
    EXPECT_EQ(decodeString(nullptr, 0, text, 8), 0);
    EXPECT_EQ(decodeString(bytesOf("abc").data(), 3, text, 1), 0);
    EXPECT_STREQ(text, "");

    uint8_t record[4];
    const std::vector<uint8_t> two = {1, 2};
    EXPECT_EQ(decodeBinary(two.data(), two.size(), record, sizeof record), 1);
    EXPECT_EQ(std::vector<uint8_t>(record, record + 4), (std::vector<uint8_t>{1, 2, 0, 0}));
    const std::vector<uint8_t> five = {1, 2, 3, 4, 5};
    EXPECT_EQ(decodeBinary(five.data(), five.size(), record, sizeof record), 0);
    EXPECT_EQ(std::vector<uint8_t>(record, record + 4), (std::vector<uint8_t>(4, 0)));
}

TEST(SettingsCodec, InspectorPlacementOfEightBytes) {
    struct Case {
        std::vector<int32_t> words;
        int result;
        InspectorPlacement placement;
    } cases[] = {
        {{1, 300}, 1, {1, 300}},     {{0, 0}, 1, {0, 0}},    {{7, kMaxInspectorWidth}, 1, {1, kMaxInspectorWidth}},
        {{1, -5}, 1, {1, 0}},        {{1, kMaxInspectorWidth + 1}, 1, {1, 0}},
        {{1}, 0, {0, 0}},            {{1, 300, 0}, 0, {0, 0}},
    };
    for (const Case& c : cases) {
        InspectorPlacement out{9, 9};
        const auto* p = reinterpret_cast<const uint8_t*>(c.words.data());
        EXPECT_EQ(decodeInspectorPlacement(p, c.words.size() * 4, out), c.result) << c.words.size();
        EXPECT_EQ(out.shown, c.placement.shown);
        EXPECT_EQ(out.width, c.placement.width);
    }
}

TEST(SettingsCodec, ASaveWritesOnlyWhatThisEditorChangedAndPutsItsRecentFilesFirst) {
    const SettingBytes mine = {1}, theirs = {2}, later = {3}, unusable = {9, 9, 9};
    struct ValueCase {
        const char* what;
        const SettingBytes* readAtStart;  // null: nothing stored then
        SettingBytes held;                // as this editor held it after reading
        const SettingBytes* storedNow;
        SettingBytes current;
        bool written;
    } values[] = {
        {"unchanged, untouched", &mine, mine, &mine, mine, false},
        {"changed here", &mine, mine, &mine, later, true},
        {"another editor stored its choice", &mine, mine, &theirs, mine, false},
        {"both changed it: this save is the later", &mine, mine, &theirs, later, true},
        {"first run: the defaults", nullptr, mine, nullptr, mine, true},
        {"first run, another editor stored its choice first", nullptr, mine, &theirs, mine, false},
        {"an unusable value, replaced at start", &unusable, mine, &unusable, mine, true},
        {"an unusable value another editor replaced", &unusable, mine, &theirs, mine, false},
        {"removed from the key meanwhile", &mine, mine, nullptr, mine, true},
    };
    for (const ValueCase& c : values) {
        SettingsSnapshot snapshot;
        snapshot.noteRead("Color", c.readAtStart, c.held);
        EXPECT_EQ(snapshot.mustWrite("Color", c.storedNow, c.current), c.written) << c.what;
    }
    // Once written, "changed" counts from what was written; a value never read
    // is written whenever it differs.
    SettingsSnapshot snapshot;
    snapshot.noteRead("Ope", &mine, mine);
    snapshot.noteWritten("Ope", later);
    EXPECT_FALSE(snapshot.mustWrite("Ope", &theirs, later));
    EXPECT_TRUE(snapshot.mustWrite("Ope", &later, mine));
    EXPECT_TRUE(snapshot.mustWrite("Pane", &theirs, mine));
    EXPECT_FALSE(snapshot.mustWrite("Pane", &mine, mine));

    using Paths = std::vector<std::string>;
    struct RecentCase {
        const char* what;
        Paths loaded, opened, storedNow, expected;
    } recents[] = {
        {"opened here, ahead of what is stored now", {"C:\\a", "C:\\b"}, {"C:\\x"}, {"C:\\c", "C:\\a"},
         {"C:\\x", "C:\\c", "C:\\a"}},
        {"nothing opened: what is stored now stays", {"C:\\a", "C:\\b"}, {}, {"C:\\c"}, {"C:\\c"}},
        {"an entry reopened heads the list in its new case", {"C:\\a", "C:\\b"}, {"C:\\B", "C:\\y"},
         {"c:\\b", "C:\\y", "C:\\d"}, {"C:\\y", "C:\\B", "C:\\d"}},
        {"repeats stored (gaps read back) appear once", {}, {}, {"C:\\a", "C:\\b", "C:\\a"}, {"C:\\a", "C:\\b"}},
        {"at most ten", {}, {"C:\\x", "C:\\y"},
         {"C:\\0", "C:\\1", "C:\\2", "C:\\3", "C:\\4", "C:\\5", "C:\\6", "C:\\7", "C:\\8", "C:\\9"},
         {"C:\\y", "C:\\x", "C:\\0", "C:\\1", "C:\\2", "C:\\3", "C:\\4", "C:\\5", "C:\\6", "C:\\7"}},
    };
    for (const RecentCase& c : recents) {
        EditorState* s = allocateEditorState();
        for (const std::string& p : c.loaded) appendLoadedRecentPath(*s, p.c_str());
        for (const std::string& p : c.opened) addRecentPath(*s, p.c_str());
        char stored[kRecentFileCount][kPathLength] = {};
        for (size_t i = 0; i < c.storedNow.size(); ++i) std::strcpy(stored[i], c.storedNow[i].c_str());
        char out[kRecentFileCount][kPathLength];
        std::memset(out, 'z', sizeof out);
        const int n = recentFilesToStore(*s, stored, static_cast<int>(c.storedNow.size()), out);
        Paths merged(out, out + kRecentFileCount);
        EXPECT_EQ(merged, [&] {
            Paths e = c.expected;
            e.resize(kRecentFileCount);
            return e;
        }()) << c.what;
        EXPECT_EQ(n, static_cast<int>(c.expected.size())) << c.what;
        freeEditorState(s);
    }
}
