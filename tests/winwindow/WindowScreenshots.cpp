// Draws the Windows window's pictures into a folder (make screenshots-windows): the main window
// at start, each page with a display connected, the progress window and the About box. Run
// under Wine with Xvfb against the harness's stand-in controller (WindowLine.h).
#include "WindowCapture.h"
#include "WindowRig.h"

#include "winwindow/app/AppResources.h"
#include "winwindow/widgets/WindowMessages.h"

#include <commctrl.h>

#include <cstdio>
#include <string>

int main(int argc, char* argv[])
{
    const std::string folder = argc > 1 ? argv[1] : ".";
    int failures = 0;
    const auto save = [&](HWND window, const char* name) {
        const std::string path = folder + "\\" + name;
        if (window == nullptr || !SaveWindowPicture(window, path)) {
            std::fprintf(stderr, "could not draw %s\n", name);
            ++failures;
        } else {
            std::printf("%s\n", name);
        }
    };
    CWindowRig rig;
    rig.Run([&](CWindowRig& rig) {
        const HWND main = rig.Main();
        save(main, "main-start.png");
        PostMessageW(main, WM_SYSCOMMAND, IDM_QVX_ABOUT, 0);
        if (HWND about = rig.WaitForWindow("About QVXFirmInstaller")) {
            save(about, "about.png");
            CWindowRig::Answer(about, IDOK);
            CWindowRig::WaitUntilGone(about);
        }
        if (!rig.AutoConnect(1, 1))
            ++failures;
        const char* pages[] = {"page-actions.png", "page-firmware.png", "page-configuration.png",
                               "page-verification.png", "page-system.png"};
        for (int index = 0; index < 5; ++index) {
            rig.OnWindowThread([&] {
                const HWND tabs = GetDlgItem(main, IDC_TABS);
                TabCtrl_SetCurSel(tabs, index);
                NMHDR change{tabs, IDC_TABS, static_cast<UINT>(TCN_SELCHANGE)};
                SendMessageW(main, WM_NOTIFY, IDC_TABS, reinterpret_cast<LPARAM>(&change));
            });
            save(main, pages[index]);
        }
        PostMessageW(main, winmsg::kDownloadFirmware, 0, 0);
        if (HWND progress = rig.WaitForWindow("Communicating")) {
            const HWND bar = GetDlgItem(progress, IDC_PROGRESS_BAR);
            CWindowRig::WaitUntil([&] { return SendMessageW(bar, PBM_GETPOS, 0, 0) > 30; });
            save(progress, "progress.png");
            CWindowRig::Click(progress, IDC_PROGRESS_ABORT);
            CWindowRig::WaitUntilGone(progress);
        }
    });
    return failures == 0 ? 0 : 1;
}
