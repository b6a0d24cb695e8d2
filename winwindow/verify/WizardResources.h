#pragma once
// Resource ids of the verification test wizard's pages (verify/Wizard.rc).

#define IDD_QVX_WIZ_NOT_STANDARD 200
#define IDD_QVX_WIZ_MSG_ONE 201
#define IDD_QVX_WIZ_MSG_ONE_CHECK 202
#define IDD_QVX_WIZ_MSG_TWO 203
#define IDD_QVX_WIZ_MSG_TWO_CHECK 204
#define IDD_QVX_WIZ_FACTORY 205

// The not-standard page.
#define IDC_NOT_STANDARD_INTRO 1201
#define IDC_STANDARD_DISPLAYS 1202
#define IDC_NOT_STANDARD_CHOICES 1203

// The two send pages.
#define IDC_MSG_ONE_INTRO 1211
#define IDC_MSG_ONE_LINES 1212
#define IDC_SEND_MSG_ONE 1213
#define IDC_MSG_TWO_INTRO 1221
#define IDC_STORE_LINE 1222
#define IDC_STORE_NUMBER 1223
#define IDC_DATE_LINE 1224
#define IDC_TEMPERATURE_LINE 1225
#define IDC_SEND_MSG_TWO 1226

// The two check pages (the same ids on both).
#define IDC_CHECK_TEXT 1231
#define IDC_CHECK_PICTURE 1232
#define IDC_CHECK_NOTE 1233

// The factory page.
#define IDC_FACTORY_INTRO 1241
#define IDC_FACTORY_MESSAGES 1242
#define IDC_HOLD_TIME_LABEL 1243
#define IDC_HOLD_TIME 1244
#define IDC_HOLD_TIME_SPIN 1245
#define IDC_HOLD_UNIT 1246
#define IDC_HOLD_TIME_NOTE 1247
#define IDC_FACTORY_WARNING 1248
#define IDC_FACTORY_WARNING_TEXT 1249
#define IDC_RESTORE 1250
