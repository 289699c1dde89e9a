// The options dialog's working copy, palette lookup and colour preview.
#include <gtest/gtest.h>

#include <cstring>

#include "view/options_model.h"

TEST(OptionsPalette, ColoursOutsideThePaletteShowAsBlack) {
    for (int i = 0; i < kPaletteSize; ++i) EXPECT_EQ(paletteIndexOf(basicPalette[i]), i);
    // A system colour; white with a non-zero top byte; almost white.
    for (uint32_t other : {rgbColor(0xD4, 0xD0, 0xC8), 0x01FFFFFFu, rgbColor(255, 255, 254)}) {
        EXPECT_EQ(paletteIndexOf(other), 0) << std::hex << other;
    }
}

TEST(OptionsWorkingCopy, InitialiseKeepsTheReservedSlotsOfTheRealTable) {
    EditorState* s = allocateEditorState();
    ASSERT_NE(s, nullptr);
    for (int i = 0; i < kColorSlots; ++i) s->colorTable[i] = 0x00100000u + i;
    OptionsWorkingCopy copy;
    initWorkingCopy(copy, *s);
    EXPECT_STREQ(copy.sampleText, "0123456789ABCDEF");
    EXPECT_EQ(copy.selectedItem, -1);
    for (uint32_t& c : copy.colors) c = 0x00EEEEEEu;  // edits before the reset, reserved slots too

    const SystemColors system{0x00112233u, 0x00445566u, 0x00778899u, 0x00AABBCCu};
    resetWorkingColors(copy, s->colorTable, system);
    uint32_t expected[kColorSlots];
    std::memcpy(expected, s->colorTable, sizeof expected);
    fillDefaultColors(expected, system);
    EXPECT_EQ(std::memcmp(copy.colors, expected, sizeof expected), 0);

    // A palette choice needs a named slot under edit.
    EXPECT_FALSE(chooseWorkingColor(copy, 12));
    copy.selectedItem = kNamedColorCount;
    EXPECT_FALSE(chooseWorkingColor(copy, 12));
    copy.selectedItem = markBack;
    EXPECT_FALSE(chooseWorkingColor(copy, kPaletteSize));
    EXPECT_EQ(std::memcmp(copy.colors, expected, sizeof expected), 0);
    EXPECT_TRUE(chooseWorkingColor(copy, 12));
    EXPECT_EQ(copy.colors[markBack], rgbColor(0, 0, 255));
    freeEditorState(s);
}

TEST(OptionsPreview, EverySlotShowsItsOwnColourAndNoReservedOne) {
    uint32_t colors[kColorSlots];
    for (int i = 0; i < kColorSlots; ++i) colors[i] = 0x00010101u * (i + 1);
    for (int slot = 0; slot < kNamedColorCount; ++slot) {
        uint32_t changed[kColorSlots];
        std::memcpy(changed, colors, sizeof changed);
        changed[slot] = 0x00ABCDEFu;
        ColorPreview p{};
        ASSERT_TRUE(colorPreviewFor(changed, slot, p));
        EXPECT_TRUE(p.text == changed[slot] || p.back == changed[slot] ||
                    (p.mark != PreviewMark::none && p.markColor == changed[slot])) << "slot " << slot;
        EXPECT_TRUE(p.text != colors[kNamedColorCount] && p.back != colors[kNamedColorCount]);
    }
    ColorPreview p{};
    EXPECT_FALSE(colorPreviewFor(colors, -1, p) || colorPreviewFor(colors, kNamedColorCount, p));
}
