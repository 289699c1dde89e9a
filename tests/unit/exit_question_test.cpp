// The exit question joins two string-table texts; translations of any
// length must come through whole.
#include <gtest/gtest.h>

#include <string>

#include "platform/platform_native.h"
#include "resource_ids.h"
#include "shell/exit_question.h"

TEST(ExitQuestion, JoinsBothTextsWhateverTheirLength) {
    resetNativeSeam();
    EXPECT_EQ(exitQuestionText(0), "プログラムを終了します。よろしいですか？");
    EXPECT_EQ(exitQuestionText(1), "作業中のファイルをすべて閉じて、プログラムを終了します。よろしいですか？");

    // Longer translations than the buffers once held (63 and 127 bytes).
    const std::string prefix(200, 'p');
    const std::string question(3000, 'q');
    nativeSeam().texts[IDS_CLOSE_ALL_PREFIX] = prefix;
    nativeSeam().texts[IDS_ASK_EXIT] = question;
    EXPECT_EQ(exitQuestionText(1), prefix + question);
    EXPECT_EQ(exitQuestionText(0), question);
    nativeSeam().texts[IDS_CLOSE_ALL_PREFIX] = "";
    EXPECT_EQ(exitQuestionText(1), question);
    resetNativeSeam();
}
