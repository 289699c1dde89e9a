// A file read through windows of a read-only mapping: the compare's other
// file. Nothing of it is copied into memory, and only the window being read
// is mapped, so a file of any size fits the 32-bit address space too and
// its pages leave the working set window by window.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "tools/compare.h"

// Bytes mapped at a time: fewer in a 32-bit process, whose address space a
// large document leaves in smaller holes.
constexpr uint32_t kMappedWindowBytes = sizeof(void*) >= 8 ? 64u << 20 : 16u << 20;

class MappedFile : public CompareSource {
public:
    // `windowBytes` is rounded up to the system's allocation granularity.
    explicit MappedFile(uint32_t windowBytes = kMappedWindowBytes);
    ~MappedFile() override;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Opens the file for reading, shared as the editor reads files. 0, or
    // the system's error code. An empty file opens with size 0 and cannot
    // be read (the system maps no empty file).
    DWORD open(const char* path);
    uint64_t size() const { return size_; }
    // Why the last read failed: a system error code.
    DWORD error() const { return error_; }

    uint32_t stretchBytes() const override { return window_; }
    bool read(uint64_t offset, uint32_t length, const std::function<void(const uint8_t*)>& use) override;

private:
    void close();

    uint32_t window_;
    uint32_t granularity_;
    HANDLE file_ = nullptr;
    HANDLE mapping_ = nullptr;
    uint64_t size_ = 0;
    DWORD error_ = 0;
};

// Runs `read`, which reads the bytes [first, first + length); a fault while
// reading them (a disk or a network share that went away, a file cut short
// beneath its mapping by another program) ends `read` where it stands
// instead of the program. False, with the system's error code in `fault`,
// when one did; `read` must then leave nothing behind that needed it to
// finish. Faults elsewhere are not caught.
bool readGuarded(const void* first, size_t length, const std::function<void()>& read, DWORD& fault);
