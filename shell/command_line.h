// The file named on the editor's command line. There are no options: the
// whole tail is one file name, spaces included.
#pragma once

#include <string>

enum class CommandLineVerdict {
    Nothing,  // shorter than two characters: no file
    File,     // `name` is the file (possibly empty: "" opens nothing)
    TooLong   // the name does not fit a path buffer: refused, never cut
};

struct CommandLineFile {
    CommandLineVerdict verdict;
    std::string name;
};

// One pair of double quotes around the whole tail is removed; a tail that
// only starts (or only ends) with a quote is taken whole, quotes included.
CommandLineFile parseCommandLineFile(const char* commandLine);
