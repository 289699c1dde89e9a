// Dump rows and the copied dump text over arbitrary documents, offsets,
// pending leads and selections. The document buffer is exactly as large as
// the document, so any read past its end is caught by the address sanitizer.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "document/document.h"
#include "document/dump_row.h"
#include "document/record_list.h"
#include "document/selection.h"
#include "shell/editor_state.h"

namespace {

void fail(const char* what, int32_t offset, const char* text) {
    std::fprintf(stderr, "dump row: %s at offset %d: [%s]\n", what, offset, text);
    std::abort();
}

bool printable(uint8_t b) { return (b >= 0x20 && b <= 0x7E) || (b >= 0xA1 && b <= 0xDF); }

// What every row text must look like, whatever the bytes and the pending lead.
void checkRow(const EditorState& s, int32_t offset, int kanji, const char* text) {
    const size_t n = std::strlen(text);
    if (n != 79 && n != 80) fail("length", offset, text);
    if (n == 80 && kanji == 0) fail("17 characters without kanji", offset, text);
    char head[16];
    std::snprintf(head, sizeof head, " %08X  ", static_cast<unsigned>(offset));
    if (std::memcmp(text, head, 11) != 0) fail("address", offset, text);
    const int64_t size = s.documentSize;
    // A row that starts outside the document shows no bytes at all.
    const bool rowInside = offset >= 0 && offset < size;
    for (int i = 0; i < 16; ++i) {
        const int64_t at = static_cast<int64_t>(offset) + i;
        char cell[4] = "   ";
        if (rowInside && at < size) std::snprintf(cell, sizeof cell, "%02X ", s.documentBytes[at]);
        if (std::memcmp(text + 11 + 3 * i, cell, 3) != 0) fail("hex column", offset, text);
    }
    if (text[59] != ' ' || text[60] != ' ' || text[n - 1] != ' ' || text[n - 2] != ' ') fail("blanks", offset, text);
    for (size_t i = 61; i < n - 2; ++i) {
        const uint8_t c = static_cast<uint8_t>(text[i]);
        if (c < 0x20) fail("control byte", offset, text);
        const int64_t at = static_cast<int64_t>(offset) + static_cast<int64_t>(i - 61);
        const bool inDoc = rowInside && at < size;
        if (!inDoc) {
            if (c != ' ') fail("character past the end", offset, text);
            continue;
        }
        const uint8_t b = s.documentBytes[at];
        if (kanji == 0) {
            if (c != (printable(b) ? b : '.')) fail("single-byte character", offset, text);
        } else if (c != ' ' && c != '.' && c != b) {
            fail("character not from its byte", offset, text);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const int kanji = in.ConsumeBool() ? 1 : 0;
    const int32_t anchor = in.ConsumeIntegralInRange<int32_t>(-2, 300);
    const int32_t end = in.ConsumeIntegralInRange<int32_t>(-1, 300);
    std::vector<std::pair<int32_t, uint8_t>> probes;
    for (int i = in.ConsumeIntegralInRange(0, 4); i > 0; --i)
        probes.push_back({in.ConsumeIntegral<int32_t>(), in.ConsumeIntegral<uint8_t>()});
    std::vector<uint8_t> bytes = in.ConsumeRemainingBytes<uint8_t>();

    EditorState* s = allocateEditorState();
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[bytes.size()]);
    if (!bytes.empty()) std::memcpy(buffer.get(), bytes.data(), bytes.size());
    s->documentBytes = buffer.get();
    s->documentSize = static_cast<uint32_t>(bytes.size());
    resetDocumentModel(*s);

    char out[kRowTextSize];
    // Arbitrary offsets (multiples of 16 or not, negative, far past the end) and pending leads.
    for (auto [offset, pending] : probes) {
        formatDumpRow(*s, offset, kanji, out, &pending);
        checkRow(*s, offset, kanji, out);
    }

    // Every row in order with the lead carried, as the view and the copy do;
    // the copy text must be exactly these rows.
    std::string rows = std::string(kColumnHeader) + "\r\n";
    uint8_t pending = 0;
    for (int32_t r = 0; r < s->rowCount; ++r) {
        formatDumpRow(*s, r * 16, kanji, out, &pending);
        checkRow(*s, r * 16, kanji, out);
        std::string line(out, std::strlen(out) - 2);
        rows += line + "\r\n";
    }
    if (pending != 0) fail("lead left pending after the last row", s->rowCount * 16, out);
    if (selectAll(*s) != 0) {
        std::string copied;
        buildCopyText(*s, kanji, copied);
        if (copied != rows) fail("copy text differs from the rows", 0, copied.c_str());
    }

    // Any selection, including rows past the end and a missing anchor.
    s->selectionAnchorRow = anchor;
    s->selectionEndRow = end;
    std::unique_ptr<char[]> text(new char[copyTextCapacity(*s)]);
    const size_t length = writeCopyText(*s, kanji, text.get());
    if (length != 0 && (length + 1 > copyTextCapacity(*s) || std::strlen(text.get()) != length))
        fail("copy text length", anchor, text.get());

    s->documentBytes = nullptr;
    freeRecordLists(*s);
    freeEditorState(s);
    return 0;
}
