// The evaluator of structure templates: a tree whose nodes are made when the
// pane asks for them. A struct's fields are laid out one after another when
// it is opened; an array only knows where it starts and how many elements it
// has, and element i is placed directly when the elements have one size, or
// from the nearest of the offsets kept for every 16th element while walking.
// Everything a template asks for is bounded: steps per call, nesting depth,
// and every read checked against the document's size.
#include <algorithm>
#include <cstring>
#include <limits>

#include "tools/template.h"
#include "tools/template_program.h"
#include "tools/template_values.h"

namespace {

constexpr uint64_t kCheckpointEvery = 16;
constexpr size_t kTextShown = 512;      // bytes of a text shown as a value
constexpr uint64_t kTextEditable = 65536;  // longest text offered for editing
constexpr size_t kAllMembers = std::numeric_limits<size_t>::max();

struct Stop {
    TemplateMessage message = TemplateMessage::none;
    std::string detail;
    bool shown = false;  // the last member laid out carries it
};

// One field laid out in a struct.
struct Member {
    const Statement* stmt = nullptr;
    uint64_t offset = 0, size = 0;
    uint64_t count = 0;  // arrays: elements; texts: units
    TemplateMessage note = TemplateMessage::none;  // why it stops short; ends its struct
    std::string detail;
    std::shared_ptr<std::vector<uint64_t>> checkpoints;  // elements of several sizes: offset of every 16th
    // A struct laid out for the tree: its own members, kept for when it is
    // opened, so that what its size took to find is not done again.
    std::shared_ptr<std::vector<Member>> inner;
    TemplateMessage innerStop = TemplateMessage::none;  // a stop none of them shows
    std::string innerDetail;
};

// The fields a name can see: a struct's members so far, then the enclosing
// struct's members before the field being evaluated, and so on outwards.
struct Frame {
    const std::vector<Member>* members;
    size_t limit;
    const Frame* parent;
};

struct Value {
    bool text = false;
    int64_t number = 0;
    const uint8_t* bytes = nullptr;
    size_t length = 0;
};

enum class Shape : uint8_t { single, text, array };

Shape shapeOf(const Statement& s) {
    if (s.array == ArrayForm::none) return Shape::single;
    if (isTextType(s.type) && !isZeroEnded(s.type)) return Shape::text;
    return Shape::array;
}

std::string joined(const std::vector<std::string>& path) {
    std::string out;
    for (const std::string& p : path) out += (out.empty() ? "" : ".") + p;
    return out;
}

}  // namespace

struct TemplateNode {
    TemplateNodeKind kind = TemplateNodeKind::note;
    TemplateNode* parent = nullptr;
    uint64_t indexInParent = 0;
    // The struct (or the top level) whose member this node shows or belongs to.
    TemplateNode* owner = nullptr;
    size_t memberIndex = 0;
    const Statement* stmt = nullptr;
    uint64_t offset = 0, size = 0;
    uint64_t first = 0, count = 0;  // arrays and groups: the elements [first, first + count)
    bool element = false;
    uint64_t elementIndex = 0;
    TemplateMessage note = TemplateMessage::none;
    std::string detail;
    // Structs and the top level, once opened.
    const std::vector<Statement>* body = nullptr;
    bool opened = false;
    std::vector<Member> members;
    TemplateMessage stopped = TemplateMessage::none;  // a stop no member shows
    std::string stoppedDetail;
    std::vector<std::unique_ptr<TemplateNode>> kids;
};

struct TemplateEvaluator {
    std::shared_ptr<const TemplateProgram> program;
    const TemplateProgram& p;
    const uint8_t* bytes;
    uint64_t size;
    TemplateLimits limits;
    uint64_t steps = 0;
    std::vector<std::unique_ptr<std::vector<Member>>> scratch;
    std::vector<int8_t> placed;  // per struct: -1 unknown, else whether a field in it (or deeper) uses @
    TemplateNode root;

    TemplateEvaluator(std::shared_ptr<const TemplateProgram> prog, const uint8_t* b, size_t n, TemplateLimits l)
        : program(std::move(prog)), p(*program), bytes(b), size(b == nullptr ? 0 : n), limits(l) {
        placed.assign(p.structs.size(), -1);
        root.kind = TemplateNodeKind::root;
        root.body = &p.top;
    }

    // ------------------------------------------------------------ bounds

    void tick() {
        if (++steps > limits.steps) throw Stop{TemplateMessage::tooLong, {}};
    }

    std::vector<Member>& scratchAt(int depth) {
        while (scratch.size() <= static_cast<size_t>(depth)) scratch.push_back(std::make_unique<std::vector<Member>>());
        scratch[static_cast<size_t>(depth)]->clear();
        return *scratch[static_cast<size_t>(depth)];
    }

    // ------------------------------------------------------------ reading

    uint64_t readUnsigned(uint64_t at, uint32_t n, Endian e) const {
        if (at > size || size - at < n) throw Stop{TemplateMessage::pastEnd, {}};
        uint64_t v = 0;
        for (uint32_t i = 0; i < n; ++i) v = v << 8 | bytes[at + (e == Endian::little ? n - 1 - i : i)];
        return v;
    }

    int64_t readInteger(uint64_t at, FieldType t, Endian e) const {
        const uint32_t n = fixedTypeSize(t);
        const uint64_t u = readUnsigned(at, n, e);
        const bool isSigned = t >= FieldType::s8 && t <= FieldType::s64;
        if (isSigned && n < 8) {
            const int unused = 64 - 8 * static_cast<int>(n);
            return static_cast<int64_t>(u << unused) >> unused;
        }
        return static_cast<int64_t>(u);
    }

    FieldType valueType(const Statement& s) const {
        return s.type == FieldType::enumeration ? p.enums[static_cast<size_t>(s.typeIndex)].base : s.type;
    }

    // Bytes of one element when every element has them; 0 when they vary.
    uint64_t unitSize(const Statement& s) const {
        if (s.type == FieldType::structure) return p.structs[static_cast<size_t>(s.typeIndex)].fixedSize;
        return fixedTypeSize(valueType(s));
    }

    uint64_t zeroEndedSize(uint64_t at, bool& ended) const {
        ended = false;
        if (at >= size) return 0;
        const void* zero = std::memchr(bytes + at, 0, size - at);
        if (zero == nullptr) return size - at;
        ended = true;
        return static_cast<uint64_t>(static_cast<const uint8_t*>(zero) - (bytes + at)) + 1;
    }

    // ------------------------------------------------------------ expressions

    struct Context {
        const Frame* frame;
        uint64_t here;
        int depth;
    };

    int64_t number(int32_t e, const Context& c) {
        const Value v = eval(e, c);
        if (v.text) throw Stop{TemplateMessage::notANumber, {}};
        return v.number;
    }

    static void check(bool overflowed) {
        if (overflowed) throw Stop{TemplateMessage::overflow, {}};
    }

    Value eval(int32_t index, const Context& c) {
        const Expr& e = p.exprs[static_cast<size_t>(index)];
        Value v;
        int64_t a = 0, b = 0;
        switch (e.op) {
            case Op::number: v.number = e.value; return v;
            case Op::string:
                v.text = true;
                v.bytes = reinterpret_cast<const uint8_t*>(e.text.data());
                v.length = e.text.size();
                return v;
            case Op::name: return lookup(e, c);
            case Op::call: v.number = call(e, c); return v;
            case Op::logicalAnd: v.number = number(e.a, c) != 0 && number(e.b, c) != 0; return v;
            case Op::logicalOr: v.number = number(e.a, c) != 0 || number(e.b, c) != 0; return v;
            case Op::equal:
            case Op::notEqual: {
                const Value l = eval(e.a, c), r = eval(e.b, c);
                if (l.text != r.text) throw Stop{TemplateMessage::notANumber, {}};
                const bool same = l.text ? l.length == r.length && std::memcmp(l.bytes, r.bytes, l.length) == 0
                                         : l.number == r.number;
                v.number = same == (e.op == Op::equal);
                return v;
            }
            default: break;
        }
        a = number(e.a, c);
        if (e.b >= 0) b = number(e.b, c);
        int64_t r = 0;
        switch (e.op) {
            case Op::negate: check(__builtin_sub_overflow(int64_t{0}, a, &r)); break;
            case Op::logicalNot: r = a == 0; break;
            case Op::bitNot: r = ~a; break;
            case Op::add: check(__builtin_add_overflow(a, b, &r)); break;
            case Op::subtract: check(__builtin_sub_overflow(a, b, &r)); break;
            case Op::multiply: check(__builtin_mul_overflow(a, b, &r)); break;
            case Op::divide:
            case Op::modulo:
                if (b == 0) throw Stop{TemplateMessage::divisionByZero, {}};
                if (a == std::numeric_limits<int64_t>::min() && b == -1) throw Stop{TemplateMessage::overflow, {}};
                r = e.op == Op::divide ? a / b : a % b;
                break;
            case Op::shiftLeft:
                if (b < 0 || b > 62 || a < 0 || a > (std::numeric_limits<int64_t>::max() >> b)) {
                    throw Stop{TemplateMessage::overflow, {}};
                }
                r = a << b;
                break;
            case Op::shiftRight:
                if (b < 0 || b > 63) throw Stop{TemplateMessage::overflow, {}};
                r = a >> b;
                break;
            case Op::bitAnd: r = a & b; break;
            case Op::bitOr: r = a | b; break;
            case Op::bitXor: r = a ^ b; break;
            case Op::less: r = a < b; break;
            case Op::lessEqual: r = a <= b; break;
            case Op::greater: r = a > b; break;
            case Op::greaterEqual: r = a >= b; break;
            default: break;
        }
        v.number = r;
        return v;
    }

    int64_t call(const Expr& e, const Context& c) {
        if (e.text == "filesize") return static_cast<int64_t>(size);
        if (e.text == "here") return static_cast<int64_t>(c.here);
        const int64_t at = number(e.a, c);
        if (at < 0) throw Stop{TemplateMessage::pastEnd, {}};
        const uint32_t n = e.text == "u8at" ? 1 : e.text == "u16at" ? 2 : e.text == "u32at" ? 4 : 8;
        return static_cast<int64_t>(readUnsigned(static_cast<uint64_t>(at), n, e.endian));
    }

    static const Member* find(const Frame& f, const std::string& name) {
        const size_t n = std::min(f.limit, f.members->size());
        for (size_t i = n; i-- > 0;) {
            if ((*f.members)[i].stmt->name == name) return &(*f.members)[i];
        }
        return nullptr;
    }

    Value lookup(const Expr& e, const Context& c) {
        size_t part = 0;
        const Frame* from = c.frame;
        if (e.path[0] == "parent") {
            from = from == nullptr ? nullptr : from->parent;
            part = 1;
            if (from == nullptr || e.path.size() == 1) throw Stop{TemplateMessage::unknownName, joined(e.path)};
        }
        const Member* m = nullptr;
        const Frame* where = nullptr;
        for (const Frame* f = from; f != nullptr && m == nullptr; f = f->parent) {
            m = find(*f, e.path[part]);
            where = f;
        }
        if (m == nullptr) {
            if (e.path.size() == 1) {
                for (const EnumDecl& d : p.enums) {
                    for (const auto& [name, value] : d.values) {
                        if (name == e.path[0]) {
                            Value v;
                            v.number = value;
                            return v;
                        }
                    }
                }
            }
            throw Stop{TemplateMessage::unknownName, joined(e.path)};
        }
        // a.b: lay out struct a (no deeper than the path is long) and find b in it.
        Frame frames[2 * 8];
        int depth = c.depth;
        for (++part; part < e.path.size(); ++part) {
            const Statement& s = *m->stmt;
            if (s.type != FieldType::structure || shapeOf(s) != Shape::single || part >= 8) {
                throw Stop{TemplateMessage::unknownName, joined(e.path)};
            }
            if (++depth > limits.depth) throw Stop{TemplateMessage::nestedTooDeep, {}};
            Frame& outer = frames[2 * part];
            outer = {where->members, static_cast<size_t>(m - where->members->data()), where->parent};
            std::vector<Member>& inner = scratchAt(depth);
            Frame& own = frames[2 * part + 1];
            own = {&inner, kAllMembers, &outer};
            uint64_t pos = m->offset;
            Stop stop;
            layOut(p.structs[static_cast<size_t>(s.typeIndex)].body, own, inner, pos, false, depth, stop);
            m = find(own, e.path[part]);
            where = &own;
            if (m == nullptr) throw Stop{TemplateMessage::unknownName, joined(e.path)};
        }
        return valueOf(*m, joined(e.path));
    }

    Value valueOf(const Member& m, const std::string& name) const {
        const Statement& s = *m.stmt;
        const FieldType t = valueType(s);
        Value v;
        if (shapeOf(s) == Shape::array || t == FieldType::structure || t == FieldType::f32 || t == FieldType::f64 ||
            t == FieldType::guid || t == FieldType::utf16) {
            throw Stop{TemplateMessage::notANumber, name};
        }
        if (isTextType(t)) {
            if (m.offset > size) throw Stop{TemplateMessage::pastEnd, name};
            v.text = true;
            v.bytes = bytes + m.offset;
            const uint64_t n = std::min(m.size, size - m.offset);
            const void* zero = n == 0 ? nullptr : std::memchr(v.bytes, 0, static_cast<size_t>(n));
            v.length = zero == nullptr ? n : static_cast<size_t>(static_cast<const uint8_t*>(zero) - v.bytes);
            return v;
        }
        v.number = readInteger(m.offset, t, s.endian);
        return v;
    }

    // ------------------------------------------------------------ layout

    // Bytes of a struct at `at`, laying it out in scratch when its size varies.
    uint64_t structSize(int32_t typeIndex, uint64_t at, const Frame* parent, int depth, Stop& stop) {
        const StructDecl& d = p.structs[static_cast<size_t>(typeIndex)];
        if (d.sizeIsFixed) {
            if (at > size || size - at < d.fixedSize) {
                stop = {TemplateMessage::pastEnd, {}};
                return at > size ? 0 : size - at;
            }
            return d.fixedSize;
        }
        if (depth + 1 > limits.depth) {
            stop = {TemplateMessage::nestedTooDeep, {}};
            return 0;
        }
        std::vector<Member>& members = scratchAt(depth + 1);
        const Frame own{&members, kAllMembers, parent};
        uint64_t pos = at;
        layOut(d.body, own, members, pos, false, depth + 1, stop);
        return pos - at;
    }

    // One element of an array at `at`: its bytes; `stop` set when it cannot be complete.
    uint64_t elementSize(const Statement& s, uint64_t at, const Frame* frame, int depth, Stop& stop) {
        if (s.type == FieldType::structure) return structSize(s.typeIndex, at, frame, depth, stop);
        if (isZeroEnded(s.type)) {
            bool ended = false;
            const uint64_t n = zeroEndedSize(at, ended);
            if (!ended) stop = {TemplateMessage::pastEnd, {}};
            return n;
        }
        const uint64_t n = unitSize(s);
        if (at > size || size - at < n) stop = {TemplateMessage::pastEnd, {}};
        return n;
    }

    // Lays out the statements of a body from `pos` on into `out`, the frame's
    // own members. False when a field stopped it: `stop` says why.
    bool layOut(const std::vector<Statement>& body, const Frame& frame, std::vector<Member>& out, uint64_t& pos,
                bool keep, int depth, Stop& stop) {
        for (const Statement& s : body) {
            try {
                tick();
                if (s.kind == Statement::conditional) {
                    const bool taken = number(s.condition, {&frame, pos, depth}) != 0;
                    if (!layOut(taken ? s.then : s.otherwise, frame, out, pos, keep, depth, stop)) return false;
                    continue;
                }
                Member m;
                layOutField(s, m, frame, pos, keep, depth);
                out.push_back(std::move(m));
            } catch (Stop& failure) {
                stop = std::move(failure);
                if (stop.detail.empty()) stop.detail = s.name;
                return false;
            }
            const Member& m = out.back();
            if (s.at < 0) pos = m.offset + m.size;
            if (m.note != TemplateMessage::none) {
                stop = {m.note, m.detail, true};
                return false;
            }
        }
        return true;
    }

    void layOutField(const Statement& s, Member& m, const Frame& frame, uint64_t pos, bool keep, int depth) {
        m.stmt = &s;
        m.offset = pos;
        const Context c{&frame, pos, depth};
        if (s.at >= 0) {
            const int64_t at = number(s.at, c);
            if (at < 0) throw Stop{TemplateMessage::negativeCount, s.name};
            m.offset = static_cast<uint64_t>(at);
        }
        if (m.offset > size) {
            m.note = TemplateMessage::pastEnd;
            return;
        }
        const uint64_t room = size - m.offset;
        const Shape shape = shapeOf(s);
        int64_t wanted = 0;
        if (s.array == ArrayForm::counted) {
            wanted = number(s.count, c);
            if (wanted < 0) throw Stop{TemplateMessage::negativeCount, s.name};
        }
        const uint64_t unit = unitSize(s);
        if (shape == Shape::single && keep && s.type == FieldType::structure && unit == 0) {
            m.count = 1;
            if (depth + 1 > limits.depth) {
                m.note = TemplateMessage::nestedTooDeep;
                return;
            }
            m.inner = std::make_shared<std::vector<Member>>();
            const Frame own{m.inner.get(), kAllMembers, &frame};
            uint64_t end = m.offset;
            Stop stop;
            if (!layOut(p.structs[static_cast<size_t>(s.typeIndex)].body, own, *m.inner, end, true, depth + 1, stop)) {
                m.note = stop.message;
                m.detail = stop.detail;
                if (!stop.shown) {
                    m.innerStop = stop.message;
                    m.innerDetail = stop.detail;
                }
            }
            m.size = end - m.offset;
            return;
        }
        if (shape == Shape::single) {
            m.count = 1;
            Stop stop;
            m.size = elementSize(s, m.offset, &frame, depth, stop);
            if (stop.message != TemplateMessage::none) {
                m.note = stop.message;
                m.detail = stop.detail;
                m.size = std::min(m.size, room);
            }
            return;
        }
        if (unit != 0 && (shape == Shape::text || s.until < 0)) {
            const uint64_t fits = room / unit;
            m.count = s.array == ArrayForm::toEnd ? fits : std::min(static_cast<uint64_t>(wanted), fits);
            if (s.array == ArrayForm::counted && static_cast<uint64_t>(wanted) > fits) m.note = TemplateMessage::pastEnd;
            m.size = m.count * unit;
            return;
        }
        walk(s, m, frame, keep, depth, s.array == ArrayForm::toEnd ? std::numeric_limits<uint64_t>::max()
                                                                   : static_cast<uint64_t>(wanted));
    }

    // Element after element of an array whose end or element sizes depend on the bytes.
    void walk(const Statement& s, Member& m, const Frame& frame, bool keep, int depth, uint64_t wanted) {
        if (keep) m.checkpoints = std::make_shared<std::vector<uint64_t>>();
        uint64_t at = m.offset, i = 0;
        try {
            for (; i < wanted; ++i) {
                if (s.array == ArrayForm::toEnd) {
                    if (at >= size) break;
                    if (s.until >= 0 && number(s.until, {&frame, at, depth}) == 0) break;
                }
                tick();
                if (keep && i % kCheckpointEvery == 0) m.checkpoints->push_back(at);
                Stop stop;
                const uint64_t n = elementSize(s, at, &frame, depth, stop);
                if (stop.message != TemplateMessage::none) {
                    m.note = stop.message;
                    m.detail = stop.detail;
                    break;
                }
                at += n;
                if (n == 0) {
                    m.note = TemplateMessage::emptyElement;
                    ++i;
                    break;
                }
            }
        } catch (Stop& failure) {
            m.note = failure.message;
            m.detail = failure.detail.empty() ? s.name : failure.detail;
        }
        m.count = i;
        m.size = at - m.offset;
    }

    // ------------------------------------------------------------ persistent nodes

    // The frames a node's own fields see: its owner's members before it, and outwards.
    static void scopeOf(const TemplateNode* owner, size_t limit, std::vector<Frame>& chain) {
        chain.clear();
        for (const TemplateNode* n = owner; n != nullptr; limit = n->memberIndex, n = n->owner) {
            chain.push_back({&n->members, limit, nullptr});
        }
        for (size_t i = 0; i + 1 < chain.size(); ++i) chain[i].parent = &chain[i + 1];
    }

    void open(TemplateNode& n) {
        if (n.opened || n.body == nullptr) return;
        n.opened = true;
        std::vector<Frame> chain;
        scopeOf(n.owner, n.memberIndex, chain);
        const Frame own{&n.members, kAllMembers, chain.empty() ? nullptr : &chain[0]};
        uint64_t pos = n.offset;
        Stop stop;
        if (!layOut(*n.body, own, n.members, pos, true, 0, stop) && !stop.shown) {
            n.stopped = stop.message;
            n.stoppedDetail = stop.detail;
        }
        if (n.kind == TemplateNodeKind::root) n.size = pos;
        n.kids.resize(n.members.size() + (n.stopped != TemplateMessage::none ? 1 : 0));
    }

    const Member& memberOf(const TemplateNode& n) const { return n.owner->members[n.memberIndex]; }

    // Elements a group of `count` elements gathers in each of its children.
    static uint64_t spanOf(uint64_t count) {
        uint64_t span = 1;
        while (span * kTemplateGroupSize < count) span *= kTemplateGroupSize;
        return span;
    }

    uint64_t elementOffset(const TemplateNode& array, uint64_t i, const Frame* scope, Stop& stop) {
        const Member& m = memberOf(array);
        const uint64_t unit = unitSize(*m.stmt);
        if (m.checkpoints == nullptr || m.checkpoints->empty()) return m.offset + i * unit;
        uint64_t at = (*m.checkpoints)[static_cast<size_t>(i / kCheckpointEvery)];
        for (uint64_t k = i - i % kCheckpointEvery; k < i && stop.message == TemplateMessage::none; ++k) {
            at += elementSize(*m.stmt, at, scope, 0, stop);
        }
        return at;
    }

    std::unique_ptr<TemplateNode> noteNode(TemplateNode& parent, TemplateMessage message, std::string detail) {
        auto n = std::make_unique<TemplateNode>();
        n->kind = TemplateNodeKind::note;
        n->note = message;
        n->detail = std::move(detail);
        n->offset = parent.offset;
        n->owner = parent.owner;
        n->memberIndex = parent.memberIndex;
        return n;
    }

    static TemplateNodeKind leafKind(const Statement& s) {
        if (s.type == FieldType::structure) return TemplateNodeKind::structure;
        if (s.type == FieldType::enumeration) return TemplateNodeKind::enumeration;
        if (isTextType(s.type)) return TemplateNodeKind::text;
        return TemplateNodeKind::number;
    }

    std::unique_ptr<TemplateNode> memberNode(TemplateNode& owner, size_t index) {
        const Member& m = owner.members[index];
        auto n = std::make_unique<TemplateNode>();
        n->owner = &owner;
        n->memberIndex = index;
        n->stmt = m.stmt;
        n->offset = m.offset;
        n->size = m.size;
        n->count = m.count;
        n->note = m.note;
        n->detail = m.detail;
        const Shape shape = shapeOf(*m.stmt);
        n->kind = shape == Shape::array ? TemplateNodeKind::array : leafKind(*m.stmt);
        if (n->kind == TemplateNodeKind::structure) n->body = &p.structs[static_cast<size_t>(m.stmt->typeIndex)].body;
        if (m.inner != nullptr) {
            n->members = std::move(*m.inner);
            n->stopped = m.innerStop;
            n->stoppedDetail = m.innerDetail;
            n->opened = true;
            n->kids.resize(n->members.size() + (n->stopped != TemplateMessage::none ? 1 : 0));
        }
        return n;
    }

    std::unique_ptr<TemplateNode> rangeChild(TemplateNode& range, uint64_t k) {
        std::vector<Frame> chain;
        scopeOf(range.owner, range.memberIndex, chain);
        const Frame* scope = chain.empty() ? nullptr : &chain[0];
        const TemplateNode* arrayNode = &range;
        while (arrayNode->kind == TemplateNodeKind::group) arrayNode = arrayNode->parent;
        const Member& m = memberOf(*arrayNode);
        const uint64_t span = spanOf(range.count);
        auto n = std::make_unique<TemplateNode>();
        n->owner = range.owner;
        n->memberIndex = range.memberIndex;
        n->stmt = m.stmt;
        Stop stop;
        try {
            if (span > 1) {
                n->kind = TemplateNodeKind::group;
                n->first = range.first + k * span;
                n->count = std::min(span, range.first + range.count - n->first);
                n->offset = elementOffset(*arrayNode, n->first, scope, stop);
                const uint64_t last = n->first + n->count;
                const uint64_t end =
                    last >= m.count ? m.offset + m.size : elementOffset(*arrayNode, last, scope, stop);
                n->size = end - n->offset;
            } else {
                const uint64_t i = range.first + k;
                n->element = true;
                n->elementIndex = i;
                n->offset = elementOffset(*arrayNode, i, scope, stop);
                n->kind = leafKind(*m.stmt);
                n->count = 1;
                if (n->kind == TemplateNodeKind::structure) n->body = &p.structs[static_cast<size_t>(m.stmt->typeIndex)].body;
                if (stop.message == TemplateMessage::none) {
                    Stop own;
                    n->size = elementSize(*m.stmt, n->offset, scope, 0, own);
                    // A struct shows why it stops short among its own fields when opened.
                    if (n->kind != TemplateNodeKind::structure) stop = own;
                }
            }
        } catch (Stop& failure) {
            stop = std::move(failure);
        }
        if (stop.message != TemplateMessage::none) return noteNode(range, stop.message, stop.detail);
        return n;
    }

    uint64_t childCount(TemplateNode& n) {
        switch (n.kind) {
            case TemplateNodeKind::root:
            case TemplateNodeKind::structure:
                open(n);
                return n.kids.size();
            case TemplateNodeKind::array:
            case TemplateNodeKind::group: {
                const uint64_t span = spanOf(n.count);
                return (n.count + span - 1) / span;
            }
            default: return 0;
        }
    }

    TemplateNode* child(TemplateNode& n, uint64_t k) {
        const uint64_t count = childCount(n);
        if (k >= count) return nullptr;
        if (n.kids.empty()) n.kids.resize(static_cast<size_t>(count));
        std::unique_ptr<TemplateNode>& slot = n.kids[static_cast<size_t>(k)];
        if (slot == nullptr) {
            if (n.kind == TemplateNodeKind::array || n.kind == TemplateNodeKind::group)
                slot = rangeChild(n, k);
            else if (k < n.members.size())
                slot = memberNode(n, static_cast<size_t>(k));
            else
                slot = noteNode(n, n.stopped, n.stoppedDetail);
            slot->parent = &n;
            slot->indexInParent = k;
        }
        return slot.get();
    }

    // ------------------------------------------------------------ caret

    bool hasPlaced(int32_t typeIndex) {
        int8_t& known = placed[static_cast<size_t>(typeIndex)];
        if (known >= 0) return known != 0;
        known = 0;  // a struct within itself adds nothing new
        const bool found = bodyHasPlaced(p.structs[static_cast<size_t>(typeIndex)].body);
        known = found ? 1 : 0;
        return found;
    }

    bool bodyHasPlaced(const std::vector<Statement>& body) {
        for (const Statement& s : body) {
            if (s.kind == Statement::conditional) {
                if (bodyHasPlaced(s.then) || bodyHasPlaced(s.otherwise)) return true;
            } else if (s.at >= 0 ||
                       (s.type == FieldType::structure && shapeOf(s) == Shape::single && hasPlaced(s.typeIndex))) {
                return true;
            }
        }
        return false;
    }

    static bool holds(uint64_t offset, uint64_t size, uint64_t at) { return at >= offset && at - offset < size; }

    // The element of an array (node) holding the byte at `at`.
    uint64_t elementAt(const TemplateNode& array, uint64_t at) {
        const Member& m = memberOf(array);
        if (m.checkpoints == nullptr || m.checkpoints->empty()) return (at - m.offset) / unitSize(*m.stmt);
        const std::vector<uint64_t>& cp = *m.checkpoints;
        const size_t c = static_cast<size_t>(std::upper_bound(cp.begin(), cp.end(), at) - cp.begin()) - 1;
        std::vector<Frame> chain;
        scopeOf(array.owner, array.memberIndex, chain);
        uint64_t i = c * kCheckpointEvery, offset = cp[c];
        for (; i + 1 < m.count; ++i) {
            Stop stop;
            const uint64_t n = elementSize(*m.stmt, offset, chain.empty() ? nullptr : &chain[0], 0, stop);
            if (stop.message != TemplateMessage::none || at - offset < n) break;
            offset += n;
        }
        return i;
    }

    TemplateNode* findIn(TemplateNode& n, uint64_t at, int depth) {
        if (depth > 4 * limits.depth + 64) return nullptr;
        switch (n.kind) {
            case TemplateNodeKind::root:
            case TemplateNodeKind::structure: {
                open(n);
                const size_t count = n.members.size();
                // Fields in sequence first, then fields placed with @, then
                // structs that place fields of their own elsewhere.
                for (int pass = 0; pass < 3; ++pass) {
                    for (size_t k = 0; k < count; ++k) {
                        const Member& m = n.members[k];
                        const bool placedHere = m.stmt->at >= 0;
                        if (pass < 2 && (placedHere != (pass == 1) || !holds(m.offset, m.size, at))) continue;
                        if (pass == 2 && (m.stmt->type != FieldType::structure || shapeOf(*m.stmt) != Shape::single ||
                                          holds(m.offset, m.size, at) || !hasPlaced(m.stmt->typeIndex))) {
                            continue;
                        }
                        TemplateNode* c = child(n, k);
                        TemplateNode* inner = findIn(*c, at, depth + 1);
                        if (inner != nullptr || pass < 2) return inner != nullptr ? inner : c;
                    }
                }
                return nullptr;
            }
            case TemplateNodeKind::array:
            case TemplateNodeKind::group: {
                if (!holds(n.offset, n.size, at) || n.count == 0) return nullptr;
                const TemplateNode* array = &n;
                while (array->kind == TemplateNodeKind::group) array = array->parent;
                const uint64_t i = elementAt(*array, at);
                if (i < n.first || i - n.first >= n.count) return nullptr;
                TemplateNode* c = child(n, (i - n.first) / spanOf(n.count));
                if (c == nullptr || c->kind == TemplateNodeKind::note) return nullptr;
                TemplateNode* inner = findIn(*c, at, depth + 1);
                return inner != nullptr ? inner : c;
            }
            case TemplateNodeKind::note: return nullptr;
            default: return holds(n.offset, n.size, at) ? &n : nullptr;
        }
    }

    // ------------------------------------------------------------ what a node shows

    std::string elementType(const Statement& s) const {
        std::string out = s.typeName.empty() ? typeNameOf(s.type) : s.typeName;
        if (s.endian == Endian::big && hasByteOrder(valueType(s))) out = "be " + out;
        return out;
    }

    TemplateNodeInfo info(TemplateNode& n) {
        TemplateNodeInfo i{};
        i.kind = n.kind;
        i.offset = n.offset;
        i.size = n.size;
        i.note = n.note;
        i.noteDetail = n.detail;
        i.encoding = TemplateTextEncoding::utf8;
        i.valueKind = InspectKind::value;
        if (n.kind == TemplateNodeKind::root || n.kind == TemplateNodeKind::note) {
            if (n.kind == TemplateNodeKind::root) {
                open(n);
                i.size = n.size;
            }
            i.hasChildren = n.kind == TemplateNodeKind::root && !n.body->empty();
            return i;
        }
        const Statement& s = *n.stmt;
        if (n.kind == TemplateNodeKind::group) {
            i.name = "[" + std::to_string(n.first) + ".." + std::to_string(n.first + n.count - 1) + "]";
            i.hasChildren = true;
            return i;
        }
        i.name = n.element ? "[" + std::to_string(n.elementIndex) + "]" : s.name;
        i.typeName = elementType(s);
        if (!n.element && shapeOf(s) != Shape::single) i.typeName += "[" + std::to_string(n.count) + "]";
        const uint64_t room = n.offset > size ? 0 : std::min(n.size, size - n.offset);
        switch (n.kind) {
            case TemplateNodeKind::structure: i.hasChildren = !n.body->empty(); break;
            case TemplateNodeKind::array:
                i.hasChildren = n.count > 0;
                if (valueType(s) == FieldType::u8 || valueType(s) == FieldType::s8) {
                    i.value = hexPreview(bytes + std::min(n.offset, size), static_cast<size_t>(room), 16);
                }
                break;
            case TemplateNodeKind::number: {
                const InspectValue v = showNumber(bytes, static_cast<size_t>(size), n.offset, valueType(s), s.endian);
                i.valueKind = v.kind;
                i.value = v.text;
                break;
            }
            case TemplateNodeKind::enumeration: i.value = enumText(n, i.valueKind); break;
            case TemplateNodeKind::text:
                i.encoding = s.type == FieldType::sjis || s.type == FieldType::sjisz ? TemplateTextEncoding::shiftJis
                                                                                     : TemplateTextEncoding::utf8;
                i.value = showText(bytes + std::min(n.offset, size), static_cast<size_t>(room), s.type, s.endian,
                                   kTextShown);
                if (room < n.size) i.valueKind = InspectKind::pastEnd;
                break;
            default: break;
        }
        return i;
    }

    std::string enumText(const TemplateNode& n, InspectKind& kind) const {
        const EnumDecl& d = p.enums[static_cast<size_t>(n.stmt->typeIndex)];
        int64_t v = 0;
        try {
            v = readInteger(n.offset, d.base, n.stmt->endian);
        } catch (const Stop&) {
            kind = InspectKind::pastEnd;
            return {};
        }
        for (const auto& [name, value] : d.values) {
            if (value == v) return name;
        }
        const bool isSigned = d.base >= FieldType::s8;
        return isSigned ? std::to_string(v) : std::to_string(static_cast<uint64_t>(v));
    }

    // ------------------------------------------------------------ editing

    bool writable(const TemplateNode& n) const {
        return (n.kind == TemplateNodeKind::number || n.kind == TemplateNodeKind::enumeration ||
                n.kind == TemplateNodeKind::text) &&
               n.offset <= size && size - n.offset >= n.size && n.size > 0;
    }

    TemplateFieldEdit fieldEdit(TemplateNode& n) {
        TemplateFieldEdit e{};
        e.encoding = TemplateTextEncoding::utf8;
        if (!writable(n)) return e;
        if (n.kind == TemplateNodeKind::text) {
            if (n.size > kTextEditable) return e;
            const FieldType t = n.stmt->type;
            e.encoding = t == FieldType::sjis || t == FieldType::sjisz ? TemplateTextEncoding::shiftJis
                                                                       : TemplateTextEncoding::utf8;
            e.text = showText(bytes + n.offset, static_cast<size_t>(n.size), t, n.stmt->endian,
                              std::numeric_limits<size_t>::max());
            e.maxBytes = static_cast<uint32_t>(n.size);
        } else {
            const TemplateNodeInfo i = info(n);
            e.text = i.valueKind == InspectKind::value ? i.value : std::string();
        }
        e.editable = true;
        return e;
    }

    TemplateEncoded encode(TemplateNode& n, std::string_view text) {
        TemplateEncoded out{};
        auto refuse = [&](TemplateMessage m, std::string detail = {}) {
            out.ok = false;
            out.bytes.clear();
            out.message = m;
            out.detail = std::move(detail);
            return out;
        };
        if (!writable(n) || (n.kind == TemplateNodeKind::text && n.size > kTextEditable)) {
            return refuse(TemplateMessage::notEditable);
        }
        const Statement& s = *n.stmt;
        if (n.kind == TemplateNodeKind::number) {
            if (!encodeNumber(s.type, s.endian, text, out.bytes)) return refuse(TemplateMessage::badValue);
        } else if (n.kind == TemplateNodeKind::enumeration) {
            const EnumDecl& d = p.enums[static_cast<size_t>(s.typeIndex)];
            std::string_view t = text;
            while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
            while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
            std::string number(t);
            for (const auto& [name, value] : d.values) {
                if (name == t) number = std::to_string(value);
            }
            if (!encodeNumber(d.base, s.endian, number, out.bytes)) return refuse(TemplateMessage::badValue);
        } else {
            if (!encodeText(s.type, s.endian, text, out.bytes)) return refuse(TemplateMessage::badValue);
            if (isZeroEnded(s.type)) {
                // The text keeps its length: a shorter or longer one would move every field after it.
                const bool ended = bytes[n.offset + n.size - 1] == 0;
                const uint64_t want = n.size - (ended ? 1 : 0);
                if (out.bytes.size() > want) return refuse(TemplateMessage::textTooLong, std::to_string(want));
                if (out.bytes.size() < want) return refuse(TemplateMessage::badValue);
            } else if (out.bytes.size() > n.size) {
                return refuse(TemplateMessage::textTooLong, std::to_string(n.size));
            }
            out.bytes.resize(static_cast<size_t>(n.size), 0);
        }
        out.ok = true;
        return out;
    }
};

// ---------------------------------------------------------------- constant expressions

bool evaluateConstant(const TemplateProgram& program, int32_t expr, const uint8_t* bytes, size_t size,
                      int64_t& out) {
    TemplateEvaluator impl(std::shared_ptr<const TemplateProgram>(&program, [](const TemplateProgram*) {}), bytes,
                            size, TemplateLimits{});
    try {
        out = impl.number(expr, {nullptr, 0, 0});
        return true;
    } catch (const Stop&) {
        return false;
    }
}

// ---------------------------------------------------------------- the tree

struct TemplateTree::Impl : TemplateEvaluator {
    using TemplateEvaluator::TemplateEvaluator;
};

TemplateTree::TemplateTree(std::shared_ptr<const TemplateProgram> program, const uint8_t* bytes, size_t size,
                           TemplateLimits limits)
    : impl_(program == nullptr ? nullptr : std::make_unique<Impl>(std::move(program), bytes, size, limits)) {}

TemplateTree::~TemplateTree() = default;

const TemplateNode* TemplateTree::root() const { return impl_ == nullptr ? nullptr : &impl_->root; }

const TemplateNode* TemplateTree::parent(const TemplateNode* node) const {
    return node == nullptr ? nullptr : node->parent;
}

// The tree made every node it hands out and hands out only const pointers to
// them; it alone changes them, through these casts.
static TemplateNode& own(const TemplateNode* node) { return *const_cast<TemplateNode*>(node); }

TemplateNodeInfo TemplateTree::info(const TemplateNode* node) {
    if (node == nullptr || impl_ == nullptr) return {};
    impl_->steps = 0;
    return impl_->info(own(node));
}

uint64_t TemplateTree::childCount(const TemplateNode* node) {
    if (node == nullptr || impl_ == nullptr) return 0;
    impl_->steps = 0;
    return impl_->childCount(own(node));
}

const TemplateNode* TemplateTree::child(const TemplateNode* node, uint64_t index) {
    if (node == nullptr || impl_ == nullptr) return nullptr;
    impl_->steps = 0;
    return impl_->child(own(node), index);
}

const TemplateNode* TemplateTree::nodeAt(uint64_t offset) {
    if (impl_ == nullptr || offset >= impl_->size) return nullptr;
    impl_->steps = 0;
    return impl_->findIn(impl_->root, offset, 0);
}

std::vector<uint64_t> TemplateTree::path(const TemplateNode* node) const {
    std::vector<uint64_t> out;
    for (; node != nullptr && node->parent != nullptr; node = node->parent) out.push_back(node->indexInParent);
    std::reverse(out.begin(), out.end());
    return out;
}

const TemplateNode* TemplateTree::nodeAtPath(const std::vector<uint64_t>& path) {
    const TemplateNode* node = root();
    for (uint64_t index : path) {
        if (node == nullptr) break;
        node = child(node, index);
    }
    return node;
}

TemplateFieldEdit TemplateTree::fieldEdit(const TemplateNode* node) {
    if (node == nullptr || impl_ == nullptr) return {};
    impl_->steps = 0;
    return impl_->fieldEdit(own(node));
}

TemplateEncoded TemplateTree::encode(const TemplateNode* node, std::string_view text) {
    if (node == nullptr || impl_ == nullptr) return {false, {}, TemplateMessage::notEditable, {}};
    impl_->steps = 0;
    return impl_->encode(own(node), text);
}
