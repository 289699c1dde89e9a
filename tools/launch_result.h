// What a failed launch means, for the error box.
#pragma once

#include <cstdint>

// The system error code for a launch result of 32 or less. Results below 26
// are system error codes already (0 meaning out of memory); 26..32 are the
// shell's own codes, which have system codes of the same meaning.
uint32_t systemCodeForLaunchResult(int result);
