// The main window end to end: the real application pieces and the window on the offscreen platform,
// a stand-in controller on a pty. Buttons are pressed as an operator would; message boxes are
// answered by a watcher as they come up; the tests wait on the window's signals.
#include "app/PellworthTestApp.h"
#include "qtwindow/app/DlgPellworthTestApp.h"
#include "sim/TestElf.h"
#include "qtwindow/connection/SystemPage.h"
#include "sim/SignSim.h"
#include "qtwindow/update/ConfigDownloadDialog.h"
#include "qtwindow/update/DlgConfigDownload.h"
#include "qtwindow/update/DlgFirmDownload.h"
#include "qtwindow/update/DlgProgress.h"
#include "qtwindow/widgets/MessageList.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

constexpr int kPort = 3;
constexpr unsigned char kAddress = 1;
constexpr int kWaitMs = 20000;

const QString kFirmwareQuestion =
    QStringLiteral("You do not have the recommended firmware downloaded.\nDo you want to download it now?");
const QString kEastern = QStringLiteral("(GMT-05:00) Eastern Time (US & Canada);Bogota, Lima, Quito");
const QString kConfigQuestion = QStringLiteral(
    "The display configuration does not match the recommended settings.\nDo you want to update the display "
    "configuration?");

// Answers each modal box as it comes up, questions with `answer`, other boxes with their only
// button, and cancels the "Download Configuration" dialog; `seen` keeps what came up.
class CBoxAnswerer : public QObject {
public:
    CBoxAnswerer()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* dialog = qobject_cast<CConfigDownload*>(modal)) {
                seen << QStringLiteral("<Download Configuration>");
                dialogShowed = DialogState(*dialog);
                if (answer == QMessageBox::Yes && !rejectDialog)
                    dialog->findChild<QPushButton*>(QStringLiteral("downloadConfiguration"))->click();
                else
                    dialog->reject();
            } else if (auto* box = qobject_cast<QMessageBox*>(modal); box && box->isVisible()) {
                seen << box->text();
                if (QAbstractButton* button = box->button(box->button(QMessageBox::Yes) ? answer : QMessageBox::Ok))
                    button->click();
            }
        });
        m_timer.start(5);
    }
    QMessageBox::StandardButton answer = QMessageBox::No;
    bool rejectDialog = false; // cancel the dialog even when questions are answered Yes
    QStringList seen;
    // How the "Download Configuration" dialog came up: its selected type, time zone and button.
    QString dialogShowed;

private:
    static QString DialogState(const CConfigDownload& dialog)
    {
        const QList<QListWidgetItem*> types =
            dialog.findChild<QListWidget*>(QStringLiteral("desiredSignConfiguration"))->selectedItems();
        const bool download = dialog.findChild<QPushButton*>(QStringLiteral("downloadConfiguration"))->isEnabled();
        return (types.isEmpty() ? QStringLiteral("no type") : types.first()->text()) + QStringLiteral(" | ") +
               dialog.findChild<QComboBox*>(QStringLiteral("timeZone"))->currentText() +
               (download ? QStringLiteral(" | download on") : QStringLiteral(" | download off"));
    }

private:
    QTimer m_timer;
};

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        ::setenv("QVX_PORT_DIR", m_dir->path().toLocal8Bit().constData(), 1);
        ::setenv("QVX_TIME_SCALE", "0.02", 1);
        m_boxes = std::make_unique<CBoxAnswerer>();
    }

    void cleanup()
    {
        if (m_app) {
            m_app->GetCore().Session().Disconnect();
            m_app->UseConsoleView();
        }
        m_window.reset();
        m_app.reset();
        m_sim.reset();
        m_boxes.reset();
        ::unsetenv("QVX_TIME_SCALE");
        m_dir.reset();
    }

    // Ports listed and the first selected; after the connect the pages and Disconnect are enabled,
    // the connection controls not, the first page is showing and the older firmware was offered.
    void AutoConnectEndToEnd()
    {
        StartDisplay("FX40211-1.02.10");
        OpenWindow();
        auto* ports = Find<QComboBox>("1005");
        QCOMPARE(ports->count(), 1);
        QCOMPARE(ports->currentText(), QStringLiteral("COM3"));
        QVERIFY(!Find("1001")->isEnabled() && !Find("1007")->isEnabled());
        Find<QTabWidget>("tabs")->setCurrentIndex(4);

        Connect();
        QVERIFY(!Find("1000")->isEnabled() && !Find("loopStart1017")->isEnabled());
        QVERIFY(!Find<QLineEdit>("1002")->isEnabled());
        QVERIFY(Find("1007")->isEnabled());
        QVERIFY(m_window->findChild<CDlgSystemPage*>()->findChild<QPushButton*>("1017")->isEnabled());
        QCOMPARE(Find<QTabWidget>("tabs")->currentIndex(), 0);
        QCOMPARE(m_boxes->seen, (QStringList{kFirmwareQuestion, kConfigQuestion}));
        QVERIFY(HasLine(QStringLiteral("Connection established with S2200 Protocol at 115200 baud.")));
        const auto labels = m_window->findChild<CDlgFirmDownload*>()->findChildren<QLabel*>();
        QVERIFY(std::ranges::any_of(labels, [](QLabel* label) { return label->text() == "FX40211-1.02.10"; }));

        QTest::mouseClick(Find("1001"), Qt::LeftButton);
        QVERIFY(Find("1000")->isEnabled() && !Find("1007")->isEnabled());
        QCOMPARE(Lines().constLast(), QStringLiteral("Sign is disconnected..."));
        // The display that is gone leaves no version on the firmware page.
        QVERIFY(std::ranges::none_of(m_window->findChild<CDlgFirmDownload*>()->findChildren<QLabel*>(),
                                     [](QLabel* label) { return label->text() == "FX40211-1.02.10"; }));
    }

    // The port list is read again when it is opened and after a disconnect: a port that has come
    // appears, one that has gone is left out, and the chosen port stays chosen while it is there.
    void PortListIsReadAgain()
    {
        StartDisplay();
        OpenWindow();
        auto* ports = Find<QComboBox>("1005");
        const auto plug = [this](const char* name) { QFile(m_dir->filePath(QString::fromLatin1(name))).open(QIODevice::WriteOnly); };
        const auto unplug = [this](const char* name) { QFile::remove(m_dir->filePath(QString::fromLatin1(name))); };
        const auto listed = [ports] {
            QStringList names;
            for (int i = 0; i < ports->count(); ++i)
                names << ports->itemText(i);
            return names.join(',') + " | " + ports->currentText();
        };
        QCOMPARE(listed(), QStringLiteral("COM3 | COM3"));
        plug("COM1");
        plug("COM12");
        ports->showPopup();
        ports->hidePopup();
        QCOMPARE(listed(), QStringLiteral("COM1,COM12,COM3 | COM3"));

        Connect();
        plug("COM5");
        unplug("COM1");
        QTest::mouseClick(Find("1001"), Qt::LeftButton);
        QTRY_COMPARE(listed(), QStringLiteral("COM12,COM3,COM5 | COM3"));

        ports->setCurrentText(QStringLiteral("COM5")); // chosen, then unplugged: the first port instead
        unplug("COM5");
        ports->showPopup();
        ports->hidePopup();
        QCOMPARE(listed(), QStringLiteral("COM12,COM3 | COM12"));
    }

    // Each control reads as one thing with its label: the address with its arrows, the loop-back
    // progress and result; the result of a test stays through a connect, and the status list's
    // headings read the same before and after.
    void ControlsReadAsOneWithTheirLabels()
    {
        StartDisplay();
        OpenWindow();
        const auto buddyOf = [this](const QString& text) -> QWidget* {
            for (QLabel* label : m_window->findChildren<QLabel*>())
                if (label->text() == text)
                    return label->buddy();
            return nullptr;
        };
        QWidget* address = Find<QWidget>("1004");
        QVERIFY(address->isAncestorOf(Find<QLineEdit>("1002")));
        QCOMPARE(buddyOf(QStringLiteral("Display &Address:")), address);
        QCOMPARE(buddyOf(QStringLiteral("Available &COM ports:")), Find<QWidget>("1005"));
        QCOMPARE(buddyOf(QStringLiteral("&Type of test:")), Find<QWidget>("1056"));
        QCOMPARE(buddyOf(QStringLiteral("Progress:")), Find<QWidget>("1058"));
        QCOMPARE(buddyOf(QStringLiteral("&Result:")), Find<QWidget>("1018"));
        QCOMPARE(Find<QLineEdit>("1018")->text(), QStringLiteral("Pass/Fail"));

        // The arrows step within 1..240; a number typed beyond it stays as typed (refused at connect).
        auto* field = Find<QLineEdit>("1002");
        QTest::keyClick(field, Qt::Key_Up);
        QCOMPARE(field->text(), QStringLiteral("2"));
        field->setText(QStringLiteral("240"));
        QTest::keyClick(field, Qt::Key_Up);
        QCOMPARE(field->text(), QStringLiteral("240"));
        field->clear();
        QTest::keyClicks(field, QStringLiteral("3a41"));
        QCOMPARE(field->text(), QStringLiteral("341"));
        field->setText(QStringLiteral("1"));

        const auto headings = [this] {
            const QTreeWidgetItem* header = Find<QTreeWidget>("1020")->headerItem();
            return header->text(0) + '|' + header->text(1);
        };
        QCOMPARE(headings(), QStringLiteral("Status Tag|Attributes"));
        QSignalSpy finished(m_window.get(), &CDlgPellworthTestApp::loopBackFinished);
        QTest::mouseClick(Find("loopStart1017"), Qt::LeftButton); // no plug on the port: it fails
        QVERIFY(finished.count() == 1 || finished.wait(kWaitMs));
        Connect();
        QCOMPARE(Find<QLineEdit>("1018")->text(), QStringLiteral("Test Failed"));
        QCOMPARE(headings(), QStringLiteral("Status Tag|Attributes"));
    }

    // On a 1024 x 600 laptop screen (its work area less a task bar) the window and every page fit:
    // no control, Exit included, lies outside the window.
    void WindowFitsASmallScreen()
    {
        OpenWindow();
        QVERIFY(m_window->width() <= 1000 && m_window->height() <= 560);
        const QSize least = m_window->minimumSizeHint();
        QVERIFY2(least.width() <= 1000 && least.height() <= 520,
                 qPrintable(QStringLiteral("%1 x %2").arg(least.width()).arg(least.height())));
        m_window->resize(1000, 520);
        auto* tabs = Find<QTabWidget>("tabs");
        for (int page = 0; page < tabs->count(); ++page) {
            tabs->setCurrentIndex(page);
            QCoreApplication::processEvents();
            for (QWidget* control : m_window->findChildren<QWidget*>()) {
                if (!control->isVisible() || control->isWindow())
                    continue;
                const QRect where(control->mapTo(m_window.get(), QPoint(0, 0)), control->size());
                QVERIFY2(m_window->rect().contains(where),
                         qPrintable(tabs->tabText(page) + ": " + control->objectName() + " " +
                                    control->metaObject()->className()));
            }
        }
    }

    // Yes to the configuration question after a connect: the "Download Configuration" dialog, and
    // its choice (the display's own type and time zone, as the dialog starts) downloaded.
    void AutoConnectOffersTheConfiguration()
    {
        StartDisplay();
        OpenWindow();
        m_boxes->answer = QMessageBox::Yes;
        QTest::mouseClick(Find("1000"), Qt::LeftButton);
        QCOMPARE(m_boxes->seen, (QStringList{kConfigQuestion, QStringLiteral("<Download Configuration>"),
                                             QStringLiteral("The new configuration has been downloaded successfully "
                                                            "and the connection will be closed.\nWait until the boot "
                                                            "sequence is complete before reconnecting.")}));
        QVERIFY(HasLine(QStringLiteral("Configuration file has been downloaded and sign has been reset.")));
        QCOMPARE(m_sim->Stats(kPort, kAddress).reboots, 1ul);
        QVERIFY(Find("1000")->isEnabled() && !Find("1001")->isEnabled());
    }

    // Two displays set up as recommended, each in its own zone (the second in one the list has no
    // name for): after each connect the configuration page shows the display's zone and its check
    // finds the display as recommended, whatever the operator chose for the display before.
    void ConfigurationPageFollowsEachDisplay()
    {
        StartDisplays({Recommended(1, -300), Recommended(2, 390)});
        OpenWindow();
        auto* page = m_window->findChild<CDlgConfigDownload*>();
        auto* zones = page->findChild<QComboBox*>(QStringLiteral("timeZone"));
        const std::pair<int, QString> displays[] = {{1, kEastern},
                                                    {2, QStringLiteral("(GMT+06:30) Display's own zone")}};
        for (const auto& [address, zone] : displays) {
            Find<QLineEdit>("1002")->setText(QString::number(address));
            m_boxes->seen.clear();
            Connect();
            QCOMPARE(m_boxes->seen, QStringList{}); // the quick check passes: nothing asked
            QCOMPARE(zones->currentText(), zone);
            QTest::mouseClick(page->findChild<QPushButton*>(QStringLiteral("checkConfiguration")), Qt::LeftButton);
            QCOMPARE(m_boxes->seen,
                     QStringList{QStringLiteral("The display configuration matches the recommended settings.")});
            zones->setCurrentIndex(0); // the operator's choice, not to be kept for the next display
            QTest::mouseClick(Find("1001"), Qt::LeftButton);
            QVERIFY(Find("1000")->isEnabled());
        }
    }

    void DownloadDialogStartsOnTheDisplaysOwn_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("zone");
        QTest::addColumn<QString>("showed");
        QTest::newRow("its type, a listed zone")
            << "32X80MONO64.CRV.M2" << -300 << QStringLiteral("32x80 Mono64 - Gen 1 | %1 | download on").arg(kEastern);
        QTest::newRow("its type, a zone without a name")
            << "32X80MONO64.CRV.M2" << -150 << "32x80 Mono64 - Gen 1 | (GMT-02:30) Display's own zone | download on";
        QTest::newRow("a type without a recommended configuration")
            << "99X99MONO64.CRV.M2" << 60
            << "no type | (GMT+1:00) Amsterdam, Berlin, Bern, Rome, Stockholm, Vienna | download off";
    }

    // Yes to the question after a connect: the dialog has the display's own type selected, or none
    // (and no download until one is chosen), and the display's own zone.
    void DownloadDialogStartsOnTheDisplaysOwn()
    {
        QFETCH(QString, type);
        QFETCH(int, zone);
        QFETCH(QString, showed);
        qvxsim::ControllerConfig display = Recommended(kAddress, zone);
        display.settings.displayType = type.toStdString();
        display.settings.ipAddress = "192.168.100.20"; // not the recommended one: the question comes
        StartDisplays({display});
        OpenWindow();
        m_boxes->answer = QMessageBox::Yes;
        m_boxes->rejectDialog = true;
        Connect();
        QCOMPARE(m_boxes->seen, (QStringList{kConfigQuestion, QStringLiteral("<Download Configuration>")}));
        QCOMPARE(m_boxes->dialogShowed, showed);
        QCOMPARE(m_sim->Stats(kPort, kAddress).reboots, 0ul);
    }

    // Abort on the stepped progress window stops the download; nothing is said to have been sent.
    void AbortDuringFirmwareTransfer()
    {
        Connected();
        m_sim->SetLineTime(kPort, true); // a block takes its wire time, so the transfer lasts
        QTimer aborter;
        connect(&aborter, &QTimer::timeout, this, [this] {
            CDlgProgress* progress = m_window->Progress();
            if (progress && progress->IsStepped() && progress->Bar()->value() > 0)
                progress->AbortButton()->click();
        });
        aborter.start(5);
        QSignalSpy closed(m_window.get(), &CDlgPellworthTestApp::progressClosed);
        QTest::mouseClick(m_window->findChild<CDlgFirmDownload*>()->findChild<QPushButton*>("downloadFirmware"),
                          Qt::LeftButton);
        QCOMPARE(closed.count(), 1);
        QVERIFY(HasLine(QStringLiteral("Aborted command to download the file to sign")));
        QVERIFY(!HasLine(QStringLiteral("Firmware has been downloaded.")));
        QVERIFY(m_boxes->seen.filter(QStringLiteral("downloaded successfully")).isEmpty());
        QVERIFY(m_window->Progress() == nullptr);
    }

    // The Download Firmware page with another file: path and Browse only with the box checked, the
    // file's version or why it is refused as the core judges it (and the download refusing the same
    // file with 301), and after a download and the disconnect no current version left standing.
    void FirmwarePageShowsTheChosenFile()
    {
        StartDisplay("FX40211-1.01.05");
        OpenWindow();
        Connect();
        auto* page = m_window->findChild<CDlgFirmDownload*>();
        auto* other = page->findChild<QCheckBox*>(QStringLiteral("otherFirmware"));
        auto* path = page->findChild<QLineEdit*>(QStringLiteral("firmwarePath"));
        auto* browse = page->findChild<QPushButton*>(QStringLiteral("browse"));
        const auto shown = [page](const char* name) { return page->findChild<QLabel*>(QString::fromLatin1(name))->text(); };
        QCOMPARE(shown("currentFirmware"), QStringLiteral("FX40211-1.01.05"));
        QVERIFY(!path->isEnabled() && !browse->isEnabled());
        other->click();
        QVERIFY(path->isEnabled() && browse->isEnabled());

        const auto write = [this](const QString& folder, const simtest::Bytes& bytes) {
            QDir(m_dir->path()).mkpath(folder);
            const QString file = m_dir->filePath(folder + QStringLiteral("/FX40211.EXE"));
            std::ofstream(file.toStdString(), std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
            return file;
        };
        const std::string text = "not firmware\n";
        path->setText(write(QStringLiteral("text"), simtest::Bytes(text.begin(), text.end())));
        QCOMPARE(shown("firmwareFileCheck"),
                 QStringLiteral("FX40211.EXE is not a PowerPC firmware image (it is 13 bytes of text)"));
        QTest::mouseClick(page->findChild<QPushButton*>(QStringLiteral("downloadFirmware")), Qt::LeftButton);
        QVERIFY(HasLine(QStringLiteral("[*TASK ERROR 301*]  The selected firmware file is not FX40211")));
        QVERIFY(!m_sim->ReadFile(kPort, kAddress, "FX40211.EXE").has_value());

        const simtest::Bytes image = simtest::FirmwareElf("Gen II Firmware REV 1.3.0");
        path->setText(write(QStringLiteral("good"), image));
        QCOMPARE(shown("firmwareFileCheck"), QStringLiteral("Version: FX40211-1.3.0"));
        QSignalSpy closed(m_window.get(), &CDlgPellworthTestApp::progressClosed);
        QTest::mouseClick(page->findChild<QPushButton*>(QStringLiteral("downloadFirmware")), Qt::LeftButton);
        QCOMPARE(closed.count(), 1);
        QCOMPARE(m_sim->ReadFile(kPort, kAddress, "FX40211.EXE"), std::optional(image));
        QTRY_VERIFY(Find("1000")->isEnabled());
        QCOMPARE(shown("currentFirmware"), QString());
    }

    void LoopBackTest_data()
    {
        QTest::addColumn<bool>("plug");
        QTest::addColumn<QString>("type");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QString>("result");
        QTest::newRow("short with the plug") << true << "Short" << false << "Test Passed";
        QTest::newRow("long, cancelled") << true << "Long" << true << "Test Cancelled";
        QTest::newRow("no plug") << false << "Short" << false << "Test Failed";
    }

    // Results in the field, "Cancelling..." while cancelling, the buttons back afterwards.
    void LoopBackTest()
    {
        QFETCH(bool, plug);
        QFETCH(QString, type);
        QFETCH(bool, cancel);
        QFETCH(QString, result);
        StartDisplay();
        m_sim->SetLoopback(kPort, plug);
        OpenWindow();
        Find<QComboBox>("1056")->setCurrentText(type);
        QSignalSpy finished(m_window.get(), &CDlgPellworthTestApp::loopBackFinished);
        QTest::mouseClick(Find("loopStart1017"), Qt::LeftButton);
        QCOMPARE(Find<QLineEdit>("1018")->text(), QStringLiteral("Testing..."));
        QVERIFY(!Find("1000")->isEnabled() && !Find("loopStart1017")->isEnabled());
        if (cancel) {
            // At once: the long test sends the whole firmware package 256 bytes a step and looks at
            // the cancel after each step, so it cannot have ended yet.
            QTest::mouseClick(Find("1057"), Qt::LeftButton);
            QCOMPARE(Find("1057")->text(), QStringLiteral("Cancelling..."));
            QVERIFY(!Find("1057")->isEnabled());
        }
        QVERIFY(finished.count() == 1 || finished.wait(kWaitMs * 3));
        QCOMPARE(finished.at(0).at(0).toString(), result);
        QCOMPARE(Find<QLineEdit>("1018")->text(), result);
        QCOMPARE(Find("1057")->text(), QStringLiteral("Cancel Test"));
        QVERIFY(!Find("1057")->isEnabled() && Find("loopStart1017")->isEnabled() && Find("1000")->isEnabled());
        if (result == QStringLiteral("Test Passed"))
            QCOMPARE(Find<QProgressBar>("1058")->value(), 100);
    }

    // Idle for the (scaled) three minutes, the window reads STATUS.XML behind its progress window; the
    // refresh comes from the core's timer thread.
    void KeepAliveRefreshesStatus()
    {
        Connected();
        const unsigned long before = m_sim->Stats(kPort, kAddress).framesReceived;
        const qsizetype lines = Lines().size();
        QSignalSpy shown(m_window.get(), &CDlgPellworthTestApp::progressShown);
        QSignalSpy closed(m_window.get(), &CDlgPellworthTestApp::progressClosed);
        QVERIFY(shown.wait(kWaitMs));
        QVERIFY(closed.count() == 1 || closed.wait(kWaitMs));
        QCOMPARE(Lines().mid(lines), (QStringList{QStringLiteral("Retrieving status file..."),
                                                  QStringLiteral("The status file was retrieved.")}));
        QVERIFY(m_sim->Stats(kPort, kAddress).framesReceived > before);
        QVERIFY(Find("1001")->isEnabled());
    }

    void DisplayActions_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("boxes"); // every box that came up, in order
        QTest::addColumn<unsigned long>("reboots");
        QTest::newRow("start pattern") << "1007" << "Test pattern is now running" << QStringList{} << 0ul;
        QTest::newRow("stop pattern") << "1009" << "Sign has been set into normal mode" << QStringList{} << 0ul;
        QTest::newRow("set time") << "1047" << "The display's time & date has been set."
                                  << QStringList{"The display's time & date has been set."} << 0ul;
        QTest::newRow("reset") << "1017" << "The display has been reset."
                               << QStringList{"The display has been reset and the connection will now be closed.\n"
                                              "Wait until the boot sequence is complete before reconnecting."}
                               << 1ul;
        QTest::newRow("memory cleanup")
            << "1039" << "Memory on the display has been cleared"
            << QStringList{"This process may take several minutes.\nDo you want to continue?",
                           "The display has been reset and the connection will now be closed.\nWait until the memory "
                           "check is complete before reconnecting."}
            << 1ul;
        // "Check Configuration" on its page: the question, and on Yes the download and the reset.
        QTest::newRow("check configuration")
            << "checkConfiguration" << "Configuration file has been downloaded and sign has been reset."
            << QStringList{kConfigQuestion, "The new configuration has been downloaded successfully and the connection "
                                            "will be closed.\nWait until the boot sequence is complete before "
                                            "reconnecting."}
            << 1ul;
    }

    // Each action's result line and boxes (questions answered Yes), and whether the connection stays:
    // only when the controller was not reset.
    void DisplayActions()
    {
        QFETCH(QString, button);
        QFETCH(QString, line);
        QFETCH(QStringList, boxes);
        QFETCH(unsigned long, reboots);
        Connected();
        Find<QComboBox>("1008")->setCurrentIndex(12);
        m_boxes->seen.clear();
        m_boxes->answer = QMessageBox::Yes;
        QWidget* page = button == QStringLiteral("1017") ? static_cast<QWidget*>(m_window->findChild<CDlgSystemPage*>())
                                                         : m_window.get();
        QSignalSpy closed(m_window.get(), &CDlgPellworthTestApp::progressClosed);
        QTest::mouseClick(page->findChild<QPushButton*>(button), Qt::LeftButton);
        QCOMPARE(closed.count(), 1);
        QVERIFY2(HasLine(line), qPrintable(Lines().join('\n')));
        QCOMPARE(m_boxes->seen, boxes);
        QCOMPARE(m_sim->Stats(kPort, kAddress).reboots, reboots);
        QCOMPARE(Find("1001")->isEnabled(), reboots == 0);
        QCOMPARE(Find("1000")->isEnabled(), reboots > 0);
        if (button == QStringLiteral("1007"))
            QCOMPARE(int(m_sim->Display(kPort, kAddress).testPattern), 12);
        if (button == QStringLiteral("checkConfiguration")) // restarted in the zone it had, the page's
            QCOMPARE(m_sim->Settings(kPort, kAddress).timeZone, -360);
        if (reboots > 0)
            QCOMPARE(Lines().constLast(), QStringLiteral("Sign is disconnected..."));
    }

    // Lines from a worker appear once the window's thread has taken them, in order, errors with their
    // code. (The list's own rules, range and selection, are WidgetsTest's.)
    void WorkerLinesReachTheList()
    {
        OpenWindow();
        CInstallerCore& core = m_app->GetCore();
        auto* list = Find<CMessageList>("1006");
        std::thread worker([&core] {
            core.AddStatusMessage(std::string(120, 'W'));
            core.AddErrorMessage(510, std::string(200, 'W'));
        });
        worker.join();
        QCOMPARE(list->count(), 0);
        QTRY_COMPARE(list->count(), 2);
        QCOMPARE(list->item(0)->text(), QString(120, 'W'));
        QVERIFY(list->item(1)->text().startsWith(QStringLiteral("[*TASK ERROR 510*]  WWW")));
    }

    void AutomaticJobInView_data()
    {
        QTest::addColumn<QString>("firmware");
        QTest::addColumn<QString>("abortAt"); // "step", "transfer", or empty: no Abort
        QTest::addColumn<QString>("after");   // a step: once the list holds this line ...
        QTest::addColumn<QString>("before");  // ... and not yet this one
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("line");
        const QString aborted =
            QStringLiteral("[*TASK ERROR 601*]  Not all displays were updated due to the user aborting update");
        QTest::newRow("current display") << "FX40211-1.02.11" << QString() << QString() << QString() << 4
                                         << "[*TASK ERROR 100*]  Display already has the most current firmware installed";
        QTest::newRow("Abort in the first refresh pass")
            << "FX40211-1.01.05" << "step" << "Refreshing Displays on COM3" << "Retrieving status file..." << 9
            << aborted;
        QTest::newRow("Abort in the second refresh pass")
            << "FX40211-1.01.05" << "step" << "The status file was retrieved."
            << "Updating display Lobby 16X80 at address 1" << 9 << aborted;
        QTest::newRow("Abort while connecting")
            << "FX40211-1.01.05" << "step" << "Attempting to connect with COM3 at 115200 baud" << QString() << 9
            << aborted;
        QTest::newRow("Abort during its firmware transfer")
            << "FX40211-1.01.05" << "transfer" << QString() << QString() << 9 << aborted;
    }

    // "a": the job starts once the window is up, its steps behind the progress window, its lines in
    // the list, the COM port field on the port worked; afterwards the job line is in the list, the
    // address is 1 again and the first port selected. The operator's Abort at any step ends it with
    // 601 before the next display.
    void AutomaticJobInView()
    {
        QFETCH(QString, firmware);
        QFETCH(QString, abortAt);
        QFETCH(QString, after);
        QFETCH(QString, before);
        QFETCH(int, result);
        QFETCH(QString, line);
        StartStore(firmware.toStdString());
        if (!abortAt.isEmpty()) {
            m_sim->SetLineTime(kPort, true); // a block takes its wire time, so the transfer lasts
            // Every reply a little late, so that each step lasts long enough to be aborted.
            for (unsigned char address : {kAddress, static_cast<unsigned char>(2)})
                m_sim->InjectFault(kPort, address, {qvxsim::FaultKind::Delay, -1, 20});
        }
        QStringList portsShown;
        bool pressed = false;
        bool late = false; // the step to abort went by unnoticed
        QTimer aborter;
        connect(&aborter, &QTimer::timeout, this, [&] {
            CDlgProgress* progress = m_window ? m_window->Progress() : nullptr;
            if (progress == nullptr || pressed || !progress->AbortButton()->isEnabled())
                return;
            portsShown << Find<QComboBox>("1005")->currentText();
            if (abortAt.isEmpty())
                return;
            const bool transfer = progress->IsStepped() && progress->Bar()->value() > 0;
            bool there = transfer;
            if (abortAt == QStringLiteral("step")) {
                const QStringList lines = Lines();
                there = !progress->IsStepped() && lines.contains(after) && (before.isEmpty() || !lines.contains(before));
                late = transfer;
            }
            // A click on a window whose step has just ended does nothing: only an Abort the window
            // took counts, so the click is repeated while the point lasts.
            if (there || late) {
                const auto taken = connect(progress, &CDlgProgress::abortRequested, this, [&] { pressed = true; });
                progress->AbortButton()->click();
                disconnect(taken);
            }
        });
        aborter.start(1);
        const QString list = m_dir->filePath(QStringLiteral("Displays.dat"));
        {
            std::ofstream file(list.toStdString(), std::ios::binary);
            for (const auto& [name, address] : {std::pair{"Lobby", "1"}, {"Pharmacy", "2"}}) {
                std::vector<std::string> fields(48, "-");
                for (const auto& [index, value] : {std::pair{0, name}, {2, "16"}, {3, "80"}, {9, address},
                                                   {21, "COM3"}, {22, "115200"}})
                    fields[index] = value;
                for (const std::string& field : fields)
                    file << field << "\r\n";
            }
        }
        OpenWindow(true, list.toStdString());
        Find<QLineEdit>("1002")->setText(QStringLiteral("7"));
        QSignalSpy shown(m_window.get(), &CDlgPellworthTestApp::progressShown);
        QSignalSpy finished(m_window.get(), &CDlgPellworthTestApp::automaticJobFinished);
        QVERIFY(finished.count() == 1 || finished.wait(kWaitMs * 3));
        QTRY_VERIFY2_WITH_TIMEOUT(HasLine(line), qPrintable(Lines().join(QLatin1Char('\n'))), kWaitMs);
        QCOMPARE(finished.at(0).at(0).toInt(), result);
        QCOMPARE(pressed, !abortAt.isEmpty());
        QVERIFY(!late);
        QCOMPARE(HasLine(QStringLiteral("Updating display Pharmacy 16X80 at address 2")), abortAt.isEmpty());
        QVERIFY(shown.count() >= (abortAt.isEmpty() ? 3 : 1)); // refresh passes and the connection
        QVERIFY(HasLine(QStringLiteral("***   Starting automatic updates   ***")));
        const QString jobLine = QString::fromStdString(m_app->GetCore().LogManager().GetJobLine());
        QVERIFY(jobLine.startsWith(QStringLiteral("[*JOB ERROR %1*]").arg(result)));
        const QStringList lines = Lines();
        QCOMPARE(lines.at(lines.size() - 2), jobLine);
        QVERIFY2(portsShown.contains(QStringLiteral("COM3")), qPrintable(portsShown.join(QLatin1Char(','))));
        QCOMPARE(Find<QLineEdit>("1002")->text(), QStringLiteral("1"));
        QCOMPARE(Find<QComboBox>("1005")->currentIndex(), 0);
        QCOMPARE(Find<QComboBox>("1005")->currentText(), QStringLiteral("COM1"));
        QVERIFY(!Find("1001")->isEnabled());
    }

    // With -parallel the job works COM1 and COM3 at once behind one progress window, which shows a
    // row for each line's step; the list gets each display's task whole and the job line last.
    void AutomaticJobInViewWithLinesAtOnce()
    {
        m_sim = std::make_unique<qvxsim::SignSim>(m_dir->path().toStdString());
        std::string error;
        for (const int port : {1, kPort}) {
            qvxsim::ControllerConfig display{.address = kAddress, .behaviour = {.rebootMs = 0}};
            display.settings.firmwareVersion = "FX40211-1.02.11";
            QVERIFY2(m_sim->AddPort({.comNumber = port, .baud = 115200, .controllers = {display}}, &error),
                     error.c_str());
        }
        QVERIFY2(m_sim->Start(&error), error.c_str());
        const QString list = m_dir->filePath(QStringLiteral("Displays.dat"));
        {
            std::ofstream file(list.toStdString(), std::ios::binary);
            for (const auto& [name, port] : {std::pair{"Door", "COM1"}, {"Lobby", "COM3"}}) {
                std::vector<std::string> fields(48, "-");
                for (const auto& [index, value] :
                     {std::pair{0, name}, {2, "16"}, {3, "80"}, {9, "1"}, {21, port}, {22, "115200"}})
                    fields[index] = value;
                for (const std::string& field : fields)
                    file << field << "\r\n";
            }
        }
        bool bothShown = false;
        QTimer watcher;
        connect(&watcher, &QTimer::timeout, this, [&] {
            CDlgProgress* progress = m_window ? m_window->Progress() : nullptr;
            const QString text = progress != nullptr ? progress->Text() : QString();
            bothShown = bothShown || (text.contains(QStringLiteral("COM1: ")) && text.contains(QStringLiteral("\nCOM3: ")));
        });
        watcher.start(1);
        OpenWindow(true, list.toStdString(), true);
        QSignalSpy finished(m_window.get(), &CDlgPellworthTestApp::automaticJobFinished);
        QVERIFY(finished.count() == 1 || finished.wait(kWaitMs * 3));
        QCOMPARE(finished.at(0).at(0).toInt(), 4);
        QVERIFY(bothShown);
        const QStringList lines = Lines();
        QCOMPARE(lines.count(QStringLiteral("[*TASK ERROR 100*]  Display already has the most current firmware installed")), 2);
        for (const QString& task : {QStringLiteral("Refreshing Displays on COM1"), QStringLiteral("Refreshing Displays on COM3")}) {
            // A task's lines stay together: from its refresh to its code, no line of the other's.
            const qsizetype begin = lines.indexOf(task);
            QVERIFY2(begin >= 0, qPrintable(task));
            qsizetype end = begin;
            while (end < lines.size() && !lines.at(end).startsWith(QStringLiteral("[*TASK ERROR 100*]")))
                ++end;
            QVERIFY(end < lines.size());
            const QString other = task.endsWith(QLatin1Char('1')) ? QStringLiteral("COM3") : QStringLiteral("COM1");
            for (qsizetype i = begin; i <= end; ++i)
                QVERIFY2(!lines.at(i).contains(other), qPrintable(lines.at(i)));
        }
        QCOMPARE(lines.at(lines.size() - 2), QString::fromStdString(m_app->GetCore().LogManager().GetJobLine()));
    }

private:
    void StartDisplay(const std::string& firmware = "FX40211-1.02.11")
    {
        qvxsim::ControllerConfig controller{.address = kAddress, .behaviour = {.rebootMs = 0}};
        controller.settings.firmwareVersion = firmware;
        StartDisplays({controller});
    }
    void StartDisplays(const std::vector<qvxsim::ControllerConfig>& controllers)
    {
        m_sim = std::make_unique<qvxsim::SignSim>(m_dir->path().toStdString());
        std::string error;
        QVERIFY2(m_sim->AddPort({.comNumber = kPort, .baud = 115200, .controllers = controllers}, &error),
                 error.c_str());
        QVERIFY2(m_sim->Start(&error), error.c_str());
    }
    // The job's store: COM1 with no display (so that the port list has a first entry of its own),
    // COM3 with 'Lobby' at 1 on the given firmware and 'Pharmacy' at 2, current.
    void StartStore(const std::string& firmware)
    {
        m_sim = std::make_unique<qvxsim::SignSim>(m_dir->path().toStdString());
        qvxsim::ControllerConfig lobby{.address = kAddress, .behaviour = {.rebootMs = 0}};
        lobby.settings.firmwareVersion = firmware;
        qvxsim::ControllerConfig pharmacy{.address = 2, .behaviour = {.rebootMs = 0}};
        pharmacy.settings.firmwareVersion = "FX40211-1.02.11";
        std::string error;
        QVERIFY2(m_sim->AddPort({.comNumber = 1, .baud = 115200, .controllers = {}}, &error), error.c_str());
        QVERIFY2(m_sim->AddPort({.comNumber = kPort, .baud = 115200, .controllers = {lobby, pharmacy}}, &error),
                 error.c_str());
        QVERIFY2(m_sim->Start(&error), error.c_str());
    }
    // A display of the stand-in's type (32x80 Mono64 - Gen 1) set up as recommended, in a zone.
    static qvxsim::ControllerConfig Recommended(unsigned char address, int zone)
    {
        qvxsim::ControllerConfig display{.address = address, .behaviour = {.rebootMs = 0}};
        display.settings.ipAddress = "192.168.200.10";
        display.settings.timeZone = zone;
        return display;
    }
    void OpenWindow(bool autoJob = false, const std::string& displays = std::string(), bool parallel = false)
    {
        m_app = std::make_unique<CPellworthTestApp>(std::vector<std::string>{}, m_out, m_out);
        WindowParts parts{m_app->GetCore(), m_app->GetFirmware(), m_app->GetConfig(), autoJob, displays,
                          BaudChoice{true, 115200}, {}, {}, parallel};
        m_window = std::make_unique<CDlgPellworthTestApp>(parts);
        m_app->UseView(*m_window);
        m_window->show();
    }
    // Auto Connect; its questions are answered No.
    void Connect()
    {
        QTest::mouseClick(Find("1000"), Qt::LeftButton);
        QVERIFY(Find("1001")->isEnabled());
    }
    void Connected() { StartDisplay(); OpenWindow(); Connect(); }
    template <class T = QPushButton>
    T* Find(const char* id) const
    {
        T* found = m_window->findChild<T*>(QString::fromLatin1(id));
        if (!found)
            qFatal("no control %s", id);
        return found;
    }
    QStringList Lines() const
    {
        QCoreApplication::processEvents();
        QStringList lines;
        auto* list = Find<CMessageList>("1006");
        for (int i = 0; i < list->count(); ++i)
            lines << list->item(i)->text();
        return lines;
    }
    bool HasLine(const QString& line) const { return Lines().contains(line); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<qvxsim::SignSim> m_sim;
    std::ostringstream m_out;
    std::unique_ptr<CPellworthTestApp> m_app;
    std::unique_ptr<CDlgPellworthTestApp> m_window;
    std::unique_ptr<CBoxAnswerer> m_boxes;
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
