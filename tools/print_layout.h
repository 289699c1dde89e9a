// Where every line of a printed hex listing goes, as data: the printer code
// measures the font and the page, asks for the pages one by one and only
// draws what they list.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PrintRequest {
    int32_t lineHeight;     // L: height of "CC" in the printer font
    int32_t headerHeight;   // h: height of the column-header string
    int32_t pageHeight;     // printable height of a page
    bool printAddresses;    // the option: column header and rule under the title
    uint32_t documentSize;
    bool selectionOnly;     // print the selected rows instead of the whole document
    int32_t selectionAnchorRow;
    int32_t selectionEndRow;
    int32_t copies;
};

struct PrintLayout {
    // given values
    PrintRequest request;
    // calculated values
    uint32_t firstOffset;   // offset of the first printed row
    uint32_t lineCount;     // dump lines of one copy (at least 1)
    int32_t top;            // y of the first dump line of every page
    int32_t linesPerPage;   // at least 1
    int32_t pagesPerCopy;
    int32_t pageCount;      // of the whole job; 0 when nothing can be printed
};

struct PrintLine {
    uint32_t offset;  // the row's first byte
    int32_t y;
};

struct PrintPage {
    int32_t copy;        // 0 for the first copy
    int32_t number;      // counted from 1 in each copy
    std::string title;   // " P.%03d  %s", drawn at (0, 0)
    bool hasHeader;      // the column header at headerY and the rule at ruleY
    int32_t headerY;
    int32_t ruleY;
    std::vector<PrintLine> lines;
};

// The page plan of a job. Rows are 16 bytes; a selection covers the rows
// between its anchor and end in either order, cut at the document's end, and
// always prints at least one line, as the whole document does.
//
// A page ends after the line that leaves no room for another (y + L > page
// height). When that line is the last one, no page follows: a page carrying
// only its title would be wasted paper.
PrintLayout layoutPrint(const PrintRequest& request);

// Page `index` (0 .. pageCount - 1) of the job; `documentTitle` is the file
// name shown in every page title. The caller carries the dump row's pending
// lead byte from line to line, across pages too, starting each copy with
// firstLinePendingLead.
PrintPage printPage(const PrintLayout& layout, int32_t index, const char* documentTitle);

// The pending lead byte the first line of a copy starts with in kanji mode:
// the one the row above the first printed row hands on, so that the selected
// rows pair their characters as the view shows them below the rows above. A
// first row that begins with the second byte of a character shows a blank
// there, not that byte on its own. `bytes` holds the layout's document.
uint8_t firstLinePendingLead(const PrintLayout& layout, const uint8_t* bytes, int kanji);
