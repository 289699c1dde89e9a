// A seeded random soak of the real editor window: keys, mouse clicks and the
// editing commands with their dialogs answered at random, checked step by step
// against a plain model of the bytes, the change records and the marks, and
// against the file after every save. A second run does the same with editing
// without limits on: no caps, insertions and deletions that move the records
// and marks, byte selections cut and pasted over, and undo and redo checked
// against the model's own steps.
//
// The model decides, before each step, which dialogs the step will show and
// how they are answered; any other dialog fails the run (the harness's guard).
// `./test` runs a short run; `./soak [STEPS] [SEED]` a long one.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "document/edit.h"
#include "document/selection.h"
#include "document/record_list.h"
#include "document/undo.h"
#include "document/shift_jis.h"
#include "platform/platform.h"
#include "resource_ids.h"
#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "shell/layout_win.h"
#include "support/dialog_steps_win.h"
#include "support/gui_harness_win.h"
#include "support/resource_counts_win.h"

using namespace gui;

namespace {

constexpr int kRecordLimit = 2001;  // records a list holds
constexpr int kPasteRecordBudget = 2000;

// ------------------------------------------------------------------ the model

struct ModelChange {
    int32_t offset;
    int nibble;
    uint8_t saved;
    bool operator==(const ModelChange& o) const { return offset == o.offset && nibble == o.nibble && saved == o.saved; }
};

// What the document must hold, kept by the plain rules of each command.
struct Model {
    std::vector<uint8_t> bytes;
    std::vector<uint8_t> disk;  // the file as last saved
    std::vector<ModelChange> changes;  // in the order the positions were first changed
    std::set<std::pair<int32_t, int>> marks;
    uint32_t spare = 1000;
    bool locked = false;
    bool unlimited = false;  // editing without limits: no caps, splices keep records and marks

    int findChange(int32_t offset, int nibble) const {
        for (size_t i = 0; i < changes.size(); ++i)
            if (changes[i].offset == offset && changes[i].nibble == nibble) return static_cast<int>(i);
        return -1;
    }
    // A position about to change from `before`. False (and `full` set) when
    // the list has no room for a new record.
    bool record(int32_t offset, int nibble, uint8_t before, bool* full) {
        int i = findChange(offset, nibble);
        if (i >= 0) {
            changes[static_cast<size_t>(i)].saved = before;
            return true;
        }
        if (!unlimited && changes.size() >= static_cast<size_t>(kRecordLimit)) {
            *full = true;
            return false;
        }
        changes.push_back({offset, nibble, before});
        return true;
    }
    // Text written over the bytes from `at`; true when the list ran full.
    bool overwrite(int32_t at, const std::string& text) {
        bool full = false;
        for (size_t k = 0; k < text.size() && static_cast<size_t>(at) + k < bytes.size(); ++k) {
            const auto i = static_cast<int32_t>(at + k);
            const uint8_t c = static_cast<uint8_t>(text[k]);
            const uint8_t before = bytes[static_cast<size_t>(i)];
            if (c == before) continue;
            if (!record(i, 0, before, &full) || !record(i, 1, before, &full)) break;
            bytes[static_cast<size_t>(i)] = c;
        }
        return full;
    }
    void lengthChanged() {
        changes.clear();
        marks.clear();
    }
    // Editing without limits: [at, at + removed) replaced by `inserted`; the
    // records and marks after it move with their bytes, those in it go.
    void splice(int32_t at, int32_t removed, const std::vector<uint8_t>& inserted) {
        const int32_t delta = static_cast<int32_t>(inserted.size()) - removed;
        std::vector<ModelChange> kept;
        for (ModelChange c : changes) {
            if (c.offset >= at && c.offset < at + removed) continue;
            if (c.offset >= at + removed) c.offset += delta;
            kept.push_back(c);
        }
        changes = kept;
        std::set<std::pair<int32_t, int>> moved;
        for (auto m : marks) {
            if (m.first >= at && m.first < at + removed) continue;
            moved.insert({m.first >= at + removed ? m.first + delta : m.first, m.second});
        }
        marks = moved;
        bytes.erase(bytes.begin() + at, bytes.begin() + at + removed);
        bytes.insert(bytes.begin() + at, inserted.begin(), inserted.end());
    }
    // The change records in key order, as the growable list keeps them.
    std::vector<ModelChange> sortedChanges() const {
        std::vector<ModelChange> sorted = changes;
        std::sort(sorted.begin(), sorted.end(), [](const ModelChange& a, const ModelChange& b) {
            return a.offset != b.offset ? a.offset < b.offset : a.nibble < b.nibble;
        });
        return sorted;
    }
    void revert(const ModelChange& c) {
        uint8_t& b = bytes[static_cast<size_t>(c.offset)];
        b = c.nibble != 0 ? static_cast<uint8_t>((b & 0xF0) | (c.saved & 0x0F))
                          : static_cast<uint8_t>((c.saved & 0xF0) | (b & 0x0F));
    }
};

// ------------------------------------------------------------------ the run

class Soak : public ViewFrameTest, public ::testing::WithParamInterface<bool> {
public:
    using ViewFrameTest::s;
    using ViewFrameTest::view;

    int32_t caret() const { return s().caretOffset; }
    size_t size() const { return model.bytes.size(); }
    int pick(int n) { return static_cast<int>(random() % static_cast<uint32_t>(n)); }
    bool chance(int percent) { return pick(100) < percent; }

    void command(int id) {
        SendMessageA(frame(), WM_COMMAND, id, 0);
        pumpMessages();
    }
    void key(int vk, int modifier = 0) { pressKey(view(), vk, modifier); }
    void expectBox(int button) {
        DialogScript::expect(answerWith(button));
        boxesAnswered.insert(button == IDNO ? IDYES : button);
    }

    // A value dialog: the radio button, the text, OK; then, when the text is
    // refused or out of range, the box's answer and, when the dialog stays, Cancel.
    DialogAction entry(const std::string& text, int radio) {
        return steps({[text, radio](HWND d) {
            if (radio != 0) CheckRadioButton(d, IDC_VE_DECIMAL, IDC_VE_HEX, radio);
            SetDlgItemTextA(d, IDC_VE_EDIT, text.c_str());
            PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }});
    }

    std::string randomText(int length) {
        std::string t;
        for (int i = 0; i < length; ++i) t += static_cast<char>(0x20 + pick(0x5F));
        return t;
    }

    // ---------------------------------------------------------------- steps

    void typeDigit() {
        const int digit = pick(16);
        const int32_t at = caret();
        const int nibble = s().caretNibble;
        if (at < 0 || static_cast<size_t>(at) >= size()) return;
        const uint8_t old = model.bytes[static_cast<size_t>(at)];
        const uint8_t now = nibble == 0 ? static_cast<uint8_t>((digit << 4) | (old & 0x0F))
                                        : static_cast<uint8_t>((old & 0xF0) | digit);
        bool write = !model.locked && now != old;
        if (write && model.findChange(at, nibble) >= 0) {
            const bool yes = chance(60);
            expectBox(yes ? IDYES : IDNO);
            write = yes;
        } else if (write && !model.unlimited && model.changes.size() >= static_cast<size_t>(kRecordLimit)) {
            expectBox(IDOK);  // the list is full
            write = false;
        }
        if (write) {
            bool full = false;
            model.record(at, nibble, old, &full);
            model.bytes[static_cast<size_t>(at)] = now;
        }
        // A written or an equal digit moves the caret on, except from the last nibble.
        const bool moves = !model.locked && (write || now == old) && (nibble == 0 || static_cast<size_t>(at) + 1 < size());
        const int32_t nextOffset = moves ? at + nibble : at;
        const int nextNibble = moves ? 1 - nibble : nibble;
        key(digit >= 10 ? 'A' + digit - 10 : chance(50) ? '0' + digit : VK_NUMPAD0 + digit);
        ASSERT_EQ(caret(), nextOffset);
        ASSERT_EQ(s().caretNibble, nextNibble);
    }

    void moveKey() {
        static const int keys[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_PRIOR, VK_NEXT, VK_HOME, VK_END};
        const int k = keys[pick(8)];
        const int modifier = chance(25) ? VK_SHIFT : chance(10) ? VK_CONTROL : 0;
        key(k, modifier);
    }

    void escape() {
        if (s().autoScrollActive == 0 && s().selectionEndRow < 0) {
            // Exit: the exit question when nothing is unsaved, else the save prompt; both cancelled.
            expectBox(IDCANCEL);
        }
        key(VK_ESCAPE);
    }

    void mouse() {
        RECT r{};
        GetClientRect(view(), &r);
        const int x = pick(std::max<int>(1, r.right)), y = pick(std::max<int>(1, r.bottom));
        if (chance(15)) {
            SendMessageA(view(), WM_MBUTTONDOWN, 0, MAKELPARAM(x, y));  // auto-scroll on (or off again)
        } else {
            SendMessageA(view(), WM_LBUTTONDOWN, 0, MAKELPARAM(x, y));
            if (chance(30)) SendMessageA(view(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, pick(std::max<int>(1, r.bottom))));
            SendMessageA(view(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        }
        pumpMessages();
    }

    void insert() {
        if (model.locked) return command(IDM_INSERT);
        if (model.spare == 0 && !model.unlimited) {
            expectBox(IDOK);
            return command(IDM_INSERT);
        }
        const int32_t at = caret();
        const int v = pick(256);
        switch (pick(5)) {
            case 0:  // cancelled
                DialogScript::expect(steps({press(IDCANCEL)}));
                return command(IDM_INSERT);
            case 1:  // refused, then cancelled
                DialogScript::expect(entry("256", IDC_VE_DECIMAL));
                expectBox(IDOK);
                return command(IDM_INSERT);
            case 2: {
                char hex[8];
                std::snprintf(hex, sizeof hex, "%X", v);
                DialogScript::expect(entry(hex, IDC_VE_HEX));
                break;
            }
            default:
                DialogScript::expect(entry(std::to_string(v), IDC_VE_DECIMAL));
                break;
        }
        if (model.unlimited) {
            model.splice(at, 0, {static_cast<uint8_t>(v)});
        } else {
            model.bytes.insert(model.bytes.begin() + at, static_cast<uint8_t>(v));
            --model.spare;
            model.lengthChanged();
        }
        command(IDM_INSERT);
    }

    void deleteByte() {
        dropLargeSelection();
        int64_t lo = 0, hi = 0;
        if (selected(&lo, &hi)) {  // Del takes the selected bytes at once
            if (!model.locked) model.splice(static_cast<int32_t>(lo), static_cast<int32_t>(hi - lo), {});
            return command(IDM_DELETE);
        }
        if (model.locked || size() < 2) return command(IDM_DELETE);
        const bool yes = chance(70);
        expectBox(yes ? IDYES : IDNO);
        if (yes && model.unlimited) {
            model.splice(caret(), 1, {});
        } else if (yes) {
            model.bytes.erase(model.bytes.begin() + caret());
            ++model.spare;
            model.lengthChanged();
        }
        command(IDM_DELETE);
    }

    // The selected bytes [lo, hi) while editing without limits.
    bool selected(int64_t* lo, int64_t* hi) const {
        if (!model.unlimited || s().selectionAnchorByte < 0 || s().selectionEndByte < 0) return false;
        *lo = std::min(s().selectionAnchorByte, s().selectionEndByte);
        *hi = std::max(s().selectionAnchorByte, s().selectionEndByte) + 1;
        return true;
    }
    // Selections of more than 64 bytes (select all) are dropped before a
    // command would take them: the run keeps a document to work on.
    void dropLargeSelection() {
        int64_t lo = 0, hi = 0;
        if (selected(&lo, &hi) && hi - lo > 64) clearSelection(s());
    }

    void deleteRange() {
        if (model.locked || size() < 2) return command(IDM_DELETE_RANGE);
        if (size() < 64) return;  // keep something to work on
        const int32_t at = caret();
        int64_t end = static_cast<int64_t>(at) + pick(41) - 20;
        if (end < 0) end = 0;
        if (chance(10)) end = static_cast<int64_t>(size()) + 5;  // past the end: the clamp question
        DialogScript::expect(entry(std::to_string(end), IDC_VE_DECIMAL));
        if (end > static_cast<int64_t>(size()) - 1) {
            const bool ok = chance(50);
            expectBox(ok ? IDOK : IDCANCEL);  // Cancel keeps the dialog, which the steps then cancel
            if (!ok) return command(IDM_DELETE_RANGE);
            end = static_cast<int64_t>(size()) - 1;
        }
        const auto lo = static_cast<size_t>(std::min<int64_t>(at, end));
        const auto hi = static_cast<size_t>(std::max<int64_t>(at, end));
        if (model.unlimited) {
            model.splice(static_cast<int32_t>(lo), static_cast<int32_t>(hi - lo + 1), {});
        } else {
            model.bytes.erase(model.bytes.begin() + static_cast<long>(lo), model.bytes.begin() + static_cast<long>(hi) + 1);
            model.spare += static_cast<uint32_t>(hi - lo + 1);
            model.lengthChanged();
        }
        command(IDM_DELETE_RANGE);
    }

    // The edit box's own form of a byte string: what it gives back at once.
    static std::string throughTheBox(const std::string& bytes) {
        wchar_t wide[64];
        char back[128];
        const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide, 64);
        return std::string(back, static_cast<size_t>(WideCharToMultiByte(CP_ACP, 0, wide, n, back, 128, nullptr, nullptr)));
    }

    void textEdit() {
        if (model.locked) return command(IDM_ASCII_EDIT);
        const auto at = static_cast<size_t>(caret());
        const int limit = static_cast<int>(std::min<size_t>(16, size() - at));
        std::string initial;
        for (size_t i = at; i < at + static_cast<size_t>(limit) && model.bytes[i] != 0; ++i)
            initial += static_cast<char>(model.bytes[i]);
        const std::string shown = throughTheBox(initial);
        // Too long (unless the box had lengthened the text), one character of the shown text changed, or any text.
        std::string typed = randomText(chance(10) ? limit + 1 : 1 + pick(limit));
        if (chance(50) && !shown.empty()) {
            const auto* b = reinterpret_cast<const uint8_t*>(shown.data());
            const size_t c = characterStart(b, shown.size(), static_cast<size_t>(pick(static_cast<int>(shown.size()))));
            typed = shown;
            typed.replace(c, c + 1 < shown.size() && isShiftJisLead(b[c]) ? 2 : 1, randomText(1));
        }
        DialogScript::expect(steps({[shown, typed](HWND d) {
            char box[64] = "";
            GetDlgItemTextA(d, IDC_VE_EDIT, box, sizeof box);
            EXPECT_EQ(std::string(box), shown) << "the box's form of the offered bytes";
            SetDlgItemTextA(d, IDC_VE_EDIT, typed.c_str());
            PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }}));
        const std::string text = textAsEdited(initial, shown, typed);
        if (text.size() > static_cast<size_t>(limit)) {  // refused, then cancelled
            expectBox(IDOK);
        } else if (text != initial) {
            Model after = model;
            if (after.overwrite(static_cast<int32_t>(at), text)) expectBox(IDOK);
            model = after;
        }
        command(IDM_ASCII_EDIT);
    }

    void paste() {
        const std::string text = chance(5) ? randomText(1001) : randomText(1 + pick(12));
        ASSERT_EQ(putClipboardText(frame(), text.c_str()), 1);
        if (!model.locked) {
            if (model.unlimited ||
                kPasteRecordBudget - static_cast<int64_t>(model.changes.size()) >= 2 * static_cast<int64_t>(text.size())) {
                model.overwrite(caret(), text);
            } else {
                expectBox(IDOK);
            }
        }
        command(IDM_PASTE);
    }

    void toggleMark() {
        const std::pair<int32_t, int> at{caret(), s().caretNibble};
        if (model.marks.count(at) != 0) {
            model.marks.erase(at);
        } else if (!model.unlimited && model.marks.size() >= static_cast<size_t>(kRecordLimit)) {
            expectBox(IDOK);
        } else {
            model.marks.insert(at);
        }
        command(IDM_MARK);
    }

    void nextMark() { command(IDM_NEXT_MARK); }
    void revertSome() { revert(false); }
    void revertAll() { revert(true); }
    void toggleLock() {
        command(IDM_EDIT_LOCK);
        model.locked = !model.locked;
    }
    void toggleKanji() { command(IDM_KANJI); }
    void copyAll() {
        command(IDM_SELECT_ALL);
        command(IDM_COPY);
    }

    // Reverts some rows of the history, or all of them (the dialog then closes by itself).
    void revert(bool all) {
        if (model.changes.empty()) return command(IDM_UNDO);
        if (model.unlimited) model.changes = model.sortedChanges();  // the rows as the list shows them
        std::vector<int> rows;
        for (int i = 0; i < static_cast<int>(model.changes.size()); ++i)
            if (all || chance(30)) rows.push_back(i);
        longestHistory = std::max(longestHistory, model.changes.size());
        if (rows.empty() || chance(10)) {
            DialogScript::expect(steps({press(IDCANCEL)}));
            return command(IDM_UNDO);
        }
        DialogScript::expect(steps({[rows](HWND d) {
            HWND list = GetDlgItem(d, IDC_CL_LIST);
            for (int row : rows) {
                LVITEMA item{};
                item.stateMask = item.state = LVIS_SELECTED;
                SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
            }
            NMHDR click{list, static_cast<UINT_PTR>(IDC_CL_LIST), static_cast<UINT>(NM_CLICK)};
            SendMessageA(d, WM_NOTIFY, IDC_CL_LIST, reinterpret_cast<LPARAM>(&click));
            PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }}));
        std::vector<ModelChange> kept;
        size_t next = 0;
        for (size_t i = 0; i < model.changes.size(); ++i) {
            if (next < rows.size() && static_cast<size_t>(rows[next]) == i) {
                model.revert(model.changes[i]);
                ++next;
            } else {
                kept.push_back(model.changes[i]);
            }
        }
        model.changes = kept;
        command(IDM_UNDO);
    }

    // The first match from `start` (a start past the end is 0), or -1.
    int64_t find(const std::vector<uint8_t>& pattern, int64_t start) const {
        if (start > static_cast<int64_t>(size()) - 1) start = 0;
        auto it = std::search(model.bytes.begin() + start, model.bytes.end(), pattern.begin(), pattern.end());
        return it == model.bytes.end() ? -1 : it - model.bytes.begin();
    }

    void search() {
        std::vector<uint8_t> pattern;
        if (chance(20)) {
            pattern = {0xFE, 0xED, 0xFA, 0xCE, static_cast<uint8_t>(pick(256))};  // most likely nowhere
        } else {
            const size_t at = static_cast<size_t>(pick(static_cast<int>(size())));
            const size_t n = std::min<size_t>(1 + static_cast<size_t>(pick(3)), size() - at);
            pattern.assign(model.bytes.begin() + static_cast<long>(at), model.bytes.begin() + static_cast<long>(at + n));
        }
        bool printable = std::all_of(pattern.begin(), pattern.end(), [](uint8_t b) { return b >= 0x21 && b <= 0x7E; });
        std::string text;
        int radio = IDC_VE_DECIMAL;  // the text radio button in this mode
        if (printable && chance(70)) {
            text.assign(pattern.begin(), pattern.end());
        } else {
            radio = IDC_VE_HEX;
            for (uint8_t b : pattern) {
                char two[4];
                std::snprintf(two, sizeof two, "%02X ", b);
                text += two;
            }
            text.pop_back();
        }
        DialogScript::expect(entry(text, radio));
        lastPattern = pattern;
        expectFound(find(pattern, static_cast<int64_t>(static_cast<uint32_t>(caret()) + 1)));
        command(IDM_FIND);
    }

    void findNext() {
        if (s().findText[0] == '\0' || lastPattern.empty()) return;
        expectFound(find(lastPattern, static_cast<int64_t>(s().foundOffset) + 1));
        command(IDM_FIND_NEXT);
    }

    void expectFound(int64_t at) {
        foundAt = at;
        if (at < 0) expectBox(IDOK);  // not found
    }

    void jump() {
        const int64_t to = pick(static_cast<int>(size()) + 40);
        DialogScript::expect(entry(std::to_string(to), IDC_VE_DECIMAL));
        if (to > static_cast<int64_t>(size()) - 1) expectBox(chance(50) ? IDOK : IDCANCEL);
        command(IDM_JUMP);
    }

    void save() {
        command(IDM_SAVE);
        model.disk = model.bytes;
        model.changes.clear();
        // The steps keep the bytes; the records of before the save no longer hold anywhere.
        for (ModelStep& step : history) step.changesBefore.clear(), step.changesAfter.clear();
        savedPosition = static_cast<int64_t>(position);
        bool ok = false;
        std::string onDisk = readFile(path, &ok);
        ASSERT_TRUE(ok);
        ASSERT_EQ(onDisk, std::string(model.bytes.begin(), model.bytes.end())) << "the saved file";
    }

    // ---------------------------------------------------------------- warm-up

    // Every dialog of the steps once, with each answer that leaves the
    // document as it is, the deepest first: a value dialog under the clamp
    // question. The system keeps device contexts for the windows that have
    // painted, in a cache that grows to the most windows open at once and
    // never shrinks (under Wine it grows by three the first time a jump past
    // the end is answered); a random run may come to that stack of windows
    // only after thousands of steps.
    void dialogTour() {
        const bool locked = model.locked;
        if (locked) toggleLock();
        const struct {
            int command, answer;
        } clamps[] = {{IDM_JUMP, IDCANCEL}, {IDM_JUMP, IDOK}, {IDM_DELETE_RANGE, IDCANCEL}};
        for (const auto& c : clamps) {
            DialogScript::expect(entry(std::to_string(size()), IDC_VE_DECIMAL));
            expectBox(c.answer);
            command(c.command);
        }
        DialogScript::expect(entry("256", IDC_VE_DECIMAL));  // not a byte
        expectBox(IDOK);
        command(IDM_INSERT);
        DialogScript::expect(steps({press(IDCANCEL)}));
        command(IDM_INSERT);
        DialogScript::expect(entry(randomText(17), 0));  // longer than the text edit takes
        expectBox(IDOK);
        command(IDM_ASCII_EDIT);
        if (model.unlimited) clearSelection(s());  // Del would take the selected bytes without asking
        if (size() >= 2) {
            expectBox(IDNO);
            command(IDM_DELETE);
        }
        if (!model.unlimited) {
            ASSERT_EQ(putClipboardText(frame(), randomText(kPasteRecordBudget / 2 + 1).c_str()), 1);
            expectBox(IDOK);  // more changes than the history takes
            command(IDM_PASTE);
        }
        if (locked) toggleLock();
    }

    // ---------------------------------------------------------------- checks

    std::string document() const { return std::string(s().documentBytes, s().documentBytes + s().documentSize); }

    void check(int step, const char* what) {
        SCOPED_TRACE(std::string("step ") + std::to_string(step) + ": " + what);
        ASSERT_EQ(s().documentSize, size());
        ASSERT_EQ(document(), std::string(model.bytes.begin(), model.bytes.end()));
        if (!model.unlimited) {
            ASSERT_EQ(s().spareCapacity, model.spare);
        }
        std::vector<ModelChange> changes;
        for (int i = 0; i < recordCount(s(), RecordList::Change); ++i) {
            const NibbleRecord r = recordAt(s(), RecordList::Change, i);
            changes.push_back({r.offset, r.nibble, r.byteValue});
        }
        const std::vector<ModelChange> expected = model.unlimited ? model.sortedChanges() : model.changes;
        ASSERT_EQ(changes.size(), expected.size());
        for (size_t i = 0; i < changes.size(); ++i) {
            ASSERT_TRUE(changes[i] == expected[i]) << "change record " << i;
        }
        ASSERT_EQ(editorMarks(), model.marks);
        if (model.unlimited) {
            ASSERT_EQ(canUndo(s()), position > 0);
            ASSERT_EQ(canRedo(s()), position < history.size());
            if (static_cast<int64_t>(position) == savedPosition) {
                ASSERT_EQ(s().modified, 0) << "at the saved step";
            }
        }
        // Never clean while the bytes differ from the file.
        if (s().modified == 0) {
            ASSERT_EQ(model.bytes, model.disk) << "unmodified, yet not the file's bytes";
        }
        if (expectedCaret >= 0) {
            ASSERT_EQ(caret(), expectedCaret) << "the caret as it was at that step";
            expectedCaret = -1;
        }
        ASSERT_GE(caret(), 0);
        ASSERT_LT(static_cast<size_t>(caret()), size());
        if (foundAt != kNoSearch) {
            ASSERT_EQ(s().foundOffset, foundAt);
            if (foundAt >= 0) {
                ASSERT_EQ(caret(), foundAt);
            }
            foundAt = kNoSearch;
        }
        ASSERT_EQ(DialogScript::pending(), 0u) << "an expected dialog did not come";
    }

    // Counted with every window painted, so that no update in flight holds a region.
    ResourceCounts settledCounts() {
        RedrawWindow(frame(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        pumpMessages(100);
        return resourceCounts();
    }

    // ---------------------------------------------------------------- undo and redo

    std::set<std::pair<int32_t, int>> editorMarks() const {
        std::set<std::pair<int32_t, int>> marks;
        for (int i = 0; i < recordCount(s(), RecordList::Mark); ++i) {
            const NibbleRecord r = recordAt(s(), RecordList::Mark, i);
            marks.insert({r.offset, r.nibble});
        }
        return marks;
    }

    // A step as the model sees it: the bytes and records before and after,
    // and the caret at either end. (How undo moves the marks back is the unit
    // tests' matter: here they are read back after an undo or a redo.)
    struct ModelStep {
        std::vector<uint8_t> bytesBefore, bytesAfter;
        std::vector<ModelChange> changesBefore, changesAfter;
        int32_t caretBefore = 0, caretAfter = 0;
    };
    struct Before {
        std::vector<uint8_t> bytes;
        std::vector<ModelChange> changes;
        int32_t caret;
    };
    Before before() const { return {model.bytes, model.sortedChanges(), caret()}; }

    // After an action: one more step when it changed the bytes or records; a
    // typed digit goes on with the open run.
    void noteStep(const Before& b, bool typed) {
        const bool changed = b.bytes != model.bytes || b.changes != model.sortedChanges();
        if (!typed) endTypedRun(s());  // the run's ends are the unit tests' matter; here every other action ends it
        if (!changed) {
            if (!typed) runOpen = false;
            return;
        }
        if (typed && runOpen) {
            ModelStep& step = history[position - 1];
            step.bytesAfter = model.bytes;
            step.changesAfter = model.sortedChanges();
            step.caretAfter = caret();
            return;
        }
        history.resize(position);
        history.push_back({b.bytes, model.bytes, b.changes, model.sortedChanges(), b.caret, caret()});
        ++position;
        if (savedPosition >= static_cast<int64_t>(position)) savedPosition = -1;
        runOpen = typed;
    }

    void undo() {
        if (!model.locked && position > 0) {
            ModelStep& step = history[--position];
            model.bytes = step.bytesBefore;
            model.changes = step.changesBefore;
            expectedCaret = step.caretBefore;
        }
        pressAccelerator('Z', true, false);  // through the key table the message loop uses
        model.marks = editorMarks();
    }

    void redo() {
        if (!model.locked && position < history.size()) {
            ModelStep& step = history[position++];
            model.bytes = step.bytesAfter;
            model.changes = step.changesAfter;
            expectedCaret = step.caretAfter;
        }
        command(IDM_REDO);
        model.marks = editorMarks();
    }

    std::vector<ModelStep> history;
    size_t position = 0;
    int64_t savedPosition = 0;
    bool runOpen = false;
    int32_t expectedCaret = -1;

    static constexpr int64_t kNoSearch = -2;
    std::minstd_rand random;
    Model model;
    std::string path;
    std::vector<uint8_t> lastPattern;
    int64_t foundAt = kNoSearch;
    std::set<int> boxesAnswered;  // IDYES for Yes/No boxes, IDOK, IDCANCEL
    size_t longestHistory = 0;
};

int settingOr(const char* name, int fallback) {
    const char* v = std::getenv(name);
    return v != nullptr && *v != '\0' ? std::atoi(v) : fallback;
}

// Run twice: as the program starts, and with editing without limits on
// (undo, redo and cut beside the other actions, every step followed in the
// model's own history).
TEST_P(Soak, RandomKeysCommandsAndClicksKeepTheBytesRight) {
    const bool unlimited = GetParam();
    const int total = settingOr("MOXEL_SOAK_STEPS", 500);
    const unsigned seed = static_cast<unsigned>(settingOr("MOXEL_SOAK_SEED", 20261207));
    allowTestTime(static_cast<DWORD>(60000 + total * 300));
    random.seed(seed);
    std::printf("soak: %d steps, seed %u%s\n", total, seed, unlimited ? ", editing without limits" : "");

    std::string bytes;
    for (int i = 0; i < 700; ++i) bytes += static_cast<char>(i % 3 == 0 ? pick(256) : 'a' + pick(26));
    path = makeTempFile("moxel soak.bin", bytes);
    ASSERT_EQ(openFile(frame(), path.c_str(), 0), 1);
    pumpMessages();
    model.bytes.assign(bytes.begin(), bytes.end());
    model.disk = model.bytes;
    if (unlimited) {
        command(IDM_UNLIMITED);
        ASSERT_EQ(s().unlimited, 1);
        model.unlimited = true;
    }

    struct Action {
        int weight;
        const char* name;
        void (Soak::*run)();
    };
    const Action actions[] = {
        {28, "digit", &Soak::typeDigit},
        {20, "movement", &Soak::moveKey},
        {2, "escape", &Soak::escape},
        {6, "mouse", &Soak::mouse},
        {4, "insert", &Soak::insert},
        {3, "delete", &Soak::deleteByte},
        {1, "range delete", &Soak::deleteRange},
        {4, "text edit", &Soak::textEdit},
        {4, "paste", &Soak::paste},
        {3, "mark", &Soak::toggleMark},
        {2, "next mark", &Soak::nextMark},
        {4, "revert some", &Soak::revertSome},
        {2, "revert all", &Soak::revertAll},
        {4, "search", &Soak::search},
        {2, "find next", &Soak::findNext},
        {3, "jump", &Soak::jump},
        {3, "save", &Soak::save},
        {1, "edit lock", &Soak::toggleLock},
        {1, "kanji", &Soak::toggleKanji},
        {1, "select all and copy", &Soak::copyAll},
        {unlimited ? 8 : 0, "undo", &Soak::undo},
        {unlimited ? 5 : 0, "redo", &Soak::redo},
    };
    int totalWeight = 0;

    size_t kinds = 0;
    for (const Action& a : actions) totalWeight += a.weight, kinds += a.weight > 0;

    int step = 0;
    std::vector<int> runs(std::size(actions), 0);
    auto run = [&](const Action& action) {
        ++step;
        ++runs[static_cast<size_t>(&action - actions)];
        const Before b = before();
        (this->*action.run)();
        const bool history = action.run == &Soak::undo || action.run == &Soak::redo || action.run == &Soak::save;
        if (unlimited && !history && !HasFatalFailure()) noteStep(b, action.run == &Soak::typeDigit);
        if (history) runOpen = false;
        if (HasFatalFailure()) FAIL() << "at step " << step << " (" << action.name << ")";
        check(step, action.name);
    };

    // Objects are counted once the run has warmed up: every kind of step has
    // run, every kind of message box has been answered, the history has
    // shown a list long enough to scroll, and then every dialog has been
    // shown once with each of its answers. First uses fill caches of the
    // system's own (the icons of a message box, the pictures of a list's
    // scroll bar, the device contexts of the windows open at once), which are
    // not leaks.
    std::set<const Action*> seen;
    ResourceCounts warm;
    int warmedAt = 0;
    while (step < total) {
        int roll = pick(totalWeight);
        const Action* action = actions;
        while (roll >= action->weight) roll -= (action++)->weight;
        run(*action);
        if (HasFatalFailure()) return;
        seen.insert(action);
        if (warmedAt == 0 && seen.size() == kinds && boxesAnswered.size() == 3 && longestHistory >= 16) {
            dialogTour();
            if (HasFatalFailure()) return;
            check(step, "dialog tour");
            if (HasFatalFailure()) return;
            warm = settledCounts();
            warmedAt = step;
        }
    }
    if (s().autoScrollActive != 0) key(VK_ESCAPE);
    save();
    const ResourceCounts end = settledCounts();
    std::string tally;
    for (size_t i = 0; i < std::size(actions); ++i) tally += std::string(i ? ", " : "") + actions[i].name + " " + std::to_string(runs[i]);
    std::printf("soak: %s; %d dialogs and boxes answered\n", tally.c_str(), dialogsShown());
    if (warmedAt == 0) {
        std::printf("soak: too short to warm up; objects not judged\n");
        return;
    }
    std::printf("soak: warmed up at step %d; GDI %lu -> %lu, USER %lu -> %lu, handles %lu -> %lu%s\n", warmedAt, warm.gdi,
                end.gdi, warm.user, end.user, warm.handles, end.handles, end.probed ? " (probed)" : "");
    EXPECT_LE(end.gdi, warm.gdi);
    EXPECT_LE(end.user, warm.user);
    EXPECT_LE(end.handles, warm.handles);
}

INSTANTIATE_TEST_SUITE_P(Switch, Soak, ::testing::Bool());

}  // namespace
