// The job with its COM ports worked at the same time, against stand-in controllers on ptys: each
// display's task reaches the lines whole, with the same lines, codes and job line as the job that
// works one port after the other; an Abort while both ports send ends both; the plan reads the
// lines at once and estimates the slowest.
#include "../connection/CapturingView.h"
#include "common/TestPortDir.h"
#include "common/JobStore.h"

#include "connection/InstallerCore.h"
#include "sim/SignSim.h"
#include "update/AutomaticJob.h"
#include "update/ConfigDownload.h"
#include "update/FirmwareInstaller.h"
#include "update/JobPlan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace {

using Lines = std::vector<std::string>;



// Presses Abort (the core's Cancel) once every line named in `ports` has sent some of its image.
class CBothSendingView : public CCapturingView {
public:
    void ShowLineTransferProgress(int port, const std::string&, unsigned long done, unsigned long) override
    {
        std::lock_guard guard(m_sendingLock);
        if (done > 0)
            m_sending.insert(port);
        if (core != nullptr && m_sending.size() == ports && !pressed.exchange(true))
            core->Cancel();
    }

    CInstallerCore* core = nullptr;
    std::size_t ports = 0;
    std::atomic<bool> pressed{false};

private:
    std::mutex m_sendingLock;
    std::set<int> m_sending;
};

class ParallelJob : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_core.Messages().SetLogging(true);
        m_core.Runner().SetMode(RunMode::Inline);
    }

    // Two lines: COM1 with a display on old firmware in the customer protocol and a current one;
    // COM2 with one on old firmware, another maker's, and an address nobody answers.
    void StartStore()
    {
        m_sim = std::make_unique<qvxsim::SignSim>(m_dir.string());
        AddPort(1, {StandInDisplay(1, "FX40211-1.01.05", qvxsim::Protocol::Pellworth), StandInDisplay(2, "FX40211-1.02.11")});
        AddPort(2, {StandInDisplay(5, "FX40211-1.01.05"), StandInDisplay(9, "", qvxsim::Protocol::Hitech)});
        std::string error;
        ASSERT_TRUE(m_sim->Start(&error)) << error;
    }
    void AddPort(int com, std::vector<qvxsim::ControllerConfig> controllers)
    {
        qvxsim::PortConfig config;
        config.comNumber = com;
        config.baud = 115200;
        config.controllers = std::move(controllers);
        std::string error;
        ASSERT_TRUE(m_sim->AddPort(config, &error)) << error;
    }
    std::string StoreList()
    {
        const auto path = m_dir / "Displays.dat";
        std::ofstream(path, std::ios::binary) << JobRecord("Lobby", "1", 1) + JobRecord("Gate", "5, 9, 7", 2) +
                                                     JobRecord("Pharmacy", "2", 1);
        return path.string();
    }
    int RunJob(bool parallel)
    {
        m_view.ClearMessageLines();
        m_core.Runner().SetMode(RunMode::Inline);
        m_job = std::make_unique<CAutomaticUpdateJob>(m_core, m_firmware, StoreList());
        m_job->SetParallel(parallel);
        return m_job->RunAutomaticUpdates();
    }

    // The lines cut into the job's own and each display's task: a task begins with its line's
    // refresh and runs to the next task or the job's closing lines.
    struct Cut {
        Lines jobLines;
        std::vector<Lines> tasks;
    };
    static Cut CutIntoTasks(const Lines& lines)
    {
        Cut cut;
        bool inTask = false;
        for (const std::string& line : lines) {
            if (line.starts_with("Refreshing Displays on COM")) {
                cut.tasks.emplace_back();
                inTask = true;
            } else if (line.starts_with("[*TASK ERROR 601*]") || line.starts_with("[*JOB ERROR")) {
                inTask = false;
            }
            (inTask ? cut.tasks.back() : cut.jobLines).push_back(line);
        }
        return cut;
    }

    CTestPortDir m_ports{"qvx-parallel"};
    const std::filesystem::path& m_dir = m_ports.Path();
    std::unique_ptr<qvxsim::SignSim> m_sim;
    CBothSendingView m_view;
    CInstallerCore m_core{m_view};
    CFirmwareInstaller m_firmware{m_core, FirmwareSwitches{}};
    std::unique_ptr<CAutomaticUpdateJob> m_job;
};

TEST_F(ParallelJob, EveryTaskIsWrittenWholeWithTheSameCodesAsOnePortAfterTheOther)
{
    StartStore();
    ASSERT_EQ(RunJob(false), 9);
    const Cut sequential = CutIntoTasks(m_view.Lines());
    const JobReport one = m_job->Report();
    const std::string oneJobLine = m_core.LogManager().GetJobLine();

    StartStore(); // the same store, as it was before the first run
    ASSERT_EQ(RunJob(true), 9);
    const Lines lines = m_view.Lines();
    const Cut parallel = CutIntoTasks(lines);
    const JobReport both = m_job->Report();

    EXPECT_EQ(m_core.LogManager().GetJobLine(), oneJobLine);
    EXPECT_EQ(oneJobLine, "[*JOB ERROR 9*] Automatic updates had a task error of 510");
    EXPECT_EQ(parallel.jobLines, sequential.jobLines);
    // Each display's task holds exactly its lines, in their order, whatever the other line did
    // meanwhile; the tasks come in the order they finished.
    ASSERT_EQ(parallel.tasks.size(), 5u);
    std::vector<Lines> sortedOne = sequential.tasks;
    std::vector<Lines> sortedBoth = parallel.tasks;
    std::sort(sortedOne.begin(), sortedOne.end());
    std::sort(sortedBoth.begin(), sortedBoth.end());
    EXPECT_EQ(sortedBoth, sortedOne);
    // Within a line the job's order holds.
    auto position = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), line) - lines.begin(); };
    EXPECT_LT(position("Updating display Lobby 16X80 at address 1"), position("Updating display Pharmacy 16X80 at address 2"));
    EXPECT_LT(position("Updating display Gate 16X80 at address 5"), position("Updating display Gate 16X80 at address 9"));

    // The report in the job's order, port by port, each display as the one-port-at-a-time job had it.
    EXPECT_TRUE(both.bParallel);
    ASSERT_EQ(both.displays.size(), one.displays.size());
    for (std::size_t i = 0; i < one.displays.size(); ++i) {
        const DisplayReport& a = one.displays[i];
        const DisplayReport& b = both.displays[i];
        EXPECT_EQ(b.strName + "@" + std::to_string(b.nAddress), a.strName + "@" + std::to_string(a.nAddress));
        EXPECT_EQ(b.outcome, a.outcome) << a.strName << " " << a.nAddress;
        EXPECT_EQ(b.nOutcomeCode, a.nOutcomeCode) << a.strName << " " << a.nAddress;
        EXPECT_EQ(b.strFirmwareAfter, a.strFirmwareAfter) << a.strName << " " << a.nAddress;
        ASSERT_EQ(b.tasks.size(), a.tasks.size()) << a.strName << " " << a.nAddress;
        for (std::size_t t = 0; t < a.tasks.size(); ++t)
            EXPECT_EQ(b.tasks[t].nCode, a.tasks[t].nCode) << a.strName << " " << a.tasks[t].strText;
        EXPECT_TRUE(b.line.bKnown == a.line.bKnown) << "each line's own meter";
    }
    EXPECT_EQ(both.nWorstTaskCode, one.nWorstTaskCode);
    EXPECT_EQ(m_sim->Stats(1, 1).filesStored, 1u);
    EXPECT_EQ(m_sim->Stats(2, 5).filesStored, 1u);
}

// An Abort while both lines send their images ends both: 601 once, no image taken, nothing reset,
// no later display worked, and the job line written.
TEST_F(ParallelJob, AbortWhileBothLinesSendEndsEveryLine)
{
    m_sim = std::make_unique<qvxsim::SignSim>(m_dir.string());
    AddPort(1, {StandInDisplay(1, "FX40211-1.01.05"), StandInDisplay(2, "FX40211-1.01.05")});
    AddPort(2, {StandInDisplay(5, "FX40211-1.01.05"), StandInDisplay(6, "FX40211-1.01.05")});
    std::string error;
    ASSERT_TRUE(m_sim->Start(&error)) << error;
    const auto path = m_dir / "Displays.dat";
    std::ofstream(path, std::ios::binary) << JobRecord("Door", "1, 2", 1) + JobRecord("Hall", "5, 6", 2);
    m_view.core = &m_core;
    m_view.ports = 2;
    m_core.Runner().SetMode(RunMode::Inline);
    CAutomaticUpdateJob job(m_core, m_firmware, path.string());
    job.SetParallel(true);

    EXPECT_EQ(job.RunAutomaticUpdates(), 9);
    ASSERT_TRUE(m_view.pressed);
    const Lines lines = m_view.Lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(),
                         "[*TASK ERROR 601*]  Not all displays were updated due to the user aborting update"),
              1);
    EXPECT_EQ(lines[lines.size() - 2], "[*JOB ERROR 9*] Automatic updates had a task error of 601");
    EXPECT_EQ(lines.back(), "***   Automatic updates are complete   ***");
    for (const char* never : {"Updating display Door 16X80 at address 2", "Updating display Hall 16X80 at address 6"})
        EXPECT_EQ(std::find(lines.begin(), lines.end(), never), lines.end()) << never;
    for (const auto& [port, address] : std::vector<std::pair<int, int>>{{1, 1}, {1, 2}, {2, 5}, {2, 6}}) {
        EXPECT_EQ(m_sim->Stats(port, address).filesStored, 0u) << port << ":" << address;
        EXPECT_EQ(m_sim->Stats(port, address).reboots, 0u) << port << ":" << address;
    }
    const JobReport& report = job.Report();
    EXPECT_TRUE(report.bAborted);
    ASSERT_EQ(report.displays.size(), 4u);
    const DisplayOutcome outcomes[] = {DisplayOutcome::Failed, DisplayOutcome::NotTried, DisplayOutcome::Failed,
                                       DisplayOutcome::NotTried};
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(report.displays[i].outcome, outcomes[i]) << i;
}

// The plan reads each line on its own link at the same time: the same states as line by line,
// and the job's time is its slowest line's.
TEST_F(ParallelJob, PlanReadsTheLinesAtOnceAndEstimatesTheSlowest)
{
    CConfigDownloader config(m_core);
    std::map<std::string, std::string> states[2];
    JobReport reports[2];
    Lines shown[2];
    for (int parallel = 0; parallel < 2; ++parallel) {
        StartStore();
        m_view.ClearMessageLines();
        CJobPlanner planner(m_core, m_firmware, config, StoreList());
        planner.SetParallel(parallel == 1);
        std::ostringstream table;
        EXPECT_EQ(planner.Run(table), PlanResult::Unread) << "address 7 never answers";
        reports[parallel] = planner.Report();
        shown[parallel] = m_view.Lines();
        std::sort(shown[parallel].begin(), shown[parallel].end());
        for (const DisplayReport& display : reports[parallel].displays)
            states[parallel][display.strName + "@" + std::to_string(display.nAddress)] = display.plan.strState;
        EXPECT_EQ(m_sim->Stats(1, 1).filesStored + m_sim->Stats(2, 5).filesStored, 0u);
    }
    EXPECT_EQ(states[1], states[0]);
    EXPECT_FALSE(shown[0].empty());
    EXPECT_EQ(shown[1], shown[0]) << "each line's reads are shown as one line after the other shows them";
    EXPECT_TRUE(reports[1].bParallel);
    std::map<int, double> perLine;
    for (const DisplayReport& display : reports[1].displays)
        perLine[display.nPort] += display.plan.dEstimatedSeconds;
    ASSERT_EQ(perLine.size(), 2u);
    EXPECT_DOUBLE_EQ(reports[1].dEstimatedSeconds, std::max(perLine[1], perLine[2]));
    EXPECT_LT(reports[1].dEstimatedSeconds, reports[0].dEstimatedSeconds);
}

} // namespace
