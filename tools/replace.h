// The search and replace dialog's work on the document, apart from its
// window: reading its texts and options, finding in either direction with
// wrapping, replacing one match or all of them, and listing every match.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/platform.h"
#include "shell/editor_state.h"
#include "tools/progress.h"
#include "tools/search.h"

// What the dialog searches for and writes, read from its texts.
struct ReplaceQuery {
    SearchPattern pattern;
    uint8_t replacement[kMaxPatternBytes];
    int32_t replacementLength;  // -1: the replacement text is not valid
    uint32_t options;           // SearchOption bits
};

// Reads the search text (and, with `withReplacement`, the replacement) under
// the options (parseQueryPattern: the texts of the UTF kinds are UTF-8). An
// empty search text gives 0 silently (as an empty search prompt does
// nothing); an invalid search or replacement text is reported as
// IDS_ERR_INVALID_TEXT and gives 0.
int readReplaceQuery(const char* findText, const char* replaceText, uint32_t options, bool withReplacement,
                     WindowRef owner, ReplaceQuery& out);

// The options a dialog starts with when none were stored: letter case
// matters, down, no wrap, text; whole characters in kanji mode.
uint32_t defaultSearchOptions(int kanji);

// Find next in the dialog's direction: down from the byte after the current
// match (from the caret when there is none), up from before the match or the
// caret; with searchWrap once more from the other end of the scope. Found:
// foundOffset, foundLength, the caret on the match's high nibble, 1. Not
// found: IDS_ERR_NOT_FOUND with the search text, foundOffset -1, 0.
int findInDirection(EditorState& s, WindowRef owner, const ReplaceQuery& q, const char* findText);

// The match findInDirection takes (settleSearch takes it), without taking
// it: its offset, -1 when none, kSearchCancelled when `step` said stop.
int64_t nextMatchInDirection(const EditorState& s, const ReplaceQuery& q, const ProgressStep& step = {});

// The match of find next (or, `backward`, find previous) repeating the
// dialog's last query as the prompt's search is repeated: down from the byte
// after the current match (from 0 when there is none), up from before the
// caret (from the end when it is on the first byte), over the whole
// document, without wrapping. Offset, -1 or kSearchCancelled as above.
int64_t repeatedMatch(const EditorState& s, const ReplaceQuery& q, bool backward, const ProgressStep& step = {});

// The outcome of a replacement.
enum class ReplaceOutcome {
    Refused,   // nothing changed (the user said no, it would not fit, or it was cancelled)
    Written,   // bytes overwritten through the change list
    Resized    // the document's length changed: records and marks were reset
};

// Replaces the matches starting at `offsets` (ascending, not overlapping,
// each q.pattern.length bytes long) with the replacement. Same length: every
// changed nibble gets its change record, as typed digits do; when the
// change list cannot take them all, error 14 and nothing is written. Another
// length: asks first (the reset warning), needs the insertion room for the
// growth (IDS_ERR_NO_ROOM otherwise) and refuses to empty the document
// (IDS_ERR_WOULD_EMPTY); then rebuilds the bytes and resets the model as
// insertion and deletion do, leaving the caret on the first replacement.
ReplaceOutcome replaceMatches(EditorState& s, WindowRef owner, const std::vector<uint32_t>& offsets,
                              const ReplaceQuery& q);

// Replace: the current match when it still holds (then the search goes on
// past the replacement), and the next match in the dialog's direction.
// Returns the outcome of the replacement (Refused when there was no current
// match) and sets `found` to the result of the search that follows.
ReplaceOutcome replaceCurrentAndFind(EditorState& s, WindowRef owner, const ReplaceQuery& q, const char* findText,
                                     int& found);

// Replace all: every match of the scope, found first (findAllOffsets, which
// `step` may cancel) and then written (replaceListed). Sets `count` to the
// matches replaced (0 when refused).
ReplaceOutcome replaceAll(EditorState& s, WindowRef owner, const ReplaceQuery& q, const char* findText,
                          int64_t& count, const ProgressStep& step = {});

// Replace all's writing half: replaces the matches that findAllOffsets
// listed; with none, IDS_ERR_NOT_FOUND.
ReplaceOutcome replaceListed(EditorState& s, WindowRef owner, const ReplaceQuery& q, const char* findText,
                             const std::vector<uint32_t>& offsets, int64_t& count);

// Find all: the match offsets of the scope (the matches replace-all would
// replace), kept as offsets only, 1. When they do not fit in memory: error
// 14 on `owner`, `out` empty, 0; cancelled through `step`: `out` empty, 0.
int findAllOffsets(const EditorState& s, WindowRef owner, const ReplaceQuery& q, std::vector<uint32_t>& out,
                   const ProgressStep& step = {});
