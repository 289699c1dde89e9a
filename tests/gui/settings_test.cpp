// Settings in HKCU\Software\ORVA\MOXEL: first run, the exact values written
// at exit, and how stored values of odd sizes load.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "resource_ids.h"
#include "shell/editor_state_win.h"
#include "shell/recent_files.h"
#include "shell/settings_win.h"
#include "shell/shutdown_win.h"
#include "shell/startup_win.h"
#include "support/gui_harness_win.h"
#include "view/colors.h"

using namespace gui;

namespace {

const char* const kKey = "Software\\ORVA\\MOXEL";

struct StoredValue {
    bool present = false;
    DWORD type = 0;
    std::string bytes;
};

StoredValue stored(const char* name) {
    StoredValue v;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return v;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &v.type, nullptr, &size) == ERROR_SUCCESS) {
        v.bytes.resize(size);
        if (RegQueryValueExA(key, name, nullptr, &v.type, reinterpret_cast<BYTE*>(v.bytes.data()), &size) ==
            ERROR_SUCCESS) {
            v.present = true;
            v.bytes.resize(size);
        }
    }
    RegCloseKey(key);
    return v;
}

void store(const char* name, DWORD type, const void* data, size_t size) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size)),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

void storeString(const char* name, const std::string& text) { store(name, REG_SZ, text.c_str(), text.size() + 1); }

LOGFONTA currentFont() {
    LOGFONTA lf;
    std::memset(&lf, 0, sizeof lf);
    EXPECT_EQ(GetObjectA(win().displayFont, sizeof lf, &lf), static_cast<int>(sizeof lf));
    return lf;
}

class SettingsTest : public EditorTest {
protected:
    // A new start of the program on what the registry holds now.
    void restart() {
        releaseResources(0);
        freeEditorStateRecord();
        ASSERT_EQ(initEditorState(), 1);
    }
};

}  // namespace

TEST_F(SettingsTest, FirstRunCreatesTheKeyAndTakesTheDefaults) {
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);

    const EditorState& s = *editorState;
    LOGFONTA lf = currentFont();
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(lf.lfHeight, -MulDiv(10, GetDeviceCaps(screen, LOGPIXELSY), 72));
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(lf.lfWeight, 400);
    EXPECT_EQ(lf.lfCharSet, SHIFTJIS_CHARSET);
    EXPECT_EQ(lf.lfPitchAndFamily, FIXED_PITCH);
    EXPECT_STREQ(lf.lfFaceName, "ＭＳ 明朝");
    EXPECT_GT(s.charWidth, 0);
    EXPECT_GT(s.lineHeight, 0);

    EXPECT_EQ(s.windowRect.left, -1);
    EXPECT_EQ(s.colorTable[caretDump], rgbColor(0, 0, 255));
    EXPECT_EQ(s.colorTable[selectionBack], GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(s.colorTable[selectionText], GetSysColor(COLOR_HIGHLIGHTTEXT));
    EXPECT_EQ(s.colorTable[normalBack], GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(s.colorTable[normalText], GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_EQ(s.colorTable[searchFrame], rgbColor(128, 0, 128));
    for (int i = kNamedColorCount; i < kColorSlots; ++i) EXPECT_EQ(s.colorTable[i], 0u) << "slot " << i;
    for (uint8_t b : s.options) EXPECT_EQ(b, 0);
    EXPECT_STREQ(s.findText, "");
    EXPECT_STREQ(s.recentFiles[0], "");
}

TEST_F(SettingsTest, SaveWritesEveryValueWithItsExactTypeAndSize) {
    saveSettings();
    StoredValue version = stored("Version");
    EXPECT_TRUE(version.present);
    EXPECT_EQ(version.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(version.bytes, std::string("0.13", 5));
    const struct {
        const char* name;
        size_t size;
    } binaries[] = {{"Font", 60}, {"Pos", 16}, {"Color", 96}, {"Ope", 32}};
    for (const auto& b : binaries) {
        StoredValue v = stored(b.name);
        EXPECT_TRUE(v.present) << b.name;
        EXPECT_EQ(v.type, static_cast<DWORD>(REG_BINARY)) << b.name;
        EXPECT_EQ(v.bytes.size(), b.size) << b.name;
    }
    // The font record as the font reports it, with nothing but zeros after the face name.
    const LOGFONTA font = currentFont();
    EXPECT_EQ(stored("Font").bytes, std::string(reinterpret_cast<const char*>(&font), sizeof font));
    EXPECT_FALSE(stored("Find").present);
    EXPECT_FALSE(stored("Hist00").present);

    // A search string and recent files are written only when there are some.
    std::strcpy(editorState->findText, "needle");
    addRecentPath(*editorState, "C:\\second.bin");
    addRecentPath(*editorState, "C:\\first.bin");
    saveSettings();
    EXPECT_EQ(stored("Find").bytes, std::string("needle", 7));
    EXPECT_EQ(stored("Hist00").bytes, std::string("C:\\first.bin", 13));
    EXPECT_EQ(stored("Hist01").bytes, std::string("C:\\second.bin", 14));
    EXPECT_FALSE(stored("Hist02").present);
    // An empty search string leaves the stored one in place.
    editorState->findText[0] = '\0';
    saveSettings();
    EXPECT_EQ(stored("Find").bytes, std::string("needle", 7));
}

TEST_F(SettingsTest, ValuesRoundTripThroughARestart) {
    EditorState& s = *editorState;
    s.windowRect = {100, 110, 900, 700};
    for (int i = 0; i < kColorSlots; ++i) s.colorTable[i] = 0x00010203u * static_cast<uint32_t>(i + 1);
    s.options[startKanji] = 1;
    s.options[20] = 7;  // reserved bytes go back as they came
    std::strcpy(s.findText, "abc");
    LOGFONTA lf = currentFont();
    lf.lfHeight = -23;
    lf.lfWeight = FW_BOLD;
    createDisplayFont(&lf);
    saveSettings();
    restart();

    const EditorState& t = *editorState;
    EXPECT_EQ(t.windowRect.left, 100);
    EXPECT_EQ(t.windowRect.top, 110);
    EXPECT_EQ(t.windowRect.right, 900);
    EXPECT_EQ(t.windowRect.bottom, 700);
    for (int i = 0; i < kColorSlots; ++i) EXPECT_EQ(t.colorTable[i], 0x00010203u * static_cast<uint32_t>(i + 1));
    EXPECT_EQ(t.options[startKanji], 1);
    EXPECT_EQ(t.options[20], 7);
    EXPECT_STREQ(t.findText, "abc");
    LOGFONTA back = currentFont();
    EXPECT_EQ(back.lfHeight, -23);
    EXPECT_EQ(back.lfWeight, FW_BOLD);
    EXPECT_STREQ(back.lfFaceName, lf.lfFaceName);
}

TEST_F(SettingsTest, HistValuesWithGapsLoadPackedAndAreNeverDeleted) {
    storeString("Hist00", "C:\\zero.bin");
    storeString("Hist03", "C:\\three.bin");
    storeString("Hist07", "C:\\seven.bin");
    storeString("Hist05", "");  // empty counts as missing
    restart();
    EXPECT_STREQ(editorState->recentFiles[0], "C:\\zero.bin");
    EXPECT_STREQ(editorState->recentFiles[1], "C:\\three.bin");
    EXPECT_STREQ(editorState->recentFiles[2], "C:\\seven.bin");
    EXPECT_STREQ(editorState->recentFiles[3], "");

    saveSettings();
    restart();
    const char* expected[] = {"C:\\zero.bin", "C:\\three.bin", "C:\\seven.bin", "C:\\three.bin", "C:\\seven.bin"};
    for (int i = 0; i < 5; ++i) EXPECT_STREQ(editorState->recentFiles[i], expected[i]) << i;
    EXPECT_STREQ(editorState->recentFiles[5], "");
}

TEST_F(SettingsTest, OddlySizedValuesLoadSafely) {
    storeString("Find", std::string(100, 'f'));
    std::vector<uint8_t> longColor(120, 0x55);
    store("Color", REG_BINARY, longColor.data(), longColor.size());
    // Options shorter than their record fill their own bytes, the rest is zero.
    const uint8_t options[3] = {1, 1, 1};
    store("Ope", REG_BINARY, options, sizeof options);
    // A short "Pos" and a short "Font" count as nothing stored.
    const int32_t pos[2] = {40, 50};
    store("Pos", REG_BINARY, pos, sizeof pos);
    const int32_t font[5] = {-30, 0, 0, 0, 700};
    store("Font", REG_BINARY, font, sizeof font);
    restart();

    const EditorState& s = *editorState;
    EXPECT_EQ(std::string(s.findText), std::string(63, 'f'));
    EXPECT_EQ(s.colorTable[caretDump], rgbColor(0, 0, 255));
    EXPECT_EQ(s.colorTable[normalBack], GetSysColor(COLOR_WINDOW));
    for (int i = kNamedColorCount; i < kColorSlots; ++i) EXPECT_EQ(s.colorTable[i], 0u) << "slot " << i;
    EXPECT_EQ(s.options[printAddresses], 1);
    EXPECT_EQ(s.options[3], 0);
    EXPECT_EQ(s.windowRect.left, -1);
    LOGFONTA lf = currentFont();
    EXPECT_EQ(lf.lfHeight, defaultDisplayFont().lfHeight);
    EXPECT_EQ(lf.lfWeight, 400);
    EXPECT_STREQ(lf.lfFaceName, "ＭＳ 明朝");

    // Options longer than their record count as missing: all zero.
    std::vector<uint8_t> longOptions(40, 1);
    store("Ope", REG_BINARY, longOptions.data(), longOptions.size());
    restart();
    for (uint8_t b : editorState->options) EXPECT_EQ(b, 0);
}

TEST_F(SettingsTest, StoredPlacesThatWouldLoseTheFrameGiveTheDefaultPlacement) {
    auto frameSize = [] {
        EXPECT_EQ(createMainWindow(0, SW_SHOWNORMAL), 1);
        pumpMessages();
        RECT r{};
        GetWindowRect(mainWindow, &r);
        DestroyWindow(mainWindow);
        mainWindow = nullptr;
        pumpMessages();
        return SIZE{r.right - r.left, r.bottom - r.top};
    };
    const SIZE chosen = frameSize();  // nothing stored: the system's choice
    ASSERT_GT(chosen.cx, 200);
    struct Case {
        const char* what;
        std::vector<int32_t> pos;
    } cases[] = {
        {"short", {40, 50}},
        {"inverted", {900, 700, 100, 100}},
        {"off every screen", {5000, 5000, 5800, 5600}},
        {"too large to measure", {INT32_MIN, 0, INT32_MAX, 600}},
    };
    for (const Case& c : cases) {
        store("Pos", REG_BINARY, c.pos.data(), c.pos.size() * sizeof(int32_t));
        restart();
        EXPECT_EQ(editorState->windowRect.left, -1) << c.what;
        SIZE size = frameSize();
        EXPECT_EQ(size.cx, chosen.cx) << c.what;
        EXPECT_EQ(size.cy, chosen.cy) << c.what;
    }

    // A font whose face is not installed: the default font.
    LOGFONTA missing = defaultDisplayFont();
    missing.lfHeight = -30;
    std::strcpy(missing.lfFaceName, "No Such Face 1234");
    store("Font", REG_BINARY, &missing, sizeof missing);
    restart();
    LOGFONTA lf = currentFont();
    EXPECT_EQ(lf.lfHeight, defaultDisplayFont().lfHeight);
    EXPECT_STREQ(lf.lfFaceName, "ＭＳ 明朝");
}

TEST_F(SettingsTest, RegistryKeyReadsAndWritesExactly) {
    RegistryKey key("Software\\ORVA", "MOXEL", 1);
    ASSERT_NE(key.handle(), nullptr);
    EXPECT_EQ(key.writeString("T1", "Shift-JIS \x83\x41\x83\x41"), 1);
    char text[8];
    // Cut to limit - 1 bytes, never between the bytes of a character.
    EXPECT_EQ(key.readString("T1", text, 8), 7);
    EXPECT_STREQ(text, "Shift-J");
    char wide[16];
    EXPECT_EQ(key.readString("T1", wide, 13), 12);
    EXPECT_STREQ(wide, "Shift-JIS \x83\x41");
    EXPECT_EQ(key.readString("missing", text, 8), 0);
    EXPECT_STREQ(text, "");

    const uint8_t data[4] = {1, 2, 3, 4};
    EXPECT_EQ(key.writeBinary("B", data, 4), 1);
    uint8_t small[3] = {9, 9, 9};
    EXPECT_EQ(key.readBinary("B", small, 3), 0);  // longer than the record: missing
    EXPECT_EQ(small[0], 0);
    uint8_t large[6] = {9, 9, 9, 9, 9, 9};
    EXPECT_EQ(key.readBinary("B", large, 6), 1);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(large), 6), std::string("\x01\x02\x03\x04\x00\x00", 6));
    key.close();
    EXPECT_EQ(key.handle(), nullptr);
    EXPECT_EQ(key.writeString("T2", "x"), 0);

    // Opening a key that must exist fails when it does not.
    RegistryKey absent("Software\\ORVA", "MOXEL\\absent", 1);
    EXPECT_EQ(absent.handle(), nullptr);
}

TEST_F(SettingsTest, ASecondEditorWritesBackThePositionItLoaded) {
    const int32_t pos[4] = {100, 100, 900, 700};
    store("Pos", REG_BINARY, pos, sizeof pos);
    restart();
    anotherInstanceAtStart = 1;
    ASSERT_EQ(createMainWindow(1, SW_SHOWNORMAL), 1);
    pumpMessages();
    RECT r;
    GetWindowRect(mainWindow, &r);
    EXPECT_EQ(r.right - r.left, 800);
    EXPECT_EQ(r.bottom - r.top, 600);
    SetWindowPos(mainWindow, nullptr, 321, 123, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    DestroyWindow(mainWindow);
    mainWindow = nullptr;
    pumpMessages();
    StoredValue v = stored("Pos");
    EXPECT_EQ(v.bytes, std::string(reinterpret_cast<const char*>(pos), sizeof pos));

    // A first editor stores where its frame is.
    restart();
    anotherInstanceAtStart = 0;
    ASSERT_EQ(createMainWindow(0, SW_SHOWNORMAL), 1);
    SetWindowPos(mainWindow, nullptr, 321, 123, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    pumpMessages();
    DestroyWindow(mainWindow);
    mainWindow = nullptr;
    pumpMessages();
    const int32_t moved[4] = {321, 123, 1121, 723};
    EXPECT_EQ(stored("Pos").bytes, std::string(reinterpret_cast<const char*>(moved), sizeof moved));
}

TEST_F(SettingsTest, TheSettingsOfThePersonRunningTheTestsAreNeverTouched) {
    const std::string real = realUserKeyPath(kKey);
    const std::string before = registrySnapshot(HKEY_USERS, real);
    // What the tests do to the settings: clear them, load them, save them.
    clearSettingsKey();
    restart();
    std::strcpy(editorState->findText, "private");
    saveSettings();
    EXPECT_EQ(registrySnapshot(HKEY_USERS, real), before);
    const std::string own = realUserKeyPath("Software\\MoxelTests\\" + privateSettingsRootName() + "\\" + kKey);
    EXPECT_NE(registrySnapshot(HKEY_USERS, own).find("Find/1=private"), std::string::npos);
}
