// The value-entry dialog driven through the real commands: inserting and
// deleting bytes, the text edit, search and find next, the jump, and the
// file name of the compare.
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "resource_ids.h"
#include "shell/editor_state_win.h"
#include "tools/value_entry_win.h"
#include "support/dialog_steps_win.h"
#include "support/gui_harness_win.h"

using namespace gui;

namespace {

// A dialog is driven through several OKs by steps (tests/support): a refused
// OK leaves it open behind an error box, and each step waits until that box
// has gone.

std::string itemText(HWND dialog, int id) { return windowText(GetDlgItem(dialog, id)); }
bool checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
// Shown or hidden by the dialog (whether the dialog itself shows yet does not matter).
bool visible(HWND dialog, int id) { return (GetWindowLongPtrA(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0; }

// Types `text` (choosing a radio button first when `radio` is not 0) and
// presses OK as a click would, with the focus leaving the edit box.
Step enter(const std::string& text, int radio = 0) {
    return [text, radio](HWND dialog) {
        if (radio != 0) CheckRadioButton(dialog, IDC_VE_DECIMAL, IDC_VE_HEX, radio);
        SetDlgItemTextA(dialog, IDC_VE_EDIT, text.c_str());
        SetFocus(GetDlgItem(dialog, IDOK));
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    };
}

Step check(std::function<void(HWND)> body) { return body; }

Step cancel() { return press(IDCANCEL); }

// After a refusal the text stays and the focus is back in the input field.
Step expectKept(const std::string& text, int input = IDC_VE_EDIT) {
    return check([text, input](HWND dialog) {
        EXPECT_EQ(itemText(dialog, input), text);
        HWND control = GetDlgItem(dialog, input);
        HWND focus = GetFocus();
        EXPECT_TRUE(focus == control || IsChild(control, focus)) << "the focus is not in control " << input;
    });
}

// Message boxes shown while a dialog is driven, in order.
std::vector<std::string> boxTexts;

DialogAction box(int button) {
    return [button](HWND dialog) {
        boxTexts.push_back(dialogText(dialog));
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    };
}

const char* const kInvalid = "不正な文字列です。";
const char* const kTooLong = "文字列長がオーバーしました。";
const char* const kAskClamp = "入力された値は範囲を超えています。最大値としますか？";
const char* const kResetWarning = "※実行するとすべて初期化されます。";

class ValueEntryTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        boxTexts.clear();
        searchAsHex = 0;
    }
    void TearDown() override {
        FrameTest::TearDown();
        searchAsHex = 0;
    }
    void command(int id) {
        SendMessageA(frame(), WM_COMMAND, id, 0);
        pumpMessages();
    }
    std::string document() const {
        const EditorState& s = *editorState;
        return std::string(reinterpret_cast<const char*>(s.documentBytes), s.documentSize);
    }
    static std::string counting(int n) {
        std::string bytes;
        for (int i = 0; i < n; ++i) bytes += static_cast<char>(i);
        return bytes;
    }
};

}  // namespace

// ---------------------------------------------------------------- insert

TEST_F(ValueEntryTest, InsertInDecimalRefusesWhatIsNotAByteAndKeepsTheText) {
    loadDocument("ABCDEFGH", "C:\\data\\x.bin");
    editorState->caretOffset = 3;
    editorState->hexInput = 0;
    DialogScript::expect(steps({
        check([](HWND d) {
            EXPECT_EQ(itemText(d, IDC_VE_PROMPT), std::string("挿入するコードを入力してください。\n\n") + kResetWarning);
            EXPECT_EQ(itemText(d, IDC_VE_EDIT), "00");
            EXPECT_TRUE(visible(d, IDC_VE_EDIT) && visible(d, IDC_VE_DECIMAL) && visible(d, IDC_VE_HEX));
            EXPECT_FALSE(visible(d, IDC_VE_COMBO) || visible(d, IDC_VE_BROWSE));
            EXPECT_TRUE(checked(d, IDC_VE_DECIMAL));
            EXPECT_EQ(GetFocus(), GetDlgItem(d, IDC_VE_EDIT));
            // Centred over the frame.
            RECT dr{}, fr{};
            GetWindowRect(d, &dr);
            GetWindowRect(mainWindow, &fr);
            EXPECT_NEAR((dr.left + dr.right) / 2, (fr.left + fr.right) / 2, 2);
            EXPECT_NEAR((dr.top + dr.bottom) / 2, (fr.top + fr.bottom) / 2, 2);
        }),
        enter("256"), expectKept("256"),
        enter("0255"), expectKept("0255"),
        enter("1A"),
        enter("255"),
    }));
    DialogScript::expect(box(IDOK));
    DialogScript::expect(box(IDOK));
    DialogScript::expect(box(IDOK));
    command(IDM_INSERT);
    EXPECT_EQ(boxTexts, (std::vector<std::string>{kInvalid, kTooLong, kInvalid}));
    EXPECT_EQ(document(), "ABC\xFF" "DEFGH");
    EXPECT_EQ(editorState->caretOffset, 3);
    EXPECT_EQ(editorState->caretNibble, 0);
    EXPECT_EQ(editorState->modified, 1);
    EXPECT_EQ(editorState->spareCapacity, kSpareBytes - 1);
    EXPECT_EQ(statusText(0), " 9ﾊﾞｲﾄ, x.bin");
}

TEST_F(ValueEntryTest, InsertInHexAcceptsTwoDigitsAndTheRadixOutlivesARefusal) {
    loadDocument("ABCD", "C:\\data\\x.bin");
    editorState->hexInput = 0;
    // Hexadecimal chosen, 0FF refused (two digits at most), then Cancel: the choice stays.
    DialogScript::expect(steps({enter("0FF", IDC_VE_HEX), expectKept("0FF"), cancel()}));
    DialogScript::expect(box(IDOK));
    command(IDM_INSERT);
    EXPECT_EQ(boxTexts, std::vector<std::string>{kTooLong});
    EXPECT_EQ(document(), "ABCD");
    EXPECT_EQ(editorState->modified, 0);
    EXPECT_EQ(editorState->hexInput, 1);

    DialogScript::expect(steps({
        check([](HWND d) { EXPECT_TRUE(checked(d, IDC_VE_HEX)); }),
        enter("fF"),
    }));
    command(IDM_INSERT);
    EXPECT_EQ(document(), "\xFF" "ABCD");

    // The offered "00" confirmed at once inserts a zero byte.
    editorState->caretOffset = 2;
    DialogScript::expect(answerWith(IDOK));
    command(IDM_INSERT);
    EXPECT_EQ(document(), std::string("\xFF" "A\0BCD", 6));
    EXPECT_EQ(editorState->caretOffset, 2);
}

TEST_F(ValueEntryTest, InsertWithoutRoomReportsError14AndAsksNothing) {
    loadDocument("AB", "C:\\data\\x.bin");
    editorState->spareCapacity = 0;
    DialogScript::expect(box(IDOK));
    command(IDM_INSERT);
    ASSERT_EQ(boxTexts.size(), 1u);
    EXPECT_EQ(boxTexts[0], systemText(14));
    EXPECT_EQ(document(), "AB");
}

// ---------------------------------------------------------------- delete

TEST_F(ValueEntryTest, DeleteAsksAndOnlyYesDeletes) {
    loadDocument(counting(20), "C:\\data\\x.bin");
    editorState->caretOffset = 10;
    DialogScript::expect(box(IDNO));
    command(IDM_DELETE);
    ASSERT_EQ(boxTexts.size(), 1u);
    EXPECT_EQ(boxTexts[0], std::string("'A' 番地の '0A' を削除しますか？ ") + kResetWarning);
    EXPECT_EQ(document(), counting(20));
    EXPECT_EQ(editorState->modified, 0);

    DialogScript::expect(box(IDYES));
    command(IDM_DELETE);
    EXPECT_EQ(editorState->documentSize, 19u);
    EXPECT_EQ(editorState->documentBytes[10], 11);
    EXPECT_EQ(editorState->caretOffset, 9);
    EXPECT_EQ(editorState->modified, 1);
    EXPECT_EQ(statusText(0), " 19ﾊﾞｲﾄ, x.bin");
}

TEST_F(ValueEntryTest, RangeDeleteTakesTheEnteredEndBelowTheCaret) {
    loadDocument(counting(32), "C:\\data\\x.bin");
    editorState->caretOffset = 10;
    editorState->hexInput = 0;
    DialogScript::expect(steps({
        check([](HWND d) {
            EXPECT_EQ(itemText(d, IDC_VE_PROMPT),
                      std::string("現在位置 10(A) からの削除する範囲を指定してください。\n\n") + kResetWarning);
            EXPECT_EQ(itemText(d, IDC_VE_EDIT), "");
        }),
        enter("3"),
    }));
    command(IDM_DELETE_RANGE);
    std::string expected = counting(32).erase(3, 8);
    EXPECT_EQ(document(), expected);
    EXPECT_EQ(editorState->caretOffset, 10);
    EXPECT_EQ(editorState->spareCapacity, kSpareBytes + 8);
    EXPECT_EQ(editorState->modified, 1);
}

TEST_F(ValueEntryTest, EditingCommandsRefuseSilentlyWithoutDocumentOrUnderTheLock) {
    for (int id : {IDM_INSERT, IDM_DELETE, IDM_DELETE_RANGE, IDM_ASCII_EDIT, IDM_FIND, IDM_FIND_NEXT, IDM_JUMP,
                   IDM_COMPARE}) {
        command(id);
    }
    EXPECT_EQ(dialogsShown(), 0) << lastDialogTitle();

    loadDocument("ABCD", "C:\\data\\x.bin");
    SendMessageA(frame(), WM_COMMAND, IDM_EDIT_LOCK, 0);
    for (int id : {IDM_INSERT, IDM_DELETE, IDM_DELETE_RANGE, IDM_ASCII_EDIT}) command(id);
    EXPECT_EQ(dialogsShown(), 0) << lastDialogTitle();
    EXPECT_EQ(document(), "ABCD");

    // A one-byte document keeps its byte without a question.
    SendMessageA(frame(), WM_COMMAND, IDM_EDIT_LOCK, 0);
    loadDocument("A", "C:\\data\\x.bin");
    for (int id : {IDM_DELETE, IDM_DELETE_RANGE}) command(id);
    EXPECT_EQ(dialogsShown(), 0) << lastDialogTitle();
}

// ---------------------------------------------------------------- text edit

TEST_F(ValueEntryTest, TextEditNearTheEndOffersAndAcceptsOnlyTheBytesLeft) {
    loadDocument("0123456789abcdefXYZ", "C:\\data\\x.bin");
    editorState->caretOffset = 16;
    DialogScript::expect(steps({
        check([](HWND d) {
            EXPECT_EQ(itemText(d, IDC_VE_PROMPT), "文字列を入力してください。");
            EXPECT_EQ(itemText(d, IDC_VE_EDIT), "XYZ");
            EXPECT_FALSE(visible(d, IDC_VE_DECIMAL) || visible(d, IDC_VE_HEX) || visible(d, IDC_VE_COMBO));
        }),
        enter("abcd"), expectKept("abcd"),
        enter("XYz"),  // differs from the offered text in letter case only
    }));
    DialogScript::expect(box(IDOK));
    command(IDM_ASCII_EDIT);
    EXPECT_EQ(boxTexts, std::vector<std::string>{kTooLong});
    EXPECT_EQ(document(), "0123456789abcdefXYz");
    EXPECT_EQ(editorState->changeCount, 2);  // both nibbles of the one byte that differs
    EXPECT_EQ(editorState->caretOffset, 16);
    EXPECT_EQ(editorState->modified, 1);
    EXPECT_EQ(buttonState(IDM_UNDO), TBSTATE_ENABLED);

    // The offered text confirmed unchanged writes nothing.
    editorState->modified = 0;
    DialogScript::expect(answerWith(IDOK));
    command(IDM_ASCII_EDIT);
    EXPECT_EQ(editorState->modified, 0);
    EXPECT_EQ(editorState->changeCount, 2);
}

TEST_F(ValueEntryTest, TextEditConfirmedUnchangedKeepsBytesTheBoxCannotShow) {
    // Lead bytes without a valid trail byte come back from the edit box as
    // another character; confirming the offered text must still write nothing.
    const std::string bytes = "\x81\x20" "a\x83\r\nZ\x80\xA0\xFD";
    loadDocument(bytes, "C:\\data\\x.bin");
    DialogScript::expect(answerWith(IDOK));
    command(IDM_ASCII_EDIT);
    EXPECT_EQ(document(), bytes);
    EXPECT_EQ(editorState->changeCount, 0);
    EXPECT_EQ(editorState->modified, 0);

    // A changed text is written as the box holds it.
    DialogScript::expect(steps({enter("b")}));
    command(IDM_ASCII_EDIT);
    EXPECT_EQ(document(), "b" + bytes.substr(1));

    // One character of the box's own form changed: the lone lead byte and the zero byte after it stay.
    const std::string lone("AB\x82\0CD", 6);
    loadDocument(lone, "C:\\data\\x.bin");
    DialogScript::expect(steps({[](HWND d) { enter("X" + itemText(d, IDC_VE_EDIT).substr(1))(d); }}));
    command(IDM_ASCII_EDIT);
    EXPECT_EQ(document(), "X" + lone.substr(1));
}

// ---------------------------------------------------------------- search

TEST_F(ValueEntryTest, SearchSkipsTheCaretFindsOverlapsAndMindsLetterCase) {
    loadDocument("xxabcabcaxxABC", "C:\\data\\x.bin");
    editorState->caretOffset = 2;
    std::strcpy(editorState->findText, "old");
    DialogScript::expect(steps({
        check([](HWND d) {
            EXPECT_EQ(itemText(d, IDC_VE_PROMPT), "検索する文字列を入力してください。");
            EXPECT_EQ(itemText(d, IDC_VE_DECIMAL), "文字列(&S)");
            EXPECT_TRUE(checked(d, IDC_VE_DECIMAL));
            EXPECT_EQ(itemText(d, IDC_VE_EDIT), "old");
        }),
        enter("abca"),
    }));
    command(IDM_FIND);
    EXPECT_EQ(editorState->foundOffset, 5) << "the match under the caret is skipped";
    EXPECT_EQ(editorState->caretOffset, 5);
    EXPECT_STREQ(editorState->findText, "abca");
    EXPECT_EQ(buttonState(IDM_FIND_NEXT), TBSTATE_ENABLED);

    editorState->caretOffset = 0;
    editorState->foundOffset = 2;
    command(IDM_FIND_NEXT);
    EXPECT_EQ(editorState->foundOffset, 5) << "overlapping the previous match";

    DialogScript::expect(box(IDOK));
    command(IDM_FIND_NEXT);
    EXPECT_EQ(boxTexts, std::vector<std::string>{"'abca' は見つかりませんでした。"});
    EXPECT_EQ(editorState->foundOffset, -1);
    EXPECT_EQ(editorState->caretOffset, 5);
    command(IDM_FIND_NEXT);  // after a failure it starts again at 0
    EXPECT_EQ(editorState->foundOffset, 2);

    editorState->caretOffset = 0;
    DialogScript::expect(steps({enter("ABC")}));
    command(IDM_FIND);
    EXPECT_EQ(editorState->foundOffset, 11) << "abc in lower case is no match";
    EXPECT_EQ(editorState->foundLength, 3);
}

TEST_F(ValueEntryTest, HexSearchOfSpacesIsNotFoundAndTheLastByteStartsAtZero) {
    loadDocument("xxabcabcaxx", "C:\\data\\x.bin");
    DialogScript::expect(steps({enter("   ", IDC_VE_HEX)}));
    DialogScript::expect(box(IDOK));
    command(IDM_FIND);
    EXPECT_EQ(boxTexts, std::vector<std::string>{"'   ' は見つかりませんでした。"});
    EXPECT_EQ(searchAsHex, 1);

    editorState->caretOffset = static_cast<int32_t>(editorState->documentSize) - 1;
    DialogScript::expect(steps({
        check([](HWND d) { EXPECT_TRUE(checked(d, IDC_VE_HEX)); }),
        enter("0G"), expectKept("0G"),
        enter("78 78"),
    }));
    DialogScript::expect(box(IDOK));
    command(IDM_FIND);
    EXPECT_EQ(boxTexts.back(), kInvalid);
    EXPECT_EQ(editorState->foundOffset, 0);
    EXPECT_EQ(editorState->foundLength, 2);
}

TEST_F(ValueEntryTest, FindNextOfAPlainTextAfterSwitchingToHexIsRefused) {
    loadDocument("..xyz..xyz", "C:\\data\\x.bin");
    DialogScript::expect(steps({enter("xyz")}));
    command(IDM_FIND);
    ASSERT_EQ(editorState->foundOffset, 2);
    // Hexadecimal chosen over the same text: refused, then cancelled.
    DialogScript::expect(steps({enter("xyz", IDC_VE_HEX), expectKept("xyz"), cancel()}));
    DialogScript::expect(box(IDOK));
    command(IDM_FIND);
    ASSERT_EQ(searchAsHex, 1);
    ASSERT_STREQ(editorState->findText, "xyz");

    DialogScript::expect(box(IDOK));
    command(IDM_FIND_NEXT);
    EXPECT_EQ(boxTexts, (std::vector<std::string>{kInvalid, kInvalid}));
    EXPECT_EQ(editorState->caretOffset, 2);
}

// ---------------------------------------------------------------- jump

TEST_F(ValueEntryTest, JumpPastTheEndAsksAndOkLandsOnTheLastByte) {
    loadDocument(counting(100), "C:\\data\\x.bin");
    editorState->hexInput = 0;
    editorState->caretNibble = 1;
    DialogScript::expect(steps({
        check([](HWND d) {
            EXPECT_EQ(itemText(d, IDC_VE_PROMPT), "移動先のアドレスを入力してください。");
            EXPECT_EQ(itemText(d, IDC_VE_EDIT), "");
        }),
        enter("200"), expectKept("200"),  // Cancel in the question keeps the dialog
        enter("200"),
    }));
    DialogScript::expect(box(IDCANCEL));
    DialogScript::expect(box(IDOK));
    command(IDM_JUMP);
    EXPECT_EQ(boxTexts, (std::vector<std::string>{kAskClamp, kAskClamp}));
    EXPECT_EQ(editorState->caretOffset, 99);
    EXPECT_EQ(editorState->caretNibble, 0);
    EXPECT_EQ(statusText(2), " 00000063 H");

    // In hexadecimal, 80000000 and more lie past the end too, never at 0.
    editorState->caretOffset = 40;
    DialogScript::expect(steps({enter("80000000", IDC_VE_HEX)}));
    DialogScript::expect(box(IDOK));
    command(IDM_JUMP);
    EXPECT_EQ(boxTexts.back(), kAskClamp);
    EXPECT_EQ(editorState->caretOffset, 99);

    DialogScript::expect(steps({enter("1f")}));
    command(IDM_JUMP);
    EXPECT_EQ(editorState->caretOffset, 31);
    EXPECT_EQ(editorState->hexInput, 1);

    // Ten digits in decimal, eight in hexadecimal.
    DialogScript::expect(steps({enter("000000001F"), expectKept("000000001F"), enter("0000000050", IDC_VE_DECIMAL)}));
    DialogScript::expect(box(IDOK));
    command(IDM_JUMP);
    EXPECT_EQ(editorState->caretOffset, 50);
}

// ---------------------------------------------------------------- compare

TEST_F(ValueEntryTest, CompareOffersTheOtherRecentFilesAndRefusesTheOpenOne) {
    loadDocument("ABCD", "C:\\Data\\Open.bin");
    EditorState& s = *editorState;
    std::strcpy(s.recentFiles[0], "C:\\Data\\Open.bin");
    std::strcpy(s.recentFiles[1], "C:\\one.bin");
    std::strcpy(s.recentFiles[2], "c:\\data\\OPEN.BIN");
    std::strcpy(s.recentFiles[3], "C:\\two.bin");
    std::strcpy(s.recentFiles[4], "C:\\not listed.bin");
    s.recentMenuCount = 4;  // the fifth entry is not on the menu either
    std::string browsed = makeTempFile("moxel compare other.bin", "ABCE");

    DialogScript::expect(steps({
        check([](HWND d) {
            EXPECT_EQ(itemText(d, IDC_VE_PROMPT), "'C:\\Data\\Open.bin' と比較するファイル名を入力してください。");
            EXPECT_TRUE(visible(d, IDC_VE_COMBO) && visible(d, IDC_VE_BROWSE));
            EXPECT_FALSE(visible(d, IDC_VE_EDIT) || visible(d, IDC_VE_DECIMAL) || visible(d, IDC_VE_HEX));
            HWND combo = GetDlgItem(d, IDC_VE_COMBO);
            ASSERT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 2);
            char item[kPathLength];
            SendMessageA(combo, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(item));
            EXPECT_STREQ(item, "C:\\two.bin");
            EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 0);
            EXPECT_EQ(itemText(d, IDC_VE_COMBO), "C:\\one.bin");
            SetWindowTextA(combo, "C:\\DATA\\open.BIN");
            PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }),
        expectKept("C:\\DATA\\open.BIN", IDC_VE_COMBO),
        [](HWND d) {
            PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_VE_BROWSE, BN_CLICKED), 0);
        },
        [browsed](HWND d) {
            EXPECT_EQ(itemText(d, IDC_VE_COMBO), browsed);
            PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        },
    }));
    DialogScript::expect(box(IDOK));
    DialogScript::expect(chooseInFileDialog(browsed));
    ValueEntryRequest request{};
    request.mode = CompareFile;
    request.maxLength = kPathLength;
    EXPECT_EQ(runValueEntry(frame(), request), 1);
    EXPECT_EQ(boxTexts, std::vector<std::string>{"同じファイル名です。"});
    EXPECT_EQ(std::string(request.text), browsed);
}
