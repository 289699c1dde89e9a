// Support for the in-process GUI tests and the black-box tests under Wine:
// scripted answers for dialogs and message boxes (with a guard that fails the
// test on any unexpected one), a watchdog, message pumping, temporary files,
// and fixtures that build the real editor windows in the test process.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "shell/editor_state.h"

struct EditorState;

namespace gui {

using DialogAction = std::function<void(HWND)>;

// Answers for the next dialogs, in order. Each runs when its dialog (a
// "#32770" window: a dialog box or a message box) is first activated, after
// WM_INITDIALOG. A dialog with no answer queued fails the running test with
// its title and text and is cancelled.
struct DialogScript {
    static void expect(DialogAction action);
    static size_t pending();
    static void clear();
};

// An answer that records the dialog's title and text (lastDialogTitle,
// lastDialogText) and presses the button `buttonId` (IDOK, IDYES ...).
DialogAction answerWith(int buttonId);

// Types `path` into a file dialog (open or save) and confirms it.
DialogAction chooseInFileDialog(const std::string& path);

const std::string& lastDialogTitle();
const std::string& lastDialogText();
// Dialogs shown since the running test began, answered or not.
int dialogsShown();

// The texts of a dialog's "Static" children, joined by '\n' (a message box's body).
std::string dialogText(HWND dialog);
std::string windowText(HWND window);
// The text of a list view's cell (an owner-data list asks its parent for it).
std::string listCell(HWND list, int row, int column);

// Dispatches the queued messages; with a time, keeps pumping that long. A
// WM_QUIT found on the way is dropped.
void pumpMessages(DWORD milliseconds = 0);
// A key press as `window` receives it, with Shift or Ctrl (VK_SHIFT,
// VK_CONTROL, or 0) held in this thread's key state; then pumps.
void pressKey(HWND window, int vk, int modifier = 0);

// A key with Ctrl and/or Shift held, through the program's key table as its
// message loop translates it (acceleratorsNow); then pumps. True when the
// table took the key (a greyed command's key is taken and dropped).
bool pressAccelerator(int vk, bool ctrl, bool shift);

// Pumps until `done` holds or the time runs out; returns done().
bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs);

// A file in the temporary directory with the given bytes; removed after the test.
std::string makeTempFile(const std::string& name, const std::string& bytes);
// A path in the temporary directory that is removed after the test (not created).
std::string tempPath(const std::string& name);
// The whole content of a file; `ok` is false when it cannot be read.
std::string readFile(const std::string& path, bool* ok = nullptr);

// The system's text for an error code, as the error box shows it.
std::string systemText(DWORD code);
// A string-table text of the program.
std::string stringText(int id);

// Installs the watchdog (a test running longer than ~20 s ends the process
// with its name), the private settings root and, with `dialogGuard`, the
// dialog hook on this thread.
void installTestSupport(bool dialogGuard);

// Lets the running test take up to `milliseconds` before the watchdog ends it
// (a long soak); the next test has the usual limit again.
void allowTestTime(DWORD milliseconds);

// The tests never read or write the settings of the person running them:
// HKEY_CURRENT_USER of the test process is moved to a key of this run
// (HKCU\Software\MoxelTests\<name>, deleted at the end), and the editors the
// tests start find that key through the environment. The run's key name, and
// the path of the real user's key for `subkey` below HKEY_USERS (for checks).
const std::string& privateSettingsRootName();
std::string realUserKeyPath(const std::string& subkey);
// Gives the test process the real HKEY_CURRENT_USER back for a while (the
// spooler keeps printers there), and moves it to the run's key again. No
// editor setting may be read or written in between.
void suspendPrivateSettingsRoot();
void resumePrivateSettingsRoot();
// Every value of a key (name, type, bytes) as one text, "(no key)" when absent.
std::string registrySnapshot(HKEY root, const std::string& path);

// The registry key of the settings (in the private root); deleted so that
// each test starts fresh.
void clearSettingsKey();

// A pane's placement as the settings key holds it under `name` ("Inspect",
// "Struct"); false when the value is missing or does not decode.
bool storedPanePlacement(const char* name, PanePlacement& out);

// State record and window classes, without a frame.
class EditorTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

// The real frame with its children, created as start-up does (first
// instance, nothing stored, shown normally).
class FrameTest : public EditorTest {
protected:
    void SetUp() override;

    HWND frame() const;
    std::string statusText(int part) const;
    bool statusIsSimple() const;
    // TB_GETSTATE of the button for `command`, after pumping the posted states.
    int buttonState(int command) const;
    RECT childRect(HWND child) const;  // in the frame's client coordinates
    // Puts `bytes` into the state as a document loaded from `path` and runs documentReset.
    void loadDocument(const std::string& bytes, const std::string& path);
};

// The frame at 1000 x 600, with room for the view's rows, for tests that work
// in the view.
class ViewFrameTest : public FrameTest {
protected:
    void SetUp() override;
    EditorState& s() const;
    HWND view() const;
};

}  // namespace gui
