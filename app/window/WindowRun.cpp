#include "app/window/WindowRun.h"

#include "app/PellworthTestApp.h"
#include "app/window/AboutBox.h"
#include "app/window/DlgPellworthTestApp.h"

#include <QApplication>

#include <mutex>

namespace {

// The running application, for QuitMainWindow from another thread.
std::mutex g_runningLock;
QApplication* g_running = nullptr;

// Gives the core back to the console before the window goes, so no late call reaches it.
class CViewLease {
public:
    CViewLease(CPellworthTestApp& app, IInstallerView& view) : m_app(app) { m_app.UseView(view); }
    ~CViewLease() { m_app.UseConsoleView(); }
    CViewLease(const CViewLease&) = delete;
    CViewLease& operator=(const CViewLease&) = delete;

private:
    CPellworthTestApp& m_app;
};

} // namespace

int RunMainWindow(int& argc, char** argv, CPellworthTestApp& app)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QVXFirmInstaller"));
    QApplication::setWindowIcon(MakeAppIcon());
    {
        std::lock_guard guard(g_runningLock);
        g_running = &application;
    }
    // A stop signal that came while Qt started found no window to close: the run ends here.
    if (app.GetCore().IsInterrupted()) {
        std::lock_guard guard(g_runningLock);
        g_running = nullptr;
        return 0;
    }

    CPellworthCmdLineInfo& cmd = app.GetCmdLineInfo();
    WindowParts parts{app.GetCore(), app.GetFirmware(), app.GetConfig(), false, std::string(), BaudChoice{}, {}, {}};
    parts.bAutoJob = cmd.IsAuto();
    parts.strDisplaysFile = cmd.GetDisplaysFilePath();
    parts.strDisplaysAsGiven = cmd.GetDisplaysFileAsGiven();
    parts.strDisplaysLookedAt = cmd.GetDisplaysFileLookedAt();
    parts.baud = BaudChoice{cmd.IsBaudGiven(), cmd.GetBaudRate()};
    {
        CDlgPellworthTestApp window(parts);
        CViewLease lease(app, window);
        window.exec();
    }

    std::lock_guard guard(g_runningLock);
    g_running = nullptr;
    return 0;
}

void QuitMainWindow()
{
    std::lock_guard guard(g_runningLock);
    if (g_running)
        QMetaObject::invokeMethod(g_running, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}
