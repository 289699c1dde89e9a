// Decoding the values stored in the settings key, apart from the registry:
// whatever size and type a value has, what the editor takes from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "shell/editor_state.h"

// Registry value types, numbered as the system numbers them.
enum RegistryValueType : uint32_t {
    registryNone = 0,
    registryString = 1,
    registryExpandString = 2,
    registryBinary = 3,
    registryDword = 4,
    registryMultiString = 7,
    registryQword = 11
};

// A string value ("Version", "Find", "Hist00"...): at most limit - 1 bytes and
// a terminator into `out`, never cut inside a double-byte character; a value
// stored without a terminator ends where its bytes end. Returns the length
// copied; 0 (out empty) for an empty value, which counts as missing. The type
// is not examined.
int decodeString(const uint8_t* data, size_t size, char* out, int limit);

// A binary record ("Color", "Ope"): a value longer than the record counts as
// missing (returns 0, the record all zero); a shorter one fills its own bytes
// and the rest is zero (returns 1). The type is not examined.
int decodeBinary(const uint8_t* data, size_t size, void* out, size_t recordSize);

// "Pos": left, top, right, bottom as 16 bytes. Returns 1 and the rectangle
// when it can place the frame; otherwise 0 and `out` says nothing stored
// (left -1, the rest 0): a value of any other size, left -1, a rectangle that
// is empty or inverted or too large to measure, or one that meets none of the
// `screens` (not checked when there are none).
int decodeWindowRect(const uint8_t* data, size_t size, const ScreenRect* screens, size_t screenCount,
                     ScreenRect& out);

// The stored font record, laid out as the system's LOGFONTA.
struct FontRecord {
    int32_t height;
    int32_t width;
    int32_t escapement;
    int32_t orientation;
    int32_t weight;
    uint8_t italic;
    uint8_t underline;
    uint8_t strikeOut;
    uint8_t charSet;
    uint8_t outPrecision;
    uint8_t clipPrecision;
    uint8_t quality;
    uint8_t pitchAndFamily;
    char faceName[32];
};
static_assert(sizeof(FontRecord) == 60, "the stored \"Font\" value is 60 bytes");

// The largest character height (in pixels) a stored font may ask for.
constexpr int32_t kMaxFontHeight = 1000;

// "Font": 1 and the record when the value can name a font: exactly 60 bytes,
// a face name that is not empty and ends within its 32 bytes, and a height
// and width of at most kMaxFontHeight either way. Otherwise 0 and the default
// font applies (whether the face is installed is the caller's question).
int decodeFontRecord(const uint8_t* data, size_t size, FontRecord& out);

// The widest inspector pane a stored value may ask for, in pixels.
constexpr int32_t kMaxInspectorWidth = 4096;

// "Inspect" (and the value of every other pane beside the view): the pane's
// shown flag and width, 8 bytes. 1 and the placement
// when the value is exactly that size; a width outside 1..kMaxInspectorWidth
// reads as the default (0) and a shown flag other than 0 as 1. Otherwise 0
// and the pane starts hidden at the default width.
int decodeInspectorPlacement(const uint8_t* data, size_t size, InspectorPlacement& out);

// ---------------------------------------------------------------- what a save writes
//
// Several editors share the key and each writes at its exit (and before it
// starts another editor). So that a choice stored by one survives another
// closing later, a save writes a value only where this editor changed it
// since it read it or last wrote it. Where no other editor wrote the value in
// the meantime, the save writes it as held: the defaults of a first run, or a
// value that could not be used, replaced by what took its place.

using SettingBytes = std::vector<uint8_t>;

class SettingsSnapshot {
public:
    // `name` was read: `stored` the bytes the key held (null when it held
    // none), `held` the value as this editor then holds it, in the bytes a
    // save would write.
    void noteRead(const char* name, const SettingBytes* stored, const SettingBytes& held);

    // `written` was stored as `name`.
    void noteWritten(const char* name, const SettingBytes& written);

    // Whether a save stores `current` as `name`, the key holding `storedNow`
    // (null when none). A missing value, and one never read, is written
    // whenever it differs.
    bool mustWrite(const char* name, const SettingBytes* storedNow, const SettingBytes& current) const;

private:
    struct Entry {
        std::string name;
        bool stored = false;
        SettingBytes storedBytes;
        SettingBytes held;
    };
    Entry& entry(const char* name);
    const Entry* find(const char* name) const;
    std::vector<Entry> entries_;
};

// The bytes of a value as a save writes them: a record as it lies in memory,
// a string with its terminator.
template <typename Record>
SettingBytes settingBytesOf(const Record& record) {
    const auto* p = reinterpret_cast<const uint8_t*>(&record);
    return SettingBytes(p, p + sizeof record);
}
SettingBytes settingStringBytes(const char* text);
