// The system error a failed launch is reported with.
#include <gtest/gtest.h>

#include "tools/launch_result.h"

TEST(LaunchResult, EveryFailureHasAnErrorCode) {
    EXPECT_EQ(systemCodeForLaunchResult(2), 2u);      // below 26: a system code already
    EXPECT_EQ(systemCodeForLaunchResult(31), 1155u);  // no associated program
    EXPECT_EQ(systemCodeForLaunchResult(32), 1157u);  // a library of the program is missing
    // Never "no error": the box would report success.
    for (int r = -1; r <= 32; ++r) EXPECT_NE(systemCodeForLaunchResult(r), 0u) << r;
}
