#include "support/gui_harness_win.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    gui::installTestSupport(false);
    return RUN_ALL_TESTS();
}
