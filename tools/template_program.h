// The parsed form of a structure template, shared by the parser, the
// evaluator and the matching. Not for the pane: it uses tools/template.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/template.h"

enum class FieldType : uint8_t {
    u8, u16, u32, u64, s8, s16, s32, s64, f32, f64,
    time32, time64, filetime, dosdatetime, oledate, guid, colorref,
    // Texts: fixed length in units (bytes; utf16: two-byte units), or ending at a zero.
    chr, sjis, utf8, utf16, cstring, sjisz,
    structure, enumeration,
};

bool isTextType(FieldType t);
bool isZeroEnded(FieldType t);
bool isIntegerType(FieldType t);
// The keyword of a built-in type ("u32"); empty for structs and enums.
const char* typeNameOf(FieldType t);
// Bytes of one value of a type of fixed size (0: structs, zero-ended texts).
uint32_t fixedTypeSize(FieldType t);

enum class Op : uint8_t {
    number,   // value
    string,   // text: a literal's bytes
    name,     // path: a.b.c (first part may be "parent")
    call,     // text: the function's name; a, b: arguments (-1 when none)
    negate, logicalNot, bitNot,
    add, subtract, multiply, divide, modulo,
    shiftLeft, shiftRight, bitAnd, bitOr, bitXor,
    less, lessEqual, greater, greaterEqual, equal, notEqual,
    logicalAnd, logicalOr,
};

struct Expr {
    Op op;
    int32_t a = -1, b = -1;  // operands: indexes into TemplateProgram::exprs
    int64_t value = 0;
    std::string text;
    std::vector<std::string> path;
    Endian endian = Endian::little;  // the byte order in force where it was written (the u32at family)
    int depth = 1;                   // operators nested in it, itself included
    int line = 0, column = 0;
};

enum class ArrayForm : uint8_t { none, counted, toEnd };

struct Statement {
    enum Kind : uint8_t { field, conditional } kind = field;
    int line = 0, column = 0;
    // field
    FieldType type = FieldType::u8;
    int32_t typeIndex = -1;  // into structs or enums
    Endian endian = Endian::little;
    std::string typeName;  // as written, for struct and enum types
    int typeLine = 0, typeColumn = 0;
    std::string name;
    ArrayForm array = ArrayForm::none;
    int32_t count = -1;  // counted: its expression
    int32_t until = -1;  // toEnd: the `while` condition, when given
    int32_t at = -1;     // @ expression
    // conditional
    int32_t condition = -1;
    std::vector<Statement> then, otherwise;
};

struct StructDecl {
    std::string name;
    std::vector<Statement> body;
    int line = 0, column = 0;
    // Bytes every instance takes when that never depends on the bytes
    // (no ifs, no zero-ended texts, counts fixed); 0 otherwise.
    uint64_t fixedSize = 0;
    bool sizeIsFixed = false;
};

struct EnumDecl {
    std::string name;
    FieldType base = FieldType::u32;
    std::vector<std::pair<std::string, int64_t>> values;
};

struct MatchRule {
    std::string pattern;  // a file name pattern, when `at` is -1
    int32_t at = -1;      // the offset's expression
    std::string bytes;    // the bytes expected there
};

struct TemplateProgram {
    std::vector<Expr> exprs;
    std::vector<StructDecl> structs;
    std::vector<EnumDecl> enums;
    std::vector<Statement> top;
    std::vector<MatchRule> matches;
};

// Evaluation of the expressions that need no fields (match offsets): the
// document's size and the u8at family only.
bool evaluateConstant(const TemplateProgram& program, int32_t expr, const uint8_t* bytes, size_t size,
                      int64_t& out);
