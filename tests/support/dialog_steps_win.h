// Driving a modal dialog through several steps: each step runs on a tick of
// the dialog's own message loop once nothing is open over it (the dialog is
// enabled again), so that whatever the step before posted, and any message
// box it brought up, has been dealt with.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "support/gui_harness_win.h"

namespace gui {

using Step = std::function<void(HWND dialog)>;

// The dialog's answer: its steps, run one after another once it shows. When
// they run out while the dialog is still up, it is cancelled.
DialogAction steps(std::vector<Step> list);

// Steps that post a button press (which may close the dialog).
Step press(int buttonId);

// Steps of the running test that never ran because their dialog went first
// (the harness fails a test that leaves any), and forgetting them.
size_t stepsNeverRun();
void stopSteps();

}  // namespace gui
