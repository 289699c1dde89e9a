// The Win32 steps of the replacing write (platform/file_replace.h). Paths go
// to the system in their long form ("\\?\C:\..."), so that the temporary
// file fits beside any file whose own path fits 259 characters.
#pragma once

#include <windows.h>

#include <string>

#include "platform/file_replace.h"

class WinWriteSteps : public FileWriteSteps {
public:
    explicit WinWriteSteps(const char* path);
    ~WinWriteSteps() override;
    WinWriteSteps(const WinWriteSteps&) = delete;
    WinWriteSteps& operator=(const WinWriteSteps&) = delete;

    // ERROR_SUCCESS, or why the path cannot name a file.
    DWORD pathError() const { return pathError_; }
    // The target's and the temporary file's paths (long form); the latter
    // empty before it was created.
    const std::wstring& target() const { return target_; }
    const std::wstring& temporaryPath() const { return temp_; }

    bool targetExists() override;
    uint32_t createTemporary() override;
    uint32_t openTarget() override;
    uint32_t write(const uint8_t* data, uint32_t size) override;
    uint32_t truncate(uint32_t size) override;
    uint32_t flush() override;
    uint32_t close() override;
    uint32_t replace() override;
    void removeTemporary() override;
    bool refusesNewFile(uint32_t error) const override { return error == ERROR_ACCESS_DENIED; }

private:
    std::wstring target_;
    std::wstring folder_;
    std::wstring temp_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
    DWORD pathError_ = ERROR_SUCCESS;
};
