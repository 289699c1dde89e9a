// Structure templates: the parser's accepted forms and errors with their
// places, layouts worked out by hand, editing, matching and the shipped
// templates over samples built here.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/template.h"

namespace {

using M = TemplateMessage;

std::vector<uint8_t> hex(const std::string& text) {
    std::vector<uint8_t> out;
    std::string digits;
    for (char c : text) {
        if (c != ' ') digits += c;
    }
    for (size_t i = 0; i + 1 < digits.size(); i += 2) {
        out.push_back(static_cast<uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
    }
    return out;
}

std::string hexOf(const std::vector<uint8_t>& bytes) {
    std::string s;
    char b[4];
    for (uint8_t v : bytes) {
        std::snprintf(b, sizeof b, "%02X", v);
        s += b;
    }
    return s;
}

// One line a node: "name type = value @offset+size !note(detail)", children indented.
void dump(TemplateTree& tree, const TemplateNode* node, int depth, int maxDepth, std::string& out) {
    for (uint64_t k = 0; k < tree.childCount(node); ++k) {
        const TemplateNode* c = tree.child(node, k);
        const TemplateNodeInfo i = tree.info(c);
        out += std::string(2 * static_cast<size_t>(depth), ' ') + i.name + (i.typeName.empty() ? "" : " " + i.typeName);
        if (!i.value.empty()) out += " = " + i.value;
        if (i.kind != TemplateNodeKind::note) out += " @" + std::to_string(i.offset) + "+" + std::to_string(i.size);
        if (i.note != M::none) out += " !" + std::to_string(static_cast<int>(i.note)) + "(" + i.noteDetail + ")";
        out += "\n";
        if (depth + 1 < maxDepth) dump(tree, c, depth + 1, maxDepth, out);
    }
}

std::string note(M m, const char* detail = "") { return " !" + std::to_string(static_cast<int>(m)) + "(" + detail + ")"; }

// The node at "a.[1].b", found by the children's names.
const TemplateNode* find(TemplateTree& tree, const std::string& path) {
    const TemplateNode* node = tree.root();
    std::stringstream parts(path);
    std::string part;
    while (node != nullptr && std::getline(parts, part, '.')) {
        const TemplateNode* found = nullptr;
        for (uint64_t k = 0; k < tree.childCount(node) && found == nullptr; ++k) {
            if (tree.info(tree.child(node, k)).name == part) found = tree.child(node, k);
        }
        node = found;
    }
    return node;
}

std::string pathOf(TemplateTree& tree, const TemplateNode* node) {
    std::string out;
    for (; node != nullptr && tree.parent(node) != nullptr; node = tree.parent(node)) {
        out = tree.info(node).name + (out.empty() ? "" : ".") + out;
    }
    return out;
}

std::shared_ptr<const TemplateProgram> parsed(const std::string& text) {
    TemplateParse p = parseTemplate(text);
    EXPECT_NE(p.program, nullptr) << text << "\n" << p.error.line << ":" << p.error.column;
    return p.program;
}

const char* const kByteOrders = "u16 a; be u16 b; big; u32 c; le u32 d;";
const char* const kNested =
    "enum K : u8 { a = 1, b = 2 };\n"
    "struct P { K k; u8 n; u8 v[n]; };\n"
    "u8 count; P ps[count];\n"
    "if (count == 2) { u8 two; } else { u16 other; }\n"
    "u8 last @ 1;";
const char* const kTexts = "sjis name[6]; char tag[3]; be utf16 w[2]; cstring s; utf8 u[4]; be time32 t;";
const char* const kTextBytes = "8376838C0000 415C01 30420041 686900 E38182FF 00015180";

}  // namespace

TEST(Template, ParsesEveryFormAndPlacesEachError) {
    struct Case {
        std::string text;
        int line, column;
        M message;
        const char* detail;
    };
    const Case cases[] = {
        {kNested, 0, 0, M::none, ""},
        {kTexts, 0, 0, M::none, ""},
        {"/* a */ little; // b\nstruct A { u8 x; };\nstruct B { A a; u8 y[a.x * (2 + 1) % 7]; if (!(a.x > 1 || y == 0)) "
         "{ big; } else if (parent.z) { } else { u8 z; } };\nB b @ 0x10;",
         0, 0, M::none, ""},
        {"match \"*.sav\"; match @ filesize() - 2 x\"55 AA\"; match @ 0 \"S\\x41\\\\\\\"\";", 0, 0, M::none, ""},
        {"struct C { u8 n; C next; }; C c[] while (here() < filesize() && u32at(here()) != 0xFFFFFFFF);\n"
         "enum E { x, y = -4, z, };",
         0, 0, M::none, ""},
        {"\xEF\xBB\xBFu8 a;", 0, 0, M::none, ""},
        {"u8 a$;", 1, 5, M::badCharacter, "$"},
        {"u8 a;\nmatch \"abc", 2, 7, M::unclosedString, ""},
        {"match @ 0 x\"41 4", 1, 11, M::unclosedString, ""},
        {"match @ 0 x\"41 4G\";", 1, 17, M::badCharacter, "G"},
        {"u8 a; /* ...", 1, 7, M::unclosedComment, ""},
        {"u8 a[0x];", 1, 6, M::badNumber, "0x"},
        {"u8 a[99999999999999999999];", 1, 6, M::badNumber, "99999999999999999999"},
        {"u8 a[12ab];", 1, 6, M::badNumber, "12ab"},
        {"u8 a\n", 2, 1, M::expected, ";"},
        {"struct S { u8 a; ", 1, 18, M::expected, "}"},
        {"u8 a[3;", 1, 7, M::expected, "]"},
        {"u8 ;", 1, 4, M::expectedName, ""},
        {"struct u8 { };", 1, 8, M::expectedName, ""},
        {"enum E { a = b };", 1, 14, M::expectedNumber, ""},
        {"u8 a[+];", 1, 7, M::expectedValue, ""},
        {"match 5;", 1, 7, M::expectedText, ""},
        {"u8 a;\n  Foo f;", 2, 3, M::unknownType, "Foo"},
        {"enum E : f32 { a };", 1, 10, M::unknownType, "f32"},
        {"struct A { u8 x; };\nenum A { b };", 2, 6, M::duplicateName, "A"},
        {"enum A { b }; enum B { b };", 1, 24, M::duplicateName, "b"},
        {"u8 a[" + std::string(40, '(') + "1" + std::string(40, ')') + "];", 1, 39, M::tooDeep, ""},
        {"u8 a[1" + [] {
             std::string s;
             for (int i = 0; i < 120; ++i) s += "+1";
             return s;
         }() + "];",
         1, 205, M::tooDeep, ""},
        {"u8 a[foo(1)];", 1, 6, M::unknownFunction, "foo"},
        {"char t[] while (1);", 1, 10, M::badLength, "t"},
    };
    for (const Case& c : cases) {
        const TemplateParse p = parseTemplate(c.text);
        EXPECT_EQ(p.program == nullptr, c.message != M::none) << c.text;
        EXPECT_EQ(p.error.message, c.message) << c.text;
        EXPECT_EQ(p.error.line, c.line) << c.text;
        EXPECT_EQ(p.error.column, c.column) << c.text;
        EXPECT_EQ(p.error.detail, c.detail) << c.text;
    }
    TemplateError e{3, 7, M::unknownType, "Foo"};
    EXPECT_EQ(templateErrorText(e), "行 3, 列 7: 型 'Foo' は定義されていません。");
}

TEST(Template, LaysOutFieldsAsWorkedOutByHand) {
    struct Case {
        const char* text;
        std::string bytes;
        std::string expected;
        int depth = 4;
        TemplateLimits limits = {};
    };
    const Case cases[] = {
        {kByteOrders, "0102 0102 00000100 00010000",
         "a u16 = 513 @0+2\nb be u16 = 258 @2+2\nc be u32 = 256 @4+4\nd u32 = 256 @8+4\n"},
        {kNested, "02 0102AABB 0700 09",
         "count u8 = 2 @0+1\n"
         "ps P[2] @1+6\n"
         "  [0] P @1+4\n    k K = a @1+1\n    n u8 = 2 @2+1\n    v u8[2] = AA BB @3+2\n      [0] u8 = 170 @3+1\n"
         "      [1] u8 = 187 @4+1\n"
         "  [1] P @5+2\n    k K = 7 @5+1\n    n u8 = 0 @6+1\n    v u8[0] @7+0\n"
         "two u8 = 9 @7+1\n"
         "last u8 = 1 @1+1\n"},
        {kNested, "01 0100 AABB",
         "count u8 = 1 @0+1\nps P[1] @1+2\n  [0] P @1+2\n    k K = a @1+1\n    n u8 = 0 @2+1\n    v u8[0] @3+0\n"
         "other u16 = 48042 @3+2\nlast u8 = 1 @1+1\n"},
        {kTexts, kTextBytes,
         "name sjis[6] = \x83\x76\x83\x8C @0+6\ntag char[3] = A\\\\\\x01 @6+3\nw be utf16[2] = \xE3\x81\x82" "A @9+4\n"
         "s cstring = hi @13+3\nu utf8[4] = \xE3\x81\x82\\xFF @16+4\nt be time32 = 1970/01/02 00:00:00 @20+4\n"},
        // Short of bytes: the array keeps what fits, and nothing after it is shown.
        {"u32 n; u8 data[n]; u8 after;", "10000000 0102", "n u32 = 16 @0+4\ndata u8[2] = 01 02 @4+2" + note(M::pastEnd) + "\n",
         1},
        {"u8 a; u16 b; u8 c;", "01 02", "a u8 = 1 @0+1\nb u16 @1+1" + note(M::pastEnd) + "\n"},
        {"u8 a[1/0]; u8 b;", "00", note(M::divisionByZero, "a") + "\n"},
        {"u8 x[0x7FFFFFFFFFFFFFFF * 2];", "00", note(M::overflow, "x") + "\n"},
        {"u8 huge[0x7FFFFFFFFFFFFFFF];", "000000", "huge u8[3] = 00 00 00 @0+3" + note(M::pastEnd) + "\n", 1},
        {"s8 n; u8 a[n];", "FF", "n s8 = -1 @0+1\n" + note(M::negativeCount, "a") + "\n"},
        {"u8 a[zz];", "00", note(M::unknownName, "zz") + "\n"},
        {"u8 x[parent.y];", "00", note(M::unknownName, "parent.y") + "\n"},
        {"u8 a; u8 b[a.c];", "00", "a u8 = 0 @0+1\n" + note(M::unknownName, "a.c") + "\n"},
        {"struct S { u8 a; }; S s; u8 x[s];", "00", "s S @0+1\n" + note(M::notANumber, "s") + "\n", 1},
        {"f32 f; u8 b[f];", "0000803F", "f f32 = 1 @0+4\n" + note(M::notANumber, "f") + "\n"},
        {"u8 n; u8 d[n << 70];", "01", "n u8 = 1 @0+1\n" + note(M::overflow, "d") + "\n"},
        {"if (1 / 0) { u8 a; }", "00", note(M::divisionByZero) + "\n"},
        {"u8 a @ 5;", "00", "a u8 @5+0" + note(M::pastEnd) + "\n"},
        {"struct A { u8 x; A next; }; A a;", std::string(200, '0'), "a A @0+48" + note(M::nestedTooDeep) + "\n", 1},
        {"struct E { if (0) { u8 z; } }; E es[];", "01", "es E[1] @0+0" + note(M::emptyElement) + "\n", 1},
        {"struct V { u8 n; u8 d[n]; }; V vs[];", std::string(2000, '0'), "vs V[33] @0+33" + note(M::tooLong, "vs") + "\n", 1,
         TemplateLimits{100, 48}},
        {"u8 a[2500];", std::string(5000, '0'), "a u8[2500] = 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 ... @0+2500\n"
         "  [0..999] @0+1000\n  [1000..1999] @1000+1000\n  [2000..2499] @2000+500\n", 2},
        {"struct S { u8 n; u8 d[n]; }; S s[] while (u8at(here()) != 0xFF); u8 end;",
         "00 01AA 02BBCC FF",
         "s S[3] @0+6\n  [0] S @0+1\n  [1] S @1+2\n  [2] S @3+3\nend u8 = 255 @6+1\n", 2},
        {"struct H { u8 len; char t[len]; }; H h; if (h.t == \"ab\" && h.len == 2) { u8 yes; } u8 k @ h.len;",
         "02 6162 07", "h H @0+3\nyes u8 = 7 @3+1\nk u8 = 98 @2+1\n", 1},
        {"cstring names[3]; u8 after; sjisz j; cstring open;", "6100 626300 00 07 8341805C00 4142",
         "names cstring[3] @0+6\n  [0] cstring = a @0+2\n  [1] cstring = bc @2+3\n  [2] cstring @5+1\n"
         "after u8 = 7 @6+1\nj sjisz = \x83\x41\\x80\\\\ @7+5\nopen cstring = AB @12+2" + note(M::pastEnd) + "\n"},
        {"char rest[]; utf16 odd[];", "414243", "rest char[3] = ABC @0+3\nodd utf16[0] @3+0\n"},
        {"le utf16 w[3];", "00D8 4100 0000", "w utf16[3] = \\uD800A @0+6\n"},
        {"struct C { u8 v; }; struct B { C c; }; struct A { B b; }; A a; u8 x[a.b.c.v];", "02 AABB",
         "a A @0+1\nx u8[2] = AA BB @1+2\n", 1},
        {"struct In { u8 v; u8 w[parent.n]; }; struct Out { u8 n; In in; }; Out o;", "02 09 AABB",
         "o Out @0+4\n  n u8 = 2 @0+1\n  in In @1+3\n    v u8 = 9 @1+1\n    w u8[2] = AA BB @2+2\n", 3},
    };
    for (const Case& c : cases) {
        const auto program = parsed(c.text);
        if (program == nullptr) continue;
        const std::vector<uint8_t> bytes = hex(c.bytes);
        TemplateTree tree(program, bytes.data(), bytes.size(), c.limits);
        std::string out;
        dump(tree, tree.root(), 0, c.depth, out);
        EXPECT_EQ(out, c.expected) << c.text;
    }
}

TEST(Template, FindsTheInnermostNodeAtAnOffset) {
    const std::vector<uint8_t> bytes = hex("02 0102AABB 0700 09 00");
    TemplateTree tree(parsed(kNested), bytes.data(), bytes.size());
    const std::pair<uint64_t, const char*> cases[] = {
        {0, "count"}, {1, "ps.[0].k"}, {4, "ps.[0].v.[1]"}, {6, "ps.[1].n"}, {7, "two"}, {8, ""}, {9, ""},
    };
    for (const auto& [offset, path] : cases) EXPECT_EQ(pathOf(tree, tree.nodeAt(offset)), path) << offset;

    // Elements of several sizes, past the first kept offsets, and through groups.
    std::vector<uint8_t> many;
    for (int i = 0; i < 3000; ++i) {
        many.push_back(static_cast<uint8_t>(i % 3));
        many.insert(many.end(), i % 3, 0xEE);
    }
    TemplateTree walked(parsed("struct S { u8 n; u8 d[n]; }; S s[];"), many.data(), many.size());
    // Sizes run 1, 2, 3: element 2003 starts at 667 * 6 + 3 = 4005 (n), then d[0] and d[1].
    const TemplateNode* n = walked.nodeAt(4007);
    EXPECT_EQ(pathOf(walked, n), "s.[2000..2999].[2003].d.[1]");
    EXPECT_EQ(walked.nodeAtPath(walked.path(n)), n);
    EXPECT_EQ(walked.info(n).offset, 4007u);
}

TEST(Template, EncodesTypedValuesOfEachKind) {
    struct Case {
        const char* text;
        std::string bytes;
        const char* path;
        const char* typed;
        std::string expected;  // hex, or the refusal's message number
        const char* startsWith = nullptr;
    };
    const std::string nested = "02 0102AABB 0700 09";
    const Case cases[] = {
        {kByteOrders, "0102 0102 00000100 00010000", "a", "258", "0201", "513"},
        {kByteOrders, "0102 0102 00000100 00010000", "b", " 0x1234 ", "1234", "258"},
        {kByteOrders, "0102 0102 00000100 00010000", "a", "70000", "#" + std::to_string(int(M::badValue))},
        {kNested, nested, "ps.[0].k", "b", "02", "a"},
        {kNested, nested, "ps.[1].k", "9", "09", "7"},
        {kNested, nested, "ps.[0].k", "c", "#" + std::to_string(int(M::badValue))},
        {kNested, nested, "ps.[0]", "1", "#" + std::to_string(int(M::notEditable))},
        {kTexts, kTextBytes, "name", "\x83\x41", "834100000000", "\x83\x76\x83\x8C"},
        {kTexts, kTextBytes, "name", "1234567", "#" + std::to_string(int(M::textTooLong))},
        {kTexts, kTextBytes, "tag", "\\x00\\\\Z", "005C5A", "A\\\\\\x01"},
        {kTexts, kTextBytes, "tag", "\\q", "#" + std::to_string(int(M::badValue))},
        {kTexts, kTextBytes, "w", "H\xE3\x81\x82", "00483042", "\xE3\x81\x82" "A"},
        {kTexts, kTextBytes, "s", "ok", "6F6B00", "hi"},
        {kTexts, kTextBytes, "s", "o", "#" + std::to_string(int(M::badValue))},
        {kTexts, kTextBytes, "t", "1970/01/01 00:01:00", "0000003C", "1970/01/02 00:00:00"},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> bytes = hex(c.bytes);
        TemplateTree tree(parsed(c.text), bytes.data(), bytes.size());
        const TemplateNode* node = find(tree, c.path);
        ASSERT_NE(node, nullptr) << c.path;
        const TemplateFieldEdit edit = tree.fieldEdit(node);
        if (c.startsWith != nullptr) {
            EXPECT_EQ(edit.text, c.startsWith) << c.path;
        }
        const TemplateEncoded e = encodeFieldValue(tree, node, c.typed);
        EXPECT_EQ(e.ok ? hexOf(e.bytes) : "#" + std::to_string(int(e.message)), c.expected) << c.path << " " << c.typed;
        if (e.ok) {
            EXPECT_EQ(e.bytes.size(), tree.info(node).size);
        }
    }
}

TEST(Template, AppliesByFileNameOrBytes) {
    struct Case {
        const char* text;
        const char* name;
        std::string bytes;
        bool applies;
    };
    const Case cases[] = {
        {"match \"*.sav\";", "C:\\games\\ONE.SAV", "", true},
        {"match \"*.sav\";", "one.sav.bak", "", false},
        {"match \"\x95\x5C*\";", "C:\\x\\\x95\x5C.dat", "", true},  // the pair's 0x5C is no separator
        {"match \"?.sav\";", "\x95\x5C.sav", "", true},
        {"match \"a*b*c\";", "AxxBxxbC", "", true},
        {"match @ 0 \"SAVE\";", "x", "53415645 00", true},
        {"match @ 0 \"SAVE\";", "x", "534156", false},
        {"match @ filesize() - 2 x\"55AA\"; match \"*.bin\";", "x", "00 55AA", true},
        {"match @ u8at(0) \"A\";", "x", "02 00 41", true},
        {"match @ u8at(9) \"A\";", "x", "02 00 41", false},
        {"u8 a;", "a.sav", "00", false},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> bytes = hex(c.bytes);
        EXPECT_EQ(templateApplies(*parsed(c.text), c.name, bytes.data(), bytes.size()), c.applies) << c.text;
    }
    const std::vector<TemplateSource> sources = {
        {"broken.mxt", "match \"*\"; u8"}, {"any.mxt", "match \"*\";"}, {"none.mxt", "match \"*.png\";"}};
    EXPECT_EQ(templatesThatApply(sources, "a.sav", nullptr, 0), std::vector<size_t>{1});
}

TEST(Template, ShippedTemplatesShowTheirSamples) {
    auto le = [](uint64_t v, int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s.push_back(static_cast<char>(v >> (8 * i)));
        return s;
    };
    auto be = [](uint64_t v, int n) {
        std::string s;
        for (int i = n - 1; i >= 0; --i) s.push_back(static_cast<char>(v >> (8 * i)));
        return s;
    };
    std::string save = "SAVE" + le(2, 4) + le(2, 4);
    for (int e = 0; e < 2; ++e) {
        save += std::string("\x83\x76\x83\x8C\x83\x43\x83\x84\x81\x5B\0\0", 12) + be(100 + e, 4) +
                le(116444736000000000ull, 8) + le(2, 2) + "\x01\x05" + le(16, 2) + "\x02\x01" + le(300, 2);
    }
    save.resize(0x1FC, '\0');
    save += le(0x78, 4);
    const std::string bmp = "BM" + le(62 + 8, 4) + le(0, 4) + le(62, 4) + le(40, 4) + le(2, 4) + le(2, 4) + le(1, 2) +
                            le(1, 2) + le(0, 4) + le(8, 4) + std::string(16, '\0') + le(0x00FFFFFF, 4) + le(0xFF, 4) + le(0, 8);
    const std::string wav = "RIFF" + le(4 + 24 + 12, 4) + "WAVE" + "fmt " + le(16, 4) + le(1, 2) + le(2, 2) +
                            le(44100, 4) + le(176400, 4) + le(4, 2) + le(16, 2) + "data" + le(3, 4) + "abc" + std::string(1, '\0');
    const std::string png = std::string("\x89PNG\r\n\x1A\n", 8) + be(13, 4) + "IHDR" + be(16, 4) + be(9, 4) +
                            std::string("\x08\x06\0\0\0", 5) + be(0x12345678, 4) + be(0, 4) + "IEND" + be(0xAE426082, 4);
    const std::string zip = "PK\x03\x04" + le(20, 2) + le(0, 2) + le(0, 2) + le(0x5A210000, 4) + le(0, 4) + le(3, 4) +
                            le(3, 4) + le(5, 2) + le(0, 2) + "a.txt" + "xyz" + "PK\x03\x04" + le(20, 2) + le(0, 2) +
                            le(8, 2) + le(0, 4) + le(0, 4) + le(0, 4) + le(0, 4) + le(1, 2) + le(0, 2) + "b" +
                            "PK\x01\x02";
    struct Case {
        const char* file;
        const std::string& sample;
        const char* name;
        std::vector<std::pair<const char*, const char*>> values;
    };
    const Case cases[] = {
        {"save.mxt", save, "GAME.SAV",
         {{"save.magic", "SAVE"},
          {"save.entries.[1].name", "\x83\x76\x83\x8C\x83\x43\x83\x84\x81\x5B"},
          {"save.entries.[1].score", "101"},
          {"save.entries.[0].saved", "1970/01/01 00:00:00"},
          {"save.entries.[1].items.[1].kind", "shield"},
          {"save.entries.[1].items.[1].price", "300"},
          {"save.checksum", "120"}}},
        {"bmp.mxt", bmp, "a.bmp",
         {{"info.width", "2"}, {"info.compression", "rgb"}, {"colors.[0].red", "255"}, {"pixels", "00 00 00 00 00 00 00 00"}}},
        {"wav.mxt", wav, "a.wav",
         {{"riff.chunks.[0].format", "pcm"}, {"riff.chunks.[0].samplesPerSecond", "44100"},
          {"riff.chunks.[1].data", "61 62 63"}, {"riff.chunks.[1].pad", "0"}}},
        {"png.mxt", png, "a.png",
         {{"chunks.[0].width", "16"}, {"chunks.[0].colorType", "rgba"}, {"chunks.[1].type", "IEND"},
          {"chunks.[1].crc", "2923585666"}}},
        {"zip.mxt", zip, "a.zip",
         {{"files.[0].name", "a.txt"}, {"files.[0].modified", "2025/01/01 00:00:00"}, {"files.[0].data", "78 79 7A"},
          {"files.[1].method", "deflated"}, {"files.[1].name", "b"}}},
    };
    for (const Case& c : cases) {
        std::ifstream in(std::string(MOXEL_SOURCE_DIR) + "/resources/templates/" + c.file, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        const auto program = parsed(text.str());
        ASSERT_NE(program, nullptr) << c.file;
        const auto* bytes = reinterpret_cast<const uint8_t*>(c.sample.data());
        EXPECT_TRUE(templateApplies(*program, c.name, bytes, c.sample.size())) << c.file;
        TemplateTree tree(program, bytes, c.sample.size());
        for (const auto& [path, value] : c.values) {
            const TemplateNode* node = find(tree, path);
            EXPECT_EQ(node == nullptr ? "(none)" : tree.info(node).value, value) << c.file << " " << path;
        }
    }
}

TEST(Template, PlacesEveryElementOfLongArraysAsAWalkDoes) {
    // Records of 1 to 8 bytes: element i of a large array, reached through its
    // groups and by its offset, sits where a plain walk puts it.
    std::vector<uint8_t> bytes;
    std::vector<uint64_t> starts;
    uint32_t seed = 7;
    while (bytes.size() < 200000) {
        seed = seed * 1103515245 + 12345;
        starts.push_back(bytes.size());
        const uint8_t n = static_cast<uint8_t>(seed >> 16) % 8;
        bytes.push_back(n);
        bytes.insert(bytes.end(), n, 0x55);
    }
    TemplateTree tree(parsed("struct R { u8 n; u8 d[n]; }; R r[];"), bytes.data(), bytes.size());
    const TemplateNode* array = tree.child(tree.root(), 0);
    ASSERT_EQ(tree.info(array).typeName, "R[" + std::to_string(starts.size()) + "]");
    for (size_t i = 0; i < starts.size(); i += 1 + i / 3) {
        const TemplateNode* e = tree.child(tree.child(array, i / 1000), i % 1000);
        EXPECT_EQ(tree.info(e).offset, starts[i]) << i;
        EXPECT_EQ(tree.info(e).size, 1u + bytes[starts[i]]) << i;
        EXPECT_EQ(tree.nodeAt(starts[i]), tree.child(e, 0)) << i;
    }

    // Ten million elements open at once: groups of groups, the last element at its place.
    std::vector<uint8_t> big(10000000, 0xA5);
    TemplateTree wide(parsed("u8 data[filesize()]; u32 after;"), big.data(), big.size());
    const TemplateNode* data = wide.child(wide.root(), 0);
    EXPECT_EQ(wide.childCount(data), 10u);
    const TemplateNode* last = wide.child(wide.child(wide.child(data, 9), 999), 999);
    EXPECT_EQ(wide.info(last).name, "[9999999]");
    EXPECT_EQ(wide.info(last).offset, 9999999u);
    EXPECT_EQ(wide.nodeAt(9999999), last);
    EXPECT_EQ(wide.info(wide.child(wide.root(), 1)).note, M::pastEnd);

    // A field placed beyond its struct's own bytes is still found at its place.
    std::vector<uint8_t> save(0x200, 0);
    std::memcpy(save.data(), "SAVE\x01\0\0\0\0\0\0\0", 12);
    TemplateTree placed(parsed("struct S { char m[4]; u32 v; u32 n; u32 sum @ 0x1FC; }; S s @ 0;"), save.data(),
                        save.size());
    EXPECT_EQ(pathOf(placed, placed.nodeAt(0x1FD)), "s.sum");
    EXPECT_EQ(pathOf(placed, placed.nodeAt(0x100)), "");
}
