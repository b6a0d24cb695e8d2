#include "common/TestEnv.h"
#include "app/ExitStatus.h"
#include "app/PellworthTestApp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

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

}  // namespace
