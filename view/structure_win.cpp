// The structure pane. Its tree items stand for the nodes of one TemplateTree
// (each item's lParam is its node); they are made as their parents open, and
// made anew over a new tree whenever the bytes change, with the open and the
// chosen items opened and chosen again by their paths.
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

// Reads the bytes and the caret once the keyboard lets go (see structureFollow).
constexpr UINT_PTR kFollowTimerId = 1;
constexpr int kMargin = 3;
// The longest template file read, in bytes.
constexpr DWORD kLargestTemplate = 4u << 20;
// Character cells of the pane without a stored width.
constexpr int32_t kDefaultChars = 56;

using Path = std::vector<uint64_t>;

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
    int64_t placedCaret = -1;    // where choosing an item in the tree put the caret
    ValueEditor editor;
    const TemplateNode* editNode = nullptr;
    TemplateFieldEdit edit{};
};

Pane pane;

bool haveState() { return editorState != nullptr && editorState->windows != nullptr; }

std::wstring widen(const std::string& text, UINT codePage) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

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
    std::sort(found.begin(), found.end(),
              [](const TemplateSource& a, const TemplateSource& b) { return lstrcmpiA(a.path.c_str(), b.path.c_str()) < 0; });
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

void showMessage(const std::string& text) {
    SetWindowTextA(pane.message, text.c_str());
    ShowWindow(pane.message, text.empty() ? SW_HIDE : SW_SHOWNA);
    layoutPane();
}

// ---------------------------------------------------------------- the highlight

const TemplateNode* nodeOf(HTREEITEM item) {
    if (item == nullptr) return nullptr;
    TVITEMW it{};
    it.mask = TVIF_PARAM;
    it.hItem = item;
    if (!SendMessageW(pane.tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&it))) return nullptr;
    return reinterpret_cast<const TemplateNode*>(it.lParam);
}

HTREEITEM selectedItem() { return TreeView_GetSelection(pane.tree); }

// The view shows the chosen node's bytes while the pane can be seen.
void showHighlight() {
    EditorState& s = *editorState;
    ByteHighlight h{0, 0};
    const TemplateNode* node = nodeOf(selectedItem());
    if (pane.visible && pane.nodes != nullptr && node != nullptr && isDocumentLoaded(s)) {
        h = highlightOf(pane.nodes->info(node), s.documentSize);
    }
    if (h.offset == s.highlight.offset && h.length == s.highlight.length) return;
    s.highlight = h;
    repaintView();
}

// ---------------------------------------------------------------- the tree

std::wstring itemText(const TemplateNode* node) {
    const TemplateNodeInfo info = pane.nodes->info(node);
    if (info.kind == TemplateNodeKind::note) return widen(templateMessageText(info.note, info.noteDetail), CP_ACP);
    return widen(structureItemPrefix(info), CP_ACP) + widen(info.value, codePageOf(info.encoding));
}

HTREEITEM insertItem(HTREEITEM parent, const TemplateNode* node) {
    std::wstring text = itemText(node);
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN;
    insert.item.pszText = text.data();
    insert.item.lParam = reinterpret_cast<LPARAM>(node);
    insert.item.cChildren = pane.nodes->info(node).hasChildren ? 1 : 0;
    return reinterpret_cast<HTREEITEM>(SendMessageW(pane.tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

// The items of a node's children, made when it first opens (an array's
// elements come in groups, so that there are never many at once).
void insertChildren(HTREEITEM item, const TemplateNode* node) {
    if (TreeView_GetChild(pane.tree, item) != nullptr) return;
    const uint64_t count = pane.nodes->childCount(node);
    for (uint64_t i = 0; i < count; ++i) {
        const TemplateNode* child = pane.nodes->child(node, i);
        if (child == nullptr) break;
        insertItem(item, child);
    }
    if (count == 0 && item != TVI_ROOT) {
        TVITEMW it{};
        it.mask = TVIF_CHILDREN;
        it.hItem = item;
        it.cChildren = 0;
        SendMessageW(pane.tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&it));
    }
}

// The item of the node at `path` (child indexes from the top), its parents
// opened on the way; null when the tree has no such node.
HTREEITEM itemAtPath(const Path& path) {
    HTREEITEM item = nullptr;
    for (uint64_t index : path) {
        if (item != nullptr) TreeView_Expand(pane.tree, item, TVE_EXPAND);
        HTREEITEM child = item != nullptr ? TreeView_GetChild(pane.tree, item) : TreeView_GetRoot(pane.tree);
        for (uint64_t i = 0; i < index && child != nullptr; ++i) child = TreeView_GetNextSibling(pane.tree, child);
        if (child == nullptr) return nullptr;
        item = child;
    }
    return item;
}

Path pathOf(HTREEITEM item) {
    const TemplateNode* node = nodeOf(item);
    return node != nullptr && pane.nodes != nullptr ? pane.nodes->path(node) : Path{};
}

// The open items, parents before their children.
void collectOpen(HTREEITEM item, std::vector<Path>& out) {
    for (; item != nullptr; item = TreeView_GetNextSibling(pane.tree, item)) {
        if ((TreeView_GetItemState(pane.tree, item, TVIS_EXPANDED) & TVIS_EXPANDED) == 0) continue;
        out.push_back(pathOf(item));
        collectOpen(TreeView_GetChild(pane.tree, item), out);
    }
}

void selectQuietly(HTREEITEM item) {
    pane.quiet = true;
    TreeView_SelectItem(pane.tree, item);
    pane.quiet = false;
}

// A new tree over the document as it is; `keep`: the items that were open,
// the chosen one and the first one in sight, again where their paths lead.
void rebuild(bool keep) {
    EditorState& s = *editorState;
    pane.editor.close();
    std::vector<Path> open;
    Path chosen, top;
    if (keep && pane.nodes != nullptr) {
        collectOpen(TreeView_GetRoot(pane.tree), open);
        chosen = pathOf(selectedItem());
        top = pathOf(TreeView_GetFirstVisible(pane.tree));
    }
    SendMessageW(pane.tree, WM_SETREDRAW, FALSE, 0);
    selectQuietly(nullptr);
    pane.quiet = true;
    TreeView_DeleteAllItems(pane.tree);
    pane.quiet = false;
    pane.nodes.reset();
    pane.version = s.bytesVersion;
    pane.bytes = s.documentBytes;
    pane.size = s.documentSize;
    if (pane.program != nullptr && isDocumentLoaded(s)) {
        pane.nodes = std::make_unique<TemplateTree>(pane.program, s.documentBytes, s.documentSize);
        insertChildren(TVI_ROOT, pane.nodes->root());
        for (const Path& p : open) {
            if (HTREEITEM item = itemAtPath(p)) TreeView_Expand(pane.tree, item, TVE_EXPAND);
        }
        if (HTREEITEM item = chosen.empty() ? nullptr : itemAtPath(chosen)) selectQuietly(item);
        if (HTREEITEM item = top.empty() ? nullptr : itemAtPath(top)) TreeView_SelectSetFirstVisible(pane.tree, item);
    }
    SendMessageW(pane.tree, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(pane.tree, nullptr, TRUE);
}

// The innermost node the caret stands in is chosen, unless the caret stays
// where choosing a node in the tree put it (a struct keeps its place then,
// rather than giving it to its first field).
void followCaret() {
    const EditorState& s = *editorState;
    if (pane.nodes == nullptr || !caretOnDocument(s)) return;
    const auto caret = static_cast<uint64_t>(s.caretOffset);
    const TemplateNode* chosen = nodeOf(selectedItem());
    if (chosen != nullptr && s.caretOffset == pane.placedCaret && nodeHolds(pane.nodes->info(chosen), caret)) return;
    pane.placedCaret = -1;
    const TemplateNode* node = pane.nodes->nodeAt(caret);
    HTREEITEM item = node != nullptr && node != pane.nodes->root() ? itemAtPath(pane.nodes->path(node)) : nullptr;
    selectQuietly(item);
    if (item != nullptr) TreeView_EnsureVisible(pane.tree, item);
}

void chooseSource(int index) {
    pane.chosen = index;
    pane.program = nullptr;
    if (index >= 0) pane.program = parseTemplate(pane.sources[static_cast<size_t>(index)].text).program;
    SendMessageA(pane.list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    showMessage({});
    rebuild(false);
}

// A new document: the first template whose match lines hold for it.
void chooseAutomatically() {
    const EditorState& s = *editorState;
    pane.documentPath = s.filePath;
    const std::vector<size_t> apply = templatesThatApply(pane.sources, s.filePath, s.documentBytes, s.documentSize);
    chooseSource(apply.empty() ? -1 : static_cast<int>(apply.front()));
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
    chooseSource(index);
    followCaret();
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
    const std::wstring prefix = widen(structureItemPrefix(pane.nodes->info(node)), CP_ACP);
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
    if (!pane.editor.open(pane.tree, IDC_STRUCTURE_EDIT, place, widen(edit.text, codePageOf(edit.encoding)), font,
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
        rebuild(true);
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
        const TemplateNodeInfo info = pane.nodes->info(reinterpret_cast<const TemplateNode*>(change.itemNew.lParam));
        if (info.kind != TemplateNodeKind::note && info.offset < s.documentSize) {
            s.caretOffset = static_cast<int32_t>(info.offset);
            s.caretNibble = 0;
            pane.placedCaret = s.caretOffset;
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
            if ((change->action & TVE_EXPAND) != 0) {
                insertChildren(change->itemNew.hItem, reinterpret_cast<const TemplateNode*>(change->itemNew.lParam));
            }
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
    if (child != nullptr) SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
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
    SendMessageW(pane.tree, WM_SETFONT, reinterpret_cast<WPARAM>(win().displayFont), FALSE);
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
    pane.documentPath.clear();
    pane.stale = pane.followPending = pane.quiet = pane.visible = false;
    pane.editNode = nullptr;
    pane.placedCaret = -1;
}

void paintSplitter(HWND window) {
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
        case WM_PAINT: paintSplitter(window); return 0;
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
