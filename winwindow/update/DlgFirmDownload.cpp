#include "winwindow/update/DlgFirmDownload.h"

#include "winwindow/update/UpdateResources.h"

bool CDlgFirmDownload::Create(HWND pageArea, HWND notify)
{
    return CreatePage(pageArea, notify, IDD_QVX_FIRMWARE_PAGE);
}

bool CDlgFirmDownload::OnInitDialog()
{
    return false;
}

void CDlgFirmDownload::EnablePage(bool) {}
void CDlgFirmDownload::SetCurrentFirmware(const std::string&) {}
void CDlgFirmDownload::SetRecommendedFirmware(const std::string&) {}
void CDlgFirmDownload::ShowFileCheck(const std::string&) {}
bool CDlgFirmDownload::IsOtherFirmware() const { return false; }
std::string CDlgFirmDownload::FirmwarePath() const { return {}; }
std::string CDlgFirmDownload::FirmwareName() const { return {}; }
void CDlgFirmDownload::OnCommand(int, int, HWND) {}
