#include "document/history.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

#include "document/record_list.h"
#include "document/undo.h"
#include "document/unlimited_edit.h"
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

RevertRow revertRowFromTexts(const char* addressText, const char* nibbleText, const char* valueText) {
    return RevertRow{parseHexNumber(addressText), nibbleText[0] == 'L' ? 1 : 0,
                     static_cast<uint8_t>(parseHexNumber(valueText) & 0x0F)};
}

int revertChange(EditorState& s, const char* addressText, const char* nibbleText, const char* valueText) {
    if (addressText == nullptr || nibbleText == nullptr || valueText == nullptr) return 0;
    return revertChanges(s, {revertRowFromTexts(addressText, nibbleText, valueText)})[0];
}

namespace {

void writeNibble(EditorState& s, const RevertRow& row) {
    uint8_t& byte = s.documentBytes[row.offset];
    if (row.nibble == 1)
        byte = static_cast<uint8_t>((byte & 0xF0) | row.value);
    else
        byte = static_cast<uint8_t>((row.value << 4) | (byte & 0x0F));
}

// The revert as one step of the history: the rows' bytes are kept in offset
// order (neighbours share a piece), then written and their records removed.
std::vector<uint8_t> revertInStore(EditorState& s, const std::vector<RevertRow>& rows) {
    std::vector<uint8_t> reverted(rows.size(), 0);
    RecordStore& store = s.unlimitedEdit->changes;
    std::vector<std::pair<size_t, size_t>> found;  // (record index, row)
    std::vector<bool> remove(store.size(), false);
    for (size_t i = 0; i < rows.size(); ++i) {
        const RevertRow& row = rows[i];
        if (row.offset < 0 || row.nibble < 0 || row.nibble > 1) continue;
        const int64_t index = store.find(RecordStore::keyOf(row.offset, row.nibble));
        // Of rows naming the same position only the first reverts.
        if (index < 0 || remove[static_cast<size_t>(index)]) continue;
        // A record past the end of the document has no byte to write back.
        if (s.documentBytes == nullptr || static_cast<uint32_t>(row.offset) >= s.documentSize) continue;
        remove[static_cast<size_t>(index)] = true;
        found.emplace_back(static_cast<size_t>(index), i);
    }
    std::sort(found.begin(), found.end());
    beginStep(s);
    for (const auto& [index, row] : found) {
        if (keepRange(s, rows[row].offset, 1)) continue;
        return std::vector<uint8_t>(rows.size(), 0);  // out of memory: nothing reverted
    }
    for (const auto& [index, row] : found) {
        writeNibble(s, rows[row]);
        reverted[row] = 1;
    }
    removeRecords(s, RecordList::Change, remove);
    ++s.bytesVersion;
    commitStep(s);
    return reverted;
}

}  // namespace

std::vector<uint8_t> revertChanges(EditorState& s, const std::vector<RevertRow>& rows) {
    if (s.unlimitedEdit != nullptr && !rows.empty()) return revertInStore(s, rows);
    std::vector<uint8_t> reverted(rows.size(), 0);
    if (s.changeList == nullptr || rows.empty()) return reverted;
    auto key = [](int32_t offset, int32_t nibble) {
        return (uint64_t{static_cast<uint32_t>(offset)} << 32) | static_cast<uint32_t>(nibble);
    };
    // The first row naming a position; a later one would find its record gone.
    std::unordered_map<uint64_t, size_t> rowOf;
    rowOf.reserve(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) rowOf.emplace(key(rows[i].offset, rows[i].nibble), i);

    const int32_t n = std::clamp(s.changeCount, 0, kRecordListSlots);
    std::vector<bool> remove(static_cast<size_t>(n), false);
    for (int32_t slot = 0; slot < n && !rowOf.empty(); ++slot) {
        const NibbleRecord* record = s.changeList[slot];
        if (record == nullptr) continue;
        auto found = rowOf.find(key(record->offset, record->nibble));
        if (found == rowOf.end()) continue;
        const RevertRow& row = rows[found->second];
        const size_t index = found->second;
        rowOf.erase(found);
        // A record past the end of the document (the texts came from
        // elsewhere) has no byte to write back.
        if (s.documentBytes == nullptr || row.offset < 0 || static_cast<uint32_t>(row.offset) >= s.documentSize) {
            continue;
        }
        writeNibble(s, row);
        remove[static_cast<size_t>(slot)] = true;
        reverted[index] = 1;
    }
    removeRecords(s, RecordList::Change, remove);
    ++s.bytesVersion;
    return reverted;
}

void noteAllChangesReverted(EditorState& s) {
    if (noteRevertedToFile(s)) return;
    s.modified = s.lengthChanged != 0 || s.earlierChangeDropped != 0 ? 1 : 0;
}
