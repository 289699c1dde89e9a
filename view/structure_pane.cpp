#include "view/structure_pane.h"

#include <algorithm>
#include <cstdio>

#include "document/edit.h"
#include "resource_ids.h"

std::string structureItemPrefix(const TemplateNodeInfo& info) {
    if (info.kind == TemplateNodeKind::note) return {};
    char offset[24];
    std::snprintf(offset, sizeof offset, "%08llX  ", static_cast<unsigned long long>(info.offset));
    std::string line = offset + info.name;
    if (!info.typeName.empty()) line += " : " + info.typeName;
    if (!info.value.empty()) line += " = ";
    return line;
}

std::string runName(const std::string& first, const std::string& last) {
    auto element = [](const std::string& name) {
        return name.size() > 2 && name.front() == '[' && name.back() == ']' && name.find("..") == std::string::npos;
    };
    if (element(first) && element(last)) return first.substr(0, first.size() - 1) + ".." + last.substr(1);
    return first + ".." + last;
}

bool nodeHolds(const TemplateNodeInfo& info, uint64_t offset) {
    return info.kind != TemplateNodeKind::note && offset >= info.offset && offset - info.offset < info.size;
}

ByteHighlight highlightOf(const TemplateNodeInfo& info, uint32_t documentSize) {
    if (info.kind == TemplateNodeKind::note || info.offset >= documentSize) return ByteHighlight{0, 0};
    const uint64_t length = std::min<uint64_t>(info.size, documentSize - info.offset);
    return ByteHighlight{static_cast<int32_t>(info.offset), static_cast<int32_t>(length)};
}

int writeStructureValue(EditorState& s, TemplateTree& tree, const TemplateNode* node, std::string_view text,
                        WindowRef owner) {
    if (!isDocumentLoaded(s) || node == nullptr) return 0;
    const TemplateEncoded value = tree.encode(node, text);
    if (!value.ok) {
        const std::string message = templateMessageText(value.message, value.detail);
        return showError(owner, static_cast<int>(value.message), message.c_str());
    }
    const TemplateNodeInfo info = tree.info(node);
    if (info.offset >= s.documentSize || value.bytes.size() > s.documentSize - info.offset) {
        return showError(owner, IDS_ERR_PAST_END, nullptr);
    }
    return writeBytesAsTyped(s, owner, static_cast<int32_t>(info.offset), value.bytes.data(), value.bytes.size());
}
