// Figures for editing without limits against plain memory baselines measured
// in the same run: an insertion into 256 MiB against one memmove of the
// bytes after it, undo and redo of a 64 MiB deletion against the memmove plus
// one copy of the deleted bytes, replace all of 1,000,000 one-byte matches and
// its undo, a typed digit among 1,000,000 change records, and the memory a
// record and a typed step take.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "document/document.h"
#include "document/edit.h"
#include "document/record_list.h"
#include "document/record_store.h"
#include "document/undo.h"
#include "platform/platform_native.h"
#include "tools/replace.h"
#include "view/view_input.h"

namespace {

constexpr uint32_t kLarge = 256u << 20;
constexpr uint32_t kDeleted = 64u << 20;

double now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

template <class F>
double best(int runs, F&& f) {
    double b = 1e9;
    for (int i = 0; i < runs; ++i) {
        const double t0 = now();
        f();
        b = std::min(b, now() - t0);
    }
    return b;
}

EditorState* openDocument(uint32_t size) {
    EditorState* s = allocateEditorState();
    setUnlimitedEditing(*s, true);
    s->documentBytes = static_cast<uint8_t*>(std::malloc(size + (1u << 20)));
    for (uint32_t i = 0; i < size; ++i) s->documentBytes[i] = static_cast<uint8_t>(i * 2654435761u >> 24);
    s->documentSize = size;
    s->spareCapacity = 1u << 20;
    resetDocumentModel(*s);
    return s;
}

void closeDocument(EditorState* s) {
    std::free(s->documentBytes);
    freeEditorState(s);
}

}  // namespace

int main() {
    resetNativeSeam();
    {
        EditorState* s = openDocument(kLarge);
        const size_t tail = kLarge / 2;
        const double move = best(5, [&] { std::memmove(s->documentBytes + kLarge / 2 + 1, s->documentBytes + kLarge / 2, tail); });
        const double insert = best(5, [&] {
            s->caretOffset = static_cast<int32_t>(kLarge / 2);
            insertByteAt(*s, nullptr, 0x42);
        });
        std::printf("insert one byte in the middle of 256 MiB: %8.2f ms  memmove of the tail %8.2f ms  (%.2fx, target <= 1.2x)\n",
                    insert * 1e3, move * 1e3, insert / move);
        closeDocument(s);
    }
    {
        EditorState* s = openDocument(kLarge);
        const int64_t from = (kLarge - kDeleted) / 2;
        std::vector<uint8_t> copy(kDeleted);
        const double baseline = best(3, [&] {
            std::memmove(s->documentBytes + from + kDeleted, s->documentBytes + from, kLarge - from - kDeleted);
            std::memcpy(copy.data(), s->documentBytes + from, kDeleted);
        });
        s->caretOffset = static_cast<int32_t>(from);
        deleteRangeTo(*s, static_cast<int32_t>(from + kDeleted - 1));
        double undo = 1e9, redo = 1e9;
        for (int i = 0; i < 3; ++i) {
            undo = std::min(undo, best(1, [&] { undoStep(*s, nullptr); }));
            redo = std::min(redo, best(1, [&] { redoStep(*s, nullptr); }));
        }
        std::printf("undo of deleting 64 MiB from 256 MiB: %8.2f ms, redo %8.2f ms  memmove + copy %8.2f ms  (%.2fx, %.2fx, target <= 1.5x)\n",
                    undo * 1e3, redo * 1e3, baseline * 1e3, undo / baseline, redo / baseline);
        closeDocument(s);
    }
    {
        constexpr uint32_t kMatches = 1000000;
        // One match in every 256 bytes, as a byte value lies in random data.
        EditorState* s = openDocument(kMatches * 256);
        std::vector<uint32_t> offsets(kMatches);
        for (uint32_t i = 0; i < kMatches; ++i) {
            offsets[i] = i * 256 + 3;
            s->documentBytes[offsets[i]] = 0x41;
        }
        ReplaceQuery q{};
        q.pattern.value[0] = 0x41;
        q.pattern.length = 1;
        q.replacement[0] = 0x7A;
        q.replacementLength = 1;
        const double replace = best(1, [&] { replaceMatches(*s, nullptr, offsets, q); });
        const size_t records = static_cast<size_t>(s->changeCount);
        const double undo = best(1, [&] { undoStep(*s, nullptr); });
        const double redo = best(1, [&] { redoStep(*s, nullptr); });
        std::printf("replace all of %u one-byte matches: %8.2f ms (%zu change records), undo %8.2f ms, redo %8.2f ms  (target <= 1000 ms each)\n",
                    kMatches, replace * 1e3, records, undo * 1e3, redo * 1e3);

        // A typed digit among those records against the same with none.
        auto typeOne = [&] {
            s->caretOffset = static_cast<int32_t>(kMatches * 8 + 5);
            s->caretNibble = 0;
            endTypedRun(*s);
            typeHexDigit(*s, nullptr, static_cast<int>(s->documentBytes[s->caretOffset] >> 4) ^ 1, false);
        };
        const double many = best(200, typeOne);
        clearChangeList(*s, 0);
        clearUndoHistory(*s);
        const double none = best(200, typeOne);
        std::printf("a typed digit among %zu records: %8.2f us, with none %8.2f us  (%.2fx; painting not included)\n", records,
                    many * 1e6, none * 1e6, many / none);
        closeDocument(s);
    }
    {
        std::mt19937 rng(1);
        RecordStore store;
        for (int i = 0; i < 1000000; ++i) store.assign(rng() % 400000000u, static_cast<uint8_t>(i));
        RecordStore bulk;
        std::vector<RecordStore::Packed> run;
        for (uint64_t k = 0; k < 1000000; ++k) run.push_back(RecordStore::pack(k * 3, 0));
        bulk.mergeRun(run.data(), run.size(), false);
        std::printf("memory per change record: %.2f bytes added at random, %.2f bytes added in one run  (target <= 16)\n",
                    static_cast<double>(store.memoryBytes()) / store.size(),
                    static_cast<double>(bulk.memoryBytes()) / bulk.size());
    }
    {
        constexpr int kRuns = 100000;
        EditorState* s = openDocument(4u << 20);
        for (int i = 0; i < kRuns; ++i) {
            // A run of two digits (one byte) at a place of its own.
            s->caretOffset = i * 37;
            s->caretNibble = 0;
            endTypedRun(*s);
            const uint8_t b = s->documentBytes[s->caretOffset];
            typeHexDigit(*s, nullptr, (b >> 4) ^ 1, false);
            typeHexDigit(*s, nullptr, (b & 0x0F) ^ 1, false);
        }
        // Each run keeps its byte and the two change records it replaced (none here).
        std::printf("memory per typed-run step of one byte: %.2f bytes beside its byte  (target <= 32)\n",
                    static_cast<double>(undoMemoryBytes(*s)) / kRuns - 1.0);
        closeDocument(s);
    }
    return 0;
}
