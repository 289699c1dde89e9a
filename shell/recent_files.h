// The list of the ten most recent files (EditorState::recentFiles).
//
// The non-empty entries always form an unbroken run from entry 0, most recent
// first. The File menu shows them as items "&0 path" to "&9 path".
#pragma once

#include <cstddef>

#include "shell/editor_state.h"

// Case-insensitive comparison of two paths in the process code page: ASCII
// letters are folded, but both bytes of a Shift-JIS double-byte character are
// compared as they are (a trail byte may look like a letter). 0 when equal.
int comparePathsIgnoringCase(const char* a, const char* b);

// Moves `path` to the head of the list. An entry equal to it (ignoring case)
// moves up and takes the letter case of `path`; a new path enters at the head
// and the tenth entry drops out; either way it counts as opened by this
// editor (recentOpenedCount). Returns the index the path came from (9 when
// it was not in the list). A null or empty path (also one that is empty once
// a lone lead byte is dropped) changes nothing and gives -1.
int addRecentPath(EditorState& s, const char* path);

// The list a save stores, into `out`: the entries this editor opened since
// it last stored the list (recentOpenedCount), then the `storedCount` paths
// the key holds now, each path once (ignoring case; the first kept), at most
// ten. The entries after the count are emptied. Returns the count.
int recentFilesToStore(const EditorState& s, const char (*stored)[kPathLength], int storedCount,
                       char (*out)[kPathLength]);

// Puts a path read back from the settings into the first free entry. Empty
// paths are skipped, so entries read with gaps are packed from entry 0.
// Returns 1 when stored, 0 when skipped or the list is full.
int appendLoadedRecentPath(EditorState& s, const char* path);

// Number of non-empty entries from entry 0.
int recentFileCount(const EditorState& s);

// Bytes of a recent-file caption: the mnemonic, and every '&' of a path doubled.
constexpr size_t kRecentCaptionSize = 2 * kPathLength + 8;

// The menu caption "&<index> <path>" into `out`, each '&' of the path
// doubled so that the menu shows it as it is; returns its length. A caption
// longer than `size` is cut, never inside a doubled '&'.
int formatRecentCaption(char* out, size_t size, int index, const char* path);
