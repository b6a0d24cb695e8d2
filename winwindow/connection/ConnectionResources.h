#pragma once
// Resource ids of the "Sable 2200 Actions" and "System" pages (connection/Connection.rc).

#define IDD_QVX_ACTIONS_PAGE 110
#define IDD_QVX_SYSTEM_PAGE 111

// "Sable 2200 Actions".
#define IDC_START_PATTERN 1007
#define IDC_PATTERNS 1008
#define IDC_STOP_PATTERN 1009
#define IDC_CONFIG_LIST 1019
#define IDC_STATUS_LIST 1020

// "System".
#define IDC_RESET_DISPLAY 1017
#define IDC_MEMORY_CLEANUP 1039
#define IDC_SET_TIME_DATE 1047
