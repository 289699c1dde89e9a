#include "support/dialog_steps_win.h"

#include <deque>

namespace gui {
namespace {

constexpr UINT kTickMs = 15;

// One dialog is driven at a time; a dialog a step opens is answered by the
// harness's script, not by these steps.
struct Driven {
    HWND dialog = nullptr;
    UINT_PTR timer = 0;
    std::deque<Step> pending;
    bool cancelled = false;
};
Driven driven;
size_t neverRun = 0;

void stop() {
    if (driven.timer != 0) KillTimer(nullptr, driven.timer);
    neverRun += driven.pending.size();
    driven = Driven{};
}

void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
    if (driven.dialog == nullptr) return;
    if (!IsWindow(driven.dialog)) {
        stop();
        return;
    }
    if (!IsWindowEnabled(driven.dialog)) return;  // a box is open over it
    if (driven.pending.empty()) {
        if (!driven.cancelled) PostMessageA(driven.dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        driven.cancelled = true;
        return;
    }
    Step step = std::move(driven.pending.front());
    driven.pending.pop_front();
    step(driven.dialog);
}

}  // namespace

DialogAction steps(std::vector<Step> list) {
    return [list](HWND dialog) {
        stop();
        driven.dialog = dialog;
        driven.pending.assign(list.begin(), list.end());
        driven.timer = SetTimer(nullptr, 0, kTickMs, tick);
    };
}

size_t stepsNeverRun() { return neverRun + driven.pending.size(); }

void stopSteps() {
    stop();
    neverRun = 0;
}

Step press(int buttonId) {
    return [buttonId](HWND dialog) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), 0); };
}

}  // namespace gui
