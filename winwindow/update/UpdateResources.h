#pragma once
// Resource ids of the "Download Firmware" and "Download Configuration" pages and the "Download
// Configuration" dialog (update/Update.rc).

#define IDD_QVX_FIRMWARE_PAGE 120
#define IDD_QVX_CONFIG_PAGE 121
#define IDD_QVX_CONFIG_DOWNLOAD 122

// "Download Firmware".
#define IDC_FW_CURRENT 1201
#define IDC_FW_CURRENT_MODIFIED 1202
#define IDC_FW_RECOMMENDED 1203
#define IDC_FW_RECOMMENDED_MODIFIED 1204
#define IDC_FW_OTHER 1205
#define IDC_FW_PATH 1206
#define IDC_FW_BROWSE 1207
#define IDC_FW_FILE_CHECK 1208
#define IDC_FW_DOWNLOAD 1209

// "Download Configuration" page.
#define IDC_CFG_FILTERS 1220
#define IDC_CFG_TYPES 1221
#define IDC_CFG_TIME_ZONES 1222
#define IDC_CFG_CHECK 1223
#define IDC_CFG_FILE_GROUP 1224
#define IDC_CFG_TEMPLATE_LABEL 1225
#define IDC_CFG_TEMPLATE 1226

// "Download Configuration" dialog; its buttons are IDOK and IDCANCEL.
#define IDC_DL_FILTERS 1240
#define IDC_DL_TYPES 1241
#define IDC_DL_TIME_ZONES 1242
