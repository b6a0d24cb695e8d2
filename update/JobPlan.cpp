#include "update/JobPlan.h"

#include "base/TimeScale.h"
#include "files/MapControllerComBus.h"
#include "link/S22Compress.h"
#include "update/AutomaticJob.h"
#include "update/ConfigDownload.h"
#include "update/DisplayList.h"
#include "update/DisplayTypes.h"
#include "update/FirmwareInstaller.h"
#include "update/LineWorkers.h"
#include "update/package/FirmwareLine.h"
#include "update/package/PackageFiles.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iomanip>
#include <mutex>
#include <sstream>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double LineSeconds(double bytes, unsigned long baud)
{
    return baud == 0 ? 0 : bytes * 10 / static_cast<double>(baud);
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// "1:05", "12:40", "1:02:03".
std::string Duration(double seconds)
{
    const long long whole = std::max(0LL, static_cast<long long>(seconds + 0.5));
    char text[32];
    if (whole >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    return text;
}

bool IsReachable(const DisplayInfo& entry)
{
    return entry.nAddress >= 1 && entry.nAddress <= 240;
}

// A reset's request and reply frames: the header and the checksum.
constexpr double kResetFrameBytes = 2 * 7;
// What a controller's files usually hold, where a display's own could not be read.
constexpr double kTypicalFileBytes = 2048;

} // namespace

struct CJobPlanner::Probe {
    LineMode mode = LineMode::Silent;
    bool bPortBusy = false;
    bool bEchoes = false;
    bool bFilesRead = false;
    unsigned long nBaud = 0;
    std::string strSignType;       // the customer protocol's answer
    double signSeconds = -1;       // the query, answered or not
    double resetSeconds = -1;      // the reset, answered or not
    double configSeconds = -1;
    double statusSeconds = -1;
    bool bUpdate = false;
    bool bFirmwareLine = false;
    unsigned long nStreamBytes = 0;
};

CJobPlanner::CJobPlanner(CInstallerCore& core, CFirmwareInstaller& firmware, CConfigDownloader& config,
                         std::string displaysPath)
    : m_core(core), m_firmware(firmware), m_config(config), m_strDisplaysPath(std::move(displaysPath)),
      m_strDisplaysAsGiven(m_strDisplaysPath), m_strDisplaysLookedAt(m_strDisplaysPath)
{
}

void CJobPlanner::SetDisplayListNames(std::string asGiven, std::string lookedAt)
{
    m_strDisplaysAsGiven = std::move(asGiven);
    m_strDisplaysLookedAt = std::move(lookedAt);
}

PlanResult CJobPlanner::Run(std::ostream& out)
{
    const auto started = Clock::now();
    m_report = JobReport{};
    m_report.bPlan = true;
    m_report.bParallel = m_bParallel;
    m_report.strStarted = ReportTimestamp();
    m_report.strDisplayList = m_strDisplaysLookedAt;
    m_report.strDisplayListAsGiven = m_strDisplaysAsGiven;
    m_streamBytes.clear();

    // One operation, so that a stop signal ends the plan between two exchanges.
    COperationScope plan(m_core.Runner());
    std::vector<std::vector<DisplayInfo>> lines;
    PlanResult result = PlanResult::Unread;
    if (LoadList(lines)) {
        if (m_bParallel) {
            PlanLinesAtOnce(lines);
        } else {
            for (const std::vector<DisplayInfo>& line : lines)
                PlanLine(line);
        }
        Finish(result);
    }
    m_report.bAborted = m_core.IsCancelled();
    m_report.nJobResult = -1;
    m_report.dSeconds = SecondsSince(started);
    WriteTable(out);
    return result;
}

bool CJobPlanner::LoadList(std::vector<std::vector<DisplayInfo>>& lines)
{
    CSilentConfigFileParser parser;
    if (!parser.Open(m_strDisplaysPath)) {
        m_report.strDisplayListFault = m_strDisplaysAsGiven.empty() ? "no display list was named (-df)"
                                       : parser.GetFault().empty() ? "there is no file at " + m_strDisplaysLookedAt
                                                                   : parser.GetFault();
        return false;
    }
    std::vector<DisplayInfo> entries;
    parser.GetDisplays(entries);
    const std::vector<RepeatedDisplay> repeated = RemoveRepeatedDisplays(entries);
    CMapControllerComBus ports;
    ports.Build(entries);
    std::vector<unsigned> numbers;
    ports.GetPorts(numbers);
    for (const unsigned port : numbers) {
        lines.emplace_back();
        ports.GetEntriesOnPort(port, lines.back());
    }
    // The displays the job would not reach, as the job's report lists them.
    auto unreached = [this](DisplayReport display, std::string why, const char* state = "not_tried") {
        display.bPlanned = true;
        display.plan.strState = state;
        display.plan.strNote = std::move(why);
        m_report.displays.push_back(std::move(display));
    };
    for (const RepeatedDisplay& again : repeated) {
        unreached(CAutomaticUpdateJob::ReportOf(again.entry),
                  "listed again: the job works this port and address as " + qvxpkg::Printable(again.strFirstName),
                  "listed_again");
    }
    for (const RefusedRecord& refused : parser.GetRefusedRecords()) {
        DisplayReport display;
        display.strName = refused.strName;
        unreached(std::move(display), "the display list's line " + std::to_string(refused.nLine) + ": " + refused.strWhy);
    }
    return true;
}

// One line: every display read, then the job's time on it worked out from what the reads cost.
void CJobPlanner::PlanLine(const std::vector<DisplayInfo>& entries)
{
    if (entries.empty())
        return;
    const int port = entries.front().nComPort;
    const bool busy = CDisplayConnector::IsPortBusy(port);
    std::vector<Probe> probes;
    std::vector<DisplayReport> displays;
    const S22LineMark mark = m_core.Session().Link().LineMeter().Mark();
    for (const DisplayInfo& entry : entries) {
        DisplayReport display = CAutomaticUpdateJob::ReportOf(entry);
        display.bPlanned = true;
        Probe probe;
        probe.nBaud = entry.nBaudRate;
        if (m_core.IsCancelled()) {
            display.plan.strState = "not_tried";
            display.plan.strNote = "the plan was stopped before this display";
        } else if (!IsReachable(entry)) {
            display.plan.strState = "not_tried";
            display.plan.strNote = "its address is not one of 1 to 240; the job does not work it";
        } else if (busy) {
            display.plan.strState = "port_busy";
            display.plan.strNote = "COM" + std::to_string(port) + " is held by another program";
        } else {
            probe = ProbeDisplay(entry);
            Decide(entry, probe, display);
            probes.push_back(probe);
        }
        displays.push_back(std::move(display));
    }
    const S22LineFigures figures = m_core.Session().Link().LineMeter().Since(mark);
    const double excess = figures.medianExcessMs > 0 ? figures.medianExcessMs / 1000 : 0;

    // The job's time on the line: the displays it works, in its order.
    std::vector<DisplayCosts> costs;
    std::vector<DisplayReport*> worked;
    std::size_t probed = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!IsReachable(entries[i]) || busy || displays[i].plan.strState == "not_tried")
            continue;
        const Probe& probe = probes[probed++];
        costs.push_back(CostsOf(probe, probes, excess));
        displays[i].plan.nStreamBytes = probe.bUpdate ? probe.nStreamBytes : 0;
        displays[i].plan.dTransferSeconds = costs.back().transfer;
        worked.push_back(&displays[i]);
    }
    const InstallWaits waits = [](bool firmwareLine, bool anotherFollows) {
        return ScaledWaitMs(CFirmwareInstaller::InstallWaitsMs(firmwareLine, anotherFollows)) / 1000.0;
    };
    const std::vector<double> tasks = EstimateLineTasks(costs, waits);
    for (std::size_t i = 0; i < tasks.size(); ++i) {
        worked[i]->plan.dEstimatedSeconds = tasks[i];
        m_report.dEstimatedSeconds += tasks[i];
    }
    for (DisplayReport& display : displays)
        m_report.displays.push_back(std::move(display));
}

void CJobPlanner::PlanLinesAtOnce(const std::vector<std::vector<DisplayInfo>>& lines)
{
    std::vector<LineWork> work;
    for (const std::vector<DisplayInfo>& line : lines) {
        if (!line.empty())
            work.push_back({line.front().nComPort, line});
    }
    // Each line's plan, kept in the job's order whatever order they end in.
    std::vector<JobReport> planned(work.size());
    std::mutex shownLock; // one line's lines at a time
    WorkLinesAtOnce(m_core, m_firmware.Switches(), work, [&](CLineWorkspace& space, const LineWork& line) {
        CJobPlanner linePlanner(space.Core(), space.Firmware(), space.Config(), m_strDisplaysPath);
        linePlanner.PlanLine(line.entries);
        const auto index = static_cast<std::size_t>(&line - work.data());
        planned[index] = std::move(linePlanner.m_report);
        // What the line's reads said, whole, where the plan's own lines are shown.
        std::lock_guard guard(shownLock);
        for (const std::string& text : space.Core().Messages().Lines())
            m_core.Messages().AddShownLine(text);
    });
    // The lines' displays after those the list names but no line reaches, as one line after the
    // other lists them; the job takes as long as its slowest line.
    for (JobReport& line : planned) {
        m_report.dEstimatedSeconds = std::max(m_report.dEstimatedSeconds, line.dEstimatedSeconds);
        for (DisplayReport& display : line.displays)
            m_report.displays.push_back(std::move(display));
    }
}

CJobPlanner::Probe CJobPlanner::ProbeDisplay(const DisplayInfo& entry)
{
    Probe probe;
    probe.nBaud = entry.nBaudRate;
    const auto address = static_cast<unsigned char>(entry.nAddress);
    auto hold = m_core.Session().HoldLink();
    CS22SignLink& link = m_core.Session().Link();
    if (link.IsOpen())
        link.ClosePort();
    if (link.OpenPort(static_cast<short>(entry.nComPort), entry.nBaudRate, 0) != S22NET_OK) {
        probe.bPortBusy = true;
        return probe;
    }
    m_core.Runner().Progress().Text("Reading display " + entry.strName);
    auto start = Clock::now();
    std::string text;
    const bool answered = link.GetSignType(address, text) == S22NET_OK;
    probe.signSeconds = SecondsSince(start);
    if (answered && link.Port().Echoes().OnlyEchoes()) {
        probe.bEchoes = true;
        link.ClosePort();
        return probe;
    }
    start = Clock::now();
    const bool reset = !m_core.IsCancelled() && link.SequenceReset(address) == S22NET_OK;
    probe.resetSeconds = SecondsSince(start);
    if (answered) {
        probe.strSignType = text;
        const std::string family = text.substr(0, std::min<std::size_t>(text.size(), 7));
        probe.mode = text.size() < 7 || (family != "FX40211" && family != "FX40377") ? LineMode::NotOurs
                     : family == "FX40211"                                          ? LineMode::Customer
                     : reset                                                         ? LineMode::Controller
                                                                                     : LineMode::Silent;
    } else {
        probe.mode = reset ? LineMode::Controller : LineMode::Silent;
    }
    if (probe.mode == LineMode::Controller && !m_core.IsCancelled())
        ReadFiles(entry, probe);
    link.ClosePort();
    return probe;
}

void CJobPlanner::ReadFiles(const DisplayInfo& entry, Probe& probe)
{
    const int address = static_cast<int>(entry.nAddress);
    CDisplayConnector& connector = m_core.Connector();
    m_core.Session().Summary() = ConfigSummary{};
    auto start = Clock::now();
    const bool config = connector.RetrieveConfig(m_core.Session().ConfigDoc(), address);
    probe.configSeconds = SecondsSince(start);
    start = Clock::now();
    const bool status = config && connector.RetrieveStatus(m_core.Session().StatusDoc(), address);
    probe.statusSeconds = status ? SecondsSince(start) : -1;
    probe.bFilesRead = config && status;
}

void CJobPlanner::Decide(const DisplayInfo& entry, Probe& probe, DisplayReport& display)
{
    DisplayPlan& plan = display.plan;
    if (probe.bPortBusy) {
        plan.strState = "port_busy";
        plan.strNote = "COM" + std::to_string(entry.nComPort) + " could not be opened";
        return;
    }
    if (probe.bEchoes) {
        plan.strState = "no_answer";
        plan.strNote = "the line echoes what is sent: a loop-back plug, or an adapter echoing, and no display";
        return;
    }
    std::string version;
    switch (probe.mode) {
    case LineMode::Silent:
        plan.strState = "no_answer";
        plan.strNote = "no answer in either protocol";
        return;
    case LineMode::NotOurs:
        plan.strState = "not_ours";
        plan.strNote = "answers as another maker's display (" + qvxpkg::Printable(probe.strSignType) +
                       "); the job leaves it alone";
        return;
    case LineMode::Customer:
        plan.strState = "needs_switch";
        plan.bWouldSwitch = true;
        plan.strNote = "speaks the Pellworth Protocol: the job switches it to the S2200 Protocol to read its files; "
                       "its firmware is known from its sign type, its configuration is not read";
        version = probe.strSignType;
        break;
    case LineMode::Controller:
        if (!probe.bFilesRead) {
            plan.strState = "no_answer";
            plan.strNote = "answers, but its files could not be read";
            return;
        }
        plan.strState = "read";
        display.strProtocol = "S2200 Protocol";
        version = m_core.Session().GetFirmwareVersion();
        break;
    }
    display.strFirmwareBefore = version;
    probe.bFirmwareLine = NamesFirmwareFamily(version, true);
    m_core.Session().SetFirmwareLine(probe.bFirmwareLine);
    const FirmwareDecision decision = m_firmware.DecideFor(version);
    probe.bUpdate = decision.bNeeded;
    plan.bWouldUpdate = decision.bNeeded;
    if (decision.bNeeded) {
        display.strFirmwareTarget = m_firmware.GetRecommendedFirmwareVersion();
        probe.nStreamBytes = StreamBytes(probe.bFirmwareLine);
    } else if (decision.nCode != 100 && decision.nCode >= 0) {
        plan.strNote += (plan.strNote.empty() ? "" : "; ") + decision.strLine + " (task code " +
                        std::to_string(decision.nCode) + ")";
    }
    if (probe.mode == LineMode::Controller)
        CheckConfiguration(display);
}

void CJobPlanner::CheckConfiguration(DisplayReport& display)
{
    m_core.Session().ShowDisplayInfo(); // fills the summary the checks compare with
    m_config.UseConnectedDisplay();
    const int key = m_config.DisplayTypeKey();
    if (key < 0) {
        display.plan.configDifferences.push_back("its display type has no recommended configuration");
        display.plan.nConfigMatches = 0;
        return;
    }
    m_config.SetCurrentTimeZone(m_config.DisplayTimeZone());
    for (const ConfigDifference& difference : m_config.ConfigDifferences(key))
        display.plan.configDifferences.push_back(difference.strField + ": the display has \"" + difference.strDisplay +
                                                 "\", recommended \"" + difference.strRecommended + "\"");
    display.plan.nConfigMatches = display.plan.configDifferences.empty() ? 1 : 0;
}

unsigned long CJobPlanner::StreamBytes(bool firmwareLine)
{
    const auto known = m_streamBytes.find(firmwareLine);
    if (known != m_streamBytes.end())
        return known->second;
    LoadedFirmware firmware;
    std::vector<unsigned char> stream;
    unsigned long bytes = 0;
    // What the install sends: a package's own stream, or an outside file compressed for the send.
    if (m_firmware.LoadFirmwareFor(firmwareLine, firmware)) {
        if (!firmware.stream.empty())
            bytes = static_cast<unsigned long>(firmware.stream.size());
        else if (S22CompressStream(firmware.image.data(), static_cast<unsigned long>(firmware.image.size()), stream))
            bytes = static_cast<unsigned long>(stream.size());
    }
    m_streamBytes[firmwareLine] = bytes;
    return bytes;
}

double CJobPlanner::TransferSeconds(unsigned long streamBytes, unsigned long baud, double excessSeconds)
{
    if (streamBytes == 0)
        return 0;
    // The start frame and the blocks: stop and wait, each frame and its reply on the line, plus
    // what the far end and the adapter add to every reply.
    const double blocks = 1 + static_cast<double>((streamBytes + 245) / 246);
    return blocks * (LineSeconds(kSendBlockFrameBytes + kSendBlockReplyBytes, baud) + excessSeconds);
}

// Measured where the display answered; otherwise taken from the line's other displays at its rate,
// or worked out from the line time.
DisplayCosts CJobPlanner::CostsOf(const Probe& probe, const std::vector<Probe>& line, double excessSeconds) const
{
    auto fromLine = [&](double Probe::*field, bool wanted(const Probe&)) {
        std::vector<double> same;
        for (const Probe& other : line)
            if (other.nBaud == probe.nBaud && other.*field >= 0 && wanted(other))
                same.push_back(other.*field);
        return Median(same);
    };
    const auto answersResets = [](const Probe& p) { return p.mode == LineMode::Controller; };
    const auto silentQuery = [](const Probe& p) { return p.mode == LineMode::Controller || p.mode == LineMode::Silent; };
    const auto silentReset = [](const Probe& p) { return p.mode != LineMode::Controller; };
    const auto filesRead = [](const Probe& p) { return p.bFilesRead; };

    DisplayCosts costs;
    costs.mode = probe.mode;
    const bool queryAnswered = probe.mode == LineMode::Customer || probe.mode == LineMode::NotOurs;
    costs.signAnswered = queryAnswered ? probe.signSeconds : 0;
    costs.signSilent = !queryAnswered ? probe.signSeconds : fromLine(&Probe::signSeconds, silentQuery);
    const bool resetAnswered = probe.mode == LineMode::Controller;
    costs.resetAnswered = resetAnswered ? probe.resetSeconds : fromLine(&Probe::resetSeconds, answersResets);
    costs.resetSilent = !resetAnswered ? probe.resetSeconds : fromLine(&Probe::resetSeconds, silentReset);
    costs.configRead = probe.bFilesRead ? probe.configSeconds : fromLine(&Probe::configSeconds, filesRead);
    costs.statusRead = probe.bFilesRead ? probe.statusSeconds : fromLine(&Probe::statusSeconds, filesRead);
    // Nothing on the line to go by: the line time of the frames alone.
    if (costs.resetAnswered < 0)
        costs.resetAnswered = LineSeconds(kResetFrameBytes, probe.nBaud) + excessSeconds;
    if (costs.configRead < 0)
        costs.configRead = LineSeconds(kTypicalFileBytes, probe.nBaud);
    if (costs.statusRead < 0)
        costs.statusRead = LineSeconds(kTypicalFileBytes, probe.nBaud);
    if (costs.signSilent < 0)
        costs.signSilent = costs.signAnswered;
    if (costs.resetSilent < 0)
        costs.resetSilent = costs.signSilent;
    costs.bUpdate = probe.bUpdate;
    costs.bFirmwareLine = probe.bFirmwareLine;
    costs.transfer = probe.bUpdate ? TransferSeconds(probe.nStreamBytes, probe.nBaud, excessSeconds) : 0;
    return costs;
}

void CJobPlanner::Finish(PlanResult& result)
{
    bool unread = false;
    bool work = false;
    for (const DisplayReport& display : m_report.displays) {
        const DisplayPlan& plan = display.plan;
        unread = unread || plan.strState == "no_answer" || plan.strState == "port_busy" ||
                 plan.strState == "not_tried";
        work = work || plan.bWouldUpdate || plan.bWouldSwitch;
    }
    result = unread || m_core.IsCancelled() ? PlanResult::Unread : work ? PlanResult::WorkToDo : PlanResult::AllCurrent;
}

void CJobPlanner::WriteTable(std::ostream& out) const
{
    if (!m_report.strDisplayListFault.empty()) {
        out << "The display list could not be read: " << m_report.strDisplayListFault << "\n";
        return;
    }
    auto cell = [](std::string text, std::size_t width) {
        text = qvxpkg::Printable(text);
        if (text.size() > width)
            text = text.substr(0, width - 1) + "~";
        return text + std::string(width + 1 - text.size(), ' ');
    };
    out << cell("Display", 12) << cell("Port", 5) << cell("Addr", 4) << cell("Baud", 6) << cell("Firmware", 16)
        << cell("Target", 16) << cell("Job", 10) << cell("Config", 8) << "Time\n";
    for (const DisplayReport& display : m_report.displays) {
        const DisplayPlan& plan = display.plan;
        const bool placed = display.nPort != 0;
        std::string job = plan.bWouldUpdate ? "update"
                          : plan.bWouldSwitch ? "switch"
                          : plan.strState == "read" ? "none"
                                                    : plan.strState;
        std::replace(job.begin(), job.end(), '_', ' ');
        const std::string config = plan.nConfigMatches < 0 ? "-" : plan.nConfigMatches ? "matches" : "differs";
        out << cell(display.strName, 12) << cell(placed ? "COM" + std::to_string(display.nPort) : "-", 5)
            << cell(placed ? std::to_string(display.nAddress) : "-", 4)
            << cell(placed ? std::to_string(display.nBaud) : "-", 6)
            << cell(display.strFirmwareBefore.empty() ? "-" : display.strFirmwareBefore, 16)
            << cell(display.strFirmwareTarget.empty() ? "-" : display.strFirmwareTarget, 16) << cell(job, 10)
            << cell(config, 8) << (plan.dEstimatedSeconds > 0 ? Duration(plan.dEstimatedSeconds) : "-") << "\n";
    }
    for (const DisplayReport& display : m_report.displays) {
        if (!display.plan.strNote.empty())
            out << qvxpkg::Printable(display.strName) << ": " << display.plan.strNote << "\n";
        for (const std::string& difference : display.plan.configDifferences)
            out << qvxpkg::Printable(display.strName) << ": configuration " << difference << "\n";
    }
    out << "Estimated time of the job: " << Duration(m_report.dEstimatedSeconds)
        << " (at each line's rate, with the fixed waits as this run scales them). Nothing was changed on any "
           "display.\n";
}
