// Control of the native seam for tests: scripted answers and a record of
// everything the core showed.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

struct SeamEvent {
    enum Kind { Question, Error } kind;
    int style;           // QuestionStyle for questions
    int messageId;       // showError's id (-1 system text), 0 for questions
    unsigned errorCode;  // showErrorCode's code, 0 otherwise
    std::string text;    // the text as shown (UTF-8 in the native build)
};

// The steps of writeFileReplacing at which a test can make the system fail.
enum class FileStep { CreateTemporary, OpenTarget, Write, Truncate, Flush, Close, Replace };

struct NativeSeam {
    std::deque<int> answers;        // answers for the next questions; empty: the guard fails
    std::vector<SeamEvent> events;  // every question and error box, in order
    std::string clipboard;          // CF_TEXT contents
    bool clipboardHasText = false;
    bool failClipboard = false;
    unsigned failWritesWith = 0;    // non-zero: writeFileReplacing fails with this code
    std::map<FileStep, unsigned> fileFaults;  // steps of writeFileReplacing that fail with a code, doing nothing
    std::vector<FileStep> fileSteps;         // the steps writeFileReplacing took, in order
    std::map<long, std::string> texts;       // strings that replace the string table's (longer translations)
    int unexpectedQuestions = 0;    // questions asked with no answer queued (answered No/Cancel)
};

NativeSeam& nativeSeam();
void resetNativeSeam();
