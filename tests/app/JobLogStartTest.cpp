#include "common/TestEnv.h"
#include "app/ExitStatus.h"
#include "app/PellworthTestApp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class JobLogStartTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() /
                ("qvx-app-log-" + std::to_string(ProcessId()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    static std::size_t CountLines(const std::string& text)
    {
        return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    }

    fs::path m_dir;
};

// What an interactive start says in a build without the window, after any note about the log.
const char kNoWindow[] = "qvxfirminstaller: the interactive window is not part of this build; see --help.\n";

TEST_F(JobLogStartTest, LogOpensInAMadeFolder)
{
    const std::string path = (m_dir / "a" / "b" / "run.txt").string();
    std::ostringstream out, err;
    CPellworthTestApp app({"-l1", "-lf", path}, out, err);
    EXPECT_EQ(app.Run(), exitstatus::kUsage);
    EXPECT_TRUE(app.GetLogManager().IsLogOpen());
    EXPECT_EQ(app.GetLogManager().GetLogPath(), path);
    EXPECT_TRUE(fs::exists(path));
    EXPECT_EQ(err.str(), kNoWindow);

    // Lines handed to the manager reach the file.
    ASSERT_TRUE(app.GetLogManager().WriteLine("written"));
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line.substr(line.size() - 10), "~  written");
}

TEST_F(JobLogStartTest, RunGoesOnWhenTheLogCannotBeOpened)
{
    std::ofstream(m_dir / "blocker") << "x";
    const struct {
        const char* name;
        std::string path;
        const char* says;
    } cases[] = {
        {"path is a folder", m_dir.string(), "qvxfirminstaller: the job log could not be opened at "},
        {"folder cannot be made", (m_dir / "blocker" / "sub" / "log.txt").string(),
         "qvxfirminstaller: the job log's folder could not be made for "},
        {"path too long", (m_dir / std::string(300, 'n')).string(), "qvxfirminstaller: the job log's path is too long"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        std::ostringstream out, err;
        CPellworthTestApp app({"-l1", "-lf", test.path}, out, err);
        EXPECT_EQ(app.Run(), exitstatus::kUsage);
        EXPECT_FALSE(app.GetLogManager().IsLogOpen());
        EXPECT_EQ(CountLines(err.str()), 2u) << err.str();
        EXPECT_EQ(err.str().rfind(test.says, 0), 0u) << err.str();
        EXPECT_NE(err.str().find("; the run goes on without"), std::string::npos);
        EXPECT_NE(err.str().find(kNoWindow), std::string::npos);
    }
}

TEST_F(JobLogStartTest, LinesReachTheManagerEvenWithoutAFile)
{
    // The job result is computed from the kept messages, file or not.
    std::ostringstream out, err;
    CPellworthTestApp app({"-l1", "-lf", m_dir.string(), "-info", "COM3:0"}, out, err);
    app.Run();
    EXPECT_FALSE(app.GetLogManager().IsLogOpen());
    EXPECT_EQ(app.GetLogManager().GetMessageCount(), 1u); // the bad address's task error
}

TEST_F(JobLogStartTest, NoLogWithoutTheSwitchOrForHelp)
{
    const std::string path = (m_dir / "log.txt").string();
    const struct {
        std::vector<std::string> args;
        int status;
        std::string err;
    } runs[] = {{{"-lf", path},
                 exitstatus::kUsage,
                 std::string("qvxfirminstaller: note: -lf names a log file, but without -l1 no log is written.\n") +
                     kNoWindow},
                {{"-l1", "-lf", path, "-h"}, 0, ""}};
    for (const auto& run : runs) {
        std::ostringstream out, err;
        CPellworthTestApp app(run.args, out, err);
        EXPECT_EQ(app.Run(), run.status);
        EXPECT_FALSE(app.GetLogManager().IsLogOpen());
        EXPECT_FALSE(fs::exists(path));
        EXPECT_EQ(err.str(), run.err);
    }
}

// A job refused before it starts still says so in the log the scheduler reads, shaped as a job.
TEST_F(JobLogStartTest, RefusedJobLeavesItsRunInTheLog)
{
    const std::string path = (m_dir / "job.log").string();
    const struct {
        std::vector<std::string> args;
        std::string problem;
    } cases[] = {
        {{"-s", "-dff", "x"}, "unknown switch -dff; the job was not started (see --help)."},
        {{"-s", "-report"}, "-report needs its value: -report <file>; the job was not started (see --help)."},
        {{"-s", "-info", "COM1"},
         "-s, -plan, -ping, -info, -loopback and the display actions are separate runs; give one of them; "
         "the job was not started (see --help)."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.problem);
        fs::remove(path);
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"-l1", "-lf", path});
        std::ostringstream out, err;
        CPellworthTestApp app(args, out, err);
        EXPECT_EQ(app.Run(), exitstatus::kUsage);
        EXPECT_EQ(err.str(), "qvxfirminstaller: " + c.problem + "\n");
        EXPECT_EQ(out.str(), "");
        std::ifstream in(path);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line.substr(line.find("~  ") + 3));
        const std::vector<std::string> expected = {"***   Starting automatic updates   ***",
                                                   "[*TASK ERROR 602*]  " + c.problem,
                                                   "[*JOB ERROR 9*] Automatic updates had a task error of 602",
                                                   "***   Automatic updates are complete   ***"};
        EXPECT_EQ(lines, expected);
    }
}

// A 0 or 4 whose log or report is missing must not read as success; a 9 stays 9.
TEST_F(JobLogStartTest, JobWhoseRecordIsLostDoesNotExitAsSuccess)
{
    std::ofstream(m_dir / "empty.dat").flush(); // no displays: job result 4
    std::ofstream(m_dir / "blocker") << "x";
    const std::string list = (m_dir / "empty.dat").string();
    const std::string log = (m_dir / "job.log").string();
    const struct {
        const char* name;
        std::vector<std::string> args;
        int status;
        const char* says;
    } cases[] = {
        {"log and report written", {"-df", list, "-l1", "-lf", log, "-report", (m_dir / "r.json").string()}, 4, ""},
        {"log cannot be opened", {"-df", list, "-l1", "-lf", m_dir.string()}, 10, "the job log could not be opened"},
        {"log lines cannot be written", {"-df", list, "-l1", "-lf", "/dev/full"}, 10,
         "lines of the job log could not be written to /dev/full.\n"},
        {"report cannot be written", {"-df", list, "-report", (m_dir / "blocker" / "r.json").string()}, 10,
         "the job report could not be written to "},
        {"critical error stays 9", {"-df", (m_dir / "none.dat").string(), "-l1", "-lf", m_dir.string()}, 9,
         "the job log could not be opened"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
#ifdef _WIN32
        if (c.args.back() == "/dev/full")
            continue; // a device that refuses every write exists on POSIX only
#endif
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), "-s");
        std::ostringstream out, err;
        CPellworthTestApp app(args, out, err);
        EXPECT_EQ(app.Run(), c.status);
        if (*c.says == '\0')
            EXPECT_EQ(err.str(), "");
        else
            EXPECT_NE(err.str().find(c.says), std::string::npos) << err.str();
    }
}

}  // namespace
