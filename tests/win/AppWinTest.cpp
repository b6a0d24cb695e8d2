// The tool's own Windows parts on Windows (or Wine): the program's folder and the log folders made
// from the command line, the console as a terminal, Ctrl+C and the other console events as stop
// requests, reports and packages replaced whole, and the log's temporary folder and file status.
// They need a Windows system to act on, so they run only under the Wine harness
// (QVX_WINE_TESTS=1).
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "app/ExitStatus.h"
#include "app/PathSystem.h"
#include "app/PellworthCmdLineInfo.h"
#include "app/SignalWatch.h"
#include "app/TerminalJobView.h"
#include "app/win32/ConsoleEvents.h"
#include "log/GXLogFile.h"
#include "log/LogEnvironment.h"
#include "update/JobReport.h"
#include "update/package/PackageFiles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

bool WineTestsWanted()
{
    const char* flag = std::getenv("QVX_WINE_TESTS");
    return flag != nullptr && std::string(flag) == "1";
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// The names in a folder, "." and ".." left out.
std::vector<std::string> Names(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

void RemoveTree(const std::string& path)
{
    for (const std::string& name : Names(path)) {
        const std::string child = path + "\\" + name;
        const DWORD attributes = GetFileAttributesA(child.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            RemoveTree(child);
        else
            DeleteFileA(child.c_str());
    }
    RemoveDirectoryA(path.c_str());
}

// A fresh folder under the system's temporary folder for each test, written without a trailing
// backslash; removed afterwards.
class AppWin : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!WineTestsWanted())
            GTEST_SKIP() << "Windows system calls: run by the Wine harness with QVX_WINE_TESTS=1";
        char temp[MAX_PATH + 1];
        const DWORD length = GetTempPathA(sizeof temp, temp);
        ASSERT_GT(length, 0u);
        ASSERT_LT(length, sizeof temp);
        m_dir = std::string(temp, length) + "qvx_app_" + std::to_string(GetCurrentProcessId()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
        RemoveTree(m_dir);
        ASSERT_TRUE(CreateDirectoryA(m_dir.c_str(), nullptr)) << m_dir;
    }
    void TearDown() override
    {
        if (!m_dir.empty())
            RemoveTree(m_dir);
    }

    std::string m_dir;
};

// --- Paths

TEST_F(AppWin, ProgramFolderHoldsTheRunningProgram)
{
    CWin32PathSystem paths;
    const std::string folder = paths.ProgramFolder();
    ASSERT_GE(folder.size(), 3u) << folder;
    EXPECT_EQ(folder.back(), '\\');
    EXPECT_TRUE(IsAbsolutePath(PathStyle::Windows, folder)) << folder;
    EXPECT_TRUE(paths.FileExists(folder + "test_win_app.exe")) << folder;
    EXPECT_FALSE(paths.FileExists(folder)) << "a folder is no file";
    EXPECT_EQ(paths.ProbeFolder(folder), IPathSystem::FolderState::Present);
}

TEST_F(AppWin, FoldersAreProbedAndMade)
{
    CWin32PathSystem paths;
    WriteAll(m_dir + "\\blocker", "x");
    EXPECT_EQ(paths.ProbeFolder(m_dir), IPathSystem::FolderState::Present);
    EXPECT_EQ(paths.ProbeFolder(m_dir + "\\"), IPathSystem::FolderState::Present);
    EXPECT_EQ(paths.ProbeFolder(m_dir + "\\missing"), IPathSystem::FolderState::Missing);
    EXPECT_EQ(paths.ProbeFolder(m_dir + "\\missing\\deeper"), IPathSystem::FolderState::Missing);
    EXPECT_EQ(paths.ProbeFolder(m_dir + "\\blocker"), IPathSystem::FolderState::Unreachable);
    EXPECT_TRUE(paths.FileExists(m_dir + "\\blocker"));

    EXPECT_TRUE(paths.CreateFolder(m_dir + "\\made"));
    EXPECT_TRUE(paths.CreateFolder(m_dir + "\\made")) << "already there counts as done";
    EXPECT_EQ(paths.ProbeFolder(m_dir + "\\made"), IPathSystem::FolderState::Present);
    EXPECT_FALSE(paths.CreateFolder(m_dir + "\\missing\\deeper")) << "one level at a time";
}

TEST_F(AppWin, LogFoldersAreMadeFromTheDriveDown)
{
    CNativePathSystem paths;
    WriteAll(m_dir + "\\blocker", "x");
    const struct {
        std::string logFile;
        bool logging;
    } cases[] = {{m_dir + "\\a\\b\\log.txt", true}, {m_dir + "\\blocker\\sub\\log.txt", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.logFile);
        CPellworthCmdLineInfo info(paths, kNativePathStyle);
        info.Parse({"/l1", "/lf", c.logFile});
        EXPECT_EQ(info.GetLogFilePath(), c.logFile);
        EXPECT_EQ(info.IsLogging(), c.logging);
    }
    EXPECT_EQ(paths.ProbeFolder(m_dir + "\\a\\b"), IPathSystem::FolderState::Present);
}

TEST_F(AppWin, LogOnADriveThatIsNotThereIsTurnedOff)
{
    const DWORD drives = GetLogicalDrives();
    char letter = 0;
    for (char c = 'Q'; c <= 'Y' && letter == 0; ++c) {
        if ((drives & (1u << (c - 'A'))) == 0)
            letter = c;
    }
    if (letter == 0)
        GTEST_SKIP() << "every drive letter from Q: to Y: is taken";
    CWin32PathSystem paths;
    CPellworthCmdLineInfo info(paths, PathStyle::Windows);
    const std::string logFile = std::string(1, letter) + ":\\qvx\\log.txt";
    info.Parse({"-l1", "-lf", logFile});
    EXPECT_EQ(info.GetLogFilePath(), logFile);
    EXPECT_FALSE(info.IsLogging());
}

TEST_F(AppWin, RelativeValuesAreTakenFromTheProgramsFolder)
{
    CWin32PathSystem paths;
    CPellworthCmdLineInfo info(paths, kNativePathStyle);
    info.Parse({"/s", "/df", "lists\\Displays.dat", "/report", "job.json"});
    EXPECT_EQ(info.GetDisplaysFilePath(), paths.ProgramFolder() + "lists\\Displays.dat");
    EXPECT_EQ(info.GetReportFilePath(), paths.ProgramFolder() + "job.json");
}

// --- The console

TEST_F(AppWin, StandardErrorIsATerminalOnlyOnAConsole)
{
    const HANDLE original = GetStdHandle(STD_ERROR_HANDLE);
    const std::string path = m_dir + "\\stderr.txt";
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SetStdHandle(STD_ERROR_HANDLE, file));
    const bool onFile = StandardErrorIsTerminal();
    SetStdHandle(STD_ERROR_HANDLE, original);
    CloseHandle(file);
    EXPECT_FALSE(onFile) << "a file (a scheduler's capture) is no terminal";
    DWORD mode = 0;
    EXPECT_EQ(StandardErrorIsTerminal(), GetConsoleMode(original, &mode) != 0);
}

// --- Stop requests

TEST_F(AppWin, ConsoleEventsComeAsTheSignalsTheExitStatusesFollow)
{
    EXPECT_EQ(SignalOfConsoleEvent(CTRL_C_EVENT), SIGINT);
    EXPECT_EQ(SignalOfConsoleEvent(CTRL_BREAK_EVENT), SIGTERM);
    EXPECT_EQ(SignalOfConsoleEvent(CTRL_CLOSE_EVENT), stopsignal::kHangUp);
    EXPECT_EQ(SignalOfConsoleEvent(CTRL_LOGOFF_EVENT), 0);
    EXPECT_EQ(SignalOfConsoleEvent(CTRL_SHUTDOWN_EVENT), 0);
    EXPECT_EQ(exitstatus::Interrupted(SignalOfConsoleEvent(CTRL_C_EVENT)), 130);
    EXPECT_EQ(exitstatus::Interrupted(SignalOfConsoleEvent(CTRL_BREAK_EVENT)), 143);
    EXPECT_EQ(exitstatus::Interrupted(SignalOfConsoleEvent(CTRL_CLOSE_EVENT)), 129);
}

// A console event reaches every process on the console, so the one that raises it runs alone on a
// console of its own: this program again, running only ConsoleChild.RaisesConsoleEvent, which
// writes what its watch saw to the file named by QVX_CONSOLE_CHILD.
std::string RunConsoleChild(const std::string& resultFile, const char* event)
{
    char self[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    if (length == 0 || length >= sizeof self)
        return "no program name";
    std::string command = "\"" + std::string(self) + "\" --gtest_filter=ConsoleChild.RaisesConsoleEvent";
    SetEnvironmentVariableA("QVX_CONSOLE_CHILD", resultFile.c_str());
    SetEnvironmentVariableA("QVX_CONSOLE_EVENT", event);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr,
                                        nullptr, &startup, &process);
    SetEnvironmentVariableA("QVX_CONSOLE_CHILD", nullptr);
    SetEnvironmentVariableA("QVX_CONSOLE_EVENT", nullptr);
    if (!started)
        return "not started: " + std::to_string(GetLastError());
    const DWORD waited = WaitForSingleObject(process.hProcess, 60000);
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    if (waited != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (waited != WAIT_OBJECT_0)
        return "still running after a minute";
    return ReadAll(resultFile) + (status == 0 ? "" : " (exit " + std::to_string(status) + ")");
}

TEST_F(AppWin, CtrlCReachesTheWatchOnAThreadOfItsOwn)
{
    const std::string result = RunConsoleChild(m_dir + "\\child.txt", "c");
    if (result.rfind("cannot raise", 0) == 0)
        GTEST_SKIP() << result;
    EXPECT_EQ(result, "signal 2, first 2, own thread");
}

TEST_F(AppWin, CtrlBreakReachesTheWatchAsSigterm)
{
    const std::string result = RunConsoleChild(m_dir + "\\child.txt", "break");
    // Wine raises Ctrl+C only.
    if (result.rfind("cannot raise", 0) == 0)
        GTEST_SKIP() << result;
    EXPECT_EQ(result, "signal 15, first 15, own thread");
}

TEST(ConsoleChild, RaisesConsoleEvent)
{
    const char* resultFile = std::getenv("QVX_CONSOLE_CHILD");
    const char* event = std::getenv("QVX_CONSOLE_EVENT");
    if (!WineTestsWanted() || resultFile == nullptr || event == nullptr)
        GTEST_SKIP() << "started by the AppWin.Ctrl... tests on a console of its own";
    const bool breakEvent = std::string(event) == "break";
    std::mutex lock;
    std::condition_variable wake;
    int got = 0;
    bool ownThread = false;
    const std::thread::id testThread = std::this_thread::get_id();
    std::ostringstream out;
    {
        CSignalWatch watch({stopsignal::kInterrupt, stopsignal::kTerminate, stopsignal::kHangUp}, [&](int signal) {
            std::lock_guard guard(lock);
            got = signal;
            ownThread = std::this_thread::get_id() != testThread;
            wake.notify_all();
        });
        // Ctrl+Break goes to a process group; this process is on its console alone.
        const BOOL raised = GenerateConsoleCtrlEvent(breakEvent ? CTRL_BREAK_EVENT : CTRL_C_EVENT,
                                                     breakEvent ? GetCurrentProcessId() : 0);
        if (!raised) {
            out << "cannot raise the event here (error " << GetLastError() << ")";
        } else {
            std::unique_lock guard(lock);
            wake.wait_for(guard, std::chrono::seconds(10), [&] { return got != 0; });
            out << "signal " << got << ", first " << watch.FirstSignal() << (ownThread ? ", own thread" : ", test's thread");
        }
    }
    WriteAll(resultFile, out.str());
}

// --- Files replaced whole

JobReport SmallReport()
{
    JobReport report;
    report.strStarted = "2026-12-08T14:03:07+01:00";
    report.strDisplayList = "C:\\qvx\\Displays.dat";
    report.nJobResult = 4;
    return report;
}

TEST_F(AppWin, ReportReplacesTheOldOneWhole)
{
    const std::string path = m_dir + "\\job.json";
    WriteAll(path, "the previous report");
    std::string fault;
    ASSERT_TRUE(WriteJobReport(path, SmallReport(), fault)) << fault;
    EXPECT_EQ(ReadAll(path), JobReportJson(SmallReport()));
    EXPECT_EQ(Names(m_dir), std::vector<std::string>{"job.json"}) << "no temporary file left";
    // And once more over the new one.
    JobReport second = SmallReport();
    second.nJobResult = 9;
    ASSERT_TRUE(WriteJobReport(path, second, fault)) << fault;
    EXPECT_EQ(ReadAll(path), JobReportJson(second));
    EXPECT_EQ(Names(m_dir), std::vector<std::string>{"job.json"});
}

TEST_F(AppWin, ReportThatCannotBeWrittenLeavesNothingBehind)
{
    std::string fault;
    EXPECT_FALSE(WriteJobReport(m_dir + "\\missing\\job.json", SmallReport(), fault));
    EXPECT_EQ(fault.rfind("cannot create a temporary file beside it: ", 0), 0u) << fault;

    // A folder in the report's place: written, then not renamed, and the temporary file removed.
    ASSERT_TRUE(CreateDirectoryA((m_dir + "\\job.json").c_str(), nullptr));
    fault.clear();
    EXPECT_FALSE(WriteJobReport(m_dir + "\\job.json", SmallReport(), fault));
    EXPECT_EQ(fault.rfind("cannot rename the temporary file over it: ", 0), 0u) << fault;
    EXPECT_GT(fault.size(), std::string("cannot rename the temporary file over it: ").size()) << "the system's reason";
    EXPECT_EQ(Names(m_dir), std::vector<std::string>{"job.json"});
}

TEST_F(AppWin, PackageFileReplacesAnExistingFile)
{
    const std::string path = m_dir + "\\FX40211.zlb";
    WriteAll(path, "an older package, longer than the new one");
    const unsigned char head[] = {'n', 'e', 'w'};
    const unsigned char tail[] = {'\r', '\n', 0, 'x'};
    const std::span<const unsigned char> pieces[] = {head, tail};
    std::string fault;
    ASSERT_EQ(qvxpkg::WriteFileReplacing(path, pieces, fault), qvxpkg::FileStatus::Ok) << fault;
    EXPECT_EQ(ReadAll(path), std::string("new\r\n\0x", 7)) << "bytes as given, no line-end translation";
    EXPECT_EQ(Names(m_dir), std::vector<std::string>{"FX40211.zlb"});
}

// --- The log

class EnvironmentVariable {
public:
    explicit EnvironmentVariable(const char* name) : m_name(name)
    {
        const char* value = std::getenv(name);
        m_had = value != nullptr;
        if (m_had)
            m_value = value;
    }
    ~EnvironmentVariable() { _putenv_s(m_name.c_str(), m_had ? m_value.c_str() : ""); }
    void Set(const std::string& value) { _putenv_s(m_name.c_str(), value.c_str()); }

private:
    std::string m_name;
    std::string m_value;
    bool m_had = false;
};

TEST_F(AppWin, LogInTheTemporaryFolderTakesTmpThenTemp)
{
    EnvironmentVariable tmp("TMP");
    EnvironmentVariable temp("TEMP");
    const std::string first = m_dir + "\\first";
    const std::string second = m_dir + "\\second\\";
    ASSERT_TRUE(CreateDirectoryA(first.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(second.c_str(), nullptr));
    const struct {
        std::string tmp, temp, path;
    } cases[] = {
        {first, second, first + "\\qvx.log"},  // a backslash added
        {"", second, second + "qvx.log"},      // empty TMP: TEMP, whose backslash stays single
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        tmp.Set(c.tmp);
        temp.Set(c.temp);
        CGXLogFile log;
        ASSERT_EQ(log.Open("qvx.log", CGXLogFile::OUTPUT_TEMP_FOLDER, 0, 1, CGXLogFile::ROLL_NEVER, 0),
                  CGXLogFile::LOG_OK);
        EXPECT_EQ(log.GetPath(), c.path);
        log.Write("a line", 1);
        log.Close();
        EXPECT_EQ(ReadAll(c.path), "a line\r\n") << "a text file with Windows line ends";
    }
}

TEST_F(AppWin, LogFileStatusHasSizeAndCreationTime)
{
    const std::time_t before = std::time(nullptr);
    std::FILE* file = std::fopen((m_dir + "\\status.log").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("0123456789", file);
    std::fflush(file);
    LogFileStatus status;
    EXPECT_TRUE(CSystemLogEnvironment::Instance().ReadStatus(file, status));
    std::fclose(file);
    EXPECT_EQ(status.size, 10);
    ASSERT_TRUE(status.birth.has_value());
    EXPECT_GE(*status.birth, before - 2);
    EXPECT_LE(*status.birth, std::time(nullptr) + 2);
    EXPECT_FALSE(CSystemLogEnvironment::Instance().ReadStatus(nullptr, status));
}

TEST_F(AppWin, LogIsCutToNothingAtItsSize)
{
    const std::string path = m_dir + "\\cut.log";
    CGXLogFile log;
    ASSERT_EQ(log.Open(path.c_str(), CGXLogFile::OUTPUT_FULL_PATH | CGXLogFile::OUTPUT_APPEND, 0, 1,
                       CGXLogFile::ROLL_SIZE_CUT, 1),
              CGXLogFile::LOG_OK);
    const std::string line(99, 'x');
    for (int i = 0; i < 30; ++i)
        log.Write(line.c_str(), 1);
    log.Close();
    const std::string text = ReadAll(path);
    EXPECT_LT(text.size(), 1024u + line.size() + 2) << "cut when it reached 1 KB";
    EXPECT_GT(text.size(), 0u);
    EXPECT_EQ(text.find('\0'), std::string::npos) << "no hole where the cut text was";
}

} // namespace
