// The options dialog's working copy, palette lookup and colour preview.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "view/options_model.h"

namespace {

struct StateDeleter {
    void operator()(EditorState* s) const { freeEditorState(s); }
};
using State = std::unique_ptr<EditorState, StateDeleter>;

State stateWithTable() {
    State s(allocateEditorState());
    for (int i = 0; i < kColorSlots; ++i) s->colorTable[i] = 0x00100000u + static_cast<uint32_t>(i);
    s->options[startKanji] = 1;
    s->options[20] = 7;  // a reserved byte keeps what it holds
    return s;
}

const SystemColors kSystem{0x00112233u, 0x00445566u, 0x00778899u, 0x00AABBCCu};

}  // namespace

TEST(OptionsPalette, ColoursOutsideThePaletteShowAsBlack) {
    struct Case {
        uint32_t color;
        int index;
    } cases[] = {
        {rgbColor(0, 0, 0), 0},
        {rgbColor(128, 0, 0), 1},
        {rgbColor(192, 192, 192), 8},
        {rgbColor(255, 255, 255), 15},
        {rgbColor(0xD4, 0xD0, 0xC8), 0},  // a system colour
        {0x01FFFFFFu, 0},                 // white with a non-zero top byte is another value
        {rgbColor(255, 255, 254), 0},
    };
    for (const Case& c : cases) EXPECT_EQ(paletteIndexOf(c.color), c.index) << std::hex << c.color;
    for (int i = 0; i < kPaletteSize; ++i) EXPECT_EQ(paletteIndexOf(basicPalette[i]), i);
}

TEST(OptionsWorkingCopy, StartsAsACopyWithNothingSelected) {
    State s = stateWithTable();
    OptionsWorkingCopy copy;
    std::memset(&copy, 0xCD, sizeof copy);
    initWorkingCopy(copy, *s);
    EXPECT_STREQ(copy.sampleText, "0123456789ABCDEF");
    EXPECT_EQ(std::memcmp(copy.colors, s->colorTable, sizeof copy.colors), 0);
    EXPECT_EQ(std::memcmp(copy.options, s->options, sizeof copy.options), 0);
    EXPECT_EQ(copy.selectedItem, -1);
    EXPECT_EQ(copy.currentTab, 0);
    EXPECT_EQ(copy.colorPage, nullptr);
}

TEST(OptionsWorkingCopy, ResetTouchesOnlyTheCopyUntilItIsCommitted) {
    State s = stateWithTable();
    OptionsWorkingCopy copy;
    initWorkingCopy(copy, *s);
    // Edits made in the dialog before the reset, reserved slots included.
    for (int i = 0; i < kColorSlots; ++i) copy.colors[i] = 0x00EEEEEEu;
    copy.options[printAddresses] = 1;

    resetWorkingColors(copy, s->colorTable, kSystem);
    uint32_t defaults[kColorSlots] = {};
    fillDefaultColors(defaults, kSystem);
    for (int i = 0; i < kNamedColorCount; ++i) EXPECT_EQ(copy.colors[i], defaults[i]) << "slot " << i;
    for (int i = kNamedColorCount; i < kColorSlots; ++i) EXPECT_EQ(copy.colors[i], s->colorTable[i]) << "slot " << i;

    // Cancel: the state never saw the reset.
    State untouched = stateWithTable();
    EXPECT_EQ(std::memcmp(s->colorTable, untouched->colorTable, sizeof s->colorTable), 0);

    // OK: colours and options, reserved bytes as they were.
    commitWorkingCopy(copy, *s);
    EXPECT_EQ(std::memcmp(s->colorTable, copy.colors, sizeof s->colorTable), 0);
    EXPECT_EQ(s->colorTable[selectionBack], kSystem.highlight);
    EXPECT_EQ(s->options[printAddresses], 1);
    EXPECT_EQ(s->options[startKanji], 1);
    EXPECT_EQ(s->options[20], 7);
}

TEST(OptionsWorkingCopy, PaletteChoiceNeedsASlotAndAPaletteEntry) {
    State s = stateWithTable();
    OptionsWorkingCopy copy;
    initWorkingCopy(copy, *s);
    uint32_t before[kColorSlots];
    std::memcpy(before, copy.colors, sizeof before);

    EXPECT_FALSE(chooseWorkingColor(copy, 12));  // no slot selected
    copy.selectedItem = 3;
    EXPECT_FALSE(chooseWorkingColor(copy, -1));
    EXPECT_FALSE(chooseWorkingColor(copy, kPaletteSize));
    EXPECT_EQ(std::memcmp(copy.colors, before, sizeof before), 0);

    EXPECT_TRUE(chooseWorkingColor(copy, 12));
    EXPECT_EQ(copy.colors[3], rgbColor(0, 0, 255));
    copy.selectedItem = kNamedColorCount;  // reserved slots are not offered
    EXPECT_FALSE(chooseWorkingColor(copy, 9));
    EXPECT_EQ(copy.colors[kNamedColorCount], before[kNamedColorCount]);
}

TEST(OptionsPreview, EverySlotShowsItsOwnColour) {
    uint32_t colors[kColorSlots];
    for (int i = 0; i < kColorSlots; ++i) colors[i] = 0x00010101u * static_cast<uint32_t>(i + 1);
    for (int slot = 0; slot < kNamedColorCount; ++slot) {
        uint32_t changed[kColorSlots];
        std::memcpy(changed, colors, sizeof changed);
        changed[slot] = 0x00ABCDEFu;
        ColorPreview p{};
        ASSERT_TRUE(colorPreviewFor(changed, slot, p)) << "slot " << slot;
        bool shown = p.text == 0x00ABCDEFu || p.back == 0x00ABCDEFu ||
                     (p.mark != PreviewMark::none && p.markColor == 0x00ABCDEFu);
        EXPECT_TRUE(shown) << "slot " << slot << " does not show its colour";
        // Reserved slots are never drawn.
        EXPECT_NE(p.text, colors[kNamedColorCount]);
        EXPECT_NE(p.back, colors[kNamedColorCount]);
    }
    ColorPreview p{};
    EXPECT_FALSE(colorPreviewFor(colors, -1, p));
    EXPECT_FALSE(colorPreviewFor(colors, kNamedColorCount, p));
}
