// The system error a failed launch is reported with.
#include <gtest/gtest.h>

#include "tools/launch_result.h"

TEST(LaunchResult, EveryFailureHasAnErrorCode) {
    struct Case {
        int result;
        uint32_t code;
    } cases[] = {
        {0, 8},      // out of memory
        {2, 2},      // below 26 the result is a system code already
        {31, 1155},  // no associated program
        {32, 1157},  // a library of the program is missing
    };
    for (const Case& c : cases) EXPECT_EQ(systemCodeForLaunchResult(c.result), c.code) << c.result;
    // Never "no error": the box would report success.
    for (int r = -1; r <= 32; ++r) EXPECT_NE(systemCodeForLaunchResult(r), 0u) << r;
}
