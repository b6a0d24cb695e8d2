// Renders the README's pictures of the window: the main window on each page after a connect to the
// stand-in controller, at the size it opens at on a 1024 x 600 screen (1000 x 560 inside its frame),
// and once in the least room such a screen gives with a task bar (1000 x 520); the progress window
// while connecting and during a firmware transfer, the About box and the "Download Configuration" dialog. Run on the
// offscreen platform: qvx_window_screenshots <folder>.
#include "app/PellworthTestApp.h"
#include "qtwindow/app/AboutBox.h"
#include "qtwindow/app/DlgPellworthTestApp.h"
#include "sim/SignSim.h"
#include "qtwindow/update/ConfigDownloadDialog.h"
#include "qtwindow/update/DlgFirmDownload.h"
#include "qtwindow/update/DlgProgress.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdlib>
#include <iostream>
#include <sstream>

namespace {

bool Save(QWidget& widget, const QDir& folder, const QString& name)
{
    QApplication::processEvents();
    const QString path = folder.filePath(name);
    if (!widget.grab().save(path)) {
        std::cerr << "could not write " << path.toStdString() << "\n";
        return false;
    }
    std::cout << path.toStdString() << "\n";
    return true;
}

bool StartDisplay(qvxsim::SignSim& sim, int com, unsigned char address, const std::string& firmware)
{
    qvxsim::PortConfig config;
    config.comNumber = com;
    config.baud = 115200;
    qvxsim::ControllerConfig controller;
    controller.address = address;
    controller.behaviour.rebootMs = 0;
    controller.settings.firmwareVersion = firmware;
    config.controllers.push_back(controller);
    std::string error;
    if (!sim.AddPort(config, &error)) {
        std::cerr << error << "\n";
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::cerr << "usage: qvx_window_screenshots <folder>\n";
        return 2;
    }
    QApplication application(argc, argv);
    QApplication::setWindowIcon(MakeAppIcon());
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.exists() && !QDir().mkpath(folder.path()))
        return 1;

    QTemporaryDir ports;
    ::setenv("QVX_PORT_DIR", ports.path().toLocal8Bit().constData(), 1);
    ::setenv("QVX_TIME_SCALE", "0.05", 1);
    qvxsim::SignSim sim(ports.path().toStdString());
    std::string error;
    if (!StartDisplay(sim, 1, 2, "FX40211-1.02.11") || !StartDisplay(sim, 3, 1, "FX40211-1.02.10") ||
        !sim.Start(&error))
        return 1;

    std::ostringstream out;
    CPellworthTestApp app({}, out, out);
    WindowParts parts{app.GetCore(), app.GetFirmware(), app.GetConfig(), false, std::string(), BaudChoice{}, {}, {}};
    CDlgPellworthTestApp window(parts);
    app.UseView(window);
    // The offscreen platform's screen is smaller than a laptop's: the size a 1024 x 600 screen gives.
    window.resize(1000, 560);
    window.show();

    // Every question is answered No, every box OK, as a technician looking around would.
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            QAbstractButton* button = box->button(QMessageBox::No) ? box->button(QMessageBox::No)
                                                                   : box->button(QMessageBox::Ok);
            if (button)
                button->click();
        }
    });
    answerer.start(10);

    bool ok = true;
    // The progress window while the connection tries its first rate: its longest line, whole.
    QTimer connecting;
    bool connectingGrabbed = false;
    QObject::connect(&connecting, &QTimer::timeout, [&] {
        CDlgProgress* progress = window.Progress();
        if (!progress || connectingGrabbed || !progress->Text().startsWith(QStringLiteral("Connecting with")))
            return;
        connectingGrabbed = true;
        ok = Save(*progress, folder, QStringLiteral("progress-connecting.png")) && ok;
    });
    connecting.start(5);
    window.findChild<QComboBox*>(QStringLiteral("1005"))->setCurrentText(QStringLiteral("COM3"));
    window.findChild<QPushButton*>(QStringLiteral("1000"))->click();
    connecting.stop();
    ok = connectingGrabbed && ok;
    auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("tabs"));
    const char* pages[] = {"main-actions.png", "main-firmware.png", "main-configuration.png",
                           "main-verification.png", "main-system.png"};
    for (int page = 0; page < tabs->count(); ++page) {
        tabs->setCurrentIndex(page);
        ok = Save(window, folder, QString::fromLatin1(pages[page])) && ok;
    }
    // The fullest page with a task bar taking its share of the screen.
    window.resize(1000, 520);
    tabs->setCurrentIndex(2);
    ok = Save(window, folder, QStringLiteral("main-small-screen.png")) && ok;
    window.resize(1000, 560);

    // The progress window a few blocks into a firmware transfer, then Abort.
    sim.SetLineTime(3, true);
    QTimer grabber;
    bool grabbed = false;
    QObject::connect(&grabber, &QTimer::timeout, [&] {
        CDlgProgress* progress = window.Progress();
        // A fifth of the way, so the bar shows.
        if (!progress || !progress->IsStepped() || grabbed || progress->Bar()->maximum() <= 0 ||
            progress->Bar()->value() < progress->Bar()->maximum() / 5)
            return;
        grabbed = true;
        ok = Save(*progress, folder, QStringLiteral("progress.png")) && ok;
        progress->AbortButton()->click();
    });
    grabber.start(10);
    tabs->setCurrentIndex(1);
    window.findChild<CDlgFirmDownload*>()->findChild<QPushButton*>(QStringLiteral("downloadFirmware"))->click();
    grabber.stop();
    ok = grabbed && ok;

    CAboutBox about(&window);
    about.show();
    ok = Save(about, folder, QStringLiteral("about.png")) && ok;
    about.close();

    const ConfigurationLists lists = app.GetConfig().DialogLists();
    CConfigDownload download(lists, &window);
    download.show();
    ok = Save(download, folder, QStringLiteral("configuration-dialog.png")) && ok;
    download.close();

    app.GetCore().Session().Disconnect();
    app.UseConsoleView();
    return ok ? 0 : 1;
}
