// The job's plan against stand-in controllers: what it reads of each kind of display, what it
// says the job would do, that nothing on any display changes, and how it ends.
#include "../connection/CapturingView.h"
#include "common/TestPortDir.h"
#include "common/JobStore.h"

#include "connection/InstallerCore.h"
#include "link/S22SignLink.h"
#include "res/Resources.h"
#include "sim/SignSim.h"
#include "update/ConfigDownload.h"
#include "update/FirmwareInstaller.h"
#include "update/JobPlan.h"
#include "update/package/ZlbFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {



class JobPlan : public ::testing::Test {
protected:
    void AddPort(int com, std::vector<qvxsim::ControllerConfig> controllers)
    {
        qvxsim::PortConfig config;
        config.comNumber = com;
        config.controllers = std::move(controllers);
        std::string error;
        ASSERT_TRUE(m_sim.AddPort(config, &error)) << error;
    }
    PlanResult Plan(const std::string& list)
    {
        std::string error;
        EXPECT_TRUE(m_sim.Start(&error)) << error;
        const auto path = m_dir / "Displays.dat";
        std::ofstream(path, std::ios::binary) << list;
        m_core.Runner().SetMode(RunMode::Inline);
        m_planner = std::make_unique<CJobPlanner>(m_core, m_firmware, m_config, path.string());
        return m_planner->Run(m_table);
    }
    const DisplayPlan& PlanOf(std::size_t i) const { return m_planner->Report().displays.at(i).plan; }

    CTestPortDir m_ports{"qvx-plan"};
    const std::filesystem::path& m_dir = m_ports.Path();
    qvxsim::SignSim m_sim{m_dir.string()};
    CCapturingView m_view;
    CInstallerCore m_core{m_view};
    CFirmwareInstaller m_firmware{m_core, FirmwareSwitches{}};
    CConfigDownloader m_config{m_core};
    std::unique_ptr<CJobPlanner> m_planner;
    std::ostringstream m_table;
};

// Every kind of display on two lines; nothing sent changes any of them.
TEST_F(JobPlan, ReadsEveryDisplayAndChangesNothing)
{
    AddPort(1, {StandInDisplay(1, "FX40211-1.01.05", qvxsim::Protocol::Pellworth), StandInDisplay(2, "FX40211-1.02.11"),
                StandInDisplay(3, "FX40211-1.01.05")});
    AddPort(2, {StandInDisplay(9, "", qvxsim::Protocol::Hitech)});
    EXPECT_EQ(Plan(JobRecord("Lobby", "1", 1, 115200) + JobRecord("Pharmacy", "2", 1, 115200) +
                   JobRecord("Office", "3", 1, 115200) + JobRecord("Gate", "9, 7", 2, 115200)),
              PlanResult::Unread)
        << "address 7 never answers";

    struct Expected {
        const char* state;
        bool update;
        bool switches;
        int config;
    };
    const Expected expected[] = {
        {"needs_switch", true, true, -1}, {"read", false, false, 0}, {"read", true, false, 0},
        {"not_ours", false, false, -1},   {"no_answer", false, false, -1},
    };
    const JobReport& report = m_planner->Report();
    ASSERT_EQ(report.displays.size(), 5u);
    EXPECT_TRUE(report.bPlan);
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(PlanOf(i).strState, expected[i].state) << i;
        EXPECT_EQ(PlanOf(i).bWouldUpdate, expected[i].update) << i;
        EXPECT_EQ(PlanOf(i).bWouldSwitch, expected[i].switches) << i;
        EXPECT_EQ(PlanOf(i).nConfigMatches, expected[i].config) << i;
    }
    EXPECT_EQ(report.displays[0].strFirmwareBefore, "FX40211-1.01.05") << "from its sign type";
    EXPECT_EQ(report.displays[2].strFirmwareTarget, "FX40211-1.02.11");
    CZlbFile package; // the install sends the package's own stream, so that is what is counted
    ASSERT_EQ(package.LoadFromMemory(qvxres::FindEmbeddedResource("BIN", qvxres::kFirmwareFX40211)), CZlbFile::kOk);
    EXPECT_EQ(PlanOf(2).nStreamBytes, package.GetStreamLength());
    EXPECT_GT(PlanOf(2).dTransferSeconds, 0);
    EXPECT_GT(PlanOf(2).dEstimatedSeconds, PlanOf(2).dTransferSeconds) << "the waits and the refresh passes too";
    EXPECT_EQ(PlanOf(1).dTransferSeconds, 0);

    for (const auto& [port, address] : {std::pair{1, 1}, {1, 2}, {1, 3}, {2, 9}}) {
        const qvxsim::ControllerStats stats = m_sim.Stats(port, static_cast<unsigned char>(address));
        EXPECT_EQ(stats.filesStored, 0u) << address;
        EXPECT_EQ(stats.reboots, 0u) << address;
    }
    EXPECT_FALSE(m_sim.Stats(1, 1).speaksS2200) << "not switched from the customer protocol";
    EXPECT_NE(m_table.str().find("Estimated time of the job: "), std::string::npos) << m_table.str();
}

TEST_F(JobPlan, CurrentStoreAndBusyLine)
{
    AddPort(1, {StandInDisplay(1, "FX40211-1.02.11")});
    AddPort(2, {StandInDisplay(1, "FX40211-1.02.11")});
    EXPECT_EQ(Plan(JobRecord("A", "1", 1, 115200)), PlanResult::AllCurrent);
    EXPECT_EQ(PlanOf(0).strState, "read");

    CS22SignLink other; // another program holds COM2
    ASSERT_EQ(other.OpenPort(2, 115200, 0), S22NET_OK);
    m_planner = std::make_unique<CJobPlanner>(m_core, m_firmware, m_config, (m_dir / "Busy.dat").string());
    std::ofstream(m_dir / "Busy.dat") << JobRecord("A", "1", 1, 115200) << JobRecord("B", "1", 2, 115200)
                                      << JobRecord("C", "0", 1, 115200);
    EXPECT_EQ(m_planner->Run(m_table), PlanResult::Unread);
    ASSERT_EQ(m_planner->Report().displays.size(), 3u);
    EXPECT_EQ(PlanOf(1).strState, "not_tried") << "address 0 is never spoken to";
    EXPECT_EQ(PlanOf(2).strState, "port_busy");
}

} // namespace
