// The automatic update job end to end against stand-in controllers on ptys: the lines and task
// codes of each kind of display, the job line for each mix, ports in the order first met, and
// the report of the run.
#include "../connection/CapturingView.h"
#include "common/TestPortDir.h"
#include "common/JobStore.h"

#include "connection/InstallerCore.h"
#include "link/S22SignLink.h"
#include "res/Resources.h"
#include "sim/SignSim.h"
#include "update/AutomaticJob.h"
#include "update/FirmwareInstaller.h"
#include "update/package/ZlbFile.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <filesystem>
#include <fstream>

namespace {

using Lines = std::vector<std::string>;



// Presses Abort (the core's Cancel, as the progress window's button does) the first time the job
// reaches a point: a line or progress text that starts with `at`, or a transfer under way.
class CAbortingView : public CCapturingView {
public:
    void ShowMessageLine(const std::string& line) override
    {
        CCapturingView::ShowMessageLine(line);
        PressAt(line);
    }
    void SetProgressText(const std::string& text) override
    {
        CCapturingView::SetProgressText(text);
        PressAt(text);
    }
    void ShowTransferProgress(const std::string&, unsigned long done, unsigned long) override
    {
        if (atTransfer && done > 0)
            Press();
    }

    CInstallerCore* core = nullptr;
    std::string at;
    bool atTransfer = false;
    std::atomic<bool> pressed{false};

private:
    void PressAt(const std::string& text)
    {
        if (!at.empty() && text.starts_with(at))
            Press();
    }
    void Press()
    {
        if (core != nullptr && !pressed.exchange(true))
            core->Cancel();
    }
};

class AutomaticJob : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_sim = std::make_unique<qvxsim::SignSim>(m_dir.string());
        m_core.Messages().SetLogging(true); // the job's result without a log file
    }
    void TearDown() override { m_sim.reset(); }

    void AddPort(int com, std::vector<qvxsim::ControllerConfig> controllers)
    {
        qvxsim::PortConfig config;
        config.comNumber = com;
        config.baud = 115200;
        config.controllers = std::move(controllers);
        std::string error;
        ASSERT_TRUE(m_sim->AddPort(config, &error)) << error;
    }
    void Start()
    {
        std::string error;
        ASSERT_TRUE(m_sim->Start(&error)) << error;
    }
    std::string WriteList(const std::string& text)
    {
        const auto path = m_dir / "Displays.dat";
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }
    int Run(const std::string& listPath, FirmwareSwitches switches = {})
    {
        m_firmware.SetSwitches(std::move(switches));
        m_job = std::make_unique<CAutomaticUpdateJob>(m_core, m_firmware, listPath);
        return RunUnattended();
    }
    int RunUnattended()
    {
        m_core.Runner().SetMode(RunMode::Inline);
        return m_job->RunAutomaticUpdates();
    }
    bool Has(const std::string& line) const
    {
        const Lines lines = const_cast<CAbortingView&>(m_view).Lines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    // The error lines of the n-th display's task.
    std::vector<int> TaskCodes(std::size_t display) const
    {
        std::vector<int> codes;
        for (const TaskLine& task : m_job->Report().displays.at(display).tasks)
            codes.push_back(task.nCode);
        return codes;
    }

    CTestPortDir m_ports{"qvx-job"};
    const std::filesystem::path& m_dir = m_ports.Path();
    std::unique_ptr<qvxsim::SignSim> m_sim;
    CAbortingView m_view;
    CInstallerCore m_core{m_view};
    CFirmwareInstaller m_firmware{m_core, FirmwareSwitches{}};
    std::unique_ptr<CAutomaticUpdateJob> m_job;
};

TEST_F(AutomaticJob, MixedStoreEndsWithACriticalJobLine)
{
    // COM1: old firmware in the Pellworth Protocol, and a current display at 19200.
    // COM2: a HITECH display and an address nobody answers. The list names COM1 again at the end.
    AddPort(1, {StandInDisplay(1, "FX40211-1.01.05", qvxsim::Protocol::Pellworth), StandInDisplay(2, "FX40211-1.02.11",
                                                                                     qvxsim::Protocol::S2200, 19200)});
    AddPort(2, {StandInDisplay(9, "", qvxsim::Protocol::Hitech)});
    Start();
    const std::string list = WriteList(JobRecord("Lobby", "1", 1, 115200) + JobRecord("Gate", "9, 7", 2, 115200) +
                                       JobRecord("Pharmacy", "2", 1, 19200));
    EXPECT_EQ(Run(list), 9);

    const JobReport& report = m_job->Report();
    ASSERT_EQ(report.displays.size(), 4u);
    // COM1 first, both of its displays, then COM2.
    EXPECT_EQ(report.displays[0].strName, "Lobby");
    EXPECT_EQ(report.displays[1].strName, "Pharmacy");
    EXPECT_EQ(report.displays[2].nAddress, 9u);
    EXPECT_EQ(report.displays[3].nAddress, 7u);

    EXPECT_EQ(TaskCodes(0), std::vector<int>{0});
    EXPECT_EQ(report.displays[0].strFirmwareBefore, "FX40211-1.01.05");
    EXPECT_EQ(report.displays[0].strFirmwareAfter, "FX40211-1.2.11");
    EXPECT_EQ(report.displays[0].strProtocol, "S2200 Protocol") << "switched over by the refresh";
    // Lobby's check ends with a reset; the job lets it come back before Pharmacy's refresh, so its
    // restart is never taken for a connection failure.
    EXPECT_EQ(TaskCodes(1), std::vector<int>{100});
    EXPECT_EQ(report.displays[1].strFirmwareAfter, "FX40211-1.02.11");
    EXPECT_EQ(report.displays[2].nConnectionResult, CONNECT_NOT_OUR_DISPLAY);
    EXPECT_EQ(report.displays[3].nConnectionResult, CONNECT_NO_ANSWER);
    const auto hitech = TaskCodes(2);
    EXPECT_NE(std::find(hitech.begin(), hitech.end(), 101), hitech.end());
    EXPECT_EQ(TaskCodes(3).back(), 510) << "the job's own line after the attempt loop's";
    const DisplayOutcome outcomes[] = {DisplayOutcome::Updated, DisplayOutcome::Current, DisplayOutcome::NotOurs,
                                       DisplayOutcome::NoAnswer};
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(report.displays[i].outcome, outcomes[i]) << report.displays[i].nAddress;
    // The refresh passes in Gate 9's task meet address 7: those lines say so, and 9 stays not ours.
    for (const TaskLine& line : report.displays[2].tasks)
        EXPECT_EQ(line.nAddress, line.nCode == 510 ? 7u : 9u) << line.strText;
    EXPECT_EQ(report.displays[2].nOutcomeCode, 101);
    EXPECT_EQ(report.displays[0].strFirmwareTarget, "FX40211-1.02.11");
    EXPECT_EQ(NormalFirmwareVersion(report.displays[0].strFirmwareTarget), report.displays[0].strFirmwareAfter);
    // Lobby's own exchanges: every block of its image, each answered.
    EXPECT_TRUE(report.displays[0].line.bKnown);
    CZlbFile package; // its image goes as the package's own stream, a block per 246 bytes
    ASSERT_EQ(package.LoadFromMemory(qvxres::FindEmbeddedResource("BIN", qvxres::kFirmwareFX40211)), CZlbFile::kOk);
    EXPECT_GT(report.displays[0].line.nFramesSent, (package.GetStreamLength() + 245) / 246);
    EXPECT_GE(report.displays[0].line.nReplies + 5, report.displays[0].line.nFramesSent);
    EXPECT_EQ(report.nJobResult, 9);
    EXPECT_EQ(report.nWorstTaskCode, 510);
    EXPECT_FALSE(report.bAborted);

    for (const char* line : {"***   Starting automatic updates   ***", "Refreshing Displays on COM1",
                             "Updating display Lobby 16X80 at address 1", "Attempting to connect with COM1 at 115200 baud",
                             "Connection established with S22 Protocol at 115200 baud",
                             "CURRENT CONTROLLER FIRMWARE VERSION: FX40211-1.01.05",
                             "ATTEMPTING TO UPDATE TO FIRMWARE VERSION: FX40211-1.02.11",
                             "[*TASK ERROR 0*]  Lobby has been updated successfully to firmware version: FX40211-1.02.11",
                             "Updating display Pharmacy 16X80 at address 2",
                             "[*TASK ERROR 100*]  Display already has the most current firmware installed",
                             "Failed to refresh-- could not connect to Gate at address 7"})
        EXPECT_TRUE(Has(line)) << line;
    EXPECT_EQ(m_view.Lines().back(), "***   Automatic updates are complete   ***");
    EXPECT_EQ(m_core.LogManager().GetJobLine(), "[*JOB ERROR 9*] Automatic updates had a task error of 510");
    const Lines lines = m_view.Lines();
    EXPECT_EQ(lines[lines.size() - 2], m_core.LogManager().GetJobLine()) << "shown where the log has it";
}

struct MixCase {
    const char* name;
    const char* version;
    bool anyFirmware;
    const char* file; // the "f" file name, or none
    int jobResult;
    int code;
    DisplayOutcome outcome;
};

struct AbortPoint {
    const char* where;
    const char* at; // a line or progress text; null: the transfer
    bool fileSent;  // the image reached the controller before the Abort
    unsigned long reboots; // restarts of the first display: none is started after the Abort
    DisplayOutcome first;  // the first display's outcome in the report
};

// An Abort at any point of a display's work ends the job there: 601, nothing more is installed
// or reset, and the next display is not worked.
TEST_F(AutomaticJob, AbortAtAnyPointEndsTheJob)
{
    const AbortPoint points[] = {
        {"first refresh pass", "Refreshing displays", false, 0, DisplayOutcome::NotTried},
        {"second refresh pass", "Refreshing display Door", false, 0, DisplayOutcome::NotTried},
        {"connection", "Attempting to connect with COM3", false, 0, DisplayOutcome::Failed},
        {"decision", "CURRENT CONTROLLER FIRMWARE VERSION", false, 0, DisplayOutcome::Failed},
        {"transfer", nullptr, false, 0, DisplayOutcome::Failed},
        {"waits", "Retrieving File Directory of Sign", true, 0, DisplayOutcome::Failed},
        {"verification", "Attempting to reconnect to display Door", true, 1, DisplayOutcome::Failed},
    };
    for (const AbortPoint& point : points) {
        m_sim = std::make_unique<qvxsim::SignSim>(m_dir.string());
        AddPort(3, {StandInDisplay(4, "FX40211-1.01.05"), StandInDisplay(5, "FX40211-1.01.05")});
        Start();
        m_view.ClearMessageLines();
        m_view.core = &m_core;
        m_view.at = point.at != nullptr ? point.at : "";
        m_view.atTransfer = point.at == nullptr;
        m_view.pressed = false;
        m_job = std::make_unique<CAutomaticUpdateJob>(
            m_core, m_firmware, WriteList(JobRecord("Door", "4", 3, 115200) + JobRecord("Hall", "5", 3, 115200)));
        EXPECT_EQ(m_job->RunAutomaticUpdates(), 9) << point.where;
        EXPECT_TRUE(m_view.pressed) << point.where;
        EXPECT_TRUE(Has("[*TASK ERROR 601*]  Not all displays were updated due to the user aborting update"))
            << point.where;
        EXPECT_FALSE(Has("Updating display Hall 16X80 at address 5")) << point.where;
        EXPECT_FALSE(Has("[*TASK ERROR 0*]  Door has been updated successfully to firmware version: FX40211-1.02.11"))
            << point.where;
        const auto files = m_sim->FileNames(3, 4);
        EXPECT_EQ(std::count(files.begin(), files.end(), "FX40211.EXE"), point.fileSent ? 1 : 0) << point.where;
        EXPECT_EQ(m_sim->Stats(3, 4).reboots, point.reboots) << point.where;
        EXPECT_EQ(m_sim->Stats(3, 5).reboots, 0u) << point.where;
        EXPECT_TRUE(m_job->Report().bAborted) << point.where;
        // Every display of the list is in the report: the one under way, and the one never reached.
        const JobReport& report = m_job->Report();
        ASSERT_EQ(report.displays.size(), 2u) << point.where;
        EXPECT_EQ(report.displays[0].outcome, point.first) << point.where;
        EXPECT_EQ(report.displays[1].outcome, DisplayOutcome::NotTried) << point.where;
        EXPECT_EQ(report.displays[1].strReason, "the job was aborted before this display") << point.where;
    }
}

// A display reset after its check is still restarting when the next display's refresh begins;
// the job waits for it (the restart wait and single attempts), so no 510 is reported.
TEST_F(AutomaticJob, ARestartingDisplayIsNotAConnectionFailure)
{
    qvxsim::ControllerConfig first = StandInDisplay(4, "FX40211-1.01.05");
    first.behaviour.rebootMs = 30000; // longer than the restart wait and a pass of attempts
    AddPort(3, {first, StandInDisplay(5, "FX40211-1.01.05")});
    Start();
    EXPECT_EQ(Run(WriteList(JobRecord("Door", "4", 3, 115200) + JobRecord("Hall", "5", 3, 115200))), 0);
    EXPECT_EQ(TaskCodes(0), std::vector<int>{0});
    EXPECT_EQ(TaskCodes(1), std::vector<int>{0});
    EXPECT_TRUE(Has("Waiting for display Door at address 4 to restart before the next display"));
    EXPECT_FALSE(Has("Waiting for display Hall at address 5 to restart before the next display")) << "the last";
}

// Only addresses 1 to 240 are spoken to, by the refresh passes too; a display listed twice is
// worked once.
TEST_F(AutomaticJob, AddressesOutsideTheRangeAndRepeatsAreNotWorked)
{
    AddPort(3, {StandInDisplay(4, "FX40211-1.02.11")});
    Start();
    EXPECT_EQ(Run(WriteList(JobRecord("Door", "0, 4, 241", 3, 115200) + JobRecord("Again", "4", 3, 115200))), 4);
    const JobReport& report = m_job->Report();
    ASSERT_EQ(report.displays.size(), 4u) << "the repeat too, as not tried";
    EXPECT_EQ(TaskCodes(0), std::vector<int>{300});
    EXPECT_EQ(TaskCodes(1), std::vector<int>{100});
    EXPECT_EQ(TaskCodes(2), std::vector<int>{300});
    EXPECT_EQ(report.displays[0].outcome, DisplayOutcome::NotTried);
    EXPECT_EQ(report.displays[0].strReason, "its address 0 is not one of 1 to 240");
    EXPECT_EQ(report.displays[1].outcome, DisplayOutcome::Current);
    EXPECT_EQ(report.displays[3].strName, "Again");
    EXPECT_EQ(report.displays[3].outcome, DisplayOutcome::NotTried);
    EXPECT_EQ(report.displays[3].strReason, "listed again: the display at this port and address is worked as Door");
    for (const char* line : {"Connecting to Sign at address 0...", "Connecting to Sign at address 241...",
                             "Updating display Again 16X80 at address 4"})
        EXPECT_FALSE(Has(line)) << line;
    EXPECT_TRUE(Has("Display list: COM3 address 4 is listed again (as Again, first as Door); it is worked once"));
    EXPECT_TRUE(Has("Display Door on COM3 is not worked: its address 0 is not one of 1 to 240 (0 would reach "
                    "every controller on the line)"));
    EXPECT_TRUE(Has("[*TASK ERROR 300*]  Invalid network address for a Quorvantix Reader Board"));
}

// A list cut inside its last record names that display and makes the job line critical.
TEST_F(AutomaticJob, ACutRecordIsNamedAndCritical)
{
    AddPort(3, {StandInDisplay(4, "FX40211-1.02.11")});
    Start();
    const std::string whole = JobRecord("Door", "4", 3, 115200);
    const std::string cut = JobRecord("Hall", "5", 3, 115200).substr(0, 60); // through its address line
    EXPECT_EQ(Run(WriteList(whole + cut)), 9);
    EXPECT_TRUE(Has("Display list: the record at line 49 (\"Hall\") ends before its COM port and baud rate lines; "
                    "its displays cannot be reached"));
    EXPECT_TRUE(Has("[*TASK ERROR 603*]  Displays.dat ends inside the record of display Hall"));
    EXPECT_EQ(TaskCodes(0), std::vector<int>{100}) << "the whole record is still worked";
    ASSERT_EQ(m_job->Report().displays.size(), 2u);
    const DisplayReport& hall = m_job->Report().displays[1];
    EXPECT_EQ(hall.strName, "Hall");
    EXPECT_EQ(hall.nPort, 0u) << "no line to reach it on";
    EXPECT_EQ(hall.nOutcomeCode, kTaskListRecordCut);
    EXPECT_EQ(hall.strReason, "the display list's line 49: its record ends before its COM port and baud rate lines");
}

TEST_F(AutomaticJob, OneDisplayEachOutcome)
{
    const MixCase cases[] = {
        {"current", "FX40211-1.02.11", false, nullptr, 4, 100, DisplayOutcome::Current},
        {"updated", "FX40211-1.01.05", false, nullptr, 0, 0, DisplayOutcome::Updated},
        {"anyfirm", "FX40211-1.02.11", true, nullptr, 0, 0, DisplayOutcome::Updated},
        {"wrong family file", "FX40211-1.01.05", false, "FP9023417.EXE", 4, 301, DisplayOutcome::Failed},
        {"other firmware", "HT3100-2.04", false, nullptr, 9, 511, DisplayOutcome::Failed},
    };
    for (const MixCase& c : cases) {
        m_sim = std::make_unique<qvxsim::SignSim>(m_dir.string());
        AddPort(3, {StandInDisplay(4, c.version)});
        Start();
        FirmwareSwitches switches;
        switches.bAnyFirmware = c.anyFirmware;
        if (c.file != nullptr) {
            switches.bFirmwareFile = true;
            switches.strFirmwarePath = (m_dir / c.file).string();
            switches.strFirmwareFileName = c.file;
        }
        EXPECT_EQ(Run(WriteList(JobRecord("Door", "4", 3, 115200)), switches), c.jobResult) << c.name;
        EXPECT_EQ(TaskCodes(0), std::vector<int>{c.code}) << c.name;
        EXPECT_EQ(m_job->Report().displays[0].outcome, c.outcome) << c.name;
        EXPECT_EQ(m_job->Report().displays[0].nOutcomeCode, c.code) << c.name;
    }
}

TEST_F(AutomaticJob, FailureToTakeEffectIsCritical)
{
    qvxsim::ControllerConfig display = StandInDisplay(4, "FX40211-1.01.05");
    display.behaviour.keepOldFirmware = true;
    AddPort(3, {display});
    Start();
    EXPECT_EQ(Run(WriteList(JobRecord("Door", "4", 3, 115200))), 9);
    EXPECT_EQ(TaskCodes(0), std::vector<int>{514});
    EXPECT_EQ(m_job->Report().displays[0].outcome, DisplayOutcome::NotTakingEffect);
    EXPECT_EQ(m_job->Report().displays[0].strFirmwareAfter, "FX40211-1.01.05");
}

TEST_F(AutomaticJob, BusyPortIsSkippedAndTheOthersAreUpdated)
{
    AddPort(1, {StandInDisplay(1, "FX40211-1.02.11")});
    AddPort(2, {StandInDisplay(1, "FX40211-1.02.11")});
    Start();
    CS22SignLink other; // another program holds COM2
    ASSERT_EQ(other.OpenPort(2, 115200, 0), S22NET_OK);
    EXPECT_EQ(Run(WriteList(JobRecord("A", "1", 1, 115200) + JobRecord("B", "1", 2, 115200))), 9);
    EXPECT_TRUE(Has("[*TASK ERROR 500*]  Serial COM2 port is busy"));
    ASSERT_EQ(m_job->Report().displays.size(), 2u);
    EXPECT_EQ(TaskCodes(0), std::vector<int>{100});
    const DisplayReport& held = m_job->Report().displays[1];
    EXPECT_EQ(held.strName, "B");
    EXPECT_EQ(held.outcome, DisplayOutcome::NotTried);
    EXPECT_EQ(held.nOutcomeCode, 500);
    EXPECT_TRUE(held.strReason.starts_with("Serial COM2 port is busy")) << held.strReason;
    ASSERT_EQ(m_job->Report().jobLines.size(), 1u);
    EXPECT_EQ(m_job->Report().jobLines[0].nCode, 500);
}

TEST_F(AutomaticJob, EmptyAndMissingLists)
{
    Start();
    EXPECT_EQ(Run(WriteList("")), 4);
    EXPECT_TRUE(Has("[*TASK ERROR 105*]  Zero (0) displays configured in Displays.dat"));
    EXPECT_EQ(m_view.Lines().back(), "***   Automatic updates are complete   ***");

    m_view.ClearMessageLines();
    m_firmware.SetSwitches({});
    // An absolute path to no file resolves to nothing; the lines and the report still name it.
    const std::string missing = (m_dir / "nowhere.dat").string();
    m_job = std::make_unique<CAutomaticUpdateJob>(m_core, m_firmware, std::string());
    m_job->SetDisplayListNames(missing, missing);
    EXPECT_EQ(RunUnattended(), 9);
    const Lines lines = m_view.Lines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[1], "[*TASK ERROR 600*]  Could not find OR open displays.dat to get display information.");
    EXPECT_EQ(lines[2], "Display list \"" + missing + "\", looked for at " + missing + ": there is no file at " + missing);
    EXPECT_EQ(m_job->Report().strDisplayListAsGiven, missing);
    EXPECT_EQ(m_job->Report().strDisplayListFault, "there is no file at " + missing);
    EXPECT_EQ(lines.back(), "***   Automatic updates are complete   ***");
    EXPECT_EQ(m_core.LogManager().GetJobLine(), "[*JOB ERROR 9*] Automatic updates had a task error of 600");
}

TEST_F(AutomaticJob, InViewEachDisplayIsShownAndLeftDisconnected)
{
    AddPort(3, {StandInDisplay(4, "FX40211-1.02.11")});
    Start();
    m_firmware.SetSwitches({});
    m_job = std::make_unique<CAutomaticUpdateJob>(m_core, m_firmware, WriteList(JobRecord("Door", "4", 3, 115200)));
    EXPECT_EQ(m_job->RunAutomaticUpdates(), 4);
    EXPECT_EQ(m_view.addressesShown, (std::vector<int>{4, 1})) << "the display's address, then back to 1";
    EXPECT_FALSE(m_view.controlsConnected);
    EXPECT_FALSE(m_core.Session().Link().IsOpen());
    EXPECT_GE(m_view.jobs, 3) << "refresh passes and the connection each behind the progress window";
}

TEST_F(AutomaticJob, AbortDuringTheFirstRefreshPassEndsTheJob)
{
    AddPort(3, {}); // address 7 never answers, so the pass takes its time-outs
    Start();
    std::atomic<bool> done{false};
    std::thread abort([&] {
        while (!done && !Has("Connecting with Pellworth Protocol at 115200 baud"))
            std::this_thread::yield();
        m_core.Cancel();
    });
    m_job = std::make_unique<CAutomaticUpdateJob>(m_core, m_firmware, WriteList(JobRecord("Door", "7", 3, 115200)));
    const int result = m_job->RunAutomaticUpdates();
    done = true;
    abort.join();
    EXPECT_EQ(result, 9);
    EXPECT_TRUE(Has("[*TASK ERROR 601*]  Not all displays were updated due to the user aborting update"));
    EXPECT_FALSE(Has("Updating display Door 16X80 at address 7")) << "the Abort is not lost to the pass's disconnect";
}

} // namespace
