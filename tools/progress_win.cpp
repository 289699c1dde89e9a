#include "tools/progress_win.h"

#include <commctrl.h>

#include "platform/platform.h"
#include "platform/process_win.h"
#include "resource_ids.h"
#include "tools/error_box_win.h"

namespace {

// Messages are handled at most this often, so that checking costs the work
// next to nothing.
constexpr ULONGLONG kPumpIntervalMs = 30;
constexpr int kBarRange = 1000;

DWORD progressDelayMs = kProgressDelayMs;

// The visible, enabled top-level windows of this thread.
BOOL CALLBACK collectEnabled(HWND window, LPARAM list) {
    if (IsWindowVisible(window) && IsWindowEnabled(window)) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    }
    return TRUE;
}

}  // namespace

void setProgressDelayForTests(DWORD milliseconds) { progressDelayMs = milliseconds; }

ProgressRun::ProgressRun(HWND owner, int captionId)
    : owner_(owner), captionId_(captionId), delay_(progressDelayMs), started_(GetTickCount64()),
      cursor_(beginWaitCursor()) {}

ProgressRun::~ProgressRun() {
    if (window_ != nullptr) {
        enableOthers();  // before the window goes, so that the owner takes the activation back
        DestroyWindow(window_);
        window_ = nullptr;
    }
    endWaitCursor(cursor_);
    if (closeAfterwards_ != nullptr) PostMessageA(closeAfterwards_, WM_CLOSE, 0, 0);
}

void ProgressRun::enableOthers() {
    for (HWND window : disabled_) {
        if (IsWindow(window)) EnableWindow(window, TRUE);
    }
    disabled_.clear();
}

INT_PTR CALLBACK ProgressRun::dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            // Set up here: the focus given to the button after this message
            // activates the window, which is then already complete.
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            const auto* run = reinterpret_cast<const ProgressRun*>(lParam);
            char caption[128];
            if (loadText(run->captionId_, caption, sizeof caption) > 0) SetWindowTextA(dialog, caption);
            SendDlgItemMessageA(dialog, IDC_PG_BAR, PBM_SETRANGE32, 0, kBarRange);
            centerWindow(dialog, run->owner_, 0, 0);
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL) {
                auto* run = reinterpret_cast<ProgressRun*>(GetWindowLongPtrA(dialog, DWLP_USER));
                if (run != nullptr) run->cancelled_ = true;
                return TRUE;
            }
            return FALSE;
        case WM_SETCURSOR:
            // The Cancel button keeps the arrow; the rest of the program shows the wait cursor.
            SetCursor(LoadCursor(nullptr, IDC_ARROW));
            SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
            return TRUE;
        default: return FALSE;
    }
}

void ProgressRun::show() {
    // The owner alone would leave the frame or a modeless dialog open to
    // input that changes the document while it is searched.
    EnumThreadWindows(GetCurrentThreadId(), collectEnabled, reinterpret_cast<LPARAM>(&disabled_));
    for (HWND window : disabled_) EnableWindow(window, FALSE);
    window_ = CreateDialogParamA(appInstance, MAKEINTRESOURCEA(IDD_PROGRESS), owner_, dialogProc,
                                 reinterpret_cast<LPARAM>(this));
    if (window_ == nullptr) {
        enableOthers();  // the work goes on without a window, as before
        return;
    }
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
}

void ProgressRun::pump() {
    MSG message;
    while (!cancelled_ && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Put it back for the main loop, and stop the work.
            PostQuitMessage(static_cast<int>(message.wParam));
            cancelled_ = true;
            break;
        }
        if (message.message == WM_CLOSE && message.hwnd != window_ && message.hwnd != nullptr) {
            // Closing (another editor's "close all", say) would free what the
            // work reads: the work stops, and the close follows it.
            closeAfterwards_ = message.hwnd;
            cancelled_ = true;
            break;
        }
        if (window_ != nullptr && IsDialogMessageA(window_, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

bool ProgressRun::step(uint64_t done, uint64_t total) {
    if (cancelled_) return false;
    const ULONGLONG now = GetTickCount64();
    if (window_ == nullptr) {
        if (now - started_ < delay_) return true;
        show();
        if (window_ == nullptr) return true;
    } else if (now - lastPump_ < kPumpIntervalMs) {
        return true;
    }
    lastPump_ = now;
    const int position = total == 0 ? 0 : static_cast<int>(done * kBarRange / total);
    SendDlgItemMessageA(window_, IDC_PG_BAR, PBM_SETPOS, position, 0);
    pump();
    return !cancelled_;
}
