#include "tools/mapped_file_win.h"

#include <winternl.h>

#include "shell/open_file_win.h"

namespace {

// The reads being guarded on this thread, innermost first.
struct PageGuard {
    const uint8_t* first;
    const uint8_t* end;
    void* jump[5];  // for __builtin_setjmp
    volatile DWORD fault;  // written by the handler, read after the jump back
    PageGuard* outer;
};
thread_local PageGuard* activeGuard = nullptr;

// Where a faulting read goes on: back into readGuarded, which returns false.
[[noreturn]] __attribute__((noinline)) void leaveGuard() { __builtin_longjmp(activeGuard->jump, 1); }

// A fault on a page of the guarded bytes: the system reports a mapped file
// it cannot read as an in-page error; Wine as an access violation.
LONG CALLBACK onGuardedFault(EXCEPTION_POINTERS* pointers) {
    PageGuard* guard = activeGuard;
    const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
    const bool inPage = record.ExceptionCode == EXCEPTION_IN_PAGE_ERROR;
    if (guard == nullptr || (!inPage && record.ExceptionCode != EXCEPTION_ACCESS_VIOLATION) ||
        record.NumberParameters < 2) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    const auto* at = reinterpret_cast<const uint8_t*>(record.ExceptionInformation[1]);
    if (at < guard->first || at >= guard->end) return EXCEPTION_CONTINUE_SEARCH;
    guard->fault = inPage && record.NumberParameters >= 3
                       ? RtlNtStatusToDosError(static_cast<NTSTATUS>(record.ExceptionInformation[2]))
                       : ERROR_READ_FAULT;
    // The thread goes on in leaveGuard as if the faulting code had called it,
    // on the stack below the faulting frame with the alignment of a call.
    CONTEXT& context = *pointers->ContextRecord;
#ifdef _WIN64
    context.Rsp = ((context.Rsp - 256) & ~DWORD64{15}) - 8;
    context.Rip = reinterpret_cast<DWORD64>(&leaveGuard);
#else
    context.Esp = ((context.Esp - 256) & ~DWORD{15}) - 4;
    context.Eip = reinterpret_cast<DWORD>(&leaveGuard);
#endif
    return EXCEPTION_CONTINUE_EXECUTION;
}

// The handler is there while a guard is, and the guard is taken down however
// the read ends (an exception from it passes through).
class GuardScope {
public:
    explicit GuardScope(PageGuard& guard) : guard_(guard) {
        handler_ = AddVectoredExceptionHandler(1, onGuardedFault);
        guard.outer = activeGuard;
        activeGuard = &guard;
    }
    ~GuardScope() {
        activeGuard = guard_.outer;
        if (handler_ != nullptr) RemoveVectoredExceptionHandler(handler_);
    }
    GuardScope(const GuardScope&) = delete;
    GuardScope& operator=(const GuardScope&) = delete;

private:
    PageGuard& guard_;
    PVOID handler_;
};

}  // namespace

bool readGuarded(const void* first, size_t length, const std::function<void()>& read, DWORD& fault) {
    PageGuard guard{};
    guard.first = static_cast<const uint8_t*>(first);
    guard.end = guard.first + length;
    GuardScope scope(guard);
    if (__builtin_setjmp(guard.jump) != 0) {
        fault = guard.fault;
        return false;
    }
    read();
    return true;
}

MappedFile::MappedFile(uint32_t windowBytes) {
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    granularity_ = system.dwAllocationGranularity != 0 ? system.dwAllocationGranularity : 65536;
    window_ = (windowBytes + granularity_ - 1) / granularity_ * granularity_;
}

MappedFile::~MappedFile() { close(); }

void MappedFile::close() {
    if (mapping_ != nullptr) CloseHandle(mapping_);
    if (file_ != nullptr) CloseHandle(file_);
    mapping_ = file_ = nullptr;
    size_ = 0;
}

DWORD MappedFile::open(const char* path) {
    close();
    file_ = openFileHandle(path, fileRead);
    if (file_ == nullptr) return GetLastError() != 0 ? GetLastError() : static_cast<DWORD>(ERROR_FILE_NOT_FOUND);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file_, &size)) {
        const DWORD error = GetLastError();
        close();
        return error;
    }
    if (size.QuadPart == 0) return 0;
    mapping_ = CreateFileMappingA(file_, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (mapping_ == nullptr) {
        const DWORD error = GetLastError();
        close();
        return error;
    }
    size_ = static_cast<uint64_t>(size.QuadPart);
    return 0;
}

bool MappedFile::read(uint64_t offset, uint32_t length, const std::function<void(const uint8_t*)>& use) {
    if (mapping_ == nullptr || length > window_ || offset + length > size_) {
        error_ = ERROR_HANDLE_EOF;
        return false;
    }
    // A view starts on the allocation granularity.
    const uint64_t start = offset - offset % granularity_;
    const auto lead = static_cast<size_t>(offset - start);
    void* view = MapViewOfFile(mapping_, FILE_MAP_READ, static_cast<DWORD>(start >> 32), static_cast<DWORD>(start),
                               lead + length);
    if (view == nullptr) {
        error_ = GetLastError();
        return false;
    }
    const uint8_t* bytes = static_cast<const uint8_t*>(view) + lead;
    DWORD fault = 0;
    const bool read = readGuarded(bytes, length, [&] { use(bytes); }, fault);
    UnmapViewOfFile(view);
    if (!read) error_ = fault;
    return read;
}
