#include "document/dump_row.h"

#include <algorithm>
#include <bit>
#include <cstring>

// MOXEL_SCALAR builds the plain paths alone, so that they are tested on
// machines whose compiler would otherwise always take the vector ones.
#if defined(__SSE2__) && !defined(MOXEL_SCALAR)
#define MOXEL_DUMP_SSE2 1
#include <emmintrin.h>
#endif

const char kColumnHeader[78] =
    "           +0 +1 +2 +3 +4 +5 +6 +7 +8 +9 +A +B +C +D +E +F   0123456789ABCDEF";

namespace {

// Rows are formatted for every painted line and for every copied row of a
// file of any size, so each field is a table lookup and a direct store.
struct RowTables {
    char hex3[256][4];  // two upper-case digits, a blank and a zero; stored four bytes at a time
    char shown[256];    // the byte itself when printable by the single-byte rules, else '.'
    bool trail[256];    // Shift-JIS trail byte
    bool lead[256];     // Shift-JIS lead byte
};

constexpr RowTables makeRowTables() {
    RowTables t{};
    const char digits[] = "0123456789ABCDEF";
    for (int b = 0; b < 256; ++b) {
        t.hex3[b][0] = digits[b >> 4];
        t.hex3[b][1] = digits[b & 15];
        t.hex3[b][2] = ' ';
        t.hex3[b][3] = 0;  // zero, so that two entries can be or-ed into one word
        bool printable = (b >= 0x20 && b <= 0x7E) || (b >= 0xA1 && b <= 0xDF);
        t.shown[b] = printable ? static_cast<char>(b) : '.';
        t.trail[b] = (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
        t.lead[b] = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    }
    return t;
}

constexpr RowTables kTables = makeRowTables();

inline char* putHex2(char* p, uint8_t b) {
    std::memcpy(p, kTables.hex3[b], 2);
    return p + 2;
}

inline char* putAddress(char* p, uint32_t v) {
    *p++ = ' ';
    p = putHex2(p, static_cast<uint8_t>(v >> 24));
    p = putHex2(p, static_cast<uint8_t>(v >> 16));
    p = putHex2(p, static_cast<uint8_t>(v >> 8));
    p = putHex2(p, static_cast<uint8_t>(v));
    p[0] = ' ';
    p[1] = ' ';
    return p + 2;
}

inline uint64_t hex3Word(uint8_t b) {
    uint32_t v;
    std::memcpy(&v, kTables.hex3[b], 4);
    return v;
}

// The address and the 16 hex cells of a whole row, up to the character column;
// little-endian only: eight output bytes per store.
inline char* putAddressAndHexCells(const uint8_t* row, uint32_t offset, char* p) {
    p = putAddress(p, offset);
    for (int k = 0; k < 16; k += 2) {
        uint64_t w = hex3Word(row[k]) | (hex3Word(row[k + 1]) << 24);  // "XX YY  " and a zero
        std::memcpy(p, &w, 8);
        p += 6;
    }
    p[0] = ' ';
    p[1] = ' ';
    return p + 2;
}

// A whole row of 16 bytes with the single-byte character column, up to and
// including position 76: the path of nearly every row of a large copy.
// Little-endian machines assemble eight output bytes per store.
inline char* writePlainFullRow(const uint8_t* row, uint32_t offset, char* p) {
    if constexpr (std::endian::native == std::endian::little) {
        p = putAddressAndHexCells(row, offset, p);
#if defined(MOXEL_DUMP_SSE2)
        // Printable by the single-byte rules: 0x20..0x7E or 0xA1..0xDF; with the
        // sign bit flipped both ranges become signed compares.
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row));
        const __m128i x = _mm_xor_si128(v, _mm_set1_epi8(static_cast<char>(0x80)));
        const __m128i ascii = _mm_and_si128(_mm_cmpgt_epi8(x, _mm_set1_epi8(0x20 - 0x80 - 1)),
                                            _mm_cmplt_epi8(x, _mm_set1_epi8(0x7E - 0x80 + 1)));
        const __m128i kana = _mm_and_si128(_mm_cmpgt_epi8(x, _mm_set1_epi8(0xA1 - 0x80 - 1)),
                                           _mm_cmplt_epi8(x, _mm_set1_epi8(0xDF - 0x80 + 1)));
        const __m128i keep = _mm_or_si128(ascii, kana);
        const __m128i shown = _mm_or_si128(_mm_and_si128(keep, v), _mm_andnot_si128(keep, _mm_set1_epi8('.')));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), shown);
        return p + 16;
#else
        for (int k = 0; k < 16; k += 8) {
            uint64_t w = 0;
            for (int j = 7; j >= 0; --j) w = (w << 8) | static_cast<uint8_t>(kTables.shown[row[k + j]]);
            std::memcpy(p, &w, 8);
            p += 8;
        }
        return p;
#endif
    } else {
        p = putAddress(p, offset);
        for (int i = 0; i < 16; ++i) {
            std::memcpy(p, kTables.hex3[row[i]], 4);
            p += 3;
        }
        p[0] = ' ';
        p[1] = ' ';
        p += 2;
        for (int i = 0; i < 16; ++i) p[i] = kTables.shown[row[i]];
        return p + 16;
    }
}

#if defined(MOXEL_DUMP_SSE2)
// Bytes i of the result are 0xFF where bit i of `mask` is set.
inline __m128i expandMask(uint32_t mask) {
    const __m128i bits = _mm_setr_epi8(1, 2, 4, 8, 16, 32, 64, static_cast<char>(128), 1, 2, 4, 8, 16, 32, 64,
                                       static_cast<char>(128));
    const __m128i spread = _mm_unpacklo_epi64(_mm_set1_epi8(static_cast<char>(mask & 0xFF)),
                                              _mm_set1_epi8(static_cast<char>((mask >> 8) & 0xFF)));
    return _mm_cmpeq_epi8(_mm_and_si128(spread, bits), bits);
}

// Bit i set where byte i lies in lo..hi (unsigned).
inline uint32_t rangeMask(__m128i flipped, int lo, int hi) {
    const __m128i in = _mm_and_si128(_mm_cmpgt_epi8(flipped, _mm_set1_epi8(static_cast<char>(lo - 0x80 - 1))),
                                     _mm_cmplt_epi8(flipped, _mm_set1_epi8(static_cast<char>(hi - 0x80 + 1))));
    return static_cast<uint32_t>(_mm_movemask_epi8(in));
}

// A whole row in kanji mode whose document goes on after it, so a lead byte at
// position 15 always has a byte to pair with. Each output position belongs to
// its input byte, so the row is one blend of three vectors: the raw bytes
// (characters), blanks (a pair without a trail byte, or the second byte of a
// character begun in the previous row) and the single-byte rules. Which lead
// bytes begin a character follows from the parity inside each run of lead
// bytes: the first of a run begins one, the next is its second byte, and so on.
inline char* writeKanjiFullRow(const uint8_t* row, uint32_t offset, bool carried, uint8_t next, char* p,
                               uint8_t* pendingLead) {
    p = putAddressAndHexCells(row, offset, p);

    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row));
    const __m128i x = _mm_xor_si128(v, _mm_set1_epi8(static_cast<char>(0x80)));
    uint32_t lead = rangeMask(x, 0x81, 0x9F) | rangeMask(x, 0xE0, 0xFC);
    const uint32_t trail = rangeMask(x, 0x40, 0x7E) | rangeMask(x, 0x80, 0xFC) | (kTables.trail[next] ? 1u << 16 : 0);
    if (carried) lead &= ~1u;  // the second byte of the character begun before

    const uint32_t runStarts = lead & ~(lead << 1);
    const uint32_t evenRuns = lead & ~(lead + (runStarts & 0x5555u));  // the carry clears runs begun at even positions
    const uint32_t oddRuns = lead & ~evenRuns;
    const uint32_t starts = (evenRuns & 0x5555u) | (oddRuns & 0xAAAAu);
    const uint32_t paired = starts & (trail >> 1);
    const uint32_t raw = (paired | (paired << 1)) & 0xFFFFu;
    const uint32_t blank = ((starts | (starts << 1) | (carried ? 1u : 0u)) & 0xFFFFu) & ~raw;

    const __m128i keepRaw = expandMask(raw);
    const __m128i makeBlank = expandMask(blank);
    const __m128i printable = _mm_or_si128(
        _mm_and_si128(_mm_cmpgt_epi8(x, _mm_set1_epi8(0x20 - 0x80 - 1)), _mm_cmplt_epi8(x, _mm_set1_epi8(0x7E - 0x80 + 1))),
        _mm_and_si128(_mm_cmpgt_epi8(x, _mm_set1_epi8(static_cast<char>(0xA1 - 0x80 - 1))),
                      _mm_cmplt_epi8(x, _mm_set1_epi8(static_cast<char>(0xDF - 0x80 + 1)))));
    __m128i shown = _mm_or_si128(_mm_and_si128(printable, v), _mm_andnot_si128(printable, _mm_set1_epi8('.')));
    shown = _mm_or_si128(_mm_and_si128(keepRaw, v), _mm_andnot_si128(keepRaw, shown));
    shown = _mm_or_si128(_mm_and_si128(makeBlank, _mm_set1_epi8(' ')), _mm_andnot_si128(makeBlank, shown));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), shown);
    p += 16;

    // A character begun at position 15 ends with the next row's first byte.
    const bool endsInLead = (starts >> 15) & 1u;
    if (endsInLead && ((paired >> 15) & 1u)) *p++ = static_cast<char>(next);
    if (pendingLead != nullptr) *pendingLead = endsInLead ? row[15] : 0;
    return p;
}
#endif

// Whether a whole row holds a Shift-JIS lead byte; rows without one look the
// same in kanji mode as with single-byte characters.
inline bool rowHasLeadByte(const uint8_t* row) {
#if defined(MOXEL_DUMP_SSE2)
    const __m128i x = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row)),
                                    _mm_set1_epi8(static_cast<char>(0x80)));
    const __m128i low = _mm_and_si128(_mm_cmpgt_epi8(x, _mm_set1_epi8(0x81 - 0x80 - 1)),
                                      _mm_cmplt_epi8(x, _mm_set1_epi8(0x9F - 0x80 + 1)));
    const __m128i high = _mm_and_si128(_mm_cmpgt_epi8(x, _mm_set1_epi8(0xE0 - 0x80 - 1)),
                                       _mm_cmplt_epi8(x, _mm_set1_epi8(0xFC - 0x80 + 1)));
    return _mm_movemask_epi8(_mm_or_si128(low, high)) != 0;
#else
    bool any = false;
    for (int i = 0; i < 16; ++i) any |= kTables.lead[row[i]];
    return any;
#endif
}

}  // namespace

void blankByteColumns(char* row, size_t length, uint32_t columns, int kanji) {
    constexpr size_t kFirstCell = 11;
    for (size_t k = 0; k < 16; ++k) {
        const size_t at = kFirstCell + 3 * k;
        if ((columns >> k & 1u) != 0 && at + 2 <= length) std::memset(row + at, ' ', 2);
    }
    size_t column = 0;
    for (size_t at = kCharColumnStart; at < length && column < 16;) {
        const size_t width = kanji != 0 && kTables.lead[static_cast<uint8_t>(row[at])] && at + 1 < length ? 2 : 1;
        if ((columns >> column & 1u) != 0) std::memset(row + at, ' ', width);
        at += width;
        column += width;
    }
}

char* writeDumpRow(const EditorState& s, int32_t offset, int kanji, char* out, uint8_t* pendingLead) {
    const uint8_t* d = s.documentBytes;
    const int64_t size = d != nullptr ? static_cast<int64_t>(s.documentSize) : 0;
    // Positions 0 .. inside-1 of the row lie in the document; a row that starts
    // outside it (before 0 or at/after the end) shows no bytes at all.
    int inside = 0;
    if (offset >= 0 && offset < size) inside = size - offset >= 16 ? 16 : static_cast<int>(size - offset);
    const uint8_t* row = inside > 0 ? d + offset : nullptr;

    const bool leadWaiting = kanji != 0 && offset != 0 && pendingLead != nullptr && *pendingLead != 0;
    if (inside == 16 && (kanji == 0 || (!leadWaiting && !rowHasLeadByte(row)))) {
        if (pendingLead != nullptr) *pendingLead = 0;
        return writePlainFullRow(row, static_cast<uint32_t>(offset), out);
    }

#if defined(MOXEL_DUMP_SSE2)
    if (kanji != 0 && inside == 16 && int64_t{offset} + 16 < size)
        return writeKanjiFullRow(row, static_cast<uint32_t>(offset), leadWaiting, row[16], out, pendingLead);
#endif

    char* p = putAddress(out, static_cast<uint32_t>(offset));
    if (inside == 16) {
        for (int i = 0; i < 16; ++i) {
            std::memcpy(p, kTables.hex3[row[i]], 4);  // the fourth byte is overwritten next
            p += 3;
        }
    } else {
        for (int i = 0; i < inside; ++i) {
            std::memcpy(p, kTables.hex3[row[i]], 4);
            p += 3;
        }
        std::memset(p, ' ', static_cast<size_t>(16 - inside) * 3);
        p += (16 - inside) * 3;
    }
    p[0] = ' ';
    p[1] = ' ';
    p += 2;

    if (kanji == 0) {
        for (int i = 0; i < inside; ++i) p[i] = kTables.shown[row[i]];
        std::memset(p + inside, ' ', static_cast<size_t>(16 - inside));
        if (pendingLead != nullptr) *pendingLead = 0;
        return p + 16;
    }

    // The lead byte of a character that began in the previous row; taken only
    // when this row has a first byte to pair it with.
    uint8_t lead = 0;
    if (leadWaiting && inside > 0) lead = d[offset - 1];

    for (int i = 0; i < 16; ++i) {
        if (i >= inside) {
            *p++ = ' ';
            continue;
        }
        const uint8_t b = row[i];
        if (lead == 0) {
            if (!kTables.lead[b]) {
                *p++ = kTables.shown[b];
            } else if (int64_t{offset} + i + 1 >= size) {
                // A lead byte with no byte after it in the document: nothing
                // to pair it with, so it shows as a lone non-printable byte.
                *p++ = '.';
            } else {
                lead = b;  // written together with its trail byte
            }
        } else {
            if (kTables.trail[b]) {
                if (i > 0) {
                    p[0] = static_cast<char>(lead);
                    p[1] = static_cast<char>(b);
                    p += 2;
                } else {
                    *p++ = ' ';  // the pair ended the previous row
                }
            } else {
                // A lead without a trail byte: two blanks, the second byte hidden.
                *p++ = ' ';
                if (i > 0) *p++ = ' ';
            }
            lead = 0;
        }
    }

    if (lead != 0) {
        // The lead is at position 15 and the document goes on (checked above).
        const uint8_t next = row[16];
        if (kTables.trail[next]) {
            p[0] = static_cast<char>(lead);
            p[1] = static_cast<char>(next);
            p += 2;
        } else {
            // Not a character: a blank here and one at the start of the next
            // row, as inside a row. Writing the pair would put a control byte
            // (even a zero) into the text.
            *p++ = ' ';
        }
    }
    if (pendingLead != nullptr) *pendingLead = lead;
    return p;
}

char* formatDumpRow(const EditorState& s, int32_t offset, int kanji, char* out, uint8_t* pendingLead) {
    char* p = writeDumpRow(s, offset, kanji, out, pendingLead);
    p[0] = ' ';
    p[1] = ' ';
    p[2] = '\0';
    return out;
}

char* writeHexCells(const uint8_t* bytes, size_t count, char* out) {
    char* p = out;
    size_t k = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; k + 2 <= count; k += 2) {
            const uint64_t w = hex3Word(bytes[k]) | (hex3Word(bytes[k + 1]) << 24);  // "XX YY " and a zero
            std::memcpy(p, &w, 8);
            p += 6;
        }
    }
    for (; k < count; ++k) {
        std::memcpy(p, kTables.hex3[bytes[k]], 4);
        p += 3;
    }
    return p;
}

char* writeDumpLines(const EditorState& s, int64_t start, int64_t end, int kanji, char* out) {
    const int64_t size = s.documentBytes != nullptr ? static_cast<int64_t>(s.documentSize) : 0;
    char* p = out;
    int64_t r = start;
    if (kanji == 0 && r >= 0) {
        const int64_t fullEnd = std::min<int64_t>(end, size) - 15;  // rows wholly inside
        for (; r < fullEnd; r += 16) {
            p = writePlainFullRow(s.documentBytes + r, static_cast<uint32_t>(r), p);
            p[0] = '\r';
            p[1] = '\n';
            p += 2;
        }
    }
    uint8_t pendingLead = 0;
    for (; r < end; r += 16) {
        char* rowStart = p;
        p = writeDumpRow(s, static_cast<int32_t>(r), kanji, p, &pendingLead);
        if (p - rowStart > kColumnHeaderLength) {
            // Blanks past the header's width are dropped; only the second byte
            // of a character run over from position 76 stays.
            char* keep = rowStart + kColumnHeaderLength;
            for (char* c = keep; c < p; ++c)
                if (*c != ' ') *keep++ = *c;
            p = keep;
        }
        p[0] = '\r';
        p[1] = '\n';
        p += 2;
    }
    return p;
}
