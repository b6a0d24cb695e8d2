#include "connection/InstallerCore.h"

#include "base/TimeScale.h"
#include "link/PortFailure.h"
#include "link/PortNames.h"
#include "update/package/FirmwareLine.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {

std::string Format(const char* pattern, int value)
{
    char text[256];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

} // namespace

CInstallerCore::CInstallerCore(IInstallerView& view, std::unique_ptr<IKeepAliveTimer> timer)
    : m_view(view), m_messages(view, m_logManager), m_keepAlive(std::move(timer))
{
    if (!m_keepAlive)
        m_keepAlive = std::make_unique<CThreadKeepAliveTimer>([this] { OnKeepAlive(); });
    m_link.SetListener(this);
    m_link.SetProgressReceiver(this);
}

CInstallerCore::~CInstallerCore()
{
    // No refresh may start now, and one already running is waited for before its timer goes.
    m_bClosing = true;
    {
        std::lock_guard job(m_jobLock);
        m_link.SetListener(nullptr);
    }
    m_keepAlive.reset();
    if (m_link.IsOpen())
        m_link.ClosePort();
}

bool CInstallerCore::OpenLog(const std::string& path)
{
    // With "l1" the manager keeps every line and the job's result even when its file cannot be
    // written: unattended callers still get the job result code.
    m_messages.SetLogging(true);
    return m_logManager.OpenLog(path);
}

bool CInstallerCore::BeginJob()
{
    std::lock_guard guard(m_messages.Lock());
    return m_logManager.BeginJob();
}

bool CInstallerCore::BeginTask()
{
    std::lock_guard guard(m_messages.Lock());
    return m_logManager.BeginTask();
}

bool CInstallerCore::EndTask()
{
    std::lock_guard guard(m_messages.Lock());
    return m_logManager.EndTask();
}

int CInstallerCore::EndJob()
{
    std::lock_guard guard(m_messages.Lock());
    const int result = m_logManager.GetJobResult();
    m_logManager.EndJob();
    return result;
}

void CInstallerCore::SetIdle(bool idle)
{
    std::lock_guard guard(m_messages.Lock());
    m_bIdle = idle;
}

bool CInstallerCore::IsIdle() const
{
    std::lock_guard guard(const_cast<CMessageStore&>(m_messages).Lock());
    return m_bIdle;
}

void CInstallerCore::RunJob(const std::function<void()>& work, ProgressKind kind)
{
    {
        std::lock_guard guard(m_messages.Lock());
        m_bCancel = m_bInterrupted;
        if (!m_bInterrupted)
            m_link.ClearAbort();
        m_bIdle = false;
    }
    // Whichever thread the view runs the work on holds the link for it.
    m_view.RunWithProgress([&] {
        std::lock_guard job(m_jobLock);
        if (!m_bClosing)
            work();
    }, kind);
    SetIdle(true);
}

void CInstallerCore::Cancel()
{
    std::lock_guard guard(m_messages.Lock());
    m_bCancel = true;
    ++m_nCancels;
    m_link.Abort();
    m_cancelled.notify_all();
}

unsigned long CInstallerCore::CancelCount() const
{
    std::lock_guard guard(const_cast<CMessageStore&>(m_messages).Lock());
    return m_nCancels;
}

std::chrono::steady_clock::duration CInstallerCore::TimeWaited() const
{
    std::lock_guard guard(const_cast<CMessageStore&>(m_messages).Lock());
    return m_waited;
}

void CInstallerCore::Interrupt()
{
    std::lock_guard guard(m_messages.Lock());
    m_bInterrupted = true;
    m_bCancel = true;
    ++m_nCancels;
    m_link.Abort();
    m_cancelled.notify_all();
}

bool CInstallerCore::IsInterrupted() const
{
    std::lock_guard guard(const_cast<CMessageStore&>(m_messages).Lock());
    return m_bInterrupted;
}

void CInstallerCore::ClearCancel()
{
    std::lock_guard guard(m_messages.Lock());
    m_bCancel = m_bInterrupted;
}

void CInstallerCore::CloseLink()
{
    std::lock_guard job(m_jobLock);
    if (m_link.IsOpen())
        m_link.ClosePort();
}

bool CInstallerCore::WaitUnlessCancelled(unsigned long ms)
{
    const auto start = std::chrono::steady_clock::now();
    const auto until = start + std::chrono::milliseconds(ScaledWaitMs(ms));
    std::unique_lock guard(m_messages.Lock());
    const bool cancelled = m_cancelled.wait_until(guard, until, [this] { return m_bCancel; });
    m_waited += std::chrono::steady_clock::now() - start;
    return !cancelled;
}

bool CInstallerCore::IsCancelled() const
{
    std::lock_guard guard(const_cast<CMessageStore&>(m_messages).Lock());
    return m_bCancel;
}

void CInstallerCore::Progress(const std::string& text)
{
    AddStatusMessage(text);
    m_view.SetProgressText(text);
}

std::vector<ComPortChoice> CInstallerCore::FillComPortList()
{
    std::vector<ComPortChoice> ports;
    for (const ComPortEntry& port : ListComPorts())
        ports.push_back({"COM" + std::to_string(port.number), port.number});
    // The list sorts as text, so COM10 comes before COM2.
    std::sort(ports.begin(), ports.end(), [](const auto& a, const auto& b) { return a.strName < b.strName; });
    return ports;
}

bool CInstallerCore::ValidateDisplayAddress(bool silent, int address)
{
    if (address >= 1 && address <= 240)
        return true;
    if (!silent)
        m_view.ShowMessageBox("You have entered an invalid display address.  A valid display\n"
                              "address is between 1 and 240.");
    AddErrorMessage(300, "Invalid network address for a Quorvantix Reader Board");
    return false;
}

short CInstallerCore::Disconnect()
{
    std::lock_guard job(m_jobLock);
    const short result = m_link.ClosePort();
    std::lock_guard guard(m_messages.Lock());
    m_bCancel = m_bInterrupted;
    return result;
}

bool CInstallerCore::IsPortBusy(int port, SerialOpenFailure* why)
{
    CS22SignLink probe;
    if (probe.OpenPort(static_cast<short>(port), 115200, 0) != S22NET_OK) {
        if (why != nullptr)
            *why = probe.Port().LastOpenFailure();
        return true;
    }
    probe.ClosePort();
    return false;
}

// Retrieval.

bool CInstallerCore::RetrieveFile(CXmlDoc& doc, int address, const char* name, const char* retrieving,
                                  const char* retrieved, const char* abortedLine, int taskCode, const char* failure)
{
    Progress(retrieving);
    short result = S22NET_OK;
    const unsigned char* data = m_link.GetFile(static_cast<unsigned char>(address), name, result, nullptr, 0);
    if (result == S22NET_OK && data != nullptr) {
        const std::string text(reinterpret_cast<const char*>(data), m_link.GetTransferFigures().retrievedSize);
        if (doc.SetDocument(text, true)) {
            AddStatusMessage(retrieved);
            return true;
        }
    }
    if (result == ERR_SIGN_ABORT && abortedLine != nullptr)
        AddStatusMessage(abortedLine);
    AddErrorMessage(taskCode, failure);
    return false;
}

bool CInstallerCore::RetrieveStatus(CXmlDoc& doc, int address)
{
    std::lock_guard job(m_jobLock);
    return RetrieveFile(doc, address, "STATUS.XML", "Retrieving status file...", "The status file was retrieved.",
                        "Retrieving status file was aborted", 504, "Status file cannot be retrieved");
}

bool CInstallerCore::RetrieveConfig(CXmlDoc& doc, int address)
{
    std::lock_guard job(m_jobLock);
    return RetrieveFile(doc, address, "CONFIG.XML", "Retrieving configuration file...",
                        "The config file was retrieved.", nullptr, 512, "Config file cannot be retrieved");
}

void CInstallerCore::ShowDisplayInfo()
{
    std::lock_guard job(m_jobLock);
    const auto config = BuildConfigRows(m_configDoc, m_summary, m_signType);
    const auto status = BuildStatusRows(m_statusDoc);
    m_view.ShowDisplayLists(config, status);
}

std::string CInstallerCore::RecommendedFirmware() const
{
    return RecommendedFirmwareVersion(m_bFirmwareLine);
}

bool CInstallerCore::SendFileToSign(int address, const std::string& name, const unsigned char* data,
                                    unsigned long size, bool compress)
{
    std::lock_guard job(m_jobLock);
    m_strSending = name;
    const short result =
        m_link.SendCompressedFile(static_cast<unsigned char>(address), name, data, size, nullptr, 0, compress);
    if (result == S22NET_OK)
        return true;
    if (result == ERR_SIGN_NO_RESPONSE && m_bFirmwareLine && NamesFirmwareFamily(name, true))
        return true;
    if (result != ERR_SIGN_ABORT) {
        // The task line says only that it failed; where and why helps whoever is on the ladder.
        std::string reason = S22ResultText(result);
        if (!reason.empty() && reason.back() == '\n')
            reason.pop_back();
        char detail[200];
        std::snprintf(detail, sizeof detail, "Sending %s stopped after %u of %u blocks (%s).", name.c_str(),
                      static_cast<unsigned>(m_link.GetTransferFigures().blocksDone),
                      static_cast<unsigned>(m_link.GetTransferFigures().blocksTotal),
                      reason.c_str());
        AddStatusMessage(detail);
    }
    return false;
}

std::string CInstallerCore::GetFirmwareVersion()
{
    std::lock_guard job(m_jobLock);
    return ::GetFirmwareVersion(m_statusDoc);
}

// Keep-alive.

void CInstallerCore::BeginBusy()
{
    if (!m_bClosing)
        m_keepAlive->Stop();
}

void CInstallerCore::EndBusy()
{
    RearmKeepAlive();
}

void CInstallerCore::OnTransferStart(unsigned long totalBlocks)
{
    m_view.SetProgressSteps(static_cast<int>(totalBlocks));
    m_view.ShowTransferProgress(m_strSending, 0, m_link.GetTransferFigures().sendSize);
}

void CInstallerCore::OnBlockSent()
{
    m_view.StepProgress();
    const unsigned long total = m_link.GetTransferFigures().sendSize;
    // Blocks done count the start frame; each data block carries 246 bytes, the last the rest.
    const unsigned long blocks = m_link.GetTransferFigures().blocksDone;
    const unsigned long done = blocks > 0 ? (blocks - 1) * 246 : 0;
    m_view.ShowTransferProgress(m_strSending, std::min(done, total), total);
}

void CInstallerCore::OnKeepAlive()
{
    {
        std::unique_lock job(m_jobLock, std::try_to_lock);
        if (m_bClosing)
            return;
        if (!job.owns_lock()) {
            // Another operation is running: its exchanges keep the line alive, and should it
            // make none (it waits on the operator), the line is looked at again a period later.
            RearmKeepAlive();
            return;
        }
        if (!m_link.IsOpen()) {
            m_keepAlive->Stop();
            return;
        }
    }
    RunJob([this] {
        if (!m_link.IsOpen())
            return; // closed in the meantime
        m_view.SetProgressText("Refreshing sign connection");
        RetrieveStatus(m_statusDoc, m_nConnectedAddress);
    });
    // A view may not run the refresh just now (a window with a box open), and then no exchange
    // re-arms the timer: without this the line would never be refreshed again.
    std::unique_lock job(m_jobLock, std::try_to_lock);
    if (!job.owns_lock() || m_link.IsOpen())
        RearmKeepAlive();
}

void CInstallerCore::RearmKeepAlive()
{
    if (!m_bClosing)
        m_keepAlive->Start(std::chrono::milliseconds(ScaledMs(kKeepAliveMs)));
}

// Connecting.

void CInstallerCore::BuildConnectionList(std::vector<CONNECTION_INFO>& list, int address, int port,
                                         const BaudChoice& baud)
{
    static const int kAllRates[] = {115200, 19200, 56700, 38400, 28800, 9600, 4800, 2400};
    std::vector<std::pair<int, int>> attempts; // protocol, rate
    if (!baud.bGiven) {
        attempts = {{PROTOCOL_PELLWORTH, 115200}, {PROTOCOL_PELLWORTH, 19200}, {PROTOCOL_S2200, 19200},
                    {PROTOCOL_S2200, 115200}};
    } else if (baud.nRate != 0) {
        attempts = {{PROTOCOL_PELLWORTH, baud.nRate}, {PROTOCOL_S2200, baud.nRate}};
    } else {
        for (int protocol : {PROTOCOL_PELLWORTH, PROTOCOL_S2200})
            for (int rate : kAllRates)
                attempts.emplace_back(protocol, rate);
    }
    list.clear();
    for (const auto& [protocol, rate] : attempts)
        list.push_back({protocol, static_cast<unsigned short>(port), address, rate});
}

int CInstallerCore::ConnectToDisplay(bool runInline, const std::vector<CONNECTION_INFO>& list,
                                     CONNECTION_INFO& outcome, int address)
{
    int result = CONNECT_NO_ANSWER;
    auto work = [&] { ConnectionWork(list, outcome, address, result); };
    if (runInline) {
        std::lock_guard job(m_jobLock);
        work();
    } else {
        RunJob(work);
    }
    return result;
}

void CInstallerCore::ConnectionWork(const std::vector<CONNECTION_INFO>& list, CONNECTION_INFO& outcome,
                                    int address, int& result)
{
    result = TryConnections(list, outcome);
    if (result != CONNECT_OK)
        return;
    m_nConnectedAddress = address;
    // The summary keeps earlier values where a file has no sign port; never another display's.
    m_summary = ConfigSummary{};
    const bool config = RetrieveConfig(m_configDoc, address);
    const bool status = RetrieveStatus(m_statusDoc, address);
    // A status that could not be read is still the previous display's: never decide from it.
    std::string version = status ? GetFirmwareVersion() : std::string();
    if (version.empty())
        version = "Unknown";
    SetFirmwareLine(NamesFirmwareFamily(version, true));
    if (!config || !status) {
        // A reset's reply is its request's own bytes; the file reads show whether a display made it.
        if (ReportLineEchoes(outcome.nPort)) {
            result = CONNECT_LINE_ECHOES;
            return;
        }
        result = CONNECT_NOT_OUR_DISPLAY;
        m_link.ClosePort(); // not a display to stay connected to
    }
}

int CInstallerCore::TryConnections(const std::vector<CONNECTION_INFO>& list, CONNECTION_INFO& outcome)
{
    std::lock_guard job(m_jobLock);
    {
        std::lock_guard guard(m_messages.Lock());
        m_bCancel = m_bInterrupted;
        if (!m_bInterrupted)
            m_link.ClearAbort();
    }
    if (m_link.IsOpen())
        m_link.ClosePort();
    int result = CONNECT_NO_ANSWER;
    const CONNECTION_INFO* previous = nullptr;
    for (const CONNECTION_INFO& entry : list) {
        if (result == CONNECT_OK || result == CONNECT_PORT_BUSY || result == CONNECT_NOT_OUR_DISPLAY
            || result == CONNECT_LINE_ECHOES || IsCancelled())
            break;
        if (previous == nullptr || previous->nAddress != entry.nAddress)
            AddStatusMessage(Format("Connecting to Sign at address %d...", entry.nAddress));
        previous = &entry;
        result = ConnectAttempt(entry);
        if (result == CONNECT_OK) {
            outcome = entry;
        } else if (result == CONNECT_NOT_OUR_DISPLAY) {
            AddErrorMessage(101, "Display is not a Quorvantix Reader Board");
            m_link.ClosePort();
        }
    }
    if (IsCancelled()) {
        AddStatusMessage("Connecting to the display has been aborted");
        if (m_link.IsOpen())
            m_link.ClosePort();
        return CONNECT_ABORTED;
    }
    if (result == CONNECT_NO_ANSWER) {
        AddErrorMessage(510, "Could not connect to display");
        AddStatusMessage("The display may not have power or a connectivity problem exists");
    }
    return result;
}

int CInstallerCore::ConnectAttempt(const CONNECTION_INFO& entry)
{
    std::lock_guard job(m_jobLock);
    return entry.nProtocol == PROTOCOL_PELLWORTH ? PellworthAttempt(entry) : S2200Attempt(entry);
}

bool CInstallerCore::OpenForAttempt(const CONNECTION_INFO& entry)
{
    if (m_link.OpenPort(static_cast<short>(entry.nPort), static_cast<unsigned long>(entry.nBaud), 0) == S22NET_OK)
        return true;
    AddErrorMessage(500, Format("Serial COM%d is busy.", static_cast<short>(entry.nPort)));
    ReportOpenFailure(static_cast<short>(entry.nPort), m_link.Port().LastOpenFailure());
    return false;
}

void CInstallerCore::ReportOpenFailure(int port, const SerialOpenFailure& failure)
{
    for (const std::string& line : DescribeOpenFailure(port, failure))
        AddStatusMessage(line);
}

int CInstallerCore::S2200Attempt(const CONNECTION_INFO& entry)
{
    Progress(Format("Connecting with S2200 Protocol at %d baud", entry.nBaud));
    if (!OpenForAttempt(entry))
        return CONNECT_PORT_BUSY;
    if (m_link.SequenceReset(static_cast<unsigned char>(entry.nAddress)) == S22NET_OK) {
        AddStatusMessage(Format("Connection established with S2200 Protocol at %d baud.", entry.nBaud));
        return CONNECT_OK;
    }
    m_link.ClosePort();
    AddStatusMessage(Format("Connection with S2200 Protocol at %d baud has failed.", entry.nBaud));
    return CONNECT_NO_ANSWER;
}

int CInstallerCore::PellworthAttempt(const CONNECTION_INFO& entry)
{
    Progress(Format("Connecting with Pellworth Protocol at %d baud", entry.nBaud));
    if (!OpenForAttempt(entry))
        return CONNECT_PORT_BUSY;
    if (IsCancelled())
        return CONNECT_ABORTED;
    std::string text;
    const short answered = m_link.GetSignType(static_cast<unsigned char>(entry.nAddress), text);
    AddStatusMessage(Format("Response from get sign type: %d", answered));
    AddStatusMessage("Sign Type Version:" + text);
    const std::string failed = Format("Connection with Pellworth Protocol at %d baud has failed.", entry.nBaud);
    if (answered == ERR_SIGN_ABORT)
        return CONNECT_NO_ANSWER;
    if (answered != S22NET_OK)
        return UnansweredSignType(entry);
    if (ReportLineEchoes(entry.nPort))
        return CONNECT_LINE_ECHOES;
    if (text.size() < 7) {
        AddStatusMessage(failed);
        AddStatusMessage("Unknown firmware version format.");
        AddStatusMessage(Format("Detected a HITECH display at %d baud.", entry.nBaud));
        m_link.ClosePort();
        return CONNECT_NOT_OUR_DISPLAY;
    }
    const std::string family = text.substr(0, 7);
    if (family == "FX40211")
        return SwitchPellworthDisplay(entry);
    m_link.ClosePort();
    if (family == "FX40377")
        return CONNECT_NO_ANSWER;
    AddStatusMessage(failed);
    AddStatusMessage(Format("Detected a HITECH display at %d baud.", entry.nBaud));
    return CONNECT_NOT_OUR_DISPLAY;
}

bool CInstallerCore::ReportLineEchoes(int port)
{
    if (!m_link.Port().Echoes().OnlyEchoes())
        return false;
    AddStatusMessage(Format("COM%d echoes what is sent: a loop-back plug, or an adapter echoing, is on the line"
                            " and no display answered.",
                            port));
    m_link.ClosePort();
    return true;
}

// No sign-type answer: the display may already speak the controller protocol.
int CInstallerCore::UnansweredSignType(const CONNECTION_INFO& entry)
{
    const short reset = m_link.SequenceReset(static_cast<unsigned char>(entry.nAddress));
    if (reset == S22NET_OK) {
        AddStatusMessage(Format("Connection with Pellworth Protocol at %d baud has failed.", entry.nBaud));
        AddStatusMessage(Format("Connection established with S2200 Protocol at %d baud.", entry.nBaud));
        return CONNECT_OK;
    }
    if (reset == ERR_SIGN_ABORT)
        return CONNECT_NO_ANSWER;
    AddStatusMessage(Format("Connection with Pellworth Protocol at %d baud has failed.", entry.nBaud));
    AddStatusMessage("Unable to retrieve firmware version info.");
    m_link.ClosePort();
    return CONNECT_NO_ANSWER;
}

int CInstallerCore::SwitchPellworthDisplay(const CONNECTION_INFO& entry)
{
    const auto address = static_cast<unsigned char>(entry.nAddress);
    short result = m_link.PellworthPing(address);
    if (result == S22NET_OK) {
        AddStatusMessage(Format("Connection established with Pellworth Protocol at %d baud.", entry.nBaud));
        AddStatusMessage(Format("Changing to S2200 Protocol at %d baud.", entry.nBaud));
        result = m_link.SwitchToS2200(address);
    }
    if (IsCancelled())
        return CONNECT_ABORTED;
    const std::string failed = Format("Connection with Pellworth Protocol at %d baud has failed.", entry.nBaud);
    if (result == S22NET_OK) {
        const short reset = m_link.SequenceReset(address);
        if (reset == S22NET_OK)
            return CONNECT_OK;
        if (reset == ERR_SIGN_ABORT)
            return CONNECT_NO_ANSWER;
        m_link.ClosePort();
        AddStatusMessage(failed);
        AddStatusMessage("Invalid response from ping.");
        return CONNECT_NO_ANSWER;
    }
    m_link.ClosePort();
    if (result == ERR_SIGN_INVALID_RESPONSE) {
        AddStatusMessage(failed);
        AddStatusMessage("Unable to reset to S2200 Protocol.");
        return CONNECT_SWITCH_REFUSED;
    }
    return CONNECT_NO_ANSWER;
}
