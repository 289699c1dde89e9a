#include "shell/command_line.h"

#include <cstring>

#include "shell/editor_state.h"

CommandLineFile parseCommandLineFile(const char* commandLine) {
    if (commandLine == nullptr) return {CommandLineVerdict::Nothing, {}};
    size_t length = std::strlen(commandLine);
    if (length < 2) return {CommandLineVerdict::Nothing, {}};
    const char* name = commandLine;
    if (commandLine[0] == '"' && commandLine[length - 1] == '"') {
        name = commandLine + 1;
        length -= 2;
    }
    // A name the path buffers cannot hold would name another file once cut.
    if (length >= static_cast<size_t>(kPathLength)) return {CommandLineVerdict::TooLong, {}};
    return {CommandLineVerdict::File, std::string(name, length)};
}
