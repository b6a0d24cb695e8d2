#pragma once
// The window-free core: the display session, the runner of its operations, the connector, the
// message store and the job log, put together for a view. The console, the job's terminal view
// and the windows are views of it; everything they do goes through these parts. The core itself
// keeps only what ties them: the lines, the file send's progress and the keep-alive.

#include "connection/AdapterDelayWatch.h"
#include "connection/DisplayConnector.h"
#include "connection/DisplayLists.h"
#include "connection/DisplaySession.h"
#include "connection/InstallerView.h"
#include "connection/KeepAliveTimer.h"
#include "connection/MessageStore.h"
#include "connection/OperationRunner.h"
#include "log/LogMsgMng.h"

#include <atomic>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

// A COM port of the machine as the port list shows it.
struct ComPortChoice {
    std::string strName; // "COM3"
    int nNumber = 0;
};

class CInstallerCore final : private IPTANetListener, private IS22ProgressReceiver {
public:
    static constexpr unsigned long kKeepAliveMs = 180000;

    // timer: the view's own keep-alive timer, or null for one on a thread of the core's.
    CInstallerCore(IInstallerView& view, std::unique_ptr<IKeepAliveTimer> timer = nullptr);
    ~CInstallerCore() override;
    CInstallerCore(const CInstallerCore&) = delete;
    CInstallerCore& operator=(const CInstallerCore&) = delete;

    IInstallerView& View() { return m_view; }
    CDisplaySession& Session() { return m_session; }
    COperationRunner& Runner() { return m_runner; }
    CDisplayConnector& Connector() { return m_connector; }
    CMessageStore& Messages() { return m_messages; }
    CLogMsgMng& LogManager() { return m_logManager; }

    // Reporting: the lines go to the view, the job log and the operation under way.
    void AddStatusMessage(const std::string& text) { m_messages.AddStatusMessage(text); }
    void AddErrorMessage(int taskCode, const std::string& text, int address = 0)
    {
        m_messages.AddErrorMessage(taskCode, text, address);
    }
    // Hands every later line to the job log manager ("l1") and opens its file; false when the file
    // cannot be opened (the lines are still kept for the job's result).
    bool OpenLog(const std::string& path);
    // The job log's job and its tasks, in step with the lines the store hands it. EndJob writes
    // the job line and returns its job result code (0, 4 or 9).
    bool BeginJob();
    bool BeginTask();
    bool EndTask();
    int EndJob();

    // The job log's messages kept since the last call, handed over (a line of a parallel job:
    // its display's task, for the job's own log).
    std::vector<std::unique_ptr<ILogMsg>> TakeLoggedMessages();

    // The operation under way, through the runner.
    OperationOutcome RunJob(const std::function<void()>& work, ProgressKind kind = ProgressKind::Running)
    {
        return m_runner.Run(work, kind);
    }
    // The progress window's Abort.
    void Cancel() { m_runner.CancelCurrent(); }
    // A stop signal to an unattended run: nothing after it runs.
    void Interrupt() { m_runner.Stop(); }
    bool IsInterrupted() const { return m_runner.IsStopped(); }
    bool IsCancelled() const { return m_runner.IsCancelled(); }
    bool WaitUnlessCancelled(unsigned long ms) { return m_runner.WaitUnlessCancelled(ms); }

    // The file send of every download: a compressed-start send with option 0, its progress shown
    // as steps. True when the controller took the file; on the firmware line an unanswered last
    // block of that line's firmware file also counts (those controllers restart as soon as they
    // have it). When packed is not empty it is data's zlib stream made beforehand (a package's
    // own) and is sent as it stands instead of compressing data.
    bool SendFileToSign(int address, const std::string& name, const unsigned char* data, unsigned long size,
                        bool compress, std::span<const unsigned char> packed = {});

    static std::vector<ComPortChoice> FillComPortList();

    // The keep-alive's expiry: re-reads STATUS.XML while the link is open and nothing else runs.
    void OnKeepAlive();

private:
    void BeginBusy() override;
    void EndBusy() override;
    // The link's send progress, shown as the progress window's steps.
    void OnTransferStart(unsigned long totalBlocks) override;
    void OnBlockSent() override;
    // The keep-alive counts its period from now.
    void RearmKeepAlive();

    IInstallerView& m_view;
    CLogMsgMng m_logManager;
    CMessageStore m_messages;
    CDisplaySession m_session;
    COperationRunner m_runner;
    CDisplayConnector m_connector;
    std::string m_strSending; // the file SendFileToSign is sending, for its progress
    CAdapterDelayWatch m_adapterWatch; // says once per transfer when the adapter holds replies back
    std::atomic<bool> m_bClosing{false};
    std::unique_ptr<IKeepAliveTimer> m_keepAlive;
};
