// Printing: pages drawn into an enhanced metafile and read back, and whole
// jobs on a PostScript printer of the test prefix that writes to a file.
#include <windows.h>
#include <winspool.h>

#include <string>
#include <vector>

#include "document/dump_row.h"
#include "resource_ids.h"
#include "shell/editor_state_win.h"
#include "support/gui_harness_win.h"
#include "support/later_win.h"
#include "tools/print_win.h"

using namespace gui;

namespace {

const char* const kPrinter = "MOXEL Test Printer";

std::string jobFile() { return tempPath("moxel_print_test.ps"); }

void setValue(const std::string& key, const char* name, const std::string& value) {
    HKEY k;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) != 0) return;
    RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), DWORD(value.size() + 1));
    RegCloseKey(k);
}

std::string printerKey() { return std::string("System\\CurrentControlSet\\Control\\Print\\Printers\\") + kPrinter; }

// Wine's generic PostScript driver on a port that is jobFile(); made the default.
bool installTestPrinter() {
    const std::string out = jobFile(), key = printerKey();
    setValue("Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports", out.c_str(), "");
    HANDLE printer = nullptr;
    if (!OpenPrinterA(const_cast<char*>(kPrinter), &printer, nullptr)) {
        HMODULE spool = LoadLibraryA("winspool.drv");
        HRSRC ppd = FindResourceA(spool, MAKEINTRESOURCEA(1), "PPDFILE");
        std::string ppdFile = makeTempFile("moxel_test.ppd", std::string(static_cast<const char*>(LockResource(
                                                                   LoadResource(spool, ppd))), SizeofResource(spool, ppd)));
        AddPrintProcessorA(nullptr, nullptr, const_cast<char*>("wineps.drv"), const_cast<char*>("wineps"));
        DRIVER_INFO_3A driver{3, const_cast<char*>("MOXEL Test PS"), const_cast<char*>("Windows x64"),
                              const_cast<char*>("wineps.drv"), ppdFile.data(), const_cast<char*>("wineps.drv")};
        AddPrinterDriverExA(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES | APD_COPY_FROM_DIRECTORY);
        PRINTER_INFO_2A info{};
        info.pPrinterName = const_cast<char*>(kPrinter);
        info.pPortName = const_cast<char*>(out.c_str());
        info.pDriverName = driver.pName;
        info.pPrintProcessor = const_cast<char*>("wineps");
        info.pDatatype = const_cast<char*>("RAW");
        printer = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    }
    if (printer == nullptr) return false;
    ClosePrinter(printer);
    setValue(key, "Print Processor", "winprint");  // EndDoc fails under Wine without it
    setValue(key, "Port", out);
    return SetDefaultPrinterA(kPrinter) != 0;
}

// Pages of the last job once the spooler wrote all of it; -1 when it never ended.
int finishedPages() {
    std::string ps;
    pumpUntil([&] { return (ps = readFile(jobFile())).find("%%EOF") != std::string::npos; }, 5000);
    size_t at = ps.rfind("%%Pages: ");
    return ps.find("%%EOF") == std::string::npos || at == std::string::npos ? -1 : std::atoi(&ps[at + 9]);
}

// ---- one copy drawn into a metafile: its texts, page by page
struct Text {
    int y;
    std::string s;
};
struct Page {
    std::string title;
    std::vector<Text> lines;  // the column header included
    int ruleY = -1;
};

int CALLBACK collect(HDC, HANDLETABLE*, const ENHMETARECORD* r, int, LPARAM param) {
    auto& pages = *reinterpret_cast<std::vector<Page>*>(param);
    if (r->iType == EMR_EXTTEXTOUTW) {
        const auto& t = reinterpret_cast<const EMREXTTEXTOUTW*>(r)->emrtext;
        char s[512];
        int n = WideCharToMultiByte(932, 0, reinterpret_cast<const WCHAR*>(reinterpret_cast<const BYTE*>(r) + t.offString),
                                    int(t.nChars), s, sizeof s, nullptr, nullptr);
        Text text{t.ptlReference.y, std::string(s, n)};
        if (text.y == 0 && text.s.rfind(" P.", 0) == 0) {
            pages.push_back({text.s, {}});
        } else if (!pages.empty()) {
            pages.back().lines.push_back(text);
        }
    } else if (r->iType == EMR_LINETO && !pages.empty()) {
        pages.back().ruleY = reinterpret_cast<const EMRLINETO*>(r)->ptl.y;
    }
    return 1;
}

std::vector<Page> printed(int kanji, bool selectionOnly) {
    HDC dc = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    EXPECT_TRUE(printCopy(dc, "doc.bin", kanji, selectionOnly));
    HENHMETAFILE picture = CloseEnhMetaFile(dc);
    std::vector<Page> pages;
    EnumEnhMetaFile(nullptr, picture, collect, &pages, nullptr);
    DeleteEnhMetaFile(picture);
    return pages;
}

// The row texts the view shows from `row` on, the pending lead carried.
std::vector<std::string> viewRows(int row, int count, int kanji) {
    std::vector<std::string> rows;
    uint8_t lead = 0;
    char text[kRowTextSize];
    for (int i = 0; i < count; ++i) rows.push_back(formatDumpRow(*editorState, (row + i) * 16, kanji, text, &lead));
    return rows;
}

std::vector<std::string> texts(const std::vector<Page>& pages) {
    std::vector<std::string> all;
    for (const Page& p : pages) {
        for (const Text& t : p.lines) all.push_back(t.s);
    }
    return all;
}

using PrintPagesTest = FrameTest;

}  // namespace

TEST_F(PrintPagesTest, SelectionAndColumnHeaderOption) {
    loadDocument(std::string(0x45, 'q'), "C:\\data\\doc.bin");  // rows 0..4, row 4 partial
    for (auto [anchor, end] : {std::pair{2, 4}, std::pair{4, 2}}) {
        editorState->selectionAnchorRow = anchor;
        editorState->selectionEndRow = end;
        std::vector<Page> pages = printed(0, true);
        ASSERT_EQ(pages.size(), 1u);
        EXPECT_EQ(pages[0].title, " P.001  doc.bin");
        EXPECT_EQ(texts(pages), viewRows(2, 3, 0));  // from 0x20, blanks past the end
    }
    editorState->selectionEndRow = editorState->rowCount;  // select all: one past the last row
    editorState->selectionAnchorRow = 0;
    EXPECT_EQ(texts(printed(0, true)), viewRows(0, 5, 0));

    std::vector<Text> off = printed(0, false)[0].lines;
    int L = off[1].y - off[0].y;
    EXPECT_EQ(off[0].y, 2 * L);
    editorState->options[printAddresses] = 1;
    Page on = printed(0, false)[0];
    ASSERT_EQ(on.lines.size(), 6u);
    EXPECT_EQ(on.lines[0].s, kColumnHeader);
    EXPECT_EQ(on.lines[1].y, 3 * L);
    EXPECT_GT(on.ruleY, on.lines[0].y);
    EXPECT_LT(on.ruleY, on.lines[1].y);
}

TEST_F(PrintPagesTest, PagesCarrySplitCharactersAndNeverOnlyATitle) {
    // Every row ends with a lead byte whose trail byte starts the next row.
    std::string bytes;
    for (int row = 0; row < 150; ++row) bytes += (row ? "\xA0" : "k") + std::string(14, 'k') + "\x82";
    loadDocument(bytes, "C:\\data\\doc.bin");
    std::vector<Page> pages = printed(1, false);
    ASSERT_GE(pages.size(), 3u);
    EXPECT_EQ(texts(pages), viewRows(0, 150, 1));
    EXPECT_EQ(pages[2].title, " P.003  doc.bin");
    EXPECT_EQ(pages[0].lines.back().s.substr(kCharColumnStart + 15, 2), "\x82\xA0");  // whole at the row's end
    EXPECT_EQ(pages[1].lines.front().s[kCharColumnStart], ' ');                       // its trail's cell blank

    // A document that fills its last page exactly ends there.
    size_t perPage = pages[0].lines.size();
    loadDocument(std::string(perPage * 2 * 16, 'x'), "C:\\data\\doc.bin");
    EXPECT_EQ(printed(0, false).size(), 2u);
}

// ------------------------------------------------------------- whole jobs

namespace {

// The spooler keeps each user's printers and the default one below
// HKEY_CURRENT_USER, so these tests, and only while they print, see the test
// prefix's own user key; the editor's settings are read and written before
// and after that, in the tests' key.
class PrintJobTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        if (HasFatalFailure()) return;
        suspendPrivateSettingsRoot();
        ASSERT_TRUE(installTestPrinter()) << "no test printer, error " << GetLastError();
    }
    void TearDown() override {
        resumePrivateSettingsRoot();
        FrameTest::TearDown();
    }
    // One job on a fresh device context of the test printer.
    bool job(int copies) {
        DeleteFileA(jobFile().c_str());
        HDC dc = CreateDCA("WINSPOOL", kPrinter, nullptr, nullptr);
        bool ok = printJob(frame(), dc, false, copies);
        DeleteDC(dc);
        return ok;
    }
};

struct Seen {
    std::string title;
    bool ownerEnabled = true, focusOnCancel = false;
} seen;

// The answer for the progress dialog: `action` runs from the job's own
// message pump, once the first line is printed.
DialogAction whilePrinting(void (*action)(HWND)) {
    return [action](HWND dialog) {
        seen.title = windowText(GetDlgItem(dialog, IDC_PR_TITLE));
        runLater([dialog, action] {
            seen.ownerEnabled = IsWindowEnabled(mainWindow);
            seen.focusOnCancel = GetFocus() == GetDlgItem(dialog, IDCANCEL);
            if (action) action(dialog);
        });
    };
}

DialogAction printDialog(bool chooseSelection, bool* selectionProposed) {
    return [=](HWND dialog) {
        *selectionProposed = IsDlgButtonChecked(dialog, 0x421 /* rad2 */) == BST_CHECKED;
        if (chooseSelection) CheckRadioButton(dialog, 0x420, 0x422, 0x421);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    };
}

}  // namespace

TEST_F(PrintJobTest, PrintCommandGoesThroughTheDialogs) {
    loadDocument(std::string(300 * 16, 'p'), "C:\\data\\job.bin");
    bool proposed = true;
    DialogScript::expect(printDialog(true, &proposed));  // the selection, though there is none
    DialogScript::expect(answerWith(IDOK));
    SendMessageA(frame(), WM_COMMAND, IDM_PRINT, 0);
    EXPECT_FALSE(proposed);
    EXPECT_EQ(lastDialogText(), "選択された範囲はありません。");
    EXPECT_EQ(win().printSetup.hDC, nullptr);

    editorState->selectionAnchorRow = 1;
    editorState->selectionEndRow = 3;
    DeleteFileA(jobFile().c_str());
    DialogScript::expect(printDialog(false, &proposed));
    DialogScript::expect(whilePrinting(nullptr));
    SendMessageA(frame(), WM_COMMAND, IDM_PRINT, 0);
    EXPECT_TRUE(proposed);
    EXPECT_EQ(seen.title, "job.bin");
    EXPECT_FALSE(seen.ownerEnabled);
    EXPECT_TRUE(seen.focusOnCancel);
    EXPECT_EQ(finishedPages(), 1) << "three rows, not the 300 of the document";
    EXPECT_EQ(win().printSetup.hDC, nullptr);
    EXPECT_EQ(win().progressDialog, nullptr);
    EXPECT_TRUE(IsWindowEnabled(frame()));
}

TEST_F(PrintJobTest, CopiesAndCancel) {
    loadDocument(std::string(300 * 16, 'c'), "C:\\data\\c.bin");
    int pages[3] = {};
    for (int copies : {1, 2}) {
        DialogScript::expect(whilePrinting(nullptr));
        EXPECT_TRUE(job(copies));
        pages[copies] = finishedPages();
    }
    EXPECT_GT(pages[1], 1);
    EXPECT_EQ(pages[2], 2 * pages[1]) << "each copy starts on a new page";

    DialogScript::expect(whilePrinting([](HWND d) { SendMessageA(d, WM_COMMAND, IDCANCEL, 0); }));
    EXPECT_FALSE(job(1));
    EXPECT_EQ(finishedPages(), 1) << "stopped after the line being printed, and the job ended";
    EXPECT_TRUE(IsWindowEnabled(frame()));
}

TEST_F(PrintJobTest, CloseAndQuitArrivingWhilePrintingWaitForTheJob) {
    loadDocument(std::string(2000 * 16, 'w'), "C:\\data\\w.bin");
    // Another editor's quit-all posts WM_CLOSE; something else posts a quit.
    DialogScript::expect(whilePrinting([](HWND) {
        PostMessageA(mainWindow, WM_CLOSE, 0, 0);
        PostQuitMessage(7);
    }));
    HWND closing = frame();
    EXPECT_FALSE(job(1));
    EXPECT_TRUE(IsWindow(closing)) << "the document was freed under the page loop";
    EXPECT_GE(finishedPages(), 1);
    MSG quit;
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit was lost";
    EXPECT_EQ(quit.wParam, 7u);
    EXPECT_TRUE(pumpUntil([&] { return !IsWindow(closing); }, 3000)) << "the close was lost";
}

TEST_F(PrintJobTest, FailingDeviceAndPrinterSetup) {
    loadDocument("m", "C:\\data\\m.bin");
    HDC memory = CreateCompatibleDC(nullptr);  // StartDoc answers 0 here, not SP_ERROR
    DialogScript::expect(answerWith(IDOK));
    EXPECT_FALSE(printJob(frame(), memory, false, 1));
    DeleteDC(memory);
    EXPECT_EQ(dialogsShown(), 1) << "an error box and no progress dialog";
    EXPECT_NE(lastDialogText(), systemText(ERROR_SUCCESS));

    DialogScript::expect(answerWith(IDOK));
    SendMessageA(frame(), WM_COMMAND, IDM_PRINTER_SETUP, 0);
    EXPECT_EQ(win().printSetup.Flags & PD_PRINTSETUP, 0u);
    EXPECT_EQ(win().printSetup.hDC, nullptr) << "the setup dialog's device context leaked";
    EXPECT_NE(win().printSetup.hDevNames, nullptr);
}

TEST_F(PrintJobTest, AJobTheSpoolerCannotFinishShowsTheErrorBox) {
    loadDocument("e", "C:\\data\\e.bin");
    // A port in a folder that does not exist: the page is taken, the job cannot be handed on.
    setValue(printerKey(), "Port", tempPath("moxel no such folder\\job.ps"));
    DialogScript::expect(whilePrinting(nullptr));
    DialogScript::expect(answerWith(IDOK));
    EXPECT_FALSE(job(1));
    EXPECT_EQ(dialogsShown(), 2) << "the progress dialog, then the error box";
    EXPECT_NE(lastDialogText(), systemText(ERROR_SUCCESS));
}
