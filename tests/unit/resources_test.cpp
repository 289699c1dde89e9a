// Checks resources/moxel.rc against resource_ids.h, the sources that load its
// strings, and the texts, menus, keys and pictures the program must show.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "platform/rc_text.h"
#include "resource_ids.h"

namespace {

const std::string kRoot = MOXEL_SOURCE_DIR;
const std::string kRc = kRoot + "/resources/moxel.rc";

const std::map<std::string, long>& ids() {
    static const auto table = readResourceIds(kRoot + "/resources/resource_ids.h");
    return table;
}

const std::map<long, std::string>& strings() {
    static const auto table = readStringTable(kRc, ids());
    return table;
}

// The program's ids plus the standard dialog ids the templates use.
const std::map<std::string, long>& dialogIds() {
    static const auto table = [] {
        auto t = ids();
        t.insert({{"IDOK", 1}, {"IDCANCEL", 2}, {"IDYES", 6}, {"IDNO", 7}, {"IDHELP", 9}, {"IDC_STATIC", -1}});
        return t;
    }();
    return table;
}

bool startsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

bool endsWith(const std::string& s, const std::string& suffix) {
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Names that mark the start, end or offset of a range of ids rather than one id.
bool isRangeMarker(const std::string& name) {
    return endsWith(name, "_FIRST") || endsWith(name, "_LAST") || endsWith(name, "_OFFSET");
}

// Bytes the text takes in Shift-JIS (half-width katakana and ASCII one byte).
size_t shiftJisLength(const std::string& utf8) {
    size_t n = 0;
    for (size_t i = 0; i < utf8.size();) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        unsigned cp = c;
        size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        if (len == 3 && i + 2 < utf8.size()) cp = ((c & 0x0F) << 12) | ((utf8[i + 1] & 0x3F) << 6) | (utf8[i + 2] & 0x3F);
        n += (cp < 0x80 || (cp >= 0xFF61 && cp <= 0xFF9F)) ? 1 : 2;
        i += len;
    }
    return n;
}

// Every IDS_ name in a source text.
std::vector<std::string> idsNamedIn(const std::string& s) {
    auto isNameChar = [](char c) {
        unsigned char u = static_cast<unsigned char>(c);
        return std::isupper(u) || std::isdigit(u) || c == '_';
    };
    std::vector<std::string> out;
    for (size_t at = s.find("IDS_"); at != std::string::npos; at = s.find("IDS_", at + 1)) {
        if (at > 0 && (isNameChar(s[at - 1]) || std::islower(static_cast<unsigned char>(s[at - 1])))) continue;
        size_t end = at + 4;
        while (end < s.size() && isNameChar(s[end])) ++end;
        if (end < s.size() && std::islower(static_cast<unsigned char>(s[end]))) continue;  // IDS_Something
        out.push_back(s.substr(at, end - at));
    }
    return out;
}

}  // namespace

// ------------------------------------------------------------------- ids

TEST(Resources, NoIdIsUsedTwice) {
    std::string duplicates;
    readStringTable(kRc, ids(), &duplicates);
    EXPECT_EQ(duplicates, "") << "string ids defined twice in the STRINGTABLE";

    // Command and string ids share one number space (menu help strings use
    // the command ids); only range markers may alias another name.
    std::map<long, std::vector<std::string>> byValue;
    for (const auto& [name, value] : ids())
        if ((startsWith(name, "IDS_") || startsWith(name, "IDM_")) && !isRangeMarker(name)) {
            byValue[value].push_back(name);
        }
    for (const auto& [value, names] : byValue) {
        EXPECT_EQ(names.size(), 1u) << value << " is named " << names[0] << " and " << names.back();
    }

    std::map<long, std::string> dialogs;
    for (const auto& [name, value] : ids()) {
        if (!startsWith(name, "IDD_")) continue;
        EXPECT_TRUE(dialogs.emplace(value, name).second) << name << " = " << dialogs[value];
    }

    // Every tooltip belongs to a command.
    std::set<long> commands;
    for (const auto& [name, value] : ids()) {
        if (startsWith(name, "IDM_")) commands.insert(value);
    }
    for (const auto& [name, value] : ids()) {
        if (startsWith(name, "IDS_TIP_") && !isRangeMarker(name)) {
            EXPECT_TRUE(commands.count(value - IDS_TIP_OFFSET)) << name;
        }
    }
}

TEST(Resources, EveryResourceAndControlIdIsUniqueAndNamed) {
    std::set<std::pair<std::string, long>> seen;
    std::vector<RcResource> list = readResourceList(kRc, ids());
    ASSERT_FALSE(list.empty());
    for (const RcResource& r : list) {
        if (r.type == "STRINGTABLE") continue;
        EXPECT_TRUE(r.idResolved) << r.type << " " << r.name;
        EXPECT_TRUE(std::isupper(static_cast<unsigned char>(r.name[0]))) << r.name << ": use the named id";
        EXPECT_TRUE(seen.emplace(r.type, r.id).second) << r.type << " " << r.name << " defined twice";
        if (!r.file.empty()) {
            EXPECT_TRUE(std::filesystem::exists(kRoot + "/resources/" + r.file)) << r.file;
        }
        if (r.type == "DIALOG" || r.type == "DIALOGEX") {
            std::map<long, std::string> controls;
            for (const RcControl& c : readDialog(kRc, dialogIds(), r.id).controls) {
                EXPECT_TRUE(c.idResolved) << r.name << ": control [" << c.text << "] has no known id";
                if (c.id == -1) continue;  // unnamed statics
                EXPECT_TRUE(controls.emplace(c.id, c.text).second) << r.name << ": control id " << c.id << " used twice";
            }
        }
    }
}

TEST(Resources, EveryStringTheCodeLoadsExists) {
    std::set<std::string> used;
    for (const char* dir : {"shell", "document", "view", "tools", "platform"}) {
        std::filesystem::path root = kRoot + "/" + dir;
        if (!std::filesystem::exists(root)) continue;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
            std::string ext = entry.path().extension().string();
            if (ext != ".cpp" && ext != ".h") continue;
            std::ifstream in(entry.path());
            std::stringstream text;
            text << in.rdbuf();
            std::string s = text.str();
            for (const std::string& name : idsNamedIn(s))
                used.insert(name + " (" + entry.path().filename().string() + ")");
        }
    }
    ASSERT_FALSE(used.empty());
    for (const std::string& use : used) {
        std::string name = use.substr(0, use.find(' '));
        auto id = ids().find(name);
        ASSERT_NE(id, ids().end()) << use << " is not in resource_ids.h";
        if (name == "IDS_TIP_OFFSET" || name == "IDS_COLOR_FIRST") continue;  // bases of id ranges
        EXPECT_TRUE(strings().count(id->second)) << use << " has no STRINGTABLE entry";
    }

    // Menu help: every command of every menu has its text.
    for (long menu : {IDR_MAIN_MENU, IDR_POPUP_ADDRESS, IDR_POPUP_DUMP, IDR_POPUP_ASCII}) {
        for (const RcMenuItem& item : readMenu(kRc, ids(), menu)) {
            if (item.popup || item.separator) continue;
            EXPECT_TRUE(strings().count(item.id)) << "no menu help for command " << item.id;
        }
    }
}

// ------------------------------------------------------------------ texts

TEST(Resources, StringTableHoldsExactlyTheProgramsTexts) {
    const std::map<long, std::string> expected = {
        {IDM_OPEN, "既存のファイルを開く"},
        {IDM_CLOSE_AND_OPEN, "作業中のファイルを閉じて開く"},
        {IDM_SAVE, "作業中のファイルを上書きして保存"},
        {IDM_SAVE_AS, "作業中のファイルを新しい名前で保存"},
        {IDM_PRINT, "作業中のファイルを印刷"},
        {IDM_PRINTER_SETUP, "プリンタ，印刷オプションの変更"},
        {IDM_FONT, "フォントの変更"},
        {IDM_RUN, "関連付けられたファイルの起動"},
        {IDM_EXIT, "アプリケーションの終了"},
        {IDM_QUIT_ALL, "作業中のファイルをすべて閉じて終了"},
        {IDM_RECENT_FIRST, "指定のファイルを開く"},
        {IDM_UNDO, "変更履歴一覧の表示"},
        {IDM_COPY, "クリップボードに保存"},
        {IDM_PASTE, "クリップボードのテキストを貼り付け"},
        {IDM_SELECT_ALL, "すべてを選択"},
        {IDM_INSERT, "現在位置に１バイトを挿入"},
        {IDM_DELETE, "現在位置の１バイトを削除"},
        {IDM_DELETE_RANGE, "指定された範囲を削除"},
        {IDM_ASCII_EDIT, "アスキー部分の編集"},
        {IDM_MARK, "マークの設定，解除"},
        {IDM_NEXT_MARK, "マークの位置へ移動"},
        {IDM_JUMP, "指定アドレスへ移動"},
        {IDM_FIND, "指定した文字列の検索"},
        {IDM_FIND_NEXT, "次を検索"},
        {IDM_EDIT_LOCK, "編集の許可／禁止の切り替え"},
        {IDM_TOOLBAR, "ツールバーの表示／非表示の切り替え"},
        {IDM_STATUSBAR, "ステータスバーの表示／非表示の切り替え"},
        {IDM_KANJI, "カナ／漢字モードの切り替え"},
        {IDM_INSTANCE_LIST, "作業中のファイルの一覧を表示"},
        {IDM_COMPARE, "ファイルの比較"},
        {IDM_NUMBER_CONVERSION, "数値の変換"},
        {IDM_OPTIONS, "オプションの設定"},
        {IDM_HELP, "ヘルプの表示"},
        {IDM_HOMEPAGE, "ORVASITE(Web) へ接続"},
        {IDM_ABOUT, "バージョン情報を表示"},
        {IDM_FIND_PREVIOUS, "前を検索"},
        {IDM_REPLACE, "文字列の検索と置換"},
        {IDS_ASK_REPLACE_LENGTH, "%ld 箇所を長さの異なるデータに置換しますか？"},
        {IDS_REPLACED_COUNT, "%ld 箇所を置換しました。"},
        {IDS_FIND_ALL_CAPTION, "検索結果 - '%s' (%ld 件)"},
        {IDS_COL_MATCH, "一致したデータ"},
        {IDS_COL_ROW_TEXT, "行のテキスト"},
        {IDS_ERR_NO_ROOM, "置換に必要な空きがありません。(必要 %ld バイト、空き %lu バイト)"},
        {IDS_ERR_WOULD_EMPTY, "置換するとデータがなくなります。"},

        {IDS_HOMEPAGE_URL, "https://orva.example.jp/moxel/"},
        {IDS_DESCRIPTION, "バイナリエディタ"},
        {IDS_DEFAULT_FONT, "ＭＳ 明朝"},
        {IDS_CONFIRM_CAPTION, "処理の確認"},
        {IDS_CLOSE_ALL_PREFIX, "作業中のファイルをすべて閉じて、"},
        {IDS_TEXT_RADIO, "文字列(&S)"},
        {IDS_MOVE_BUTTON, "移動"},
        {IDS_TAB_COLORS, "カラー"},
        {IDS_TAB_MISC, "数値等"},
        {IDS_RESET_WARNING, "※実行するとすべて初期化されます。"},
        {IDS_PROMPT_INSERT, "挿入するコードを入力してください。"},
        {IDS_PROMPT_TEXT, "文字列を入力してください。"},
        {IDS_PROMPT_JUMP, "移動先のアドレスを入力してください。"},
        {IDS_PROMPT_FIND, "検索する文字列を入力してください。"},
        {IDS_PROMPT_COMPARE, "'%s' と比較するファイル名を入力してください。"},
        {IDS_COMPARE_CAPTION, "比較 - %s (%ld)"},
        {IDS_COMPARE_SIZE_DIFFERS, "ファイルサイズが違うので、少ない方で比較します。"},
        {IDS_PROMPT_DELETE_RANGE, "現在位置 %ld(%X) からの削除する範囲を指定してください。"},
        {IDS_ASK_SAVE, "'%s' は更新されています。保存しますか？"},
        {IDS_ASK_DELETE, "'%X' 番地の '%02X' を削除しますか？"},
        {IDS_ASK_OVERWRITE, "'%X' 番地のデータは既に変更されています。上書きしますか？"},
        {IDS_ASK_EXIT, "プログラムを終了します。よろしいですか？"},
        {IDS_ASK_ALREADY_OPEN, "'%s' は既に開かれています。実行しますか？"},
        {IDS_ASK_CLOSE_INSTANCE, "'%s' を閉じますか？"},
        {IDS_ASK_CLAMP, "入力された値は範囲を超えています。最大値としますか？"},
        {IDS_FMT_FILE_STATUS, " %luﾊﾞｲﾄ, %s"},
        {IDS_FILTER_ALL_FILES, "All Files(*.*)"},
        {IDS_COL_ADDRESS, "Address"},
        {IDS_COL_NIBBLE, "L/W"},
        {IDS_COL_VALUE, "Value"},
        {IDS_COL_SOURCE, "Source"},
        {IDS_COL_TARGET, "Target"},
        {IDS_FMT_VERSION, "Version %s"},

        {IDS_COLOR_CARET_DUMP, "キャレットダンプ"},
        {IDS_COLOR_CARET_ASCII, "キャレットアスキー"},
        {IDS_COLOR_CHANGED_TEXT, "変更前景"},
        {IDS_COLOR_MARK_BACK, "マーク背景"},
        {IDS_COLOR_MARK_TEXT, "マーク前景(変更と重複しない)"},
        {IDS_COLOR_MARK_CHANGED, "マーク前景(変更と重複する)"},
        {IDS_COLOR_SELECTION_BACK, "選択背景"},
        {IDS_COLOR_SELECTION_TEXT, "選択前景"},
        {IDS_COLOR_NORMAL_BACK, "通常背景"},
        {IDS_COLOR_NORMAL_TEXT, "通常前景"},
        {IDS_COLOR_LABEL_BACK, "ラベル背景"},
        {IDS_COLOR_LABEL_TEXT, "ラベル前景"},
        {IDS_COLOR_LABEL_BORDER, "ラベル境界"},
        {IDS_COLOR_SEARCH_FRAME, "検索表示枠"},

        {IDS_ERR_NOT_FOUND, "'%s' は見つかりませんでした。"},
        {IDS_ERR_EMPTY_FILE, "ファイルサイズがゼロです"},
        {IDS_ERR_INVALID_TEXT, "不正な文字列です。"},
        {IDS_ERR_TOO_LONG, "文字列長がオーバーしました。"},
        {IDS_ERR_NO_SELECTION, "選択された範囲はありません。"},
        {IDS_ERR_SAME_FILE, "同じファイル名です。"},

        {IDS_TIP_OPEN, "開く"},
        {IDS_TIP_SAVE, "上書き保存"},
        {IDS_TIP_PRINT, "印刷"},
        {IDS_TIP_COPY, "コピー"},
        {IDS_TIP_PASTE, "貼り付け"},
        {IDS_TIP_UNDO, "元に戻す"},
        {IDS_TIP_MARK, "マーク"},
        {IDS_TIP_NEXT_MARK, "次のマークへ"},
        {IDS_TIP_FIND, "検索"},
        {IDS_TIP_FIND_NEXT, "次を検索"},
        {IDS_TIP_JUMP, "ジャンプ"},
        {IDS_TIP_NUMBER_CONV, "数値変換"},

        {IDS_SC_SIZE, "ウィンドウのサイズを変更"},
        {IDS_SC_MOVE, "ウィンドウの位置を変更"},
        {IDS_SC_MINIMIZE, "ウィンドウをアイコン化する"},
        {IDS_SC_MAXIMIZE, "ウィンドウを最大表示にする"},
        {IDS_SC_NEXTWINDOW, "次のウィンドウに切り替える"},
        {IDS_SC_PREVWINDOW, "前のウィンドウに切り替える"},
        {IDS_SC_CLOSE, "作業中のウィンドウを閉じる"},
        {IDS_SC_RESTORE, "ウィンドウを通常のサイズに戻す"},
        {IDS_SC_TASKLIST, "アプリケーションの切り替え"},
    };
    for (const auto& [id, text] : expected) {
        auto found = strings().find(id);
        if (found == strings().end())
            ADD_FAILURE() << "string " << id << " missing";
        else
            EXPECT_EQ(found->second, text) << "string " << id;
    }
    // Commands and texts added to the program take ids numbered after the
    // original ones: menu help from 1601, texts 7301-7499, messages 8101-8199.
    auto isAdded = [](long id) {
        return (id >= 1601 && id <= 1699) || (id >= 7301 && id <= 7499) || (id >= 8101 && id <= 8199);
    };
    for (const auto& [id, text] : strings()) {
        EXPECT_TRUE(expected.count(id) || isAdded(id)) << "unexpected string " << id << ": " << text;
    }

    // The callers' buffers: 259 bytes for any text, 31 for the caption and the font name.
    for (const auto& [id, text] : strings()) EXPECT_LE(shiftJisLength(text), 259u) << id;
    EXPECT_LE(shiftJisLength(strings().at(IDS_CONFIRM_CAPTION)), 31u);
    EXPECT_LE(shiftJisLength(strings().at(IDS_DEFAULT_FONT)), 31u);
    EXPECT_LE(shiftJisLength(strings().at(IDS_CLOSE_ALL_PREFIX) + strings().at(IDS_ASK_EXIT)), 127u);
}

// ------------------------------------------------------ menus and keys

namespace {

// One line per menu entry, indented by depth: "[popup]", "-", or "id text" (+ " *" when checked).
std::vector<std::string> describe(const std::vector<RcMenuItem>& items) {
    std::vector<std::string> out;
    for (const RcMenuItem& i : items) {
        std::string line(i.depth * 2, ' ');
        if (i.popup)
            line += "[" + i.text + "]";
        else if (i.separator)
            line += "-";
        else
            line += std::to_string(i.id) + " " + i.text + (i.checked ? " *" : "") + (i.grayed ? " grayed" : "");
        out.push_back(line);
    }
    return out;
}

std::string item(long id, const std::string& text) { return "  " + std::to_string(id) + " " + text; }
const std::string kSep = "  -";

// A menu's described entries split at its popups: each popup's line and the lines of its items.
std::vector<std::vector<std::string>> byPopup(const std::vector<std::string>& lines) {
    std::vector<std::vector<std::string>> popups;
    for (const std::string& line : lines) {
        if (line.rfind("[", 0) == 0 || popups.empty()) popups.emplace_back();
        popups.back().push_back(line);
    }
    return popups;
}

// Every item of the original program keeps its place: the popups in their
// order, each beginning with its original items (ids, texts, marks and
// separators). Commands added later stand only after them, behind a separator.
void expectOriginalItemsFirst(long menu, const std::vector<std::string>& original) {
    const auto now = byPopup(describe(readMenu(kRc, ids(), menu)));
    const auto was = byPopup(original);
    ASSERT_GE(now.size(), was.size()) << "menu " << menu;
    for (size_t p = 0; p < was.size(); ++p) {
        const std::vector<std::string>& items = now[p];
        ASSERT_GE(items.size(), was[p].size()) << was[p][0];
        EXPECT_EQ(std::vector<std::string>(items.begin(), items.begin() + was[p].size()), was[p]) << "menu " << menu;
        if (items.size() == was[p].size()) continue;
        EXPECT_EQ(items[was[p].size()], kSep) << was[p][0] << ": added items follow a separator";
        EXPECT_NE(items.back(), kSep) << was[p][0];
    }
}

}  // namespace

TEST(Resources, MenusKeepTheOriginalItemsInTheirPlaces) {
    const std::vector<std::string> frame = {
        "[ファイル(&F)]",
        item(IDM_OPEN, "開く(&O)...\tCtrl+O"),
        item(IDM_CLOSE_AND_OPEN, "閉じて開く(&L)"),
        item(IDM_SAVE, "上書き保存(&S)\tCtrl+S"),
        item(IDM_SAVE_AS, "名前を付けて保存(&A)..."),
        kSep,
        item(IDM_PRINT, "印刷(&P)...\tCtrl+P"),
        item(IDM_PRINTER_SETUP, "プリンタの設定(&R)..."),
        kSep,
        item(IDM_FONT, "フォント変更(&F)..."),
        kSep,
        item(IDM_RUN, "起動(&B)"),
        kSep,
        item(IDM_EXIT, "終了(&X)\tAlt+X"),
        item(IDM_QUIT_ALL, "全終了(&Q)"),
        "[編集(&E)]",
        item(IDM_UNDO, "元に戻す(&U)\tCtrl+Z"),
        kSep,
        item(IDM_COPY, "コピー(&C)\tCtrl+C"),
        item(IDM_PASTE, "貼り付け(&P)\tCtrl+V"),
        item(IDM_SELECT_ALL, "すべて選択(&A)"),
        item(IDM_INSERT, "挿入(&I)...\tIns"),
        item(IDM_DELETE, "削除(&D)...\tDel"),
        item(IDM_DELETE_RANGE, "指定範囲を削除(&R)..."),
        item(IDM_ASCII_EDIT, "アスキー編集(&S)..."),
        kSep,
        item(IDM_MARK, "マークの設定，解除(&M)\tCtrl+M"),
        item(IDM_NEXT_MARK, "マークの位置へ移動(&V)\tF2"),
        item(IDM_JUMP, "指定アドレスへ(&J)\tCtrl+J"),
        kSep,
        item(IDM_FIND, "検索(&F)...\tCtrl+F"),
        item(IDM_FIND_NEXT, "次を検索(&N)\tF3"),
        kSep,
        item(IDM_EDIT_LOCK, "編集禁止(&E)"),
        "[表示(&V)]",
        item(IDM_TOOLBAR, "ツールバー(&T) *"),
        item(IDM_STATUSBAR, "ステータスバー(&S) *"),
        kSep,
        item(IDM_KANJI, "漢字(&K)\tCtrl+K"),
        kSep,
        item(IDM_INSTANCE_LIST, "一覧(&L)...\tCtrl+L"),
        item(IDM_COMPARE, "比較(&R)...\tCtrl+R"),
        item(IDM_NUMBER_CONVERSION, "数値変換(&N)..."),
        kSep,
        item(IDM_OPTIONS, "オプション(&O)..."),
        "[ヘルプ(&H)]",
        item(IDM_HELP, "ヘルプ表示(&H)\tF1"),
        kSep,
        item(IDM_HOMEPAGE, "ホームページへ(&W)"),
        kSep,
        item(IDM_ABOUT, "バージョン情報(&A)"),
    };
    expectOriginalItemsFirst(IDR_MAIN_MENU, frame);

    const std::vector<std::string> address = {
        "[Pop]",
        item(IDM_JUMP, "指定アドレスへ(&J)\tCtrl+J"),
        kSep,
        item(IDM_PRINT, "印刷(&P)...\tCtrl+P"),
        item(IDM_FONT, "フォント変更(&F)..."),
        item(IDM_RUN, "起動(&B)"),
        kSep,
        item(IDM_EXIT, "終了(&X)\tAlt+X"),
    };
    expectOriginalItemsFirst(IDR_POPUP_ADDRESS, address);

    const std::vector<std::string> dump = {
        "[Pop]",
        item(IDM_UNDO, "元に戻す(&U)\tCtrl+Z"),
        kSep,
        item(IDM_COPY, "コピー(&C)\tCtrl+C"),
        item(IDM_PASTE, "貼り付け(&P)\tCtrl+V"),
        item(IDM_SELECT_ALL, "すべて選択(&A)"),
        item(IDM_ASCII_EDIT, "アスキー編集(&S)..."),
        kSep,
        item(IDM_MARK, "マークの設定，解除(&M)\tCtrl+M"),
        item(IDM_NEXT_MARK, "マークの位置へ移動(&N)"),
        item(IDM_JUMP, "指定アドレスへ(&J)\tCtrl+J"),
        kSep,
        item(IDM_COMPARE, "比較(&R)...\tCtrl+R"),
        kSep,
        item(IDM_KANJI, "漢字(&K)\tCtrl+K"),
    };
    expectOriginalItemsFirst(IDR_POPUP_DUMP, dump);

    const std::vector<std::string> ascii = {
        "[Pop]",
        item(IDM_ASCII_EDIT, "アスキー編集(&S)..."),
        kSep,
        item(IDM_FIND, "検索(&F)...\tCtrl+F"),
        item(IDM_FIND_NEXT, "次を検索(&N)\tF3"),
        kSep,
        item(IDM_KANJI, "漢字(&K)\tCtrl+K"),
    };
    expectOriginalItemsFirst(IDR_POPUP_ASCII, ascii);
}

namespace {

// "Ctrl+C", "Alt+X", "Delete", "F1" ...; "?" marks an entry that is not a virtual key.
std::string keyText(const RcAccelerator& a) {
    std::set<std::string> flags(a.flags.begin(), a.flags.end());
    std::string text = flags.count("VIRTKEY") ? "" : "?";
    if (flags.count("CONTROL")) text += "Ctrl+";
    if (flags.count("ALT")) text += "Alt+";
    if (flags.count("SHIFT")) text += "Shift+";
    static const std::map<std::string, std::string> names = {{"VK_DELETE", "Delete"}, {"VK_INSERT", "Insert"},
                                                             {"VK_F1", "F1"},         {"VK_F2", "F2"},
                                                             {"VK_F3", "F3"},         {"VK_F6", "F6"}};
    auto n = names.find(a.key);
    return text + (n != names.end() ? n->second : a.key);
}

}  // namespace

TEST(Resources, AcceleratorsAreTheKeysTheMenusShow) {
    std::map<std::string, long> keys;
    for (const RcAccelerator& a : readAccelerators(kRc, ids(), IDR_ACCELERATORS)) {
        EXPECT_TRUE(keys.emplace(keyText(a), a.command).second) << keyText(a) << " defined twice";
    }
    const std::map<std::string, long> expected = {
        {"Ctrl+C", IDM_COPY},  {"Ctrl+F", IDM_FIND},    {"Ctrl+J", IDM_JUMP},          {"Ctrl+K", IDM_KANJI},
        {"Ctrl+L", IDM_INSTANCE_LIST}, {"Ctrl+M", IDM_MARK}, {"Ctrl+O", IDM_OPEN},   {"Ctrl+P", IDM_PRINT},
        {"Ctrl+R", IDM_COMPARE}, {"Ctrl+S", IDM_SAVE},  {"Ctrl+V", IDM_PASTE},         {"Alt+X", IDM_EXIT},
        {"Ctrl+Z", IDM_UNDO},  {"Delete", IDM_DELETE},  {"Insert", IDM_INSERT},        {"F1", IDM_HELP},
        {"F2", IDM_NEXT_MARK}, {"F3", IDM_FIND_NEXT}, {"Shift+F3", IDM_FIND_PREVIOUS}, {"Ctrl+H", IDM_REPLACE},
    };
    // The original keys run their commands; further keys run only commands added after them.
    for (const auto& [key, command] : expected) EXPECT_TRUE(keys.count(key) && keys.at(key) == command) << key;
    for (const auto& [key, command] : keys) EXPECT_TRUE(expected.count(key) || command >= 1601) << key;

    // A key named after a tab in a menu caption must run that item's command.
    const std::map<std::string, std::string> shown = {{"Ins", "Insert"}, {"Del", "Delete"}};
    for (long menu : {IDR_MAIN_MENU, IDR_POPUP_ADDRESS, IDR_POPUP_DUMP, IDR_POPUP_ASCII}) {
        for (const RcMenuItem& i : readMenu(kRc, ids(), menu)) {
            size_t tab = i.text.find('\t');
            if (i.popup || tab == std::string::npos) continue;
            std::string key = i.text.substr(tab + 1);
            if (shown.count(key)) key = shown.at(key);
            auto k = keys.find(key);
            // While editing without limits, the history's keys undo a step (a copy of the table).
            const long runs = k != keys.end() && k->second == IDM_UNDO && i.id == IDM_STEP_UNDO ? IDM_STEP_UNDO
                              : k != keys.end()                                               ? k->second
                                                                                              : 0;
            if (k == keys.end())
                ADD_FAILURE() << "menu " << menu << " item " << i.id << " shows " << key << ", which no key runs";
            else
                EXPECT_EQ(runs, i.id) << "menu " << menu << " shows " << key;
        }
    }
}

TEST(Resources, InstanceListDialogTemplate) {
    RcDialog d = readDialog(kRc, dialogIds(), IDD_INSTANCE_LIST);
    ASSERT_TRUE(d.found);
    EXPECT_EQ(d.caption, "一覧");
    EXPECT_EQ(d.fontSize, 9);
    EXPECT_EQ(d.fontName, "ＭＳ Ｐゴシック");
    EXPECT_EQ(std::vector<int>({d.width, d.height}), std::vector<int>({212, 115}));
    for (const char* style : {"DS_MODALFRAME", "WS_POPUP", "WS_CAPTION", "WS_SYSMENU"}) {
        EXPECT_NE(d.style.find(style), std::string::npos) << style;
    }
    ASSERT_EQ(d.controls.size(), 4u);

    auto describe = [](const RcControl& c) {
        std::ostringstream s;
        s << c.kind << " " << c.id << " [" << c.text << "] " << c.x << "," << c.y << " " << c.width << "x"
          << c.height;
        return s.str();
    };
    EXPECT_EQ(describe(d.controls[0]), "LISTBOX " + std::to_string(IDC_IL_LIST) + " [] 4,4 204x88");
    EXPECT_EQ(describe(d.controls[1]), "DEFPUSHBUTTON 1 [アクティブ] 56,96 44x14");
    EXPECT_EQ(describe(d.controls[2]), "PUSHBUTTON " + std::to_string(IDC_IL_KILL) + " [殺す] 110,96 44x14");
    EXPECT_EQ(describe(d.controls[3]), "PUSHBUTTON 2 [閉じる] 164,96 44x14");
    for (const char* style : {"LBS_SORT", "LBS_NOTIFY", "WS_VSCROLL", "WS_BORDER"}) {
        EXPECT_NE(d.controls[0].style.find(style), std::string::npos) << style;
    }
}

// --------------------------------------------------------------- pictures

namespace {

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

unsigned u16(const std::vector<uint8_t>& b, size_t at) { return b.at(at) | b.at(at + 1) << 8; }
uint32_t u32(const std::vector<uint8_t>& b, size_t at) { return u16(b, at) | uint32_t(u16(b, at + 2)) << 16; }

std::string fileOf(long id, const char* type) {
    for (const RcResource& r : readResourceList(kRc, ids()))
        if (r.type == type && r.id == id) return kRoot + "/resources/" + r.file;
    return {};
}

// One image of an .ico or .cur file: size, bits per pixel, hot spot (cursors),
// and the pixels read back from its DIB (bottom-up, masks padded to 4 bytes).
struct IconImage {
    int width = 0, height = 0, bits = 0, hotX = 0, hotY = 0;
    const std::vector<uint8_t>* file = nullptr;
    size_t dib = 0;

    size_t rowBytes(int bpp) const { return ((width * bpp + 31) / 32) * 4; }
    size_t xorStart() const { return dib + u32(*file, dib) + 4 * (size_t(1) << bits); }
    size_t andStart() const { return xorStart() + rowBytes(bits) * height; }
    bool opaque(int x, int y) const {
        size_t at = andStart() + rowBytes(1) * (height - 1 - y) + x / 8;
        return !((file->at(at) >> (7 - x % 8)) & 1);
    }
    unsigned colour(int x, int y) const {  // palette index
        size_t at = xorStart() + rowBytes(bits) * (height - 1 - y) + x * bits / 8;
        unsigned shift = 8 - bits - (x * bits) % 8;
        return (file->at(at) >> shift) & ((1u << bits) - 1);
    }
};

std::vector<IconImage> readIconFile(const std::vector<uint8_t>& f, unsigned expectedType) {
    std::vector<IconImage> out;
    if (f.size() < 6 || u16(f, 0) != 0 || u16(f, 2) != expectedType) return out;
    for (unsigned i = 0; i < u16(f, 4); ++i) {
        size_t e = 6 + 16 * i;
        IconImage img;
        img.file = &f;
        img.dib = u32(f, e + 12);
        img.width = u32(f, img.dib + 4);
        img.height = static_cast<int>(u32(f, img.dib + 8)) / 2;  // colour bits and mask
        img.bits = u16(f, img.dib + 14);
        img.hotX = u16(f, e + 4);
        img.hotY = u16(f, e + 6);
        if (img.width != f.at(e) || img.height != f.at(e + 1) || img.andStart() + img.rowBytes(1) * img.height > f.size())
            continue;  // damaged entry: left out, so the size checks fail
        out.push_back(img);
    }
    return out;
}

// Opaque pixels above the dot (rows 0-12) and below it (rows 20-31).
std::pair<int, int> opaqueAboveAndBelow(const IconImage& img) {
    std::pair<int, int> n{0, 0};
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            if (!img.opaque(x, y)) continue;
            if (y < 13) ++n.first;
            if (y > 19) ++n.second;
        }
    return n;
}

}  // namespace

TEST(Resources, ToolbarBitmapHoldsTwelveImagesOnSilver) {
    std::vector<uint8_t> b = readFile(fileOf(IDB_TOOLBAR, "BITMAP"));
    ASSERT_GE(b.size(), 54u + 64u);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(u32(b, 18), 192u);  // 12 images of 16 x 16
    EXPECT_EQ(u32(b, 22), 16u);
    EXPECT_EQ(u16(b, 28), 4u);
    EXPECT_EQ(u32(b, 30), 0u);  // uncompressed
    // The toolbar maps light grey to the button face: every image's corner is that grey.
    size_t palette = 14 + u32(b, 14), bits = u32(b, 10);
    for (int image = 0; image < 12; ++image) {
        size_t topRow = bits + 96 * 15;  // bottom-up rows of 96 bytes
        unsigned index = b.at(topRow + image * 8) >> 4;
        EXPECT_EQ(u32(b, palette + 4 * index) & 0xFFFFFF, 0xC0C0C0u) << "image " << image;
    }
}

TEST(Resources, IconsAndCursorsHaveTheirSizesAndHotSpots) {
    std::vector<uint8_t> mainIcon = readFile(fileOf(IDI_MAIN, "ICON"));
    std::set<std::pair<int, int>> sizes;
    for (const IconImage& i : readIconFile(mainIcon, 1)) {
        sizes.insert({i.width, i.height});
        EXPECT_TRUE(i.bits == 4 || i.bits == 8) << i.bits;
    }
    EXPECT_EQ(sizes, (std::set<std::pair<int, int>>{{16, 16}, {32, 32}}));

    // Icon 102 is drawn 16 pixels up and left of the auto-scroll origin: its dot is there.
    std::vector<uint8_t> marker = readFile(fileOf(IDI_AUTOSCROLL, "ICON"));
    std::vector<IconImage> markerImages = readIconFile(marker, 1);
    ASSERT_EQ(markerImages.size(), 1u);
    EXPECT_EQ(markerImages[0].width, 32);
    EXPECT_EQ(markerImages[0].colour(16, 16), 0u) << "black dot at the origin";
    EXPECT_TRUE(markerImages[0].opaque(16, 16));

    struct Expect {
        long id;
        bool up, down;  // triangles above and below the dot
    };
    for (Expect e : {Expect{IDCUR_AUTOSCROLL_IDLE, true, true}, Expect{IDCUR_AUTOSCROLL_DOWN, false, true},
                     Expect{IDCUR_AUTOSCROLL_UP, true, false}}) {
        std::vector<uint8_t> f = readFile(fileOf(e.id, "CURSOR"));
        std::vector<IconImage> images = readIconFile(f, 2);
        ASSERT_EQ(images.size(), 1u) << "cursor " << e.id;
        const IconImage& c = images[0];
        EXPECT_EQ(std::vector<int>({c.width, c.height, c.bits}), std::vector<int>({32, 32, 1})) << e.id;
        EXPECT_EQ(std::vector<int>({c.hotX, c.hotY}), std::vector<int>({16, 16})) << e.id;
        EXPECT_TRUE(c.opaque(c.hotX, c.hotY) && c.colour(c.hotX, c.hotY) == 0) << e.id << ": hot spot off the dot";
        auto [above, below] = opaqueAboveAndBelow(c);
        EXPECT_EQ(above > 0, e.up) << "cursor " << e.id;
        EXPECT_EQ(below > 0, e.down) << "cursor " << e.id;
    }
}

TEST(Resources, GeneratedPicturesMatchTheirGrids) {
    if (std::system("python3 -c 1 >/dev/null 2>&1") != 0) GTEST_SKIP() << "python3 not available";
    std::string command = "python3 '" + kRoot + "/resources/make_images.py' --check";
    EXPECT_EQ(std::system(command.c_str()), 0) << "run resources/make_images.py";
}
