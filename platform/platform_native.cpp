// Native implementation of the platform seam, for the unit tests, fuzzers and
// benchmarks: scripted questions, recorded error boxes, the real string table
// read from resources/moxel.rc, and real POSIX file I/O.
#include "platform/platform_native.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "platform/rc_text.h"

#ifndef MOXEL_SOURCE_DIR
#error "MOXEL_SOURCE_DIR must name the source tree"
#endif

namespace {

const std::map<long, std::string>& stringTable() {
    static const std::map<long, std::string> table = [] {
        std::string dir = MOXEL_SOURCE_DIR;
        auto ids = readResourceIds(dir + "/resources/resource_ids.h");
        return readStringTable(dir + "/resources/moxel.rc", ids);
    }();
    return table;
}

}  // namespace

NativeSeam& nativeSeam() {
    static NativeSeam seam;
    return seam;
}

void resetNativeSeam() { nativeSeam() = NativeSeam{}; }

WindowRef mainWindowRef() { return nullptr; }

int askQuestion(WindowRef, const char* text, QuestionStyle style) {
    NativeSeam& s = nativeSeam();
    s.events.push_back({SeamEvent::Question, style, 0, 0, text ? text : ""});
    if (s.answers.empty()) {
        ++s.unexpectedQuestions;
        return style == questionOkCancel ? answerCancel : answerNo;
    }
    int a = s.answers.front();
    s.answers.pop_front();
    return a;
}

int showError(WindowRef, int messageId, const char* text) {
    std::string shown;
    if (text != nullptr && *text != '\0') {
        shown = text;
    } else if (messageId != -1) {
        char buf[260];
        loadText(messageId, buf, sizeof buf);
        shown = buf;
    }
    nativeSeam().events.push_back({SeamEvent::Error, 0, messageId, 0, shown});
    return 0;
}

void showErrorCode(WindowRef, uint32_t code) {
    nativeSeam().events.push_back({SeamEvent::Error, 0, -1, code, std::strerror(static_cast<int>(code))});
}

int loadText(int id, char* out, int size) {
    if (out == nullptr || size <= 0) return 0;
    out[0] = '\0';
    auto it = stringTable().find(id);
    if (it == stringTable().end()) return 0;
    size_t n = it->second.size();
    if (n > static_cast<size_t>(size - 1)) n = static_cast<size_t>(size - 1);
    std::memcpy(out, it->second.data(), n);
    out[n] = '\0';
    return static_cast<int>(n);
}

uint32_t writeFileReplacing(const char* path, const uint8_t* data, uint32_t size) {
    if (nativeSeam().failWritesWith != 0) return nativeSeam().failWritesWith;
    if (path == nullptr || *path == '\0') return ENOENT;
    std::string temp = std::string(path) + ".moxel-tmp";
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return static_cast<uint32_t>(errno);
    struct stat original {};
    if (::stat(path, &original) == 0) ::fchmod(fd, original.st_mode & 07777);
    size_t done = 0;
    while (done < size) {
        ssize_t w = ::write(fd, data + done, size - done);
        if (w < 0) {
            if (errno == EINTR) continue;
            uint32_t e = static_cast<uint32_t>(errno);
            ::close(fd);
            ::unlink(temp.c_str());
            return e;
        }
        done += static_cast<size_t>(w);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        uint32_t e = static_cast<uint32_t>(errno);
        ::unlink(temp.c_str());
        return e;
    }
    if (::rename(temp.c_str(), path) != 0) {
        uint32_t e = static_cast<uint32_t>(errno);
        ::unlink(temp.c_str());
        return e;
    }
    return 0;
}

int putClipboardText(WindowRef, const char* text) {
    NativeSeam& s = nativeSeam();
    if (text == nullptr || *text == '\0' || s.failClipboard) return 0;
    s.clipboard = text;
    s.clipboardHasText = true;
    return 1;
}

char* getClipboardText(WindowRef, size_t* sizeOut) {
    NativeSeam& s = nativeSeam();
    if (!s.clipboardHasText || s.failClipboard) return nullptr;
    if (sizeOut) *sizeOut = s.clipboard.size() + 1;
    char* copy = static_cast<char*>(std::malloc(s.clipboard.size() + 1));
    if (copy == nullptr) return nullptr;
    std::memcpy(copy, s.clipboard.c_str(), s.clipboard.size() + 1);
    return copy;
}

void* beginWaitCursor() { return nullptr; }
void endWaitCursor(void*) {}
