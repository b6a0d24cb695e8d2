#include "qtwindow/app/DlgPellworthTestApp.h"

#include "qtwindow/app/AboutBox.h"
#include "qtwindow/connection/ActionsPage.h"
#include "qtwindow/connection/SystemPage.h"
#include "update/AutoConnect.h"
#include "update/AutomaticJob.h"
#include "update/ConfigDownload.h"
#include "update/FirmwareInstaller.h"
#include "update/package/FirmwareLine.h"
#include "qtwindow/update/ConfigDownloadDialog.h"
#include "qtwindow/update/DlgConfigDownload.h"
#include "qtwindow/update/DlgFirmDownload.h"
#include "qtwindow/update/DlgProgress.h"
#include "qtwindow/verify/VerificationPage.h"
#include "qtwindow/verify/VerificationTestWizard.h"
#include "qtwindow/widgets/MessageList.h"
#include "qtwindow/widgets/NumberBox.h"
#include "qtwindow/widgets/ToolText.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <ctime>
#include <functional>

namespace {

const QString kTitle = QStringLiteral("QVXFirmInstaller");

// Enough digits for any address typed; one outside 1..240 is refused when connecting.
constexpr int kAddressDigits = 9;

// The size the window opens at: with its frame it fits a 1024 x 600 screen.
constexpr QSize kOpenSize(1000, 560);
// Room left for the window's frame (title bar and borders) when the screen is smaller.
constexpr QSize kFrameAllowance(24, 40);

// The COM port list: read again each time it is opened, so that an adapter plugged in after the
// start is there to choose.
class CPortList : public QComboBox {
public:
    CPortList(QWidget* parent, std::function<void()> beforeOpening)
        : QComboBox(parent), m_beforeOpening(std::move(beforeOpening))
    {
    }
    void showPopup() override
    {
        m_beforeOpening();
        QComboBox::showPopup();
    }

private:
    std::function<void()> m_beforeOpening;
};

QLabel* MakeLabel(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

QPushButton* MakeButton(const QString& text, const QString& id, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(id);
    button->setAutoDefault(false); // Enter in a field must not press Exit
    return button;
}

} // namespace

CDlgPellworthTestApp::CDlgPellworthTestApp(const WindowParts& parts, QWidget* parent)
    : QDialog(parent), m_core(parts.core), m_firmware(parts.firmware), m_config(parts.config), m_actions(parts.core),
      m_bAutoJob(parts.bAutoJob), m_strDisplaysFile(parts.strDisplaysFile),
      m_bParallel(parts.bParallel),
      m_strDisplaysAsGiven(parts.strDisplaysAsGiven), m_strDisplaysLookedAt(parts.strDisplaysLookedAt), m_baud(parts.baud)
{
    setWindowTitle(kTitle);
    setWindowIcon(MakeAppIcon());
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    BuildControls();
    FillPorts();
    EnableControls(false);
    OpenSize();
    // "a": the job starts once the window is up and its event loop runs.
    if (m_bAutoJob)
        QTimer::singleShot(0, this, [this] { RunAutomaticJob(); });
}

CDlgPellworthTestApp::~CDlgPellworthTestApp()
{
    {
        // A thread still waiting for the window (the keep-alive's refresh) is let go, and the lock
        // and condition it waits on stay until it has left them.
        std::unique_lock guard(m_callLock);
        m_bClosing = true;
        m_callDone.notify_all();
        m_callDone.wait(guard, [this] { return m_nWaiting == 0; });
    }
    StopLoopBack();
}

// Controls.

void CDlgPellworthTestApp::BuildControls()
{
    auto* menuBar = new QMenuBar(this);
    QMenu* help = menuBar->addMenu(QStringLiteral("&Help"));
    QAction* about = help->addAction(QStringLiteral("&About QVXFirmInstaller..."));
    about->setObjectName(QStringLiteral("about"));
    connect(about, &QAction::triggered, this, &CDlgPellworthTestApp::ShowAbout);

    m_messages = new CMessageList(this);
    m_messages->setObjectName(QStringLiteral("1006"));
    // About five lines: enough to follow an operation on a small screen.
    m_messages->setMinimumHeight(m_messages->fontMetrics().height() * 5 + 8);

    m_exit = MakeButton(QStringLiteral("E&xit"), QStringLiteral("1"), this);
    connect(m_exit, &QPushButton::clicked, this, &CDlgPellworthTestApp::OnExit);

    BuildPages();

    auto* left = new QVBoxLayout;
    left->addWidget(BuildConnectionGroup());
    left->addWidget(BuildLoopBackGroup());
    left->addStretch(1);

    auto* top = new QHBoxLayout;
    top->addLayout(left);
    top->addWidget(m_tabs, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(m_exit);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->addLayout(top, 3);
    layout->addWidget(m_messages, 1);
    layout->addLayout(bottom);

    setTabOrder(m_autoConnect, m_disconnect);
    setTabOrder(m_disconnect, m_address);
    setTabOrder(m_address, m_ports);
    setTabOrder(m_ports, m_loopType);
    setTabOrder(m_loopType, m_loopStart);
    setTabOrder(m_loopStart, m_loopCancel);
    setTabOrder(m_loopCancel, m_tabs);
}

void CDlgPellworthTestApp::OpenSize()
{
    // A laptop's 1024 x 600 screen takes the window with its frame; a smaller screen gets what it
    // has room for, down to the least the controls need.
    QSize size = kOpenSize;
    if (const QScreen* screen = this->screen())
        size = size.boundedTo(screen->availableGeometry().size() - kFrameAllowance);
    resize(size.expandedTo(minimumSizeHint()));
}

QWidget* CDlgPellworthTestApp::BuildConnectionGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Serial Connection"), this);
    group->setObjectName(QStringLiteral("serialConnection"));

    m_autoConnect = MakeButton(QStringLiteral("&Auto Connect"), QStringLiteral("1000"), group);
    connect(m_autoConnect, &QPushButton::clicked, this, &CDlgPellworthTestApp::OnAutoConnect);
    m_disconnect = MakeButton(QStringLiteral("&Disconnect"), QStringLiteral("1001"), group);
    connect(m_disconnect, &QPushButton::clicked, this, &CDlgPellworthTestApp::OnDisconnect);

    // One control: the number and its arrows. The arrows step within 1..240; a typed number
    // outside it stays as typed and is refused when connecting.
    m_address = new CNumberBox(kAddressDigits, group);
    m_address->setObjectName(QStringLiteral("1004"));
    m_address->Edit()->setObjectName(QStringLiteral("1002"));
    m_address->SetRange(1, 240);
    m_address->SetText(QStringLiteral("1"));
    connect(m_address, &CNumberBox::entered, this, [this] {
        if (m_autoConnect->isEnabled())
            m_autoConnect->click();
    });
    auto* addressLabel = MakeLabel(QStringLiteral("Display &Address:"), m_address, group);

    m_ports = new CPortList(group, [this] { FillPorts(); });
    m_ports->setObjectName(QStringLiteral("1005"));
    m_ports->setMinimumContentsLength(6); // "COM255"
    auto* portsLabel = MakeLabel(QStringLiteral("Available &COM ports:"), m_ports, group);

    auto* address = new QHBoxLayout;
    address->addWidget(m_address);
    address->addStretch(1);

    auto* grid = new QGridLayout(group);
    grid->addWidget(m_autoConnect, 0, 0);
    grid->addWidget(m_disconnect, 0, 1);
    grid->addWidget(addressLabel, 1, 0);
    grid->addLayout(address, 1, 1);
    grid->addWidget(portsLabel, 2, 0);
    grid->addWidget(m_ports, 2, 1);
    return group;
}

QWidget* CDlgPellworthTestApp::BuildLoopBackGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Loop Back Test"), this);
    group->setObjectName(QStringLiteral("loopBackTest"));

    m_loopType = new QComboBox(group);
    m_loopType->setObjectName(QStringLiteral("1056"));
    m_loopType->addItem(QStringLiteral("Short"), 0);
    m_loopType->addItem(QStringLiteral("Long"), 1);
    auto* typeLabel = MakeLabel(QStringLiteral("&Type of test:"), m_loopType, group);

    // The System page's "Reset Display" carries 1017 as well; this one is named apart so that a
    // search of the window by id finds one button.
    m_loopStart = MakeButton(QStringLiteral("&Start Test"), QStringLiteral("loopStart1017"), group);
    connect(m_loopStart, &QPushButton::clicked, this, &CDlgPellworthTestApp::OnStartLoopBack);
    m_loopCancel = MakeButton(QStringLiteral("Cancel Test"), QStringLiteral("1057"), group);
    m_loopCancel->setEnabled(false);
    connect(m_loopCancel, &QPushButton::clicked, this, &CDlgPellworthTestApp::OnCancelLoopBack);

    m_loopProgress = new QProgressBar(group);
    m_loopProgress->setObjectName(QStringLiteral("1058"));
    m_loopProgress->setRange(0, 100);
    m_loopProgress->setValue(0);
    m_loopProgress->setTextVisible(false);
    auto* progressLabel = MakeLabel(QStringLiteral("Progress:"), m_loopProgress, group);

    // The last test's result stays until the next test, a connection in between or not.
    m_loopResult = new QLineEdit(QStringLiteral("Pass/Fail"), group);
    m_loopResult->setObjectName(QStringLiteral("1018"));
    m_loopResult->setReadOnly(true);
    m_loopResult->setFocusPolicy(Qt::ClickFocus);
    auto* resultLabel = MakeLabel(QStringLiteral("&Result:"), m_loopResult, group);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_loopStart);
    buttons->addWidget(m_loopCancel);

    auto* grid = new QGridLayout(group);
    grid->addWidget(typeLabel, 0, 0);
    grid->addWidget(m_loopType, 0, 1);
    grid->addLayout(buttons, 1, 0, 1, 2);
    grid->addWidget(progressLabel, 2, 0);
    grid->addWidget(m_loopProgress, 2, 1);
    grid->addWidget(resultLabel, 3, 0);
    grid->addWidget(m_loopResult, 3, 1);
    return group;
}

void CDlgPellworthTestApp::BuildPages()
{
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("tabs"));

    m_actionsPage = new CDlgActionsPage(m_tabs);
    m_firmwarePage = new CDlgFirmDownload(m_tabs);
    m_configPage = new CDlgConfigDownload(m_config, m_tabs);
    m_verificationPage = new CDlgVerificationPage(m_tabs);
    m_systemPage = new CDlgSystemPage(m_tabs);
    m_tabs->addTab(m_actionsPage, QStringLiteral("Sable 2200 Actions"));
    m_tabs->addTab(m_firmwarePage, QStringLiteral("Download Firmware"));
    m_tabs->addTab(m_configPage, QStringLiteral("Download Configuration"));
    m_tabs->addTab(m_verificationPage, QStringLiteral("Verification Test"));
    m_tabs->addTab(m_systemPage, QStringLiteral("System"));
    m_tabs->setCurrentIndex(0);

    connect(m_actionsPage, &CDlgActionsPage::startPatternRequested, this,
            [this](int pattern) { m_actions.StartTestPattern(Address(), pattern); });
    connect(m_actionsPage, &CDlgActionsPage::stopPatternRequested, this,
            [this] { m_actions.StopTestPattern(Address()); });
    connect(m_systemPage, &CDlgSystemPage::resetRequested, this, [this] { m_actions.ResetDisplay(Address()); });
    connect(m_systemPage, &CDlgSystemPage::memoryCleanupRequested, this,
            [this] { m_actions.MemoryCleanup(Address()); });
    connect(m_systemPage, &CDlgSystemPage::setTimeRequested, this, [this] {
        m_actions.SetTimeDate(Address(), static_cast<std::uint32_t>(std::time(nullptr)));
    });
    connect(m_firmwarePage, &CDlgFirmDownload::downloadRequested, this, &CDlgPellworthTestApp::OnDownloadFirmware);
    connect(m_firmwarePage, &CDlgFirmDownload::firmwareFileChanged, this,
            &CDlgPellworthTestApp::OnFirmwareFileChanged);
    connect(m_configPage, &CDlgConfigDownload::checkRequested, this, &CDlgPellworthTestApp::OnCheckConfiguration);
    connect(m_verificationPage, &CDlgVerificationPage::startWizardRequested, this,
            &CDlgPellworthTestApp::OnStartWizard);
}

void CDlgPellworthTestApp::FillPorts()
{
    std::vector<ComPortChoice> ports = CInstallerCore::FillComPortList();
    // Sorted as text, as the list always was: COM10 before COM2.
    std::sort(ports.begin(), ports.end(),
              [](const ComPortChoice& a, const ComPortChoice& b) { return a.strName < b.strName; });
    // Read again with the machine's ports of now: the chosen port stays chosen while it is there.
    const int chosen = SelectedPort();
    const QSignalBlocker quiet(m_ports);
    m_ports->clear();
    for (const ComPortChoice& port : ports)
        m_ports->addItem(FromTool(port.strName), port.nNumber);
    const int kept = chosen < 0 ? -1 : m_ports->findData(chosen);
    m_ports->setCurrentIndex(kept >= 0 ? kept : (m_ports->count() > 0 ? 0 : -1));
}

int CDlgPellworthTestApp::Address() const
{
    return m_address->text().toInt(); // as typed: ValidateDisplayAddress refuses what is out of range
}

int CDlgPellworthTestApp::SelectedPort() const
{
    return m_ports->currentIndex() < 0 ? -1 : m_ports->currentData().toInt();
}

// Handlers.

void CDlgPellworthTestApp::OnAutoConnect()
{
    m_firmwarePage->SetCurrentFirmware(QString());
    const int result = AutoConnect(m_core, m_firmware, m_config, SelectedPort(), Address(), m_baud);
    if (result != CONNECT_OK)
        return;
    m_firmwarePage->SetCurrentFirmware(FromTool(m_core.Session().GetFirmwareVersion()));
    m_firmwarePage->SetRecommendedFirmware(FromTool(RecommendedFirmwareVersion(m_core.Session().IsFirmwareLine())));
    // A file chosen for an earlier display is judged again for this display's firmware line.
    if (m_firmwarePage->IsOtherFirmware())
        OnFirmwareFileChanged(m_firmwarePage->FirmwarePath());
    m_configPage->Refill();
    m_tabs->setCurrentIndex(0);
}

void CDlgPellworthTestApp::OnDisconnect()
{
    m_actions.DisconnectDisplay();
}

void CDlgPellworthTestApp::OnDownloadFirmware(bool other)
{
    m_firmware.DownloadFirmwareFromPage(other ? 1 : 0, ToTool(m_firmwarePage->FirmwarePath()), Address());
}

void CDlgPellworthTestApp::OnFirmwareFileChanged(const QString& path)
{
    if (path.isEmpty()) {
        m_firmwarePage->ShowFileCheck(QString());
        return;
    }
    const ExternalFirmwareCheck check = CheckExternalFirmware(ToTool(path), m_core.Session().IsFirmwareLine());
    m_firmwarePage->ShowFileCheck(check.bOk ? QStringLiteral("Version: ") + FromTool(check.strVersion)
                                            : FromTool(check.strReason));
}

void CDlgPellworthTestApp::OnCheckConfiguration(int key, const QString& timeZone)
{
    m_config.CheckConfiguration(key, Address(), ToTool(timeZone));
}

void CDlgPellworthTestApp::OnStartWizard()
{
    // Finish ends the verification with the connection closed; Cancel leaves it open.
    if (RunVerificationWizard(this, m_core, Address()) == WizardEnd::Finished)
        OnDisconnect();
}

void CDlgPellworthTestApp::OnExit()
{
    StopLoopBack();
    m_core.Session().Disconnect();
    accept();
}

void CDlgPellworthTestApp::keyPressEvent(QKeyEvent* event)
{
    // The main window closes with Exit (or the title bar), never by a stray Esc.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CDlgPellworthTestApp::closeEvent(QCloseEvent* event)
{
    StopLoopBack();
    m_core.Session().Disconnect();
    QDialog::closeEvent(event);
}

void CDlgPellworthTestApp::ShowAbout()
{
    CAboutBox box(this);
    box.exec();
}

void CDlgPellworthTestApp::RunAutomaticJob()
{
    // The job's result comes from the error lines the store keeps, with or without a log file.
    m_core.Messages().SetLogging(true);
    CAutomaticUpdateJob job(m_core, m_firmware, m_strDisplaysFile);
    job.SetParallel(m_bParallel);
    if (!m_strDisplaysAsGiven.empty())
        job.SetDisplayListNames(m_strDisplaysAsGiven, m_strDisplaysLookedAt);
    const int result = job.RunAutomaticUpdates();
    emit automaticJobFinished(result);
}

// The loop-back test: on a thread of its own, while no display is connected.

void CDlgPellworthTestApp::OnStartLoopBack()
{
    if (m_bLoopRunning)
        return;
    StopLoopBack(); // joins a thread that has ended
    m_bAutoConnectWasEnabled = m_autoConnect->isEnabled();
    m_autoConnect->setEnabled(false);
    m_loopStart->setEnabled(false);
    m_loopCancel->setEnabled(true);
    m_loopResult->setText(QStringLiteral("Testing..."));
    const int type = m_loopType->currentData().toInt();
    m_bLoopCancel = false;
    m_loopProgress->setValue(0);
    m_bLoopRunning = true;
    m_loopThread = std::thread([this, port = SelectedPort(), type] { LoopBackWork(port, type); });
}

void CDlgPellworthTestApp::LoopBackWork(int port, int type)
{
    CLoopbackTest test(m_core);
    const CLoopbackTest::Outcome outcome = test.Run(
        port, type == 1 ? CLoopbackTest::Kind::Long : CLoopbackTest::Kind::Short,
        [this](unsigned long done, unsigned long total) { Post([this, done, total] { OnLoopBackProgress(done, total); }); },
        [this] { return m_bLoopCancel.load(); });
    Post([this, result = outcome.result] { OnLoopBackEnded(result); });
}

void CDlgPellworthTestApp::OnLoopBackProgress(unsigned long done, unsigned long total)
{
    if (!m_bLoopRunning)
        return;
    m_loopProgress->setValue(CLoopbackTest::ProgressPercent(done, total));
}

void CDlgPellworthTestApp::OnCancelLoopBack()
{
    m_bLoopCancel = true;
    m_loopCancel->setText(QStringLiteral("Cancelling..."));
    m_loopCancel->setEnabled(false);
}

void CDlgPellworthTestApp::OnLoopBackEnded(CLoopbackTest::Result result)
{
    StopLoopBack();
    const QString text = QString::fromLatin1(CLoopbackTest::ResultText(result));
    m_loopResult->setText(text);
    m_loopCancel->setText(QStringLiteral("Cancel Test"));
    m_loopStart->setEnabled(!m_bConnected);
    m_loopCancel->setEnabled(false);
    m_autoConnect->setEnabled(m_bAutoConnectWasEnabled && !m_bConnected);
    emit loopBackFinished(text);
}

void CDlgPellworthTestApp::StopLoopBack()
{
    if (!m_loopThread.joinable())
        return;
    m_bLoopCancel = true;
    m_loopThread.join();
    m_bLoopRunning = false;
}

// Threads.

bool CDlgPellworthTestApp::IsWindowThread() const
{
    return QThread::currentThread() == thread();
}

void CDlgPellworthTestApp::Post(const std::function<void()>& fn)
{
    if (IsWindowThread()) {
        fn();
        return;
    }
    QMetaObject::invokeMethod(this, fn, Qt::QueuedConnection);
}

bool CDlgPellworthTestApp::OnWindowThread(const std::function<void()>& fn)
{
    if (IsWindowThread()) {
        fn();
        return true;
    }
    // The waiting thread owns fn; the window's thread runs it only while that thread still waits.
    struct Call {
        bool bStarted = false;
        bool bDone = false;
        bool bDropped = false;
    };
    auto call = std::make_shared<Call>();
    QMetaObject::invokeMethod(
        this,
        [this, call, &fn] {
            {
                std::lock_guard guard(m_callLock);
                if (call->bDropped)
                    return;
                call->bStarted = true;
            }
            fn();
            {
                std::lock_guard guard(m_callLock);
                call->bDone = true;
            }
            m_callDone.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(m_callLock);
    if (m_bClosing) {
        call->bDropped = true;
        return false;
    }
    ++m_nWaiting;
    m_callDone.wait(lock, [&] { return call->bDone || (m_bClosing && !call->bStarted); });
    if (!call->bDone)
        call->bDropped = true;
    --m_nWaiting;
    m_callDone.notify_all();
    return call->bDone;
}

// IInstallerView.

void CDlgPellworthTestApp::ShowMessageLine(const std::string& line)
{
    // Always queued, so lines keep their order whichever thread reports them.
    QMetaObject::invokeMethod(this, [this, text = FromTool(line)] { m_messages->AddLine(text); },
                              Qt::QueuedConnection);
}

void CDlgPellworthTestApp::ClearMessageLines()
{
    QMetaObject::invokeMethod(this, [this] { m_messages->clear(); }, Qt::QueuedConnection);
}

void CDlgPellworthTestApp::RunWithProgress(const std::function<void()>& work, ProgressKind kind)
{
    if (IsWindowThread()) {
        RunProgressHere(work, kind);
        return;
    }
    // The keep-alive's refresh comes from the core's timer thread. When another operation holds
    // the window it keeps the line busy by itself, and the refresh is not needed.
    OnWindowThread([&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (m_progress || (modal && modal != this))
            return;
        RunProgressHere(work, kind);
    });
}

void CDlgPellworthTestApp::RunProgressHere(const std::function<void()>& work, ProgressKind kind)
{
    const bool stepped = kind == ProgressKind::Stepped;
    CDlgProgress progress(this, stepped, stepped ? 1 : 5);
    CDlgProgress* outer = m_progress; // an operation inside another (the "a" job's steps) nests
    m_progress = &progress;
    connect(&progress, &CDlgProgress::abortRequested, this, [this] { m_core.Cancel(); });
    std::thread worker([&work, &progress] {
        work();
        QMetaObject::invokeMethod(&progress, [&progress] { progress.Finish(); }, Qt::QueuedConnection);
    });
    QTimer::singleShot(0, &progress, [this] { emit progressShown(); });
    progress.exec();
    // After Abort the window closes at once; the worker ends at its next check of the link.
    worker.join();
    m_progress = outer;
    emit progressClosed();
}

void CDlgPellworthTestApp::SetProgressText(const std::string& text)
{
    Post([this, text = FromTool(text)] {
        if (m_progress)
            m_progress->SetText(text);
    });
}

void CDlgPellworthTestApp::SetProgressSteps(int steps)
{
    Post([this, steps] {
        if (m_progress)
            m_progress->SetSteps(steps);
    });
}

void CDlgPellworthTestApp::StepProgress()
{
    Post([this] {
        if (m_progress)
            m_progress->Step();
    });
}

void CDlgPellworthTestApp::EnableAbort(bool enable)
{
    Post([this, enable] {
        if (m_progress)
            m_progress->EnableAbort(enable);
    });
}

bool CDlgPellworthTestApp::AskYesNo(const std::string& question)
{
    bool yes = false;
    OnWindowThread([&] {
        yes = QMessageBox::question(this, kTitle, FromTool(question), QMessageBox::Yes | QMessageBox::No,
                                    QMessageBox::Yes) == QMessageBox::Yes;
    });
    return yes;
}

void CDlgPellworthTestApp::ShowMessageBox(const std::string& text)
{
    OnWindowThread([&] { QMessageBox::information(this, kTitle, FromTool(text)); });
}

bool CDlgPellworthTestApp::ChooseConfiguration(const ConfigurationLists& lists, ConfigurationChoice& choice)
{
    bool chosen = false;
    OnWindowThread([&] {
        CConfigDownload dialog(lists, this);
        if (dialog.exec() != QDialog::Accepted)
            return;
        choice = dialog.Choice();
        chosen = true;
    });
    return chosen;
}

void CDlgPellworthTestApp::EnableControls(bool connected)
{
    {
        // While a loop-back test runs its own buttons stay as it set them.
        if (!m_bLoopRunning) {
            m_autoConnect->setEnabled(!connected);
            m_loopStart->setEnabled(!connected);
            m_loopCancel->setEnabled(false);
        }
        // A port plugged in while connected is there to choose once disconnected.
        if (m_bConnected && !connected)
            FillPorts();
        m_bConnected = connected;
        m_address->setEnabled(!connected);
        m_ports->setEnabled(!connected);
        m_loopType->setEnabled(!connected);
        m_loopProgress->setEnabled(!connected);
        m_disconnect->setEnabled(connected);
        m_actionsPage->EnablePage(connected);
        m_firmwarePage->EnablePage(connected);
        // The version of a display that is gone must not stand for the next one.
        if (!connected)
            m_firmwarePage->SetCurrentFirmware(QString());
        m_configPage->EnablePage(connected);
        m_verificationPage->EnablePage(connected);
        m_systemPage->EnablePage(connected);
    }
}

void CDlgPellworthTestApp::ShowSessionState(const SessionState& state)
{
    Post([this, state] {
        // A worker's state can arrive queued after a later one shown at once on this thread.
        if (state.nVersion <= m_session.nVersion)
            return;
        if (state.bConnected != m_bConnected)
            EnableControls(state.bConnected);
        if (state.nPlaced != m_session.nPlaced) {
            m_address->SetText(QString::number(state.nAddress));
            ShowComPort(state.nPort);
        }
        m_session = state;
    });
}

void CDlgPellworthTestApp::ShowComPort(int port)
{
    if (port == 0) {
        m_ports->setCurrentIndex(m_ports->count() > 0 ? 0 : -1);
        return;
    }
    const int index = m_ports->findData(port);
    if (index >= 0) {
        m_ports->setCurrentIndex(index);
        return;
    }
    // A port the list did not have when it was read: shown all the same, since it is worked.
    m_ports->addItem(FromTool("COM" + std::to_string(port)), port);
    m_ports->setCurrentIndex(m_ports->count() - 1);
}

void CDlgPellworthTestApp::ShowDisplayLists(const std::vector<InfoRow>& config, const std::vector<InfoRow>& status)
{
    Post([this, config, status] {
        m_actionsPage->ShowLists(config, status);
        m_tabs->setCurrentIndex(0);
    });
}
