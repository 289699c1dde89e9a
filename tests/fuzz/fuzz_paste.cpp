// Clipboard text pasted over a document through the core: whatever the text,
// the caret, the records already there and the edit lock, the paste writes
// exactly the text's bytes from the caret to the end of the document, records
// both nibbles of each changed byte with the byte it replaced, or refuses
// (error 14) without writing anything. Any other outcome aborts.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "document/document.h"
#include "document/record_list.h"
#include "document/selection.h"
#include "platform/platform_native.h"
#include "shell/editor_state.h"

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "paste: %s\n", what);
    std::abort();
}

void check(bool ok, const char* what) {
    if (!ok) fail(what);
}

// The change records as a table over the document's nibbles (-1: none), and
// the number of records past its end.
struct Records {
    std::vector<int16_t> inside;
    int32_t outside = 0;
    bool operator==(const Records& o) const { return inside == o.inside && outside == o.outside; }
};

Records changeRecords(const EditorState& s) {
    Records r;
    r.inside.assign(2 * static_cast<size_t>(s.documentSize), -1);
    for (int i = 0; i < s.changeCount; ++i) {
        const NibbleRecord* n = s.changeList[i];
        check(n != nullptr, "empty slot inside the count");
        check(n->nibble == 0 || n->nibble == 1, "nibble");
        if (n->offset < 0 || static_cast<uint32_t>(n->offset) >= s.documentSize) {
            ++r.outside;
            continue;
        }
        int16_t& slot = r.inside[2 * static_cast<size_t>(n->offset) + static_cast<size_t>(n->nibble)];
        check(slot == -1, "two records for one nibble");
        slot = n->byteValue;
    }
    return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    resetNativeSeam();
    const uint32_t documentSize = in.ConsumeIntegralInRange<uint32_t>(1, 256);
    std::vector<uint8_t> before = in.ConsumeBytes<uint8_t>(documentSize);
    before.resize(documentSize, 0x41);

    EditorState* s = allocateEditorState();
    // Exactly as large as the document and its spare room, so that a write
    // past either is caught.
    s->documentBytes = static_cast<uint8_t*>(std::malloc(documentSize + kSpareBytes));
    std::memcpy(s->documentBytes, before.data(), documentSize);
    s->documentSize = documentSize;
    s->spareCapacity = kSpareBytes;
    if (resetDocumentModel(*s) == 0) fail("reset");

    // Records already there: a few inside the document, and now and then
    // enough others (past its end) to leave the list nearly full.
    const int nearby = in.ConsumeIntegralInRange(0, 40);
    for (int i = 0; i < nearby; ++i) {
        const int32_t offset = in.ConsumeIntegralInRange<int32_t>(0, static_cast<int32_t>(documentSize) - 1);
        const int32_t nibble = in.ConsumeIntegralInRange(0, 1);
        if (findRecord(*s, RecordList::Change, offset, nibble) == -1)
            addRecord(*s, RecordList::Change, offset, nibble, in.ConsumeIntegral<uint8_t>());
    }
    if (in.ConsumeIntegralInRange(0, 7) == 0) {
        const int32_t target = in.ConsumeIntegralInRange(1900, 2001);
        for (int32_t i = s->changeCount; i < target; ++i) addRecord(*s, RecordList::Change, 100000 + i, i & 1, 0);
    }
    s->caretOffset = in.ConsumeIntegralInRange<int32_t>(-2, static_cast<int32_t>(documentSize) + 2);
    const int locked = in.ConsumeIntegralInRange(0, 8) == 0;
    const bool hasText = in.ConsumeIntegralInRange(0, 16) != 0;
    const std::string text = in.ConsumeRemainingBytesAsString().c_str();  // up to its first zero, as CF_TEXT
    nativeSeam().clipboard = text;
    nativeSeam().clipboardHasText = hasText;

    const Records recordsBefore = changeRecords(*s);
    const int32_t countBefore = s->changeCount;
    const int result = pasteText(*s, nullptr, locked);

    const std::vector<uint8_t> after(s->documentBytes, s->documentBytes + s->documentSize);
    check(s->documentSize == documentSize, "the document changed its size");
    const bool refused = locked || !hasText || 2 * static_cast<int64_t>(text.size()) > 2000 - countBefore;
    if (refused) {
        check(result == 0, "a refused paste reported success");
        check(after == before, "a refused paste wrote");
        check(changeRecords(*s) == recordsBefore, "a refused paste recorded");
        const bool tooLong = !locked && hasText;
        check(nativeSeam().events.size() == (tooLong ? 1u : 0u), "refusal reports");
        if (tooLong) check(nativeSeam().events[0].errorCode == 14, "the refusal is error 14");
    } else {
        check(result == 1 && s->modified == 1, "paste result");
        check(nativeSeam().events.empty(), "a paste with room reported something");
        Records expected = recordsBefore;
        for (uint32_t i = 0; i < documentSize; ++i) {
            const int64_t k = int64_t{i} - s->caretOffset;
            const bool covered = s->caretOffset >= 0 && k >= 0 && k < static_cast<int64_t>(text.size());
            const uint8_t want = covered ? static_cast<uint8_t>(text[static_cast<size_t>(k)]) : before[i];
            check(after[i] == want, "byte");
            if (covered && want != before[i]) {
                expected.inside[2 * i] = before[i];
                expected.inside[2 * i + 1] = before[i];
            }
        }
        check(changeRecords(*s) == expected, "change records");
    }
    freeRecordLists(*s);
    std::free(s->documentBytes);
    freeEditorState(s);
    return 0;
}
