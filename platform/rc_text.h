// Reads the string table of resources/moxel.rc, with the ids of
// resources/resource_ids.h, for the native build and the resource tests.
#pragma once

#include <map>
#include <string>

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
