#include "platform/rc_text.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
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
