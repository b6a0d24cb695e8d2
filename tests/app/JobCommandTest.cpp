// The unattended job as store IT runs it: the real program in a process of its own against
// stand-in controllers, its exit status, its log and report, and a SIGTERM in the middle of a
// transfer.
#include "common/JsonCheck.h"
#include "common/TestPortDir.h"
#include "common/ToolProcess.h"
#include "sim/SignSim.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

namespace {

std::string Record(const std::string& name, int address, int port)
{
    std::vector<std::string> lines(48, "");
    lines[0] = name;
    lines[9] = std::to_string(address);
    lines[21] = "COM" + std::to_string(port);
    lines[22] = "115200";
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

std::string Slurp(const std::filesystem::path& path)
{
    return ReadText(path.string());
}

class JobCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_sim = std::make_unique<qvxsim::SignSim>(m_dir.string());
        qvxsim::PortConfig config;
        config.comNumber = 1;
        qvxsim::ControllerConfig display;
        display.address = 1;
        display.settings.firmwareVersion = "FX40211-1.01.05";
        config.controllers.push_back(display);
        std::string error;
        ASSERT_TRUE(m_sim->AddPort(config, &error) && m_sim->Start(&error)) << error;
        std::ofstream(m_dir / "Displays.dat") << Record("Lobby", 1, 1);
    }
    void TearDown() override { m_sim.reset(); }

    pid_t Start(std::vector<std::string> args)
    {
        args.insert(args.begin(), QVX_TOOL_PATH);
        return StartTool(std::move(args), (m_dir / "stderr.txt").string(), (m_dir / "stdout.txt").string());
    }
    // The whole lines written to standard output so far.
    std::vector<std::string> OutputLines()
    {
        std::vector<std::string> lines;
        std::istringstream text(Slurp(m_dir / "stdout.txt"));
        std::string line;
        while (std::getline(text, line)) {
            if (text.eof())
                break; // not ended yet
            lines.push_back(line);
        }
        return lines;
    }
    static int Wait(pid_t pid) { return WaitTool(pid); }
    int Run(std::vector<std::string> args) { return Wait(Start(std::move(args))); }
    std::vector<std::string> JobArgs()
    {
        return {"-s", "-df", (m_dir / "Displays.dat").string(), "-l1", "-lf", (m_dir / "job.log").string(),
                "-report", (m_dir / "job.json").string()};
    }

    CTestPortDir m_ports{"qvx-jobcmd"};
    const std::filesystem::path& m_dir = m_ports.Path();
    std::unique_ptr<qvxsim::SignSim> m_sim;
};

TEST_F(JobCommand, ExitStatusIsTheJobResult)
{
    EXPECT_EQ(Run(JobArgs()), 0);
    const std::string log = Slurp(m_dir / "job.log");
    EXPECT_NE(log.find("~  [*TASK ERROR 0*]  Lobby has been updated successfully"), std::string::npos) << log;
    EXPECT_NE(log.find("~  [*JOB ERROR 0*] Automatic updates completed successfully\n"), std::string::npos) << log;
    const std::string report = Slurp(m_dir / "job.json");
    EXPECT_NE(report.find("\"job_result\": 0"), std::string::npos) << report;
    EXPECT_NE(report.find("\"firmware_after\": \"FX40211-1.2.11\""), std::string::npos) << report;
    EXPECT_TRUE(Slurp(m_dir / "stderr.txt").empty()) << "nothing on a standard error that is not a terminal";

    // Without a log file the exit status is still the job's: here the list is missing (600).
    EXPECT_EQ(Run({"-s", "-df", (m_dir / "none.dat").string()}), 9);
}

TEST_F(JobCommand, RunsThatCannotStartExit2)
{
    EXPECT_EQ(Run({"-s", "-dff", "x"}), 2);
    EXPECT_NE(Slurp(m_dir / "stderr.txt").find("unknown switch -dff"), std::string::npos);
    EXPECT_EQ(Run({"-s", "-info", "COM1"}), 2);
    EXPECT_EQ(m_sim->Stats(1, 1).framesReceived, 0u) << "nothing was sent";
}

// What a fleet agent relays: one JSON object per line, each whole and parseable as it comes.
TEST_F(JobCommand, ProgressLinesParseOneByOneDuringTheTransfer)
{
    std::vector<std::string> args = JobArgs();
    args.insert(args.end(), {"-progress", "json"});
    const pid_t pid = Start(args);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    std::size_t transferLinesSeen = 0;
    while (m_sim->Stats(1, 1).framesReceived < 1500 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        transferLinesSeen = 0;
        for (const std::string& line : OutputLines()) {
            ASSERT_TRUE(CJsonCheck::IsValid(line)) << line;
            transferLinesSeen += line.find("\"event\": \"transfer\"") != std::string::npos ? 1 : 0;
        }
    }
    EXPECT_GT(transferLinesSeen, 0u) << "transfer lines came while the image was on its way";
    EXPECT_EQ(Wait(pid), 0);
    const std::vector<std::string> lines = OutputLines();
    ASSERT_GE(lines.size(), 4u);
    for (const std::string& line : lines)
        EXPECT_TRUE(CJsonCheck::IsValid(line)) << line;
    EXPECT_TRUE(lines.front().starts_with("{\"event\": \"job_started\", \"t\": ")) << lines.front();
    EXPECT_TRUE(lines.back().starts_with("{\"event\": \"job_finished\"")) << lines.back();
    EXPECT_NE(lines.back().find("\"job_result\": 0"), std::string::npos) << lines.back();
    const auto finished = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find("\"display_finished\"") != std::string::npos;
    });
    ASSERT_NE(finished, lines.end());
    EXPECT_NE(finished->find("\"outcome\": \"updated\", \"outcome_code\": 0"), std::string::npos) << *finished;
    EXPECT_TRUE(CJsonCheck::IsValid(Slurp(m_dir / "job.json")));
}

// The plan reads and changes nothing, and says in its exit status that there is work to do.
TEST_F(JobCommand, PlanChangesNothingAndExits13ForWork)
{
    const std::string report = (m_dir / "plan.json").string();
    EXPECT_EQ(Run({"-plan", "-df", (m_dir / "Displays.dat").string(), "-report", report}), 13);
    const qvxsim::ControllerStats stats = m_sim->Stats(1, 1);
    EXPECT_EQ(stats.filesStored, 0u);
    EXPECT_EQ(stats.reboots, 0u);
    const std::string table = Slurp(m_dir / "stdout.txt");
    EXPECT_NE(table.find("Lobby        COM1  1    115200 FX40211-1.01.05  FX40211-1.02.11  update"), std::string::npos)
        << table;
    const std::string document = Slurp(report);
    EXPECT_TRUE(CJsonCheck::IsValid(document)) << document;
    EXPECT_NE(document.find("\"plan\": true"), std::string::npos);
    EXPECT_NE(document.find("\"plan_result\": 13"), std::string::npos);

    // A plan is not a job: both at once, or a progress form there is not, start nothing.
    EXPECT_EQ(Run({"-s", "-plan", "-df", (m_dir / "Displays.dat").string()}), 2);
    EXPECT_EQ(Run({"-s", "-progress", "xml", "-df", (m_dir / "Displays.dat").string()}), 2);
    EXPECT_NE(Slurp(m_dir / "stderr.txt").find("-progress takes json"), std::string::npos);
    EXPECT_EQ(m_sim->Stats(1, 1).framesReceived, stats.framesReceived) << "nothing sent by the refused runs";
}

TEST_F(JobCommand, SigtermInTheMiddleOfATransferEndsTheJobCleanly)
{
    const pid_t pid = Start(JobArgs());
    // Wait until the firmware is on its way: far more frames than connecting and reading take.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (m_sim->Stats(1, 1).framesReceived < 400 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(kill(pid, SIGTERM), 0);
    EXPECT_EQ(Wait(pid), 9) << "the abort's 601 makes the job critical";

    const std::string log = Slurp(m_dir / "job.log");
    for (const char* line : {"~  Aborted command to download the file to sign\n",
                             "~  [*TASK ERROR 601*]  Not all displays were updated due to the user aborting update\n",
                             "~  [*JOB ERROR 9*] Automatic updates had a task error of 601\n",
                             "~  ***   Automatic updates are complete   ***\n"})
        EXPECT_NE(log.find(line), std::string::npos) << line << log;
    EXPECT_EQ(log.find("Firmware has been downloaded."), std::string::npos);
    EXPECT_EQ(m_sim->Stats(1, 1).reboots, 0u) << "no reset after a cut transfer";
    EXPECT_FALSE(m_sim->ReadFile(1, 1, "FX40211.EXE").has_value());
    const std::string report = Slurp(m_dir / "job.json");
    EXPECT_NE(report.find("\"aborted\": true"), std::string::npos) << report;
    for (const auto& file : std::filesystem::directory_iterator(m_dir))
        EXPECT_EQ(file.path().filename().string().rfind("job.json.", 0), std::string::npos) << "nothing half-written";
}

// With -parallel a SIGTERM while both ports send their images ends both: the job line once, 601
// once, no image taken and nothing reset on either line.
TEST_F(JobCommand, ParallelJobSigtermWhileBothPortsSendEndsBoth)
{
    m_sim.reset();
    m_sim = std::make_unique<qvxsim::SignSim>(m_dir.string());
    for (int port : {1, 2}) {
        qvxsim::PortConfig config;
        config.comNumber = port;
        for (unsigned char address : {1, 2}) {
            qvxsim::ControllerConfig display;
            display.address = address;
            display.settings.firmwareVersion = "FX40211-1.01.05";
            config.controllers.push_back(display);
        }
        std::string error;
        ASSERT_TRUE(m_sim->AddPort(config, &error)) << error;
    }
    std::string error;
    ASSERT_TRUE(m_sim->Start(&error)) << error;
    std::ofstream(m_dir / "Displays.dat") << Record("Lobby", 1, 1) + Record("Deli", 2, 1) + Record("Gate", 1, 2) +
                                                 Record("Hall", 2, 2);
    std::vector<std::string> args = JobArgs();
    for (const std::string& more : {std::string("-parallel"), std::string("-progress"), std::string("json"),
                                    std::string("-record"), (m_dir / "session.txt").string()})
        args.push_back(more);
    const pid_t pid = Start(args);
    // The progress lines say when both lines' displays are sending (and that each line's progress
    // reaches them under its own display).
    auto sending = [&] {
        std::set<std::string> numbers;
        for (const std::string& line : OutputLines()) {
            if (line.find("\"event\": \"transfer\"") != std::string::npos &&
                line.find("\"bytes_done\": 0,") == std::string::npos)
                numbers.insert(line.substr(line.find("\"number\": "), 12));
        }
        return numbers.size();
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    while (sending() < 2 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(sending(), 2u) << Slurp(m_dir / "stdout.txt");
    ASSERT_EQ(kill(pid, SIGTERM), 0);
    EXPECT_EQ(Wait(pid), 9);

    const std::string log = Slurp(m_dir / "job.log");
    auto count = [&](const std::string& text) {
        std::size_t n = 0;
        for (std::size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(count("[*TASK ERROR 601*]  Not all displays were updated due to the user aborting update\n"), 1u) << log;
    EXPECT_EQ(count("~  [*JOB ERROR 9*] Automatic updates had a task error of 601\n"), 1u) << log;
    EXPECT_EQ(count("Aborted command to download the file to sign"), 2u) << "one per line" << log;
    EXPECT_EQ(count("Updating display"), 2u) << "the second display of each line is never begun" << log;
    EXPECT_EQ(log.find("Firmware has been downloaded."), std::string::npos);
    for (int port : {1, 2}) {
        for (unsigned char address : {1, 2}) {
            EXPECT_EQ(m_sim->Stats(port, address).reboots, 0u) << port << ":" << int(address);
            EXPECT_FALSE(m_sim->ReadFile(port, address, "FX40211.EXE").has_value());
        }
    }
    const std::string report = Slurp(m_dir / "job.json");
    EXPECT_NE(report.find("\"aborted\": true"), std::string::npos) << report;
    EXPECT_NE(report.find("\"parallel\": true"), std::string::npos) << report;
    // Both lines' frames went to the one record, each line whole (a frame per line).
    const std::string record = Slurp(m_dir / "session.txt");
    for (const char* line : {" -> COM1 115200 ", " -> COM2 115200 ", " <- COM1 115200 ", " <- COM2 115200 "})
        EXPECT_NE(record.find(line), std::string::npos) << line;
}

} // namespace
