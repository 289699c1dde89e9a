#include "document/record_store.h"

#include <algorithm>

namespace {

using Packed = RecordStore::Packed;

constexpr Packed lowestOf(uint64_t key) { return key << 8; }

}  // namespace

void RecordStore::ensureStarts(size_t upToChunk) const {
    const size_t last = std::min(upToChunk + 1, chunks_.size());
    for (size_t c = validStarts_; c < last; ++c) starts_[c] = c == 0 ? 0 : starts_[c - 1] + chunks_[c - 1].size();
    validStarts_ = std::max(validStarts_, last);
}

void RecordStore::staleFrom(size_t c) {
    starts_.resize(chunks_.size());
    validStarts_ = std::min(validStarts_, c);
}

size_t RecordStore::chunkOfIndex(size_t index) const {
    // Starts made good as far as the chunk that holds the index.
    while (validStarts_ < chunks_.size() &&
           (validStarts_ == 0 || starts_[validStarts_ - 1] + chunks_[validStarts_ - 1].size() <= index)) {
        ensureStarts(validStarts_);
    }
    // The last chunk starting at or before the index.
    auto it = std::upper_bound(starts_.begin(), starts_.begin() + static_cast<std::ptrdiff_t>(validStarts_), index);
    return static_cast<size_t>(it - starts_.begin()) - 1;
}

size_t RecordStore::chunkForKey(uint64_t key) const {
    auto it = std::upper_bound(chunks_.begin(), chunks_.end(), lowestOf(key),
                               [](Packed k, const std::vector<Packed>& c) { return (k >> 8) < (c.front() >> 8); });
    return it == chunks_.begin() ? 0 : static_cast<size_t>(it - chunks_.begin()) - 1;
}

RecordStore::Packed RecordStore::at(size_t index) const {
    const size_t c = chunkOfIndex(index);
    return chunks_[c][index - starts_[c]];
}

size_t RecordStore::lowerIndex(uint64_t key) const {
    if (chunks_.empty()) return 0;
    const size_t c = chunkForKey(key);
    ensureStarts(c);
    const std::vector<Packed>& chunk = chunks_[c];
    auto it = std::lower_bound(chunk.begin(), chunk.end(), lowestOf(key));
    return starts_[c] + static_cast<size_t>(it - chunk.begin());
}

int64_t RecordStore::find(uint64_t key) const {
    if (chunks_.empty()) return -1;
    const size_t c = chunkForKey(key);
    const std::vector<Packed>& chunk = chunks_[c];
    auto it = std::lower_bound(chunk.begin(), chunk.end(), lowestOf(key));
    if (it == chunk.end() || keyOfPacked(*it) != key) return -1;
    ensureStarts(c);
    return static_cast<int64_t>(starts_[c] + static_cast<size_t>(it - chunk.begin()));
}

bool RecordStore::assign(uint64_t key, uint8_t value) {
    const Packed record = pack(key, value);
    if (chunks_.empty()) {
        starts_.reserve(1);
        chunks_.push_back({record});
        staleFrom(0);
        size_ = 1;
        return true;
    }
    size_t c = chunkForKey(key);
    size_t pos = static_cast<size_t>(std::lower_bound(chunks_[c].begin(), chunks_[c].end(), lowestOf(key)) -
                                     chunks_[c].begin());
    if (pos < chunks_[c].size() && keyOfPacked(chunks_[c][pos]) == key) {
        chunks_[c][pos] = record;
        return false;
    }
    starts_.reserve(chunks_.size() + 1);
    if (chunks_[c].size() >= kChunkRecords) {
        std::vector<Packed>& full = chunks_[c];
        if (pos == full.size() && c + 1 == chunks_.size()) {
            // Records added in ascending order fill whole chunks.
            chunks_.push_back({record});
            staleFrom(c + 1);
            ++size_;
            return true;
        }
        const size_t half = full.size() / 2;
        std::vector<Packed> upper(full.begin() + static_cast<std::ptrdiff_t>(half), full.end());
        upper.reserve(kChunkRecords);
        chunks_.insert(chunks_.begin() + static_cast<std::ptrdiff_t>(c) + 1, std::move(upper));
        chunks_[c].resize(half);
        if (pos > half) {
            pos -= half;
            ++c;
        }
        staleFrom(c == 0 ? 0 : c - 1);
    }
    chunks_[c].insert(chunks_[c].begin() + static_cast<std::ptrdiff_t>(pos), record);
    staleFrom(c + 1);
    ++size_;
    return true;
}

void RecordStore::setValueAt(size_t index, uint8_t value) {
    const size_t c = chunkOfIndex(index);
    Packed& p = chunks_[c][index - starts_[c]];
    p = (p & ~Packed{0xFF}) | value;
}

void RecordStore::eraseAt(size_t index) { eraseIndexes(index, index + 1); }

void RecordStore::eraseIndexes(size_t first, size_t last) {
    last = std::min(last, size_);
    if (first >= last) return;
    const size_t c0 = chunkOfIndex(first);
    size_t c = c0;
    size_t local = first - starts_[c];
    size_t remaining = last - first;
    while (remaining > 0) {
        std::vector<Packed>& chunk = chunks_[c];
        const size_t n = std::min(remaining, chunk.size() - local);
        if (n == chunk.size()) {
            std::vector<Packed>().swap(chunk);
        } else {
            chunk.erase(chunk.begin() + static_cast<std::ptrdiff_t>(local),
                        chunk.begin() + static_cast<std::ptrdiff_t>(local + n));
        }
        remaining -= n;
        ++c;
        local = 0;
    }
    chunks_.erase(std::remove_if(chunks_.begin() + static_cast<std::ptrdiff_t>(c0),
                                 chunks_.begin() + static_cast<std::ptrdiff_t>(c),
                                 [](const std::vector<Packed>& v) { return v.empty(); }),
                  chunks_.begin() + static_cast<std::ptrdiff_t>(c));
    staleFrom(c0);
    size_ -= last - first;
}

size_t RecordStore::eraseFlagged(const std::vector<bool>& flagged) {
    std::vector<Packed> kept;
    kept.reserve(size_);
    size_t index = 0;
    for (const std::vector<Packed>& chunk : chunks_) {
        for (Packed p : chunk) {
            if (index >= flagged.size() || !flagged[index]) kept.push_back(p);
            ++index;
        }
    }
    const size_t removed = size_ - kept.size();
    if (removed != 0) rebuild(kept);
    return removed;
}

void RecordStore::copyRange(uint64_t from, uint64_t to, std::vector<Packed>& out) const {
    if (from >= to) return;
    const size_t first = lowerIndex(from), last = lowerIndex(to);
    if (first >= last) return;
    // Room grows by doubling: a step that keeps many small ranges calls this
    // once a range.
    if (const size_t need = out.size() + (last - first); need > out.capacity()) {
        out.reserve(std::max(need, 2 * out.capacity()));
    }
    size_t c = chunkOfIndex(first);
    size_t local = first - starts_[c];
    for (size_t remaining = last - first; remaining > 0; ++c, local = 0) {
        const std::vector<Packed>& chunk = chunks_[c];
        const size_t n = std::min(remaining, chunk.size() - local);
        out.insert(out.end(), chunk.begin() + static_cast<std::ptrdiff_t>(local),
                   chunk.begin() + static_cast<std::ptrdiff_t>(local + n));
        remaining -= n;
    }
}

void RecordStore::extractRange(uint64_t from, uint64_t to, std::vector<Packed>& out) {
    if (from >= to) return;
    copyRange(from, to, out);
    eraseIndexes(lowerIndex(from), lowerIndex(to));
}

void RecordStore::insertRun(const Packed* run, size_t count) {
    if (count == 0) return;
    if (count <= 64) {
        // Each into its chunk; on failure the ones added go again.
        size_t added = 0;
        try {
            for (; added < count; ++added) assign(keyOfPacked(run[added]), static_cast<uint8_t>(run[added] & 0xFF));
        } catch (...) {
            while (added-- > 0) eraseAt(static_cast<size_t>(find(keyOfPacked(run[added]))));
            throw;
        }
        return;
    }
    const size_t at = lowerIndex(keyOfPacked(run[0]));
    if (at < size_ && keyOfPacked(this->at(at)) <= keyOfPacked(run[count - 1])) {
        mergeRun(run, count, false);  // the run is not one gap's worth
        return;
    }
    // The run fills one gap: split the chunk there and put whole chunks between.
    std::vector<std::vector<Packed>> pieces;
    pieces.reserve(count / kChunkRecords + 2);
    for (size_t i = 0; i < count; i += kChunkRecords)
        pieces.emplace_back(run + i, run + std::min(count, i + kChunkRecords));
    chunks_.reserve(chunks_.size() + pieces.size() + 1);
    starts_.reserve(chunks_.size() + pieces.size() + 1);
    size_t c = chunks_.size();
    if (at < size_) {
        c = chunkOfIndex(at);
        const size_t local = at - starts_[c];
        if (local > 0) {
            std::vector<Packed> upper(chunks_[c].begin() + static_cast<std::ptrdiff_t>(local), chunks_[c].end());
            chunks_.insert(chunks_.begin() + static_cast<std::ptrdiff_t>(c) + 1, std::move(upper));
            chunks_[c].resize(local);
            ++c;
        }
    }
    chunks_.insert(chunks_.begin() + static_cast<std::ptrdiff_t>(c), std::make_move_iterator(pieces.begin()),
                   std::make_move_iterator(pieces.end()));
    staleFrom(c == 0 ? 0 : c - 1);
    size_ += count;
}

void RecordStore::mergeRun(const Packed* run, size_t count, bool keepOld) {
    if (count == 0) return;
    const std::vector<Packed> old = all();
    std::vector<Packed> merged;
    merged.reserve(old.size() + count);
    size_t i = 0, j = 0;
    while (i < old.size() || j < count) {
        if (j == count || (i < old.size() && keyOfPacked(old[i]) < keyOfPacked(run[j]))) {
            merged.push_back(old[i++]);
        } else if (i == old.size() || keyOfPacked(run[j]) < keyOfPacked(old[i])) {
            merged.push_back(run[j++]);
        } else {
            merged.push_back(keepOld ? old[i] : run[j]);
            ++i;
            ++j;
        }
    }
    rebuild(merged);
}

void RecordStore::shiftKeys(uint64_t from, int64_t delta) {
    if (delta == 0) return;
    const size_t first = lowerIndex(from);
    if (first >= size_) return;
    const Packed step = static_cast<Packed>(delta) << 8;
    size_t c = chunkOfIndex(first);
    for (size_t k = first - starts_[c]; c < chunks_.size(); ++c, k = 0) {
        for (std::vector<Packed>& chunk = chunks_[c]; k < chunk.size(); ++k) chunk[k] += step;
    }
}

void RecordStore::clear() {
    std::vector<std::vector<Packed>>().swap(chunks_);
    std::vector<size_t>().swap(starts_);
    validStarts_ = 0;
    size_ = 0;
}

std::vector<RecordStore::Packed> RecordStore::all() const {
    std::vector<Packed> out;
    out.reserve(size_);
    for (const std::vector<Packed>& chunk : chunks_) out.insert(out.end(), chunk.begin(), chunk.end());
    return out;
}

void RecordStore::rebuild(const std::vector<Packed>& sorted) {
    std::vector<std::vector<Packed>> chunks;
    chunks.reserve((sorted.size() + kChunkRecords - 1) / kChunkRecords);
    for (size_t i = 0; i < sorted.size(); i += kChunkRecords)
        chunks.emplace_back(sorted.begin() + static_cast<std::ptrdiff_t>(i),
                            sorted.begin() + static_cast<std::ptrdiff_t>(std::min(sorted.size(), i + kChunkRecords)));
    starts_.reserve(chunks.size());
    chunks_.swap(chunks);
    staleFrom(0);
    size_ = sorted.size();
}

size_t RecordStore::memoryBytes() const {
    size_t bytes = chunks_.capacity() * sizeof(std::vector<Packed>) + starts_.capacity() * sizeof(size_t);
    for (const std::vector<Packed>& chunk : chunks_) bytes += chunk.capacity() * sizeof(Packed);
    return bytes;
}
