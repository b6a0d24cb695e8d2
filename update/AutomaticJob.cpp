#include "update/AutomaticJob.h"

#include "link/PortFailure.h"
#include "update/DisplayList.h"
#include "update/FirmwareInstaller.h"
#include "update/package/FirmwareLine.h"
#include "update/package/PackageFiles.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <iterator>
#include <utility>

namespace {

#if defined(__GNUC__)
std::string Format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));
#endif

std::string Format(const char* pattern, ...)
{
    char line[512];
    va_list arguments;
    va_start(arguments, pattern);
    std::vsnprintf(line, sizeof line, pattern, arguments);
    va_end(arguments);
    return line;
}

const char kJobStartLine[] = "***   Starting automatic updates   ***";
const char kJobEndLine[] = "***   Automatic updates are complete   ***";

LineFigures FiguresOf(const S22LineFigures& meter)
{
    LineFigures figures;
    figures.bKnown = true;
    figures.nFramesSent = meter.framesSent;
    figures.nFramesRepeated = meter.framesRepeated;
    figures.nBytesSent = meter.bytesSent;
    figures.nReplies = meter.replies;
    figures.dMedianReplyMs = meter.medianReplyMs;
    figures.dMedianExcessMs = meter.medianExcessMs;
    return figures;
}

const char* ProtocolName(int protocol)
{
    return protocol == PROTOCOL_PELLWORTH ? "Pellworth Protocol" : "S2200 Protocol";
}

} // namespace

CAutomaticUpdateJob::CAutomaticUpdateJob(CInstallerCore& core, CFirmwareInstaller& firmware, std::string displaysPath)
    : m_core(core), m_firmware(firmware), m_strDisplaysPath(std::move(displaysPath)),
      m_strDisplaysAsGiven(m_strDisplaysPath), m_strDisplaysLookedAt(m_strDisplaysPath)
{
}

void CAutomaticUpdateJob::SetDisplayListNames(std::string asGiven, std::string lookedAt)
{
    m_strDisplaysAsGiven = std::move(asGiven);
    m_strDisplaysLookedAt = std::move(lookedAt);
}

void CAutomaticUpdateJob::Step(const std::function<void()>& work)
{
    m_core.RunJob(work);
}

bool CAutomaticUpdateJob::Aborted() const
{
    return m_core.IsCancelled();
}

// The job.

int CAutomaticUpdateJob::RunAutomaticUpdates()
{
    const auto started = Clock::now();
    m_report = JobReport{};
    m_report.strStarted = ReportTimestamp();
    m_report.strDisplayList = m_strDisplaysLookedAt;
    m_report.strDisplayListAsGiven = m_strDisplaysAsGiven;
    m_report.bParallel = m_bParallel;

    m_unreached.clear();
    m_nDisplayNumber = 0;

    // The job is one operation: an Abort in any of its steps, or a stop signal, ends all of it.
    COperationScope job(m_core.Runner());
    m_core.BeginJob();
    Log(kJobStartLine);
    CMapControllerComBus ports;
    std::vector<DisplayInfo> entries;
    const bool loaded = LoadDisplayList(ports, entries);
    if (m_pEvents != nullptr)
        m_pEvents->JobStarted(m_report, entries.size() + m_unreached.size());
    if (loaded) {
        if (entries.empty())
            m_core.AddErrorMessage(105, "Zero (0) displays configured in Displays.dat");
        else
            WorkPorts(ports);
    }
    ReportUnreachedEntries();
    // An operator's Abort, or a signal to an unattended run: either way not every display was done.
    const bool aborted = Aborted();
    if (aborted) {
        m_core.AddErrorMessage(601, "Not all displays were updated due to the user aborting update");
    }
    m_report.bAborted = aborted;
    const int result = m_core.EndJob();
    // The log writes the job line itself; the operator and the terminal see it where the log has it.
    m_core.Messages().AddShownLine(m_core.LogManager().GetJobLine());
    Log(kJobEndLine);
    m_core.Session().ShowAddress(1);
    m_core.Session().ShowLine(0);

    // The job's own lines, outside every display's task; the tasks keep theirs.
    const OperationOutcome outcome = job.Outcome();
    for (const ErrorLine& line : outcome.lines)
        m_report.jobLines.push_back({line.nCode, line.strText});
    m_report.nWorstTaskCode = outcome.WorstCode();
    for (const DisplayReport& display : m_report.displays)
        for (const TaskLine& line : display.tasks)
            m_report.nWorstTaskCode = std::max(m_report.nWorstTaskCode, line.nCode);
    m_report.nJobResult = result;
    m_report.dSeconds = std::chrono::duration<double>(Clock::now() - started).count();
    if (m_pEvents != nullptr)
        m_pEvents->JobFinished(m_report);
    return result;
}

void CAutomaticUpdateJob::WorkPorts(const CMapControllerComBus& ports)
{
    std::vector<unsigned> numbers;
    ports.GetPorts(numbers);
    const std::size_t first = m_report.displays.size();
    std::vector<LineWork> lines;
    for (const unsigned port : numbers) {
        std::vector<DisplayInfo> onPort;
        ports.GetEntriesOnPort(port, onPort);
        // After an abort the other ports are not even opened to see whether they are free.
        if (Aborted()) {
            for (const DisplayInfo& entry : onPort)
                NotTried(entry, -1, "the job was aborted before this display");
            continue;
        }
        if (!PortIsFree(port, onPort))
            continue;
        if (m_bParallel)
            lines.push_back({static_cast<int>(port), std::move(onPort)});
        else
            UpdateDisplaysOnPort(onPort);
    }
    if (lines.empty())
        return;
    WorkLinesTogether(lines);
    // The report lists the displays in the job's order, port by port, as the job that works one
    // port after the other does; within a port they finished in that order.
    auto rank = [&](const DisplayReport& display) {
        return std::find(numbers.begin(), numbers.end(), static_cast<unsigned>(display.nPort)) - numbers.begin();
    };
    std::stable_sort(m_report.displays.begin() + static_cast<std::ptrdiff_t>(first), m_report.displays.end(),
                     [&](const DisplayReport& a, const DisplayReport& b) { return rank(a) < rank(b); });
}

bool CAutomaticUpdateJob::PortIsFree(unsigned port, const std::vector<DisplayInfo>& onPort)
{
    SerialOpenFailure why;
    if (!CDisplayConnector::IsPortBusy(static_cast<int>(port), &why))
        return true;
    const std::string busy = Format("Serial COM%d port is busy", static_cast<short>(port));
    m_core.AddErrorMessage(500, busy);
    const std::vector<std::string> reasons = DescribeOpenFailure(static_cast<int>(port), why);
    m_core.Connector().ReportOpenFailure(static_cast<int>(port), why);
    for (const DisplayInfo& entry : onPort)
        NotTried(entry, 500, reasons.empty() ? busy : busy + ": " + reasons.front());
    return false;
}

// Passes a line's displays on to the job as each finishes: its task's lines into the job's log
// whole, its report entry, and the events with the job's running numbers.
class CAutomaticUpdateJob::CLineRelay final : public IJobEvents {
public:
    CLineRelay(CAutomaticUpdateJob& job, CInstallerCore& lineCore) : m_job(job), m_lineCore(lineCore) {}

    void JobStarted(const JobReport&, std::size_t) override {}
    void JobFinished(const JobReport&) override {}

    void DisplayStarted(const DisplayReport& display, std::size_t) override
    {
        std::lock_guard guard(m_job.m_lineLock);
        m_nWorking = ++m_job.m_nDisplayNumber;
        if (m_job.m_pEvents != nullptr)
            m_job.m_pEvents->DisplayStarted(display, m_nWorking);
    }

    void DisplayFinished(const DisplayReport& display, std::size_t) override
    {
        std::lock_guard guard(m_job.m_lineLock);
        // A display that is not tried only finishes, and has no task.
        const bool worked = m_nWorking != 0;
        const std::size_t number = worked ? m_nWorking : ++m_job.m_nDisplayNumber;
        m_nWorking = 0;
        if (worked)
            m_job.m_core.Messages().AddTask(m_lineCore.TakeLoggedMessages());
        m_job.m_report.displays.push_back(display);
        if (m_job.m_pEvents != nullptr)
            m_job.m_pEvents->DisplayFinished(m_job.m_report.displays.back(), number);
    }

private:
    CAutomaticUpdateJob& m_job;
    CInstallerCore& m_lineCore;
    std::size_t m_nWorking = 0; // the job's number of the line's display being worked; 0 between
};

void CAutomaticUpdateJob::WorkLinesTogether(const std::vector<LineWork>& lines)
{
    // One step of the job's: in view, the progress window stands (with its Abort) until every
    // line is done, and shows each line's step.
    Step([&] {
        WorkLinesAtOnce(m_core, m_firmware.Switches(), lines, [this](CLineWorkspace& space, const LineWork& line) {
            CAutomaticUpdateJob lineJob(space.Core(), space.Firmware(), m_strDisplaysPath);
            CLineRelay relay(*this, space.Core());
            lineJob.SetEvents(&relay);
            lineJob.WorkLine(line.entries);
        });
    });
}

void CAutomaticUpdateJob::WorkLine(const std::vector<DisplayInfo>& entries)
{
    COperationScope job(m_core.Runner());
    m_core.BeginJob();
    UpdateDisplaysOnPort(entries);
}

DisplayReport CAutomaticUpdateJob::ReportOf(const DisplayInfo& entry)
{
    DisplayReport report;
    report.strName = entry.strName;
    report.nPort = entry.nComPort;
    report.nAddress = entry.nAddress;
    report.nBaud = entry.nBaudRate;
    return report;
}

void CAutomaticUpdateJob::NotTried(const DisplayInfo& entry, int code, const std::string& reason)
{
    DisplayReport report = ReportOf(entry);
    report.nOutcomeCode = code;
    report.strReason = reason;
    NotTried(std::move(report));
}

void CAutomaticUpdateJob::NotTried(DisplayReport display)
{
    display.outcome = DisplayOutcome::NotTried;
    m_report.displays.push_back(std::move(display));
    if (m_pEvents != nullptr)
        m_pEvents->DisplayFinished(m_report.displays.back(), ++m_nDisplayNumber);
}

void CAutomaticUpdateJob::ReportUnreachedEntries()
{
    for (DisplayReport& display : m_unreached)
        NotTried(std::move(display));
    m_unreached.clear();
}

int CAutomaticUpdateJob::RecordRefusedStart(CInstallerCore& core, const std::string& problem)
{
    core.BeginJob();
    core.AddStatusMessage(kJobStartLine);
    core.AddErrorMessage(kTaskNotStarted, problem);
    const int result = core.EndJob();
    core.AddStatusMessage(kJobEndLine);
    return result;
}

bool CAutomaticUpdateJob::LoadDisplayList(CMapControllerComBus& ports, std::vector<DisplayInfo>& entries)
{
    CSilentConfigFileParser parser;
    if (!parser.Open(m_strDisplaysPath)) {
        m_core.AddErrorMessage(600, "Could not find OR open displays.dat to get display information.");
        ReportListFault(parser);
        return false;
    }
    for (const std::string& skipped : parser.GetSkippedRecords())
        Log("Display list: " + skipped);
    if (!parser.GetCutRecordName().empty()) {
        const std::string name = qvxpkg::Printable(parser.GetCutRecordName());
        Log("Display list: the record at line " + std::to_string(parser.GetCutRecordLine()) + " (\"" + name +
            "\") ends before its COM port and baud rate lines; its displays cannot be reached");
        m_core.AddErrorMessage(kTaskListRecordCut, "Displays.dat ends inside the record of display " + name);
    }
    for (const RefusedRecord& refused : parser.GetRefusedRecords()) {
        DisplayReport display;
        display.strName = refused.strName;
        display.nOutcomeCode = refused.strWhy.starts_with("its record ends") ? kTaskListRecordCut : -1;
        display.strReason = "the display list's line " + std::to_string(refused.nLine) + ": " + refused.strWhy;
        m_unreached.push_back(std::move(display));
    }
    parser.GetDisplays(entries);
    DropRepeatedDisplays(entries);
    ports.Build(entries);
    return true;
}

void CAutomaticUpdateJob::ReportListFault(const CSilentConfigFileParser& parser)
{
    if (m_strDisplaysAsGiven.empty()) {
        m_report.strDisplayListFault = "no display list was named (-df)";
        Log("No display list was named (-df).");
        return;
    }
    std::string fault = parser.GetFault();
    if (m_strDisplaysPath.empty() || fault.empty())
        fault = "there is no file at " + m_strDisplaysLookedAt;
    m_report.strDisplayListFault = fault;
    Log("Display list \"" + m_strDisplaysAsGiven + "\", looked for at " + m_strDisplaysLookedAt + ": " + fault);
}

void CAutomaticUpdateJob::DropRepeatedDisplays(std::vector<DisplayInfo>& entries)
{
    for (const RepeatedDisplay& repeated : RemoveRepeatedDisplays(entries)) {
        const DisplayInfo& entry = repeated.entry;
        Log(Format("Display list: COM%d address %u is listed again (as %s, first as %s); it is worked once",
                   static_cast<int>(entry.nComPort), static_cast<unsigned>(entry.nAddress),
                   qvxpkg::Printable(entry.strName).c_str(), qvxpkg::Printable(repeated.strFirstName).c_str()));
        DisplayReport display = ReportOf(entry);
        display.strReason = "listed again: the display at this port and address is worked as " +
                            qvxpkg::Printable(repeated.strFirstName);
        m_unreached.push_back(std::move(display));
    }
}

void CAutomaticUpdateJob::BuildDisplayConnectionList(std::vector<CONNECTION_INFO>& list, int address, int port,
                                                     unsigned long baud, bool pellworthFirst)
{
    const CONNECTION_INFO s2200{PROTOCOL_S2200, static_cast<unsigned short>(port), address, static_cast<int>(baud)};
    const CONNECTION_INFO pellworth{PROTOCOL_PELLWORTH, static_cast<unsigned short>(port), address,
                                    static_cast<int>(baud)};
    list.clear();
    list.push_back(pellworthFirst ? pellworth : s2200);
    list.push_back(pellworthFirst ? s2200 : pellworth);
}

// One port.

namespace {

bool IsReachableAddress(const DisplayInfo& entry)
{
    return entry.nAddress >= 1 && entry.nAddress <= 240;
}

} // namespace

void CAutomaticUpdateJob::UpdateDisplaysOnPort(const std::vector<DisplayInfo>& entries)
{
    // Only addresses a controller can have are ever spoken to, by the refresh passes too: 0
    // would reach every controller on the line at once.
    std::vector<DisplayInfo> reachable;
    std::copy_if(entries.begin(), entries.end(), std::back_inserter(reachable), IsReachableAddress);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (Aborted()) {
            NotTried(entries[i], -1, "the job was aborted before this display");
            continue;
        }
        const bool anotherFollows = std::any_of(entries.begin() + static_cast<std::ptrdiff_t>(i) + 1, entries.end(),
                                                IsReachableAddress);
        WorkDisplay(reachable, entries[i], anotherFollows);
    }
}

void CAutomaticUpdateJob::WorkDisplay(const std::vector<DisplayInfo>& reachable, const DisplayInfo& entry,
                                      bool anotherFollows)
{
    const auto started = Clock::now();
    COperationScope task(m_core.Runner(), NestedLines::KeptApart);
    m_core.BeginTask();
    DisplayReport report = ReportOf(entry);
    const std::size_t number = ++m_nDisplayNumber;
    if (m_pEvents != nullptr)
        m_pEvents->DisplayStarted(report, number);
    m_bInstallSent = false;
    m_core.Session().ShowLine(entry.nComPort); // from its refresh on, the line being worked
    OutcomeFacts facts;
    if (!IsReachableAddress(entry)) {
        RefuseAddress(entry);
    } else {
        RefreshDisplays(reachable);
        // A display reset after its check restarts for a while; the next display's refresh on
        // the same line must not meet it half booted and call that a connection failure.
        if (!Aborted()) {
            facts.bWorked = true;
            const S22LineMark mark = m_core.Session().Link().LineMeter().Mark();
            if (UpdateDisplay(entry, report) && anotherFollows && !Aborted())
                AwaitRestart(entry);
            report.line = FiguresOf(m_core.Session().Link().LineMeter().Since(mark));
        }
    }
    m_core.EndTask();
    for (const ErrorLine& error : task.Outcome().lines)
        report.tasks.push_back({error.nCode, error.strText,
                                static_cast<unsigned>(error.nAddress != 0 ? error.nAddress : static_cast<int>(entry.nAddress))});
    report.dSeconds = std::chrono::duration<double>(Clock::now() - started).count();
    facts.bInstallSent = m_bInstallSent;
    facts.bAborted = Aborted();
    if (facts.bWorked) {
        DecideOutcome(report, facts);
    } else {
        // Its address is refused, or the job was aborted during its refresh.
        const auto refused = std::find_if(report.tasks.begin(), report.tasks.end(),
                                          [](const TaskLine& line) { return line.nCode == 300; });
        report.nOutcomeCode = refused != report.tasks.end() ? 300 : -1;
        report.strReason = refused != report.tasks.end()
                               ? Format("its address %u is not one of 1 to 240", static_cast<unsigned>(entry.nAddress))
                               : std::string("the job was aborted before this display");
    }
    m_report.displays.push_back(std::move(report));
    if (m_pEvents != nullptr)
        m_pEvents->DisplayFinished(m_report.displays.back(), number);
}

void CAutomaticUpdateJob::RefuseAddress(const DisplayInfo& entry)
{
    Log(Format("Display %s on COM%d is not worked: its address %u is not one of 1 to 240 (0 would reach every "
               "controller on the line)",
               qvxpkg::Printable(entry.strName).c_str(), static_cast<int>(entry.nComPort),
               static_cast<unsigned>(entry.nAddress)));
    m_core.Connector().ValidateDisplayAddress(true, static_cast<int>(entry.nAddress));
}

bool CAutomaticUpdateJob::UpdateDisplay(const DisplayInfo& entry, DisplayReport& report)
{
    const int address = static_cast<int>(entry.nAddress);
    const int port = entry.nComPort;
    Log(Format("Updating display %s %dX%d at address %d", entry.strName.c_str(), static_cast<int>(entry.nHeight),
               static_cast<int>(entry.nWidth), address));
    m_core.Session().ShowAddress(address);
    Log(Format("Attempting to connect with COM%d at %d baud", port, static_cast<int>(entry.nBaudRate)));
    std::vector<CONNECTION_INFO> list;
    BuildDisplayConnectionList(list, address, port, entry.nBaudRate, false);
    const ConnectOutcome connected = m_core.Connector().ConnectToDisplay(list, address);
    const CONNECTION_INFO& outcome = connected.entry;
    const ConnectResult result = connected.result;
    report.nConnectionResult = result;
    if (result == CONNECT_NOT_OUR_DISPLAY) {
        m_core.AddErrorMessage(101, "Display is not a Quorvantix Reader Board");
        return false;
    }
    if (result == CONNECT_PORT_BUSY) {
        m_core.AddErrorMessage(500, Format("Serial COM%d is busy.", static_cast<short>(port)));
        return false;
    }
    if (result != CONNECT_OK) {
        m_core.AddErrorMessage(510, "Could not connect to display");
        return false;
    }
    report.strProtocol = ProtocolName(outcome.nProtocol);
    Log(Format("Connection established with %s at %d baud",
               outcome.nProtocol == PROTOCOL_PELLWORTH ? "Pellworth Protocol" : "S22 Protocol", outcome.nBaud));
    if (m_core.Runner().InView())
        m_core.Session().ShowDisplayInfo();
    report.strFirmwareBefore = m_core.Session().GetFirmwareVersion();
    report.strFirmwareAfter = report.strFirmwareBefore;
    // An abort that came while the files were read stops here, before any firmware decision.
    const bool restarting = !Aborted() && InstallOnDisplay(entry, report);
    // The operator sees the display disconnected once it is done.
    if (m_core.Runner().InView())
        m_core.Session().CloseLink();
    return restarting;
}

bool CAutomaticUpdateJob::InstallOnDisplay(const DisplayInfo& entry, DisplayReport& report)
{
    const std::string current = m_core.Session().GetFirmwareVersion();
    m_core.Session().SetFirmwareLine(NamesFirmwareFamily(current, true));
    const std::string target = m_firmware.GetRecommendedFirmwareVersion();
    Log("CURRENT CONTROLLER FIRMWARE VERSION: " + current);
    if (!m_firmware.IsFirmwareUpdateNeeded())
        return false;
    report.strFirmwareTarget = target;
    Log("ATTEMPTING TO UPDATE TO FIRMWARE VERSION: " + target);
    if (Aborted())
        return false;
    const FirmwareSwitches& switches = m_firmware.Switches();
    std::string installed;
    report.strFirmwareAfter.clear(); // unknown until the display says
    const int address = static_cast<int>(entry.nAddress);
    if (!m_firmware.InstallFirmware(switches.bFirmwareFile, switches.strFirmwarePath,
                                    switches.strFirmwareFileName, installed, address))
        return false;
    m_bInstallSent = true;
    if (Aborted())
        return false;
    const VerifyOutcome verified =
        m_firmware.VerifyFirmware(entry.nComPort, entry.nBaudRate, address, entry.strName, target);
    if (verified == VerifyOutcome::Verified || m_core.Session().Link().IsOpen())
        report.strFirmwareAfter = m_core.Session().GetFirmwareVersion();
    return verified == VerifyOutcome::Verified || verified == VerifyOutcome::NotTakingEffect ||
           verified == VerifyOutcome::Unchecked;
}

void CAutomaticUpdateJob::AwaitRestart(const DisplayInfo& entry)
{
    const int address = static_cast<int>(entry.nAddress);
    const std::string waiting = Format("Waiting for display %s at address %d to restart before the next display",
                                       entry.strName.c_str(), address);
    Log(waiting);
    bool back = false;
    Step([&] {
        m_core.Runner().Progress().Text(waiting);
        back = m_firmware.AwaitRestart(entry.nComPort, entry.nBaudRate, address);
    });
    if (!back && !Aborted())
        Log(Format("Display %s at address %d did not answer after its restart", entry.strName.c_str(), address));
}

// Refreshing.

void CAutomaticUpdateJob::RefreshDisplays(const std::vector<DisplayInfo>& entries)
{
    if (entries.empty())
        return;
    Log(Format("Refreshing Displays on COM%d", static_cast<int>(entries.front().nComPort)));
    Step([&] { RefreshPass(entries); });
    if (Aborted())
        return;
    for (const DisplayInfo& entry : entries) {
        Step([&] { RefreshDisplay(entry); });
        if (Aborted()) {
            m_core.AddErrorMessage(302, "Transmission aborted");
            m_core.Session().Disconnect();
            return;
        }
    }
}

// Each display on the line is spoken to once in the Pellworth Protocol, which switches one that
// answers it over to the S2200 Protocol.
void CAutomaticUpdateJob::RefreshPass(const std::vector<DisplayInfo>& entries)
{
    m_core.Runner().Progress().Text("Refreshing displays");
    for (const DisplayInfo& entry : entries) {
        if (Aborted())
            return;
        std::vector<CONNECTION_INFO> list;
        BuildDisplayConnectionList(list, static_cast<int>(entry.nAddress), entry.nComPort, entry.nBaudRate, true);
        CONNECTION_INFO outcome;
        m_core.Connector().TryConnections(list, outcome);
        m_core.Session().CloseLink();
    }
}

void CAutomaticUpdateJob::RefreshDisplay(const DisplayInfo& entry)
{
    const int address = static_cast<int>(entry.nAddress);
    const char* name = entry.strName.c_str();
    m_core.Runner().Progress().Text(Format("Refreshing display %s", name));
    if (m_core.Connector().ValidateDisplayAddress(true, address)) {
        std::vector<CONNECTION_INFO> list;
        BuildDisplayConnectionList(list, address, entry.nComPort, entry.nBaudRate, false);
        bool done = false;
        for (int attempt = 0; attempt < 2 && !done && !Aborted(); ++attempt) {
            CONNECTION_INFO outcome;
            const int result = m_core.Connector().TryConnections(list, outcome);
            if (result == CONNECT_OK) {
                if (!m_core.Connector().RetrieveStatus(m_core.Session().StatusDoc(), address))
                    Log(Format("Failed to refresh-- could not get status file from %s at address %d", name, address));
                done = true;
            } else if (result == CONNECT_PORT_BUSY) {
                Log(Format("Could not connect to COM%d, Failed to refresh %s at address %d",
                           static_cast<int>(entry.nComPort), name, address));
                done = true;
            } else if (result == CONNECT_ABORTED) {
                done = true;
            } else if (attempt == 1) {
                Log(Format("Failed to refresh-- could not connect to %s at address %d", name, address));
            }
        }
    }
    m_core.Session().CloseLink();
}
