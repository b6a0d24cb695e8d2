// Pictures of the verification test wizard's pages on Windows, run under Wine with a display:
//
//   qvx_win_wizard_screenshots <folder>
//
// writes wizard-<n>-<page>.png: the run on a standard 32 x 80 monochrome display (both messages
// sent, the factory messages restored), over a core without a connection whose last STATUS.XML
// said 21 C; then the pages a display that is not standard adds or changes, and a hold time
// refused. Exit status 0 when every picture was written.
#include "WindowCapture.h"

#include "connection/InstallerCore.h"
#include "connection/InstallerView.h"
#include "winwindow/verify/VerificationTestWizard.h"
#include "winwindow/verify/WizardResources.h"
#include "winwindow/widgets/Dialog.h"
#include "winwindow/widgets/UiCalls.h"

#include <commctrl.h>

#include <cstdio>
#include <string>

namespace {

void Pump()
{
    MSG msg;
    for (int round = 0; round < 1000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++round) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

class CShots {
public:
    explicit CShots(std::string folder) : m_folder(std::move(folder)) {}

    void Save(HWND sheet, const char* page)
    {
        Pump();
        const std::string name = "wizard-" + std::to_string(++m_nNumber) + "-" + page + ".png";
        if (!SaveWindowPicture(sheet, m_folder + "\\" + name)) {
            std::fprintf(stderr, "could not draw %s\n", name.c_str());
            m_bFailed = true;
        } else {
            std::printf("%s\n", name.c_str());
        }
    }
    bool Failed() const { return m_bFailed; }

private:
    std::string m_folder;
    int m_nNumber = 0;
    bool m_bFailed = false;
};

void Click(HWND page, int id)
{
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    Pump();
}

void Next(HWND sheet)
{
    PropSheet_PressButton(sheet, PSBTN_NEXT);
    Pump();
}

void Type(HWND page, int id, const char* keys)
{
    for (const char* key = keys; *key != '\0'; ++key)
        SendDlgItemMessageW(page, id, WM_CHAR, static_cast<unsigned char>(*key), 0);
    Pump();
}

void StandardRun(CUiCalls& calls, CInstallerCore& core, CShots& shots)
{
    CVerificationTestWizard wizard(calls, core, 1, VerificationDisplay{80, 32, 6, false, false});
    wizard.Run(nullptr, [&](HWND sheet) {
        Pump();
        shots.Save(sheet, "message-one");
        Click(wizard.PageWindow(CVerificationTestWizard::MessageOnePage), IDC_SEND_MSG_ONE);
        shots.Save(sheet, "message-one-check");
        Next(sheet);
        HWND two = wizard.PageWindow(CVerificationTestWizard::MessageTwoPage);
        Type(two, IDC_STORE_NUMBER, "4711");
        shots.Save(sheet, "message-two");
        Click(two, IDC_SEND_MSG_TWO);
        shots.Save(sheet, "message-two-check");
        Next(sheet);
        shots.Save(sheet, "factory");
        Click(wizard.PageWindow(CVerificationTestWizard::FactoryPage), IDC_RESTORE);
        shots.Save(sheet, "factory-restored");
        PropSheet_PressButton(sheet, PSBTN_FINISH);
    });
}

void NotStandardRun(CUiCalls& calls, CInstallerCore& core, CShots& shots)
{
    CVerificationTestWizard wizard(calls, core, 1, VerificationDisplay{144, 48, 6, false, false});
    wizard.Run(nullptr, [&](HWND sheet) {
        Pump();
        shots.Save(sheet, "not-standard");
        PropSheet_SetCurSel(sheet, nullptr, 5);
        Pump();
        HWND factory = wizard.PageWindow(CVerificationTestWizard::FactoryPage);
        SetDlgItemTextW(factory, IDC_HOLD_TIME, L"2000");
        shots.Save(sheet, "factory-not-standard-refused");
        PropSheet_PressButton(sheet, PSBTN_CANCEL);
    });
}

} // namespace

int main(int argc, char* argv[])
{
    const std::string folder = argc > 1 ? argv[1] : ".";
    InitWindowControls();
    CNoView view; // jobs inline, nothing shown
    CInstallerCore core(view);
    {
        auto hold = core.Session().HoldLink();
        core.Session().StatusDoc().SetDocument(R"(<STATUS temp="21"><TIME zn="0" dsta="0"/></STATUS>)");
    }
    CUiCalls calls;
    CShots shots(folder);
    StandardRun(calls, core, shots);
    NotStandardRun(calls, core, shots);
    return shots.Failed() ? 1 : 0;
}
