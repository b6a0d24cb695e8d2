// The automatic update job end to end against stand-in controllers on ptys: the lines and task
// codes of each kind of display, the job line for each mix, ports in the order first met, and
// the report of the run.
#include "../connection/CapturingView.h"
#include "common/TestPortDir.h"

#include "connection/InstallerCore.h"
#include "link/S22SignLink.h"
#include "sim/SignSim.h"
#include "update/AutomaticJob.h"
#include "update/FirmwareInstaller.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <filesystem>
#include <fstream>

namespace {

using Lines = std::vector<std::string>;

// One record of a display list: 48 lines, the fields at their places.
std::string Record(const std::string& name, const std::string& addresses, int port, unsigned long baud)
{
    std::vector<std::string> lines(48, "-");
    lines[0] = name;
    lines[2] = "16";
    lines[3] = "80";
    lines[9] = addresses;
    lines[21] = "COM" + std::to_string(port);
    lines[22] = std::to_string(baud);
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

qvxsim::ControllerConfig Display(unsigned char address, const std::string& version,
                                 qvxsim::Protocol protocol = qvxsim::Protocol::S2200, unsigned long baud = 0)
{
    qvxsim::ControllerConfig controller;
    controller.address = address;
    controller.baud = baud;
    controller.settings.firmwareVersion = version;
    controller.settings.protocol = protocol;
    return controller;
}

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
        return m_job->RunAutomaticUpdates(true);
    }
    bool Has(const std::string& line) const
    {
        const Lines lines = const_cast<CCapturingView&>(m_view).Lines();
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
    CCapturingView m_view;
    CInstallerCore m_core{m_view};
    CFirmwareInstaller m_firmware{m_core, FirmwareSwitches{}};
    std::unique_ptr<CAutomaticUpdateJob> m_job;
};

TEST_F(AutomaticJob, MixedStoreEndsWithACriticalJobLine)
{
    // COM1: old firmware in the Pellworth Protocol, and a current display at 19200.
    // COM2: a HITECH display and an address nobody answers. The list names COM1 again at the end.
    AddPort(1, {Display(1, "FX40211-1.01.05", qvxsim::Protocol::Pellworth), Display(2, "FX40211-1.02.11",
                                                                                     qvxsim::Protocol::S2200, 19200)});
    AddPort(2, {Display(9, "", qvxsim::Protocol::Hitech)});
    Start();
    const std::string list = WriteList(Record("Lobby", "1", 1, 115200) + Record("Gate", "9, 7", 2, 115200) +
                                       Record("Pharmacy", "2", 1, 19200));
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
    // Lobby's check ends with a reset, so the refresh that opens Pharmacy's task finds Lobby still
    // restarting (and back in the customer protocol): its 510 lands in Pharmacy's task.
    EXPECT_EQ(TaskCodes(1), (std::vector<int>{510, 100}));
    EXPECT_EQ(report.displays[1].strFirmwareAfter, "FX40211-1.02.11");
    EXPECT_EQ(report.displays[2].nConnectionResult, CONNECT_NOT_OUR_DISPLAY);
    EXPECT_EQ(report.displays[3].nConnectionResult, CONNECT_NO_ANSWER);
    const auto hitech = TaskCodes(2);
    EXPECT_NE(std::find(hitech.begin(), hitech.end(), 101), hitech.end());
    EXPECT_EQ(TaskCodes(3).back(), 510) << "the job's own line after the attempt loop's";
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
}

struct MixCase {
    const char* name;
    const char* version;
    bool anyFirmware;
    const char* file; // the "f" file name, or none
    int jobResult;
    int code;
};

TEST_F(AutomaticJob, OneDisplayEachOutcome)
{
    const MixCase cases[] = {
        {"current", "FX40211-1.02.11", false, nullptr, 4, 100},
        {"updated", "FX40211-1.01.05", false, nullptr, 0, 0},
        {"anyfirm", "FX40211-1.02.11", true, nullptr, 0, 0},
        {"wrong family file", "FX40211-1.01.05", false, "FP9023417.EXE", 4, 301},
        {"other firmware", "HT3100-2.04", false, nullptr, 9, 511},
    };
    for (const MixCase& c : cases) {
        m_sim = std::make_unique<qvxsim::SignSim>(m_dir.string());
        AddPort(3, {Display(4, c.version)});
        Start();
        FirmwareSwitches switches;
        switches.bAnyFirmware = c.anyFirmware;
        if (c.file != nullptr) {
            switches.bFirmwareFile = true;
            switches.strFirmwarePath = (m_dir / c.file).string();
            switches.strFirmwareFileName = c.file;
        }
        EXPECT_EQ(Run(WriteList(Record("Door", "4", 3, 115200)), switches), c.jobResult) << c.name;
        EXPECT_EQ(TaskCodes(0), std::vector<int>{c.code}) << c.name;
    }
}

TEST_F(AutomaticJob, FailureToTakeEffectIsCritical)
{
    qvxsim::ControllerConfig display = Display(4, "FX40211-1.01.05");
    display.behaviour.keepOldFirmware = true;
    AddPort(3, {display});
    Start();
    EXPECT_EQ(Run(WriteList(Record("Door", "4", 3, 115200))), 9);
    EXPECT_EQ(TaskCodes(0), std::vector<int>{514});
    EXPECT_EQ(m_job->Report().displays[0].strFirmwareAfter, "FX40211-1.01.05");
}

TEST_F(AutomaticJob, BusyPortIsSkippedAndTheOthersAreUpdated)
{
    AddPort(1, {Display(1, "FX40211-1.02.11")});
    AddPort(2, {Display(1, "FX40211-1.02.11")});
    Start();
    CS22SignLink other; // another program holds COM2
    ASSERT_EQ(other.OpenPort(2, 115200, 0), S22NET_OK);
    EXPECT_EQ(Run(WriteList(Record("A", "1", 1, 115200) + Record("B", "1", 2, 115200))), 9);
    EXPECT_TRUE(Has("[*TASK ERROR 500*]  Serial COM2 port is busy"));
    ASSERT_EQ(m_job->Report().displays.size(), 1u);
    EXPECT_EQ(TaskCodes(0), std::vector<int>{100});
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
    EXPECT_EQ(Run((m_dir / "nowhere.dat").string()), 9);
    const Lines lines = m_view.Lines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[1], "[*TASK ERROR 600*]  Could not find OR open displays.dat to get display information.");
    EXPECT_EQ(lines.back(), "***   Automatic updates are complete   ***");
    EXPECT_EQ(m_core.LogManager().GetJobLine(), "[*JOB ERROR 9*] Automatic updates had a task error of 600");
}

TEST_F(AutomaticJob, InViewEachDisplayIsShownAndLeftDisconnected)
{
    AddPort(3, {Display(4, "FX40211-1.02.11")});
    Start();
    m_firmware.SetSwitches({});
    m_job = std::make_unique<CAutomaticUpdateJob>(m_core, m_firmware, WriteList(Record("Door", "4", 3, 115200)));
    EXPECT_EQ(m_job->RunAutomaticUpdates(false), 4);
    EXPECT_EQ(m_view.addressesShown, (std::vector<int>{4, 1})) << "the display's address, then back to 1";
    EXPECT_FALSE(m_view.controlsConnected);
    EXPECT_FALSE(m_core.Link().IsOpen());
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
    m_job = std::make_unique<CAutomaticUpdateJob>(m_core, m_firmware, WriteList(Record("Door", "7", 3, 115200)));
    const int result = m_job->RunAutomaticUpdates(false);
    done = true;
    abort.join();
    EXPECT_EQ(result, 9);
    EXPECT_TRUE(Has("[*TASK ERROR 601*]  Not all displays were updated due to the user aborting update"));
    EXPECT_FALSE(Has("Updating display Door 16X80 at address 7")) << "the Abort is not lost to the pass's disconnect";
}

} // namespace
