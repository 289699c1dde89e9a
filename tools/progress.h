// Long work tells how far it got and learns whether to go on: the portable
// side of the progress window (tools/progress_win.h).
#pragma once

#include <cstdint>
#include <functional>

// Called now and then with the work done so far and the whole; returns false
// when the user cancelled, and the work then stops without changing anything.
// An empty callback never cancels.
using ProgressStep = std::function<bool(uint64_t done, uint64_t total)>;

inline bool keepGoing(const ProgressStep& step, uint64_t done, uint64_t total) {
    return !step || step(done, total);
}
