// The change-history and compare dialog (1103) with the real list view:
// rows, clicks and double clicks, reverting, moving the caret, the compare's
// notices, a comparison that runs out of memory, and stepping through the
// differences in the view afterwards.
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "document/change_list_dialog_win.h"
#include "document/edit.h"
#include "document/record_list.h"
#include "resource_ids.h"
#include "shell/document_reset_win.h"
#include "shell/editor_state_win.h"
#include "shell/layout_win.h"
#include "support/dialog_steps_win.h"
#include "support/gui_harness_win.h"
#include "tools/mapped_file_win.h"

// Allocations through operator new of at least this many bytes fail while it
// is not 0 (tests/gui/allocation_limit.cpp).
extern std::atomic<size_t> failAllocationsFrom;

using namespace gui;

namespace {

// The dialog's answer: its steps, each run on a tick of its own message loop.
void expectDialogSteps(std::vector<Step> list) { DialogScript::expect(steps(std::move(list))); }

HWND listOf(HWND dialog) { return GetDlgItem(dialog, IDC_CL_LIST); }

int rows(HWND dialog) { return static_cast<int>(SendMessageA(listOf(dialog), LVM_GETITEMCOUNT, 0, 0)); }

std::string cell(HWND dialog, int row, int column) { return listCell(listOf(dialog), row, column); }

// The row's three cells joined by '|'.
std::string rowText(HWND dialog, int row) {
    return cell(dialog, row, 0) + "|" + cell(dialog, row, 1) + "|" + cell(dialog, row, 2);
}

bool okEnabled(HWND dialog) { return IsWindowEnabled(GetDlgItem(dialog, IDOK)) != 0; }

void selectRow(HWND dialog, int row) {
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    SendMessageA(listOf(dialog), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

// A real left click (or double click) on a row, or on the empty space below
// the rows when `row` is -1.
void click(HWND dialog, int row, bool twice = false) {
    HWND list = listOf(dialog);
    RECT r{};
    if (row >= 0) {
        r.left = LVIR_LABEL;
        SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
    } else {
        GetClientRect(list, &r);
        r.top = r.bottom - 6;
    }
    LPARAM at = MAKELPARAM(r.left + 4, (r.top + r.bottom) / 2);
    PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(list, WM_LBUTTONUP, 0, at);
    if (twice) {
        PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageA(list, WM_LBUTTONUP, 0, at);
    }
}

void press(HWND dialog, int button) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0); }

class ChangeListTest : public FrameTest {
protected:
    void TearDown() override {
        failAllocationsFrom = 0;
        FrameTest::TearDown();
    }
    EditorState& state() { return *editorState; }

    // A digit typed at (offset, nibble) as the view types it: the change
    // recorded first (without asking), then the nibble written.
    void type(int32_t offset, int nibble, int digit) {
        EditorState& s = state();
        s.caretOffset = offset;
        s.caretNibble = nibble;
        ASSERT_EQ(recordChangeAtCaret(s, 0, nullptr), 1);
        uint8_t& b = s.documentBytes[offset];
        b = static_cast<uint8_t>(nibble == 1 ? (b & 0xF0) | digit : (digit << 4) | (b & 0x0F));
        s.modified = 1;
    }

    int compare(const std::string& otherPath) {
        ValueEntryRequest request{};
        lstrcpynA(request.text, otherPath.c_str(), sizeof request.text);
        return runCompareDialog(frame(), request);
    }
};

// ---------------------------------------------------------------- history

TEST_F(ChangeListTest, HistoryListsTheNibblesAndRevertsTheClickedRowThenTheRest) {
    showChangeHistoryCommand(frame());  // no document: no dialog
    std::string bytes(0x30, '\0');
    bytes[0x20] = 0x12;
    loadDocument(bytes, "C:\\data\\h.bin");
    showChangeHistoryCommand(frame());  // no change: no dialog
    type(0x20, 0, 3);
    type(0x20, 1, 4);
    expectDialogSteps({
        [&](HWND d) {
            ASSERT_EQ(rows(d), 2);
            EXPECT_EQ(rowText(d, 0), "00000020|H|1");
            EXPECT_EQ(rowText(d, 1), "00000020|L|2");
            EXPECT_EQ(windowText(GetDlgItem(d, IDOK)), "戻す");
            EXPECT_FALSE(okEnabled(d));
            RECT dialogRect{}, viewRect{};
            GetWindowRect(d, &dialogRect);
            GetWindowRect(win().viewWindow, &viewRect);
            EXPECT_EQ(dialogRect.right, viewRect.right);
            EXPECT_EQ(dialogRect.top, viewRect.top);
            click(d, 1);
        },
        [&](HWND d) {
            EXPECT_TRUE(okEnabled(d));
            press(d, IDOK);
        },
        [&](HWND d) {
            EXPECT_EQ(state().documentBytes[0x20], 0x32);
            ASSERT_EQ(rows(d), 1);
            EXPECT_EQ(rowText(d, 0), "00000020|H|1");
            EXPECT_EQ(state().modified, 1);
            selectRow(d, 0);
            press(d, IDOK);
        },
    });
    EXPECT_EQ(showChangeHistory(frame()), 1);
    EXPECT_EQ(dialogsShown(), 1);
    EXPECT_EQ(state().documentBytes[0x20], 0x12);
    EXPECT_EQ(state().changeCount, 0);
    EXPECT_EQ(state().modified, 0);
    EXPECT_EQ(buttonState(IDM_UNDO), TBSTATE_INDETERMINATE);
}

TEST_F(ChangeListTest, DoubleClickRevertsAndClearsModifiedOnlyWhenTheFileBytesAreBack) {
    struct Case {
        const char* what;
        std::function<void()> edit;
        uint8_t reverted;  // byte 0 afterwards
        int modified;
    };
    const Case cases[] = {
        {"changed once", [&] { type(0, 0, 7); }, 0x5A, 0},
        // The record holds the value between the two changes.
        {"changed twice", [&] { type(0, 0, 7); type(0, 0, 9); }, 0x7A, 1},
        {"after an insertion",
         [&] {
             ASSERT_EQ(insertByteAt(state(), frame(), 0x5A), 1);
             refreshViewAfterReset();
             type(0, 0, 1);
         },
         0x5A, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        loadDocument(std::string("\x5A\x00", 2), "C:\\data\\m.bin");
        c.edit();
        toggleMenuCheck(IDM_EDIT_LOCK);  // reverting works while editing is locked
        expectDialogSteps({[&](HWND d) { click(d, 0, true); }});
        EXPECT_EQ(showChangeHistory(frame()), 1);
        toggleMenuCheck(IDM_EDIT_LOCK);
        EXPECT_EQ(state().documentBytes[0], c.reverted);
        EXPECT_EQ(state().changeCount, 0);
        EXPECT_EQ(state().modified, c.modified);
        EXPECT_EQ(stepsNeverRun(), 0u);
    }
}

// ---------------------------------------------------------------- compare

TEST_F(ChangeListTest, CompareListsTheDifferencesAndMovesTheCaretWhileStayingOpen) {
    const std::string original = "0123456789abcdefghijklmnopqrstuvwxyz";
    const std::string other = makeTempFile("moxel cmp other.bin", original);
    loadDocument(original, "C:\\data\\cmp.bin");
    for (int32_t at : {0x11, 0x22}) {  // overwritten in memory; the other file is the saved copy
        state().caretOffset = at;
        ASSERT_EQ(overwriteText(state(), at == 0x11 ? "H" : "Z"), 1);
    }
    state().caretOffset = 0;
    expectDialogSteps({
        [&](HWND d) {
            EXPECT_EQ(windowText(d), "比較 - moxel cmp other.bin (2)");
            ASSERT_EQ(rows(d), 2);
            EXPECT_EQ(rowText(d, 0), "00000011|48|68");
            EXPECT_EQ(rowText(d, 1), "00000022|5A|79");
            EXPECT_EQ(windowText(GetDlgItem(d, IDOK)), "移動");
            EXPECT_FALSE(okEnabled(d));
            click(d, 1);
        },
        [&](HWND d) {
            EXPECT_TRUE(okEnabled(d));
            press(d, IDOK);
        },
        [&](HWND d) {
            EXPECT_EQ(state().caretOffset, 0x22);
            EXPECT_TRUE(IsWindowVisible(d));
            selectRow(d, 0);  // with both selected the upper row is taken
            state().caretNibble = 1;
            press(d, IDOK);
        },
        [&](HWND d) {
            EXPECT_EQ(state().caretOffset, 0x11);
            EXPECT_EQ(state().caretNibble, 0);
            click(d, 1, true);
        },
        [&](HWND) { EXPECT_EQ(state().caretOffset, 0x22); },
    });
    auto stepGreyed = [&] {
        SendMessageA(frame(), WM_INITMENU, reinterpret_cast<WPARAM>(GetMenu(frame())), 0);
        return (GetMenuState(GetMenu(frame()), IDM_NEXT_DIFFERENCE, MF_BYCOMMAND) & MF_GRAYED) != 0;
    };
    EXPECT_TRUE(stepGreyed());
    EXPECT_EQ(compare(other), 0);
    EXPECT_EQ(statusText(kStatusAddressPart), " 00000022 H");
    EXPECT_EQ(state().changeCount, 4);

    // The differences stay: F6 and Shift+F6 step through them in the view, round at the ends.
    EXPECT_FALSE(stepGreyed());
    for (auto [command, caret, status] : {std::tuple{IDM_NEXT_DIFFERENCE, 0x11, " 相違 1 / 2"},
                                          {IDM_NEXT_DIFFERENCE, 0x22, " 相違 2 / 2"},
                                          {IDM_PREVIOUS_DIFFERENCE, 0x11, " 相違 1 / 2"},
                                          {IDM_PREVIOUS_DIFFERENCE, 0x22, " 相違 2 / 2"}}) {
        state().caretNibble = 1;
        SendMessageA(frame(), WM_COMMAND, command, 0);
        EXPECT_EQ(state().caretOffset, caret);
        EXPECT_EQ(state().caretNibble, 0);
        EXPECT_EQ(statusText(kStatusFilePart), status);
    }
    // An insertion drops them: the commands are greyed and do nothing.
    state().caretOffset = 0;
    ASSERT_EQ(insertByteAt(state(), frame(), 0x5A), 1);
    refreshViewAfterReset();
    EXPECT_TRUE(stepGreyed());
    SendMessageA(frame(), WM_COMMAND, IDM_NEXT_DIFFERENCE, 0);
    EXPECT_EQ(state().caretOffset, 0);
}

TEST_F(ChangeListTest, CompareWithoutDifferencesShowsAnEmptyListAfterAnyNotice) {
    const std::string bytes = "same bytes in both files";
    struct Case {
        std::string otherName;
        std::string otherBytes;  // empty: the file does not exist
        std::string notice;      // the box before the list, if any
    };
    const Case cases[] = {
        {"moxel same.bin", bytes, ""},
        {"moxel longer.bin", bytes + "!", "ファイルサイズが違うので、少ない方で比較します。"},
        {"moxel missing.bin", "", systemText(ERROR_FILE_NOT_FOUND)},
    };
    loadDocument(bytes, "C:\\data\\same.bin");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.otherName);
        std::string other = c.otherBytes.empty() ? tempPath(c.otherName) : makeTempFile(c.otherName, c.otherBytes);
        if (!c.notice.empty()) DialogScript::expect(answerWith(IDOK));
        expectDialogSteps({
            [&](HWND d) {
                EXPECT_EQ(windowText(d), "比較 - " + c.otherName + " (0)");
                EXPECT_EQ(rows(d), 0);
                click(d, -1);
            },
            [&](HWND d) { EXPECT_FALSE(okEnabled(d)); },
        });
        EXPECT_EQ(compare(other), 0);
        EXPECT_EQ(lastDialogText(), c.notice);
        EXPECT_EQ(stepsNeverRun(), 0u);
    }
}

TEST_F(ChangeListTest, CompareThatRunsOutOfMemoryReportsItAndKeepsTheDocument) {
    // Every byte differs: the offsets need far more than the memory allowed.
    const std::string bytes(2u << 20, 'a');
    const std::string other = makeTempFile("moxel all differ.bin", std::string(bytes.size(), 'b'));
    loadDocument(bytes, "C:\\data\\big.bin");
    DialogScript::expect(answerWith(IDOK));
    failAllocationsFrom = 1u << 20;
    EXPECT_EQ(compare(other), 0);
    failAllocationsFrom = 0;
    EXPECT_EQ(lastDialogText(), systemText(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(dialogsShown(), 1);  // no list after the error box
    EXPECT_EQ(std::string(reinterpret_cast<char*>(state().documentBytes), state().documentSize), bytes);

    // With memory to spare the same files give one row per byte.
    expectDialogSteps({[&](HWND d) { EXPECT_EQ(rowText(d, rows(d) - 1), "001FFFFF|61|62"); }});
    EXPECT_EQ(compare(other), 0);
}

// ---------------------------------------------------------------- the other file

TEST_F(ChangeListTest, TheOtherFileIsReadWindowByWindowOfItsMapping) {
    // Windows of the system's smallest size, so that a few hundred KiB cross several.
    const uint32_t window = MappedFile(1).stretchBytes();
    const uint32_t size = 3 * window + 77;
    std::string bytes(size, '\0');
    for (uint32_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + (i >> 12));
    std::string document = bytes;
    const std::vector<uint32_t> changed = {0, window - 1, window, 2 * window + 63, 3 * window, size - 1};
    for (uint32_t at : changed) document[at] = static_cast<char>(~document[at]);
    const std::string path = makeTempFile("moxel mapped.bin", bytes);

    MappedFile other(1);
    ASSERT_EQ(other.open(path.c_str()), 0u);
    EXPECT_EQ(other.size(), size);
    CompareRows rows;
    ASSERT_EQ(collectCompareRows(reinterpret_cast<const uint8_t*>(document.data()), size, other, other.size(), rows),
              CompareOutcome::Done);
    EXPECT_EQ(rows.offsets, changed);
    for (size_t k = 0; k < rows.count(); ++k) EXPECT_EQ(rows.targets[k], static_cast<uint8_t>(bytes[changed[k]]));

    // Reads that do not fit the file fail and say why; so do files that cannot be opened.
    EXPECT_FALSE(other.read(size - 10, 11, [](const uint8_t*) {}));
    EXPECT_EQ(other.error(), static_cast<DWORD>(ERROR_HANDLE_EOF));
    EXPECT_EQ(MappedFile().open(tempPath("moxel none.bin").c_str()), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    MappedFile empty;
    EXPECT_EQ(empty.open(makeTempFile("moxel empty.bin", "").c_str()), 0u);
    EXPECT_EQ(empty.size(), 0u);
    EXPECT_FALSE(empty.read(0, 0, [](const uint8_t*) {}));
}

TEST_F(ChangeListTest, AFaultWhileReadingTheOtherFileEndsTheReadNotTheProgram) {
    // Pages that cannot be read, as those of a file whose disk went away:
    // reserved ones, and an in-page error as the system raises it for a lost
    // network file (status C00000C4, an unexpected network error).
    auto* reserved = static_cast<const volatile uint8_t*>(VirtualAlloc(nullptr, 1u << 16, MEM_RESERVE, PAGE_NOACCESS));
    ASSERT_NE(reserved, nullptr);
    uint8_t readable[64] = {1, 2, 3};
    const ULONG_PTR inPage[3] = {0, reinterpret_cast<ULONG_PTR>(readable + 9), 0xC00000C4u};
    int sum = 0;
    const std::tuple<const char*, const void*, std::function<void()>, DWORD> cases[] = {
        {"readable", readable, [&] { sum = readable[0] + readable[2]; }, 0},
        {"not there", const_cast<const uint8_t*>(reserved), [&] { sum = reserved[4096 + 5]; }, ERROR_READ_FAULT},
        {"in-page error", readable, [&] { RaiseException(EXCEPTION_IN_PAGE_ERROR, 0, 3, inPage); sum = -1; },
         ERROR_UNEXP_NET_ERR},
    };
    for (const auto& [what, first, read, expected] : cases) {
        sum = 0;
        DWORD fault = 0;
        EXPECT_EQ(readGuarded(first, first == readable ? sizeof readable : 1u << 16, read, fault), expected == 0) << what;
        EXPECT_EQ(fault, expected) << what;
        EXPECT_EQ(sum, expected == 0 ? 4 : 0) << what;
    }
    VirtualFree(const_cast<uint8_t*>(reserved), 0, MEM_RELEASE);
}

}  // namespace
