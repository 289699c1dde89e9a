#include "tools/value_entry.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "document/hex_text.h"
#include "resource_ids.h"
#include "shell/recent_files.h"
#include "tools/search.h"
#include "tools/value_parse.h"

int searchAsHex = 0;

namespace {

EntryCheck refuse(EntryCheck c, int messageId) {
    c.verdict = EntryVerdict::Refuse;
    c.messageId = messageId;
    return c;
}

}  // namespace

EntryCheck checkValueEntry(int32_t mode, const char* text, bool hexChecked, int32_t maxLength,
                           uint32_t documentSize, const char* filePath) {
    EntryCheck c{EntryVerdict::Accept, 0, 0, 0, maxLength, -1, false};
    if (text == nullptr) text = "";

    bool hex = false;
    if (mode < kRadioModeLimit) {
        hex = hexChecked;
        if (mode == InsertCode && hex) c.maxLength = 2;
        if ((mode == JumpAddress || mode == DeleteRange) && hex) {
            c.maxLength = std::min(c.maxLength, kHexAddressEntryLength);
        }
        c.radixChoice = hex ? 1 : 0;
        c.choiceIsSearch = mode == SearchText;
    }

    size_t length = std::strlen(text);
    if (static_cast<int64_t>(length) > c.maxLength) return refuse(c, IDS_ERR_TOO_LONG);
    if (length == 0) return c;

    switch (mode) {
        case CompareFile:
            return comparePathsIgnoringCase(text, filePath ? filePath : "") == 0 ? refuse(c, IDS_ERR_SAME_FILE) : c;
        case AsciiText:
            return c;
        case FillPattern: {
            uint8_t first;
            return readHexText(text, &first, 1).valid ? c : refuse(c, IDS_ERR_INVALID_TEXT);
        }
        case SearchText:
            // An odd digit count would leave a half byte that the pattern
            // cannot express, so it is refused like any other bad text.
            if (hex && !isHexPatternText(text)) {
                return refuse(c, IDS_ERR_INVALID_TEXT);
            }
            return c;
        case InsertCode:
        case JumpAddress:
        case DeleteRange:
            break;
        default:
            return c;
    }

    if (!(hex ? isHexText(text, true) : isDecimalText(text))) return refuse(c, IDS_ERR_INVALID_TEXT);

    // Held unsigned so that a hexadecimal 80000000 or more stays a large
    // number instead of wrapping to a negative one.
    uint32_t number = hex ? static_cast<uint32_t>(parseHexNumber(text)) : parseUnsignedSaturating(text, 10);

    if (mode == InsertCode) {
        if (number > 255) return refuse(c, IDS_ERR_INVALID_TEXT);
        c.value = static_cast<int32_t>(number);
        return c;
    }

    // Offsets are signed 32-bit values everywhere, so nothing beyond that range
    // can be an address even in a document that large.
    uint32_t last = documentSize - 1;
    if (last > 0x7FFFFFFFu) last = 0x7FFFFFFFu;
    if (number > last) {
        c.verdict = EntryVerdict::AskClamp;
        c.value = static_cast<int32_t>(number > 0x7FFFFFFFu ? 0x7FFFFFFFu : number);
        c.clampedValue = static_cast<int32_t>(last);
        return c;
    }
    c.value = static_cast<int32_t>(number);
    return c;
}

int confirmValueEntry(EditorState& s, WindowRef owner, ValueEntryRequest& request, bool hexChecked) {
    request.text[sizeof request.text - 1] = '\0';
    const std::string typed = request.text;
    return confirmValueEntry(s, owner, request, hexChecked, typed.c_str());
}

int confirmValueEntry(EditorState& s, WindowRef owner, ValueEntryRequest& request, bool hexChecked,
                      const char* typed) {
    if (typed == nullptr) typed = "";
    constexpr int32_t kHeld = static_cast<int32_t>(sizeof request.text) - 1;
    EntryCheck c = checkValueEntry(request.mode, typed, hexChecked, std::min(request.maxLength, kHeld),
                                   s.documentSize, s.filePath);
    if (std::strlen(typed) <= static_cast<size_t>(kHeld)) {
        std::memcpy(request.text, typed, std::strlen(typed) + 1);
    }
    if (c.radixChoice >= 0) {
        if (c.choiceIsSearch) {
            searchAsHex = c.radixChoice;
        } else {
            s.hexInput = c.radixChoice;
        }
    }

    switch (c.verdict) {
        case EntryVerdict::Refuse:
            showError(owner, c.messageId, nullptr);
            return 0;
        case EntryVerdict::AskClamp: {
            char question[kMessageTextLength];
            loadText(IDS_ASK_CLAMP, question, sizeof question);
            if (askQuestion(owner, question, questionOkCancel) != answerOk) return 0;
            request.value = c.clampedValue;
            return 1;
        }
        case EntryVerdict::Accept:
            break;
    }
    bool numeric = request.mode == InsertCode || request.mode == JumpAddress || request.mode == DeleteRange;
    if (numeric && request.text[0] != '\0') request.value = c.value;
    return 1;
}

void valueEntryPrompt(const EditorState& s, int32_t mode, char* out, int size) {
    if (out == nullptr || size <= 0) return;
    out[0] = '\0';
    char first[kMessageTextLength] = "";
    char warning[kMessageTextLength] = "";
    switch (mode) {
        case InsertCode:
            loadText(IDS_PROMPT_INSERT, first, sizeof first);
            // Editing without limits keeps the changes and marks.
            if (s.unlimited != 0) {
                std::snprintf(out, static_cast<size_t>(size), "%s", first);
                break;
            }
            loadText(IDS_RESET_WARNING, warning, sizeof warning);
            std::snprintf(out, static_cast<size_t>(size), "%s\n\n%s", first, warning);
            break;
        case DeleteRange: {
            char format[kMessageTextLength] = "";
            loadText(IDS_PROMPT_DELETE_RANGE, format, sizeof format);
            std::snprintf(first, sizeof first, format, static_cast<long>(s.caretOffset),
                          static_cast<unsigned>(s.caretOffset));
            if (s.unlimited != 0) {
                std::snprintf(out, static_cast<size_t>(size), "%s", first);
                break;
            }
            loadText(IDS_RESET_WARNING, warning, sizeof warning);
            std::snprintf(out, static_cast<size_t>(size), "%s\n\n%s", first, warning);
            break;
        }
        case JumpAddress: loadText(IDS_PROMPT_JUMP, out, size); break;
        case SearchText: loadText(IDS_PROMPT_FIND, out, size); break;
        case AsciiText: loadText(IDS_PROMPT_TEXT, out, size); break;
        case FillPattern: loadText(IDS_PROMPT_FILL, out, size); break;
        case CompareFile: {
            char format[kMessageTextLength] = "";
            loadText(IDS_PROMPT_COMPARE, format, sizeof format);
            std::snprintf(out, static_cast<size_t>(size), format, s.filePath);
            break;
        }
        default: break;
    }
}

int compareCandidates(const EditorState& s, const char* out[kRecentFileCount]) {
    const int listed = std::clamp(s.recentMenuCount, 0, kRecentFileCount);
    int n = 0;
    for (int i = 0; i < listed; ++i) {
        const char* path = s.recentFiles[i];
        if (path[0] == '\0' || comparePathsIgnoringCase(path, s.filePath) == 0) continue;
        out[n++] = path;
    }
    return n;
}
