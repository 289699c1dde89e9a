// Printing: pages drawn into an enhanced metafile and read back record by
// record, and whole jobs on a real (PostScript-to-file) printer of the test
// prefix, through the print dialog, the progress dialog and its Cancel.
#include <windows.h>
#include <winspool.h>

#include <cstring>
#include <string>
#include <vector>

#include "document/dump_row.h"
#include "resource_ids.h"
#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "support/gui_harness_win.h"
#include "support/later_win.h"
#include "tools/print_win.h"

using namespace gui;

namespace {

// ---------------------------------------------------------- the test printer

const char* const kPrinterName = "MOXEL Test Printer";
const char* const kDriverName = "MOXEL Test PostScript";

std::string printOutputPath() {
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    return std::string(dir) + "moxel_print_test.ps";
}

void setRegistryString(HKEY root, const std::string& key, const char* name, const std::string& value) {
    HKEY k;
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) != ERROR_SUCCESS) return;
    RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), static_cast<DWORD>(value.size() + 1));
    RegCloseKey(k);
}

// A PostScript printer with Wine's generic driver that writes every job to
// printOutputPath(); installed once into the test prefix and made the default.
bool installTestPrinter() {
    static int installed = -1;
    if (installed >= 0) return installed == 1;
    installed = 0;
    const std::string out = printOutputPath();
    setRegistryString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports", out.c_str(), "");

    HANDLE printer = nullptr;
    if (OpenPrinterA(const_cast<char*>(kPrinterName), &printer, nullptr)) {
        ClosePrinter(printer);
    } else {
        HMODULE spool = LoadLibraryA("winspool.drv");
        HRSRC resource = spool != nullptr ? FindResourceA(spool, MAKEINTRESOURCEA(1), "PPDFILE") : nullptr;
        if (resource == nullptr) return false;
        char dir[MAX_PATH];
        GetTempPathA(sizeof dir, dir);
        const std::string ppd = std::string(dir) + "moxel_test_printer.ppd";
        HANDLE f = CreateFileA(ppd.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (f == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        WriteFile(f, LockResource(LoadResource(spool, resource)), SizeofResource(spool, resource), &written, nullptr);
        CloseHandle(f);

        AddPrintProcessorA(nullptr, nullptr, const_cast<char*>("wineps.drv"), const_cast<char*>("wineps"));
        DRIVER_INFO_3A driver{};
        driver.cVersion = 3;
        driver.pName = const_cast<char*>(kDriverName);
        driver.pEnvironment = const_cast<char*>("Windows x64");
        driver.pDriverPath = const_cast<char*>("wineps.drv");
        driver.pConfigFile = const_cast<char*>("wineps.drv");
        driver.pDataFile = const_cast<char*>(ppd.c_str());
        AddPrinterDriverExA(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES | APD_COPY_FROM_DIRECTORY);
        PRINTER_INFO_2A info{};
        info.pPrinterName = const_cast<char*>(kPrinterName);
        info.pPortName = const_cast<char*>(out.c_str());
        info.pDriverName = const_cast<char*>(kDriverName);
        info.pPrintProcessor = const_cast<char*>("wineps");
        info.pDatatype = const_cast<char*>("RAW");
        printer = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
        if (printer == nullptr) return false;
        ClosePrinter(printer);
    }
    // Without the processor EndDoc fails under Wine; the port may have been another file.
    const std::string key = std::string("System\\CurrentControlSet\\Control\\Print\\Printers\\") + kPrinterName;
    setRegistryString(HKEY_LOCAL_MACHINE, key, "Print Processor", "winprint");
    setRegistryString(HKEY_LOCAL_MACHINE, key, "Port", out);
    if (!SetDefaultPrinterA(kPrinterName)) return false;
    installed = 1;
    return true;
}

// The PostScript of the last job, once the spooler has written all of it.
std::string finishedJob() {
    std::string text;
    pumpUntil([&] {
        text = readFile(printOutputPath());
        return text.find("%%EOF") != std::string::npos;
    }, 5000);
    return text;
}

int pagesOf(const std::string& postScript) {
    size_t at = postScript.rfind("%%Pages: ");
    return at == std::string::npos ? -1 : std::atoi(postScript.c_str() + at + 9);
}

// ------------------------------------------------------ metafile read-back

struct DrawnText {
    int x, y;
    std::string text;  // Shift-JIS, as the program drew it
};

struct PrintedPage {
    std::string title;
    std::vector<DrawnText> texts;  // after the title: column header (when present) and lines
    std::vector<POINT> lineEnds;   // MoveTo/LineTo points
};

struct Recorder {
    std::vector<DrawnText> texts;
    std::vector<POINT> points;
    std::vector<size_t> pointsBeforeText;  // points recorded before each text
};

int CALLBACK collectRecord(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM param) {
    auto& r = *reinterpret_cast<Recorder*>(param);
    if (record->iType == EMR_EXTTEXTOUTW) {
        const auto* t = reinterpret_cast<const EMREXTTEXTOUTW*>(record);
        const auto* chars = reinterpret_cast<const WCHAR*>(reinterpret_cast<const BYTE*>(record) + t->emrtext.offString);
        char text[512] = "";
        int n = WideCharToMultiByte(932, 0, chars, static_cast<int>(t->emrtext.nChars), text, sizeof text - 1, nullptr, nullptr);
        r.pointsBeforeText.push_back(r.points.size());
        r.texts.push_back({t->emrtext.ptlReference.x, t->emrtext.ptlReference.y, std::string(text, n > 0 ? n : 0)});
    } else if (record->iType == EMR_EXTTEXTOUTA) {
        const auto* t = reinterpret_cast<const EMREXTTEXTOUTA*>(record);
        const char* chars = reinterpret_cast<const char*>(record) + t->emrtext.offString;
        r.pointsBeforeText.push_back(r.points.size());
        r.texts.push_back({t->emrtext.ptlReference.x, t->emrtext.ptlReference.y, std::string(chars, t->emrtext.nChars)});
    } else if (record->iType == EMR_MOVETOEX || record->iType == EMR_LINETO) {
        const auto* p = reinterpret_cast<const EMRLINETO*>(record);
        r.points.push_back({p->ptl.x, p->ptl.y});
    }
    return 1;
}

bool isTitle(const DrawnText& t) { return t.x == 0 && t.y == 0 && t.text.rfind(" P.", 0) == 0; }

// One copy printed by printCopy into a metafile, split into pages at the titles.
std::vector<PrintedPage> printToMetafile(const char* title, int kanji, bool selectionOnly) {
    HDC dc = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    EXPECT_NE(dc, nullptr);
    EXPECT_TRUE(printCopy(dc, title, kanji, selectionOnly));
    HENHMETAFILE picture = CloseEnhMetaFile(dc);
    Recorder r;
    EnumEnhMetaFile(nullptr, picture, collectRecord, &r, nullptr);
    DeleteEnhMetaFile(picture);

    std::vector<PrintedPage> pages;
    for (size_t i = 0; i < r.texts.size(); ++i) {
        if (isTitle(r.texts[i])) {
            pages.push_back({r.texts[i].text, {}, {}});
            continue;
        }
        EXPECT_FALSE(pages.empty()) << "text before the first title: " << r.texts[i].text;
        if (pages.empty()) continue;
        pages.back().texts.push_back(r.texts[i]);
        size_t from = r.pointsBeforeText[i];
        size_t to = i + 1 < r.texts.size() ? r.pointsBeforeText[i + 1] : r.points.size();
        pages.back().lineEnds.insert(pages.back().lineEnds.end(), r.points.begin() + from, r.points.begin() + to);
    }
    return pages;
}

// The dump lines of the pages (the column header left out).
std::vector<DrawnText> dumpLines(const std::vector<PrintedPage>& pages) {
    std::vector<DrawnText> lines;
    for (const PrintedPage& p : pages) {
        for (const DrawnText& t : p.texts) {
            if (t.text != kColumnHeader) lines.push_back(t);
        }
    }
    return lines;
}

// The rows as the view shows them, from `firstRow` on, the pending lead carried.
std::vector<std::string> viewRows(int firstRow, int count, int kanji) {
    std::vector<std::string> rows;
    uint8_t lead = 0;
    for (int i = 0; i < count; ++i) {
        char text[kRowTextSize];
        formatDumpRow(*editorState, (firstRow + i) * 16, kanji, text, &lead);
        rows.push_back(text);
    }
    return rows;
}

std::string rowsOf(size_t count, char fill) { return std::string(count * 16, fill); }

class PrintPagesTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        if (HasFatalFailure()) return;
        editorState->options[printAddresses] = 0;
    }
    void select(int anchor, int end) {
        editorState->selectionAnchorRow = anchor;
        editorState->selectionEndRow = end;
    }
};

}  // namespace

TEST_F(PrintPagesTest, SelectedRowsInEitherOrderPrintFromTheirFirstRow) {
    std::string bytes;
    for (int i = 0; i < 0x45; ++i) bytes += static_cast<char>('A' + i % 26);
    loadDocument(bytes, "C:\\data\\rows.bin");
    for (auto [anchor, end] : {std::pair{2, 4}, std::pair{4, 2}}) {
        select(anchor, end);
        std::vector<PrintedPage> pages = printToMetafile("rows.bin", 0, true);
        ASSERT_EQ(pages.size(), 1u);
        EXPECT_EQ(pages[0].title, " P.001  rows.bin");
        std::vector<DrawnText> lines = dumpLines(pages);
        ASSERT_EQ(lines.size(), 3u);
        std::vector<std::string> expected = viewRows(2, 3, 0);
        for (size_t i = 0; i < 3; ++i) EXPECT_EQ(lines[i].text, expected[i]) << "line " << i;
        EXPECT_EQ(lines[0].text.substr(0, 9), " 00000020");
        // The partial last row shows blanks past the end of the document.
        EXPECT_EQ(lines[2].text.substr(11 + 5 * 3, 3), "   ");
    }
}

TEST_F(PrintPagesTest, SelectAllPrintsExactlyTheWholeDocument) {
    loadDocument(rowsOf(5, 'z') + "tail", "C:\\data\\all.bin");
    std::vector<DrawnText> whole = dumpLines(printToMetafile("all.bin", 0, false));
    select(0, editorState->rowCount);  // select all: one past the last row
    std::vector<DrawnText> selected = dumpLines(printToMetafile("all.bin", 0, true));
    ASSERT_EQ(whole.size(), 6u);
    ASSERT_EQ(selected.size(), whole.size());
    for (size_t i = 0; i < whole.size(); ++i) EXPECT_EQ(selected[i].text, whole[i].text);
    EXPECT_EQ(whole.back().text, viewRows(5, 1, 0)[0]);
}

TEST_F(PrintPagesTest, ColumnHeaderAndRuleOnlyWithTheOption) {
    loadDocument(rowsOf(3, '1'), "C:\\data\\h.bin");

    std::vector<PrintedPage> off = printToMetafile("h.bin", 0, false);
    ASSERT_EQ(off.size(), 1u);
    ASSERT_EQ(off[0].texts.size(), 3u);
    int L = off[0].texts[1].y - off[0].texts[0].y;
    ASSERT_GT(L, 0);
    EXPECT_EQ(off[0].texts[0].y, 2 * L);
    EXPECT_TRUE(off[0].lineEnds.empty());

    editorState->options[printAddresses] = 1;
    std::vector<PrintedPage> on = printToMetafile("h.bin", 0, false);
    ASSERT_EQ(on.size(), 1u);
    ASSERT_EQ(on[0].texts.size(), 4u);
    const DrawnText& header = on[0].texts[0];
    EXPECT_EQ(header.text, kColumnHeader);
    EXPECT_EQ(header.x, 0);
    EXPECT_EQ(on[0].texts[1].y, 3 * L);
    // The rule lies under the header, above the first line, from x = 0.
    ASSERT_EQ(on[0].lineEnds.size(), 2u);
    EXPECT_EQ(on[0].lineEnds[0].x, 0);
    EXPECT_EQ(on[0].lineEnds[0].y, on[0].lineEnds[1].y);
    EXPECT_GT(on[0].lineEnds[1].x, 0);
    EXPECT_GT(on[0].lineEnds[0].y, header.y);
    EXPECT_LT(on[0].lineEnds[0].y, on[0].texts[1].y);
}

TEST_F(PrintPagesTest, PagesFollowEachOtherAndNoneCarriesOnlyItsTitle) {
    loadDocument(rowsOf(200, '.'), "C:\\data\\long.bin");
    std::vector<PrintedPage> pages = printToMetafile("long.bin", 0, false);
    ASSERT_GE(pages.size(), 3u);
    size_t perPage = pages[0].texts.size();
    int row = 0;
    for (size_t p = 0; p < pages.size(); ++p) {
        char title[32];
        wsprintfA(title, " P.%03d  long.bin", static_cast<int>(p + 1));
        EXPECT_EQ(pages[p].title, title);
        ASSERT_FALSE(pages[p].texts.empty()) << "page " << p + 1 << " holds only its title";
        if (p + 1 < pages.size()) {
            EXPECT_EQ(pages[p].texts.size(), perPage);
        }
        for (const DrawnText& t : pages[p].texts) {
            char address[16];
            wsprintfA(address, " %08X", row * 16);
            EXPECT_EQ(t.text.substr(0, 9), address);
            ++row;
        }
    }
    EXPECT_EQ(row, 200);

    // A document that fills its last page exactly ends there.
    loadDocument(rowsOf(perPage * 2, '.'), "C:\\data\\long.bin");
    EXPECT_EQ(printToMetafile("long.bin", 0, false).size(), 2u);
    loadDocument(rowsOf(perPage * 2 + 1, '.'), "C:\\data\\long.bin");
    std::vector<PrintedPage> more = printToMetafile("long.bin", 0, false);
    ASSERT_EQ(more.size(), 3u);
    EXPECT_EQ(more[2].texts.size(), 1u);
}

TEST_F(PrintPagesTest, DoubleByteCharacterSplitByAPageBreakPrintsAsTheViewShowsIt) {
    // Every row ends with a lead byte whose trail byte starts the next row.
    std::string bytes;
    for (int row = 0; row < 150; ++row) {
        std::string r(16, 'k');
        r[0] = row == 0 ? 'k' : '\xA0';
        r[15] = '\x82';
        bytes += r;
    }
    loadDocument(bytes, "C:\\data\\kanji.bin");
    std::vector<PrintedPage> pages = printToMetafile("kanji.bin", 1, false);
    ASSERT_GE(pages.size(), 2u);
    std::vector<DrawnText> lines = dumpLines(pages);
    std::vector<std::string> view = viewRows(0, 150, 1);
    ASSERT_EQ(lines.size(), view.size());
    for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i].text, view[i]) << "row " << i;

    const std::string& lastOfPage1 = pages[0].texts.back().text;
    const std::string& firstOfPage2 = pages[1].texts.front().text;
    EXPECT_EQ(lastOfPage1.substr(kCharColumnStart + 15, 2), "\x82\xA0");  // the whole character, at the row's end
    EXPECT_EQ(firstOfPage2[kCharColumnStart], ' ');                    // its trail byte's cell stays blank
}

// ------------------------------------------------------------- whole jobs

namespace {

class PrintJobTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_TRUE(installTestPrinter()) << "no test printer, error " << GetLastError();
        DeleteFileA(printOutputPath().c_str());
        editorState->options[printAddresses] = 0;
    }
    void TearDown() override {
        DeleteFileA(printOutputPath().c_str());
        FrameTest::TearDown();
    }
    // A device context of the test printer, as the print dialog returns one.
    static HDC printerDC() { return CreateDCA("WINSPOOL", kPrinterName, nullptr, nullptr); }
};

// What the progress dialog showed and how the frame stood while it was up.
struct ProgressSeen {
    bool shown = false;
    std::string caption, title;
    bool ownerEnabled = true;
    bool focusOnCancel = false;
    bool centredOnOwner = false;
};
ProgressSeen progressSeen;

// The answer for the progress dialog: notes what it shows, then lets
// `action` run once the job is printing.
DialogAction watchProgress(void (*action)(HWND)) {
    return [action](HWND dialog) {
        progressSeen = ProgressSeen{};
        progressSeen.shown = true;
        progressSeen.caption = windowText(dialog);
        progressSeen.title = windowText(GetDlgItem(dialog, IDC_PR_TITLE));
        RECT d{}, o{};
        GetWindowRect(dialog, &d);
        GetWindowRect(GetParent(dialog), &o);
        int dx = (d.left + d.right) - (o.left + o.right);
        int dy = (d.top + d.bottom) - (o.top + o.bottom);
        progressSeen.centredOnOwner = dx >= -2 && dx <= 2 && dy >= -2 && dy <= 2;
        // Runs from the abort procedure's pump, once the job prints its first line.
        runLater([dialog, action] {
            progressSeen.ownerEnabled = IsWindowEnabled(mainWindow) != 0;
            progressSeen.focusOnCancel = GetFocus() == GetDlgItem(dialog, IDCANCEL);
            if (action != nullptr) action(dialog);
        });
    };
}

void pressCancel(HWND progress) { SendMessageA(progress, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); }

}  // namespace

TEST_F(PrintJobTest, PrintCommandPrintsTheSelectionThroughTheDialogs) {
    loadDocument(rowsOf(300, 'p'), "C:\\data\\job.bin");
    editorState->selectionAnchorRow = 1;
    editorState->selectionEndRow = 3;
    bool selectionProposed = false;
    DialogScript::expect([&](HWND dialog) {
        selectionProposed = IsDlgButtonChecked(dialog, 0x421 /* rad2: selection */) == BST_CHECKED;
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    DialogScript::expect(watchProgress(nullptr));
    SendMessageA(frame(), WM_COMMAND, IDM_PRINT, 0);

    EXPECT_TRUE(selectionProposed);
    EXPECT_TRUE(progressSeen.shown);
    EXPECT_EQ(progressSeen.caption, "印刷中...");
    EXPECT_EQ(progressSeen.title, "job.bin");
    EXPECT_FALSE(progressSeen.ownerEnabled);
    EXPECT_TRUE(progressSeen.focusOnCancel);
    EXPECT_TRUE(progressSeen.centredOnOwner);

    std::string job = finishedJob();
    EXPECT_EQ(pagesOf(job), 1) << "three selected rows fit one page";
    EXPECT_NE(job.find("%%Title: MOXEL"), std::string::npos);
    EXPECT_EQ(win().printSetup.hDC, nullptr);
    EXPECT_EQ(win().progressDialog, nullptr);
    EXPECT_TRUE(IsWindowEnabled(frame()));
}

TEST_F(PrintJobTest, ChoosingTheSelectionWithoutOneIsRefused) {
    loadDocument(rowsOf(4, 'p'), "C:\\data\\none.bin");
    DialogScript::expect([](HWND dialog) {
        CheckRadioButton(dialog, 0x420, 0x422, 0x421);  // the user picks "selection" anyway
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    DialogScript::expect(answerWith(IDOK));
    SendMessageA(frame(), WM_COMMAND, IDM_PRINT, 0);
    EXPECT_EQ(lastDialogText(), "選択された範囲はありません。");
    EXPECT_EQ(win().printSetup.hDC, nullptr);
    pumpMessages(200);
    EXPECT_EQ(GetFileAttributesA(printOutputPath().c_str()), INVALID_FILE_ATTRIBUTES) << "nothing was printed";
}

TEST_F(PrintJobTest, CancelStopsAfterTheCurrentLineAndStillEndsTheJob) {
    loadDocument(rowsOf(2000, 'c'), "C:\\data\\cancel.bin");
    HDC dc = printerDC();
    ASSERT_NE(dc, nullptr);
    DialogScript::expect(watchProgress(pressCancel));
    EXPECT_FALSE(printJob(frame(), dc, false, 1));
    DeleteDC(dc);
    std::string job = finishedJob();
    EXPECT_NE(job.find("%%EOF"), std::string::npos) << "the job was ended with EndDoc";
    EXPECT_EQ(pagesOf(job), 1);
    EXPECT_EQ(editorState->printCancelled, 1);
    EXPECT_TRUE(IsWindowEnabled(frame()));
    EXPECT_EQ(win().progressDialog, nullptr);
}

TEST_F(PrintJobTest, EveryCopyStartsOnANewPage) {
    loadDocument(rowsOf(100, 'c'), "C:\\data\\copies.bin");
    int pages[2] = {};
    for (int copies : {1, 2}) {
        DeleteFileA(printOutputPath().c_str());
        HDC dc = printerDC();
        ASSERT_NE(dc, nullptr);
        DialogScript::expect(watchProgress(nullptr));
        EXPECT_TRUE(printJob(frame(), dc, false, copies));
        DeleteDC(dc);
        pages[copies - 1] = pagesOf(finishedJob());
    }
    ASSERT_GT(pages[0], 0);
    EXPECT_EQ(pages[1], 2 * pages[0]);
}

TEST_F(PrintJobTest, DeviceThatCannotStartADocumentShowsTheError) {
    loadDocument(rowsOf(2, 'm'), "C:\\data\\mem.bin");
    HDC dc = CreateCompatibleDC(nullptr);  // StartDoc answers 0 here, not SP_ERROR
    DialogScript::expect(answerWith(IDOK));
    EXPECT_FALSE(printJob(frame(), dc, false, 1));
    DeleteDC(dc);
    EXPECT_EQ(dialogsShown(), 1) << "only the error box, no progress dialog";
    EXPECT_NE(lastDialogTitle(), "印刷中...");
    EXPECT_FALSE(lastDialogText().empty());
    EXPECT_NE(lastDialogText(), systemText(ERROR_SUCCESS)) << "a failure must not read as success";
    EXPECT_EQ(win().progressDialog, nullptr);
    EXPECT_TRUE(IsWindowEnabled(frame()));
}

TEST_F(PrintJobTest, CloseAndQuitArrivingWhilePrintingWaitForTheJob) {
    loadDocument(rowsOf(2000, 'w'), "C:\\data\\close.bin");
    HDC dc = printerDC();
    ASSERT_NE(dc, nullptr);
    // Another editor's quit-all posts WM_CLOSE; something else posts a quit.
    DialogScript::expect(watchProgress([](HWND) {
        PostMessageA(mainWindow, WM_CLOSE, 0, 0);
        PostQuitMessage(7);
    }));
    EXPECT_FALSE(printJob(frame(), dc, false, 1));
    DeleteDC(dc);
    EXPECT_TRUE(IsWindow(frame())) << "the document was freed under the page loop";
    EXPECT_NE(finishedJob().find("%%EOF"), std::string::npos);

    MSG quit;
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit was lost";
    EXPECT_EQ(quit.wParam, 7u);
    HWND closing = frame();
    pumpUntil([&] { return !IsWindow(closing); }, 3000);
    EXPECT_FALSE(IsWindow(closing)) << "the close was lost";
}

TEST_F(PrintJobTest, PrinterSetupKeepsTheChoiceButNoDeviceContext) {
    DialogScript::expect(answerWith(IDOK));
    SendMessageA(frame(), WM_COMMAND, IDM_PRINTER_SETUP, 0);
    const PRINTDLGA& setup = win().printSetup;
    EXPECT_EQ(setup.Flags & PD_PRINTSETUP, 0u);
    EXPECT_EQ(setup.hDC, nullptr);
    EXPECT_NE(setup.hDevNames, nullptr) << "the chosen printer is kept for the next print";
}
