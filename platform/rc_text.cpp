#include "platform/rc_text.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <sstream>

namespace {

std::string trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

long resolveId(const std::string& token, const std::map<std::string, long>& ids, bool* ok) {
    *ok = true;
    auto it = ids.find(token);
    if (it != ids.end()) return it->second;
    char* end = nullptr;
    long v = std::strtol(token.c_str(), &end, 0);
    if (end == token.c_str() || *end != '\0') *ok = false;
    return v;
}

}  // namespace

std::map<std::string, long> readResourceIds(const std::string& headerPath) {
    std::map<std::string, long> ids;
    std::ifstream in(headerPath);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream ls(line);
        std::string hash, name, value;
        if (!(ls >> hash >> name >> value) || hash != "#define") continue;
        char* end = nullptr;
        long v = std::strtol(value.c_str(), &end, 0);
        if (end != value.c_str() && *end == '\0') ids[name] = v;
    }
    return ids;
}

std::string unescapeRcString(const std::string& body) {
    std::string out;
    for (size_t i = 0; i < body.size(); ++i) {
        char c = body[i];
        if (c == '"' && i + 1 < body.size() && body[i + 1] == '"') {
            out += '"';
            ++i;
        } else if (c == '\\' && i + 1 < body.size()) {
            char n = body[++i];
            switch (n) {
                case 't': out += '\t'; break;
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case '\\': out += '\\'; break;
                case '"': out += '"'; break;
                default: out += '\\'; out += n; break;
            }
        } else {
            out += c;
        }
    }
    return out;
}

std::map<long, std::string> readStringTable(const std::string& rcPath,
                                            const std::map<std::string, long>& ids,
                                            std::string* duplicates) {
    std::map<long, std::string> table;
    std::ifstream in(rcPath);
    std::string line;
    bool inTable = false, inBlock = false;
    while (std::getline(in, line)) {
        std::string t = trim(line);
        if (t.empty() || t.rfind("//", 0) == 0) continue;
        if (!inTable) {
            if (t.rfind("STRINGTABLE", 0) == 0) inTable = true;
            continue;
        }
        if (!inBlock) {
            if (t == "BEGIN" || t == "{") inBlock = true;
            continue;
        }
        if (t == "END" || t == "}") {
            inTable = inBlock = false;
            continue;
        }
        size_t q = t.find('"');
        size_t lq = t.rfind('"');
        if (q == std::string::npos || lq == q) continue;
        std::string idToken = trim(t.substr(0, q));
        if (!idToken.empty() && idToken.back() == ',') idToken = trim(idToken.substr(0, idToken.size() - 1));
        bool ok = false;
        long id = resolveId(idToken, ids, &ok);
        if (!ok) continue;
        std::string text = unescapeRcString(t.substr(q + 1, lq - q - 1));
        if (table.count(id) && duplicates) *duplicates += std::to_string(id) + " ";
        table[id] = text;
    }
    return table;
}

// ---------------------------------------------------------------------
// Structured blocks

namespace {

struct RcToken {
    enum Kind { Word, String, Comma, Bar } kind;
    std::string text;  // strings: escapes resolved
};
using RcLine = std::vector<RcToken>;

// Splits one script line into words, strings, commas and bars; a // comment
// outside a string ends the line.
RcLine tokenize(const std::string& line) {
    RcLine out;
    size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++i;
        } else if (c == '/' && i + 1 < line.size() && line[i + 1] == '/') {
            break;
        } else if (c == ',') {
            out.push_back({RcToken::Comma, ","});
            ++i;
        } else if (c == '|') {
            out.push_back({RcToken::Bar, "|"});
            ++i;
        } else if (c == '"' || ((c == 'L' || c == 'l') && i + 1 < line.size() && line[i + 1] == '"')) {
            if (c != '"') ++i;
            size_t j = i + 1;
            std::string body;
            while (j < line.size()) {
                if (line[j] == '"' && j + 1 < line.size() && line[j + 1] == '"') {
                    body += "\"\"";
                    j += 2;
                } else if (line[j] == '\\' && j + 1 < line.size()) {
                    body += line.substr(j, 2);
                    j += 2;
                } else if (line[j] == '"') {
                    break;
                } else {
                    body += line[j++];
                }
            }
            out.push_back({RcToken::String, unescapeRcString(body)});
            i = j + 1;
        } else {
            size_t j = i;
            while (j < line.size() && !std::isspace(static_cast<unsigned char>(line[j])) && line[j] != ',' &&
                   line[j] != '|' && line[j] != '"')
                ++j;
            out.push_back({RcToken::Word, line.substr(i, j - i)});
            i = j;
        }
    }
    return out;
}

bool isWord(const RcLine& l, size_t i, const char* w) {
    return i < l.size() && l[i].kind == RcToken::Word && l[i].text == w;
}

bool isBegin(const RcLine& l) { return l.size() == 1 && (isWord(l, 0, "BEGIN") || isWord(l, 0, "{")); }
bool isEnd(const RcLine& l) { return l.size() == 1 && (isWord(l, 0, "END") || isWord(l, 0, "}")); }

// One resource statement with its option lines (before BEGIN) and its body
// lines (between the outer BEGIN and END, nested BEGIN/END kept).
struct RcBlock {
    RcLine header;
    std::vector<RcLine> options;
    std::vector<RcLine> body;
};

// Statements with a BEGIN ... END block, and statements naming a file.
const char* const kBlockTypes[] = {"MENU", "MENUEX", "ACCELERATORS", "DIALOG", "DIALOGEX", "VERSIONINFO"};
const char* const kFileTypes[] = {"ICON", "CURSOR", "BITMAP", "RT_MANIFEST", "24"};

bool hasBlock(const std::string& type) {
    if (type == "STRINGTABLE") return true;
    for (const char* k : kBlockTypes)
        if (type == k) return true;
    return false;
}

std::vector<RcBlock> readBlocks(const std::string& rcPath) {
    std::vector<RcBlock> blocks;
    std::ifstream in(rcPath);
    std::string raw;
    enum { Top, Options, Body } where = Top;
    int depth = 0;
    while (std::getline(in, raw)) {
        std::string t = trim(raw);
        if (t.empty() || t[0] == '#') continue;
        RcLine line = tokenize(t);
        if (line.empty()) continue;
        if (where == Top) {
            std::string type;
            if (isWord(line, 0, "STRINGTABLE")) {
                type = "STRINGTABLE";
            } else if (line.size() >= 2 && line[1].kind == RcToken::Word) {
                for (const char* k : kBlockTypes)
                    if (line[1].text == k) type = k;
                for (const char* k : kFileTypes)
                    if (line[1].text == k) type = k;
            }
            if (type.empty()) continue;  // LANGUAGE and the like
            blocks.push_back({line, {}, {}});
            if (hasBlock(type)) where = Options;
        } else if (where == Options) {
            if (isBegin(line)) {
                where = Body;
                depth = 1;
            } else {
                blocks.back().options.push_back(line);
            }
        } else {
            if (isBegin(line)) ++depth;
            if (isEnd(line) && --depth == 0) {
                where = Top;
                continue;
            }
            blocks.back().body.push_back(line);
        }
    }
    return blocks;
}

// Splits tokens [from, end) at commas; each field keeps its tokens.
std::vector<RcLine> fields(const RcLine& l, size_t from) {
    std::vector<RcLine> out(1);
    for (size_t i = from; i < l.size(); ++i) {
        if (l[i].kind == RcToken::Comma)
            out.emplace_back();
        else
            out.back().push_back(l[i]);
    }
    if (out.size() == 1 && out[0].empty()) out.clear();
    return out;
}

std::string joined(const RcLine& field) {
    std::string s;
    for (const RcToken& t : field) s += t.text;
    return s;
}

long fieldId(const RcLine& field, const std::map<std::string, long>& ids, bool* ok = nullptr) {
    bool good = false;
    long v = field.size() == 1 ? resolveId(field[0].text, ids, &good) : 0;
    if (ok) *ok = good;
    return v;
}

const RcBlock* findBlock(const std::vector<RcBlock>& blocks, const std::map<std::string, long>& ids,
                         long id, std::initializer_list<const char*> types) {
    for (const RcBlock& b : blocks) {
        if (b.header.size() < 2) continue;
        bool typeOk = false;
        for (const char* t : types) typeOk = typeOk || b.header[1].text == t;
        bool ok = false;
        if (typeOk && resolveId(b.header[0].text, ids, &ok) == id && ok) return &b;
    }
    return nullptr;
}

}  // namespace

std::vector<RcResource> readResourceList(const std::string& rcPath, const std::map<std::string, long>& ids) {
    std::vector<RcResource> out;
    for (const RcBlock& b : readBlocks(rcPath)) {
        RcResource r;
        if (isWord(b.header, 0, "STRINGTABLE")) {
            r.type = "STRINGTABLE";
        } else {
            r.name = b.header[0].text;
            r.type = b.header[1].text;
            r.id = resolveId(r.name, ids, &r.idResolved);
            for (size_t i = 2; i < b.header.size(); ++i)
                if (b.header[i].kind == RcToken::String) r.file = b.header[i].text;
        }
        out.push_back(r);
    }
    return out;
}

std::vector<RcMenuItem> readMenu(const std::string& rcPath, const std::map<std::string, long>& ids, long menuId) {
    std::vector<RcMenuItem> items;
    std::vector<RcBlock> blocks = readBlocks(rcPath);
    const RcBlock* b = findBlock(blocks, ids, menuId, {"MENU"});
    if (!b) return items;
    int depth = 0;
    for (const RcLine& l : b->body) {
        if (isBegin(l)) continue;  // a popup's items follow one level deeper
        if (isEnd(l)) {
            --depth;
            continue;
        }
        RcMenuItem item;
        item.depth = depth;
        if (isWord(l, 0, "MENUITEM") && isWord(l, 1, "SEPARATOR")) {
            item.separator = true;
        } else if (isWord(l, 0, "MENUITEM") || isWord(l, 0, "POPUP")) {
            item.popup = isWord(l, 0, "POPUP");
            std::vector<RcLine> f = fields(l, 1);
            if (!f.empty() && f[0].size() == 1 && f[0][0].kind == RcToken::String) item.text = f[0][0].text;
            size_t flagsFrom = 1;
            if (!item.popup && f.size() > 1) {
                item.id = fieldId(f[1], ids);
                flagsFrom = 2;
            }
            for (size_t i = flagsFrom; i < f.size(); ++i) {
                std::string flag = joined(f[i]);
                item.checked = item.checked || flag == "CHECKED";
                item.grayed = item.grayed || flag == "GRAYED";
            }
            if (item.popup) ++depth;
        } else {
            continue;
        }
        items.push_back(item);
    }
    return items;
}

std::vector<RcAccelerator> readAccelerators(const std::string& rcPath, const std::map<std::string, long>& ids,
                                            long tableId) {
    std::vector<RcAccelerator> out;
    std::vector<RcBlock> blocks = readBlocks(rcPath);
    const RcBlock* b = findBlock(blocks, ids, tableId, {"ACCELERATORS"});
    if (!b) return out;
    for (const RcLine& l : b->body) {
        std::vector<RcLine> f = fields(l, 0);
        if (f.size() < 2 || f[0].size() != 1) continue;
        RcAccelerator a;
        a.key = f[0][0].text;
        a.command = fieldId(f[1], ids);
        for (size_t i = 2; i < f.size(); ++i) a.flags.push_back(joined(f[i]));
        out.push_back(a);
    }
    return out;
}

RcDialog readDialog(const std::string& rcPath, const std::map<std::string, long>& ids, long dialogId) {
    RcDialog d;
    std::vector<RcBlock> blocks = readBlocks(rcPath);
    const RcBlock* b = findBlock(blocks, ids, dialogId, {"DIALOG", "DIALOGEX"});
    if (!b) return d;
    d.found = true;
    d.type = b->header[1].text;
    auto number = [&](const RcLine& field) { return static_cast<int>(fieldId(field, ids)); };
    std::vector<RcLine> rect = fields(b->header, 2);
    // DIALOG NAME DIALOG [MOVEABLE ...] x, y, w, h: the first field may carry attributes first.
    if (rect.size() >= 4) {
        if (rect[0].size() > 1) rect[0].erase(rect[0].begin(), rect[0].end() - 1);
        d.x = number(rect[0]);
        d.y = number(rect[1]);
        d.width = number(rect[2]);
        d.height = number(rect[3]);
    }
    for (const RcLine& l : b->options) {
        std::vector<RcLine> f = fields(l, 1);
        if (isWord(l, 0, "STYLE")) {
            d.style = f.empty() ? "" : joined(f[0]);
        } else if (isWord(l, 0, "CAPTION") && !f.empty()) {
            d.caption = joined(f[0]);
        } else if (isWord(l, 0, "FONT") && f.size() >= 2) {
            d.fontSize = number(f[0]);
            d.fontName = joined(f[1]);
        }
    }
    static const char* const textFirst[] = {"LTEXT",       "CTEXT",       "RTEXT",          "PUSHBUTTON",
                                            "DEFPUSHBUTTON", "GROUPBOX",  "CHECKBOX",       "AUTOCHECKBOX",
                                            "RADIOBUTTON", "AUTORADIOBUTTON", "STATE3",     "AUTO3STATE",
                                            "PUSHBOX",     "ICON",        "CONTROL"};
    for (const RcLine& l : b->body) {
        if (l.empty() || l[0].kind != RcToken::Word) continue;
        RcControl c;
        c.kind = l[0].text;
        std::vector<RcLine> f = fields(l, 1);
        bool hasText = false;
        for (const char* k : textFirst) hasText = hasText || c.kind == k;
        size_t i = 0;
        if (hasText) {
            if (f.empty()) continue;
            c.text = joined(f[i++]);
        }
        if (i < f.size()) c.id = fieldId(f[i++], ids, &c.idResolved);
        if (c.kind == "CONTROL") {
            if (i < f.size()) c.className = joined(f[i++]);
            if (i < f.size()) c.style = joined(f[i++]);
        }
        if (i + 4 <= f.size()) {
            c.x = number(f[i]);
            c.y = number(f[i + 1]);
            c.width = number(f[i + 2]);
            c.height = number(f[i + 3]);
            i += 4;
        }
        if (c.kind != "CONTROL" && i < f.size()) c.style = joined(f[i]);
        d.controls.push_back(c);
    }
    return d;
}
