#include "winwindow/update/DlgConfigDownload.h"

#include "winwindow/update/UpdateResources.h"

bool CDlgConfigDownload::Create(HWND pageArea, HWND notify)
{
    return CreatePage(pageArea, notify, IDD_QVX_CONFIG_PAGE);
}

bool CDlgConfigDownload::OnInitDialog()
{
    return false;
}

void CDlgConfigDownload::EnablePage(bool) {}
void CDlgConfigDownload::Refill() {}
std::string CDlgConfigDownload::SelectedTimeZone() const { return {}; }
void CDlgConfigDownload::OnCommand(int, int, HWND) {}
