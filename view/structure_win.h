// The structure pane (class WCStruct): the fields of the document as a
// structure template names them, in a tree beside the view. Above the tree
// the templates found in the templates folder beside the program (the first
// whose match lines hold for the opened file is chosen by itself) and a
// button that opens any template file. Choosing a field puts the caret on its
// first byte and highlights its bytes in the view; the caret moving in the
// view chooses the innermost field it stands in. F2, Enter or a double click
// on a value edits it.
#pragma once

#include <windows.h>

constexpr const char* kStructureClassName = "WCStruct";

// The pane's window; null until it was first shown.
HWND structurePaneWindow();

// Reads the bytes and the caret again at once (the pane otherwise waits
// until the keyboard lets go): a new template tree after a change of the
// bytes, keeping the open and the chosen fields where it can, and the field
// the caret stands in chosen.
void structureCatchUp();
