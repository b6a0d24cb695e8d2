#pragma once
// Resource ids of the main window, the progress window and the About box (app/App.rc). Control
// ids of the main window are those the tool's dialogs have always had.

#define IDI_QVX_APP 1
#define IDD_QVX_MAIN 100
#define IDD_QVX_PROGRESS 101
#define IDD_QVX_ABOUT 102

// Main window.
#define IDC_AUTO_CONNECT 1000
#define IDC_DISCONNECT 1001
#define IDC_ADDRESS 1002
#define IDC_ADDRESS_SPIN 1004
#define IDC_COM_PORTS 1005
#define IDC_MESSAGES 1006
#define IDC_LOOP_START 1017
#define IDC_LOOP_RESULT 1018
#define IDC_PAGE_FRAME 1025
#define IDC_TABS 1026
#define IDC_LOOP_TYPE 1056
#define IDC_LOOP_CANCEL 1057
#define IDC_LOOP_PROGRESS 1058
// The system menu's About command.
#define IDM_QVX_ABOUT 16

// Progress window.
#define IDC_PROGRESS_TEXT 1011
#define IDC_PROGRESS_FRAME 1012
#define IDC_PROGRESS_ABORT 1017
#define IDC_PROGRESS_BAR 5673

// About box.
#define IDC_ABOUT_ICON 1100
#define IDC_ABOUT_VERSION 1101
