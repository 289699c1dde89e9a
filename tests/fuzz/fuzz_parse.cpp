// Random texts through the input checks: the parsing helpers, the value-entry
// OK checks and the number conversion must hold their invariants and never
// read or write out of bounds.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "resource_ids.h"
#include "tools/number_convert.h"
#include "tools/search.h"
#include "tools/value_entry.h"
#include "tools/value_parse.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

uint32_t readBack(const char* text, int radix) { return static_cast<uint32_t>(std::strtoull(text, nullptr, radix)); }

const int32_t kModes[] = {InsertCode, JumpAddress, SearchText, DeleteRange, AsciiText, CompareFile};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 6) return 0;
    const int32_t mode = kModes[data[0] % 6];
    const bool hex = (data[1] & 1) != 0;
    const int32_t maxLength = data[1] >> 1;  // 0..127
    uint32_t documentSize;
    std::memcpy(&documentSize, data + 2, 4);
    if (documentSize == 0) documentSize = 1;  // the commands run only with a document

    char text[kPathLength];
    size_t n = size - 6 < sizeof text - 1 ? size - 6 : sizeof text - 1;
    std::memcpy(text, data + 6, n);
    text[n] = '\0';
    const size_t length = std::strlen(text);

    for (const char* p = text; *p; ++p) check(hexDigitValue(*p) >= -1 && hexDigitValue(*p) <= 15);
    check(!isHexText(text, false) || isHexText(text, true));
    uint32_t wrapped = 0;
    for (const char* p = text; hexDigitValue(*p) >= 0; ++p) wrapped = wrapped * 16 + static_cast<uint32_t>(hexDigitValue(*p));
    check(static_cast<uint32_t>(parseHexNumber(text)) == wrapped);

    EntryCheck c = checkValueEntry(mode, text, hex, maxLength, documentSize, "C:\\open.bin");
    check(c.radixChoice == (mode < kRadioModeLimit ? (hex ? 1 : 0) : -1));
    const bool address = mode == JumpAddress || mode == DeleteRange;
    check(c.maxLength == (hex && mode == InsertCode ? 2 : hex && address && maxLength > 8 ? 8 : maxLength));
    if (static_cast<int64_t>(length) > c.maxLength) check(c.verdict == EntryVerdict::Refuse && c.messageId == IDS_ERR_TOO_LONG);
    const bool numeric = mode == InsertCode || mode == JumpAddress || mode == DeleteRange;
    switch (c.verdict) {
        case EntryVerdict::Refuse:
            check(c.messageId == IDS_ERR_TOO_LONG || c.messageId == IDS_ERR_INVALID_TEXT || c.messageId == IDS_ERR_SAME_FILE);
            break;
        case EntryVerdict::AskClamp:
            check(mode == JumpAddress || mode == DeleteRange);
            check(c.clampedValue == static_cast<int32_t>(documentSize - 1 > 0x7FFFFFFFu ? 0x7FFFFFFFu : documentSize - 1));
            break;
        case EntryVerdict::Accept:
            if (numeric && length > 0) {
                check(c.value >= 0);
                check(static_cast<uint32_t>(c.value) <= (mode == InsertCode ? 255u : documentSize - 1));
                if (mode != InsertCode) check(static_cast<uint32_t>(c.value) == (hex ? static_cast<uint32_t>(parseHexNumber(text)) : readBack(text, 10)));
            }
            if (mode == SearchText && hex && length > 0) {
                // An accepted hexadecimal search string always makes a whole pattern.
                uint8_t pattern[kHexPatternBufferSize];
                int count = hexTextToBytes(text, pattern);
                int digits = 0;
                for (const char* p = text; *p; ++p) digits += *p != ' ';
                check(count * 2 == (digits < 64 ? digits : 64));
            }
            break;
    }

    static const int fields[] = {IDC_NC_HEX, IDC_NC_DECIMAL, IDC_NC_BINARY};
    int field = fields[data[0] / 6 % 3];
    NumberSync sync = syncNumberText(field, text);
    if (length == 0) check(sync.outcome == SyncOutcome::Nothing);
    if (sync.outcome == SyncOutcome::Write) {
        check(sync.value != kConversionOverflow);
        if (field != IDC_NC_HEX) check(readBack(sync.hexText, 16) == sync.value);
        if (field != IDC_NC_DECIMAL) check(readBack(sync.decimalText, 10) == sync.value);
        if (field != IDC_NC_BINARY) {
            check(readBack(sync.binaryText, 2) == sync.value);
            check(std::strlen(sync.binaryText) % 4 == 0 || sync.value == 0);
        }
    }
    return 0;
}
