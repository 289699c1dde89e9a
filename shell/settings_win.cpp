#include "shell/settings_win.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "resource_ids.h"
#include "platform/platform.h"
#include "shell/editor_state_win.h"
#include "shell/file_name.h"
#include "shell/recent_files.h"
#include "view/colors_win.h"

static_assert(sizeof(LOGFONTA) == 60, "the stored \"Font\" value is a 60-byte LOGFONTA");
static_assert(sizeof(ScreenRect) == 16, "the stored \"Pos\" value is a 16-byte RECT");

namespace {

constexpr int kVersionLimit = 64;
constexpr int kFindLimit = 64;  // 63 characters and the terminator

void histName(char (&out)[16], int index) { std::snprintf(out, sizeof out, "Hist%02d", index); }

}  // namespace

// ---------------------------------------------------------------- RegistryKey

RegistryKey::RegistryKey(const char* path, const char* subkey, int mustExist) {
    char full[kPathLength];
    if (subkey != nullptr && *subkey != '\0') {
        std::snprintf(full, sizeof full, "%s\\%s", path != nullptr ? path : "", subkey);
    } else {
        std::snprintf(full, sizeof full, "%s", path != nullptr ? path : "");
    }
    open(HKEY_CURRENT_USER, full, mustExist);
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

int RegistryKey::writeString(const char* name, const char* text) {
    if (key_ == nullptr || text == nullptr) return 0;
    DWORD size = static_cast<DWORD>(std::strlen(text) + 1);
    return RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), size) == ERROR_SUCCESS;
}

int RegistryKey::writeBinary(const char* name, const void* data, DWORD size) {
    if (key_ == nullptr || data == nullptr) return 0;
    return RegSetValueExA(key_, name, 0, REG_BINARY, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

int RegistryKey::readString(const char* name, char* destination, int limit) {
    if (destination == nullptr || limit <= 0) return 0;
    destination[0] = '\0';
    if (key_ == nullptr) return 0;
    DWORD size = 0;
    if (RegQueryValueExA(key_, name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS || size == 0) return 0;
    // One byte more than stored: a value written without its terminator still ends.
    std::vector<char> buffer(static_cast<size_t>(size) + 1, '\0');
    DWORD got = size;
    if (RegQueryValueExA(key_, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &got) != ERROR_SUCCESS) {
        return 0;
    }
    // Cut to limit - 1 bytes, but never between the two bytes of a character.
    int n = 0;
    while (buffer[n] != '\0' && n < limit - 1) {
        if (isShiftJisLeadByte(static_cast<unsigned char>(buffer[n]))) {
            if (buffer[n + 1] == '\0' || n + 2 > limit - 1) break;
            n += 2;
        } else {
            ++n;
        }
    }
    std::memcpy(destination, buffer.data(), static_cast<size_t>(n));
    destination[n] = '\0';
    return n;
}

int RegistryKey::readBinary(const char* name, void* destination, DWORD size) {
    if (destination == nullptr) return 0;
    // A shorter value fills only its own bytes: the rest must not stay undefined.
    std::memset(destination, 0, size);
    if (key_ == nullptr) return 0;
    DWORD got = size;
    if (RegQueryValueExA(key_, name, nullptr, nullptr, static_cast<BYTE*>(destination), &got) != ERROR_SUCCESS) {
        std::memset(destination, 0, size);  // a refused longer value may have left part of itself
        return 0;
    }
    return 1;
}

// ---------------------------------------------------------------- the font

LOGFONTA defaultDisplayFont() {
    LOGFONTA lf;
    std::memset(&lf, 0, sizeof lf);
    int pixelsPerInch = 120;
    if (HDC screen = GetDC(nullptr)) {
        pixelsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
    }
    lf.lfHeight = -MulDiv(10, pixelsPerInch, 72);
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
    if (font == nullptr) return;
    HFONT previous = win().displayFont;
    win().displayFont = font;
    if (previous != nullptr) DeleteObject(previous);
    measureFont(nullptr, font);
}

// ---------------------------------------------------------------- load and save

void loadSettings() {
    if (editorState == nullptr) return;
    EditorState& s = *editorState;
    RegistryKey key(kSettingsPath, kSettingsSubkey, 0);

    char version[kVersionLimit];
    key.readString("Version", version, kVersionLimit);  // not used

    LOGFONTA lf;
    createDisplayFont(key.readBinary("Font", &lf, sizeof lf) ? &lf : nullptr);

    if (!key.readBinary("Pos", &s.windowRect, sizeof s.windowRect)) s.windowRect.left = -1;
    if (!key.readBinary("Color", s.colorTable, sizeof s.colorTable)) setDefaultColors(s.colorTable);
    key.readBinary("Ope", s.options, sizeof s.options);
    if (key.readString("Find", s.findText, kFindLimit) == 0) s.findText[0] = '\0';

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
    const EditorState& s = *editorState;
    RegistryKey key(kSettingsPath, kSettingsSubkey, 0);

    key.writeString("Version", kSettingsVersion);
    // GetObjectA fills the face name only up to its terminator: the rest of
    // the stored record must not be whatever the stack held.
    LOGFONTA lf;
    std::memset(&lf, 0, sizeof lf);
    if (s.windows != nullptr && win().displayFont != nullptr &&
        GetObjectA(win().displayFont, sizeof lf, &lf) == static_cast<int>(sizeof lf)) {
        key.writeBinary("Font", &lf, sizeof lf);
    }
    key.writeBinary("Pos", &s.windowRect, sizeof s.windowRect);
    key.writeBinary("Color", s.colorTable, sizeof s.colorTable);
    key.writeBinary("Ope", s.options, sizeof s.options);
    if (s.findText[0] != '\0') key.writeString("Find", s.findText);
    for (int i = 0; i < kRecentFileCount; ++i) {
        if (s.recentFiles[i][0] == '\0') continue;
        char name[16];
        histName(name, i);
        key.writeString(name, s.recentFiles[i]);
    }
    key.close();
}
