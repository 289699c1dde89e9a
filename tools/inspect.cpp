#include "tools/inspect.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "document/shift_jis.h"

namespace {

// ---------------------------------------------------------------- bytes

uint64_t readUnsigned(const uint8_t* p, int n, Endian e) {
    uint64_t v = 0;
    for (int i = 0; i < n; ++i) v = v << 8 | p[e == Endian::little ? n - 1 - i : i];
    return v;
}

void writeUnsigned(uint64_t v, int n, Endian e, uint8_t* out) {
    for (int i = 0; i < n; ++i) out[e == Endian::little ? i : n - 1 - i] = static_cast<uint8_t>(v >> (8 * i));
}

// Integers in decimal, floats in the fewest digits that read back the same.
template <typename T>
void showNumber(T value, InspectValue& v) {
    auto r = std::to_chars(v.text, v.text + sizeof v.text - 1, value);
    *r.ptr = '\0';
}

int64_t signExtend(uint64_t v, int n) {
    const int unused = 64 - 8 * n;
    return static_cast<int64_t>(v << unused) >> unused;
}

// Bytes of the rows of one fixed size (0: the character rows, whose size
// depends on the bytes).
int fixedLength(InspectRow row) {
    switch (row) {
        case InspectRow::binary:
        case InspectRow::int8:
        case InspectRow::uint8: return 1;
        case InspectRow::int16:
        case InspectRow::uint16: return 2;
        case InspectRow::int32:
        case InspectRow::uint32:
        case InspectRow::float32:
        case InspectRow::time32:
        case InspectRow::dosDateTime:
        case InspectRow::colorRef: return 4;
        case InspectRow::int64:
        case InspectRow::uint64:
        case InspectRow::float64:
        case InspectRow::time64:
        case InspectRow::fileTime:
        case InspectRow::oleDate: return 8;
        case InspectRow::guid: return 16;
        case InspectRow::shiftJis:
        case InspectRow::utf8:
        case InspectRow::utf16: return 0;
    }
    return 0;
}

bool isSignedRow(InspectRow row) {
    return row == InspectRow::int8 || row == InspectRow::int16 || row == InspectRow::int32 || row == InspectRow::int64;
}

// ---------------------------------------------------------------- dates

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar, and back.
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2 ? 1 : 0;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

struct Civil {
    int64_t year;
    unsigned month, day;
};

Civil civilFromDays(int64_t z) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<int64_t>(yoe) + era * 400 + (m <= 2 ? 1 : 0), m, d};
}

unsigned daysInMonth(int64_t y, unsigned m) {
    static const unsigned days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : days[m - 1];
}

constexpr int64_t kSecondsPerDay = 86400;
constexpr int64_t kFileTimeToUnix = 11644473600;  // seconds from 1601-01-01 to 1970-01-01
constexpr uint64_t kTicksPerSecond = 10000000;
const int64_t kOleEpochDays = daysFromCivil(1899, 12, 30);

// Digits of a second a typed date may carry (FILETIME keeps seven of them).
constexpr int kFractionDigits = 12;
constexpr int kFileTimeDigits = 7;

uint64_t powerOfTen(int n) {
    uint64_t p = 1;
    while (n-- > 0) p *= 10;
    return p;
}

struct DateTime {
    int64_t year;
    unsigned month, day, hour, minute, second;
    uint64_t fraction;  // of the second, in `digits` decimal digits
    int digits;
};

// "YYYY/MM/DD hh:mm:ss", with the fraction of the second where it is not 0.
void formatDateTime(DateTime t, InspectValue& v) {
    const int n = std::snprintf(v.text, sizeof v.text, "%04lld/%02u/%02u %02u:%02u:%02u",
                                static_cast<long long>(t.year), t.month, t.day, t.hour, t.minute, t.second);
    while (t.digits > 0 && t.fraction % 10 == 0) {
        t.fraction /= 10;
        --t.digits;
    }
    if (t.digits <= 0 || n <= 0 || static_cast<size_t>(n + 1 + t.digits) >= sizeof v.text) return;
    char* point = v.text + n;
    point[0] = '.';
    for (int i = t.digits; i > 0; --i, t.fraction /= 10) point[i] = static_cast<char>('0' + t.fraction % 10);
    point[t.digits + 1] = '\0';
}

DateTime fromDaysAndSeconds(int64_t days, int64_t secondOfDay) {
    const Civil c = civilFromDays(days);
    const auto s = static_cast<unsigned>(secondOfDay);
    return {c.year, c.month, c.day, s / 3600, s / 60 % 60, s % 60, 0, 0};
}

// Seconds since 1970 (and a fraction of the next one) as a date, shown for
// the years `firstYear` to 9999.
void showUnixTime(int64_t seconds, int64_t firstYear, InspectValue& v, uint64_t fraction = 0, int digits = 0) {
    int64_t days = seconds / kSecondsPerDay;
    int64_t rest = seconds % kSecondsPerDay;
    if (rest < 0) {
        rest += kSecondsPerDay;
        days -= 1;
    }
    DateTime t = fromDaysAndSeconds(days, rest);
    if (t.year < firstYear || t.year > 9999) {
        v.kind = InspectKind::outOfRange;
        return;
    }
    t.fraction = fraction;
    t.digits = digits;
    formatDateTime(t, v);
}

void showDosDateTime(uint32_t u, InspectValue& v) {
    const unsigned time = u & 0xFFFF, date = u >> 16;
    const DateTime t{1980 + (date >> 9), date >> 5 & 0x0F, date & 0x1F, time >> 11, time >> 5 & 0x3F,
                     (time & 0x1F) * 2, 0, 0};
    if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > daysInMonth(t.year, t.month) || t.hour > 23 ||
        t.minute > 59 || t.second > 59) {
        v.kind = InspectKind::invalid;
        return;
    }
    formatDateTime(t, v);
}

// The OLE date: days since 1899-12-30; the fraction is the time of day,
// counted forwards from midnight on either side of that day (-1.25 is
// 1899-12-29 06:00). Years 100 to 9999.
bool inOleRange(double d) { return d > -657435.0 && d < 2958466.0; }

// The nearest double to the date, rounded once: the time of day divided out
// with the extended precision, so that every digit of the second counts.
double oleDateOf(const DateTime& t) {
    const int64_t days = daysFromCivil(t.year, t.month, t.day) - kOleEpochDays;
    const uint64_t scale = powerOfTen(t.digits);
    const uint64_t units = (t.hour * 3600ull + t.minute * 60ull + t.second) * scale + t.fraction;
    const long double part =
        static_cast<long double>(units) / static_cast<long double>(static_cast<uint64_t>(kSecondsPerDay) * scale);
    return static_cast<double>(static_cast<long double>(days) + (days >= 0 ? part : -part));
}

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The date with as few digits of the second as bring it back to the same
// number; where none does (a sliver of a second, or a time below 0 on the
// epoch's own day, which reads as the time above it) the number of days.
void showOleDate(double d, InspectValue& v) {
    if (!std::isfinite(d)) {
        v.kind = InspectKind::invalid;
        return;
    }
    if (!inOleRange(d)) {
        v.kind = InspectKind::outOfRange;
        return;
    }
    const double whole = std::trunc(d);
    const long double part = std::fabs(d - whole);
    // Below half the last digit of a second no date comes near it.
    const long double finest = static_cast<long double>(kSecondsPerDay) * powerOfTen(kFractionDigits);
    const int most = part != 0 && part * finest < 0.5L ? -1 : kFractionDigits;
    for (int digits = 0; digits <= most; ++digits) {
        const uint64_t scale = powerOfTen(digits), perDay = static_cast<uint64_t>(kSecondsPerDay) * scale;
        auto units = static_cast<uint64_t>(std::llround(part * static_cast<long double>(perDay)));
        int64_t days = kOleEpochDays + static_cast<int64_t>(whole);
        if (units >= perDay) {
            units -= perDay;
            days += 1;
        }
        DateTime t = fromDaysAndSeconds(days, static_cast<int64_t>(units / scale));
        t.fraction = units % scale;
        t.digits = digits;
        if (t.year >= 100 && t.year <= 9999 && sameBits(oleDateOf(t), d)) {
            formatDateTime(t, v);
            return;
        }
    }
    showNumber(d, v);
}

// ---------------------------------------------------------------- characters

bool isControl(uint32_t cp) { return cp < 0x20 || (cp >= 0x7F && cp < 0xA0); }

void setWide(uint32_t cp, InspectValue& v) {
    std::snprintf(v.text, sizeof v.text, "U+%04X", static_cast<unsigned>(cp));
    if (isControl(cp)) return;
    if (cp < 0x10000) {
        v.wide[0] = static_cast<char16_t>(cp);
    } else {
        v.wide[0] = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
        v.wide[1] = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    }
}

void showShiftJis(const uint8_t* bytes, size_t size, size_t offset, InspectValue& v) {
    const size_t start = characterStart(bytes, size, offset);
    const uint8_t b = bytes[start];
    if (isShiftJisLead(b)) {
        v.length = 2;
        if (start + 1 >= size) {
            v.kind = InspectKind::pastEnd;
            return;
        }
        const uint8_t t = bytes[start + 1];
        std::snprintf(v.text, sizeof v.text, "%02X%02X", b, t);
        if (!isShiftJisTrail(t)) {
            v.kind = InspectKind::invalid;
            return;
        }
        v.character[0] = static_cast<char>(b);
        v.character[1] = static_cast<char>(t);
        return;
    }
    v.length = 1;
    std::snprintf(v.text, sizeof v.text, "%02X", b);
    // 0x80, 0xA0 and 0xFD..0xFF are no characters of the code page.
    if (b == 0x80 || b == 0xA0 || b >= 0xFD) {
        v.kind = InspectKind::invalid;
        return;
    }
    if (b >= 0x20 && b != 0x7F) v.character[0] = static_cast<char>(b);
}

bool isScalar(uint32_t cp) { return cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF); }

// One UTF-8 sequence at `p`: its code and length, or why there is none.
InspectKind decodeUtf8(const uint8_t* p, size_t available, uint32_t& cp, uint32_t& length) {
    const uint8_t b = p[0];
    length = 1;
    cp = b;
    if (b < 0x80) return InspectKind::value;
    if (b < 0xC2 || b > 0xF4) return InspectKind::invalid;
    length = b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    const uint32_t smallest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    cp = b & (0x7F >> length);
    for (uint32_t i = 1; i < length; ++i) {
        if (i >= available) return InspectKind::pastEnd;
        if ((p[i] & 0xC0) != 0x80) return InspectKind::invalid;
        cp = cp << 6 | (p[i] & 0x3F);
    }
    return cp >= smallest && isScalar(cp) ? InspectKind::value : InspectKind::invalid;
}

void showUtf8(const uint8_t* p, size_t available, InspectValue& v) {
    uint32_t cp = 0;
    v.kind = decodeUtf8(p, available, cp, v.length);
    if (v.kind == InspectKind::value) setWide(cp, v);
}

void showUtf16(const uint8_t* p, size_t available, Endian e, InspectValue& v) {
    v.length = 2;
    if (available < 2) {
        v.kind = InspectKind::pastEnd;
        return;
    }
    const auto unit = static_cast<uint32_t>(readUnsigned(p, 2, e));
    if (unit >= 0xDC00 && unit <= 0xDFFF) {
        v.kind = InspectKind::invalid;
        return;
    }
    if (unit < 0xD800 || unit > 0xDBFF) {
        setWide(unit, v);
        return;
    }
    v.length = 4;
    if (available < 4) {
        v.kind = InspectKind::pastEnd;
        return;
    }
    const auto low = static_cast<uint32_t>(readUnsigned(p + 2, 2, e));
    if (low < 0xDC00 || low > 0xDFFF) {
        v.kind = InspectKind::invalid;
        return;
    }
    setWide(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00), v);
}

// ---------------------------------------------------------------- numbers

// The fields of a float of 4 or 8 bytes.
struct FloatFields {
    int fractionBits;
    uint64_t exponentMask;  // the exponent field, shifted down
};
FloatFields floatFields(int bytes) { return bytes == 4 ? FloatFields{23, 0xFF} : FloatFields{52, 0x7FF}; }

// A NaN keeps its sign and payload: "nan" is the usual quiet one, any other
// shows its fraction bits ("nan(0x400001)").
void showFloat(uint64_t bits, int bytes, InspectValue& v) {
    const FloatFields f = floatFields(bytes);
    const uint64_t fraction = bits & ((uint64_t{1} << f.fractionBits) - 1);
    if ((bits >> f.fractionBits & f.exponentMask) == f.exponentMask && fraction != 0) {
        const char* sign = bits >> (8 * bytes - 1) != 0 ? "-" : "";
        if (fraction == uint64_t{1} << (f.fractionBits - 1)) {
            std::snprintf(v.text, sizeof v.text, "%snan", sign);
        } else {
            std::snprintf(v.text, sizeof v.text, "%snan(0x%llX)", sign, static_cast<unsigned long long>(fraction));
        }
        return;
    }
    if (bytes == 4) {
        const auto b32 = static_cast<uint32_t>(bits);
        float x;
        std::memcpy(&x, &b32, sizeof x);
        showNumber(x, v);
    } else {
        double x;
        std::memcpy(&x, &bits, sizeof x);
        showNumber(x, v);
    }
}

void showFixed(const uint8_t* p, InspectRow row, Endian e, InspectValue& v) {
    const int n = fixedLength(row);
    // The GUID reads its parts itself.
    const uint64_t u = row == InspectRow::guid ? 0 : readUnsigned(p, n, e);
    switch (row) {
        case InspectRow::binary:
            for (int i = 0; i < 8; ++i) v.text[i] = (u >> (7 - i) & 1) != 0 ? '1' : '0';
            break;
        case InspectRow::float32:
        case InspectRow::float64: showFloat(u, n, v); break;
        case InspectRow::time32:
        case InspectRow::time64: showUnixTime(signExtend(u, n), 1, v); break;
        case InspectRow::fileTime:
            showUnixTime(static_cast<int64_t>(u / kTicksPerSecond) - kFileTimeToUnix, 1601, v, u % kTicksPerSecond,
                         kFileTimeDigits);
            break;
        case InspectRow::dosDateTime: showDosDateTime(static_cast<uint32_t>(u), v); break;
        case InspectRow::oleDate: {
            double d;
            std::memcpy(&d, &u, sizeof d);
            showOleDate(d, v);
            break;
        }
        case InspectRow::guid: {
            const uint8_t* d4 = p + 8;
            std::snprintf(v.text, sizeof v.text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                          static_cast<unsigned>(readUnsigned(p, 4, Endian::little)),
                          static_cast<unsigned>(readUnsigned(p + 4, 2, Endian::little)),
                          static_cast<unsigned>(readUnsigned(p + 6, 2, Endian::little)), d4[0], d4[1], d4[2], d4[3],
                          d4[4], d4[5], d4[6], d4[7]);
            break;
        }
        case InspectRow::colorRef:
            // The fourth byte marks a palette colour: shown where it is set.
            v.color = static_cast<uint32_t>(u) & 0xFFFFFF;
            std::snprintf(v.text, sizeof v.text, "%u, %u, %u", p[0], p[1], p[2]);
            if (p[3] != 0) std::snprintf(v.text + std::strlen(v.text), 8, ", 0x%02X", p[3]);
            break;
        default:
            if (isSignedRow(row))
                showNumber(signExtend(u, n), v);
            else
                showNumber(u, v);
            break;
    }
}

// ---------------------------------------------------------------- parsing

std::string_view trimmed(std::string_view t) {
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
    return t;
}

template <typename T>
bool parseWhole(std::string_view t, T& out, int base = 10) {
    if (t.empty()) return false;
    auto r = std::from_chars(t.data(), t.data() + t.size(), out, base);
    return r.ec == std::errc() && r.ptr == t.data() + t.size();
}

// An integer of `bytes` bytes as its two's complement bits.
bool parseInteger(std::string_view t, int bytes, bool isSigned, uint64_t& bits) {
    bool negative = false;
    if (!t.empty() && (t[0] == '-' || t[0] == '+')) {
        negative = t[0] == '-';
        t.remove_prefix(1);
    }
    int base = 10;
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
        base = 16;
        t.remove_prefix(2);
    }
    uint64_t magnitude = 0;
    if (!parseWhole(t, magnitude, base)) return false;
    const uint64_t top = bytes == 8 ? ~uint64_t{0} : (uint64_t{1} << (8 * bytes)) - 1;
    if (!isSigned) {
        if (negative && magnitude != 0) return false;
        if (magnitude > top) return false;
        bits = magnitude;
        return true;
    }
    const uint64_t half = top / 2 + 1;  // the size of the negative half
    if (negative ? magnitude > half : magnitude >= half) return false;
    bits = (negative ? ~magnitude + 1 : magnitude) & top;
    return true;
}

template <typename F>
bool parseFloat(std::string_view t, F& out) {
    if (t.size() > 1 && t[0] == '+' && t[1] != '-') t.remove_prefix(1);
    if (t.empty()) return false;
    auto r = std::from_chars(t.data(), t.data() + t.size(), out);
    return r.ec == std::errc() && r.ptr == t.data() + t.size();
}

bool startsWithNoCase(std::string_view t, std::string_view lower) {
    if (t.size() < lower.size()) return false;
    for (size_t i = 0; i < lower.size(); ++i) {
        if ((t[i] | 0x20) != lower[i]) return false;
    }
    return true;
}

// A float of 4 or 8 bytes as its bits: a number, or a NaN as showFloat shows it.
bool parseFloatBits(std::string_view t, int bytes, uint64_t& bits) {
    const bool negative = !t.empty() && t[0] == '-';
    const std::string_view magnitude = !t.empty() && (t[0] == '-' || t[0] == '+') ? t.substr(1) : t;
    if (startsWithNoCase(magnitude, "nan")) {
        const FloatFields f = floatFields(bytes);
        const std::string_view payload = magnitude.substr(3);
        uint64_t fraction = uint64_t{1} << (f.fractionBits - 1);
        if (!payload.empty()) {
            if (payload.size() < 5 || !startsWithNoCase(payload, "(0x") || payload.back() != ')' ||
                !parseWhole(payload.substr(3, payload.size() - 4), fraction, 16) || fraction == 0 ||
                fraction >> f.fractionBits != 0) {
                return false;
            }
        }
        bits = uint64_t{negative} << (8 * bytes - 1) | f.exponentMask << f.fractionBits | fraction;
        return true;
    }
    if (bytes == 4) {
        float x;
        if (!parseFloat(t, x)) return false;
        uint32_t b32;
        std::memcpy(&b32, &x, sizeof b32);
        bits = b32;
        return true;
    }
    double x;
    if (!parseFloat(t, x)) return false;
    std::memcpy(&bits, &x, sizeof bits);
    return true;
}

// "U+" and one to six hexadecimal digits, or exactly one UTF-8 character.
bool parseCodePoint(std::string_view t, uint32_t& cp) {
    if (t.size() > 2 && (t[0] == 'U' || t[0] == 'u') && t[1] == '+') {
        std::string_view digits = t.substr(2);
        return digits.size() <= 6 && parseWhole(digits, cp, 16) && isScalar(cp);
    }
    uint32_t length = 0;
    return !t.empty() &&
           decodeUtf8(reinterpret_cast<const uint8_t*>(t.data()), t.size(), cp, length) == InspectKind::value &&
           length == t.size();
}

bool parseDateTime(std::string_view t, DateTime& out) {
    // Numbers and the separator expected after each.
    const char separators[] = {'/', '/', ' ', ':', ':', '\0'};
    const size_t widths[] = {4, 2, 2, 2, 2, 2};
    unsigned values[6] = {};
    for (int i = 0; i < 6; ++i) {
        size_t n = 0;
        while (n < t.size() && t[n] >= '0' && t[n] <= '9') ++n;
        if (n == 0 || n > widths[i] || !parseWhole(t.substr(0, n), values[i])) return false;
        t.remove_prefix(n);
        if (separators[i] == '\0') break;
        if (t.empty() || t[0] != separators[i]) return false;
        t.remove_prefix(1);
        if (separators[i] == ' ') t = trimmed(t);
    }
    out = {values[0], values[1], values[2], values[3], values[4], values[5], 0, 0};
    // A fraction of the second after a point.
    if (!t.empty()) {
        if (t[0] != '.' || t.size() < 2 || t.size() > 1 + kFractionDigits || !parseWhole(t.substr(1), out.fraction)) {
            return false;
        }
        out.digits = static_cast<int>(t.size() - 1);
    }
    return out.year >= 1 && out.month >= 1 && out.month <= 12 && out.day >= 1 &&
           out.day <= daysInMonth(out.year, out.month) && out.hour <= 23 && out.minute <= 59 && out.second <= 59;
}

int64_t unixSeconds(const DateTime& t) {
    return daysFromCivil(t.year, t.month, t.day) * kSecondsPerDay + t.hour * 3600 + t.minute * 60 + t.second;
}

bool encodeDate(InspectRow row, const DateTime& t, uint8_t* out) {
    const int64_t seconds = unixSeconds(t);
    // Only FILETIME and the OLE date hold parts of a second.
    if (t.digits > (row == InspectRow::fileTime ? kFileTimeDigits : row == InspectRow::oleDate ? kFractionDigits : 0))
        return false;
    switch (row) {
        case InspectRow::time32:
            if (seconds < INT32_MIN || seconds > INT32_MAX) return false;
            writeUnsigned(static_cast<uint64_t>(seconds), 4, Endian::little, out);
            return true;
        case InspectRow::time64: writeUnsigned(static_cast<uint64_t>(seconds), 8, Endian::little, out); return true;
        case InspectRow::fileTime:
            if (t.year < 1601) return false;
            writeUnsigned(static_cast<uint64_t>(seconds + kFileTimeToUnix) * kTicksPerSecond +
                              t.fraction * powerOfTen(kFileTimeDigits - t.digits),
                          8, Endian::little, out);
            return true;
        case InspectRow::dosDateTime: {
            if (t.year < 1980 || t.year > 2107 || t.second % 2 != 0) return false;
            const auto date = static_cast<uint32_t>((t.year - 1980) << 9 | t.month << 5 | t.day);
            const uint32_t time = t.hour << 11 | t.minute << 5 | t.second / 2;
            writeUnsigned(date << 16 | time, 4, Endian::little, out);
            return true;
        }
        case InspectRow::oleDate: {
            if (t.year < 100) return false;
            const double d = oleDateOf(t);
            uint64_t bits;
            std::memcpy(&bits, &d, sizeof bits);
            writeUnsigned(bits, 8, Endian::little, out);
            return true;
        }
        default: return false;
    }
}

bool encodeGuid(std::string_view t, uint8_t* out) {
    if (t.size() == 38 && t.front() == '{' && t.back() == '}') t = t.substr(1, 36);
    if (t.size() != 36 || t[8] != '-' || t[13] != '-' || t[18] != '-' || t[23] != '-') return false;
    uint32_t d1 = 0;
    uint16_t d2 = 0, d3 = 0;
    if (!parseWhole(t.substr(0, 8), d1, 16) || !parseWhole(t.substr(9, 4), d2, 16) ||
        !parseWhole(t.substr(14, 4), d3, 16)) {
        return false;
    }
    writeUnsigned(d1, 4, Endian::little, out);
    writeUnsigned(d2, 2, Endian::little, out + 4);
    writeUnsigned(d3, 2, Endian::little, out + 6);
    const size_t at[8] = {19, 21, 24, 26, 28, 30, 32, 34};
    for (int i = 0; i < 8; ++i) {
        if (!parseWhole(t.substr(at[i], 2), out[8 + i], 16)) return false;
    }
    return true;
}

// The OLE date as its number of days.
bool encodeOleNumber(std::string_view t, uint8_t* out) {
    uint64_t bits = 0;
    double d;
    if (!parseFloatBits(t, 8, bits)) return false;
    std::memcpy(&d, &bits, sizeof d);
    if (!inOleRange(d)) return false;
    writeUnsigned(bits, 8, Endian::little, out);
    return true;
}

// "R, G, B" writes three bytes and keeps the fourth; "R, G, B, X" writes four.
uint32_t encodeColor(std::string_view t, uint8_t* out) {
    uint32_t n = 0;
    for (; n < 4; ++n) {
        const size_t comma = t.find(',');
        uint64_t part = 0;
        if (!parseInteger(trimmed(t.substr(0, comma)), 1, false, part)) return 0;
        out[n] = static_cast<uint8_t>(part);
        if (comma == t.npos) break;
        t.remove_prefix(comma + 1);
    }
    return n == 2 || n == 3 ? n + 1 : 0;
}

uint32_t utf8Of(uint32_t cp, uint8_t* out) {
    if (cp < 0x80) {
        out[0] = static_cast<uint8_t>(cp);
        return 1;
    }
    const uint32_t n = cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
    for (uint32_t i = n - 1; i > 0; --i, cp >>= 6) out[i] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
    out[0] = static_cast<uint8_t>((0xF00 >> n) | cp);
    return n;
}

uint32_t encodeCharacter(InspectRow row, Endian e, std::string_view t, uint8_t* out) {
    if (row == InspectRow::shiftJis) {
        // The code: "0x" and two digits for a single byte, four for a pair.
        uint16_t code = 0;
        const bool isCode = (t.size() == 4 || t.size() == 6) && startsWithNoCase(t, "0x") &&
                            parseWhole(t.substr(2), code, 16);
        const uint8_t fromCode[2] = {static_cast<uint8_t>(t.size() == 6 ? code >> 8 : code),
                                     static_cast<uint8_t>(code)};
        const auto* p = isCode ? fromCode : reinterpret_cast<const uint8_t*>(t.data());
        const size_t n = isCode ? (t.size() - 2) / 2 : t.size();
        if (n == 2 && isShiftJisLead(p[0]) && isShiftJisTrail(p[1])) {
            std::memcpy(out, p, 2);
            return 2;
        }
        if (n == 1 && (p[0] < 0x80 || (p[0] >= 0xA1 && p[0] <= 0xDF))) {
            out[0] = p[0];
            return 1;
        }
        return 0;
    }
    uint32_t cp = 0;
    if (!parseCodePoint(t, cp)) return 0;
    if (row == InspectRow::utf16) {
        if (cp < 0x10000) {
            writeUnsigned(cp, 2, e, out);
            return 2;
        }
        writeUnsigned(0xD800 + ((cp - 0x10000) >> 10), 2, e, out);
        writeUnsigned(0xDC00 + ((cp - 0x10000) & 0x3FF), 2, e, out + 2);
        return 4;
    }
    return utf8Of(cp, out);
}

// The code point of a UTF row's character.
uint32_t codePointOf(const InspectValue& v) {
    const uint32_t high = v.wide[0];
    if (high < 0xD800 || high > 0xDBFF) return high;
    return 0x10000 + ((high - 0xD800) << 10) + (static_cast<uint32_t>(v.wide[1]) - 0xDC00);
}

}  // namespace

bool hasBothEndians(InspectRow row) {
    switch (row) {
        case InspectRow::int16:
        case InspectRow::uint16:
        case InspectRow::int32:
        case InspectRow::uint32:
        case InspectRow::int64:
        case InspectRow::uint64:
        case InspectRow::float32:
        case InspectRow::float64:
        case InspectRow::utf16: return true;
        default: return false;
    }
}

InspectValue inspectValue(const uint8_t* bytes, size_t size, size_t offset, InspectRow row, Endian endian) {
    InspectValue v{};
    v.length = static_cast<uint32_t>(fixedLength(row));
    if (bytes == nullptr || offset >= size) {
        v.kind = InspectKind::pastEnd;
        return v;
    }
    const uint8_t* p = bytes + offset;
    const size_t available = size - offset;
    const Endian e = hasBothEndians(row) ? endian : Endian::little;
    switch (row) {
        case InspectRow::shiftJis: showShiftJis(bytes, size, offset, v); break;
        case InspectRow::utf8: showUtf8(p, available, v); break;
        case InspectRow::utf16: showUtf16(p, available, e, v); break;
        default:
            if (available < v.length)
                v.kind = InspectKind::pastEnd;
            else
                showFixed(p, row, e, v);
            break;
    }
    return v;
}

EncodedValue encodeValue(InspectRow row, Endian endian, std::string_view text) {
    EncodedValue out{};
    const bool character = row == InspectRow::shiftJis || row == InspectRow::utf8 || row == InspectRow::utf16;
    std::string_view t = trimmed(text);
    if (character && t.empty() && text == " ") t = text;
    const Endian e = hasBothEndians(row) ? endian : Endian::little;
    const int n = fixedLength(row);
    out.length = static_cast<uint32_t>(n);
    uint64_t bits = 0;
    DateTime date{};
    switch (row) {
        case InspectRow::binary: out.ok = !t.empty() && t.size() <= 8 && parseWhole(t, out.bytes[0], 2); break;
        case InspectRow::float32:
        case InspectRow::float64:
            if ((out.ok = parseFloatBits(t, n, bits))) writeUnsigned(bits, n, e, out.bytes);
            break;
        case InspectRow::shiftJis:
        case InspectRow::utf8:
        case InspectRow::utf16:
            out.length = encodeCharacter(row, e, t, out.bytes);
            out.ok = out.length != 0;
            break;
        case InspectRow::time32:
        case InspectRow::time64:
        case InspectRow::fileTime:
        case InspectRow::dosDateTime:
        case InspectRow::oleDate:
            if (row == InspectRow::oleDate && t.find('/') == t.npos) {
                out.ok = encodeOleNumber(t, out.bytes);
                break;
            }
            out.ok = parseDateTime(t, date) && encodeDate(row, date, out.bytes);
            break;
        case InspectRow::guid: out.ok = encodeGuid(t, out.bytes); break;
        case InspectRow::colorRef:
            out.length = encodeColor(t, out.bytes);
            out.ok = out.length != 0;
            break;
        default:
            if ((out.ok = parseInteger(t, n, isSignedRow(row), bits))) writeUnsigned(bits, n, e, out.bytes);
            break;
    }
    out.span = out.ok ? std::max<uint32_t>(out.length, static_cast<uint32_t>(n)) : 0;
    if (!out.ok) out.length = 0;
    return out;
}

std::string typedText(const InspectValue& v, InspectRow row, bool asCode) {
    if (v.kind != InspectKind::value) return {};
    // A space would be trimmed away or hard to see: its code instead.
    switch (row) {
        case InspectRow::shiftJis:
            if (!asCode && v.character[0] != '\0' && v.character[0] != ' ') return v.character;
            return std::string("0x") + v.text;
        case InspectRow::utf8:
        case InspectRow::utf16: {
            if (asCode || v.wide[0] == 0 || v.wide[0] == u' ') return v.text;
            uint8_t bytes[4];
            const uint32_t n = utf8Of(codePointOf(v), bytes);
            return std::string(reinterpret_cast<const char*>(bytes), n);
        }
        default: return v.text;
    }
}
