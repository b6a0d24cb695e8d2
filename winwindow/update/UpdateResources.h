#pragma once
// Resource ids of the "Download Firmware" and "Download Configuration" pages and the "Download
// Configuration" dialog (update/Update.rc).

#define IDD_QVX_FIRMWARE_PAGE 120
#define IDD_QVX_CONFIG_PAGE 121
#define IDD_QVX_CONFIG_DOWNLOAD 122
