// Settings in the per-user registry key Software\ORVA\MOXEL.
//
// loadSettings and saveSettings themselves are declared in shell/commands_win.h.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "shell/commands_win.h"

constexpr const char* kSettingsPath = "Software\\ORVA";
constexpr const char* kSettingsSubkey = "MOXEL";

// One registry key, closed when the object goes away so that a load or save
// left early still releases it. Failures are silent: reads count as missing,
// writes are lost.
class RegistryKey {
public:
    RegistryKey() = default;
    // Opens HKEY_CURRENT_USER\<path>\<subkey> (or <path> alone when subkey is
    // empty); with mustExist 0 the key is created when missing. Under the
    // tests the root is their private key (see settings_win.cpp).
    RegistryKey(const char* path, const char* subkey, int mustExist);
    virtual ~RegistryKey();
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // The one overridable step; returns the handle (null on failure).
    virtual HKEY open(HKEY root, const char* path, int mustExist);
    void close();
    HKEY handle() const { return key_; }

    // The value's bytes whatever their size and type; false when it cannot be read.
    bool readRaw(const char* name, std::vector<uint8_t>& out);
    // Stores `bytes` as they are, of the given type; 1 on success.
    int writeRaw(const char* name, DWORD type, const std::vector<uint8_t>& bytes);
    int writeString(const char* name, const char* text);
    int writeBinary(const char* name, const void* data, DWORD size);
    // Copies at most limit - 1 characters and a terminator; returns the length
    // copied, 0 when the value is missing or empty.
    int readString(const char* name, char* destination, int limit);
    // Fills `destination` from the value: 1 on success. A stored value longer
    // than `size` fails; a shorter one fills its own bytes and the rest is
    // zero. On failure the destination is all zero.
    int readBinary(const char* name, void* destination, DWORD size);

protected:
    HKEY key_ = nullptr;
};

// Creates editorState's display font from `stored` (the default 10-point font
// when null), replacing the previous one, and measures it.
void createDisplayFont(const LOGFONTA* stored);

// The default display font: 10 points on the screen, Shift-JIS, fixed pitch,
// face string 7003.
LOGFONTA defaultDisplayFont();

// charWidth and lineHeight of `font` on a device context of `window` (the
// screen when null).
void measureFont(HWND window, HFONT font);
