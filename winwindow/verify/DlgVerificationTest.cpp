#include "winwindow/verify/DlgVerificationTest.h"

#include "winwindow/verify/VerifyResources.h"
#include "winwindow/widgets/WindowMessages.h"

bool CDlgVerificationTest::Create(HWND pageArea, HWND notify)
{
    return CreatePage(pageArea, notify, IDD_QVX_VERIFICATION_PAGE);
}

bool CDlgVerificationTest::OnInitDialog()
{
    EnablePage(false);
    return false;
}

void CDlgVerificationTest::EnablePage(bool enable)
{
    EnableItems({IDC_START_WIZARD}, enable);
}

void CDlgVerificationTest::OnCommand(int id, int code, HWND)
{
    if (id == IDC_START_WIZARD && code == BN_CLICKED)
        Notify(winmsg::kStartWizard);
}
