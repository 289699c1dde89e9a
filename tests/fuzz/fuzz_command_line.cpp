// Command lines of any bytes: the tail is one file name (one pair of quotes
// around all of it removed), refused when a path buffer cannot hold it, and
// the name then goes where an opened file's path goes (file-name part,
// recent list, menu caption) without reading or writing out of bounds.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "shell/command_line.h"
#include "shell/editor_state.h"
#include "shell/file_name.h"
#include "shell/recent_files.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), strnlen(reinterpret_cast<const char*>(data), size));
    const CommandLineFile file = parseCommandLineFile(line.c_str());
    const bool quoted = line.size() >= 2 && line.front() == '"' && line.back() == '"';
    const std::string inner = quoted ? line.substr(1, line.size() - 2) : line;
    if (line.size() < 2) {
        check(file.verdict == CommandLineVerdict::Nothing && file.name.empty());
        return 0;
    }
    if (inner.size() >= static_cast<size_t>(kPathLength)) {
        check(file.verdict == CommandLineVerdict::TooLong && file.name.empty());
        return 0;
    }
    check(file.verdict == CommandLineVerdict::File && file.name == inner);

    // The path's way through the portable code once the file is open.
    char part[kPathLength];
    const char* p = fileNamePart(file.name.c_str(), part);
    check(p == nullptr ? part[0] == '\0' : std::strcmp(p, part) == 0);
    check(comparePathsIgnoringCase(file.name.c_str(), file.name.c_str()) == 0);
    EditorState* s = allocateEditorState();
    std::strcpy(s->recentFiles[0], "C:\\earlier.bin");
    const int from = addRecentPath(*s, file.name.c_str());
    // The list stays an unbroken run from entry 0: unchanged, the same entry
    // again (letter case aside), or the new path in front of the earlier one.
    check(from == -1 || from == 0 || from == kRecentFileCount - 1);
    check(s->recentFiles[0][0] != '\0');
    check(recentFileCount(*s) == (from == kRecentFileCount - 1 ? 2 : 1));
    if (from == -1) check(std::strcmp(s->recentFiles[0], "C:\\earlier.bin") == 0);
    if (from == kRecentFileCount - 1) check(std::strcmp(s->recentFiles[1], "C:\\earlier.bin") == 0);
    char caption[kRecentCaptionSize];
    const int n = formatRecentCaption(caption, sizeof caption, 0, s->recentFiles[0]);
    check(n >= 3 && static_cast<size_t>(n) == std::strlen(caption));
    // Every '&' doubled: the caption holds an even run of them wherever one stands.
    for (const char* c = caption + 3; *c != '\0'; ++c) {
        if (*c != '&') continue;
        check(c[1] == '&');
        ++c;
    }
    freeEditorState(s);
    return 0;
}
