#include "document/history.h"

#include <cstdio>

#include "document/record_list.h"
#include "tools/value_parse.h"

ChangeRowTexts changeRowTexts(const NibbleRecord& record) {
    ChangeRowTexts t{};
    std::snprintf(t.address, sizeof t.address, "%08X", static_cast<unsigned>(record.offset));
    const bool low = record.nibble == 1;
    t.nibble[0] = low ? 'L' : 'H';
    const unsigned saved = low ? (record.byteValue & 0x0Fu) : (record.byteValue >> 4);
    std::snprintf(t.value, sizeof t.value, "%X", saved);
    return t;
}

int revertChange(EditorState& s, const char* addressText, const char* nibbleText, const char* valueText) {
    if (addressText == nullptr || nibbleText == nullptr || valueText == nullptr) return 0;
    const int32_t offset = parseHexNumber(addressText);
    const int32_t nibble = nibbleText[0] == 'L' ? 1 : 0;
    const uint8_t value = static_cast<uint8_t>(parseHexNumber(valueText) & 0x0F);

    int i = findRecord(s, RecordList::Change, offset, nibble);
    if (i == -1) return 0;
    // A record past the end of the document (the texts came from elsewhere)
    // has no byte to write back.
    if (s.documentBytes == nullptr || offset < 0 || static_cast<uint32_t>(offset) >= s.documentSize) return 0;
    if (removeRecord(s, RecordList::Change, i) == 0) return 0;

    uint8_t& byte = s.documentBytes[offset];
    if (nibble == 1)
        byte = static_cast<uint8_t>((byte & 0xF0) | value);
    else
        byte = static_cast<uint8_t>((value << 4) | (byte & 0x0F));
    return 1;
}

void noteAllChangesReverted(EditorState& s) {
    s.modified = s.lengthChanged != 0 || s.earlierChangeDropped != 0 ? 1 : 0;
}
