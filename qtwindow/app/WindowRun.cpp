#include "qtwindow/app/WindowRun.h"

#include "app/ExitStatus.h"
#include "app/PellworthTestApp.h"
#include "qtwindow/app/AboutBox.h"
#include "qtwindow/app/DlgPellworthTestApp.h"

#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace {

const char kNeedNone[] = "; -s, -ping, -info and the display actions need none (see --help).";

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// Whether the named platform plugin (a QT_QPA_PLATFORM entry, options after ':') has the display
// server it talks to. Plugins that need none (offscreen, vnc, eglfs, ...) are left to Qt.
bool PlatformHasServer(std::string_view entry)
{
    const std::string_view name = entry.substr(0, entry.find(':'));
    if (name == "xcb")
        return !Environment("DISPLAY").empty();
    if (name.substr(0, 7) == "wayland") {
        if (!Environment("WAYLAND_DISPLAY").empty())
            return true;
        const std::string runtime = Environment("XDG_RUNTIME_DIR");
        std::error_code ignored;
        return !runtime.empty() && std::filesystem::exists(std::filesystem::path(runtime) / "wayland-0", ignored);
    }
    return !name.empty();
}

// Why no window can be opened here, or empty. Qt ends the process when no platform plugin starts,
// so the plain cases (a session over ssh, a service) are told before it is asked.
std::string MissingDisplayServer()
{
#if defined(__unix__) && !defined(__APPLE__)
    const std::string platforms = Environment("QT_QPA_PLATFORM");
    if (platforms.empty()) {
        if (!Environment("DISPLAY").empty() || !Environment("WAYLAND_DISPLAY").empty())
            return {};
        return "the window needs a display server, and none is set (DISPLAY and WAYLAND_DISPLAY are empty)";
    }
    // Qt tries a list such as "wayland;xcb" in order.
    for (std::size_t from = 0; from <= platforms.size();) {
        const std::size_t end = std::min(platforms.find(';', from), platforms.size());
        if (PlatformHasServer(std::string_view(platforms).substr(from, end - from)))
            return {};
        from = end + 1;
    }
    return "the window needs a display server, and none is set for QT_QPA_PLATFORM=" + platforms;
#else
    return {};
#endif
}

// While Qt starts: its fatal message (no platform plugin could start, a display that does not
// answer) becomes one line and exit status 2 instead of an abort; other messages are held and
// handed on once Qt has started.
struct HeldMessage {
    QtMsgType type;
    std::string category;
    QString text;
};
std::mutex g_startLock;
QtMessageHandler g_previousHandler = nullptr;
std::vector<HeldMessage> g_held;

void OnStartMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg) {
        const std::string platforms = Environment("QT_QPA_PLATFORM");
        const std::string display = Environment("DISPLAY");
        std::fprintf(stderr, "qvxfirminstaller: the window cannot be opened: Qt could not start a platform plugin "
                             "(QT_QPA_PLATFORM=%s, DISPLAY=%s)%s\n",
                     platforms.empty() ? "(not set)" : platforms.c_str(), display.empty() ? "(not set)" : display.c_str(),
                     kNeedNone);
        std::fflush(stderr);
        std::_Exit(exitstatus::kUsage);
    }
    std::lock_guard guard(g_startLock);
    g_held.push_back({type, context.category != nullptr ? context.category : "", text});
}

// Holds Qt's messages for its lifetime, then hands them to the handler there was before.
class CStartMessages {
public:
    CStartMessages() { g_previousHandler = qInstallMessageHandler(OnStartMessage); }
    ~CStartMessages()
    {
        qInstallMessageHandler(g_previousHandler);
        std::vector<HeldMessage> held;
        {
            std::lock_guard guard(g_startLock);
            held.swap(g_held);
        }
        for (const HeldMessage& message : held) {
            const QMessageLogContext context(nullptr, 0, nullptr, message.category.c_str());
            if (g_previousHandler != nullptr)
                g_previousHandler(message.type, context, message.text);
        }
    }
    CStartMessages(const CStartMessages&) = delete;
    CStartMessages& operator=(const CStartMessages&) = delete;
};

std::unique_ptr<QApplication> StartQt(int& argc, char** argv)
{
    CStartMessages hold;
    return std::make_unique<QApplication>(argc, argv);
}

// The running application, for QuitMainWindow from another thread.
std::mutex g_runningLock;
QApplication* g_running = nullptr;

} // namespace

int RunMainWindow(int& argc, char** argv, CPellworthTestApp& app, std::ostream& err)
{
    const std::string missing = MissingDisplayServer();
    if (!missing.empty()) {
        err << "qvxfirminstaller: " << missing << kNeedNone << "\n";
        return exitstatus::kUsage;
    }
    const std::unique_ptr<QApplication> started = StartQt(argc, argv);
    QApplication& application = *started;
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

    const WindowParts parts = WindowPartsOf(app);
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
