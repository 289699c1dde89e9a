#include "tools/print_layout.h"

#include <algorithm>
#include <cstdio>

#include "document/shift_jis.h"

namespace {

constexpr int64_t kRowBytes = 16;

}  // namespace

PrintLayout layoutPrint(const PrintRequest& request) {
    PrintLayout layout{request, 0, 1, 0, 1, 0, 0};
    const int32_t L = request.lineHeight;

    int64_t start = 0;
    int64_t remaining = request.documentSize;
    if (request.selectionOnly) {
        int64_t lo = std::min(request.selectionAnchorRow, request.selectionEndRow);
        int64_t hi = std::max(request.selectionAnchorRow, request.selectionEndRow);
        if (lo < 0) lo = 0;
        start = lo * kRowBytes;
        remaining = std::min((hi - lo + 1) * kRowBytes, static_cast<int64_t>(request.documentSize) - start);
    }
    layout.firstOffset = static_cast<uint32_t>(std::min<int64_t>(start, UINT32_MAX));
    // One line is printed before the remaining count is first tested.
    layout.lineCount = remaining > 0 ? static_cast<uint32_t>((remaining + kRowBytes - 1) / kRowBytes) : 1;

    layout.top = (request.printAddresses ? 3 : 2) * L;
    if (L <= 0 || request.copies <= 0) return layout;  // nothing sensible to lay out

    // After k lines y = top + k*L; the page ends once top + (k+1)*L > height.
    int64_t fit = (static_cast<int64_t>(request.pageHeight) - layout.top) / L;
    layout.linesPerPage = static_cast<int32_t>(std::clamp<int64_t>(fit, 1, INT32_MAX));
    int64_t pages = (static_cast<int64_t>(layout.lineCount) + layout.linesPerPage - 1) / layout.linesPerPage;
    layout.pagesPerCopy = static_cast<int32_t>(pages);
    layout.pageCount = static_cast<int32_t>(std::min<int64_t>(pages * request.copies, INT32_MAX));
    return layout;
}

PrintPage printPage(const PrintLayout& layout, int32_t index, const char* documentTitle) {
    PrintPage page{0, 0, {}, false, 0, 0, {}};
    if (index < 0 || index >= layout.pageCount) return page;
    const PrintRequest& r = layout.request;
    page.copy = index / layout.pagesPerCopy;
    int32_t inCopy = index % layout.pagesPerCopy;
    page.number = inCopy + 1;

    char title[32 + 260];
    std::snprintf(title, sizeof title, " P.%03d  %s", page.number, documentTitle ? documentTitle : "");
    page.title = title;

    if (r.printAddresses) {
        page.hasHeader = true;
        page.headerY = r.headerHeight + r.headerHeight / 2;
        page.ruleY = 2 * r.headerHeight + r.headerHeight / 2;
    }

    uint64_t first = static_cast<uint64_t>(inCopy) * static_cast<uint64_t>(layout.linesPerPage);
    uint64_t count = std::min<uint64_t>(layout.linesPerPage, layout.lineCount - first);
    page.lines.reserve(count);
    for (uint64_t k = 0; k < count; ++k) {
        uint64_t offset = layout.firstOffset + (first + k) * kRowBytes;
        page.lines.push_back({static_cast<uint32_t>(offset), static_cast<int32_t>(layout.top + static_cast<int64_t>(k) * r.lineHeight)});
    }
    return page;
}

uint8_t firstLinePendingLead(const PrintLayout& layout, const uint8_t* bytes, int kanji) {
    if (kanji == 0) return 0;
    return leadRunningInto(bytes, layout.request.documentSize, layout.firstOffset);
}
