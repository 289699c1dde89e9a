#include "shell/recent_files.h"

#include <cstdio>
#include <cstring>

#include "shell/file_name.h"

namespace {

unsigned char foldAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// Copies at most kPathLength - 1 bytes, never cutting a double-byte character.
void copyPath(char* to, const char* from) {
    size_t n = 0;
    while (from[n] != '\0' && n < static_cast<size_t>(kPathLength - 1)) {
        if (isShiftJisLeadByte(static_cast<unsigned char>(from[n]))) {
            if (from[n + 1] == '\0' || n + 2 > static_cast<size_t>(kPathLength - 1)) break;
            n += 2;
        } else {
            ++n;
        }
    }
    std::memcpy(to, from, n);
    to[n] = '\0';
}

}  // namespace

int comparePathsIgnoringCase(const char* a, const char* b) {
    const auto* p = reinterpret_cast<const unsigned char*>(a);
    const auto* q = reinterpret_cast<const unsigned char*>(b);
    for (;;) {
        if (*p != *q) {
            if (foldAscii(*p) != foldAscii(*q)) return foldAscii(*p) < foldAscii(*q) ? -1 : 1;
        }
        if (*p == '\0') return 0;
        if (isShiftJisLeadByte(*p)) {
            // Same lead byte: the trail bytes must match exactly.
            ++p;
            ++q;
            if (*p != *q) return *p < *q ? -1 : 1;
            if (*p == '\0') return 0;
        }
        ++p;
        ++q;
    }
}

int addRecentPath(EditorState& s, const char* path) {
    if (path == nullptr || *path == '\0') return -1;
    // `path` may be one of the entries (a recent item opened again): copy it first.
    char copy[kPathLength] = {};
    copyPath(copy, path);
    if (copy[0] == '\0') return -1;  // a lone lead byte: an empty entry would break the run
    int from = kRecentFileCount - 1;
    for (int i = 0; i < kRecentFileCount; ++i) {
        if (s.recentFiles[i][0] != '\0' && comparePathsIgnoringCase(s.recentFiles[i], copy) == 0) {
            from = i;
            break;
        }
    }
    for (int j = from; j >= 1; --j) {
        if (s.recentFiles[j - 1][0] != '\0') std::memcpy(s.recentFiles[j], s.recentFiles[j - 1], kPathLength);
    }
    std::memcpy(s.recentFiles[0], copy, kPathLength);
    // Entries opened here stay ahead of the rest: one from among them only
    // moves up, any other joins them.
    if (from >= s.recentOpenedCount && s.recentOpenedCount < kRecentFileCount) ++s.recentOpenedCount;
    return from;
}

int recentFilesToStore(const EditorState& s, const char (*stored)[kPathLength], int storedCount,
                       char (*out)[kPathLength]) {
    int n = 0;
    auto take = [&](const char* path) {
        if (n >= kRecentFileCount || path[0] == '\0') return;
        for (int i = 0; i < n; ++i) {
            if (comparePathsIgnoringCase(out[i], path) == 0) return;
        }
        copyPath(out[n++], path);
    };
    const int opened = s.recentOpenedCount < kRecentFileCount ? s.recentOpenedCount : kRecentFileCount;
    for (int i = 0; i < opened; ++i) take(s.recentFiles[i]);
    for (int i = 0; stored != nullptr && i < storedCount; ++i) take(stored[i]);
    for (int i = n; i < kRecentFileCount; ++i) out[i][0] = '\0';
    return n;
}

int appendLoadedRecentPath(EditorState& s, const char* path) {
    if (path == nullptr || *path == '\0') return 0;
    int n = recentFileCount(s);
    if (n >= kRecentFileCount) return 0;
    copyPath(s.recentFiles[n], path);
    return 1;
}

int recentFileCount(const EditorState& s) {
    int n = 0;
    while (n < kRecentFileCount && s.recentFiles[n][0] != '\0') ++n;
    return n;
}

int formatRecentCaption(char* out, size_t size, int index, const char* path) {
    if (out == nullptr || size == 0) return 0;
    int n = std::snprintf(out, size, "&%d ", index);
    if (n < 0) {
        out[0] = '\0';
        return 0;
    }
    size_t used = static_cast<size_t>(n) < size ? static_cast<size_t>(n) : size - 1;
    // A menu shows "&&" as one "&"; a lone one would underline the next
    // character. '&' is never the second byte of a Shift-JIS character.
    for (const char* p = path != nullptr ? path : ""; *p != '\0'; ++p) {
        const size_t need = *p == '&' ? 2 : 1;
        if (used + need > size - 1) break;
        out[used++] = *p;
        if (*p == '&') out[used++] = '&';
    }
    out[used] = '\0';
    return static_cast<int>(used);
}
