// Structure templates over a 10 MB save file of 100,000 records of several
// sizes: showing the tree (parse, the top level, the first screen of nodes),
// showing it again after an edit, the caret's node at the end, and a
// 10,000,000-element array. Beside them, a hand-written walk over the same
// records measured in the same run. Prints figures; asserts nothing about time.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/template.h"

namespace {

constexpr int kRecords = 100000;
constexpr size_t kFileSize = 10u << 20;
constexpr int kScreen = 40;  // rows of a tree pane

const char* const kTemplate = R"(
match @ 0 "SAVE";
little;
enum Kind : u8 { sword = 1, shield = 2, potion = 3 };
struct Item { Kind kind; u8 count; u16 price; };
struct Entry {
  sjis name[12];
  be u32 score;
  filetime saved;
  u16 itemCount;
  Item items[itemCount];
};
struct Save {
  char magic[4];
  u32 version;
  u32 count;
  Entry entries[count];
  if (version >= 2) { guid id; }
  u32 checksum @ filesize() - 4;
};
Save save @ 0;
)";

double seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

template <class F>
double bestOf(int runs, F&& f) {
    double best = 1e9;
    for (int r = 0; r < runs; ++r) {
        const auto t0 = std::chrono::steady_clock::now();
        f();
        best = std::min(best, seconds(std::chrono::steady_clock::now() - t0));
    }
    return best;
}

volatile uint64_t sink;

std::vector<uint8_t> makeSave() {
    std::vector<uint8_t> d(kFileSize, 0);
    std::memcpy(d.data(), "SAVE", 4);
    d[4] = 2;
    std::memcpy(&d[8], &kRecords, 4);
    size_t at = 12;
    uint32_t seed = 1;
    for (int r = 0; r < kRecords; ++r) {
        seed = seed * 1103515245 + 12345;
        std::memcpy(&d[at], "\x83\x76\x83\x8C\x83\x43\x83\x84\x81\x5B", 10);
        d[at + 15] = static_cast<uint8_t>(r);
        const uint16_t items = static_cast<uint16_t>(seed >> 16) % 38;  // about 100 bytes a record
        std::memcpy(&d[at + 24], &items, 2);
        at += 26;
        for (int i = 0; i < items; ++i, at += 4) d[at] = static_cast<uint8_t>(1 + i % 3);
    }
    return d;
}

// What the pane does to show the tree: the top level, the save, its entries
// and the first screen of records, each row's texts.
const TemplateNode* firstScreen(TemplateTree& tree) {
    uint64_t shown = 0;
    const TemplateNode* node = tree.root();
    for (int level = 0; level < 4 && node != nullptr; ++level) {
        for (uint64_t k = 0; k < tree.childCount(node) && k < kScreen; ++k) shown += tree.info(tree.child(node, k)).value.size();
        // save, then entries (its fourth field), then the first group of records
        node = tree.child(node, level == 1 ? 3 : 0);
    }
    sink = shown;
    return node;
}

// The baseline: the same records found by a loop written for this one format.
uint64_t handWalk(const std::vector<uint8_t>& d) {
    size_t at = 12;
    uint64_t sum = 0;
    for (int r = 0; r < kRecords; ++r) {
        uint16_t items;
        std::memcpy(&items, &d[at + 24], 2);
        sum += d[at + 15];
        at += 26 + 4u * items;
    }
    return sum + at;
}

}  // namespace

int main() {
    std::vector<uint8_t> file = makeSave();
    const double walk = bestOf(7, [&] { sink = handWalk(file); });

    const double show = bestOf(7, [&] {
        const TemplateParse parsed = parseTemplate(kTemplate);
        TemplateTree tree(parsed.program, file.data(), file.size());
        firstScreen(tree);
    });

    // An edit: one record's item count changes, so every record after it moves.
    const TemplateParse parsed = parseTemplate(kTemplate);
    std::vector<uint64_t> open;
    {
        TemplateTree tree(parsed.program, file.data(), file.size());
        open = tree.path(firstScreen(tree));
    }
    const double again = bestOf(7, [&] {
        file[12 + 24] ^= 1;
        TemplateTree tree(parsed.program, file.data(), file.size());
        const TemplateNode* group = tree.nodeAtPath(open);
        for (uint64_t k = 0; k < kScreen; ++k) sink = tree.info(tree.child(group, k)).size;
    });

    const double caret = bestOf(7, [&] {
        TemplateTree tree(parsed.program, file.data(), file.size());
        sink = tree.info(tree.nodeAt(file.size() / 2)).offset;
    });

    // Ten million one-byte elements: the array opens at once, its elements as they are asked for.
    const TemplateParse bytesTemplate = parseTemplate("u8 data[10000000];");
    std::vector<uint64_t> lastScreen;
    const double bigArray = bestOf(7, [&] {
        TemplateTree tree(bytesTemplate.program, file.data(), file.size());
        const TemplateNode* node = tree.child(tree.root(), 0);
        while (node != nullptr && tree.info(node).kind != TemplateNodeKind::number) {
            node = tree.child(node, tree.childCount(node) - 1);  // scroll to the very end
        }
        sink = tree.info(node).offset;
    });

    std::printf("structure template over %zu MB, %d records of several sizes\n", kFileSize >> 20, kRecords);
    std::printf("  hand-written walk over the records (baseline) %8.2f ms\n", walk * 1e3);
    std::printf("  show: parse, top level, first screen          %8.2f ms  (%.1fx the walk; budget 100 ms)\n",
                show * 1e3, show / walk);
    std::printf("  show again after an edit, same nodes open     %8.2f ms  (%.1fx the walk; budget 50 ms)\n",
                again * 1e3, again / walk);
    std::printf("  fresh tree, node at the caret in the middle   %8.2f ms  (%.1fx the walk)\n", caret * 1e3,
                caret / walk);
    std::printf("  10,000,000-element array, open to its last    %8.3f ms\n", bigArray * 1e3);
    return 0;
}
