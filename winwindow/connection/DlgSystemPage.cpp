#include "winwindow/connection/DlgSystemPage.h"

#include "winwindow/connection/ConnectionResources.h"
#include "winwindow/widgets/WindowMessages.h"

namespace {
const wchar_t kCleanupQuestion[] = L"This process may take several minutes.\nDo you want to continue?";
} // namespace

bool CDlgSystemPage::Create(HWND pageArea, HWND notify)
{
    return CreatePage(pageArea, notify, IDD_QVX_SYSTEM_PAGE);
}

bool CDlgSystemPage::OnInitDialog()
{
    EnablePage(false);
    return false;
}

void CDlgSystemPage::EnablePage(bool enable)
{
    EnableItems({IDC_RESET_DISPLAY, IDC_MEMORY_CLEANUP, IDC_SET_TIME_DATE}, enable);
}

void CDlgSystemPage::OnCommand(int id, int code, HWND)
{
    if (code != BN_CLICKED)
        return;
    switch (id) {
    case IDC_RESET_DISPLAY:
        Notify(winmsg::kResetDisplay);
        break;
    case IDC_MEMORY_CLEANUP:
        // The cleanup ends the connection and keeps the controller busy: the operator confirms first.
        if (MessageBoxW(GetAncestor(Hwnd(), GA_ROOT), kCleanupQuestion, L"QVXFirmInstaller",
                        MB_YESNO | MB_ICONQUESTION) == IDYES)
            Notify(winmsg::kMemoryCleanup);
        break;
    case IDC_SET_TIME_DATE:
        Notify(winmsg::kSetTimeDate);
        break;
    default:
        break;
    }
}
