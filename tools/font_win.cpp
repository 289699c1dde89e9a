#include "tools/font_win.h"

#include <cstring>

#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "shell/layout_win.h"
#include "shell/settings_win.h"
#include "view/view_win.h"

HFONT chooseDisplayFont(HWND owner, HDC printer, LOGFONTA& font) {
    CHOOSEFONTA choice{};
    choice.lStructSize = sizeof choice;
    choice.hwndOwner = owner;
    choice.hDC = printer;
    choice.lpLogFont = &font;
    // The view lays its columns out by the average character width: fixed pitch only.
    choice.Flags = CF_SCREENFONTS | CF_PRINTERFONTS | CF_INITTOLOGFONTSTRUCT | CF_FIXEDPITCHONLY | CF_FORCEFONTEXIST;
    choice.nFontType = SCREEN_FONTTYPE;
    if (!ChooseFontA(&choice)) return nullptr;
    return CreateFontIndirectA(&font);
}

void changeFontCommand(HWND owner) {
    if (editorState == nullptr) return;
    EditorWindows& w = win();
    LOGFONTA lf;
    std::memset(&lf, 0, sizeof lf);
    if (w.displayFont == nullptr || GetObjectA(w.displayFont, sizeof lf, &lf) == 0) return;
    HFONT font = chooseDisplayFont(owner, w.printSetup.hDC, lf);
    if (font == nullptr) return;
    DeleteObject(w.displayFont);
    w.displayFont = font;
    measureFont(nullptr, font);
    layoutFrame();
    // The sizes may not have changed, so the moves alone need not repaint.
    repaintView();
    if (w.labelWindow != nullptr) InvalidateRect(w.labelWindow, nullptr, FALSE);
}
