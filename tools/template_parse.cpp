// The template language's reader: a lexer and a recursive-descent parser
// that stops at the first error with its line and column.
#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <utility>

#include "document/shift_jis.h"
#include "tools/template_program.h"

namespace {

// ---------------------------------------------------------------- types

struct BuiltinType {
    const char* name;
    FieldType type;
};

constexpr BuiltinType kBuiltins[] = {
    {"u8", FieldType::u8},           {"u16", FieldType::u16},         {"u32", FieldType::u32},
    {"u64", FieldType::u64},         {"s8", FieldType::s8},           {"s16", FieldType::s16},
    {"s32", FieldType::s32},         {"s64", FieldType::s64},         {"f32", FieldType::f32},
    {"f64", FieldType::f64},         {"time32", FieldType::time32},   {"time64", FieldType::time64},
    {"filetime", FieldType::filetime}, {"dosdatetime", FieldType::dosdatetime}, {"oledate", FieldType::oledate},
    {"guid", FieldType::guid},       {"colorref", FieldType::colorref}, {"char", FieldType::chr},
    {"sjis", FieldType::sjis},       {"utf8", FieldType::utf8},       {"utf16", FieldType::utf16},
    {"cstring", FieldType::cstring}, {"sjisz", FieldType::sjisz},
};

bool builtinType(std::string_view name, FieldType& out) {
    for (const BuiltinType& b : kBuiltins) {
        if (name == b.name) {
            out = b.type;
            return true;
        }
    }
    return false;
}

constexpr const char* kKeywords[] = {"struct", "enum", "if", "else", "match", "little", "big",
                                     "be",     "le",   "while", "parent"};

bool isReserved(std::string_view name) {
    FieldType t;
    if (builtinType(name, t)) return true;
    for (const char* k : kKeywords) {
        if (name == k) return true;
    }
    return false;
}

// Functions an expression may call, and how many arguments each takes.
struct Function {
    const char* name;
    int arguments;
};
constexpr Function kFunctions[] = {{"filesize", 0}, {"here", 0}, {"u8at", 1}, {"u16at", 1}, {"u32at", 1}, {"u64at", 1}};

// ---------------------------------------------------------------- lexer

enum class Tok : uint8_t { end, name, number, string, hexString, punct };

struct Token {
    Tok kind = Tok::end;
    std::string text;  // name, punctuation, or the literal's bytes
    int64_t value = 0;
    int line = 1, column = 1;
};

struct Failure {
    TemplateError error;
};

bool isNameStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Whether the whole text is UTF-8; a template that is not is read as
// Shift-JIS, whose second bytes may be a backslash inside a string.
bool isUtf8(std::string_view t) {
    for (size_t i = 0; i < t.size();) {
        const auto b = static_cast<uint8_t>(t[i]);
        const size_t len = b < 0x80 ? 1 : b >= 0xC2 && b <= 0xDF ? 2 : b >= 0xE0 && b <= 0xEF ? 3 : b >= 0xF0 && b <= 0xF4 ? 4 : 0;
        if (len == 0 || i + len > t.size()) return false;
        for (size_t k = 1; k < len; ++k) {
            if ((static_cast<uint8_t>(t[i + k]) & 0xC0) != 0x80) return false;
        }
        i += len;
    }
    return true;
}

class Lexer {
public:
    explicit Lexer(std::string_view text) : text_(text), shiftJis_(!isUtf8(text)) {}

    Token next() {
        skipSpace();
        Token t;
        t.line = line_;
        t.column = column();
        if (pos_ >= text_.size()) return t;
        const char c = text_[pos_];
        if (c == 'x' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '"') {
            advance(1);
            return hexString(t);
        }
        if (isNameStart(c)) {
            const size_t start = pos_;
            while (pos_ < text_.size() && (isNameStart(text_[pos_]) || isDigit(text_[pos_]))) advance(1);
            t.kind = Tok::name;
            t.text = std::string(text_.substr(start, pos_ - start));
            return t;
        }
        if (isDigit(c)) return number(t);
        if (c == '"') return string(t);
        static const char* const kTwo[] = {"<=", ">=", "==", "!=", "&&", "||", "<<", ">>"};
        for (const char* two : kTwo) {
            if (text_.substr(pos_, 2) == two) {
                advance(2);
                t.kind = Tok::punct;
                t.text = two;
                return t;
            }
        }
        if (std::strchr(";{}[]()@:,=.+-*/%<>!~&|^", c) != nullptr) {
            advance(1);
            t.kind = Tok::punct;
            t.text = std::string(1, c);
            return t;
        }
        fail(t, TemplateMessage::badCharacter, printable(c));
        return t;
    }

private:
    static std::string printable(char c) {
        const auto u = static_cast<uint8_t>(c);
        if (u >= 0x20 && u < 0x7F) return std::string(1, c);
        static const char digits[] = "0123456789ABCDEF";
        return std::string("\\x") + digits[u >> 4] + digits[u & 15];
    }

    [[noreturn]] static void fail(const Token& at, TemplateMessage m, std::string detail = {}) {
        throw Failure{{at.line, at.column, m, std::move(detail)}};
    }

    int column() const { return static_cast<int>(pos_ - lineStart_) + 1; }

    void advance(size_t n) {
        for (size_t i = 0; i < n && pos_ < text_.size(); ++i) {
            if (text_[pos_++] == '\n') {
                ++line_;
                lineStart_ = pos_;
            }
        }
    }

    void skipSpace() {
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
                advance(1);
            } else if (text_.substr(pos_, 2) == "//") {
                while (pos_ < text_.size() && text_[pos_] != '\n') advance(1);
            } else if (text_.substr(pos_, 2) == "/*") {
                Token at;
                at.line = line_;
                at.column = column();
                const size_t close = text_.find("*/", pos_ + 2);
                if (close == std::string_view::npos) fail(at, TemplateMessage::unclosedComment);
                advance(close + 2 - pos_);
            } else if (pos_ == 0 && text_.substr(0, 3) == "\xEF\xBB\xBF") {
                pos_ = lineStart_ = 3;  // a UTF-8 byte-order mark
            } else {
                return;
            }
        }
    }

    Token number(Token& t) {
        const size_t start = pos_;
        while (pos_ < text_.size() && (isNameStart(text_[pos_]) || isDigit(text_[pos_]))) advance(1);
        const std::string_view digits = text_.substr(start, pos_ - start);
        int base = 10;
        std::string_view body = digits;
        if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
            base = 16;
            body.remove_prefix(2);
        } else if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'b' || digits[1] == 'B')) {
            base = 2;
            body.remove_prefix(2);
        }
        uint64_t v = 0;
        for (char c : body) {
            const int d = hexDigit(c);
            if (d < 0 || d >= base || v > (static_cast<uint64_t>(INT64_MAX) - static_cast<uint64_t>(d)) / base) {
                fail(t, TemplateMessage::badNumber, std::string(digits));
            }
            v = v * base + static_cast<uint64_t>(d);
        }
        if (body.empty()) fail(t, TemplateMessage::badNumber, std::string(digits));
        t.kind = Tok::number;
        t.value = static_cast<int64_t>(v);
        t.text = std::string(digits);
        return t;
    }

    // "..." with \\ \" \n \r \t \0 and \xNN; other bytes as they are.
    Token string(Token& t) {
        advance(1);
        t.kind = Tok::string;
        while (insideLiteral(t)) {
            const char c = text_[pos_];
            if (shiftJis_ && isShiftJisLead(static_cast<uint8_t>(c)) && pos_ + 1 < text_.size() &&
                text_[pos_ + 1] != '\n') {
                t.text += text_.substr(pos_, 2);
                advance(2);
                continue;
            }
            if (c != '\\') {
                t.text += c;
                advance(1);
                continue;
            }
            if (pos_ + 1 >= text_.size()) fail(t, TemplateMessage::unclosedString);
            const char e = text_[pos_ + 1];
            advance(2);
            switch (e) {
                case 'n': t.text += '\n'; break;
                case 'r': t.text += '\r'; break;
                case 't': t.text += '\t'; break;
                case '0': t.text += '\0'; break;
                case 'x': {
                    const int pair = hexPair();
                    if (pair < 0) fail(t, TemplateMessage::badCharacter, "\\x");
                    t.text += static_cast<char>(pair);
                    advance(2);
                    break;
                }
                default: t.text += e; break;
            }
        }
        return t;
    }

    // Within a literal: false at its closing quote (taken); an error at the end of the line.
    bool insideLiteral(const Token& t) {
        if (pos_ >= text_.size() || text_[pos_] == '\n') fail(t, TemplateMessage::unclosedString);
        if (text_[pos_] != '"') return true;
        advance(1);
        return false;
    }

    // The byte two hexadecimal digits at the position give, or -1.
    int hexPair() const {
        const int hi = pos_ < text_.size() ? hexDigit(text_[pos_]) : -1;
        const int lo = pos_ + 1 < text_.size() ? hexDigit(text_[pos_ + 1]) : -1;
        return hi < 0 || lo < 0 ? -1 : hi << 4 | lo;
    }

    // x"89 50 4E 47": pairs of hexadecimal digits, spaces between them allowed.
    Token hexString(Token& t) {
        advance(1);
        t.kind = Tok::hexString;
        while (insideLiteral(t)) {
            if (text_[pos_] == ' ') {
                advance(1);
                continue;
            }
            const int pair = hexPair();
            if (pair < 0) {
                const size_t bad = hexDigit(text_[pos_]) < 0 ? pos_ : pos_ + 1;
                if (bad >= text_.size() || text_[bad] == '\n') fail(t, TemplateMessage::unclosedString);
                Token at;
                at.line = line_;
                at.column = column() + static_cast<int>(bad - pos_);
                fail(at, TemplateMessage::badCharacter, printable(text_[bad]));
            }
            t.text += static_cast<char>(pair);
            advance(2);
        }
        return t;
    }


    std::string_view text_;
    bool shiftJis_;
    size_t pos_ = 0, lineStart_ = 0;
    int line_ = 1;
};

// ---------------------------------------------------------------- parser

constexpr int kMaxDepth = 32;        // nested blocks and parentheses
constexpr int kMaxExprDepth = 100;  // operators within one another, however written

class Parser {
public:
    explicit Parser(std::string_view text) : lexer_(text) { token_ = lexer_.next(); }

    std::shared_ptr<TemplateProgram> parse() {
        auto program = std::make_shared<TemplateProgram>();
        p_ = program.get();
        while (token_.kind != Tok::end) item();
        resolve();
        for (size_t i = 0; i < p_->structs.size(); ++i) fixSize(i);
        return program;
    }

private:
    [[noreturn]] void fail(const Token& at, TemplateMessage m, std::string detail = {}) const {
        throw Failure{{at.line, at.column, m, std::move(detail)}};
    }

    void take() { token_ = lexer_.next(); }
    bool is(const char* punct) const { return token_.kind == Tok::punct && token_.text == punct; }
    bool isWord(const char* word) const { return token_.kind == Tok::name && token_.text == word; }
    void expect(const char* punct) {
        if (!is(punct)) fail(token_, TemplateMessage::expected, punct);
        take();
    }
    bool accept(const char* punct) {
        if (!is(punct)) return false;
        take();
        return true;
    }
    Token name() {
        if (token_.kind != Tok::name || isReserved(token_.text)) fail(token_, TemplateMessage::expectedName);
        Token t = token_;
        take();
        return t;
    }

    void item() {
        if (isWord("struct")) return structDecl();
        if (isWord("enum")) return enumDecl();
        if (isWord("match")) return matchRule();
        statement(p_->top, 0);
    }

    bool declared(const std::string& n) const {
        for (const StructDecl& s : p_->structs) {
            if (s.name == n) return true;
        }
        for (const EnumDecl& e : p_->enums) {
            if (e.name == n) return true;
        }
        return false;
    }

    void structDecl() {
        take();
        const Token n = name();
        if (declared(n.text)) fail(n, TemplateMessage::duplicateName, n.text);
        StructDecl s;
        s.name = n.text;
        s.line = n.line;
        s.column = n.column;
        // Registered before its body so that a struct may hold itself (under an if).
        const size_t index = p_->structs.size();
        p_->structs.push_back(std::move(s));
        std::vector<Statement> body;
        block(body, 0);
        p_->structs[index].body = std::move(body);
        accept(";");
    }

    void enumDecl() {
        take();
        const Token n = name();
        if (declared(n.text)) fail(n, TemplateMessage::duplicateName, n.text);
        EnumDecl e;
        e.name = n.text;
        if (accept(":")) {
            FieldType base;
            if (token_.kind != Tok::name || !builtinType(token_.text, base) || !isIntegerType(base)) {
                fail(token_, TemplateMessage::unknownType, token_.text);
            }
            e.base = base;
            take();
        }
        expect("{");
        int64_t next = 0;
        while (!is("}")) {
            const Token v = name();
            if (enumerators_.count(v.text) != 0) fail(v, TemplateMessage::duplicateName, v.text);
            if (accept("=")) {
                const bool negative = accept("-");
                if (token_.kind != Tok::number) fail(token_, TemplateMessage::expectedNumber);
                next = negative ? -token_.value : token_.value;
                take();
            }
            e.values.emplace_back(v.text, next);
            enumerators_.emplace(v.text, next);
            next = next == INT64_MAX ? next : next + 1;
            if (!accept(",")) break;
        }
        expect("}");
        accept(";");
        p_->enums.push_back(std::move(e));
    }

    void matchRule() {
        take();
        MatchRule m;
        if (accept("@")) {
            m.at = expression(0);
            if (token_.kind != Tok::string && token_.kind != Tok::hexString) fail(token_, TemplateMessage::expectedText);
            m.bytes = token_.text;
        } else {
            if (token_.kind != Tok::string) fail(token_, TemplateMessage::expectedText);
            m.pattern = token_.text;
        }
        take();
        expect(";");
        p_->matches.push_back(std::move(m));
    }

    void block(std::vector<Statement>& out, int depth) {
        expect("{");
        while (!is("}")) {
            if (token_.kind == Tok::end) fail(token_, TemplateMessage::expected, "}");
            statement(out, depth + 1);
        }
        take();
    }

    void statement(std::vector<Statement>& out, int depth) {
        if (depth > kMaxDepth) fail(token_, TemplateMessage::tooDeep);
        if ((isWord("little") || isWord("big"))) {
            endian_ = token_.text == "big" ? Endian::big : Endian::little;
            take();
            expect(";");
            return;
        }
        if (isWord("if")) return conditional(out, depth);
        field(out);
    }

    void conditional(std::vector<Statement>& out, int depth) {
        Statement s;
        s.kind = Statement::conditional;
        s.line = token_.line;
        s.column = token_.column;
        take();
        expect("(");
        s.condition = expression(0);
        expect(")");
        block(s.then, depth);
        if (isWord("else")) {
            take();
            if (isWord("if"))
                conditional(s.otherwise, depth + 1);
            else
                block(s.otherwise, depth);
        }
        out.push_back(std::move(s));
    }

    void field(std::vector<Statement>& out) {
        Statement s;
        s.line = token_.line;
        s.column = token_.column;
        s.endian = endian_;
        if (isWord("be") || isWord("le")) {
            s.endian = token_.text == "be" ? Endian::big : Endian::little;
            take();
        }
        if (token_.kind != Tok::name) fail(token_, TemplateMessage::unknownType, token_.text);
        s.typeLine = token_.line;
        s.typeColumn = token_.column;
        if (!builtinType(token_.text, s.type)) {
            if (isReserved(token_.text)) fail(token_, TemplateMessage::unknownType, token_.text);
            s.type = FieldType::structure;  // or an enum: settled once every type is known
            s.typeName = token_.text;
        }
        take();
        s.name = name().text;
        if (accept("[")) {
            if (accept("]")) {
                s.array = ArrayForm::toEnd;
                if (isWord("while")) {
                    // A text to the end takes no condition: its bytes are its elements.
                    if (isTextType(s.type) && !isZeroEnded(s.type)) fail(token_, TemplateMessage::badLength, s.name);
                    take();
                    expect("(");
                    s.until = expression(0);
                    expect(")");
                }
            } else {
                s.array = ArrayForm::counted;
                s.count = expression(0);
                expect("]");
            }
        }
        if (accept("@")) s.at = expression(0);
        expect(";");
        out.push_back(std::move(s));
    }

    // ------------------------------------------------------------ expressions

    int32_t add(Expr e) {
        p_->exprs.push_back(std::move(e));
        return static_cast<int32_t>(p_->exprs.size() - 1);
    }

    int depthOf(int32_t e) const { return e < 0 ? 0 : p_->exprs[static_cast<size_t>(e)].depth; }

    int32_t binary(Op op, int32_t a, int32_t b, const Token& at) {
        Expr e;
        // The evaluator recurses through operands: a long chain "a+b+c+..." is as deep as it is long.
        e.depth = 1 + std::max(depthOf(a), depthOf(b));
        if (e.depth > kMaxExprDepth) fail(at, TemplateMessage::tooDeep);
        e.op = op;
        e.a = a;
        e.b = b;
        e.line = at.line;
        e.column = at.column;
        return add(std::move(e));
    }

    struct Level {
        const char* tokens[4];
        Op ops[4];
    };

    // From the loosest binding to the tightest, as in C.
    static constexpr Level kLevels[] = {
        {{"||"}, {Op::logicalOr}},
        {{"&&"}, {Op::logicalAnd}},
        {{"|"}, {Op::bitOr}},
        {{"^"}, {Op::bitXor}},
        {{"&"}, {Op::bitAnd}},
        {{"==", "!="}, {Op::equal, Op::notEqual}},
        {{"<", "<=", ">", ">="}, {Op::less, Op::lessEqual, Op::greater, Op::greaterEqual}},
        {{"<<", ">>"}, {Op::shiftLeft, Op::shiftRight}},
        {{"+", "-"}, {Op::add, Op::subtract}},
        {{"*", "/", "%"}, {Op::multiply, Op::divide, Op::modulo}},
    };
    static constexpr int kLevelCount = sizeof kLevels / sizeof kLevels[0];

    int32_t expression(int depth) { return level(0, depth); }

    int32_t level(int l, int depth) {
        if (l == kLevelCount) return unary(depth);
        int32_t left = level(l + 1, depth);
        while (true) {
            bool found = false;
            for (int i = 0; i < 4 && kLevels[l].tokens[i] != nullptr; ++i) {
                if (!is(kLevels[l].tokens[i])) continue;
                const Token at = token_;
                take();
                left = binary(kLevels[l].ops[i], left, level(l + 1, depth), at);
                found = true;
                break;
            }
            if (!found) return left;
        }
    }

    int32_t unary(int depth) {
        if (depth > kMaxDepth) fail(token_, TemplateMessage::tooDeep);
        const Token at = token_;
        if (accept("-")) return binary(Op::negate, unary(depth + 1), -1, at);
        if (accept("!")) return binary(Op::logicalNot, unary(depth + 1), -1, at);
        if (accept("~")) return binary(Op::bitNot, unary(depth + 1), -1, at);
        if (accept("+")) return unary(depth + 1);
        return primary(depth);
    }

    int32_t primary(int depth) {
        Expr e;
        e.line = token_.line;
        e.column = token_.column;
        e.endian = endian_;
        if (accept("(")) {
            if (depth > kMaxDepth) fail(token_, TemplateMessage::tooDeep);
            const int32_t inner = level(0, depth + 1);
            expect(")");
            return inner;
        }
        if (token_.kind == Tok::number) {
            e.op = Op::number;
            e.value = token_.value;
            take();
            return add(std::move(e));
        }
        if (token_.kind == Tok::string) {
            e.op = Op::string;
            e.text = token_.text;
            take();
            return add(std::move(e));
        }
        if (token_.kind != Tok::name) fail(token_, TemplateMessage::expectedValue);
        const Token first = token_;
        take();
        if (accept("(")) return call(first, std::move(e), depth);
        e.op = Op::name;
        e.path.push_back(first.text);
        while (accept(".")) e.path.push_back(name().text);
        return add(std::move(e));
    }

    int32_t call(const Token& fn, Expr e, int depth) {
        const Function* f = nullptr;
        for (const Function& known : kFunctions) {
            if (fn.text == known.name) f = &known;
        }
        if (f == nullptr) fail(fn, TemplateMessage::unknownFunction, fn.text);
        e.op = Op::call;
        e.text = fn.text;
        if (f->arguments == 1) e.a = level(0, depth + 1);
        expect(")");
        e.depth = 1 + depthOf(e.a);
        if (e.depth > kMaxExprDepth) fail(fn, TemplateMessage::tooDeep);
        return add(std::move(e));
    }

    // ------------------------------------------------------------ after parsing

    void resolveBody(std::vector<Statement>& body) {
        for (Statement& s : body) {
            if (s.kind == Statement::conditional) {
                resolveBody(s.then);
                resolveBody(s.otherwise);
                continue;
            }
            if (s.type != FieldType::structure) continue;
            bool found = false;
            for (size_t i = 0; i < p_->structs.size() && !found; ++i) {
                if (p_->structs[i].name == s.typeName) {
                    s.typeIndex = static_cast<int32_t>(i);
                    found = true;
                }
            }
            for (size_t i = 0; i < p_->enums.size() && !found; ++i) {
                if (p_->enums[i].name == s.typeName) {
                    s.type = FieldType::enumeration;
                    s.typeIndex = static_cast<int32_t>(i);
                    found = true;
                }
            }
            if (!found) {
                Token at;
                at.line = s.typeLine;
                at.column = s.typeColumn;
                fail(at, TemplateMessage::unknownType, s.typeName);
            }
        }
    }

    void resolve() {
        for (StructDecl& s : p_->structs) resolveBody(s.body);
        resolveBody(p_->top);
    }

    bool constant(int32_t expr, int64_t& out) const {
        const Expr& e = p_->exprs[static_cast<size_t>(expr)];
        int64_t a = 0, b = 0;
        switch (e.op) {
            case Op::number: out = e.value; return true;
            case Op::add:
                return constant(e.a, a) && constant(e.b, b) && !__builtin_add_overflow(a, b, &out);
            case Op::multiply:
                return constant(e.a, a) && constant(e.b, b) && !__builtin_mul_overflow(a, b, &out);
            default: return false;
        }
    }

    // Sizes that never depend on the bytes, so that element i of an array
    // is found without walking the ones before it.
    bool fixedBodySize(const std::vector<Statement>& body, uint64_t& size) {
        for (const Statement& s : body) {
            if (s.kind == Statement::conditional) return false;
            uint64_t one = fixedTypeSize(s.type);
            if (s.type == FieldType::structure) {
                if (!fixSize(static_cast<size_t>(s.typeIndex))) return false;
                one = p_->structs[static_cast<size_t>(s.typeIndex)].fixedSize;
            } else if (s.type == FieldType::enumeration) {
                one = fixedTypeSize(p_->enums[static_cast<size_t>(s.typeIndex)].base);
            }
            if (one == 0) return false;
            if (s.array == ArrayForm::toEnd) return false;
            if (s.array == ArrayForm::counted) {
                int64_t n = 0;
                if (!constant(s.count, n) || n < 0 || __builtin_mul_overflow(one, static_cast<uint64_t>(n), &one)) {
                    return false;
                }
            }
            if (s.at >= 0) continue;  // placed fields take no room in the struct
            if (__builtin_add_overflow(size, one, &size) || size > (uint64_t{1} << 40)) return false;
        }
        return true;
    }

    bool fixSize(size_t index) {
        StructDecl& d = p_->structs[index];
        if (d.sizeIsFixed) return true;
        // Deep chains of structs are simply not taken as fixed: the recursion stays short.
        if (visiting_.count(index) != 0 || done_.count(index) != 0 || visiting_.size() > 32) return false;
        visiting_.insert(index);
        uint64_t size = 0;
        const bool fixed = fixedBodySize(d.body, size);
        visiting_.erase(index);
        done_.insert(index);
        // An empty struct is not fixed: its elements would all sit at one place.
        d.sizeIsFixed = fixed && size > 0;
        d.fixedSize = d.sizeIsFixed ? size : 0;
        return d.sizeIsFixed;
    }

    Lexer lexer_;
    Token token_;
    TemplateProgram* p_ = nullptr;
    Endian endian_ = Endian::little;
    std::map<std::string, int64_t> enumerators_;
    std::set<size_t> visiting_, done_;
};

}  // namespace

bool isTextType(FieldType t) { return t >= FieldType::chr && t <= FieldType::sjisz; }
bool isZeroEnded(FieldType t) { return t == FieldType::cstring || t == FieldType::sjisz; }
bool isIntegerType(FieldType t) { return t <= FieldType::s64; }

const char* typeNameOf(FieldType t) {
    for (const BuiltinType& b : kBuiltins) {
        if (b.type == t) return b.name;
    }
    return "";
}

uint32_t fixedTypeSize(FieldType t) {
    switch (t) {
        case FieldType::u8:
        case FieldType::s8:
        case FieldType::chr:
        case FieldType::sjis:
        case FieldType::utf8: return 1;
        case FieldType::u16:
        case FieldType::s16:
        case FieldType::utf16: return 2;
        case FieldType::u32:
        case FieldType::s32:
        case FieldType::f32:
        case FieldType::time32:
        case FieldType::dosdatetime:
        case FieldType::colorref: return 4;
        case FieldType::u64:
        case FieldType::s64:
        case FieldType::f64:
        case FieldType::time64:
        case FieldType::filetime:
        case FieldType::oledate: return 8;
        case FieldType::guid: return 16;
        default: return 0;
    }
}

TemplateParse parseTemplate(std::string_view text) {
    TemplateParse out{};
    try {
        Parser parser(text);
        out.program = parser.parse();
    } catch (const Failure& f) {
        out.error = f.error;
    }
    return out;
}
