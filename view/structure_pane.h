// The structure pane beside the view, apart from its window: the line a node
// of a template's tree shows, which node the caret stands in, and the bytes
// the view highlights for the chosen node.
#pragma once

#include <cstdint>
#include <string>

#include <string_view>

#include "platform/platform.h"
#include "shell/editor_state.h"
#include "tools/template.h"

// A node's line before its value: the offset of its first byte, its name,
// its type; "00000010  width : be u32 = " (the value follows). A note has
// none: its message is the line.
std::string structureItemPrefix(const TemplateNodeInfo& info);

// The name of a run of children from the one named `first` to the one named
// `last`: "[5000..5099]" for elements, "a..z" for others.
std::string runName(const std::string& first, const std::string& last);

// Whether the node holds the byte at `offset` (a node of no bytes holds none).
bool nodeHolds(const TemplateNodeInfo& info, uint64_t offset);

// The node's bytes as the view highlights them: those within the document.
ByteHighlight highlightOf(const TemplateNodeInfo& info, uint32_t documentSize);

// Writes a value typed for `node` over its bytes as typing their digits
// would, and reports a refusal once: the template's message for a text that
// is no value of the field, IDS_ERR_PAST_END for bytes past the end of the
// document, then those of writeBytesAsTyped. 1 when written.
int writeStructureValue(EditorState& s, TemplateTree& tree, const TemplateNode* node, std::string_view text,
                        WindowRef owner);
