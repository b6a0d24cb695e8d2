#pragma once
// The main window on Windows: "Serial Connection" (Auto Connect, Disconnect, address, COM ports),
// the loop-back test, the five pages in a tab control, the message list, Exit and the About box.
// It is the core's view: what the core says from a worker reaches the controls through the
// window's thread (posted calls, the message list's kShowMessage); long operations run on a worker
// behind the "Communicating" window. Beyond collecting the operator's choices it holds no logic:
// each button calls the operation the command-line form calls.

#include "app/WindowParts.h"
#include "connection/DisplayActions.h"
#include "connection/InstallerView.h"
#include "connection/LoopbackTest.h"
#include "winwindow/connection/DlgActionsPage.h"
#include "winwindow/connection/DlgSystemPage.h"
#include "winwindow/update/DlgConfigDownload.h"
#include "winwindow/update/DlgFirmDownload.h"
#include "winwindow/verify/DlgVerificationTest.h"
#include "winwindow/widgets/Dialog.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CDlgProgress;
class CUiCalls;

class CDlgPellworthTestApp final : public CDialog, public IInstallerView {
public:
    static constexpr int kPageCount = 5;

    CDlgPellworthTestApp(const WindowParts& parts, CUiCalls& calls);
    ~CDlgPellworthTestApp() override;

    // Shows the window until Exit (or its close box); 0, or 1 when it could not be made.
    // opened runs once the window is up, with its handle.
    int Run(std::function<void(HWND)> opened = {});

    // IInstallerView: callable from any thread.
    void ShowMessageLine(const std::string& line) override;
    void ClearMessageLines() override;
    void RunWithProgress(const std::function<void()>& work, ProgressKind kind) override;
    void SetProgressText(const std::string& text) override;
    // The progress window has one row of text: the lines' steps side by side.
    void SetLineProgressText(int port, const std::string& text, const std::string& allLines) override;
    void EndLineProgress(int port, const std::string& allLines) override;
    void SetProgressSteps(int steps) override;
    void StepProgress() override;
    void EnableAbort(bool enable) override;
    bool AskYesNo(const std::string& question) override;
    void ShowMessageBox(const std::string& text) override;
    bool ChooseConfiguration(const ConfigurationLists& lists, ConfigurationChoice& choice) override;
    void ShowSessionState(const SessionState& state) override;
    void ShowDisplayLists(const std::vector<InfoRow>& config, const std::vector<InfoRow>& status) override;

    // For tests and pictures: a page's window and the running progress window (window's thread);
    // the "a" job's result once it has ended (-1 before) and the number of Auto Connects that
    // have ended, questions and all (any thread).
    HWND Page(int index) const;
    CDlgProgress* Progress() const { return m_progress; }
    int AutomaticJobResult() const { return m_nJobResult.load(); }
    int AutoConnectsEnded() const { return m_nAutoConnects.load(); }

private:
    bool OnInitDialog() override;
    void OnCommand(int id, int code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

    void AddSystemMenuEntry();
    void BuildPages();
    void PlacePages();
    void ShowPage(int index);
    void FillPorts();
    void FillLoopTypes();
    int Address() const;
    int SelectedPort() const;
    void ShowComPort(int port);
    void EnableControls(bool connected);
    void ShowStoredLines(std::size_t upTo);
    void ClearShownLines();

    void OnAutoConnect();
    void OnDisconnect();
    void OnExit();
    // Exit while an operation or a question is under way: the operation is cancelled, the
    // questions and dialogs answered No / Cancel, and Exit tried again until they are gone.
    void ExitWhenIdle();
    void OnDownloadFirmware(bool other);
    void OnFirmwareFileChanged();
    void OnCheckConfiguration(int key);
    void OnStartWizard();
    void RunAutomaticJob();
    void OnStartLoopBack();
    void OnCancelLoopBack();
    void OnLoopBackProgress(unsigned long done, unsigned long total);
    void OnLoopBackEnded(CLoopbackTest::Result result);
    void StopLoopBack();
    void RunProgressHere(const std::function<void()>& work, ProgressKind kind);
    // The window the next modal window goes over: the topmost of ours that is enabled.
    HWND ModalOwner() const;

    CInstallerCore& m_core;
    CFirmwareInstaller& m_firmware;
    CConfigDownloader& m_config;
    CUiCalls& m_calls;
    CDisplayActions m_actions;
    WindowParts m_parts;

    HWND m_tabs = nullptr;
    CDlgActionsPage m_actionsPage;
    CDlgFirmDownload m_firmwarePage;
    CDlgConfigDownload m_configPage;
    CDlgVerificationTest m_verificationPage;
    CDlgSystemPage m_systemPage;
    CPage* m_pages[kPageCount] = {};
    CDlgProgress* m_progress = nullptr;
    HICON m_bigIcon = nullptr;
    HICON m_smallIcon = nullptr;

    // Lines the core reported, shown in order by the window's thread (kShowMessage).
    std::mutex m_lineLock;
    std::vector<std::string> m_lines; // guarded by m_lineLock
    std::size_t m_nShown = 0;         // window's thread only
    int m_nWidest = 0;                // the list's horizontal extent, window's thread only

    std::function<void(HWND)> m_opened;
    bool m_bConnected = false;
    SessionState m_session; // as last shown (window's thread)
    std::atomic<int> m_nJobResult{-1};
    std::atomic<int> m_nAutoConnects{0};

    bool m_bLoopRunning = false;
    std::thread m_loopThread;
    std::atomic<bool> m_bLoopCancel{false};
    bool m_bAutoConnectWasEnabled = true;
};
