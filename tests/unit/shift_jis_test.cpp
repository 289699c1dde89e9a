#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "document/shift_jis.h"

// The character starts of a whole scan from offset 0, as the text column pairs bytes.
static std::vector<bool> scannedStarts(const std::vector<uint8_t>& b) {
    std::vector<bool> starts(b.size() + 1, false);
    size_t i = 0;
    while (i < b.size()) {
        starts[i] = true;
        i += isShiftJisLead(b[i]) ? 2 : 1;
    }
    starts[b.size()] = true;
    return starts;
}

TEST(ShiftJis, CharacterStartsAgreeWithAScanFromTheStart) {
    std::mt19937 random(7);
    // Mostly lead bytes, so that long runs of them occur.
    const uint8_t alphabet[] = {0x41, 0x82, 0xA0, 0x00, 0x81, 0x9F, 0xE0, 0xFC, 0x40, 0xDF};
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> b(1 + random() % 40);
        for (auto& x : b) x = alphabet[random() % sizeof alphabet];
        // Long runs of lead bytes too, across the 16-byte steps of the look back.
        if (round >= 200) b.insert(b.begin() + static_cast<long>(random() % b.size()), round - 200, 0xE0);
        const std::vector<bool> starts = scannedStarts(b);
        for (size_t p = 0; p <= b.size(); ++p) {
            ASSERT_EQ(isCharacterStart(b.data(), b.size(), p), starts[p]) << "round " << round << " offset " << p;
            if (p < b.size()) {
                size_t s = characterStart(b.data(), b.size(), p);
                ASSERT_TRUE(starts[s]);
                ASSERT_TRUE(s == p || (s + 1 == p && isShiftJisLead(b[s])));
            }
        }
    }
}
