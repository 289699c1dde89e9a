#include <gtest/gtest.h>

#include "view/colors.h"

TEST(Colors, RgbUsesTheColorrefLayout) {
    EXPECT_EQ(rgbColor(0x12, 0x34, 0x56), 0x00563412u);
}

TEST(Colors, DefaultsFillNamedSlotsAndKeepReservedOnes) {
    uint32_t table[kColorSlots];
    for (int i = 0; i < kColorSlots; ++i) table[i] = 0xABCDEF00u + static_cast<uint32_t>(i);
    const SystemColors system{0x00112233u, 0x00445566u, 0x00778899u, 0x00AABBCCu};
    fillDefaultColors(table, system);

    const uint32_t expected[kNamedColorCount] = {
        rgbColor(0, 0, 255),     rgbColor(0, 128, 0),     rgbColor(255, 0, 0),
        rgbColor(0, 128, 128),   rgbColor(255, 255, 255), rgbColor(0, 255, 255),
        0x00112233u,             0x00445566u,             0x00778899u,
        0x00AABBCCu,             rgbColor(192, 192, 192), rgbColor(0, 0, 128),
        rgbColor(128, 128, 128), rgbColor(128, 0, 128),
    };
    for (int i = 0; i < kNamedColorCount; ++i) EXPECT_EQ(table[i], expected[i]) << "slot " << i;
    for (int i = kNamedColorCount; i < kColorSlots; ++i) {
        EXPECT_EQ(table[i], 0xABCDEF00u + static_cast<uint32_t>(i)) << "reserved slot " << i;
    }
}
