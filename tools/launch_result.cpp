#include "tools/launch_result.h"

namespace {

// System error codes (winerror.h).
constexpr uint32_t kNotEnoughMemory = 8;
constexpr uint32_t kSharingViolation = 32;
constexpr uint32_t kNoAssociation = 1155;
constexpr uint32_t kDdeFail = 1156;
constexpr uint32_t kDllNotFound = 1157;

}  // namespace

uint32_t systemCodeForLaunchResult(int result) {
    switch (result) {
        case 0: return kNotEnoughMemory;
        case 26: return kSharingViolation;  // sharing violation
        case 27:                            // association incomplete
        case 31: return kNoAssociation;     // no association
        case 28:                            // DDE timed out
        case 29:                            // DDE failed
        case 30: return kDdeFail;           // DDE busy
        case 32: return kDllNotFound;       // a library not found
        default: return result > 0 ? static_cast<uint32_t>(result) : kNotEnoughMemory;
    }
}
