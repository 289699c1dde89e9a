// Figures for the document core against standard tools and libc baselines
// measured in the same run: the copy text against xxd, the hex text against
// xxd -p, load and save against plain read()/write(), and one insertion into
// a large document.
//
//   bench_document [directory for the temporary files, default /tmp]
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "document/document.h"
#include "document/edit.h"
#include "document/hex_text.h"
#include "document/record_list.h"
#include "document/save.h"
#include "document/selection.h"
#include "platform/platform_native.h"
#include "shell/editor_state.h"

extern char** environ;

namespace {

constexpr uint32_t kCopyFileSize = 64u << 20;
constexpr uint32_t kLargeFileSize = 256u << 20;

double now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double mbPerSecond(uint64_t bytes, double seconds) { return bytes / 1e6 / seconds; }

// Bytes that look like a real binary: runs of text, small integers and noise.
void fillDocumentLike(uint8_t* p, size_t n) {
    uint64_t x = 0x9E3779B97F4A7C15ull;
    for (size_t i = 0; i < n; i += 8) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        uint64_t v = x;
        switch ((i >> 12) & 3) {
            case 0: v = 0x6F6C6C6548202C41ull + (x & 0x0101010101010101ull); break;  // text
            case 1: v &= 0x000000FF000000FFull; break;                               // integers
            default: break;                                                          // noise
        }
        std::memcpy(p + i, &v, std::min<size_t>(8, n - i));
    }
}

bool writeFile(const std::string& path, const uint8_t* p, size_t n) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    size_t done = 0;
    while (done < n) {
        ssize_t w = ::write(fd, p + done, n - done);
        if (w <= 0) break;
        done += static_cast<size_t>(w);
    }
    ::close(fd);
    return done == n;
}

// Reads a whole file into a new buffer with `extra` bytes of room after it.
uint8_t* readWhole(const std::string& path, size_t extra, size_t* size) {
    int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return nullptr;
    struct stat st {};
    ::fstat(fd, &st);
    size_t n = static_cast<size_t>(st.st_size);
    auto* p = static_cast<uint8_t*>(std::malloc(n + extra));
    size_t done = 0;
    while (p != nullptr && done < n) {
        ssize_t r = ::read(fd, p + done, n - done);
        if (r <= 0) break;
        done += static_cast<size_t>(r);
    }
    ::close(fd);
    *size = done;
    return p;
}

// xxd over a file into /dev/null; with `plain`, its plain hex dump (xxd -p).
double runXxd(const std::string& path, bool plain = false) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    char xxd[] = "xxd";
    char plainFlag[] = "-p";
    std::string p = path;
    char* argv[] = {xxd, p.data(), nullptr, nullptr};
    if (plain) {
        argv[1] = plainFlag;
        argv[2] = p.data();
    }
    double t0 = now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, "xxd", &actions, nullptr, argv, environ) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return -1;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    double t = now() - t0;
    posix_spawn_file_actions_destroy(&actions);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? t : -1;
}

void loadInto(EditorState& s, uint8_t* bytes, uint32_t size) {
    std::free(s.documentBytes);
    s.documentBytes = bytes;
    s.documentSize = size;
    s.spareCapacity = kSpareBytes;
    resetDocumentModel(s);
}

// The document, its lists and the state record, as the program releases them at exit.
void releaseState(EditorState& s) {
    std::free(s.documentBytes);
    s.documentBytes = nullptr;
    s.documentSize = 0;
    freeRecordLists(s);
    freeEditorState(&s);
}

void benchCopyText(const std::string& dir) {
    std::string path = dir + "/moxel_bench_copy.bin";
    {
        std::unique_ptr<uint8_t[]> data(new uint8_t[kCopyFileSize]);
        fillDocumentLike(data.get(), kCopyFileSize);
        if (!writeFile(path, data.get(), kCopyFileSize)) {
            std::printf("copy text: cannot write %s\n", path.c_str());
            return;
        }
    }
    EditorState& s = *allocateEditorState();
    size_t size = 0;
    uint8_t* bytes = readWhole(path, kSpareBytes, &size);
    loadInto(s, bytes, static_cast<uint32_t>(size));
    selectAll(s);

    // Cold: a fresh buffer, as every copy command allocates one.
    double t0 = now();
    std::unique_ptr<char[]> text(new char[copyTextCapacity(s)]);
    size_t length = writeCopyText(s, 0, text.get());
    double cold = now() - t0;

    // Warm: the formatting alone, into memory already mapped (best of 3).
    double warm = 1e9, kanjiWarm = 1e9;
    for (int i = 0; i < 3; ++i) {
        t0 = now();
        writeCopyText(s, 0, text.get());
        warm = std::min(warm, now() - t0);
        t0 = now();
        writeCopyText(s, 1, text.get());
        kanjiWarm = std::min(kanjiWarm, now() - t0);
    }

    double xxd = 1e9;
    for (int i = 0; i < 2; ++i) {
        double t = runXxd(path);
        if (t > 0) xxd = std::min(xxd, t);
    }
    std::printf("copy text of %u MiB (%zu bytes of text):\n", kCopyFileSize >> 20, length);
    if (xxd < 1e9) std::printf("  xxd > /dev/null                %8.1f MB/s\n", mbPerSecond(kCopyFileSize, xxd));
    else std::printf("  xxd not available\n");
    auto line = [&](const char* what, double t) {
        std::printf("  %-30s %8.1f MB/s", what, mbPerSecond(kCopyFileSize, t));
        if (xxd < 1e9) std::printf("   %5.1fx xxd", xxd / t);
        std::printf("\n");
    };
    line("buildCopyText, fresh buffer", cold);
    line("buildCopyText, mapped buffer", warm);
    line("  same, kanji mode", kanjiWarm);

    // Copying as hex: the same bytes as hex pairs, beside xxd's plain hex dump.
    std::unique_ptr<char[]> hex(new char[hexTextCapacity(size)]);
    writeHexText(s.documentBytes, size, hex.get());  // touches the buffer first
    double hexWarm = 1e9, plain = 1e9;
    for (int i = 0; i < 3; ++i) {
        t0 = now();
        writeHexText(s.documentBytes, size, hex.get());
        hexWarm = std::min(hexWarm, now() - t0);
        const double t = i < 2 ? runXxd(path, true) : -1;
        if (t > 0) plain = std::min(plain, t);
    }
    if (plain < 1e9) std::printf("  xxd -p > /dev/null             %8.1f MB/s\n", mbPerSecond(kCopyFileSize, plain));
    std::printf("  %-30s %8.1f MB/s", "writeHexText, mapped buffer", mbPerSecond(kCopyFileSize, hexWarm));
    if (plain < 1e9) std::printf("   %5.1fx xxd -p", plain / hexWarm);
    std::printf("\n");

    releaseState(s);
    ::unlink(path.c_str());
}

double timeReadBaseline(const std::string& path, size_t n) {
    double t0 = now();
    auto* p = static_cast<uint8_t*>(std::malloc(n));
    int fd = ::open(path.c_str(), O_RDONLY);
    size_t done = 0;
    while (fd >= 0 && p != nullptr && done < n) {
        ssize_t r = ::read(fd, p + done, n - done);
        if (r <= 0) break;
        done += static_cast<size_t>(r);
    }
    if (fd >= 0) ::close(fd);
    double t = now() - t0;
    std::free(p);
    return t;
}

double timeWriteBaseline(const std::string& path, const uint8_t* p, size_t n, bool flush) {
    double t0 = now();
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    size_t done = 0;
    while (fd >= 0 && done < n) {
        ssize_t w = ::write(fd, p + done, n - done);
        if (w <= 0) break;
        done += static_cast<size_t>(w);
    }
    if (fd >= 0) {
        if (flush) ::fsync(fd);
        ::close(fd);
    }
    double t = now() - t0;
    ::unlink(path.c_str());
    return t;
}

void benchLoadSaveInsert(const std::string& dir) {
    const std::string path = dir + "/moxel_bench_large.bin";
    const std::string saved = dir + "/moxel_bench_saved.bin";
    const std::string plain = dir + "/moxel_bench_plain.bin";
    {
        std::unique_ptr<uint8_t[]> data(new uint8_t[kLargeFileSize]);
        fillDocumentLike(data.get(), kLargeFileSize);
        if (!writeFile(path, data.get(), kLargeFileSize)) {
            std::printf("load/save: cannot write %s\n", path.c_str());
            return;
        }
    }
    const double mb = kLargeFileSize / 1e6;

    // Load: the whole file into a buffer with the spare room, as opening does;
    // baseline: read() into fresh memory of the file's size. Best of two each.
    double load = 1e9, readBase = 1e9;
    EditorState& s = *allocateEditorState();
    for (int i = 0; i < 2; ++i) {
        readBase = std::min(readBase, timeReadBaseline(path, kLargeFileSize));
        double t0 = now();
        size_t size = 0;
        uint8_t* bytes = readWhole(path, kSpareBytes, &size);
        loadInto(s, bytes, static_cast<uint32_t>(size));
        load = std::min(load, now() - t0);
    }
    std::printf("load %u MiB:\n", kLargeFileSize >> 20);
    std::printf("  read() into fresh memory       %8.1f MB/s\n", mb / readBase);
    std::printf("  document load (size + spare)   %8.1f MB/s   %5.2fx read()\n", mb / load, readBase / load);

    // Save: the safe replace (temporary file, flush, rename) against writing a
    // new file with and without the flush.
    double save = 1e9, writeBase = 1e9, writeFlushBase = 1e9;
    // Each run starts with no dirty pages, so that writeback throttling from
    // the previous run does not land on the next one. Best of three: the file
    // system's timings vary a lot from run to run on these machines.
    for (int i = 0; i < 3; ++i) {
        ::sync();
        writeBase = std::min(writeBase, timeWriteBaseline(plain, s.documentBytes, s.documentSize, false));
        ::sync();
        writeFlushBase = std::min(writeFlushBase, timeWriteBaseline(plain, s.documentBytes, s.documentSize, true));
        ::sync();
        double t0 = now();
        int ok = saveDocument(s, nullptr, saved.c_str());
        double t = now() - t0;
        if (ok == 0) std::printf("  saveDocument failed\n");
        save = std::min(save, t);
    }
    std::printf("save %u MiB:\n", kLargeFileSize >> 20);
    std::printf("  write() new file               %8.1f MB/s\n", mb / writeBase);
    std::printf("  write() + fsync new file       %8.1f MB/s\n", mb / writeFlushBase);
    std::printf("  saveDocument (temp+fsync+rename) %6.1f MB/s   %5.2fx write()+fsync, %5.2fx write()\n",
                mb / save, writeFlushBase / save, writeBase / save);

    // One insertion in the middle: moves half the document by one byte and
    // resets the lists.
    s.caretOffset = static_cast<int32_t>(s.documentSize / 2);
    double t0 = now();
    int ok = insertByteAt(s, nullptr, 0x55);
    double t = now() - t0;
    std::printf("insert one byte in the middle of %u MiB: %.2f ms%s\n", kLargeFileSize >> 20, t * 1e3,
                ok ? "" : " (failed)");

    releaseState(s);
    ::unlink(path.c_str());
    ::unlink(saved.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    std::string dir = argc > 1 ? argv[1] : "/tmp";
    benchCopyText(dir);
    benchLoadSaveInsert(dir);
    return 0;
}
