#include "shell/exit_question.h"

#include <vector>

#include "platform/platform.h"
#include "resource_ids.h"

std::string loadWholeText(int id) {
    // A string-table entry holds at most 4095 characters; a text that fills
    // the buffer may have been cut, so the buffer grows until it does not.
    for (int size = 256;; size *= 2) {
        std::vector<char> buffer(static_cast<size_t>(size));
        int n = loadText(id, buffer.data(), size);
        if (n < size - 1 || size >= 16384) return std::string(buffer.data(), static_cast<size_t>(n));
    }
}

std::string exitQuestionText(int all) {
    std::string question = all ? loadWholeText(IDS_CLOSE_ALL_PREFIX) : std::string();
    return question + loadWholeText(IDS_ASK_EXIT);
}
