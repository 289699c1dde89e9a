// The panes beside the view apart from their windows: the width a pane
// takes and its splitter makes, and the structure pane's lines, the bytes
// each holds, and values typed over fields written as typed digits are.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "document/document.h"
#include "document/record_list.h"
#include "platform/platform_native.h"
#include "resource_ids.h"
#include "view/pane_width.h"
#include "view/structure_pane.h"

TEST(PaneWidth, StoredOrDefaultWithinTheSplitterAndTheViewsRoom) {
    constexpr int32_t cw = 8, fallback = 400;
    // A 1000-pixel container leaves the view at least 20 cells: 840 at the most.
    const struct {
        PanePlacement placement;
        int32_t container, expected;
    } cases[] = {
        {{0, 300}, 1000, 0},       // hidden
        {{1, 300}, 1000, 300},     // as stored
        {{1, 2000}, 1000, 840},    // no wider than the view's room allows
        {{1, 300}, 100, kPaneSplitter},  // a container too narrow for both: the splitter at least
        {{1, 0}, 1200, 400},       // the default beside the view's whole rows
        {{1, 0}, 900, 288},        // the default narrowed to leave the rows (36 cells at the least)
    };
    for (const auto& c : cases) {
        EXPECT_EQ(paneWidthIn(c.placement, c.container, cw, fallback), c.expected)
            << c.placement.shown << "/" << c.placement.width << " in " << c.container;
    }
    // Dragging left widens, within the same bounds.
    EXPECT_EQ(draggedPaneWidth(300, -40, 1000, cw), 340);
    EXPECT_EQ(draggedPaneWidth(300, 500, 1000, cw), kPaneSplitter);
    EXPECT_EQ(draggedPaneWidth(300, -900, 1000, cw), 840);
}

namespace {

const char kTemplate[] =
    "struct Head { char magic[4]; be u32 count; };\n"
    "enum Kind : u8 { apple = 1, pear = 2 };\n"
    "Head head;\n"
    "Kind kind;\n"
    "u16 values[head.count];\n"
    "sjis name[4];\n"
    "u8 tail[250];\n";

class StructurePaneTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetNativeSeam();
        s = allocateEditorState();
        std::string bytes("MXL1\0\0\0\x02\x01\x10\x00\x20\x00\x82\xA0\x41\x42", 17);
        bytes += std::string(250, '\x07');
        s->documentBytes = static_cast<uint8_t*>(std::malloc(bytes.size() + kSpareBytes));
        std::memcpy(s->documentBytes, bytes.data(), bytes.size());
        s->documentSize = static_cast<uint32_t>(bytes.size());
        ASSERT_EQ(resetDocumentModel(*s), 1);
        const TemplateParse parsed = parseTemplate(kTemplate);
        ASSERT_NE(parsed.program, nullptr) << templateErrorText(parsed.error);
        tree = std::make_unique<TemplateTree>(parsed.program, s->documentBytes, s->documentSize);
    }
    void TearDown() override {
        tree.reset();
        freeRecordLists(*s);
        std::free(s->documentBytes);
        freeEditorState(s);
    }
    const TemplateNode* at(const std::vector<uint64_t>& path) { return tree->nodeAtPath(path); }
    std::string line(const std::vector<uint64_t>& path) {
        const TemplateNodeInfo info = tree->info(at(path));
        return structureItemPrefix(info) + info.value;
    }

    EditorState* s = nullptr;
    std::unique_ptr<TemplateTree> tree;
};

}  // namespace

TEST_F(StructurePaneTest, LinesAndTheBytesEachHolds) {
    const struct {
        std::vector<uint64_t> path;
        std::string line;
        int32_t first, length;  // the bytes highlighted
    } cases[] = {
        {{0}, "00000000  head : Head", 0, 8},
        {{0, 0}, "00000000  magic : char[4] = MXL1", 0, 4},
        {{0, 1}, "00000004  count : be u32 = 2", 4, 4},
        {{2, 1}, "0000000B  [1] : u16 = 32", 11, 2},
        {{3}, "0000000D  name : sjis[4] = \x82\xA0" "AB", 13, 4},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(line(c.path), c.line);
        const TemplateNodeInfo info = tree->info(at(c.path));
        const ByteHighlight h = highlightOf(info, s->documentSize);
        EXPECT_EQ(h.offset, c.first) << c.line;
        EXPECT_EQ(h.length, c.length) << c.line;
        for (int32_t offset : {c.first - 1, c.first, c.first + c.length - 1, c.first + c.length}) {
            EXPECT_EQ(nodeHolds(info, static_cast<uint64_t>(offset)), offset >= c.first && offset < c.first + c.length)
                << c.line << " @" << offset;
        }
    }
    // Bytes past the document's end are not highlighted.
    TemplateNodeInfo tail = tree->info(at({4}));
    EXPECT_EQ(highlightOf(tail, 100).length, 100 - 17);
    EXPECT_EQ(highlightOf(tail, 17).length, 0);
    // Runs of elements are named after their first and last; others by both names.
    EXPECT_EQ(runName("[100]", "[199]"), "[100..199]");
    EXPECT_EQ(runName("alpha", "omega"), "alpha..omega");
    EXPECT_EQ(runName("[0..999]", "[1000..1999]"), "[0..999]..[1000..1999]");
}

TEST_F(StructurePaneTest, TypedValuesAreWrittenAsTypedDigitsOrRefusedOnce) {
    const struct {
        std::vector<uint64_t> path;
        std::string text;
        int result;
        std::string bytes;  // the field's bytes afterwards
        int changes;        // change records afterwards
        int message;        // the error shown, 0 none
    } cases[] = {
        {{0, 1}, "3", 1, std::string("\0\0\0\x03", 4), 1, 0},  // a nibble changes, a record
        {{1}, "pear", 1, "\x02", 2, 0},                          // an enum by its name
        {{3}, "\x82\xA2" "AB", 1, "\x82\xA2\x41\x42", 3, 0},     // Shift-JIS text: only the changed nibble
        {{2, 0}, "70000", 0, std::string("\x10\x00", 2), 3, IDS_TEMPLATE_BAD_VALUE},
        {{3}, "ABCDE", 0, "\x82\xA2\x41\x42", 3, IDS_TEMPLATE_TEXT_TOO_LONG},
    };
    for (const auto& c : cases) {
        nativeSeam().events.clear();
        EXPECT_EQ(writeStructureValue(*s, *tree, at(c.path), c.text, nullptr), c.result) << c.text;
        const TemplateNodeInfo info = tree->info(at(c.path));
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(s->documentBytes) + info.offset, info.size), c.bytes)
            << c.text;
        EXPECT_EQ(s->changeCount, c.changes) << c.text;
        ASSERT_EQ(nativeSeam().events.size(), c.message != 0 ? 1u : 0u) << c.text;
        if (c.message != 0) {
            EXPECT_EQ(nativeSeam().events[0].messageId, c.message) << c.text;
        }
    }
    EXPECT_EQ(s->modified, 1);
}
