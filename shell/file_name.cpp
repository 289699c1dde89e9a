#include "shell/file_name.h"

#include <cstring>

#include "shell/editor_state.h"

const char* fileNamePart(const char* path, char* out) {
    if (path == nullptr || out == nullptr) return nullptr;
    out[0] = '\0';
    const char* lastBackslash = nullptr;
    const char* lastSlash = nullptr;
    for (const char* p = path; *p != '\0'; ++p) {
        auto b = static_cast<unsigned char>(*p);
        if (isShiftJisLeadByte(b) && p[1] != '\0') {
            ++p;  // skip the trail byte, which may be 0x5C or 0x2F
            continue;
        }
        if (b == '\\') lastBackslash = p;
        else if (b == '/') lastSlash = p;
    }
    const char* sep = lastBackslash ? lastBackslash : lastSlash;
    if (sep == nullptr) return nullptr;
    std::strncpy(out, sep + 1, kPathLength - 1);
    out[kPathLength - 1] = '\0';
    return sep + 1;
}
