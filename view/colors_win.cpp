#include "view/colors_win.h"

#include <windows.h>

#include "view/colors.h"

void setDefaultColors(uint32_t (&table)[kColorSlots]) {
    SystemColors system{
        static_cast<uint32_t>(GetSysColor(COLOR_HIGHLIGHT)),
        static_cast<uint32_t>(GetSysColor(COLOR_HIGHLIGHTTEXT)),
        static_cast<uint32_t>(GetSysColor(COLOR_WINDOW)),
        static_cast<uint32_t>(GetSysColor(COLOR_WINDOWTEXT)),
    };
    fillDefaultColors(table, system);
}

void setDefaultColors() {
    if (editorState != nullptr) setDefaultColors(editorState->colorTable);
}
