#include "shell/settings_win.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "resource_ids.h"
#include "platform/gdi_win.h"
#include "platform/platform.h"
#include "shell/editor_state_win.h"
#include "shell/recent_files.h"
#include "shell/product.h"
#include "shell/panes_win.h"
#include "shell/settings_codec.h"
#include "view/colors_win.h"

static_assert(sizeof(LOGFONTA) == sizeof(FontRecord), "the stored \"Font\" value is a 60-byte LOGFONTA");
static_assert(sizeof(ScreenRect) == 16, "the stored \"Pos\" value is a 16-byte RECT");

namespace {

constexpr int kVersionLimit = 64;
constexpr int kFindLimit = 64;  // 63 characters and the terminator
constexpr const char* kUnlimitedSetting = "Unlimited";

void histName(char (&out)[16], int index) { std::snprintf(out, sizeof out, "Hist%02d", index); }

BOOL CALLBACK collectMonitor(HMONITOR, HDC, LPRECT area, LPARAM context) {
    reinterpret_cast<std::vector<ScreenRect>*>(context)->push_back({area->left, area->top, area->right, area->bottom});
    return TRUE;
}

std::vector<ScreenRect> screenAreas() {
    std::vector<ScreenRect> screens;
    EnumDisplayMonitors(nullptr, nullptr, collectMonitor, reinterpret_cast<LPARAM>(&screens));
    return screens;
}

int CALLBACK noteFace(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

// Whether a font family of this face name is installed (GDI would quietly
// give some other font for any name).
bool faceInstalled(const char* face) {
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) return true;  // nothing to ask: let the font be tried
    LOGFONTA query;
    std::memset(&query, 0, sizeof query);
    query.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(query.lfFaceName, face, LF_FACESIZE);
    bool found = false;
    EnumFontFamiliesExA(screen, &query, noteFace, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
}

// ---------------------------------------------------------------- the root

// The tests keep the settings of the person running them out of reach: the
// test programs move HKEY_CURRENT_USER below a key of their own, and hand the
// editors they start that key's name in this variable. It counts only when it
// names a key that already exists below kTestRootParent, which nothing but a
// running test creates, so a stray variable changes nothing.
constexpr const char* kTestRootVariable = "MOXEL_TEST_SETTINGS_ROOT";
constexpr const char* kTestRootParent = "Software\\MoxelTests";

bool isTestRootName(const char* name) {
    size_t n = 0;
    for (; name[n] != '\0'; ++n) {
        char c = name[n];
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
        if (!plain) return false;
    }
    return n > 0;
}

// The key the settings path is taken from: HKEY_CURRENT_USER, or a test
// run's own key (opened once, closed when the process ends).
class SettingsRoot {
public:
    SettingsRoot() {
        char name[64];
        DWORD n = GetEnvironmentVariableA(kTestRootVariable, name, sizeof name);
        if (n == 0 || n >= sizeof name || !isTestRootName(name)) return;
        char path[128];
        std::snprintf(path, sizeof path, "%s\\%s", kTestRootParent, name);
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) key_ = key;
    }
    ~SettingsRoot() {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    SettingsRoot(const SettingsRoot&) = delete;
    SettingsRoot& operator=(const SettingsRoot&) = delete;
    HKEY get() const { return key_ != nullptr ? key_ : HKEY_CURRENT_USER; }

private:
    HKEY key_ = nullptr;
};

HKEY settingsRoot() {
    static const SettingsRoot root;
    return root.get();
}

}  // namespace

// ---------------------------------------------------------------- RegistryKey

RegistryKey::RegistryKey(const char* path, const char* subkey, int mustExist) {
    char full[kPathLength];
    if (subkey != nullptr && *subkey != '\0') {
        std::snprintf(full, sizeof full, "%s\\%s", path != nullptr ? path : "", subkey);
    } else {
        std::snprintf(full, sizeof full, "%s", path != nullptr ? path : "");
    }
    open(settingsRoot(), full, mustExist);
}

RegistryKey::~RegistryKey() { close(); }

HKEY RegistryKey::open(HKEY root, const char* path, int mustExist) {
    close();
    HKEY key = nullptr;
    LONG rc;
    if (mustExist == 0) {
        DWORD disposition = 0;
        rc = RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition);
    } else {
        rc = RegOpenKeyExA(root, path, 0, KEY_ALL_ACCESS, &key);
    }
    key_ = rc == ERROR_SUCCESS ? key : nullptr;
    return key_;
}

void RegistryKey::close() {
    if (key_ != nullptr) {
        RegCloseKey(key_);
        key_ = nullptr;
    }
}

int RegistryKey::writeRaw(const char* name, DWORD type, const std::vector<uint8_t>& bytes) {
    if (key_ == nullptr) return 0;
    return RegSetValueExA(key_, name, 0, type, bytes.data(), static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
}

int RegistryKey::writeString(const char* name, const char* text) {
    if (key_ == nullptr || text == nullptr) return 0;
    DWORD size = static_cast<DWORD>(std::strlen(text) + 1);
    return RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), size) == ERROR_SUCCESS;
}

int RegistryKey::writeBinary(const char* name, const void* data, DWORD size) {
    if (key_ == nullptr || data == nullptr) return 0;
    return RegSetValueExA(key_, name, 0, REG_BINARY, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

bool RegistryKey::readRaw(const char* name, std::vector<uint8_t>& out) {
    out.clear();
    if (key_ == nullptr) return false;
    // Asked twice at most: another editor may rewrite the value in between.
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD size = 0;
        if (RegQueryValueExA(key_, name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) return false;
        out.resize(size);
        DWORD got = size;
        LONG rc = RegQueryValueExA(key_, name, nullptr, nullptr, out.data(), &got);
        if (rc == ERROR_SUCCESS) {
            out.resize(got);
            return true;
        }
        if (rc != ERROR_MORE_DATA) break;
    }
    out.clear();
    return false;
}

int RegistryKey::readString(const char* name, char* destination, int limit) {
    if (destination == nullptr || limit <= 0) return 0;
    destination[0] = '\0';
    std::vector<uint8_t> raw;
    if (!readRaw(name, raw)) return 0;
    return decodeString(raw.data(), raw.size(), destination, limit);
}

int RegistryKey::readBinary(const char* name, void* destination, DWORD size) {
    if (destination == nullptr) return 0;
    std::vector<uint8_t> raw;
    if (!readRaw(name, raw)) {
        std::memset(destination, 0, size);
        return 0;
    }
    return decodeBinary(raw.data(), raw.size(), destination, size);
}

// ---------------------------------------------------------------- the font

LOGFONTA defaultDisplayFont() {
    LOGFONTA lf;
    std::memset(&lf, 0, sizeof lf);
    lf.lfHeight = -MulDiv(10, screenPixelsPerInchY(), 72);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    lf.lfPitchAndFamily = FIXED_PITCH;
    loadText(IDS_DEFAULT_FONT, lf.lfFaceName, LF_FACESIZE);
    return lf;
}

void measureFont(HWND window, HFONT font) {
    if (editorState == nullptr || font == nullptr) return;
    HDC dc = GetDC(window);
    if (dc == nullptr) return;
    HGDIOBJ previous = SelectObject(dc, font);
    TEXTMETRICA tm;
    if (GetTextMetricsA(dc, &tm)) {
        editorState->charWidth = tm.tmAveCharWidth;
        editorState->lineHeight = tm.tmHeight + tm.tmExternalLeading;
    }
    SelectObject(dc, previous);
    ReleaseDC(window, dc);
}

void createDisplayFont(const LOGFONTA* stored) {
    if (editorState == nullptr || editorState->windows == nullptr) return;
    LOGFONTA lf = stored != nullptr ? *stored : defaultDisplayFont();
    lf.lfFaceName[LF_FACESIZE - 1] = '\0';  // a stored face name need not be terminated
    HFONT font = CreateFontIndirectA(&lf);
    if (font == nullptr) {
        if (stored != nullptr) createDisplayFont(nullptr);
        return;
    }
    HFONT previous = win().displayFont;
    win().displayFont = font;
    if (previous != nullptr) DeleteObject(previous);
    measureFont(nullptr, font);
}

// ---------------------------------------------------------------- load and save

namespace {

// The bytes of the value as the key holds them now, in `raw`; null when it
// holds none.
const SettingBytes* storedValue(RegistryKey& key, const char* name, SettingBytes& raw) {
    return key.readRaw(name, raw) ? &raw : nullptr;
}

// The display font's record as a save writes it. GetObjectA fills the face
// name only up to its terminator: the rest must not be whatever the stack held.
bool displayFontBytes(SettingBytes& out) {
    LOGFONTA lf;
    std::memset(&lf, 0, sizeof lf);
    if (editorState->windows == nullptr || win().displayFont == nullptr ||
        GetObjectA(win().displayFont, sizeof lf, &lf) != static_cast<int>(sizeof lf)) {
        return false;
    }
    out = settingBytesOf(lf);
    return true;
}

// Writes the value only where the snapshot says this editor must.
void storeIfChanged(RegistryKey& key, SettingsSnapshot& snapshot, const char* name, DWORD type,
                    const SettingBytes& current) {
    SettingBytes raw;
    if (!snapshot.mustWrite(name, storedValue(key, name, raw), current)) return;
    if (key.writeRaw(name, type, current)) snapshot.noteWritten(name, current);
}

// The recent list merged with the one the key holds now; the entries opened
// here count as stored once they all are.
void storeRecentFiles(RegistryKey& key, EditorState& s) {
    char stored[kRecentFileCount][kPathLength];
    SettingBytes raw[kRecentFileCount];
    bool present[kRecentFileCount] = {};
    int storedCount = 0;
    for (int i = 0; i < kRecentFileCount; ++i) {
        char name[16];
        histName(name, i);
        present[i] = key.readRaw(name, raw[i]);
        if (present[i] && decodeString(raw[i].data(), raw[i].size(), stored[storedCount], kPathLength) != 0) {
            ++storedCount;
        }
    }
    char merged[kRecentFileCount][kPathLength];
    const int count = recentFilesToStore(s, stored, storedCount, merged);
    bool all = key.handle() != nullptr;
    for (int i = 0; i < count; ++i) {
        const SettingBytes bytes = settingStringBytes(merged[i]);
        if (present[i] && raw[i] == bytes) continue;
        char name[16];
        histName(name, i);
        all = key.writeRaw(name, REG_SZ, bytes) && all;
    }
    if (all) s.recentOpenedCount = 0;
}

}  // namespace

void loadSettings() {
    if (editorState == nullptr) return;
    EditorState& s = *editorState;
    delete s.settingsSnapshot;
    s.settingsSnapshot = new SettingsSnapshot;
    SettingsSnapshot& snapshot = *s.settingsSnapshot;
    RegistryKey key(kSettingsPath, kSettingsSubkey, 0);

    char version[kVersionLimit];
    key.readString("Version", version, kVersionLimit);  // not used

    // A font that names no installed face, and a place that would lose the
    // frame, count as nothing stored.
    SettingBytes raw;
    const SettingBytes* stored = storedValue(key, "Font", raw);
    FontRecord font{};
    bool fontUsable = stored != nullptr && decodeFontRecord(raw.data(), raw.size(), font) &&
                      faceInstalled(font.faceName);
    LOGFONTA lf;
    std::memcpy(&lf, &font, sizeof lf);
    createDisplayFont(fontUsable ? &lf : nullptr);
    SettingBytes held;
    if (displayFontBytes(held)) snapshot.noteRead("Font", stored, held);

    key.readRaw("Pos", raw);
    std::vector<ScreenRect> screens = screenAreas();
    decodeWindowRect(raw.data(), raw.size(), screens.data(), screens.size(), s.windowRect);

    stored = storedValue(key, "Color", raw);
    if (stored == nullptr || !decodeBinary(raw.data(), raw.size(), s.colorTable, sizeof s.colorTable)) {
        setDefaultColors(s.colorTable);
    }
    snapshot.noteRead("Color", stored, settingBytesOf(s.colorTable));
    stored = storedValue(key, "Ope", raw);
    if (stored != nullptr) decodeBinary(raw.data(), raw.size(), s.options, sizeof s.options);
    snapshot.noteRead("Ope", stored, settingBytesOf(s.options));
    stored = storedValue(key, "Find", raw);
    if (stored == nullptr || decodeString(raw.data(), raw.size(), s.findText, kFindLimit) == 0) s.findText[0] = '\0';
    snapshot.noteRead("Find", stored, settingStringBytes(s.findText));
    // The search and replace dialog's texts and options.
    stored = storedValue(key, "RFind", raw);
    if (stored == nullptr || decodeString(raw.data(), raw.size(), s.replaceFindText, kFindLimit) == 0) {
        s.replaceFindText[0] = '\0';
    }
    snapshot.noteRead("RFind", stored, settingStringBytes(s.replaceFindText));
    stored = storedValue(key, "Replace", raw);
    if (stored == nullptr || decodeString(raw.data(), raw.size(), s.replaceText, kFindLimit) == 0) s.replaceText[0] = '\0';
    snapshot.noteRead("Replace", stored, settingStringBytes(s.replaceText));
    stored = storedValue(key, "FindOpt", raw);
    if (stored != nullptr) decodeBinary(raw.data(), raw.size(), &s.searchOptions, sizeof s.searchOptions);
    snapshot.noteRead("FindOpt", stored, settingBytesOf(s.searchOptions));
    // Each pane beside the view ("Inspect" for the data inspector), and the one in front.
    for (size_t i = 0; i < paneCount(); ++i) {
        const PaneHooks& pane = paneAt(i);
        PanePlacement& placement = pane.placement(s);
        stored = storedValue(key, pane.settingName, raw);
        if (stored != nullptr) decodeInspectorPlacement(raw.data(), raw.size(), placement);
        snapshot.noteRead(pane.settingName, stored, settingBytesOf(placement));
    }
    stored = storedValue(key, kFrontPaneSetting, raw);
    if (stored != nullptr) decodeBinary(raw.data(), raw.size(), &s.frontPane, sizeof s.frontPane);
    snapshot.noteRead(kFrontPaneSetting, stored, settingBytesOf(s.frontPane));

    // Editing without limits: a DWORD, 1 for on.
    uint32_t unlimited = 0;
    stored = storedValue(key, kUnlimitedSetting, raw);
    if (stored != nullptr) decodeBinary(raw.data(), raw.size(), &unlimited, sizeof unlimited);
    snapshot.noteRead(kUnlimitedSetting, stored, settingBytesOf(unlimited));
    s.unlimited = unlimited == 1 ? 1 : 0;

    for (int i = 0; i < kRecentFileCount; ++i) {
        char name[16];
        histName(name, i);
        char path[kPathLength];
        if (key.readString(name, path, kPathLength) != 0) appendLoadedRecentPath(s, path);
    }
    key.close();
}

void saveSettings() {
    if (editorState == nullptr) return;
    EditorState& s = *editorState;
    if (s.settingsSnapshot == nullptr) s.settingsSnapshot = new SettingsSnapshot;  // nothing was read
    SettingsSnapshot& snapshot = *s.settingsSnapshot;
    RegistryKey key(kSettingsPath, kSettingsSubkey, 0);

    // "Version" and "Pos" are written as they are; every other value only
    // where this editor changed it (see SettingsSnapshot).
    key.writeString("Version", kProductVersion);
    SettingBytes font;
    if (displayFontBytes(font)) storeIfChanged(key, snapshot, "Font", REG_BINARY, font);
    key.writeBinary("Pos", &s.windowRect, sizeof s.windowRect);
    storeIfChanged(key, snapshot, "Color", REG_BINARY, settingBytesOf(s.colorTable));
    storeIfChanged(key, snapshot, "Ope", REG_BINARY, settingBytesOf(s.options));
    // An empty search string leaves any stored one in place.
    if (s.findText[0] != '\0') storeIfChanged(key, snapshot, "Find", REG_SZ, settingStringBytes(s.findText));
    // The search and replace dialog's values exist once it was used (an
    // empty replacement is kept as such).
    if (s.searchOptions != 0) {
        storeIfChanged(key, snapshot, "RFind", REG_SZ, settingStringBytes(s.replaceFindText));
        storeIfChanged(key, snapshot, "Replace", REG_SZ, settingStringBytes(s.replaceText));
        storeIfChanged(key, snapshot, "FindOpt", REG_BINARY, settingBytesOf(s.searchOptions));
    }
    // New values: an editor whose panes were never touched leaves the key as it found it.
    for (size_t i = 0; i < paneCount(); ++i) {
        const PaneHooks& pane = paneAt(i);
        if (pane.placementChanged(s) != 0) {
            storeIfChanged(key, snapshot, pane.settingName, REG_BINARY, settingBytesOf(pane.placement(s)));
        }
    }
    if (s.unlimitedChanged != 0) {
        const uint32_t unlimited = s.unlimited != 0 ? 1 : 0;
        storeIfChanged(key, snapshot, kUnlimitedSetting, REG_DWORD, settingBytesOf(unlimited));
    }
    if (s.frontPaneChanged != 0) storeIfChanged(key, snapshot, kFrontPaneSetting, REG_BINARY, settingBytesOf(s.frontPane));
    storeRecentFiles(key, s);
    key.close();
}
