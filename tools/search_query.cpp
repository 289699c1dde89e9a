#include "tools/search_query.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "document/shift_jis.h"
#include "tools/inspect.h"
#include "tools/value_parse.h"

namespace {

bool isAsciiLetter(uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool isUnicodeKind(SearchKind kind) {
    return kind == SearchKind::utf16le || kind == SearchKind::utf16be || kind == SearchKind::utf8;
}

// The inspector's row for each value kind, in SearchKind order.
constexpr InspectRow kValueRows[] = {InspectRow::int8,   InspectRow::uint8,  InspectRow::int16,   InspectRow::uint16,
                                     InspectRow::int32,  InspectRow::uint32, InspectRow::int64,   InspectRow::uint64,
                                     InspectRow::float32, InspectRow::float64};

bool isBlank(const char* text) {
    while (*text == ' ' || *text == '\t') ++text;
    return *text == '\0';
}

// A typed value as the inspector reads it; the bytes into `out`.
int encodeTypedValue(const char* text, uint32_t options, uint8_t* out) {
    if (isBlank(text)) return 0;
    const InspectRow row = kValueRows[static_cast<int>(searchKind(options))];
    const EncodedValue v =
        encodeValue(row, (options & searchBigEndian) != 0 ? Endian::big : Endian::little, text);
    if (!v.ok) return -1;
    std::memcpy(out, v.bytes, v.length);
    return static_cast<int>(v.length);
}

// A UTF-8 text in the kind's encoding, a character at a time through the
// inspector's codec. With `ignore`, an ASCII letter's byte matches either case
// unless `matchCase`.
int encodeUnicodeText(const char* text, SearchKind kind, bool matchCase, uint8_t* value, uint8_t* ignore) {
    const InspectRow row = kind == SearchKind::utf8 ? InspectRow::utf8 : InspectRow::utf16;
    const Endian endian = kind == SearchKind::utf16be ? Endian::big : Endian::little;
    const std::string_view t(text);
    int length = 0;
    int characters = 0;
    for (size_t i = 0; i < t.size();) {
        size_t end = i + 1;
        while (end < t.size() && (static_cast<uint8_t>(t[end]) & 0xC0) == 0x80) ++end;
        if (++characters > kMaxQueryBytes) return -1;
        const auto first = static_cast<uint8_t>(t[i]);
        // The codec trims blanks around what it reads: an ASCII character goes by its code.
        char code[8];
        std::snprintf(code, sizeof code, "U+%02X", first);
        const EncodedValue v = encodeValue(row, endian, first < 0x80 ? std::string_view(code) : t.substr(i, end - i));
        if (!v.ok) return -1;
        std::memcpy(value + length, v.bytes, v.length);
        if (ignore != nullptr) std::memset(ignore + length, 0, v.length);
        if (ignore != nullptr && !matchCase && isAsciiLetter(first)) {
            const int letter = length + (kind == SearchKind::utf16be ? 1 : 0);
            ignore[letter] = 0x20;
            value[letter] |= 0x20;
        }
        length += static_cast<int>(v.length);
        i = end;
    }
    return length;
}

}  // namespace

int readHexPairs(const char* text, int maxDigits, bool stopAtLimit, bool wildcards, uint8_t* value,
                 uint8_t* ignore) {
    if (text == nullptr) return -1;
    // Checked and counted first, so that an invalid text writes nothing.
    int count = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p == ' ') continue;
        if (count == maxDigits) {
            if (stopAtLimit) break;
            return -1;
        }
        if (hexDigitValue(*p) < 0 && !(wildcards && *p == '?')) return -1;
        ++count;
    }
    if (count % 2 != 0) return -1;
    if (value == nullptr) return count / 2;
    const char* p = text;
    for (int i = 0; i < count / 2; ++i) {
        uint8_t pair = 0;
        uint8_t wild = 0;
        for (const int shift : {4, 0}) {
            while (*p == ' ') ++p;
            const int digit = hexDigitValue(*p++);
            const uint8_t bits = static_cast<uint8_t>(0x0F << shift);
            if (digit < 0) wild |= bits;  // a '?': its nibble holds the ignored bits
            pair |= digit < 0 ? bits : static_cast<uint8_t>(digit << shift);
        }
        value[i] = pair;
        if (ignore != nullptr) ignore[i] = wild;
    }
    return count / 2;
}

int hexTextToBytes(const char* text, uint8_t* out) {
    if (out == nullptr) return 0;
    int n = readHexPairs(text, 2 * kMaxHexPatternBytes, true, false, out, nullptr);
    if (n < 0) n = 0;
    out[n] = 0;
    return n;
}

bool isHexPatternText(const char* text) {
    return readHexPairs(text, INT_MAX, false, false, nullptr, nullptr) >= 0;
}

SearchKind searchKind(uint32_t options) {
    const uint32_t k = (options & searchKindBits) >> kSearchKindShift;
    return k < kSearchKindCount ? static_cast<SearchKind>(k) : SearchKind::int8;
}

uint32_t withSearchKind(uint32_t options, SearchKind kind) {
    return (options & ~static_cast<uint32_t>(searchKindBits)) | static_cast<uint32_t>(kind) << kSearchKindShift;
}

bool searchesMultiByteValue(uint32_t options) {
    if ((options & searchByKind) == 0) return false;
    const SearchKind k = searchKind(options);
    return !isUnicodeKind(k) && k != SearchKind::int8 && k != SearchKind::uint8;
}

bool searchesUnicodeText(uint32_t options) {
    return (options & searchByKind) != 0 && isUnicodeKind(searchKind(options));
}

bool searchesText(uint32_t options) {
    return (options & searchByKind) != 0 ? searchesUnicodeText(options) : (options & searchHex) == 0;
}

bool searchesBytes(uint32_t options) { return (options & searchByKind) == 0; }

int parseSearchPattern(const char* text, bool hex, bool matchCase, SearchPattern& out) {
    std::memset(&out, 0, sizeof out);
    if (text == nullptr) return 0;
    if (hex) {
        int n = readHexPairs(text, 2 * kMaxQueryBytes, false, true, out.value, out.ignore);
        out.length = n < 0 ? 0 : n;
        return n;
    }
    const auto* t = reinterpret_cast<const uint8_t*>(text);
    const size_t n = strnlen(text, kMaxQueryBytes + 1);
    if (n > static_cast<size_t>(kMaxQueryBytes)) return -1;
    for (size_t i = 0; i < n; ++i) {
        out.value[i] = t[i];
        if (isShiftJisLead(t[i]) && i + 1 < n) {
            out.value[i + 1] = t[i + 1];  // a trail byte is never folded
            ++i;
        } else if (!matchCase && isAsciiLetter(t[i])) {
            out.ignore[i] = 0x20;
            out.value[i] = static_cast<uint8_t>(t[i] | 0x20);
        }
    }
    out.length = static_cast<int32_t>(n);
    return out.length;
}

int parseReplacement(const char* text, bool hex, uint8_t* out) {
    if (text == nullptr || out == nullptr) return 0;
    if (hex) return readHexPairs(text, 2 * kMaxQueryBytes, false, false, out, nullptr);
    const size_t n = strnlen(text, kMaxQueryBytes + 1);
    if (n > static_cast<size_t>(kMaxQueryBytes)) return -1;
    std::memcpy(out, text, n);
    return static_cast<int>(n);
}

int parseQueryPattern(const char* text, uint32_t options, SearchPattern& out) {
    const bool matchCase = (options & searchMatchCase) != 0;
    if ((options & searchByKind) == 0) return parseSearchPattern(text, (options & searchHex) != 0, matchCase, out);
    std::memset(&out, 0, sizeof out);
    if (text == nullptr) return 0;
    const SearchKind kind = searchKind(options);
    const int n = isUnicodeKind(kind) ? encodeUnicodeText(text, kind, matchCase, out.value, out.ignore)
                                      : encodeTypedValue(text, options, out.value);
    out.length = n < 0 ? 0 : n;
    return n;
}

int parseQueryReplacement(const char* text, uint32_t options, uint8_t* out) {
    if (text == nullptr || out == nullptr) return 0;
    if ((options & searchByKind) == 0) return parseReplacement(text, (options & searchHex) != 0, out);
    const SearchKind kind = searchKind(options);
    if (isUnicodeKind(kind)) return encodeUnicodeText(text, kind, true, out, nullptr);
    const int n = encodeTypedValue(text, options, out);
    return n == 0 ? -1 : n;
}
