// The number conversion dialog (1107) with its real edit fields.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/platform.h"
#include "resource_ids.h"
#include "shell/editor_state_win.h"
#include "support/gui_harness_win.h"
#include "tools/number_convert_win.h"

using namespace gui;

namespace {

struct Fields {
    std::string hex, decimal, binary;
    bool operator==(const Fields&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Fields& f) {
    return out << "{" << f.hex << ", " << f.decimal << ", " << f.binary << "}";
}

Fields fieldsOf(HWND dialog) {
    return {windowText(GetDlgItem(dialog, IDC_NC_HEX)), windowText(GetDlgItem(dialog, IDC_NC_DECIMAL)),
            windowText(GetDlgItem(dialog, IDC_NC_BINARY))};
}

}  // namespace

using NumberConversionTest = FrameTest;

TEST_F(NumberConversionTest, OpensWithTheCaretAndConvertsEveryKeystroke) {
    editorState->caretOffset = 100;
    const Fields start{"64", "100", "01100100"};
    struct Case {
        int field;
        const char* text;
        Fields after;  // the field typed into keeps the text as typed
    };
    const Case cases[] = {
        {IDC_NC_HEX, "ff", {"ff", "255", "11111111"}},
        {IDC_NC_BINARY, "1", {"1", "1", "1"}},
        {IDC_NC_DECIMAL, "4294967294", {"FFFFFFFE", "4294967294", "11111111111111111111111111111110"}},
        // Beeps: the other fields keep the last number.
        {IDC_NC_DECIMAL, "4294967295", {"64", "4294967295", "01100100"}},
        {IDC_NC_HEX, "0x", {"0x", "100", "01100100"}},
        {IDC_NC_DECIMAL, "-1", {"64", "-1", "01100100"}},
        {IDC_NC_DECIMAL, "", {"64", "", "01100100"}},
    };
    std::string copied;
    DialogScript::expect([&](HWND dialog) {
        EXPECT_EQ(windowText(dialog), "数値変換");
        EXPECT_EQ(fieldsOf(dialog), start);
        for (const Case& c : cases) {
            SetDlgItemTextA(dialog, IDC_NC_DECIMAL, "100");
            ASSERT_EQ(fieldsOf(dialog), start);
            SetDlgItemTextA(dialog, c.field, c.text);
            EXPECT_EQ(fieldsOf(dialog), c.after) << "typed " << c.text << " into " << c.field;
            EXPECT_EQ(conversionGuard, 0);
        }
        SetDlgItemTextA(dialog, IDC_NC_DECIMAL, "3054");
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);  // copy; the dialog stays
        char* text = getClipboardText(dialog, nullptr);
        copied = text != nullptr ? text : "";
        std::free(text);
        EXPECT_TRUE(IsWindow(dialog));
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    SendMessageA(frame(), WM_COMMAND, IDM_NUMBER_CONVERSION, 0);
    EXPECT_EQ(copied, "BEE");
    EXPECT_EQ(dialogsShown(), 1);
    // It changes nothing in the editor.
    EXPECT_EQ(editorState->caretOffset, 100);
}
