#include "document/shift_jis.h"

// MOXEL_SCALAR builds the plain path alone, so that it is tested on machines
// whose compiler would otherwise always take the vector one.
#if defined(__SSE2__) && !defined(MOXEL_SCALAR)
#define MOXEL_SJIS_SSE2 1
#include <emmintrin.h>
#endif

namespace {

// How many lead bytes stand right before `offset`. A file may hold a run of
// them megabytes long (a fill of E0 bytes, say), and every caret move asks.
size_t leadRunBefore(const uint8_t* bytes, size_t offset) {
    size_t leads = 0;
#ifdef MOXEL_SJIS_SSE2
    const __m128i low1 = _mm_set1_epi8(static_cast<char>(0x81)), span1 = _mm_set1_epi8(0x9F - 0x81);
    const __m128i low2 = _mm_set1_epi8(static_cast<char>(0xE0)), span2 = _mm_set1_epi8(0xFC - 0xE0);
    while (offset - leads >= 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + offset - leads - 16));
        // Unsigned x - low <= span, as min(x - low, span) == x - low.
        const __m128i d1 = _mm_sub_epi8(x, low1), d2 = _mm_sub_epi8(x, low2);
        const __m128i lead = _mm_or_si128(_mm_cmpeq_epi8(_mm_min_epu8(d1, span1), d1),
                                          _mm_cmpeq_epi8(_mm_min_epu8(d2, span2), d2));
        const unsigned others = ~static_cast<unsigned>(_mm_movemask_epi8(lead)) & 0xFFFFu;
        if (others != 0) return leads + static_cast<size_t>(__builtin_clz(others) - 16);
        leads += 16;
    }
#endif
    while (leads < offset && isShiftJisLead(bytes[offset - 1 - leads])) ++leads;
    return leads;
}

}  // namespace

bool isCharacterStart(const uint8_t* bytes, size_t size, size_t offset) {
    if (offset == 0 || offset == size) return true;
    if (offset > size) return false;
    // The first of the lead bytes right before `offset` begins a character, and
    // each of them takes the next byte with it, so the parity decides.
    return leadRunBefore(bytes, offset) % 2 == 0;
}

size_t characterStart(const uint8_t* bytes, size_t size, size_t offset) {
    if (offset == 0 || isCharacterStart(bytes, size, offset)) return offset;
    return offset - 1;
}

uint8_t leadRunningInto(const uint8_t* bytes, size_t size, size_t offset) {
    if (bytes == nullptr || offset == 0 || offset >= size) return 0;
    const uint8_t before = bytes[offset - 1];
    return isShiftJisLead(before) && isCharacterStart(bytes, size, offset - 1) ? before : 0;
}
