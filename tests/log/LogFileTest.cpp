#include "common/TestEnv.h"
#include "log/GXLogFile.h"

#include "FakeLogEnvironment.h"

#include "link/DebugOutput.h"
#include "log/LogPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr int kFile = CGXLogFile::OUTPUT_FULL_PATH;
#ifdef _WIN32
const std::string kSep = "\\";
#else
const std::string kSep = "/";
#endif
constexpr int kNoRollover = CGXLogFile::ROLL_NEVER;

class LogFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseUtc();
        m_dir = fs::temp_directory_path() /
                ("qvx-log-" + std::to_string(ProcessId()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        m_path = (m_dir / "job.log").string();
        m_env.now = At(2024, 12, 7, 8, 52, 44);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    // Read in text mode, so that the CR LF the log writes on Windows reads as the line end it is.
    static std::string Contents(const fs::path& path)
    {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::string Contents() const { return Contents(m_path); }

    static std::vector<std::string> Lines(const std::string& text)
    {
        std::vector<std::string> lines;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    fs::path m_dir;
    std::string m_path;
    FakeLogEnvironment m_env;
};

TEST_F(LogFileTest, PrefixesFollowTheFormatFlags)
{
    const struct {
        int formatFlags;
        int level;
        const char* line;
    } cases[] = {
        {0x00, 1, "text\n"},
        {0xE1, 1, "text\n"},  // bits without a prefix
        {0x10, 1, "   1 - ~  text\n"},
        {0x02, 1, "Dec 07 08:52:45.234 - ~  text\n"},
        {0x04, 1, "(0000001.234) - ~  text\n"},
        {0x08, 1, "<1> - ~  text\n"},
        {0x100, 2, "      ~  text\n"},
        {0xFF, 1, "   1 - Dec 07 08:52:45.234 - (0000001.234) - <1> - ~  text\n"},
        {0x1FF, 2, "   1 - Dec 07 08:52:45.234 - (0000001.234) - <2> -       ~  text\n"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.formatFlags);
        CGXLogFile log(m_env);
        m_env.now = At(2024, 12, 7, 8, 52, 44);
        ASSERT_EQ(log.Open(m_path.c_str(), kFile, test.formatFlags, 5, kNoRollover, 0), 0);
        m_env.now += 1234ms;
        EXPECT_EQ(log.Write("text", test.level), 0);
        log.Close();
        EXPECT_EQ(Contents(), test.line);
    }
}

TEST_F(LogFileTest, CounterCountsWrittenLinesFromEachOpen)
{
    CGXLogFile log(m_env);
    ASSERT_EQ(log.Open(m_path.c_str(), kFile, 0x10, 2, kNoRollover, 0), 0);
    log.Write("one", 1);
    log.Write("dropped", 3);  // above the maximum level
    log.Write("two", 2);
    log.Close();
    EXPECT_EQ(Contents(), "   1 - ~  one\n   2 - ~  two\n");

    ASSERT_EQ(log.Open(m_path.c_str(), kFile | CGXLogFile::OUTPUT_APPEND, 0x10, 1, kNoRollover, 0), 0);
    log.Write("again", 1);
    log.Close();
    EXPECT_EQ(Contents(), "   1 - ~  one\n   2 - ~  two\n   1 - ~  again\n");
}

TEST_F(LogFileTest, MaximumLevelBelowOneWritesNothing)
{
    CGXLogFile log(m_env);
    ASSERT_EQ(log.Open(m_path.c_str(), kFile, 0x10, 0, kNoRollover, 0), 0);
    EXPECT_EQ(log.Write("x", 0), 0);
    EXPECT_EQ(log.Write("x", -1), 0);
    log.SetMaxLevel(1);
    EXPECT_EQ(log.GetMaxLevel(), 1);
    log.Write("y", 0);
    log.Close();
    EXPECT_EQ(Contents(), "   1 - ~  y\n");
}

TEST_F(LogFileTest, OpenResults)
{
    CGXLogFile log(m_env);
    for (const int flags : {0x00, 0x10, 0x20, 0x30, 0x40})
        EXPECT_EQ(log.Open(m_path.c_str(), flags, 0, 1, kNoRollover, 0), CGXLogFile::LOG_NO_OUTPUT) << flags;
    EXPECT_FALSE(log.IsOpen());

    EXPECT_EQ(log.Open(m_dir.string().c_str(), kFile, 0, 1, kNoRollover, 0), CGXLogFile::LOG_CANNOT_OPEN);
    EXPECT_EQ(log.Open((m_dir / "missing" / "x.log").string().c_str(), kFile, 0, 1, kNoRollover, 0),
              CGXLogFile::LOG_CANNOT_OPEN);
    const std::string tooLong = (m_dir / std::string(300, 'n')).string();
    EXPECT_EQ(log.Open(tooLong.c_str(), kFile, 0, 1, kNoRollover, 0), CGXLogFile::LOG_CANNOT_OPEN);
    EXPECT_EQ(log.Open(nullptr, kFile, 0, 1, kNoRollover, 0), CGXLogFile::LOG_CANNOT_OPEN);
    EXPECT_FALSE(log.IsOpen());

    EXPECT_EQ(log.Open(m_path.c_str(), kFile, 0, 1, kNoRollover, 0), CGXLogFile::LOG_OK);
    EXPECT_EQ(log.Open(m_path.c_str(), kFile, 0, 1, kNoRollover, 0), CGXLogFile::LOG_ALREADY_OPEN);
    EXPECT_EQ(log.GetPath(), m_path);
    EXPECT_EQ(log.Close(), 0);
    EXPECT_EQ(log.Write("after close", 1), 0);
    EXPECT_EQ(Contents(), "");
}

TEST_F(LogFileTest, AppendKeepsAndTruncateEmptiesAnOldFile)
{
    std::ofstream(m_path) << "old\n";
    CGXLogFile log(m_env);
    ASSERT_EQ(log.Open(m_path.c_str(), kFile | CGXLogFile::OUTPUT_APPEND, 0, 1, kNoRollover, 0), 0);
    log.Write("new", 1);
    log.Close();
    EXPECT_EQ(Contents(), "old\nnew\n");

    ASSERT_EQ(log.Open(m_path.c_str(), kFile, 0, 1, kNoRollover, 0), 0);
    log.Write("only", 1);
    log.Close();
    EXPECT_EQ(Contents(), "only\n");
}

TEST_F(LogFileTest, CloseDeletesAFileThatStayedEmpty)
{
    const int flags = kFile | CGXLogFile::OUTPUT_APPEND | CGXLogFile::OUTPUT_DELETE_EMPTY;
    CGXLogFile log(m_env);
    ASSERT_EQ(log.Open(m_path.c_str(), flags, 0, 1, kNoRollover, 0), 0);
    log.Close();
    EXPECT_FALSE(fs::exists(m_path));

    ASSERT_EQ(log.Open(m_path.c_str(), flags, 0, 1, kNoRollover, 0), 0);
    log.Write("kept", 1);
    log.Close();
    EXPECT_EQ(Contents(), "kept\n");

    ASSERT_EQ(log.Open(m_path.c_str(), flags, 0, 1, kNoRollover, 0), 0);  // not empty when opened
    log.Close();
    EXPECT_EQ(Contents(), "kept\n");
}

TEST_F(LogFileTest, DebugOutputOnly)
{
#ifdef _WIN32
    GTEST_SKIP() << "on Windows the debug output goes to the debugger, not to standard error";
#endif
    SetEnv("QVX_DEBUG", "1");
    RereadDebugOutputSetting();
    CGXLogFile log(m_env);
    // Rollover flags are set but a log without a file has no status to check.
    ASSERT_EQ(log.Open("ignored", CGXLogFile::OUTPUT_DEBUGGER, 0x18, 1, 0x0A, 1), 0);
    EXPECT_TRUE(log.IsOpen());
    EXPECT_EQ(log.GetPath(), "");
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(log.Write("to the debugger", 1), 0);
    const std::string seen = ::testing::internal::GetCapturedStderr();
    UnsetEnv("QVX_DEBUG");
    RereadDebugOutputSetting();
    EXPECT_EQ(seen, "   1 - <1> - ~  to the debugger\n");
    EXPECT_FALSE(fs::exists(m_dir / "ignored"));
}

TEST_F(LogFileTest, FileLinesAlsoGoToTheDebugOutput)
{
#ifdef _WIN32
    GTEST_SKIP() << "on Windows the debug output goes to the debugger, not to standard error";
#endif
    SetEnv("QVX_DEBUG", "1");
    RereadDebugOutputSetting();
    CGXLogFile log(m_env);
    ASSERT_EQ(log.Open(m_path.c_str(), kFile | CGXLogFile::OUTPUT_DEBUGGER, 0x10, 1, kNoRollover, 0), 0);
    ::testing::internal::CaptureStderr();
    log.Write("both", 1);
    const std::string seen = ::testing::internal::GetCapturedStderr();
    UnsetEnv("QVX_DEBUG");
    RereadDebugOutputSetting();
    log.Close();
    EXPECT_EQ(seen, "   1 - ~  both\n");
    EXPECT_EQ(Contents(), "   1 - ~  both\n");
}

class TempVariables {
public:
    TempVariables(const char* tmp, const char* temp)
    {
        Set("TMP", tmp);
        Set("TEMP", temp);
    }
    ~TempVariables()
    {
        Set("TMP", m_tmp ? m_tmp->c_str() : nullptr);
        Set("TEMP", m_temp ? m_temp->c_str() : nullptr);
    }

private:
    static std::optional<std::string> Get(const char* name)
    {
        const char* value = std::getenv(name);
        return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
    }
    static void Set(const char* name, const char* value)
    {
        if (value != nullptr)
            SetEnv(name, value);
        else
            UnsetEnv(name);
    }
    std::optional<std::string> m_tmp = Get("TMP");
    std::optional<std::string> m_temp = Get("TEMP");
};

TEST_F(LogFileTest, TempFolderComesFromTmpThenTemp)
{
    const std::string a = (m_dir / "a").string();
    const std::string b = (m_dir / "b").string();
    fs::create_directories(a);
    fs::create_directories(b);
    const std::string aSlash = a + kSep;
    const std::string unique = "qvx-log-" + std::to_string(ProcessId()) + ".log";
    const struct {
        const char* tmp;
        const char* temp;
        std::string expected;
    } cases[] = {
        {a.c_str(), b.c_str(), a + kSep + unique},
        {aSlash.c_str(), nullptr, a + kSep + unique},
        {"", b.c_str(), b + kSep + unique},
        {nullptr, b.c_str(), b + kSep + unique},
        {nullptr, nullptr, ""}, // neither: the system's own temporary folder
        {"", "", ""},
    };
    for (const auto& row : cases) {
        TempVariables variables(row.tmp, row.temp);
        const std::string expected = row.expected.empty() ? qvxlog::DefaultTempFolder() + unique : row.expected;
        SCOPED_TRACE(expected);
        CGXLogFile log(m_env);
        ASSERT_EQ(log.Open(unique.c_str(), CGXLogFile::OUTPUT_TEMP_FOLDER, 0, 1, kNoRollover, 0), 0);
        EXPECT_EQ(log.GetPath(), expected);
        log.Write("here", 1);
        log.Close();
        EXPECT_EQ(Contents(expected), "here\n");
        fs::remove(expected);
    }
}

TEST_F(LogFileTest, TimeStampedNames)
{
    m_env.now = At(2024, 1, 8, 9, 5, 3);
    const std::string folder = (m_dir / "logs").string();

    // The name is the folder, made when missing; with 0x01 as well the time name still wins.
    for (const int flags : {0x04, 0x05}) {
        CGXLogFile log(m_env);
        ASSERT_EQ(log.Open(folder.c_str(), flags, 0, 1, kNoRollover, 0), 0) << flags;
        EXPECT_EQ(log.GetPath(), folder + kSep + "08-Jan-24-09-05-03.log");
        log.Close();
        EXPECT_TRUE(fs::exists(folder + kSep + "08-Jan-24-09-05-03.log"));
    }

    TempVariables variables(m_dir.string().c_str(), nullptr);
    CGXLogFile log(m_env);
    ASSERT_EQ(log.Open("unused", 0x06, 0, 1, kNoRollover, 0), 0);
    EXPECT_EQ(log.GetPath(), (m_dir / "08-Jan-24-09-05-03.log").string());
}

// 2024-01-01 and 2024-01-08 are Mondays.
TEST_F(LogFileTest, WeeklyRolloverOnTheCreationWeekday)
{
    CGXLogFile log(m_env);
    m_env.now = At(2024, 1, 1);
    ASSERT_EQ(log.Open(m_path.c_str(), kFile | CGXLogFile::OUTPUT_APPEND, 0x10, 1, 0x0A, 1024), 0);
    const struct {
        std::chrono::system_clock::time_point when;
        const char* text;
        const char* contents;
    } steps[] = {
        {At(2024, 1, 1, 18), "monday", "   1 - ~  monday\n"},
        {At(2024, 1, 2), "tuesday", "   1 - ~  monday\n   2 - ~  tuesday\n"},
        {At(2024, 1, 7, 23, 59, 59), "sunday", "   1 - ~  monday\n   2 - ~  tuesday\n   3 - ~  sunday\n"},
        {At(2024, 1, 8), "next monday", "   4 - ~  next monday\n"},
        {At(2024, 1, 8, 12), "same day", "   4 - ~  next monday\n   5 - ~  same day\n"},
        {At(2024, 1, 9), "tuesday again", "   4 - ~  next monday\n   5 - ~  same day\n   6 - ~  tuesday again\n"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.text);
        m_env.now = step.when;
        EXPECT_EQ(log.Write(step.text, 1), 0);
        EXPECT_EQ(Contents(), step.contents);
    }
}

TEST_F(LogFileTest, RolloverUsesTheFileBirthTimeWhenKnown)
{
    std::ofstream(m_path) << "from last week\n";
    CGXLogFile log(m_env);
    m_env.birth = std::chrono::system_clock::to_time_t(At(2024, 1, 1));
    m_env.now = At(2024, 1, 3);  // opened on a Wednesday, created on a Monday
    ASSERT_EQ(log.Open(m_path.c_str(), kFile | CGXLogFile::OUTPUT_APPEND, 0, 1, 0x0A, 1024), 0);
    log.Write("wednesday", 1);
    EXPECT_EQ(Contents(), "from last week\nwednesday\n");
    m_env.now = At(2024, 1, 8);
    log.Write("monday", 1);
    EXPECT_EQ(Contents(), "monday\n");
    m_env.birth = std::chrono::system_clock::to_time_t(At(2024, 1, 8));  // the new file's
    m_env.now = At(2024, 1, 8, 11);
    log.Write("again", 1);
    EXPECT_EQ(Contents(), "monday\nagain\n");
}

TEST_F(LogFileTest, DailyRolloverOnAnyLaterDay)
{
    const struct {
        std::chrono::system_clock::time_point created, now;
        bool rolls;
    } cases[] = {
        {At(2024, 3, 5, 1), At(2024, 3, 5, 23), false},
        {At(2024, 3, 5, 23), At(2024, 3, 6, 0), true},
        {At(2023, 3, 6), At(2024, 3, 5), true},  // the same day of the year, a year later (2024 leaps)
        {At(2023, 5, 1), At(2024, 4, 30), true},
    };
    for (const auto& test : cases) {
        std::ofstream(m_path) << "old\n";
        CGXLogFile log(m_env);
        m_env.birth = std::chrono::system_clock::to_time_t(test.created);
        m_env.now = test.created;
        ASSERT_EQ(log.Open(m_path.c_str(), kFile | CGXLogFile::OUTPUT_APPEND, 0, 1, CGXLogFile::ROLL_DAILY, 0), 0);
        m_env.now = test.now;
        log.Write("new", 1);
        log.Close();
        EXPECT_EQ(Contents(), test.rolls ? "new\n" : "old\nnew\n") << test.rolls;
    }
}

TEST_F(LogFileTest, RolloverOfATimeStampedLogStartsANewName)
{
    const std::string folder = (m_dir / "logs").string();
    CGXLogFile log(m_env);
    m_env.now = At(2024, 1, 1, 7);
    ASSERT_EQ(log.Open(folder.c_str(), CGXLogFile::OUTPUT_TIME_NAME, 0, 1, CGXLogFile::ROLL_DAILY, 0), 0);
    log.Write("first", 1);
    m_env.now = At(2024, 1, 2, 7, 30);
    log.Write("second", 1);
    EXPECT_FALSE(fs::exists(folder + kSep + "01-Jan-24-07-00-00.log"));
    EXPECT_EQ(log.GetPath(), folder + kSep + "02-Jan-24-07-30-00.log");
    EXPECT_EQ(Contents(log.GetPath()), "second\n");
}

TEST_F(LogFileTest, FileIsCutAtTheSizeLimit)
{
    // Without append mode too: the next line must land at the start, not after a hole.
    for (const int flags : {kFile | CGXLogFile::OUTPUT_APPEND, kFile}) {
        SCOPED_TRACE(flags);
        CGXLogFile log(m_env);
        ASSERT_EQ(log.Open(m_path.c_str(), flags, 0x10, 1, 0x0A, 1), 0);
        log.Write("a", 1);
        m_env.size = 1023;
        log.Write("b", 1);
        EXPECT_EQ(Contents(), "   1 - ~  a\n   2 - ~  b\n");
        m_env.size = 1024;
        log.Write("c", 1);
        EXPECT_EQ(Contents(), "   3 - ~  c\n");
        m_env.size.reset();
        log.Write("d", 1);
        EXPECT_EQ(Contents(), "   3 - ~  c\n   4 - ~  d\n");
        log.Close();
    }
}

TEST_F(LogFileTest, RealSizeReachesTheLimit)
{
    CGXLogFile log;
    ASSERT_EQ(log.Open(m_path.c_str(), kFile | CGXLogFile::OUTPUT_APPEND, 0, 1, CGXLogFile::ROLL_SIZE_CUT, 1), 0);
    const std::string line(99, 'x');  // 100 bytes with the newline (101 with Windows' CR LF)
    for (int i = 0; i < 11; ++i)
        log.Write(line.c_str(), 1);
#ifdef _WIN32
    EXPECT_EQ(fs::file_size(m_path), 1111u);
#else
    EXPECT_EQ(fs::file_size(m_path), 1100u);
#endif
    log.Write("after the cut", 1);
    EXPECT_EQ(Contents(), "after the cut\n");
}

TEST_F(LogFileTest, StatusFailureDropsTheLine)
{
    CGXLogFile log(m_env);
    ASSERT_EQ(log.Open(m_path.c_str(), kFile, 0x10, 1, 0x0A, 1024), 0);
    m_env.failStatus = true;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(log.Write("lost", 1), CGXLogFile::LOG_NO_STATUS);
    const std::string error = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(error.rfind("Problem getting file status: ", 0), 0u) << error;
    EXPECT_EQ(error.back(), '\n');

    m_env.failStatus = false;
    EXPECT_EQ(log.Write("next", 1), 0);
    EXPECT_EQ(Contents(), "   1 - ~  next\n");
}

TEST_F(LogFileTest, NoChecksSkipsTheStatus)
{
    CGXLogFile log(m_env);
    ASSERT_EQ(log.Open(m_path.c_str(), kFile, 0, 1, 0x0F, 1), 0);
    m_env.failStatus = true;
    m_env.now = At(2030, 1, 1);
    EXPECT_EQ(log.Write("written", 1), 0);
    EXPECT_EQ(Contents(), "written\n");
}

TEST_F(LogFileTest, FailedReopenLeavesTheLogWithoutAFile)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows does not let a folder go while a file in it is open";
#endif
    const fs::path folder = m_dir / "gone";
    fs::create_directories(folder);
    const std::string path = (folder / "job.log").string();
    SetEnv("QVX_DEBUG", "1");
    RereadDebugOutputSetting();
    CGXLogFile log(m_env);
    m_env.now = At(2024, 1, 1);
    ASSERT_EQ(log.Open(path.c_str(), kFile | CGXLogFile::OUTPUT_DEBUGGER, 0, 1, CGXLogFile::ROLL_DAILY, 0), 0);
    fs::remove_all(folder);
    m_env.now = At(2024, 1, 2);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(log.Write("nowhere", 1), 0);
    EXPECT_EQ(log.Write("still nowhere", 1), 0);
    const std::string seen = ::testing::internal::GetCapturedStderr();
    UnsetEnv("QVX_DEBUG");
    RereadDebugOutputSetting();
    EXPECT_EQ(log.GetPath(), "");
    EXPECT_TRUE(log.IsOpen());
    EXPECT_EQ(seen, "nowhere\nstill nowhere\n");
}

TEST_F(LogFileTest, LongTextIsSplitOverLines)
{
    std::string text;
    for (int i = 0; text.size() < 3000; ++i)
        text += std::to_string(i) + ",";
    CGXLogFile log(m_env);
    ASSERT_EQ(log.Open(m_path.c_str(), kFile, 0x1FF, 3, kNoRollover, 0), 0);
    log.Write(text.c_str(), 3);
    log.Write("short", 1);
    log.Close();

    const std::vector<std::string> lines = Lines(Contents());
    ASSERT_GE(lines.size(), 5u);
    std::string joined;
    const std::string separator = "~  ";
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        EXPECT_LE(lines[i].size() + 1, CLogLine::kMaxChars);
        char counter[32];
        std::snprintf(counter, sizeof counter, "%4zu - ", i + 1);
        EXPECT_EQ(lines[i].rfind(counter, 0), 0u) << lines[i].substr(0, 10);
        joined += lines[i].substr(lines[i].find(separator) + separator.size());
    }
    EXPECT_EQ(joined, text);
    EXPECT_EQ(lines.back().substr(lines.back().find(separator)), "~  short");
}

TEST_F(LogFileTest, LineOfExactlyTheLimit)
{
    const struct {
        std::size_t length;
        std::size_t lines;
    } cases[] = {{0, 1}, {1022, 1}, {1023, 2}, {2044, 2}, {2045, 3}};
    for (const auto& test : cases) {
        CGXLogFile log(m_env);
        ASSERT_EQ(log.Open(m_path.c_str(), kFile, 0, 1, kNoRollover, 0), 0);
        const std::string text(test.length, 'z');
        log.Write(text.c_str(), 1);
        log.Close();
        const std::string contents = Contents();
        EXPECT_EQ(Lines(contents).size(), test.lines) << test.length;
        EXPECT_EQ(contents.size(), test.length + test.lines) << test.length;
    }
}

TEST_F(LogFileTest, FlagsCanBeChangedWhileOpen)
{
    CGXLogFile log(m_env);
    ASSERT_EQ(log.Open(m_path.c_str(), kFile, 0x10, 1, kNoRollover, 0), 0);
    EXPECT_EQ(log.GetFormatFlags(), 0x10);
    EXPECT_EQ(log.GetOutputFlags(), kFile);
    log.SetFormatFlags(0x08);
    log.Write("level", 1);
    log.SetOutputFlags(kFile | CGXLogFile::OUTPUT_DEBUGGER);
    EXPECT_EQ(log.GetOutputFlags(), kFile | CGXLogFile::OUTPUT_DEBUGGER);
    log.Close();
    EXPECT_EQ(Contents(), "<1> - ~  level\n");
}

TEST_F(LogFileTest, ConcurrentWritersKeepLinesWhole)
{
    CGXLogFile log;
    ASSERT_EQ(log.Open(m_path.c_str(), kFile, 0x10, 1, CGXLogFile::ROLL_SIZE_CUT, 1024), 0);
    const std::string text(1500, 'w');  // two lines each
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t)
        writers.emplace_back([&] {
            for (int i = 0; i < 50; ++i)
                log.Write(text.c_str(), 1);
        });
    for (std::thread& writer : writers)
        writer.join();
    log.Close();

    const std::vector<std::string> lines = Lines(Contents());
    ASSERT_EQ(lines.size(), 400u);
    std::size_t total = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        char prefix[32];
        std::snprintf(prefix, sizeof prefix, "%4zu - ~  ", i + 1);
        EXPECT_EQ(lines[i].rfind(prefix, 0), 0u);
        total += lines[i].size() - lines[i].find("~  ") - 3;
    }
    EXPECT_EQ(total, 200 * text.size());
}

TEST(LogWallText, MonthDayAndTime)
{
    UseUtc();
    const struct {
        std::chrono::system_clock::time_point when;
        const char* text;
    } cases[] = {
        {At(2024, 12, 7, 8, 52, 44), "Dec 07 08:52:44"},
        {At(2024, 1, 1, 0, 0, 0), "Jan 01 00:00:00"},
        {At(1999, 6, 30, 23, 59, 59), "Jun 30 23:59:59"},
    };
    for (const auto& test : cases)
        EXPECT_EQ(LogWallText(std::chrono::system_clock::to_time_t(test.when)), test.text);
}

TEST(LogEnvironment, RealStatusReadsTheSize)
{
    const fs::path path = fs::temp_directory_path() / ("qvx-log-status-" + std::to_string(ProcessId()));
    std::FILE* file = std::fopen(path.string().c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs("12345", file);
    std::fflush(file);
    LogFileStatus status;
    EXPECT_TRUE(CSystemLogEnvironment::Instance().ReadStatus(file, status));
    EXPECT_EQ(status.size, 5);
    std::fclose(file);
    fs::remove(path);
    EXPECT_FALSE(CSystemLogEnvironment::Instance().ReadStatus(nullptr, status));
}

}  // namespace
