#include "view/inspector_pane.h"

#include <algorithm>
#include <cstring>

#include "document/edit.h"
#include "document/shift_jis.h"
#include "resource_ids.h"

InspectorGeometry inspectorGeometry(int32_t charWidth, int32_t lineHeight) {
    InspectorGeometry g{};
    g.rowHeight = lineHeight + 2;
    g.labelLeft = kInspectorSplitter;
    g.littleLeft = g.labelLeft + (kInspectorLabelChars + 2) * charWidth;
    g.bigLeft = g.littleLeft + (kInspectorValueChars + 1) * charWidth;
    g.right = g.bigLeft + (kInspectorValueChars + 1) * charWidth;
    return g;
}

int32_t defaultInspectorWidth(int32_t charWidth) { return inspectorGeometry(charWidth, 0).right; }

int32_t inspectorPaneWidth(const InspectorPlacement& p, int32_t containerWidth, int32_t charWidth) {
    return paneWidthIn(p, containerWidth, charWidth, defaultInspectorWidth(charWidth));
}

InspectorHit inspectorHitTest(const InspectorGeometry& g, int32_t x, int32_t y) {
    InspectorHit hit{InspectorHit::none, InspectRow::binary, Endian::little};
    if (x < 0 || y < 0) return hit;
    if (x < kInspectorSplitter) {
        hit.part = InspectorHit::splitter;
        return hit;
    }
    const int32_t line = g.rowHeight > 0 ? y / g.rowHeight : 0;
    if (line < 1 || line > kInspectRowCount || x >= g.right) return hit;
    hit.part = InspectorHit::cell;
    hit.row = static_cast<InspectRow>(line - 1);
    if (x >= g.bigLeft && hasBothEndians(hit.row)) hit.side = Endian::big;
    return hit;
}

void inspectCaret(const EditorState& s, InspectorValues& out) {
    std::memset(&out, 0, sizeof out);
    if (!isDocumentLoaded(s) || s.caretOffset < 0) return;
    const auto caret = static_cast<size_t>(s.caretOffset);
    for (int r = 0; r < kInspectRowCount; ++r) {
        const auto row = static_cast<InspectRow>(r);
        out.at[r][0] = inspectValue(s.documentBytes, s.documentSize, caret, row, Endian::little);
        out.at[r][1] =
            hasBothEndians(row) ? inspectValue(s.documentBytes, s.documentSize, caret, row, Endian::big) : out.at[r][0];
    }
}

int writeInspectedValue(EditorState& s, InspectRow row, Endian side, std::string_view text, WindowRef owner) {
    if (!isDocumentLoaded(s) || s.caretOffset < 0) return 0;
    const EncodedValue value = encodeValue(row, side, text);
    if (!value.ok) return showError(owner, IDS_ERR_INVALID_TEXT, nullptr);
    int32_t offset = s.caretOffset;
    // The Shift-JIS row shows the character the caret stands in: the new one replaces it there.
    if (row == InspectRow::shiftJis && static_cast<uint32_t>(offset) < s.documentSize) {
        offset = static_cast<int32_t>(characterStart(s.documentBytes, s.documentSize, static_cast<size_t>(offset)));
    }
    if (static_cast<uint32_t>(offset) >= s.documentSize ||
        value.span > s.documentSize - static_cast<uint32_t>(offset)) {
        return showError(owner, IDS_ERR_PAST_END, nullptr);
    }
    return writeBytesAsTyped(s, owner, offset, value.bytes, value.length);
}
