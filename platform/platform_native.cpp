// Native implementation of the platform seam, for the unit tests, fuzzers and
// benchmarks: scripted questions, recorded error boxes, the real string table
// read from resources/moxel.rc, and real POSIX file I/O.
#include "platform/platform_native.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "platform/file_replace.h"
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
    const auto& overrides = nativeSeam().texts;
    auto it = overrides.find(id);
    if (it == overrides.end()) {
        it = stringTable().find(id);
        if (it == stringTable().end()) return 0;
    }
    size_t n = it->second.size();
    if (n > static_cast<size_t>(size - 1)) n = static_cast<size_t>(size - 1);
    std::memcpy(out, it->second.data(), n);
    out[n] = '\0';
    return static_cast<int>(n);
}

namespace {

// POSIX twin of the Win32 steps. Like Windows it refuses to replace a file
// that nobody may write, which root would otherwise ignore.
class PosixWriteSteps : public FileWriteSteps {
public:
    explicit PosixWriteSteps(const char* path) : target_(path) {
        size_t slash = target_.rfind('/');
        folder_ = slash == std::string::npos ? std::string(".") : target_.substr(0, slash == 0 ? 1 : slash);
    }
    ~PosixWriteSteps() override {
        if (fd_ >= 0) ::close(fd_);
    }

    bool targetExists() override {
        struct stat st {};
        return ::stat(target_.c_str(), &st) == 0;
    }
    uint32_t createTemporary() override {
        if (uint32_t e = injected(FileStep::CreateTemporary)) return e;
        for (unsigned k = 0; k < 100; ++k) {
            char name[16];
            std::snprintf(name, sizeof name, "/mox%04X.tmp", (static_cast<unsigned>(::getpid()) * 31u + k * 7919u) & 0xFFFFu);
            temp_ = folder_ + name;
            fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
            if (fd_ >= 0) {
                struct stat original {};
                if (::stat(target_.c_str(), &original) == 0) ::fchmod(fd_, original.st_mode & 07777);
                return 0;
            }
            if (errno != EEXIST) break;
        }
        temp_.clear();
        return static_cast<uint32_t>(errno);
    }
    uint32_t openTarget() override {
        if (uint32_t e = injected(FileStep::OpenTarget)) return e;
        if (readOnly()) return EACCES;
        fd_ = ::open(target_.c_str(), O_WRONLY);
        return fd_ < 0 ? static_cast<uint32_t>(errno) : 0;
    }
    uint32_t write(const uint8_t* data, uint32_t size) override {
        if (uint32_t e = injected(FileStep::Write)) return e;
        size_t done = 0;
        while (done < size) {
            ssize_t w = ::write(fd_, data + done, size - done);
            if (w < 0) {
                if (errno == EINTR) continue;
                return static_cast<uint32_t>(errno);
            }
            done += static_cast<size_t>(w);
        }
        return 0;
    }
    uint32_t truncate(uint32_t size) override {
        if (uint32_t e = injected(FileStep::Truncate)) return e;
        return ::ftruncate(fd_, static_cast<off_t>(size)) != 0 ? static_cast<uint32_t>(errno) : 0;
    }
    uint32_t flush() override {
        if (uint32_t e = injected(FileStep::Flush)) return e;
        return ::fsync(fd_) != 0 ? static_cast<uint32_t>(errno) : 0;
    }
    uint32_t close() override {
        int fd = fd_;
        fd_ = -1;
        if (uint32_t e = injected(FileStep::Close)) {
            ::close(fd);
            return e;
        }
        return ::close(fd) != 0 ? static_cast<uint32_t>(errno) : 0;
    }
    uint32_t replace() override {
        if (uint32_t e = injected(FileStep::Replace)) return e;
        if (readOnly()) return EACCES;
        return ::rename(temp_.c_str(), target_.c_str()) != 0 ? static_cast<uint32_t>(errno) : 0;
    }
    void removeTemporary() override {
        if (!temp_.empty()) ::unlink(temp_.c_str());
    }
    bool refusesNewFile(uint32_t error) const override { return error == EACCES; }

private:
    uint32_t injected(FileStep step) {
        NativeSeam& s = nativeSeam();
        s.fileSteps.push_back(step);
        auto fault = s.fileFaults.find(step);
        return fault != s.fileFaults.end() ? fault->second : 0;
    }
    bool readOnly() const {
        struct stat st {};
        return ::stat(target_.c_str(), &st) == 0 && (st.st_mode & 0222) == 0;
    }

    std::string target_;
    std::string folder_;
    std::string temp_;
    int fd_ = -1;
};

}  // namespace

uint32_t writeFileReplacing(const char* path, const uint8_t* data, uint32_t size) {
    if (nativeSeam().failWritesWith != 0) return nativeSeam().failWritesWith;
    if (path == nullptr || *path == '\0') return ENOENT;
    if (data == nullptr && size != 0) return EINVAL;
    PosixWriteSteps steps(path);
    return writeReplacing(steps, data, size);
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
