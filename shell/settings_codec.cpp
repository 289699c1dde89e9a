#include "shell/settings_codec.h"

#include <cstring>

#include "shell/file_name.h"

int decodeString(const uint8_t* data, size_t size, char* out, int limit) {
    if (out == nullptr || limit <= 0) return 0;
    out[0] = '\0';
    if (data == nullptr) return 0;
    // Up to the terminator, or the end of the bytes when there is none.
    size_t end = 0;
    while (end < size && data[end] != 0) ++end;
    size_t n = 0;
    const size_t room = static_cast<size_t>(limit - 1);
    while (n < end && n < room) {
        if (isShiftJisLeadByte(data[n])) {
            if (n + 1 >= end || n + 2 > room) break;  // a lone lead byte, or no room for its pair
            n += 2;
        } else {
            ++n;
        }
    }
    std::memcpy(out, data, n);
    out[n] = '\0';
    return static_cast<int>(n);
}

int decodeBinary(const uint8_t* data, size_t size, void* out, size_t recordSize) {
    if (out == nullptr) return 0;
    std::memset(out, 0, recordSize);
    if (size > recordSize || (data == nullptr && size != 0)) return 0;
    if (size != 0) std::memcpy(out, data, size);
    return 1;
}

int decodeWindowRect(const uint8_t* data, size_t size, const ScreenRect* screens, size_t screenCount,
                     ScreenRect& out) {
    out = ScreenRect{-1, 0, 0, 0};
    ScreenRect r;
    if (data == nullptr || size != sizeof r) return 0;
    std::memcpy(&r, data, sizeof r);
    if (r.left == -1) return 0;
    const int64_t width = int64_t{r.right} - r.left;
    const int64_t height = int64_t{r.bottom} - r.top;
    if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX) return 0;
    bool seen = screenCount == 0 || screens == nullptr;
    for (size_t i = 0; i < screenCount && screens != nullptr && !seen; ++i) {
        const ScreenRect& m = screens[i];
        seen = r.left < m.right && m.left < r.right && r.top < m.bottom && m.top < r.bottom;
    }
    if (!seen) return 0;
    out = r;
    return 1;
}

int decodeFontRecord(const uint8_t* data, size_t size, FontRecord& out) {
    std::memset(&out, 0, sizeof out);
    if (data == nullptr || size != sizeof out) return 0;
    FontRecord f;
    std::memcpy(&f, data, sizeof f);
    const size_t face = strnlen(f.faceName, sizeof f.faceName);
    if (face == 0 || face == sizeof f.faceName) return 0;
    auto within = [](int32_t v) { return v >= -kMaxFontHeight && v <= kMaxFontHeight; };
    if (!within(f.height) || !within(f.width)) return 0;
    out = f;
    return 1;
}

// ---------------------------------------------------------------- what a save writes

SettingsSnapshot::Entry& SettingsSnapshot::entry(const char* name) {
    for (Entry& e : entries_) {
        if (e.name == name) return e;
    }
    entries_.push_back(Entry{name, false, {}, {}});
    return entries_.back();
}

const SettingsSnapshot::Entry* SettingsSnapshot::find(const char* name) const {
    for (const Entry& e : entries_) {
        if (e.name == name) return &e;
    }
    return nullptr;
}

void SettingsSnapshot::noteRead(const char* name, const SettingBytes* stored, const SettingBytes& held) {
    Entry& e = entry(name);
    e.stored = stored != nullptr;
    e.storedBytes = stored != nullptr ? *stored : SettingBytes{};
    e.held = held;
}

void SettingsSnapshot::noteWritten(const char* name, const SettingBytes& written) { noteRead(name, &written, written); }

bool SettingsSnapshot::mustWrite(const char* name, const SettingBytes* storedNow, const SettingBytes& current) const {
    if (storedNow == nullptr) return true;  // a missing value holds nobody's choice
    if (*storedNow == current) return false;
    const Entry* e = find(name);
    if (e == nullptr || current != e->held) return true;
    // Unchanged here: write only where no other editor has written since.
    return e->stored && *storedNow == e->storedBytes;
}

SettingBytes settingStringBytes(const char* text) {
    const char* t = text != nullptr ? text : "";
    return SettingBytes(reinterpret_cast<const uint8_t*>(t), reinterpret_cast<const uint8_t*>(t) + std::strlen(t) + 1);
}

int decodeInspectorPlacement(const uint8_t* data, size_t size, InspectorPlacement& out) {
    out = InspectorPlacement{0, 0};
    InspectorPlacement p;
    if (data == nullptr || size != sizeof p) return 0;
    std::memcpy(&p, data, sizeof p);
    out.shown = p.shown != 0 ? 1 : 0;
    out.width = p.width >= 1 && p.width <= kMaxInspectorWidth ? p.width : 0;
    return 1;
}
