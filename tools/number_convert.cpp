#include "tools/number_convert.h"

#include <cstdio>
#include <cstring>

#include "resource_ids.h"
#include "tools/value_parse.h"

bool isBinaryText(const char* text) {
    if (text == nullptr) return true;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p != '0' && *p != '1') return false;
    }
    return true;
}

bool formatBinary(uint32_t value, int bitCount, char* out) {
    if (value == 0 || bitCount < 1 || bitCount >= 260 || out == nullptr) return false;
    for (int k = 0; k < bitCount; ++k) {
        int bit = bitCount - 1 - k;
        out[k] = (bit < 32 && ((value >> bit) & 1u) != 0) ? '1' : '0';
    }
    out[bitCount] = '\0';
    return true;
}

NumberSync syncNumberText(int fieldId, const char* text) {
    NumberSync r{SyncOutcome::Nothing, 0, "", "", ""};
    if (text == nullptr || *text == '\0') return r;

    int radix;
    bool digitsOk;
    switch (fieldId) {
        case IDC_NC_HEX: radix = 16; digitsOk = isHexText(text, false); break;
        case IDC_NC_DECIMAL: radix = 10; digitsOk = isDecimalText(text); break;
        case IDC_NC_BINARY: radix = 2; digitsOk = isBinaryText(text); break;
        default: radix = 0; digitsOk = false; break;
    }
    r.outcome = SyncOutcome::Beep;
    if (!digitsOk) return r;
    uint32_t value = parseUnsignedSaturating(text, radix);
    if (value == kConversionOverflow) return r;

    r.outcome = SyncOutcome::Write;
    r.value = value;
    char hex[9];
    std::snprintf(hex, sizeof hex, "%X", value);
    if (fieldId != IDC_NC_DECIMAL) std::snprintf(r.decimalText, sizeof r.decimalText, "%u", value);
    if (fieldId != IDC_NC_HEX) std::memcpy(r.hexText, hex, sizeof hex);
    if (fieldId != IDC_NC_BINARY) {
        // Padded to whole hexadecimal digits, so the two texts line up.
        if (!formatBinary(value, 4 * static_cast<int>(std::strlen(hex)), r.binaryText)) {
            std::memcpy(r.binaryText, "0", 2);
        }
    }
    return r;
}
