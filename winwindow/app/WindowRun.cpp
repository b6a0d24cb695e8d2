#include "winwindow/app/WindowRun.h"

#include "app/PellworthTestApp.h"
#include "app/WindowParts.h"
#include "winwindow/app/DlgPellworthTestApp.h"
#include "winwindow/widgets/Dialog.h"
#include "winwindow/widgets/UiCalls.h"

#include <commctrl.h>

#include <mutex>

namespace {

// The running window, for QuitMainWindow from another thread.
std::mutex g_runningLock;
HWND g_running = nullptr;

// A console window opened only for this program (a start from Explorer) goes: the window is the
// program. A console the program was started from (cmd, a script) stays.
void LeaveOwnConsole()
{
    DWORD processes[2] = {};
    if (GetConsoleWindow() != nullptr && GetConsoleProcessList(processes, 2) == 1)
        FreeConsole();
}

} // namespace

int RunMainWindow(CPellworthTestApp& app)
{
    InitWindowControls();
    LeaveOwnConsole();
    // A stop signal that came before the window was up found nothing to close: the run ends here.
    if (app.GetCore().IsInterrupted())
        return 0;

    CUiCalls calls;
    int status = 0;
    {
        CDlgPellworthTestApp window(WindowPartsOf(app), calls);
        CViewLease lease(app, window);
        status = window.Run([](HWND opened) {
            std::lock_guard guard(g_runningLock);
            g_running = opened;
        });
        std::lock_guard guard(g_runningLock);
        g_running = nullptr;
    }
    calls.Close();
    return status;
}

void QuitMainWindow()
{
    std::lock_guard guard(g_runningLock);
    if (g_running != nullptr)
        PostMessageW(g_running, WM_CLOSE, 0, 0);
}
