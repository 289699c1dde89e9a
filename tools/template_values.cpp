// What a template's leaf fields show and take: numbers and dates through the
// data inspector's codecs, texts with \xNN escapes for what is no character,
// enums by name. Also the messages' wording and the match lines.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "document/shift_jis.h"
#include "platform/platform.h"
#include "tools/template_values.h"

namespace {

const char kHex[] = "0123456789ABCDEF";

void appendEscape(std::string& out, uint8_t b) {
    out += "\\x";
    out += kHex[b >> 4];
    out += kHex[b & 15];
}

// Plain ASCII stays, the backslash doubles, controls are escaped.
bool appendAscii(std::string& out, uint8_t b) {
    if (b == '\\') {
        out += "\\\\";
        return true;
    }
    if (b >= 0x20 && b < 0x7F) {
        out += static_cast<char>(b);
        return true;
    }
    return false;
}

// Length of the valid UTF-8 sequence at p (1..4), or 0.
size_t utf8Length(const uint8_t* p, size_t n) {
    const uint8_t b = p[0];
    if (b < 0x80) return 1;
    size_t len;
    uint32_t cp;
    if (b >= 0xC2 && b <= 0xDF) {
        len = 2;
        cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        len = 3;
        cp = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        len = 4;
        cp = b & 0x07;
    } else {
        return 0;
    }
    if (n < len) return 0;
    for (size_t i = 1; i < len; ++i) {
        if ((p[i] & 0xC0) != 0x80) return 0;
        cp = cp << 6 | (p[i] & 0x3F);
    }
    const uint32_t smallest = len == 2 ? 0x80 : len == 3 ? 0x800 : 0x10000;
    if (cp < smallest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

void appendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | cp >> 6);
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | cp >> 12);
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | cp >> 18);
        out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

uint16_t unitAt(const uint8_t* p, Endian e) {
    return static_cast<uint16_t>(e == Endian::big ? p[0] << 8 | p[1] : p[1] << 8 | p[0]);
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Undoes the escapes the shown text uses: \\, \xNN and (UTF-16) \uNNNN,
// which comes back as its UTF-8 form or, for a lone surrogate, as the marker
// byte 0xFF and the two bytes of the unit.
bool unescape(std::string_view text, bool units, std::string& out) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (i + 1 >= text.size()) return false;
        const char e = text[i + 1];
        if (e == '\\') {
            out += '\\';
            ++i;
        } else if (e == 'x' && i + 3 < text.size() + 0 && hexValue(text[i + 2]) >= 0 && hexValue(text[i + 3]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 2]) << 4 | hexValue(text[i + 3]));
            i += 3;
        } else if (e == 'u' && units && i + 5 < text.size()) {
            uint32_t unit = 0;
            for (size_t k = 2; k < 6; ++k) {
                const int d = hexValue(text[i + k]);
                if (d < 0) return false;
                unit = unit << 4 | static_cast<uint32_t>(d);
            }
            if (unit >= 0xD800 && unit <= 0xDFFF) {
                out += '\xFF';
                out += static_cast<char>(unit >> 8);
                out += static_cast<char>(unit & 0xFF);
            } else {
                appendUtf8(out, unit);
            }
            i += 5;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

// ---------------------------------------------------------------- numbers

bool inspectRowOf(FieldType t, InspectRow& row) {
    static const InspectRow rows[] = {
        InspectRow::uint8,  InspectRow::uint16, InspectRow::uint32,   InspectRow::uint64,      InspectRow::int8,
        InspectRow::int16,  InspectRow::int32,  InspectRow::int64,    InspectRow::float32,     InspectRow::float64,
        InspectRow::time32, InspectRow::time64, InspectRow::fileTime, InspectRow::dosDateTime, InspectRow::oleDate,
        InspectRow::guid,   InspectRow::colorRef,
    };
    const auto i = static_cast<size_t>(t);
    if (i >= sizeof rows / sizeof rows[0]) return false;
    row = rows[i];
    return true;
}

bool hasByteOrder(FieldType t) {
    return (fixedTypeSize(t) > 1 && t != FieldType::guid && t != FieldType::colorref && !isTextType(t)) ||
           t == FieldType::utf16;
}

InspectValue showNumber(const uint8_t* bytes, size_t size, uint64_t offset, FieldType t, Endian e) {
    InspectRow row = InspectRow::uint8;
    inspectRowOf(t, row);
    // The dates read little endian only: a big-endian one is read turned around.
    if (e == Endian::big && hasByteOrder(t) && !hasBothEndians(row)) {
        const uint32_t n = fixedTypeSize(t);
        uint8_t turned[8] = {};
        if (offset > size || size - offset < n) return inspectValue(bytes, size, size, row, Endian::little);
        for (uint32_t i = 0; i < n; ++i) turned[i] = bytes[offset + n - 1 - i];
        return inspectValue(turned, n, 0, row, Endian::little);
    }
    return inspectValue(bytes, size, static_cast<size_t>(offset), row, e);
}

bool encodeNumber(FieldType t, Endian e, std::string_view text, std::vector<uint8_t>& out) {
    InspectRow row = InspectRow::uint8;
    if (!inspectRowOf(t, row)) return false;
    const EncodedValue v = encodeValue(row, e, text);
    if (!v.ok || v.length != fixedTypeSize(t)) return false;
    out.assign(v.bytes, v.bytes + v.length);
    if (e == Endian::big && hasByteOrder(t) && !hasBothEndians(row)) std::reverse(out.begin(), out.end());
    return true;
}

// ---------------------------------------------------------------- texts

std::string showText(const uint8_t* p, size_t n, FieldType t, Endian e, size_t limit) {
    std::string out;
    if (t == FieldType::utf16) {
        for (size_t i = 0; i + 1 < n && out.size() < limit; i += 2) {
            const uint16_t u = unitAt(p + i, e);
            if (u == 0) break;
            if (u >= 0xD800 && u <= 0xDBFF && i + 3 < n) {
                const uint16_t low = unitAt(p + i + 2, e);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    appendUtf8(out, 0x10000 + ((u - 0xD800u) << 10) + (low - 0xDC00u));
                    i += 2;
                    continue;
                }
            }
            if ((u >= 0xD800 && u <= 0xDFFF) || u < 0x20 || u == 0x7F) {
                out += "\\u";
                for (int s = 12; s >= 0; s -= 4) out += kHex[u >> s & 15];
            } else if (u == '\\') {
                out += "\\\\";
            } else {
                appendUtf8(out, u);
            }
        }
        if (n % 2 != 0 && out.size() < limit) appendEscape(out, p[n - 1]);
    } else {
        const bool shiftJis = t == FieldType::sjis || t == FieldType::sjisz;
        for (size_t i = 0; i < n && out.size() < limit; ++i) {
            const uint8_t b = p[i];
            if (b == 0) break;
            if (appendAscii(out, b)) continue;
            if (shiftJis) {
                if (isShiftJisLead(b) && i + 1 < n && isShiftJisTrail(p[i + 1])) {
                    out += static_cast<char>(b);
                    out += static_cast<char>(p[++i]);
                    continue;
                }
                if (b >= 0xA1 && b <= 0xDF) {
                    out += static_cast<char>(b);
                    continue;
                }
            } else if (const size_t len = b >= 0x80 ? utf8Length(p + i, n - i) : 0; len > 0) {
                out.append(reinterpret_cast<const char*>(p + i), len);
                i += len - 1;
                continue;
            }
            appendEscape(out, b);
        }
    }
    if (out.size() >= limit) out += "...";
    return out;
}

bool encodeText(FieldType t, Endian e, std::string_view text, std::vector<uint8_t>& out) {
    std::string raw;
    if (!unescape(text, t == FieldType::utf16, raw)) return false;
    out.clear();
    if (t != FieldType::utf16) {
        out.assign(raw.begin(), raw.end());
        return true;
    }
    const auto* p = reinterpret_cast<const uint8_t*>(raw.data());
    auto put = [&](uint32_t unit) {
        const auto hi = static_cast<uint8_t>(unit >> 8), lo = static_cast<uint8_t>(unit);
        out.push_back(e == Endian::big ? hi : lo);
        out.push_back(e == Endian::big ? lo : hi);
    };
    for (size_t i = 0; i < raw.size();) {
        if (p[i] == 0xFF && i + 2 < raw.size()) {  // a lone surrogate from \uNNNN
            put(static_cast<uint32_t>(p[i + 1]) << 8 | p[i + 2]);
            i += 3;
            continue;
        }
        const size_t len = utf8Length(p + i, raw.size() - i);
        if (len == 0) return false;
        uint32_t cp = len == 1 ? p[i] : static_cast<uint32_t>(p[i] & (0x7F >> len));
        for (size_t k = 1; k < len; ++k) cp = cp << 6 | (p[i + k] & 0x3F);
        if (cp >= 0x10000) {
            put(0xD800 + ((cp - 0x10000) >> 10));
            put(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            put(cp);
        }
        i += len;
    }
    return true;
}

std::string hexPreview(const uint8_t* p, size_t n, size_t shown) {
    std::string out;
    for (size_t i = 0; i < n && i < shown; ++i) {
        if (i > 0) out += ' ';
        out += kHex[p[i] >> 4];
        out += kHex[p[i] & 15];
    }
    if (n > shown) out += " ...";
    return out;
}

// ---------------------------------------------------------------- messages

std::string templateMessageText(TemplateMessage message, std::string_view detail) {
    char format[260];
    if (message == TemplateMessage::none || loadText(static_cast<int>(message), format, sizeof format) == 0) return {};
    std::string out = format;
    const size_t at = out.find("%s");
    if (at != std::string::npos) out.replace(at, 2, detail);
    return out;
}

std::string templateErrorText(const TemplateError& error) {
    char format[260];
    if (error.line == 0 || loadText(IDS_TEMPLATE_ERROR_AT, format, sizeof format) == 0) return {};
    char place[64];
    std::string out = format;
    const size_t at = out.find("%d, ");
    const size_t second = out.find("%d", at + 2);
    const size_t text = out.find("%s");
    if (at == std::string::npos || second == std::string::npos || text == std::string::npos) return {};
    std::snprintf(place, sizeof place, "%d", error.column);
    out.replace(text, 2, templateMessageText(error.message, error.detail));
    out.replace(second, 2, place);
    std::snprintf(place, sizeof place, "%d", error.line);
    out.replace(at, 2, place);
    return out;
}

// ---------------------------------------------------------------- matching

namespace {

char folded(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Characters of a name in the process code page: a Shift-JIS pair is one.
size_t characterLength(std::string_view s, size_t i) {
    return isShiftJisLead(static_cast<uint8_t>(s[i])) && i + 1 < s.size() ? 2 : 1;
}

// `*` any run of characters, `?` one character; ASCII letters in either case.
bool wildcardMatch(std::string_view pattern, std::string_view name) {
    size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = ++p;
            starN = n;
            continue;
        }
        if (p < pattern.size()) {
            const size_t pl = characterLength(pattern, p), nl = characterLength(name, n);
            const bool one = pattern[p] == '?';
            const bool same = pl == nl && (pl == 1 ? folded(pattern[p]) == folded(name[n])
                                                   : pattern.substr(p, 2) == name.substr(n, 2));
            if (one || same) {
                p += pl;
                n += nl;
                continue;
            }
        }
        if (starP == std::string_view::npos) return false;
        p = starP;
        starN += characterLength(name, starN);
        n = starN;
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

// The last part of a path; a 0x5C that is the second byte of a pair is no separator.
std::string_view lastPart(std::string_view path) {
    size_t start = 0;
    for (size_t i = 0; i < path.size(); i += characterLength(path, i)) {
        if (path[i] == '\\' || path[i] == '/' || path[i] == ':') start = i + 1;
    }
    return path.substr(start);
}

}  // namespace

bool templateApplies(const TemplateProgram& program, std::string_view fileName, const uint8_t* bytes, size_t size) {
    const std::string_view name = lastPart(fileName);
    for (const MatchRule& m : program.matches) {
        if (m.at < 0) {
            if (wildcardMatch(m.pattern, name)) return true;
            continue;
        }
        int64_t at = 0;
        if (!evaluateConstant(program, m.at, bytes, size, at) || at < 0) continue;
        const auto offset = static_cast<uint64_t>(at);
        if (offset <= size && size - offset >= m.bytes.size() &&
            (m.bytes.empty() || std::memcmp(bytes + offset, m.bytes.data(), m.bytes.size()) == 0)) {
            return true;
        }
    }
    return false;
}

std::vector<size_t> templatesThatApply(const std::vector<TemplateSource>& sources, std::string_view fileName,
                                       const uint8_t* bytes, size_t size) {
    std::vector<size_t> out;
    for (size_t i = 0; i < sources.size(); ++i) {
        const TemplateParse parsed = parseTemplate(sources[i].text);
        if (parsed.program != nullptr && templateApplies(*parsed.program, fileName, bytes, size)) out.push_back(i);
    }
    return out;
}
