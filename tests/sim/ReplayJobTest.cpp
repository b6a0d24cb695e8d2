// A recorded job replayed: the real tool against the normal stand-in controllers with -record,
// then the same job against qvx-signsim --replay of that record, which must give the same exit
// status and the same log lines. And the records kept in records/: each a field session whose job
// must still give the log and exit status it gave there.
#include "common/JobStore.h"
#include "common/TestPortDir.h"
#include "common/ToolProcess.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

namespace simtest {
namespace {

// The demo's store (scripts/demo-store.sh): on COM1 one display on old firmware in the customer
// protocol and one current at 19200; on COM2 a HITECH display and an address that never answers.
const std::vector<std::string> kDemoStore = {
    "--port", "1", "--rate", "115200", "--addr", "1", "--protocol", "pellworth", "--firmware", "FX40211-1.01.05",
    "--addr", "2@19200", "--port", "2", "--rate", "115200", "--addr", "9", "--protocol", "hitech"};

// The log's lines without their time and counters (what follows the last "~  ").
std::vector<std::string> LogLines(const std::filesystem::path& path)
{
    std::vector<std::string> lines;
    std::istringstream text(ReadText(path.string()));
    for (std::string line; std::getline(text, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::size_t mark = line.rfind("~  ");
        lines.push_back(mark == std::string::npos ? line : line.substr(mark + 3));
    }
    return lines;
}

// How many COM ports a session record opens.
std::size_t PortsOpenedIn(const std::filesystem::path& record)
{
    std::set<std::string> ports;
    std::istringstream text(ReadText(record.string()));
    for (std::string line; std::getline(text, line);) {
        const std::size_t open = line.find(" open COM");
        if (open != std::string::npos)
            ports.insert(line.substr(open + 6, line.find(' ', open + 6) - (open + 6)));
    }
    return ports.size();
}

// Where two logs' lines first part, for a message that points at the line rather than printing
// both logs whole; empty when they are the same.
std::string FirstDifference(const std::vector<std::string>& expected, const std::vector<std::string>& actual)
{
    const std::size_t common = std::min(expected.size(), actual.size());
    const auto line = [](const std::vector<std::string>& lines, std::size_t i) {
        return i < lines.size() ? "\"" + lines[i] + "\"" : std::string("(the log ends)");
    };
    for (std::size_t i = 0; i <= common; ++i)
        if (i == common ? expected.size() != actual.size() : expected[i] != actual[i])
            return "line " + std::to_string(i + 1) + ": expected " + line(expected, i) + ", got " + line(actual, i);
    return "";
}

class ReplayRun {
protected:
    ~ReplayRun()
    {
        if (m_sim > 0) {
            kill(m_sim, SIGTERM);
            WaitTool(m_sim);
        }
    }

    // A stand-in controller started with `args`, once it has listed its `ports` ports (or ended).
    bool StartSim(std::vector<std::string> args, std::size_t ports = 2)
    {
        args.insert(args.begin(), QVX_SIGNSIM_PATH);
        m_sim = StartTool(std::move(args), (m_dir / "sim.err").string(), (m_dir / "sim.out").string());
        for (int i = 0; i < 400; ++i) {
            const std::string listed = "\n" + ReadText((m_dir / "sim.out").string());
            std::size_t count = 0;
            for (std::size_t at = listed.find("\nCOM"); at != std::string::npos; at = listed.find("\nCOM", at + 1))
                ++count;
            if (count >= ports)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        return false;
    }
    // Its standard output after SIGTERM, and its exit status.
    std::pair<std::string, int> StopSim()
    {
        kill(m_sim, SIGTERM);
        const int status = WaitTool(m_sim);
        m_sim = -1;
        return {ReadText((m_dir / "sim.out").string()), status};
    }
    int RunJob(const std::string& log, std::vector<std::string> more = {})
    {
        std::vector<std::string> args = {QVX_TOOL_PATH, "-s", "-df", (m_dir / "Displays.dat").string(), "-l1",
                                         "-lf", (m_dir / log).string()};
        args.insert(args.end(), more.begin(), more.end());
        return WaitTool(StartTool(std::move(args), (m_dir / "tool.err").string()));
    }

    CTestPortDir m_ports{"qvx-replay", "0.1"};
    const std::filesystem::path& m_dir = m_ports.Path();
    pid_t m_sim = -1;
};

class ReplayJob : public ReplayRun, public ::testing::Test {};

TEST_F(ReplayJob, SameJobGivesTheSameStatusAndLog)
{
    std::ofstream(m_dir / "Displays.dat", std::ios::binary)
        << JobRecord("Lobby", "1", 1, 115200) << JobRecord("Pharmacy", "2", 1, 19200)
        << JobRecord("Gate", "9, 7", 2, 115200);
    const std::string record = (m_dir / "rec.txt").string();
    ASSERT_TRUE(StartSim(kDemoStore)) << ReadText((m_dir / "sim.err").string());
    const int recorded = RunJob("a.log", {"-record", record});
    ASSERT_EQ(StopSim().second, 0);

    ASSERT_TRUE(StartSim({"--replay", record})) << ReadText((m_dir / "sim.err").string());
    const int replayed = RunJob("b.log");
    const auto [output, status] = StopSim();
    EXPECT_EQ(status, 0);

    EXPECT_EQ(replayed, recorded);
    const std::vector<std::string> before = LogLines(m_dir / "a.log");
    EXPECT_GT(before.size(), 5u);
    EXPECT_EQ(FirstDifference(before, LogLines(m_dir / "b.log")), "");
    EXPECT_EQ(output.find("not answered"), std::string::npos) << output;
    EXPECT_NE(output.find("\nCOM1: all "), std::string::npos) << output;
    EXPECT_NE(output.find("\nCOM2: all "), std::string::npos) << output;
}

TEST_F(ReplayJob, BadRecordLineExits2WithItsNumber)
{
    std::ofstream(m_dir / "bad.txt") << "# qvxfirminstaller session record 1\n# started\n"
                                        "T+0.000000 open COM1 115200\nT+0.100000 -> COM1 115200 2 55\n";
    const std::string err = (m_dir / "sim.err").string();
    EXPECT_EQ(WaitTool(StartTool({QVX_SIGNSIM_PATH, "--replay", (m_dir / "bad.txt").string()}, err)), 2);
    EXPECT_EQ(ReadText(err), "qvx-signsim: " + (m_dir / "bad.txt").string() + ": line 4: 2 bytes announced, 1 given\n");
    EXPECT_FALSE(std::filesystem::exists(m_dir / "COM1")) << "no port is published for a record it cannot read";
}

// A kept record: records/<name>/ holds the field's session record (session.rec), its display list
// (Displays.dat), the job's log there (job.log) and case.txt, whose "status N" line is the job's
// exit status there and whose "switches ..." line, if any, the switches it ran with beyond
// -s -df -l1 -lf.
struct KeptCase {
    std::filesystem::path dir;
    int status = -1;
    std::vector<std::string> switches;
};

KeptCase ReadKeptCase(const std::string& name)
{
    KeptCase kept;
    kept.dir = std::filesystem::path(QVX_KEPT_RECORDS_DIR) / name;
    std::istringstream text(ReadText((kept.dir / "case.txt").string()));
    for (std::string line; std::getline(text, line);) {
        std::istringstream words(line);
        std::string key;
        words >> key;
        if (key == "status")
            words >> kept.status;
        else if (key == "switches")
            for (std::string word; words >> word;)
                kept.switches.push_back(word);
    }
    return kept;
}

// The build lists the folders of records/ (see CMakeLists.txt).
std::vector<std::string> KeptCaseNames()
{
    std::vector<std::string> names;
    std::istringstream list(QVX_KEPT_RECORD_CASES);
    for (std::string name; std::getline(list, name, ',');)
        names.push_back(name);
    return names;
}

class KeptRecord : public ReplayRun, public ::testing::TestWithParam<std::string> {};

TEST_P(KeptRecord, JobGivesTheFieldsLogAndStatus)
{
    const KeptCase kept = ReadKeptCase(GetParam());
    for (const char* file : {"case.txt", "session.rec", "Displays.dat", "job.log"})
        ASSERT_TRUE(std::filesystem::is_regular_file(kept.dir / file)) << kept.dir / file << " is missing";
    ASSERT_NE(kept.status, -1) << kept.dir / "case.txt" << " has no status line";
    std::filesystem::copy_file(kept.dir / "Displays.dat", m_dir / "Displays.dat");
    const std::filesystem::path record = kept.dir / "session.rec";
    ASSERT_TRUE(StartSim({"--replay", record.string()}, PortsOpenedIn(record))) << ReadText((m_dir / "sim.err").string());
    EXPECT_EQ(RunJob("job.log", kept.switches), kept.status);
    const auto [output, status] = StopSim();
    EXPECT_EQ(status, 0);
    EXPECT_EQ(FirstDifference(LogLines(kept.dir / "job.log"), LogLines(m_dir / "job.log")), "");
    EXPECT_EQ(output.find("not answered"), std::string::npos) << output;
}

INSTANTIATE_TEST_SUITE_P(Records, KeptRecord, ::testing::ValuesIn(KeptCaseNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
                             return name;
                         });

} // namespace
} // namespace simtest
