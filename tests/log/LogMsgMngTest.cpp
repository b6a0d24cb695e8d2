#include "log/LogMsgMng.h"

#include "FakeLogEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const char* const kJob0 = "[*JOB ERROR 0*] Automatic updates completed successfully";
const char* const kJob4 = "[*JOB ERROR 4*] Automatic updates completed with no critical errors or upgrades";

class LogMsgMngTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseUtc();
        m_dir = fs::temp_directory_path() /
                ("qvx-logmng-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        m_path = (m_dir / "QvxFirmLog.txt").string();
        m_env.now = At(2024, 12, 7, 8, 52, 44);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::vector<std::string> Lines() const
    {
        std::ifstream in(m_path);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    // A line without its prefixes.
    static std::string Text(const std::string& line)
    {
        const std::size_t separator = line.find("~  ");
        return separator == std::string::npos ? line : line.substr(separator + 3);
    }

    fs::path m_dir;
    std::string m_path;
    FakeLogEnvironment m_env;
};

// One event of a job: a plain line, a task error, or a task boundary.
struct Step {
    enum Kind { Plain, Error, Begin, End } kind;
    int code = 0;
};

TEST_F(LogMsgMngTest, JobLineFollowsTheTaskCodes)
{
    const Step begin{Step::Begin}, end{Step::End}, plain{Step::Plain};
    const auto error = [](int code) { return Step{Step::Error, code}; };
    const struct {
        const char* name;
        std::vector<Step> steps;
        int result;
        std::string line;
    } cases[] = {
        {"no messages", {}, 4, kJob4},
        {"plain lines only", {begin, plain, end}, 4, kJob4},
        {"only 101 in tasks", {begin, error(101), end, begin, error(101), end}, 0, kJob0},
        {"101 and 300", {begin, error(101), end, begin, error(300), end}, 4, kJob4},
        {"101 and 500", {begin, error(101), end, begin, error(500), end}, 9,
         "[*JOB ERROR 9*] Automatic updates had a task error of 500"},
        {"one success beside a 300", {begin, error(0), end, begin, error(300), end}, 0, kJob0},
        {"success does not hide a critical code", {begin, error(0), error(510), end}, 9,
         "[*JOB ERROR 9*] Automatic updates had a task error of 510"},
        {"worst code is named", {begin, error(600), error(501), end}, 9,
         "[*JOB ERROR 9*] Automatic updates had a task error of 600"},
        {"499 is not critical", {begin, error(499), end}, 4, kJob4},
        {"success before the first task", {error(0), begin, plain, end}, 4, kJob4},
        {"101 before the first task", {error(101), begin, end}, 4, kJob4},
        {"critical before the first task counts", {error(600), begin, error(0), end}, 9,
         "[*JOB ERROR 9*] Automatic updates had a task error of 600"},
        {"negative codes", {begin, error(-5), end}, 4, kJob4},
        {"between tasks counts as inside", {begin, end, error(0), begin, end}, 0, kJob0},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        fs::remove(m_path);
        CLogMsgMng manager(m_env);
        ASSERT_TRUE(manager.OpenLog(m_path));
        ASSERT_TRUE(manager.BeginJob());
        for (const Step& step : test.steps) {
            switch (step.kind) {
            case Step::Plain:
                manager.AddMessage(CLogMsg("status line"));
                break;
            case Step::Error:
                manager.AddMessage(CLogErrorMsg("task line", step.code));
                break;
            case Step::Begin:
                EXPECT_TRUE(manager.BeginTask());
                break;
            case Step::End:
                EXPECT_TRUE(manager.EndTask());
                break;
            }
        }
        EXPECT_EQ(manager.GetJobResult(), test.result);
        ASSERT_TRUE(manager.EndJob());
        const std::vector<std::string> lines = Lines();
        ASSERT_EQ(lines.size(), test.steps.size() - std::count_if(test.steps.begin(), test.steps.end(), [](auto s) {
                                    return s.kind == Step::Begin || s.kind == Step::End;
                                }) + 1);
        EXPECT_EQ(Text(lines.back()), test.line);
    }
}

TEST_F(LogMsgMngTest, LinesCarryEveryPrefix)
{
    CLogMsgMng manager(m_env);
    ASSERT_TRUE(manager.OpenLog(m_path));
    manager.BeginJob();
    manager.BeginTask();
    m_env.now += 1500ms;
    manager.AddMessage(CLogMsg("Connection established with S2200 Protocol at 115200 baud."));
    m_env.now += 250ms;
    manager.AddMessage(CLogErrorMsg("Could not connect to display", 510));
    manager.EndTask();
    manager.EndJob();
    EXPECT_EQ(Lines(), (std::vector<std::string>{
                           "   1 - Dec 07 08:52:45.500 - (0000001.500) - <1> - ~  Connection established with "
                           "S2200 Protocol at 115200 baud.",
                           "   2 - Dec 07 08:52:45.750 - (0000001.750) - <1> - ~  [*TASK ERROR 510*]  Could not "
                           "connect to display",
                           "   3 - Dec 07 08:52:45.750 - (0000001.750) - <1> - ~  [*JOB ERROR 9*] Automatic updates "
                           "had a task error of 510",
                       }));
}

TEST_F(LogMsgMngTest, OpenLogAppends)
{
    std::ofstream(m_path) << "earlier run\n";
    CLogMsgMng manager(m_env);
    ASSERT_TRUE(manager.OpenLog(m_path));
    EXPECT_EQ(manager.GetLogPath(), m_path);
    EXPECT_TRUE(manager.WriteLine("this run"));
    manager.Reset();
    EXPECT_FALSE(manager.IsLogOpen());
    EXPECT_FALSE(manager.WriteLine("after reset"));
    const std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "earlier run");
    EXPECT_EQ(Text(lines[1]), "this run");
}

TEST_F(LogMsgMngTest, WithoutALogMessagesAreStillKept)
{
    CLogMsgMng manager(m_env);
    EXPECT_FALSE(manager.OpenLog((m_dir / "no" / "such" / "log.txt").string()));
    EXPECT_FALSE(manager.IsLogOpen());
    EXPECT_FALSE(manager.WriteLine("nowhere"));
    ASSERT_TRUE(manager.BeginJob());
    ASSERT_TRUE(manager.BeginTask());
    manager.AddMessage(CLogErrorMsg("Serial COM3 is busy.", 500));
    EXPECT_EQ(manager.GetMessageCount(), 1u);
    EXPECT_TRUE(manager.EndJob());
    EXPECT_EQ(manager.GetJobResult(), CLogMsgMng::JOB_CRITICAL_ERROR);
    EXPECT_EQ(manager.GetJobLine(), "[*JOB ERROR 9*] Automatic updates had a task error of 500");
}

TEST_F(LogMsgMngTest, JobAndTaskStates)
{
    CLogMsgMng manager(m_env);
    EXPECT_FALSE(manager.BeginTask());  // no job
    EXPECT_FALSE(manager.EndTask());
    EXPECT_FALSE(manager.EndJob());
    EXPECT_TRUE(manager.BeginJob());
    EXPECT_TRUE(manager.BeginTask());
    EXPECT_FALSE(manager.BeginTask());  // already in a task
    EXPECT_TRUE(manager.EndTask());
    EXPECT_FALSE(manager.EndTask());
    EXPECT_TRUE(manager.BeginTask());
    EXPECT_TRUE(manager.EndJob());  // ends the open task with the job
    EXPECT_FALSE(manager.IsTaskOpen());
    EXPECT_FALSE(manager.EndJob());
    EXPECT_TRUE(manager.BeginJob());
    EXPECT_TRUE(manager.BeginTask());
}

TEST_F(LogMsgMngTest, SecondBeginJobKeepsTheOpenJob)
{
    CLogMsgMng manager(m_env);
    ASSERT_TRUE(manager.BeginJob());
    manager.BeginTask();
    manager.AddMessage(CLogErrorMsg("Transmission failed", 503));
    EXPECT_FALSE(manager.BeginJob());
    EXPECT_EQ(manager.GetMessageCount(), 1u);
    EXPECT_EQ(manager.GetJobResult(), CLogMsgMng::JOB_CRITICAL_ERROR);

    // A new job starts from nothing.
    manager.EndJob();
    ASSERT_TRUE(manager.BeginJob());
    EXPECT_EQ(manager.GetMessageCount(), 0u);
    EXPECT_EQ(manager.GetJobResult(), CLogMsgMng::JOB_NO_CRITICAL_ERRORS);
}

// A message kind the manager does not know.
struct OtherMsg : ILogMsg {
    OtherMsg() : ILogMsg(7) {}
    std::string GetText() const override { return "other"; }
};

TEST_F(LogMsgMngTest, StoringCopiesOrTakesOwnership)
{
    CLogMsgMng manager(m_env);
    ASSERT_TRUE(manager.OpenLog(m_path));
    manager.BeginJob();
    manager.BeginTask();

    CLogErrorMsg mine("Display is not a Quorvantix Reader Board", 101);
    manager.AddMessage(mine);                   // copied; mine stays the caller's
    manager.AddMessage(OtherMsg());             // written as an empty line, not stored
    manager.AddMessage(std::make_unique<OtherMsg>());  // kept as given
    manager.AddMessage(std::unique_ptr<ILogMsg>());    // nothing
    EXPECT_EQ(manager.GetMessageCount(), 2u);
    EXPECT_EQ(mine.GetTaskError(), 101);
    EXPECT_EQ(manager.GetJobResult(), CLogMsgMng::JOB_SUCCESS);  // the other kind is no error

    const std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(Text(lines[0]), "[*TASK ERROR 101*]  Display is not a Quorvantix Reader Board");
    EXPECT_EQ(Text(lines[1]), "");
    EXPECT_EQ(Text(lines[2]), "");
}

TEST(LogMsg, TypesAndLines)
{
    const CLogMsg plain("Sign Type Version:FX40211");
    const CLogErrorMsg error("Transmission aborted", 302);
    EXPECT_EQ(plain.GetType(), ILogMsg::TYPE_MESSAGE);
    EXPECT_EQ(error.GetType(), ILogMsg::TYPE_ERROR);
    EXPECT_EQ(error.GetErrorCode(), 0);
    EXPECT_EQ(CLogMsgMng::LineOf(plain), "Sign Type Version:FX40211");
    EXPECT_EQ(CLogMsgMng::LineOf(error), "[*TASK ERROR 302*]  Transmission aborted");
    EXPECT_EQ(CLogMsgMng::LineOf(CLogErrorMsg("", -1)), "[*TASK ERROR -1*]  ");
}

TEST(LogMsg, CopyFromKeepsEachMessageItsKind)
{
    CLogErrorMsg source("Config file could not be downloaded", 513);
    source.SetErrorCode(42);

    CLogErrorMsg error("x", 1);
    error.CopyFrom(&source);
    EXPECT_EQ(error.GetText(), "Config file could not be downloaded");
    EXPECT_EQ(error.GetTaskError(), 513);
    EXPECT_EQ(error.GetErrorCode(), 42);
    error.CopyFrom(nullptr);
    const CLogMsg plain("plain");
    error.CopyFrom(&plain);  // not an error message: ignored
    EXPECT_EQ(error.GetType(), ILogMsg::TYPE_ERROR);
    EXPECT_EQ(error.GetTaskError(), 513);

    CLogMsg copy("y");
    copy.CopyFrom(&source);
    EXPECT_EQ(copy.GetText(), "Config file could not be downloaded");
    EXPECT_EQ(copy.GetType(), ILogMsg::TYPE_MESSAGE);
    copy.CopyFrom(nullptr);
    EXPECT_EQ(copy.GetText(), "Config file could not be downloaded");

    const CLogErrorMsg built(source);
    EXPECT_EQ(built.GetErrorCode(), 42);
    EXPECT_EQ(built.GetTaskError(), 513);
}

}  // namespace
