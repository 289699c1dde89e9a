// Reads the string table of resources/moxel.rc, with the ids of
// resources/resource_ids.h, for the native build and the resource tests.
#pragma once

#include <map>
#include <string>
#include <vector>

// Named constants of a header of #define lines.
std::map<std::string, long> readResourceIds(const std::string& headerPath);

// The STRINGTABLE entries of an .rc file (UTF-8 texts, escapes resolved),
// keyed by numeric id. `ids` resolves named ids. Duplicate ids are reported
// in `duplicates` when given.
std::map<long, std::string> readStringTable(const std::string& rcPath,
                                            const std::map<std::string, long>& ids,
                                            std::string* duplicates = nullptr);

// Resolves an .rc string literal body (between the quotes) to its text.
std::string unescapeRcString(const std::string& body);

// ---------------------------------------------------------------------
// Structured reading of the other resource blocks, for the resource tests.
// The script is read line by line: every statement of moxel.rc stays on one
// line. Ids are resolved through `ids` (named) or as numbers.

// A top-level resource statement: "NAME TYPE ..." (or STRINGTABLE).
struct RcResource {
    std::string type;   // MENU, ACCELERATORS, DIALOG, ICON, CURSOR, BITMAP, STRINGTABLE ...
    std::string name;   // the id as written
    long id = 0;
    bool idResolved = false;
    std::string file;   // the file of ICON, CURSOR and BITMAP statements
};
std::vector<RcResource> readResourceList(const std::string& rcPath,
                                         const std::map<std::string, long>& ids);

// One entry of a MENU, in script order; items of a popup follow it one level deeper.
struct RcMenuItem {
    int depth = 0;
    bool popup = false;
    bool separator = false;
    bool checked = false;
    bool grayed = false;
    long id = 0;        // 0 for popups and separators
    std::string text;   // escapes resolved
};
// Empty when the script has no MENU with that id.
std::vector<RcMenuItem> readMenu(const std::string& rcPath,
                                 const std::map<std::string, long>& ids, long menuId);

struct RcAccelerator {
    std::string key;                 // "C" for a quoted key, else the VK_ name or number
    long command = 0;
    std::vector<std::string> flags;  // VIRTKEY, CONTROL, ALT, SHIFT, NOINVERT as written
};
std::vector<RcAccelerator> readAccelerators(const std::string& rcPath,
                                            const std::map<std::string, long>& ids, long tableId);

struct RcControl {
    std::string kind;    // LISTBOX, PUSHBUTTON, CONTROL ...
    std::string text;
    long id = 0;
    bool idResolved = false;
    std::string className;  // CONTROL statements only
    int x = 0, y = 0, width = 0, height = 0;
    std::string style;   // as written, blanks removed ("LBS_SORT|LBS_NOTIFY")
};
struct RcDialog {
    bool found = false;
    std::string type;    // DIALOG or DIALOGEX
    int x = 0, y = 0, width = 0, height = 0;
    std::string style;   // blanks removed
    std::string caption;
    int fontSize = 0;
    std::string fontName;
    std::vector<RcControl> controls;
};
RcDialog readDialog(const std::string& rcPath, const std::map<std::string, long>& ids, long dialogId);
