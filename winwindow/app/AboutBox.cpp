#include "winwindow/app/AboutBox.h"

#include "app/Version.h"
#include "winwindow/app/AppResources.h"
#include "winwindow/widgets/Dialog.h"
#include "winwindow/widgets/WinText.h"

#include <cstdio>

namespace {

class CAboutBox final : public CDialog {
private:
    bool OnInitDialog() override
    {
        SetItemText(Hwnd(), IDC_ABOUT_VERSION, AboutVersionLine());
        return true;
    }
    void OnCommand(int id, int, HWND) override
    {
        if (id == IDOK || id == IDCANCEL)
            End(id);
    }
};

} // namespace

std::string AboutVersionLine()
{
    char line[128];
    std::snprintf(line, sizeof line, "%s-- Version %s", "QVXFirmInstaller", ToolVersion());
    return line;
}

void RunAboutBox(HWND owner)
{
    CAboutBox box;
    box.RunModal(owner, IDD_QVX_ABOUT);
}
