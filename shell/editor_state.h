// The one state record of an editor process.
//
// This header is portable: it holds every field that the document, the view
// maths and the tools work on. The window handles and GDI objects live in the
// Win32 part of the record (EditorWindows, shell/editor_state_win.h), reached
// through `windows`; the portable core never looks inside it.
#pragma once

#include <cstdint>

constexpr int kPathLength = 260;          // bytes of a path buffer, terminator included
constexpr int kFindTextLength = 65;       // 64 characters and the terminator
constexpr int kMessageTextLength = 1024;
constexpr int kRecentFileCount = 10;
constexpr int kRecordListSlots = 2001;    // slots of the change list and the mark list
constexpr int kChangeLimitShown = 2000;   // the change limit between saves as messages state it
constexpr uint32_t kSpareBytes = 1000;    // room for insertions after a load
// Offsets are signed 32-bit numbers, so a document and its spare room stay
// within 0x7FFFFFFF bytes: larger files are refused at load.
constexpr uint32_t kMaxDocumentSize = 0x7FFFFFFFu - kSpareBytes;
constexpr int kColorSlots = 24;
constexpr int kOptionBytes = 32;

// One changed or marked nibble position.
struct NibbleRecord {
    int32_t offset;     // byte offset in the document
    int32_t nibble;     // 0 high, 1 low
    uint8_t byteValue;  // change list: the byte before the latest change; mark list: the byte when marked
};

// The two record lists of the document.
enum class RecordList { Change, Mark };

// Colour slots of colorTable (slots 14..23 are reserved).
enum ColorSlot : int {
    caretDump = 0,
    caretAscii,
    changedText,
    markBack,
    markText,
    markChangedText,
    selectionBack,
    selectionText,
    normalBack,
    normalText,
    labelBack,
    labelText,
    labelBorder,
    searchFrame,
    kNamedColorCount
};

// Bytes of the options record.
enum OptionByte : int { startHex = 0, startKanji = 1, printAddresses = 2 };

struct ScreenRect {
    int32_t left, top, right, bottom;
};

// Bytes a pane points out in the view (the structure pane's chosen field).
struct ByteHighlight {
    int32_t offset;
    int32_t length;  // 0: none
};

// A pane beside the view (the data inspector's as the "Inspect" setting keeps it).
struct PanePlacement {
    int32_t shown;  // 0 hidden, 1 shown
    int32_t width;  // pixels; 0: the default width for the display font
};
using InspectorPlacement = PanePlacement;

struct EditorWindows;  // Win32 part: handles and GDI objects
struct UnlimitedEdit;  // document/undo.h: the growable lists and the undo history
class SettingsSnapshot;  // shell/settings_codec.h
struct CompareRows;      // tools/compare.h

struct EditorState {
    EditorWindows* windows;  // null in the portable tests

    // Stored settings
    uint32_t colorTable[kColorSlots];  // COLORREF layout: 0x00BBGGRR
    uint8_t options[kOptionBytes];
    ScreenRect windowRect;             // left == -1: nothing stored
    int32_t printCancelled;

    // Font metrics and view geometry
    int32_t charWidth;
    int32_t lineHeight;
    int32_t scrollMax;
    int32_t topRow;
    int32_t rowCount;
    int32_t visibleRows;

    // Auto-scroll
    int32_t autoScrollOriginX;
    int32_t autoScrollOriginY;
    int32_t autoScrollActive;

    // Selection and caret
    int32_t dragStartY;
    int32_t selectionAnchorRow;
    int32_t selectionEndRow;
    int32_t selectionTrackRow;
    int32_t keySelecting;
    int32_t dragging;
    int32_t modified;
    int32_t caretOffset;
    int32_t caretNibble;

    // Change and mark lists
    NibbleRecord** markList;
    NibbleRecord** changeList;
    int32_t markCount;
    int32_t changeCount;
    int32_t markListUnsorted;
    int32_t changeListUnsorted;

    // Input, texts and the document
    int32_t hexInput;
    char messageText[kMessageTextLength];
    char filePath[kPathLength];
    char findText[kFindTextLength];
    int32_t foundLength;
    char* pendingOpenPath;
    uint8_t* documentBytes;
    uint32_t documentSize;
    uint32_t spareCapacity;
    int32_t foundOffset;
    char recentFiles[kRecentFileCount][kPathLength];
    int32_t recentMenuCount;
    // The first entries of recentFiles that this editor opened since it last
    // stored the list; a save puts them ahead of what the key holds by then.
    int32_t recentOpenedCount;

    // Bytes were inserted or deleted since the last save. The change list cannot
    // tell this, so reverting every change must not clear `modified` while it is set.
    int32_t lengthChanged;

    // A change record's saved nibble was replaced by a later change of the same
    // position, so reverting every row no longer brings back the file's bytes.
    int32_t earlierChangeDropped;

    // What the settings key held when this editor read it, so that a save
    // writes only what this editor changed; owned by the record.
    SettingsSnapshot* settingsSnapshot;
    // The search and replace dialog's texts and SearchOption bits (0: none
    // stored yet), kept between runs like findText.
    char replaceFindText[kFindTextLength];
    char replaceText[kFindTextLength];
    uint32_t searchOptions;

    // The inspector pane; written back at exit only when this process changed it.
    InspectorPlacement inspector;
    int32_t inspectorChanged;
    // Tab put the caret into the text column: typed characters overwrite
    // bytes there, and the caret stands on whole bytes (caretNibble 0).
    int32_t caretInText;
    // A double-byte character typed as two single characters: its lead byte,
    // waiting for the trail byte (0: none).
    int32_t pendingTextLead;

    // The differences of the last compare (tools/compare.h), owned; null
    // when none are kept.
    CompareRows* compareRows;
    // The view outlines them: set by the first step to a difference, cleared
    // with them (dropCompareRows).
    int32_t differencesOutlined;

    // The search and replace dialog's last search, which find next and find
    // previous repeat while repeatOptions is not 0 (its SearchOption bits);
    // a search from the prompt clears it. Not stored.
    char repeatFindText[kFindTextLength];
    uint32_t repeatOptions;

    // The structure pane beside the view, and which pane is in front while
    // several are shown (the command id of its menu item; 0: none chosen);
    // each written back at exit only when this process changed it.
    PanePlacement structurePane;
    int32_t structurePaneChanged;
    int32_t frontPane;
    int32_t frontPaneChanged;
    // Counts the changes of the document's bytes (a load, an insertion or a
    // deletion, a changed nibble, a revert), so that what shows values read
    // from them knows when to read them again.
    uint32_t bytesVersion;
    // The bytes the structure pane's chosen field takes, highlighted in the view.
    ByteHighlight highlight;

    // Editing without limits (the "Unlimited" setting, document/undo.h): the
    // switch, and while it is on the growable record lists, the inserted
    // spans and the undo history (owned; null while it is off).
    int32_t unlimited;
    int32_t unlimitedChanged;  // the user switched it: written back at exit
    UnlimitedEdit* unlimitedEdit;
    // While the switch is on a selection is of bytes: from the anchor byte
    // to the end byte, both included (either may be the lower); -1: none.
    // The row fields then hold the rows these bytes touch, so what works on
    // selected rows (the Parts' copy, Esc, the Copy button) keeps working.
    int32_t selectionAnchorByte;
    int32_t selectionEndByte;
};

// The process-wide pointer; null before start-up allocates the record and
// after shutdown frees it.
extern EditorState* editorState;

// Allocate a zero-filled record with no selection (start values); the caller
// owns it. Does not touch the global pointer.
EditorState* allocateEditorState();
void freeEditorState(EditorState* state);

// Lets go of the last compare's differences and their outlines (the next
// compare, a load, an insertion or a deletion).
void dropCompareRows(EditorState& s);

// A document counts as loaded when it has bytes and a non-zero size.
inline bool isDocumentLoaded(const EditorState& s) {
    return s.documentBytes != nullptr && s.documentSize != 0;
}

// A document that deletions emptied keeps its buffer: it has no byte to show
// or edit, but it can still be saved (as an empty file) and take an insertion.
inline bool hasDocumentBuffer(const EditorState& s) { return s.documentBytes != nullptr; }

// Whether find next has a search to repeat: the prompt's findText, or the
// search and replace dialog's last search.
inline bool hasSearchToRepeat(const EditorState& s) { return s.findText[0] != '\0' || s.repeatOptions != 0; }

// Whether the caret stands on a byte of a loaded document.
inline bool caretOnDocument(const EditorState& s) {
    return isDocumentLoaded(s) && s.caretOffset >= 0 && static_cast<uint32_t>(s.caretOffset) < s.documentSize;
}
