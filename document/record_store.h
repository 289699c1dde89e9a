// A sorted, growable list of nibble records: the change list or the mark list
// while editing without limits is on. Records are packed into 64 bits (the
// key offset*2+nibble above the byte value) and kept in key order in chunks
// of at most kChunkRecords, with the index of each chunk's first record
// cached, so that adding one record among millions moves a few kilobytes and
// an index in key order (the owner-data history list) is found in O(log n).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "shell/editor_state.h"

class RecordStore {
public:
    using Packed = uint64_t;
    static constexpr size_t kChunkRecords = 1024;

    static constexpr uint64_t keyOf(int64_t offset, int32_t nibble) {
        return static_cast<uint64_t>(offset) * 2 + static_cast<uint64_t>(nibble & 1);
    }
    static constexpr Packed pack(uint64_t key, uint8_t value) { return key << 8 | value; }
    static constexpr uint64_t keyOfPacked(Packed p) { return p >> 8; }
    static NibbleRecord unpack(Packed p) {
        const uint64_t key = p >> 8;
        return {static_cast<int32_t>(key >> 1), static_cast<int32_t>(key & 1), static_cast<uint8_t>(p & 0xFF)};
    }

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    Packed at(size_t index) const;
    // Index of the record with this key, or -1.
    int64_t find(uint64_t key) const;
    // Index of the first record whose key is >= key (size() when none).
    size_t lowerIndex(uint64_t key) const;

    // Adds the record, or sets the value of the record with its key; true
    // when it was new. Throws std::bad_alloc (nothing changed).
    bool assign(uint64_t key, uint8_t value);
    void setValueAt(size_t index, uint8_t value);
    void eraseAt(size_t index);
    // Removes the records whose indexes are flagged, in one pass.
    size_t eraseFlagged(const std::vector<bool>& flagged);
    // Removes the records of the indexes [first, last).
    void eraseIndexes(size_t first, size_t last);

    // Records with keys in [from, to), appended to `out` (throws
    // std::bad_alloc, nothing changed); extractRange also takes them out.
    void copyRange(uint64_t from, uint64_t to, std::vector<Packed>& out) const;
    void extractRange(uint64_t from, uint64_t to, std::vector<Packed>& out);
    // Puts a sorted run of records back whose keys are all absent; a large
    // run is merged in one pass. Throws std::bad_alloc (nothing changed).
    void insertRun(const Packed* run, size_t count);
    // Adds every record of a sorted run, replacing the value of a key already
    // there (`keepOld`: keeping it instead), in one pass.
    void mergeRun(const Packed* run, size_t count, bool keepOld);
    // Adds `delta` to every key >= `from`. The caller makes sure no key is
    // overtaken (the keys a shrink would overrun are removed first).
    void shiftKeys(uint64_t from, int64_t delta);

    void clear();
    // Every record in key order, for a rebuild or a move into the slots.
    std::vector<Packed> all() const;
    // Bytes the store holds on the heap.
    size_t memoryBytes() const;

private:
    // The chunk holding index `index`, and the index within it.
    size_t chunkOfIndex(size_t index) const;
    // The chunk a record with `key` belongs in (the last whose first key is <= key).
    size_t chunkForKey(uint64_t key) const;
    // The chunks' first indexes are worked out when asked for, from the first
    // one a change left stale: a command that changes many places (the undo
    // of a replace all) pays for each chunk once, not once a place.
    void ensureStarts(size_t upToChunk) const;
    // Chunk `c` changed its size, or chunks were put in or taken out from `c` on.
    void staleFrom(size_t c);
    void rebuild(const std::vector<Packed>& sorted);

    std::vector<std::vector<Packed>> chunks_;
    mutable std::vector<size_t> starts_;  // index of each chunk's first record; valid below validStarts_
    mutable size_t validStarts_ = 0;
    size_t size_ = 0;
};
