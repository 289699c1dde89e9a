#include "tools/value_parse.h"

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool isHexText(const char* text, bool spacesAllowed) {
    if (text == nullptr) return true;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p == ' ' && spacesAllowed) continue;
        if (hexDigitValue(*p) < 0) return false;
    }
    return true;
}

bool isDecimalText(const char* text) {
    if (text == nullptr) return true;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p < '0' || *p > '9') return false;
    }
    return true;
}

int32_t parseHexNumber(const char* text) {
    uint32_t value = 0;
    if (text == nullptr) return 0;
    for (const char* p = text; *p != '\0'; ++p) {
        int d = hexDigitValue(*p);
        if (d < 0) break;
        value = value * 16u + static_cast<uint32_t>(d);
    }
    return static_cast<int32_t>(value);
}

namespace {

int digitInRadix(char c, int radix) {
    int d = hexDigitValue(c);
    return d >= 0 && d < radix ? d : -1;
}

}  // namespace

uint32_t parseUnsignedSaturating(const char* text, int radix) {
    if (text == nullptr || (radix != 2 && radix != 10 && radix != 16)) return 0;
    uint64_t value = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        int d = digitInRadix(*p, radix);
        if (d < 0) break;
        value = value * static_cast<uint64_t>(radix) + static_cast<uint64_t>(d);
        if (value > 0xFFFFFFFFu) value = 0xFFFFFFFFu;  // saturated; later digits cannot lower it
    }
    return static_cast<uint32_t>(value);
}
