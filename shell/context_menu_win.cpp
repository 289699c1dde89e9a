#include "shell/context_menu_win.h"

#include "platform/process_win.h"
#include "resource_ids.h"
#include "shell/layout_win.h"

int showContextMenu(HWND owner, int menuId, int x, int y) {
    HMENU menu = LoadMenuA(appInstance, MAKEINTRESOURCEA(menuId));
    if (menu == nullptr) return 0;
    HMENU popup = GetSubMenu(menu, 0);
    if (popup == nullptr) {
        DestroyMenu(menu);
        return 0;
    }
    bool kanji = isKanjiMode() != 0;
    bool locked = isEditLocked() != 0;
    POINT p{x, y};
    ClientToScreen(owner, &p);
    // Items the popup lacks are left alone by CheckMenuItem.
    CheckMenuItem(popup, IDM_KANJI, MF_BYCOMMAND | (kanji ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(popup, IDM_EDIT_LOCK, MF_BYCOMMAND | (locked ? MF_CHECKED : MF_UNCHECKED));
    TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_LEFTBUTTON, p.x, p.y, 0, mainWindow, nullptr);
    DestroyMenu(menu);
    return 1;
}
