// The progress window of long commands: nothing shows for the first half
// second; after that a bar and a Cancel button (Esc) over the owner. Every
// other window of the thread (the frame, modeless dialogs) is disabled
// meanwhile, so that nothing can change the document under the work. The
// wait cursor stays on while the work runs.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "tools/progress.h"

// How long work runs before the progress window appears.
constexpr DWORD kProgressDelayMs = 500;

// For tests only: the delay of the runs that start from now on (0: the
// window appears at the first step), so that a test can cancel a command on
// a document that is quick to search. kProgressDelayMs puts it back.
void setProgressDelayForTests(DWORD milliseconds);

class ProgressRun {
public:
    // `captionId`: the string shown as the window's caption (the command).
    ProgressRun(HWND owner, int captionId);
    ~ProgressRun();
    ProgressRun(const ProgressRun&) = delete;
    ProgressRun& operator=(const ProgressRun&) = delete;

    // Records how far the work got. Once the delay has passed it shows the
    // window and handles the messages that wait (at most every few
    // milliseconds); false once the user cancelled.
    bool step(uint64_t done, uint64_t total);
    bool cancelled() const { return cancelled_; }
    // The window, while it is shown (for tests); null before and after.
    HWND window() const { return window_; }
    // This run as the portable core's callback.
    ProgressStep callback() {
        return [this](uint64_t done, uint64_t total) { return step(done, total); };
    }

private:
    static INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    void show();
    void pump();
    void enableOthers();

    HWND owner_;
    int captionId_;
    HWND window_ = nullptr;
    HWND closeAfterwards_ = nullptr;  // a window asked to close while the work ran
    std::vector<HWND> disabled_;  // the windows this run disabled, enabled again at its end
    DWORD delay_;
    bool cancelled_ = false;
    ULONGLONG started_;
    ULONGLONG lastPump_ = 0;
    void* cursor_;
};
