// Structure templates: a small language that names the fields of a file
// format, and the tree of those fields over a document's bytes. Nothing here
// knows about windows; the language is described in resources/help/templates.html.
//
// How the structure pane uses it
//  1. Load. Read each templates\*.mxt beside the exe and parseTemplate() it.
//     A template that does not parse gives `error` (line, column, message;
//     templateErrorText() words it): show that and change nothing else.
//     templatesThatApply() picks the templates whose `match` lines hold for the
//     document's file name and bytes.
//  2. Show. TemplateTree tree(program, bytes, size). tree.root() is the
//     template's top level; tree.info(node) gives a node's columns. Children
//     are made only when asked for: childCount() and child(). Insert tree items
//     as their parent expands (TVN_ITEMEXPANDING), using info().hasChildren for
//     the button; never walk the whole tree. Arrays of more than
//     kTemplateGroupSize elements come as groups ("[0..999]", ...) nested as
//     deep as needed, so no node has more than kTemplateGroupSize children.
//  3. Caret. tree.nodeAt(offset) is the innermost node holding that byte
//     (nullptr when none): expand its parents (tree.parent()) and select it.
//  4. Edit. tree.fieldEdit(node) says whether a node can be typed into and
//     gives the text to start the edit box with; tree.encode(node, typed)
//     gives the bytes, exactly info(node).size of them, to write at
//     info(node).offset with writeBytesAsTyped(). The tree reads nothing
//     afterwards: go on with step 5.
//  5. After any change to the document (a byte, its size, the buffer moving),
//     build a new TemplateTree over the new bytes: a tree keeps the pointer it
//     was given and reads lazily. Building one is cheap (it evaluates nothing
//     until asked). To keep what the user had open, take tree.path(node) of
//     the open and the selected nodes before and nodeAtPath(path) after.
//
// Texts. Names and type names are ASCII. A value is UTF-8 except where its
// node's `encoding` says Shift-JIS (the sjis and sjisz fields: their own
// bytes). Bytes that are no character of the text's encoding, and the
// backslash, appear as \xNN and \\; the edit text takes the same escapes.
// Messages (errors and notes) are string-table ids (TemplateMessage), worded
// in the process code page by templateMessageText().
//
// Bounds. Each call on a tree does a bounded amount of work
// (TemplateLimits): a template that would run longer, nest deeper or read
// outside the bytes gives a note node saying so instead. Nothing a template
// says reads outside [bytes, bytes + size).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "resource_ids.h"
#include "tools/inspect.h"

// ---------------------------------------------------------------- messages

// Every message has a string-table text; "%s" in it takes the detail.
enum class TemplateMessage : int {
    none = 0,
    // The text does not parse.
    badCharacter = IDS_TEMPLATE_BAD_CHARACTER,
    unclosedString = IDS_TEMPLATE_UNCLOSED_STRING,
    unclosedComment = IDS_TEMPLATE_UNCLOSED_COMMENT,
    badNumber = IDS_TEMPLATE_BAD_NUMBER,
    expected = IDS_TEMPLATE_EXPECTED,  // detail: the token wanted
    expectedName = IDS_TEMPLATE_EXPECTED_NAME,
    expectedNumber = IDS_TEMPLATE_EXPECTED_NUMBER,
    expectedValue = IDS_TEMPLATE_EXPECTED_VALUE,
    expectedText = IDS_TEMPLATE_EXPECTED_TEXT,
    unknownFunction = IDS_TEMPLATE_UNKNOWN_FUNCTION,
    unknownType = IDS_TEMPLATE_UNKNOWN_TYPE,
    duplicateName = IDS_TEMPLATE_DUPLICATE_NAME,
    tooDeep = IDS_TEMPLATE_TOO_DEEP,
    badLength = IDS_TEMPLATE_BAD_LENGTH,
    // Evaluation stopped at a node.
    pastEnd = IDS_TEMPLATE_PAST_END,
    divisionByZero = IDS_TEMPLATE_DIVISION_BY_ZERO,
    overflow = IDS_TEMPLATE_OVERFLOW,
    unknownName = IDS_TEMPLATE_UNKNOWN_NAME,
    notANumber = IDS_TEMPLATE_NOT_A_NUMBER,
    negativeCount = IDS_TEMPLATE_NEGATIVE_COUNT,
    nestedTooDeep = IDS_TEMPLATE_NESTED_TOO_DEEP,
    tooLong = IDS_TEMPLATE_TOO_MUCH_WORK,
    emptyElement = IDS_TEMPLATE_EMPTY_ELEMENT,
    // A typed value cannot be written.
    notEditable = IDS_TEMPLATE_NOT_EDITABLE,
    badValue = IDS_TEMPLATE_BAD_VALUE,
    textTooLong = IDS_TEMPLATE_TEXT_TOO_LONG,
};

// The message's text with `detail` in place of its "%s", in the process code
// page (the string table's encoding).
std::string templateMessageText(TemplateMessage message, std::string_view detail);

// ---------------------------------------------------------------- parsing

struct TemplateProgram;  // a parsed template; immutable, shared by the trees over it

struct TemplateError {
    int line;    // from 1; 0 when there is no error
    int column;  // from 1, in bytes of the line
    TemplateMessage message;
    std::string detail;  // the name or token the message is about (as written)
};

// "行 3, 列 7: ..." for the pane.
std::string templateErrorText(const TemplateError& error);

struct TemplateParse {
    std::shared_ptr<const TemplateProgram> program;  // null when the text does not parse
    TemplateError error;
};

// Parses a template's text (UTF-8 or Shift-JIS: names and keywords are ASCII,
// string literals are compared as their bytes).
TemplateParse parseTemplate(std::string_view text);

// ---------------------------------------------------------------- matching

// Whether one of the template's match lines holds (a template without match
// lines applies to nothing). `fileName` is the document's path or name in the
// process code page; only its last part counts, compared as Windows compares
// file names (letter case ignored).
bool templateApplies(const TemplateProgram& program, std::string_view fileName, const uint8_t* bytes, size_t size);

struct TemplateSource {
    std::string path;  // where the text came from (shown to the user, not read here)
    std::string text;
};

// Indexes of the sources that parse and apply, in the sources' order.
std::vector<size_t> templatesThatApply(const std::vector<TemplateSource>& sources, std::string_view fileName,
                                       const uint8_t* bytes, size_t size);

// ---------------------------------------------------------------- the tree

struct TemplateNode;  // opaque; a node stays valid as long as its tree lives

constexpr uint64_t kTemplateGroupSize = 1000;

enum class TemplateNodeKind : uint8_t {
    root,       // the template's top level
    structure,  // a struct field or element
    array,      // an array of numbers or structs (not a text)
    group,      // a run of an array's elements
    number,     // integers, floats, dates, GUID, COLORREF
    enumeration,
    text,  // char, sjis, utf8, utf16 (fixed length), cstring, sjisz
    note,  // no bytes: why the evaluation stopped here
};

enum class TemplateTextEncoding : uint8_t { utf8, shiftJis };

struct TemplateNodeInfo {
    TemplateNodeKind kind;
    std::string name;      // "entries", "[3]", "[1000..1999]"
    std::string typeName;  // "u32", "be u32", "Entry", "Item[3]", "sjis[12]"; empty for notes and groups
    std::string value;     // see `encoding`; empty for structs
    TemplateTextEncoding encoding;
    InspectKind valueKind;  // numbers: as the inspector marks the value
    uint64_t offset;        // first byte in the document
    uint64_t size;          // bytes; a field placed with @ is not counted in its struct's size
    bool hasChildren;
    TemplateMessage note;  // a note node's message, or why an array stopped short
    std::string noteDetail;
};

// What editing a node takes: the edit box starts with `text` (in `encoding`),
// and at most `maxBytes` bytes of text fit (0: not a text).
struct TemplateFieldEdit {
    bool editable;
    std::string text;
    TemplateTextEncoding encoding;
    uint32_t maxBytes;
};

struct TemplateEncoded {
    bool ok;
    std::vector<uint8_t> bytes;  // the node's new bytes, as many as its size
    TemplateMessage message;     // why not, when !ok
    std::string detail;
};

struct TemplateLimits {
    uint64_t steps = 10000000;  // fields and elements laid out in one call (about a second)
    int depth = 48;             // structs nested within each other
};

class TemplateTree {
public:
    TemplateTree(std::shared_ptr<const TemplateProgram> program, const uint8_t* bytes, size_t size,
                 TemplateLimits limits = {});
    ~TemplateTree();
    TemplateTree(const TemplateTree&) = delete;
    TemplateTree& operator=(const TemplateTree&) = delete;

    const TemplateNode* root() const;
    const TemplateNode* parent(const TemplateNode* node) const;
    TemplateNodeInfo info(const TemplateNode* node);
    uint64_t childCount(const TemplateNode* node);
    // nullptr past the last child.
    const TemplateNode* child(const TemplateNode* node, uint64_t index);
    // The innermost node holding the byte at `offset`, making the nodes on the way.
    const TemplateNode* nodeAt(uint64_t offset);

    // Child indexes from the root down to `node`, and back.
    std::vector<uint64_t> path(const TemplateNode* node) const;
    const TemplateNode* nodeAtPath(const std::vector<uint64_t>& path);

    TemplateFieldEdit fieldEdit(const TemplateNode* node);
    // `text` as fieldEdit's encoding says; numbers and dates as the data
    // inspector takes them, an enum by one of its names or as a number.
    TemplateEncoded encode(const TemplateNode* node, std::string_view text);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The same as the members above, for callers that prefer free functions.
inline TemplateEncoded encodeFieldValue(TemplateTree& tree, const TemplateNode* node, std::string_view text) {
    return tree.encode(node, text);
}
