#pragma once
// The window-free core of the main window: it owns the one sign link, the two controller documents
// last read from the display, the configuration summary, the sign type, the message store and the
// job log, and runs every long operation through the view. Connecting, reading a display's state
// and the keep-alive live here; the Qt window and the console only show what it reports.

#include "connection/DisplayLists.h"
#include "connection/InstallerView.h"
#include "connection/KeepAliveTimer.h"
#include "connection/MessageStore.h"
#include "files/XmlDoc.h"
#include "link/S22ServerSignType.h"
#include "link/S22SignLink.h"
#include "log/LogMsgMng.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// One attempt of a connection: protocol, port, address, rate.
struct CONNECTION_INFO {
    int nProtocol = 0; // 0 S2200 Protocol, 1 Pellworth Protocol
    unsigned short nPort = 0;
    int nAddress = 0;
    int nBaud = 0;
};

constexpr int PROTOCOL_S2200 = 0;
constexpr int PROTOCOL_PELLWORTH = 1;

// Results of a connection.
constexpr int CONNECT_OK = 0;
constexpr int CONNECT_NO_ANSWER = 1;
constexpr int CONNECT_PORT_BUSY = 2;
constexpr int CONNECT_SWITCH_REFUSED = 3;
constexpr int CONNECT_ABORTED = 4;
constexpr int CONNECT_NOT_OUR_DISPLAY = 5;
// Every reply was the request's own bytes: a loop-back plug or an echoing adapter, no display.
constexpr int CONNECT_LINE_ECHOES = 6;

// A COM port of the machine as the port list shows it.
struct ComPortChoice {
    std::string strName; // "COM3"
    int nNumber = 0;
};

// How the attempt list is built: the "b" switch, with or without a rate.
struct BaudChoice {
    bool bGiven = false;
    int nRate = 0; // 0: "b" without a rate
};

class CInstallerCore final : private IPTANetListener, private IS22ProgressReceiver {
public:
    static constexpr unsigned long kKeepAliveMs = 180000;

    // timer: the view's own keep-alive timer, or null for one on a thread of the core's.
    CInstallerCore(IInstallerView& view, std::unique_ptr<IKeepAliveTimer> timer = nullptr);
    ~CInstallerCore() override;
    CInstallerCore(const CInstallerCore&) = delete;
    CInstallerCore& operator=(const CInstallerCore&) = delete;

    // Reporting.
    void AddStatusMessage(const std::string& text) { m_messages.AddStatusMessage(text); }
    void AddErrorMessage(int taskCode, const std::string& text) { m_messages.AddErrorMessage(taskCode, text); }
    CMessageStore& Messages() { return m_messages; }
    CLogMsgMng& LogManager() { return m_logManager; }
    // Hands every later line to the job log manager ("l1") and opens its file; false when the file
    // cannot be opened (the lines are still kept for the job's result).
    bool OpenLog(const std::string& path);

    // The job log's job and its tasks, in step with the lines the store hands it. EndJob writes
    // the job line and returns its job result code (0, 4 or 9).
    bool BeginJob();
    bool BeginTask();
    bool EndTask();
    int EndJob();

    // Long operations: cancel and link abort cleared, then work through the view behind a progress
    // window of the given kind.
    void RunJob(const std::function<void()>& work, ProgressKind kind = ProgressKind::Running);
    // The progress window's Abort: cancel flag and link abort, together.
    void Cancel();
    bool IsCancelled() const;
    // How many times Cancel or Interrupt was called in this core's life. Nothing lowers it, so an
    // operation spanning several steps (each clearing the cancel flag as it starts) compares it
    // with its own starting count to know whether it was aborted at any point.
    unsigned long CancelCount() const;
    // An abort nothing clears again (a signal to an unattended run): every later clearing of the
    // cancel flag keeps it set, so the run ends at the next point that looks.
    void Interrupt();
    bool IsInterrupted() const;
    // Clears the cancel flag (not after Interrupt).
    void ClearCancel();
    bool IsIdle() const;
    // A fixed wait of the protocol (scaled like every wait); cut short by Cancel. False when the
    // operation was cancelled before or during the wait.
    bool WaitUnlessCancelled(unsigned long ms);
    // How long the fixed waits have taken in all, for measurements.
    std::chrono::steady_clock::duration TimeWaited() const;

    // Ports and the address.
    static std::vector<ComPortChoice> FillComPortList();
    bool ValidateDisplayAddress(bool silent, int address);

    // Connecting.
    static void BuildConnectionList(std::vector<CONNECTION_INFO>& list, int address, int port, const BaudChoice& baud);
    int ConnectToDisplay(bool runInline, const std::vector<CONNECTION_INFO>& list, CONNECTION_INFO& outcome,
                         int address);
    int TryConnections(const std::vector<CONNECTION_INFO>& list, CONNECTION_INFO& outcome);
    // One attempt of the list by its protocol, with its lines, and nothing around it: no closing
    // "could not connect" report. The link should be closed before.
    int ConnectAttempt(const CONNECTION_INFO& entry);
    // why, when given, receives the reason the port could not be opened.
    static bool IsPortBusy(int port, SerialOpenFailure* why = nullptr);
    // The reason lines for a port that could not be opened, reported after the task line.
    void ReportOpenFailure(int port, const SerialOpenFailure& failure);
    // Closes the link and clears the cancel flag; the link's close result.
    short Disconnect();
    // Closes the link when it is open and leaves the cancel flag as it is.
    void CloseLink();

    // The file send of every download: a compressed-start send with option 0, its progress shown
    // as steps. True when the controller took the file; on the firmware line an unanswered last
    // block of that line's firmware file also counts (those controllers restart as soon as they
    // have it).
    bool SendFileToSign(int address, const std::string& name, const unsigned char* data, unsigned long size,
                        bool compress);

    // Reading the display's state.
    bool RetrieveConfig(CXmlDoc& doc, int address);
    bool RetrieveStatus(CXmlDoc& doc, int address);
    void ShowDisplayInfo();
    std::string GetFirmwareVersion();

    CS22SignLink& Link() { return m_link; }
    IInstallerView& View() { return m_view; }
    // Holds the link for one thread across several steps (re-entrant; the keep-alive waits its
    // turn). Operations that run through RunJob already hold it.
    std::unique_lock<std::recursive_mutex> HoldLink() { return std::unique_lock(m_jobLock); }
    CXmlDoc& ConfigDoc() { return m_configDoc; }
    CXmlDoc& StatusDoc() { return m_statusDoc; }
    const ConfigSummary& Summary() const { return m_summary; }
    const CS22Server_SignType& SignType() const { return m_signType; }
    // Whether the connected display runs the firmware line: set from its firmware version text
    // after every connection, by the lines' naming rule (update/package/FirmwareLine.h).
    bool IsFirmwareLine() const { return m_bFirmwareLine; }
    void SetFirmwareLine(bool line) { m_bFirmwareLine = line; }
    // The version recommended for the connected display's line, as the rule names it.
    std::string RecommendedFirmware() const;
    // The address the keep-alive refreshes (the connected display's).
    void SetConnectedAddress(int address) { m_nConnectedAddress = address; }

    // The keep-alive's expiry: re-reads STATUS.XML while the link is open and nothing else runs.
    void OnKeepAlive();

private:
    void BeginBusy() override;
    void EndBusy() override;
    // The link's send progress, shown as the progress window's steps.
    void OnTransferStart(unsigned long totalBlocks) override;
    void OnBlockSent() override;

    int S2200Attempt(const CONNECTION_INFO& entry);
    int PellworthAttempt(const CONNECTION_INFO& entry);
    int SwitchPellworthDisplay(const CONNECTION_INFO& entry);
    int UnansweredSignType(const CONNECTION_INFO& entry);
    // True, with the line that says so and the port closed, when every reply so far was an echo.
    bool ReportLineEchoes(int port);
    bool OpenForAttempt(const CONNECTION_INFO& entry);
    void Progress(const std::string& text);
    bool RetrieveFile(CXmlDoc& doc, int address, const char* name, const char* retrieving, const char* retrieved,
                      const char* abortedLine, int taskCode, const char* failure);
    void ConnectionWork(const std::vector<CONNECTION_INFO>& list, CONNECTION_INFO& outcome, int address, int& result);
    void SetIdle(bool idle);
    // The keep-alive counts its period from now.
    void RearmKeepAlive();

    IInstallerView& m_view;
    CLogMsgMng m_logManager;
    CMessageStore m_messages;
    CS22SignLink m_link;
    CXmlDoc m_configDoc;
    CXmlDoc m_statusDoc;
    ConfigSummary m_summary;
    CS22Server_SignType m_signType;
    bool m_bCancel = false; // guarded by the message store's lock
    bool m_bIdle = true;    // likewise
    bool m_bInterrupted = false; // likewise
    unsigned long m_nCancels = 0; // likewise
    std::condition_variable_any m_cancelled; // wakes fixed waits when the cancel flag is set
    std::chrono::steady_clock::duration m_waited{}; // guarded by the message store's lock
    bool m_bFirmwareLine = false;
    std::atomic<int> m_nConnectedAddress{1};
    std::string m_strSending; // the file SendFileToSign is sending, for its progress
    // The link is used by one thread at a time: every operation that touches it or the documents
    // holds this (re-entrant: a job's work calls other operations); the keep-alive only tries it.
    std::recursive_mutex m_jobLock;
    std::atomic<bool> m_bClosing{false};
    std::unique_ptr<IKeepAliveTimer> m_keepAlive;
};
