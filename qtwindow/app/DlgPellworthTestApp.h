#pragma once
// The main window: "Serial Connection" (Auto Connect, Disconnect, address, COM ports), the message
// list, the loop-back test, the five pages, Exit and the About box. It is the core's view: every
// call the core makes from a worker reaches the widgets through queued calls on the window's
// thread; long operations run on a worker behind the "Communicating" window. The window holds no
// logic of its own beyond collecting the operator's choices and calling the core.

#include "app/WindowParts.h"
#include "connection/DisplayActions.h"
#include "connection/InstallerCore.h"
#include "connection/LoopbackTest.h"
#include "connection/InstallerView.h"

#include <QDialog>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class CConfigDownloader;
class CDlgActionsPage;
class CDlgConfigDownload;
class CDlgFirmDownload;
class CDlgProgress;
class CDlgSystemPage;
class CDlgVerificationPage;
class CFirmwareInstaller;
class CInstallerCore;
class CMessageList;
class CNumberBox;
class QComboBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QCloseEvent;
class QKeyEvent;

class CDlgPellworthTestApp : public QDialog, public IInstallerView {
    Q_OBJECT
public:
    explicit CDlgPellworthTestApp(const WindowParts& parts, QWidget* parent = nullptr);
    ~CDlgPellworthTestApp() override;

    // IInstallerView: callable from any thread.
    void ShowMessageLine(const std::string& line) override;
    void ClearMessageLines() override;
    void RunWithProgress(const std::function<void()>& work, ProgressKind kind) override;
    void SetProgressText(const std::string& text) override;
    void SetProgressSteps(int steps) override;
    void StepProgress() override;
    void EnableAbort(bool enable) override;
    bool AskYesNo(const std::string& question) override;
    void ShowMessageBox(const std::string& text) override;
    bool ChooseConfiguration(const ConfigurationLists& lists, ConfigurationChoice& choice) override;
    // Controls follow the session: enabled as a connected display needs, the port and address
    // fields showing the ones in use whenever they change.
    void ShowSessionState(const SessionState& state) override;
    void ShowDisplayLists(const std::vector<InfoRow>& config, const std::vector<InfoRow>& status) override;

    // The progress window of the running operation; null when none (for tests and screenshots).
    CDlgProgress* Progress() const { return m_progress; }

protected:
    void keyPressEvent(QKeyEvent* event) override; // Esc does not close the main window
    void closeEvent(QCloseEvent* event) override;  // closing is Exit

signals:
    // A job's progress window has opened / closed (tests wait on these instead of sleeping).
    void progressShown();
    void progressClosed();
    // The loop-back test has ended with its result text.
    void loopBackFinished(const QString& result);
    // The "a" job has ended with its job result code.
    void automaticJobFinished(int result);

private:
    // The controls a connected display enables, and the port field (0: the list's first port).
    void EnableControls(bool connected);
    void ShowComPort(int port);
    // Controls and pages (object names are the control ids: "1000" Auto Connect, ...).
    void BuildControls();
    QWidget* BuildConnectionGroup();
    QWidget* BuildLoopBackGroup();
    void BuildPages();
    void OpenSize();
    // Reads the machine's COM ports into the list, keeping the chosen port while it is there.
    void FillPorts();
    // Handlers of the buttons and pages.
    void OnAutoConnect();
    void OnDisconnect();
    void OnExit();
    void OnStartLoopBack();
    void OnCancelLoopBack();
    void OnLoopBackProgress(unsigned long done, unsigned long total);
    void OnLoopBackEnded(CLoopbackTest::Result result);
    void LoopBackWork(int port, int type);
    void OnDownloadFirmware(bool other);
    // Shows on the firmware page what the core makes of the chosen file for the display's line.
    void OnFirmwareFileChanged(const QString& path);
    void OnCheckConfiguration(int key, const QString& timeZone);
    void OnStartWizard();
    void RunAutomaticJob();
    void ShowAbout();
    void StopLoopBack();
    void RunProgressHere(const std::function<void()>& work, ProgressKind kind);
    int Address() const;
    int SelectedPort() const;
    bool IsWindowThread() const;
    // Runs fn on the window's thread and waits for it (fn runs at once when already there). Once
    // the window is closing, a call that has not started yet is dropped and returns false.
    bool OnWindowThread(const std::function<void()>& fn);
    // Runs fn on the window's thread without waiting (at once when already there).
    void Post(const std::function<void()>& fn);

    CInstallerCore& m_core;
    CFirmwareInstaller& m_firmware;
    CConfigDownloader& m_config;
    CDisplayActions m_actions;
    bool m_bAutoJob;
    std::string m_strDisplaysFile;
    bool m_bParallel;
    std::string m_strDisplaysAsGiven;
    std::string m_strDisplaysLookedAt;
    BaudChoice m_baud;

    QPushButton* m_autoConnect = nullptr;
    QPushButton* m_disconnect = nullptr;
    CNumberBox* m_address = nullptr;
    QComboBox* m_ports = nullptr;
    CMessageList* m_messages = nullptr;
    QPushButton* m_exit = nullptr;
    QComboBox* m_loopType = nullptr;
    QPushButton* m_loopStart = nullptr;
    QProgressBar* m_loopProgress = nullptr;
    QPushButton* m_loopCancel = nullptr;
    QLineEdit* m_loopResult = nullptr;
    QTabWidget* m_tabs = nullptr;
    CDlgActionsPage* m_actionsPage = nullptr;
    CDlgFirmDownload* m_firmwarePage = nullptr;
    CDlgConfigDownload* m_configPage = nullptr;
    CDlgVerificationPage* m_verificationPage = nullptr;
    CDlgSystemPage* m_systemPage = nullptr;
    CDlgProgress* m_progress = nullptr;

    bool m_bConnected = false;
    SessionState m_session; // as last shown (window thread)
    bool m_bLoopRunning = false;
    std::thread m_loopThread;
    std::atomic<bool> m_bLoopCancel{false};
    bool m_bAutoConnectWasEnabled = true;

    // Calls from other threads waiting for the window's thread (see OnWindowThread).
    std::mutex m_callLock;
    std::condition_variable m_callDone;
    bool m_bClosing = false; // guarded by m_callLock
    int m_nWaiting = 0;      // threads inside OnWindowThread; guarded by m_callLock
};
