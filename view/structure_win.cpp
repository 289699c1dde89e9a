// The structure pane. Its tree items stand for the nodes of one TemplateTree
// (or runs of their children), made as their parents open. When the bytes
// change, a new tree is read: where it has the same shape the items only take
// their new texts; otherwise they are made anew, with the open and the chosen
// items opened and chosen again by their paths.
#include "view/structure_win.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "resource_ids.h"
#include "shell/editor_state_win.h"
#include "shell/layout_win.h"
#include "shell/panes_win.h"
#include "shell/file_name.h"
#include "tools/template.h"
#include "view/pane_width.h"
#include "view/structure_pane.h"
#include "view/value_editor_win.h"
#include "view/view_win.h"

namespace {

// Reads the bytes and the caret once the keyboard lets go (see follow).
constexpr UINT_PTR kFollowTimerId = 1;
constexpr int kMargin = 3;
// The longest template file read, in bytes.
constexpr DWORD kLargestTemplate = 4u << 20;
// Character cells of the pane without a stored width.
constexpr int32_t kDefaultChars = 56;

using Path = std::vector<uint64_t>;

// What an item stands for: a node, or a run of a node's children. The tree
// control looks at every item in sight whenever an item opens, so no item
// opens onto more than kRun others (an array group of 1000 elements opens
// onto ten runs of 100).
constexpr uint64_t kRun = 100;

struct Entry {
    const TemplateNode* node;    // null for a run
    const TemplateNode* parent;  // a run's: whose children it holds
    uint64_t first, count;       // a run's children
};

struct Pane {
    HWND window = nullptr;
    HWND list = nullptr;     // the templates
    HWND open = nullptr;     // "open a template"
    HWND message = nullptr;  // a template's error, while there is one
    HWND tree = nullptr;
    std::vector<TemplateSource> sources;  // the list's entries: the folder's templates, then those opened
    int chosen = -1;                      // the entry shown; -1: none
    std::shared_ptr<const TemplateProgram> program;
    std::unique_ptr<TemplateTree> nodes;  // over the document as it was at `version`
    uint32_t version = 0;
    const uint8_t* bytes = nullptr;
    uint32_t size = 0;
    std::string documentPath;  // the file the automatic choice was made for
    bool stale = false;          // the caret or the bytes may have changed since the pane looked
    bool followPending = false;  // the follow timer runs
    bool quiet = false;          // items are chosen by the pane itself: the caret stays
    bool visible = false;        // a highlight is shown only while the pane is seen
    int64_t followedCaret = -1;  // the caret offset the chosen item was last chosen for
    ValueEditor editor;
    const TemplateNode* editNode = nullptr;
    TemplateFieldEdit edit{};
    std::vector<Entry> entries;  // what each item stands for: its lParam indexes them
};

Pane pane;

bool haveState() { return editorState != nullptr && editorState->windows != nullptr; }

UINT codePageOf(TemplateTextEncoding encoding) { return encoding == TemplateTextEncoding::shiftJis ? 932 : CP_UTF8; }

std::string loadedText(int id) {
    char text[260];
    loadText(id, text, sizeof text);
    return text;
}

// ---------------------------------------------------------------- sources

bool readTextFile(const std::string& path, std::string& out) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(file, &size) != 0;
    if (ok && size.QuadPart > kLargestTemplate) {
        SetLastError(ERROR_FILE_TOO_LARGE);
        ok = false;
    }
    DWORD read = 0;
    if (ok) {
        out.assign(static_cast<size_t>(size.QuadPart), '\0');
        ok = ReadFile(file, out.data(), static_cast<DWORD>(out.size()), &read, nullptr) != 0;
        out.resize(read);
    }
    const DWORD error = GetLastError();
    CloseHandle(file);
    SetLastError(error);
    return ok;
}

// The templates folder beside the program, with its trailing backslash.
std::string templatesFolder() {
    char exe[MAX_PATH] = "";
    const DWORD n = GetModuleFileNameA(nullptr, exe, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    std::string folder(exe, n);
    folder.resize(folder.find_last_of('\\') + 1);
    return folder + "templates\\";
}

std::vector<TemplateSource> folderTemplates() {
    std::vector<TemplateSource> found;
    const std::string folder = templatesFolder();
    WIN32_FIND_DATAA data{};
    HANDLE search = folder.empty() ? INVALID_HANDLE_VALUE : FindFirstFileA((folder + "*.mxt").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return found;
    do {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
        TemplateSource source{folder + data.cFileName, {}};
        if (readTextFile(source.path, source.text)) found.push_back(std::move(source));
    } while (FindNextFileA(search, &data));
    FindClose(search);
    std::sort(found.begin(), found.end(), [](const TemplateSource& a, const TemplateSource& b) {
        return lstrcmpiA(a.path.c_str(), b.path.c_str()) < 0;
    });
    return found;
}

std::string shortName(const std::string& path) {
    char name[kPathLength];
    fileNamePart(path.c_str(), name);
    return name;
}

// ---------------------------------------------------------------- layout

int windowHeight(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r.bottom - r.top;
}

void layoutPane() {
    if (pane.window == nullptr) return;
    RECT client{};
    GetClientRect(pane.window, &client);
    const int left = kPaneSplitter + kMargin, right = std::max<int>(left, client.right - kMargin);
    const int rowHeight = windowHeight(pane.list);
    int buttonWidth = 0;
    if (HDC dc = GetDC(pane.open)) {
        HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        char text[64];
        const int n = GetWindowTextA(pane.open, text, sizeof text);
        SIZE size{};
        GetTextExtentPoint32A(dc, text, n, &size);
        buttonWidth = size.cx + 16;
        SelectObject(dc, old);
        ReleaseDC(pane.open, dc);
    }
    buttonWidth = std::min(buttonWidth, (right - left) / 2);
    int y = kMargin;
    MoveWindow(pane.list, left, y, right - left - buttonWidth - kMargin, 200, TRUE);
    MoveWindow(pane.open, right - buttonWidth, y, buttonWidth, rowHeight, TRUE);
    y += rowHeight + kMargin;
    if (IsWindowVisible(pane.message)) {
        // As many lines as the message takes at this width.
        char text[1024];
        const int n = GetWindowTextA(pane.message, text, sizeof text);
        RECT r{0, 0, right - left, 0};
        if (HDC dc = GetDC(pane.message)) {
            HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
            DrawTextA(dc, text, n, &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
            SelectObject(dc, old);
            ReleaseDC(pane.message, dc);
        }
        MoveWindow(pane.message, left, y, right - left, r.bottom, TRUE);
        y += r.bottom + kMargin;
    }
    MoveWindow(pane.tree, kPaneSplitter, y, std::max<int>(0, client.right - kPaneSplitter),
               std::max<int>(0, client.bottom - y), TRUE);
}

// The tree writes in the display font, which the font command replaces (and deletes).
void keepTreeFont() {
    HFONT font = win().displayFont;
    if (pane.tree != nullptr && reinterpret_cast<HFONT>(SendMessageW(pane.tree, WM_GETFONT, 0, 0)) != font) {
        SendMessageW(pane.tree, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
}

void showMessage(const std::string& text) {
    SetWindowTextA(pane.message, text.c_str());
    ShowWindow(pane.message, text.empty() ? SW_HIDE : SW_SHOWNA);
    layoutPane();
}

// ---------------------------------------------------------------- the tree's items

const Entry* entryOf(HTREEITEM item) {
    if (item == nullptr) return nullptr;
    TVITEMW it{};
    it.mask = TVIF_PARAM;
    it.hItem = item;
    if (!SendMessageW(pane.tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&it))) return nullptr;
    const auto index = static_cast<size_t>(it.lParam);
    return index < pane.entries.size() ? &pane.entries[index] : nullptr;
}

const TemplateNode* nodeOf(HTREEITEM item) {
    const Entry* e = entryOf(item);
    return e != nullptr ? e->node : nullptr;
}

// A node's columns; a run's reach from its first child's first byte to its last child's last.
TemplateNodeInfo infoOf(TemplateTree& tree, const Entry& e) {
    if (e.node != nullptr) return tree.info(e.node);
    const TemplateNode* a = tree.child(e.parent, e.first);
    const TemplateNode* b = e.count != 0 ? tree.child(e.parent, e.first + e.count - 1) : nullptr;
    if (a == nullptr || b == nullptr) return TemplateNodeInfo{TemplateNodeKind::note};
    TemplateNodeInfo first = tree.info(a);
    const TemplateNodeInfo last = tree.info(b);
    first.name = runName(first.name, last.name);
    first.typeName.clear();
    first.value.clear();
    first.kind = TemplateNodeKind::group;
    first.size = last.offset + last.size > first.offset ? last.offset + last.size - first.offset : 0;
    first.hasChildren = true;
    return first;
}

TemplateNodeInfo infoOf(const Entry& e) { return infoOf(*pane.nodes, e); }

HTREEITEM selectedItem() { return TreeView_GetSelection(pane.tree); }

// The view shows the chosen item's bytes while the pane can be seen.
void showHighlight() {
    EditorState& s = *editorState;
    ByteHighlight h{0, 0};
    const Entry* e = entryOf(selectedItem());
    if (pane.visible && pane.nodes != nullptr && e != nullptr && isDocumentLoaded(s)) {
        h = highlightOf(infoOf(*e), s.documentSize);
    }
    if (h.offset == s.highlight.offset && h.length == s.highlight.length) return;
    s.highlight = h;
    repaintView();
}

std::wstring itemText(const TemplateNodeInfo& info) {
    if (info.kind == TemplateNodeKind::note) return wideText(templateMessageText(info.note, info.noteDetail), CP_ACP);
    return wideText(structureItemPrefix(info), CP_ACP) + wideText(info.value, codePageOf(info.encoding));
}

void insertItem(HTREEITEM parent, const Entry& e) {
    const TemplateNodeInfo info = infoOf(e);
    std::wstring text = itemText(info);
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN;
    insert.item.pszText = text.data();
    insert.item.lParam = static_cast<LPARAM>(pane.entries.size());
    insert.item.cChildren = info.hasChildren ? 1 : 0;
    pane.entries.push_back(e);
    SendMessageW(pane.tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
}

// What the children of an entry are in `tree`: a node's children, in runs
// when there are many; a run's nodes.
std::vector<Entry> childrenOf(TemplateTree& tree, const Entry& e) {
    std::vector<Entry> out;
    const TemplateNode* parent = e.node != nullptr ? e.node : e.parent;
    const uint64_t count = e.node != nullptr ? tree.childCount(e.node) : e.count;
    const uint64_t first = e.node != nullptr ? 0 : e.first;
    if (e.node != nullptr && count > kRun) {
        for (uint64_t r = 0; r < count; r += kRun) out.push_back(Entry{nullptr, parent, r, std::min(kRun, count - r)});
    } else {
        for (uint64_t i = first; i < first + count; ++i) {
            if (const TemplateNode* child = tree.child(parent, i)) out.push_back(Entry{child, nullptr, 0, 0});
        }
    }
    return out;
}

// The items of an item's children (TVI_ROOT: the template's top level), made when it first opens.
void insertChildren(HTREEITEM item) {
    if (TreeView_GetChild(pane.tree, item) != nullptr) return;
    const Entry* found = item == TVI_ROOT ? nullptr : entryOf(item);
    if (item != TVI_ROOT && found == nullptr) return;
    const std::vector<Entry> children =
        childrenOf(*pane.nodes, found != nullptr ? *found : Entry{pane.nodes->root(), nullptr, 0, 0});
    for (const Entry& child : children) insertItem(item, child);
    if (children.empty() && item != TVI_ROOT) {
        TVITEMW it{};
        it.mask = TVIF_CHILDREN;
        it.hItem = item;
        it.cChildren = 0;
        SendMessageW(pane.tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&it));
    }
}

bool isOpen(HTREEITEM item) { return (TreeView_GetItemState(pane.tree, item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0; }

// Items are found by their paths: sibling indexes from the top.

// The item path of a node's path (child indexes from the top): two steps where the children come in runs.
Path itemPathOf(const Path& nodePath) {
    Path out;
    const TemplateNode* node = pane.nodes->root();
    for (uint64_t index : nodePath) {
        if (pane.nodes->childCount(node) > kRun) {
            out.push_back(index / kRun);
            out.push_back(index % kRun);
        } else {
            out.push_back(index);
        }
        node = pane.nodes->child(node, index);
        if (node == nullptr) break;
    }
    return out;
}

Path itemPath(HTREEITEM item) {
    Path out;
    for (; item != nullptr; item = TreeView_GetParent(pane.tree, item)) {
        uint64_t index = 0;
        for (HTREEITEM before = item; (before = TreeView_GetPrevSibling(pane.tree, before)) != nullptr;) ++index;
        out.insert(out.begin(), index);
    }
    return out;
}

// The item at `path`, its parents opened (and with `openItself` the item
// too); null when the tree has no such item. The items are made first and
// opened from the innermost out, while they are still out of sight, so that
// the tree control looks at the items in sight once.
HTREEITEM itemAtPath(const Path& path, bool openItself = false) {
    std::vector<HTREEITEM> opening;
    HTREEITEM item = nullptr;
    for (uint64_t index : path) {
        if (item != nullptr) {
            insertChildren(item);
            opening.push_back(item);
        }
        HTREEITEM child = item != nullptr ? TreeView_GetChild(pane.tree, item) : TreeView_GetRoot(pane.tree);
        for (uint64_t i = 0; i < index && child != nullptr; ++i) child = TreeView_GetNextSibling(pane.tree, child);
        if (child == nullptr) return nullptr;
        item = child;
    }
    if (openItself && item != nullptr) {
        insertChildren(item);
        opening.push_back(item);
    }
    for (auto i = opening.rbegin(); i != opening.rend(); ++i) {
        if (!isOpen(*i)) TreeView_Expand(pane.tree, *i, TVE_EXPAND);
    }
    return item;
}

// The paths of the open items below `parent`.
void collectOpen(HTREEITEM parent, Path& at, std::vector<Path>& out) {
    at.push_back(0);
    for (HTREEITEM item = parent != nullptr ? TreeView_GetChild(pane.tree, parent) : TreeView_GetRoot(pane.tree);
         item != nullptr; item = TreeView_GetNextSibling(pane.tree, item), ++at.back()) {
        if (!isOpen(item)) continue;
        out.push_back(at);
        collectOpen(item, at, out);
    }
    at.pop_back();
}

void selectQuietly(HTREEITEM item) {
    pane.quiet = true;
    TreeView_SelectItem(pane.tree, item);
    pane.quiet = false;
}

std::wstring shownText(HTREEITEM item) {
    wchar_t text[1024] = L"";
    TVITEMW it{};
    it.mask = TVIF_TEXT;
    it.hItem = item;
    it.pszText = text;
    it.cchTextMax = 1024;
    SendMessageW(pane.tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&it));
    return text;
}

// The items made so far, each with what it stands for in `fresh` and its
// new text when that differs; false where the items no longer match the new
// tree's nodes (other children, names, types or places).
struct Renewal {
    HTREEITEM item;
    LPARAM index;
    Entry entry;
    std::wstring text;  // empty: unchanged
};
bool renewItems(TemplateTree& fresh, HTREEITEM parent, const Entry& of, std::vector<Renewal>& out) {
    HTREEITEM item = parent == TVI_ROOT ? TreeView_GetRoot(pane.tree) : TreeView_GetChild(pane.tree, parent);
    if (item == nullptr) return true;  // not made yet: made from the new tree when it opens
    for (const Entry& e : childrenOf(fresh, of)) {
        if (item == nullptr) return false;
        const TemplateNodeInfo info = infoOf(fresh, e);
        const std::wstring text = itemText(info), shown = shownText(item);
        // Only a new value may differ: the offset, the name and the type stay.
        const std::wstring prefix =
            info.kind == TemplateNodeKind::note ? text : wideText(structureItemPrefix(info), CP_ACP);
        if (shown.compare(0, prefix.size(), prefix) != 0 || (prefix.empty() && shown != text)) return false;
        TVITEMW it{};
        it.mask = TVIF_PARAM | TVIF_CHILDREN;
        it.hItem = item;
        SendMessageW(pane.tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&it));
        if ((it.cChildren != 0) != info.hasChildren) return false;
        out.push_back(Renewal{item, it.lParam, e, text == shown ? std::wstring() : text});
        if (!renewItems(fresh, item, e, out)) return false;
        item = TreeView_GetNextSibling(pane.tree, item);
    }
    return item == nullptr;
}

// After a change of the bytes that keeps the tree's shape (a value typed over
// a field), the items stand for the new tree's nodes and only the texts that
// changed are set again. False, with nothing changed, where the shape differs.
bool renewInPlace() {
    const EditorState& s = *editorState;
    if (pane.nodes == nullptr || pane.program == nullptr || !isDocumentLoaded(s)) return false;
    pane.editor.close();  // its node goes with the old tree
    auto fresh = std::make_unique<TemplateTree>(pane.program, s.documentBytes, s.documentSize);
    std::vector<Renewal> renewals;
    if (!renewItems(*fresh, TVI_ROOT, Entry{fresh->root(), nullptr, 0, 0}, renewals)) return false;
    for (Renewal& r : renewals) {
        if (static_cast<size_t>(r.index) < pane.entries.size()) pane.entries[static_cast<size_t>(r.index)] = r.entry;
        if (r.text.empty()) continue;
        TVITEMW it{};
        it.mask = TVIF_TEXT;
        it.hItem = r.item;
        it.pszText = r.text.data();
        SendMessageW(pane.tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&it));
    }
    pane.nodes = std::move(fresh);
    pane.version = s.bytesVersion;
    pane.bytes = s.documentBytes;
    pane.size = s.documentSize;
    return true;
}

// A new tree over the document as it is; `keep`: the items that were open,
// the chosen one and the first one in sight, again where their paths lead.
void rebuild(bool keep) {
    EditorState& s = *editorState;
    pane.editor.close();
    std::vector<Path> open;
    Path chosen, top;
    if (keep && pane.nodes != nullptr) {
        Path at;
        collectOpen(nullptr, at, open);
        if (HTREEITEM item = selectedItem()) chosen = itemPath(item);
        if (HTREEITEM item = TreeView_GetFirstVisible(pane.tree)) top = itemPath(item);
    }
    SendMessageW(pane.tree, WM_SETREDRAW, FALSE, 0);
    selectQuietly(nullptr);
    pane.quiet = true;
    TreeView_DeleteAllItems(pane.tree);
    pane.quiet = false;
    pane.entries.clear();
    pane.nodes.reset();
    pane.version = s.bytesVersion;
    pane.bytes = s.documentBytes;
    pane.size = s.documentSize;
    if (pane.program != nullptr && isDocumentLoaded(s)) {
        pane.nodes = std::make_unique<TemplateTree>(pane.program, s.documentBytes, s.documentSize);
        insertChildren(TVI_ROOT);
        // The deepest first: their parents open with them.
        for (auto p = open.rbegin(); p != open.rend(); ++p) itemAtPath(*p, true);
        if (HTREEITEM item = chosen.empty() ? nullptr : itemAtPath(chosen)) selectQuietly(item);
        if (HTREEITEM item = top.empty() ? nullptr : itemAtPath(top)) TreeView_SelectSetFirstVisible(pane.tree, item);
    }
    SendMessageW(pane.tree, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(pane.tree, nullptr, TRUE);
    // A new template's tree shows its top level: it follows the caret once the caret moves.
    if (!keep) pane.followedCaret = s.caretOffset;
}

// Whether the item's row lies wholly in the tree's window.
bool inSight(HTREEITEM item) {
    RECT r{}, client{};
    GetClientRect(pane.tree, &client);
    return TreeView_GetItemRect(pane.tree, item, &r, FALSE) && r.top >= 0 && r.bottom <= client.bottom;
}

// Once the caret moved, the innermost node it stands in is chosen (a node
// chosen in the tree puts the caret on its first byte and keeps its place
// there, rather than giving it to its first field).
void followCaret() {
    const EditorState& s = *editorState;
    if (pane.nodes == nullptr || !caretOnDocument(s) || s.caretOffset == pane.followedCaret) return;
    pane.followedCaret = s.caretOffset;
    const TemplateNode* node = pane.nodes->nodeAt(static_cast<uint64_t>(s.caretOffset));
    HTREEITEM item = nullptr;
    if (node != nullptr && node != pane.nodes->root()) item = itemAtPath(itemPathOf(pane.nodes->path(node)));
    if (item == selectedItem()) return;
    selectQuietly(item);
    // Scrolling costs the tree control a look at every item in sight.
    if (item != nullptr && !inSight(item)) TreeView_EnsureVisible(pane.tree, item);
}

// The list's entry `index` (-1: none) shown with its parsed program.
void chooseSource(int index, std::shared_ptr<const TemplateProgram> program) {
    pane.chosen = index;
    pane.program = std::move(program);
    SendMessageA(pane.list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    showMessage({});
    rebuild(false);
}

// A new document: the first template whose match lines hold for it.
void chooseAutomatically() {
    const EditorState& s = *editorState;
    pane.documentPath = s.filePath;
    const std::vector<size_t> apply = templatesThatApply(pane.sources, s.filePath, s.documentBytes, s.documentSize);
    if (apply.empty()) {
        chooseSource(-1, nullptr);
    } else {
        chooseSource(static_cast<int>(apply.front()), parseTemplate(pane.sources[apply.front()].text).program);
    }
}

// A template the user chose: shown when it parses; otherwise its error, and nothing else changes.
bool tryChoose(const TemplateSource& source, int index) {
    const TemplateParse parsed = parseTemplate(source.text);
    if (parsed.program == nullptr) {
        SendMessageA(pane.list, CB_SETCURSEL, static_cast<WPARAM>(pane.chosen), 0);
        showMessage(shortName(source.path) + ": " + templateErrorText(parsed.error));
        return false;
    }
    if (index < 0) {
        // A file opened by hand joins the list (again in its place when it was there).
        auto same = std::find_if(pane.sources.begin(), pane.sources.end(), [&](const TemplateSource& t) {
            return lstrcmpiA(t.path.c_str(), source.path.c_str()) == 0;
        });
        index = static_cast<int>(same - pane.sources.begin());
        if (same == pane.sources.end()) {
            pane.sources.push_back(source);
            SendMessageA(pane.list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shortName(source.path).c_str()));
        } else {
            same->text = source.text;
        }
    }
    // The choice holds for this document: no automatic one replaces it.
    pane.documentPath = editorState->filePath;
    chooseSource(index, parsed.program);
    showHighlight();
    return true;
}

void openTemplateFile() {
    std::string filter = loadedText(IDS_STRUCTURE_FILTER);
    std::replace(filter.begin(), filter.end(), '|', '\0');
    char path[MAX_PATH] = "";
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = mainWindow;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = path;
    dialog.nMaxFile = sizeof path;
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameA(&dialog)) return;
    TemplateSource source{path, {}};
    if (!readTextFile(source.path, source.text)) {
        showError(mainWindow, -1, nullptr);
        return;
    }
    tryChoose(source, -1);
}

// ---------------------------------------------------------------- editing

void closeEditor() { pane.editor.close(); }

void commitEditor() {
    EditorState& s = *editorState;
    if (pane.nodes == nullptr || pane.editNode == nullptr || !isDocumentLoaded(s) || isEditLocked()) {
        closeEditor();
        return;
    }
    bool representable = true;
    const std::string text = pane.editor.text(codePageOf(pane.edit.encoding), representable);
    // The text it opened with writes nothing.
    if (representable && text == pane.edit.text) {
        closeEditor();
        return;
    }
    pane.editor.setCommitting(true);
    const int written = representable ? writeStructureValue(s, *pane.nodes, pane.editNode, text, mainWindow)
                                      : showError(mainWindow, IDS_ERR_INVALID_TEXT, nullptr);
    pane.editor.setCommitting(false);
    if (written == 0) {
        // Refused: the text stays for the user to mend, or Esc.
        if (HWND editor = pane.editor.window()) SetFocus(editor);
        return;
    }
    closeEditor();
    repaintView();
    updateToolbarStates();
}

void openEditor(HTREEITEM item) {
    const TemplateNode* node = nodeOf(item);
    // Nothing to write to, or writing is locked: nothing happens, as with typed digits.
    if (node == nullptr || pane.nodes == nullptr || !isDocumentLoaded(*editorState) || isEditLocked()) return;
    const TemplateFieldEdit edit = pane.nodes->fieldEdit(node);
    if (!edit.editable) return;
    RECT r{};
    if (!TreeView_GetItemRect(pane.tree, item, &r, TRUE)) return;
    // Over the value: after the offset, the name and the type.
    const std::wstring prefix = wideText(structureItemPrefix(pane.nodes->info(node)), CP_ACP);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(pane.tree, WM_GETFONT, 0, 0));
    SIZE size{};
    if (HDC dc = GetDC(pane.tree)) {
        HGDIOBJ old = SelectObject(dc, font);
        GetTextExtentPoint32W(dc, prefix.c_str(), static_cast<int>(prefix.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(pane.tree, dc);
    }
    RECT client{};
    GetClientRect(pane.tree, &client);
    const RECT place{std::min<LONG>(r.left + size.cx, client.right - 8 * editorState->charWidth), r.top - 1,
                     client.right, r.bottom + 1};
    if (!pane.editor.open(pane.tree, IDC_STRUCTURE_EDIT, place, wideText(edit.text, codePageOf(edit.encoding)), font,
                          commitEditor)) {
        return;
    }
    pane.editNode = node;
    pane.edit = edit;
}

// ---------------------------------------------------------------- following

void catchUp() {
    if (pane.window == nullptr) return;
    if (pane.followPending) KillTimer(pane.window, kFollowTimerId);
    pane.followPending = false;
    if (!pane.stale || !haveState()) return;
    pane.stale = false;
    const EditorState& s = *editorState;
    if (!isDocumentLoaded(s)) {
        if (pane.nodes != nullptr) rebuild(false);
    } else if (pane.documentPath != s.filePath) {
        chooseAutomatically();
    } else if (pane.nodes == nullptr || pane.version != s.bytesVersion || pane.bytes != s.documentBytes ||
               pane.size != s.documentSize) {
        if (!renewInPlace()) rebuild(true);
    }
    followCaret();
    showHighlight();
}

// The caret's field and the bytes are looked at once the keyboard lets go (a
// timer comes after every key press and paint waiting in the queue), so that
// a caret move is painted in the view as fast as without the pane.
void follow() {
    if (pane.window == nullptr) return;
    pane.stale = true;
    if (pane.followPending) return;
    pane.followPending = SetTimer(pane.window, kFollowTimerId, USER_TIMER_MINIMUM, nullptr) != 0;
    if (!pane.followPending) catchUp();
}

// ---------------------------------------------------------------- messages

void onSelectionChanged(const NMTREEVIEWW& change) {
    if (!pane.quiet && pane.nodes != nullptr && (change.action == TVC_BYMOUSE || change.action == TVC_BYKEYBOARD)) {
        EditorState& s = *editorState;
        const Entry* e = entryOf(change.itemNew.hItem);
        const TemplateNodeInfo info = e != nullptr ? infoOf(*e) : TemplateNodeInfo{};
        if (e != nullptr && info.kind != TemplateNodeKind::note && info.offset < s.documentSize) {
            s.caretOffset = static_cast<int32_t>(info.offset);
            s.caretNibble = 0;
            pane.followedCaret = s.caretOffset;
            bringCaretIntoView();
        }
    }
    showHighlight();
}

LRESULT onNotify(const NMHDR* n) {
    if (n->hwndFrom != pane.tree || pane.nodes == nullptr) return 0;
    switch (n->code) {
        case TVN_ITEMEXPANDINGW: {
            const auto* change = reinterpret_cast<const NMTREEVIEWW*>(n);
            if ((change->action & TVE_EXPAND) != 0) insertChildren(change->itemNew.hItem);
            return FALSE;
        }
        case TVN_SELCHANGEDW: onSelectionChanged(*reinterpret_cast<const NMTREEVIEWW*>(n)); return 0;
        case TVN_KEYDOWN: {
            const WORD key = reinterpret_cast<const NMTVKEYDOWN*>(n)->wVKey;
            if (key == VK_F2) openEditor(selectedItem());
            if (key == VK_ESCAPE && win().viewWindow != nullptr) SetFocus(win().viewWindow);
            return 0;
        }
        case NM_RETURN: openEditor(selectedItem()); return TRUE;
        case NM_DBLCLK: {
            TVHITTESTINFO hit{};
            GetCursorPos(&hit.pt);
            ScreenToClient(pane.tree, &hit.pt);
            HTREEITEM item = TreeView_HitTest(pane.tree, &hit);
            if (item == nullptr || (hit.flags & TVHT_ONITEMLABEL) == 0) return FALSE;
            const TemplateNode* node = nodeOf(item);
            if (node == nullptr || !pane.nodes->fieldEdit(node).editable) return FALSE;
            TreeView_SelectItem(pane.tree, item);
            openEditor(item);
            return TRUE;  // a value opens for editing, it does not open its item
        }
        default: return 0;
    }
}

HWND createChild(const char* className, const char* text, DWORD style, int id) {
    HWND child = CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, pane.window,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), appInstance, nullptr);
    HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
    if (child != nullptr) SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return child;
}

LRESULT onCreate(HWND window) {
    pane.window = window;
    pane.list = createChild("COMBOBOX", nullptr, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, IDC_STRUCTURE_LIST);
    pane.open = createChild("BUTTON", loadedText(IDS_STRUCTURE_OPEN).c_str(), WS_TABSTOP | BS_PUSHBUTTON,
                            IDC_STRUCTURE_OPEN);
    pane.message = createChild("STATIC", nullptr, SS_LEFT | SS_NOPREFIX, IDC_STRUCTURE_MESSAGE);
    pane.tree = CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, nullptr,
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN | TVS_HASBUTTONS | TVS_HASLINES |
                                    TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                                0, 0, 0, 0, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_STRUCTURE_TREE)),
                                appInstance, nullptr);
    if (pane.list == nullptr || pane.open == nullptr || pane.message == nullptr || pane.tree == nullptr) return -1;
    ShowWindow(pane.message, SW_HIDE);
    keepTreeFont();
    pane.sources = folderTemplates();
    for (const TemplateSource& source : pane.sources) {
        SendMessageA(pane.list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shortName(source.path).c_str()));
    }
    return 0;
}

// The tree's items go with their window after this; nothing reads their nodes then.
void onDestroy() {
    KillTimer(pane.window, kFollowTimerId);
    if (haveState()) editorState->highlight = ByteHighlight{0, 0};
    pane.editor.close();
    pane.window = pane.list = pane.open = pane.message = pane.tree = nullptr;
    pane.sources.clear();
    pane.chosen = -1;
    pane.program = nullptr;
    pane.nodes.reset();
    pane.entries.clear();
    pane.documentPath.clear();
    pane.stale = pane.followPending = pane.quiet = pane.visible = false;
    pane.editNode = nullptr;
    pane.followedCaret = -1;
}

// The splitter and the room around the controls; the host has the pane
// painted after every placement, which is when a new font arrives.
void paintPane(HWND window) {
    keepTreeFont();
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (dc == nullptr) return;
    RECT client{};
    GetClientRect(window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    EndPaint(window, &ps);
}

LRESULT CALLBACK structureWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!haveState()) return DefWindowProcA(window, message, wParam, lParam);
    LRESULT taken = 0;
    if (paneSplitterMessage(window, message, wParam, lParam, taken)) return taken;
    switch (message) {
        case WM_CREATE: return onCreate(window);
        case WM_DESTROY: onDestroy(); return 0;
        case WM_SIZE: layoutPane(); return 0;
        case WM_PAINT: paintPane(window); return 0;
        case WM_SETFOCUS:
            if (pane.tree != nullptr) SetFocus(pane.tree);
            return 0;
        case WM_SHOWWINDOW:
            pane.visible = wParam != 0;
            if (pane.visible) {
                follow();
            } else {
                closeEditor();
                showHighlight();
            }
            return 0;
        case WM_NOTIFYFORMAT: return NFR_UNICODE;  // the tree's items are UTF-16
        case WM_NOTIFY: return onNotify(reinterpret_cast<const NMHDR*>(lParam));
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_STRUCTURE_OPEN && HIWORD(wParam) == BN_CLICKED) openTemplateFile();
            if (LOWORD(wParam) == IDC_STRUCTURE_LIST && HIWORD(wParam) == CBN_SELCHANGE) {
                const auto index = static_cast<int>(SendMessageA(pane.list, CB_GETCURSEL, 0, 0));
                if (index >= 0 && static_cast<size_t>(index) < pane.sources.size() && index != pane.chosen) {
                    tryChoose(pane.sources[static_cast<size_t>(index)], index);
                }
            }
            return 0;
        case WM_TIMER:
            if (wParam == kFollowTimerId) catchUp();
            return 0;
        default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND& paneWindowField() {
    static HWND window = nullptr;
    return window;
}

bool keepsKey(const MSG& m) {
    if (m.hwnd == nullptr) return false;
    if (m.hwnd == pane.editor.window()) return true;
    // F2 edits the chosen value here rather than going to the next mark.
    return m.hwnd == pane.tree && m.message == WM_KEYDOWN && m.wParam == VK_F2;
}

}  // namespace

HWND structurePaneWindow() { return paneWindowField(); }

void structureCatchUp() {
    pane.stale = true;
    catchUp();
}

// The pane in the pane host beside the view (shell/panes_win.h).
extern const PaneHooks structurePaneHooks = {
    kStructureClassName,
    structureWindowProc,
    0,
    IDM_STRUCTURE,
    IDC_STRUCTURE,
    IDS_PANE_STRUCTURE,
    IDH_STRUCTURE,
    "Struct",
    [](EditorState& s) -> PanePlacement& { return s.structurePane; },
    [](EditorState& s) -> int32_t& { return s.structurePaneChanged; },
    paneWindowField,
    [](const EditorState& s, int32_t containerWidth) {
        return paneWidthIn(s.structurePane, containerWidth, s.charWidth, kPaneSplitter + kDefaultChars * s.charWidth);
    },
    follow,
    closeEditor,
    keepsKey,
};
