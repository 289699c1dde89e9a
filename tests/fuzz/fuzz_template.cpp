// Random templates over random bytes: parsing, laying out, opening nodes,
// finding the node at offsets and encoding values must stay within the
// bytes and the limits, whatever the template says.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/template.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

// Opens up to `budget` nodes breadth-first from `node`, checking what each says.
void visit(TemplateTree& tree, const TemplateNode* node, size_t size, int depth, int& budget) {
    const uint64_t count = tree.childCount(node);
    for (uint64_t k = 0; k < count && budget > 0; k = k < 4 ? k + 1 : k * 7 + 3) {
        --budget;
        const TemplateNode* c = tree.child(node, k);
        check(c != nullptr && tree.parent(c) == node);
        const TemplateNodeInfo i = tree.info(c);
        check(i.kind == TemplateNodeKind::note || i.offset <= size || i.size == 0);
        if (i.kind == TemplateNodeKind::group) check(i.hasChildren);
        check(tree.nodeAtPath(tree.path(c)) == c);
        const TemplateFieldEdit edit = tree.fieldEdit(c);
        if (edit.editable) {
            const TemplateEncoded e = tree.encode(c, edit.text);
            check(!e.ok || e.bytes.size() == i.size);
        }
        if (depth < 6) visit(tree, c, size, depth + 1, budget);
    }
}

}  // namespace

// The input: a template, then a zero byte, then the bytes it reads.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto* zero = static_cast<const uint8_t*>(std::memchr(data, 0, size));
    const size_t textSize = zero == nullptr ? size : static_cast<size_t>(zero - data);
    const std::string text(reinterpret_cast<const char*>(data), textSize);
    const uint8_t* bytes = zero == nullptr ? data + size : zero + 1;
    const size_t byteCount = static_cast<size_t>(data + size - bytes);

    const TemplateParse parsed = parseTemplate(text);
    if (parsed.program == nullptr) {
        check(parsed.error.line >= 1 && parsed.error.column >= 1 && parsed.error.message != TemplateMessage::none);
        return 0;
    }
    templateApplies(*parsed.program, "a.sav", bytes, byteCount);
    TemplateTree tree(parsed.program, bytes, byteCount, TemplateLimits{20000, 24});
    int budget = 200;
    visit(tree, tree.root(), byteCount, 0, budget);
    for (size_t at = 0; at < byteCount; at += 1 + byteCount / 8) {
        const TemplateNode* n = tree.nodeAt(at);
        if (n == nullptr) continue;
        const TemplateNodeInfo i = tree.info(n);
        check(i.kind != TemplateNodeKind::note);
    }
    return 0;
}
