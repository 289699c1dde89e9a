/* Resource identifiers shared by moxel.rc and the C++ sources.
   Ids are never renumbered: other editor processes, stored settings and the
   help file rely on them. Plain #defines so that windres reads this file too. */
#ifndef MOXEL_RESOURCE_IDS_H
#define MOXEL_RESOURCE_IDS_H

/* Menus and accelerators */
#define IDR_MAIN_MENU            101
#define IDR_POPUP_ADDRESS        102
#define IDR_POPUP_DUMP           103
#define IDR_POPUP_ASCII          105
#define IDR_ACCELERATORS         101

/* Images */
#define IDB_TOOLBAR              101
#define IDI_MAIN                 101
#define IDI_AUTOSCROLL           102
#define IDCUR_AUTOSCROLL_IDLE    101
#define IDCUR_AUTOSCROLL_DOWN    102
#define IDCUR_AUTOSCROLL_UP      103

/* Dialogs */
#define IDD_ABOUT                1101
#define IDD_VALUE_ENTRY          1102
#define IDD_CHANGE_LIST          1103
#define IDD_PRINTING             1105
#define IDD_INSTANCE_LIST        1106
#define IDD_NUMBER_CONVERSION    1107
#define IDD_OPTIONS              1151
#define IDD_OPTIONS_COLORS       1152
#define IDD_OPTIONS_MISC         1153
#define IDD_CHECKSUMS            1604
#define IDD_REPLACE              1621
#define IDD_FIND_ALL             1622
#define IDD_PROGRESS             1623

/* Commands (also the ids of their menu-help strings; tooltips are id + 10000) */
#define IDM_OPEN                 1101
#define IDM_CLOSE_AND_OPEN       1102
#define IDM_SAVE                 1105
#define IDM_SAVE_AS              1106
#define IDM_PRINT                1111
#define IDM_PRINTER_SETUP        1113
#define IDM_FONT                 1117
#define IDM_RUN                  1119
#define IDM_EXIT                 1123
#define IDM_QUIT_ALL             1125
#define IDM_RECENT_FIRST         1131
#define IDM_RECENT_LAST          1140
#define IDM_UNDO                 1201
#define IDM_COPY                 1202
#define IDM_PASTE                1203
#define IDM_SELECT_ALL           1205
#define IDM_INSERT               1206
#define IDM_DELETE               1207
#define IDM_DELETE_RANGE         1208
#define IDM_ASCII_EDIT           1209
#define IDM_MARK                 1215
#define IDM_NEXT_MARK            1216
#define IDM_JUMP                 1218
#define IDM_FIND                 1225
#define IDM_FIND_NEXT            1226
#define IDM_EDIT_LOCK            1228
#define IDM_TOOLBAR              1301
#define IDM_STATUSBAR            1302
#define IDM_KANJI                1303
#define IDM_INSTANCE_LIST        1304
#define IDM_COMPARE              1311
#define IDM_NUMBER_CONVERSION    1312
#define IDM_OPTIONS              1315
#define IDM_HELP                 1501
#define IDM_HOMEPAGE             1502
#define IDM_ABOUT                1503
#define IDM_FIND_PREVIOUS        1621
#define IDM_REPLACE              1622

/* Commands beyond the original menus: each stands after the original items
   of its popup, behind a separator */
#define IDM_INSPECTOR            1601
#define IDM_HEX_COPY             1602
#define IDM_HEX_PASTE            1603
#define IDM_CHECKSUMS            1604
#define IDM_NEXT_DIFFERENCE      1623
#define IDM_PREVIOUS_DIFFERENCE  1624
#define IDM_STRUCTURE            1641
#define IDM_UNLIMITED            1661
#define IDM_STEP_UNDO            1662
#define IDM_REDO                 1663
#define IDM_CUT                  1664
#define IDM_FILL                 1665

/* Controls without an id of their own */
#ifndef IDC_STATIC
#define IDC_STATIC               (-1)
#endif

/* Frame child controls */
#define IDC_TOOLBAR              30013
#define IDC_STATUSBAR            30014
#define IDC_INSPECTOR            30021
#define IDC_INSPECTOR_EDIT       30022
#define IDC_PANE_TABS            30030
#define IDC_STRUCTURE            30031
#define IDC_STRUCTURE_LIST       30032
#define IDC_STRUCTURE_OPEN       30033
#define IDC_STRUCTURE_MESSAGE    30034
#define IDC_STRUCTURE_TREE       30035
#define IDC_STRUCTURE_EDIT       30036

/* Value-entry dialog 1102 */
#define IDC_VE_BROWSE            101
#define IDC_VE_PROMPT            102
#define IDC_VE_EDIT              103
#define IDC_VE_COMBO             105
#define IDC_VE_DECIMAL           107
#define IDC_VE_HEX               108

/* Change-list dialog 1103 */
#define IDC_CL_LIST              101

/* Printing progress dialog 1105 */
#define IDC_PR_TITLE             101

/* Instance list dialog 1106 */
#define IDC_IL_LIST              101
#define IDC_IL_KILL              102

/* Number conversion dialog 1107 */
#define IDC_NC_HEX               101
#define IDC_NC_DECIMAL           102
#define IDC_NC_BINARY            103

/* About box 1101 */
#define IDC_AB_VERSION           101
#define IDC_AB_NAME              102
#define IDC_AB_DESCRIPTION       103

/* Progress window 1623 of long commands */
#define IDC_PG_BAR               101

/* Checksums dialog 1604: a field and a copy button for each digest */
#define IDC_CS_RANGE             101
#define IDC_CS_CRC32             102
#define IDC_CS_MD5               103
#define IDC_CS_SHA1              104
#define IDC_CS_SHA256            105
#define IDC_CS_COPY_CRC32        112
#define IDC_CS_COPY_MD5          113
#define IDC_CS_COPY_SHA1         114
#define IDC_CS_COPY_SHA256       115

/* Options dialog 1151 and its pages 1152, 1153 */
#define IDC_OPT_HELP             9
#define IDC_OPT_TAB              101
#define IDC_COL_LIST             101
#define IDC_COL_COMBO            102
#define IDC_COL_PREVIEW          103
#define IDC_COL_RESET            105
#define IDC_MISC_START_HEX       101
#define IDC_MISC_START_KANJI     102
#define IDC_MISC_PRINT_ADDRESS   103

/* Search and replace dialog 1621 */
#define IDC_RP_FIND              101
#define IDC_RP_REPLACE           102
#define IDC_RP_TEXT              103
#define IDC_RP_HEX               104
#define IDC_RP_MATCH_CASE        105
#define IDC_RP_WHOLE_CHARS       106
#define IDC_RP_IN_SELECTION      107
#define IDC_RP_UP                108
#define IDC_RP_DOWN              109
#define IDC_RP_WRAP              110
#define IDC_RP_FIND_NEXT         111
#define IDC_RP_REPLACE_ONE       112
#define IDC_RP_REPLACE_ALL       113
#define IDC_RP_FIND_ALL          114
#define IDC_RP_STATUS            115
#define IDC_RP_BY_KIND           116
#define IDC_RP_KIND              117
#define IDC_RP_BIG_ENDIAN        118
/* Find-all list 1622 */
#define IDC_FA_LIST              101
/* Strings: messages, captions and names */
#define IDS_HOMEPAGE_URL         7001
#define IDS_DESCRIPTION          7002
#define IDS_DEFAULT_FONT         7003
#define IDS_CONFIRM_CAPTION      7011
#define IDS_CLOSE_ALL_PREFIX     7012
#define IDS_TEXT_RADIO           7015
#define IDS_MOVE_BUTTON          7016
#define IDS_TAB_COLORS           7018
#define IDS_TAB_MISC             7019
#define IDS_RESET_WARNING        7021
#define IDS_PROMPT_INSERT        7025
#define IDS_PROMPT_TEXT          7026
#define IDS_PROMPT_JUMP          7027
#define IDS_PROMPT_FIND          7028
#define IDS_PROMPT_COMPARE       7029
#define IDS_COMPARE_CAPTION      7031
#define IDS_COMPARE_SIZE_DIFFERS 7032
#define IDS_PROMPT_DELETE_RANGE  7035
#define IDS_ASK_SAVE             7051
#define IDS_ASK_DELETE           7052
#define IDS_ASK_OVERWRITE        7053
#define IDS_ASK_EXIT             7055
#define IDS_ASK_ALREADY_OPEN     7056
#define IDS_ASK_CLOSE_INSTANCE   7057
#define IDS_ASK_CLAMP            7058

/* Search and replace: question, report, list caption and column titles */
#define IDS_ASK_REPLACE_LENGTH   7401
#define IDS_REPLACED_COUNT       7402
#define IDS_FIND_ALL_CAPTION     7403
#define IDS_COL_MATCH            7404
#define IDS_COL_ROW_TEXT         7405
/* Captions of the progress window of the dialog's searches */
#define IDS_PROGRESS_SEARCH      7406
#define IDS_PROGRESS_FIND_ALL    7407
#define IDS_PROGRESS_REPLACE_ALL 7408
/* Kinds of search beside the inspector's number names */
#define IDS_KIND_UTF16LE         7409
#define IDS_KIND_UTF16BE         7410
#define IDS_KIND_UTF8            7411

/* Hex paste past the end of the document */
#define IDS_ASK_PASTE_PAST_END   7471

/* Stepping through the differences of the last compare */
#define IDS_FMT_DIFFERENCE_STATUS 7451
/* Tabs of the panes beside the view */
#define IDS_PANE_INSPECTOR       7461
#define IDS_PANE_STRUCTURE       7462
/* The structure pane: its button and the filter of its file dialog */
#define IDS_STRUCTURE_OPEN       7463
#define IDS_STRUCTURE_FILTER     7464
/* Texts the program formats or shows outside dialogs */
#define IDS_FMT_FILE_STATUS      7091
#define IDS_FILTER_ALL_FILES     7092
#define IDS_COL_ADDRESS          7093
#define IDS_COL_NIBBLE           7094
#define IDS_COL_VALUE            7095
#define IDS_COL_SOURCE           7096
#define IDS_COL_TARGET           7097
#define IDS_FMT_VERSION          7098

/* Texts of the hex clipboard commands and the checksums */
#define IDS_FMT_CHECKSUM_RANGE   7351
#define IDS_CHECKSUM_CAPTION     7355

/* Colour slot names 7201..7214 (slot = id - 7201) */
#define IDS_COLOR_FIRST          7201
#define IDS_COLOR_CARET_DUMP     7201
#define IDS_COLOR_CARET_ASCII    7202
#define IDS_COLOR_CHANGED_TEXT   7203
#define IDS_COLOR_MARK_BACK      7204
#define IDS_COLOR_MARK_TEXT      7205
#define IDS_COLOR_MARK_CHANGED   7206
#define IDS_COLOR_SELECTION_BACK 7207
#define IDS_COLOR_SELECTION_TEXT 7208
#define IDS_COLOR_NORMAL_BACK    7209
#define IDS_COLOR_NORMAL_TEXT    7210
#define IDS_COLOR_LABEL_BACK     7211
#define IDS_COLOR_LABEL_TEXT     7212
#define IDS_COLOR_LABEL_BORDER   7213
#define IDS_COLOR_SEARCH_FRAME   7214

/* Data inspector: row names 7301..7321 (row = id - 7301), column heads, value marks */
#define IDS_INSPECT_LABEL_FIRST  7301
#define IDS_INSPECT_BINARY       7301
#define IDS_INSPECT_INT8         7302
#define IDS_INSPECT_UINT8        7303
#define IDS_INSPECT_INT16        7304
#define IDS_INSPECT_UINT16       7305
#define IDS_INSPECT_INT32        7306
#define IDS_INSPECT_UINT32       7307
#define IDS_INSPECT_INT64        7308
#define IDS_INSPECT_UINT64       7309
#define IDS_INSPECT_FLOAT32      7310
#define IDS_INSPECT_FLOAT64      7311
#define IDS_INSPECT_SHIFT_JIS    7312
#define IDS_INSPECT_UTF8         7313
#define IDS_INSPECT_UTF16        7314
#define IDS_INSPECT_TIME32       7315
#define IDS_INSPECT_TIME64       7316
#define IDS_INSPECT_FILETIME     7317
#define IDS_INSPECT_DOS_TIME     7318
#define IDS_INSPECT_OLE_DATE     7319
#define IDS_INSPECT_GUID         7320
#define IDS_INSPECT_COLORREF     7321
#define IDS_INSPECT_LITTLE       7331
#define IDS_INSPECT_BIG          7332
#define IDS_INSPECT_PAST_END     7333
#define IDS_INSPECT_INVALID      7334
#define IDS_INSPECT_OUT_OF_RANGE 7335

/* Structure templates: messages 8171..8199 */
#define IDS_TEMPLATE_BAD_CHARACTER     8171
#define IDS_TEMPLATE_UNCLOSED_STRING   8172
#define IDS_TEMPLATE_UNCLOSED_COMMENT  8173
#define IDS_TEMPLATE_BAD_NUMBER        8174
#define IDS_TEMPLATE_EXPECTED          8175
#define IDS_TEMPLATE_UNKNOWN_TYPE      8176
#define IDS_TEMPLATE_DUPLICATE_NAME    8177
#define IDS_TEMPLATE_TOO_DEEP          8178
#define IDS_TEMPLATE_EXPECTED_NAME     8179
#define IDS_TEMPLATE_EXPECTED_NUMBER   8180
#define IDS_TEMPLATE_EXPECTED_VALUE    8181
#define IDS_TEMPLATE_EXPECTED_TEXT     8182
#define IDS_TEMPLATE_BAD_LENGTH        8183
#define IDS_TEMPLATE_PAST_END          8184
#define IDS_TEMPLATE_DIVISION_BY_ZERO  8185
#define IDS_TEMPLATE_OVERFLOW          8186
#define IDS_TEMPLATE_UNKNOWN_NAME      8187
#define IDS_TEMPLATE_NOT_A_NUMBER      8188
#define IDS_TEMPLATE_NEGATIVE_COUNT    8189
#define IDS_TEMPLATE_NESTED_TOO_DEEP   8190
#define IDS_TEMPLATE_TOO_MUCH_WORK     8191
#define IDS_TEMPLATE_EMPTY_ELEMENT     8192
#define IDS_TEMPLATE_NOT_EDITABLE      8193
#define IDS_TEMPLATE_BAD_VALUE         8194
#define IDS_TEMPLATE_TEXT_TOO_LONG     8195
#define IDS_TEMPLATE_ERROR_AT          8196
#define IDS_TEMPLATE_UNKNOWN_FUNCTION  8197

/* Error messages */
#define IDS_ERR_NOT_FOUND        8001
#define IDS_ERR_EMPTY_FILE       8002
#define IDS_ERR_INVALID_TEXT     8003
#define IDS_ERR_TOO_LONG         8005
#define IDS_ERR_NO_SELECTION     8006
#define IDS_ERR_SAME_FILE        8011
#define IDS_ERR_PAST_END         8121
#define IDS_ERR_NO_ROOM          8151
#define IDS_ERR_WOULD_EMPTY      8152
#define IDS_ERR_TOO_MANY_CHANGES 8153
#define IDS_ERR_DOCUMENT_TOO_LARGE 8161
#define IDS_ERR_FILE_TOO_LARGE   8162
#define IDS_ERR_SYSTEM_CODE      8163

/* Editing without limits: messages 8164..8170, the fill prompt */
#define IDS_ERR_OUT_OF_MEMORY    8164
#define IDS_ASK_SAVE_FOR_LIMITS  8165
#define IDS_HISTORY_MENU_PLAIN   8166
#define IDS_HISTORY_MENU_KEY     8167
#define IDS_PROMPT_FILL          7481

/* Tooltips: command id + 10000 */
#define IDS_TIP_OFFSET           10000
#define IDS_TIP_OPEN             11101
#define IDS_TIP_SAVE             11105
#define IDS_TIP_PRINT            11111
#define IDS_TIP_UNDO             11201
#define IDS_TIP_COPY             11202
#define IDS_TIP_PASTE            11203
#define IDS_TIP_MARK             11215
#define IDS_TIP_NEXT_MARK        11216
#define IDS_TIP_JUMP             11218
#define IDS_TIP_FIND             11225
#define IDS_TIP_FIND_NEXT        11226
#define IDS_TIP_NUMBER_CONV      11312

/* System-menu help: the ids equal the system command codes */
#define IDS_SC_SIZE              61440
#define IDS_SC_MOVE              61456
#define IDS_SC_MINIMIZE          61472
#define IDS_SC_MAXIMIZE          61488
#define IDS_SC_NEXTWINDOW        61504
#define IDS_SC_PREVWINDOW        61520
#define IDS_SC_CLOSE             61536
#define IDS_SC_RESTORE           61728
#define IDS_SC_TASKLIST          61744

/* Help contexts of MOXEL.CHM (its [MAP] section holds the same numbers) */
#define IDH_OPTIONS              1011
#define IDH_INSPECTOR            1041
#define IDH_STRUCTURE            1061
#define IDH_TEMPLATES            1051
#define IDH_REPLACE              1031

/* Private frame message: open the command-line file */
#define MSG_OPEN_PENDING         5345

#endif
