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

}  // namespace

DWORD progressDelayMs = kProgressDelayMs;

ProgressRun::ProgressRun(HWND owner, int captionId)
    : owner_(owner), captionId_(captionId), started_(GetTickCount64()), cursor_(beginWaitCursor()) {}

ProgressRun::~ProgressRun() {
    if (window_ != nullptr) {
        if (ownerWasEnabled_ && owner_ != nullptr) EnableWindow(owner_, TRUE);
        DestroyWindow(window_);
        window_ = nullptr;
    }
    endWaitCursor(cursor_);
    if (closeAfterwards_ != nullptr) PostMessageA(closeAfterwards_, WM_CLOSE, 0, 0);
}

INT_PTR CALLBACK ProgressRun::dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            // Before the focus goes to Cancel, which activates the window.
            char caption[128];
            const auto* run = reinterpret_cast<const ProgressRun*>(lParam);
            if (loadText(run->captionId_, caption, sizeof caption) > 0) SetWindowTextA(dialog, caption);
            SendDlgItemMessageA(dialog, IDC_PG_BAR, PBM_SETRANGE32, 0, kBarRange);
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
    window_ = CreateDialogParamA(appInstance, MAKEINTRESOURCEA(IDD_PROGRESS), owner_, dialogProc,
                                 reinterpret_cast<LPARAM>(this));
    if (window_ == nullptr) return;  // the work goes on without a window, as before
    centerWindow(window_, owner_, 0, 0);
    ShowWindow(window_, SW_SHOW);
    if (owner_ != nullptr) ownerWasEnabled_ = EnableWindow(owner_, FALSE) == 0;
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
        if (now - started_ < progressDelayMs) return true;
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
