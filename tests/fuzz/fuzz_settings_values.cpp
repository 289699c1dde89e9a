// Registry values of any size and type through the settings codec: what is
// taken from them always makes sense to the editor (terminated texts never cut
// inside a character, records zero past the value, window places that show
// the frame, fonts that name a face), and nothing is read or written out of
// bounds.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "shell/file_name.h"
#include "shell/settings_codec.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const int limit = in.ConsumeIntegralInRange(1, 300);
    const size_t recordSize = in.ConsumeIntegralInRange<size_t>(0, 100);
    std::vector<ScreenRect> screens(in.ConsumeIntegralInRange<size_t>(0, 3));
    for (ScreenRect& r : screens) {
        r.left = in.ConsumeIntegral<int32_t>();
        r.top = in.ConsumeIntegral<int32_t>();
        r.right = in.ConsumeIntegral<int32_t>();
        r.bottom = in.ConsumeIntegral<int32_t>();
    }
    // The value itself in a buffer of its own size, so that any read past it is caught.
    const std::vector<uint8_t> bytes = in.ConsumeRemainingBytes<uint8_t>();
    const uint8_t* value = bytes.empty() ? nullptr : bytes.data();

    std::vector<char> text(static_cast<size_t>(limit));
    const int n = decodeString(value, bytes.size(), text.data(), limit);
    check(n >= 0 && n < limit && std::strlen(text.data()) == static_cast<size_t>(n));
    check(n == 0 || std::memcmp(text.data(), value, static_cast<size_t>(n)) == 0);
    for (int i = 0; i < n; ++i) {
        if (isShiftJisLeadByte(static_cast<unsigned char>(text[static_cast<size_t>(i)]))) {
            check(i + 1 < n);  // a character is never cut
            ++i;
        }
    }

    std::vector<uint8_t> record(recordSize + 1, 0xA5);
    const int taken = decodeBinary(value, bytes.size(), record.data(), recordSize);
    check(record[recordSize] == 0xA5);
    check(taken == (bytes.size() <= recordSize ? 1 : 0));
    for (size_t i = 0; i < recordSize; ++i) check(record[i] == (taken && i < bytes.size() ? bytes[i] : 0));

    ScreenRect place;
    if (decodeWindowRect(value, bytes.size(), screens.data(), screens.size(), place)) {
        check(bytes.size() == sizeof place && std::memcmp(&place, value, sizeof place) == 0);
        check(place.left != -1 && place.left < place.right && place.top < place.bottom);
        check(int64_t{place.right} - place.left <= INT32_MAX && int64_t{place.bottom} - place.top <= INT32_MAX);
        bool shown = screens.empty();
        for (const ScreenRect& m : screens)
            shown = shown || (place.left < m.right && m.left < place.right && place.top < m.bottom && m.top < place.bottom);
        check(shown);
    } else {
        check(place.left == -1 && place.top == 0 && place.right == 0 && place.bottom == 0);
    }

    FontRecord font;
    if (decodeFontRecord(value, bytes.size(), font)) {
        const size_t face = strnlen(font.faceName, sizeof font.faceName);
        check(face > 0 && face < sizeof font.faceName);
        check(font.height >= -kMaxFontHeight && font.height <= kMaxFontHeight);
    } else {
        check(font.faceName[0] == '\0' && font.height == 0);
    }
    return 0;
}
