#include "document/hex_text.h"

#include "document/dump_row.h"
#include "tools/value_parse.h"

namespace {

constexpr size_t kBytesPerLine = 16;
constexpr uint64_t kWriterSlack = 3;  // writeHexCells' stores ahead and the terminator

inline bool isSeparator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ','; }

}  // namespace

size_t hexTextCapacity(uint64_t count) {
    // Three characters a byte, one more for each line break, and the slack.
    const uint64_t limit = static_cast<uint64_t>(SIZE_MAX);
    if (count > (limit - kWriterSlack) / 4) return SIZE_MAX;
    return static_cast<size_t>(3 * count + count / kBytesPerLine + kWriterSlack);
}

size_t writeHexText(const uint8_t* bytes, size_t count, char* out) {
    char* p = out;
    size_t done = 0;
    // Every line but the last ends in CR LF in place of its last blank.
    for (; count - done > kBytesPerLine; done += kBytesPerLine) {
        p = writeHexCells(bytes + done, kBytesPerLine, p);
        p[-1] = '\r';
        *p++ = '\n';
    }
    if (done < count) {
        p = writeHexCells(bytes + done, count - done, p);
        --p;  // the last pair has no blank after it
    }
    *p = '\0';
    return static_cast<size_t>(p - out);
}

HexTextRead readHexText(const char* text, uint8_t* out, size_t room) {
    HexTextRead read{false, 0, 0};
    if (text == nullptr) return read;
    const char* p = text;
    for (;;) {
        while (isSeparator(*p)) ++p;
        if (*p == '\0') break;
        if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) p += 2;
        const char* group = p;
        for (int high = hexDigitValue(p[0]); high >= 0; high = hexDigitValue(p[0])) {
            const int low = hexDigitValue(p[1]);
            if (low < 0) return read;  // an odd digit: the pairs would not line up
            if (read.stored < room && out != nullptr) out[read.stored++] = static_cast<uint8_t>(high << 4 | low);
            ++read.count;
            p += 2;
        }
        // A group ends at a separator or the end; "0x" alone is no group.
        if (p == group || (*p != '\0' && !isSeparator(*p))) return read;
    }
    read.valid = read.count > 0;
    return read;
}
