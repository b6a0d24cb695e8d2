// The tool's own Windows parts on Windows (or Wine): the program's folder and the log folders made
// from the command line, the console as a terminal, console events as stop requests, packages
// replaced whole and the log file's creation time; only under the Wine harness (QVX_WINE_TESTS=1).
// Reports replaced whole and the log's temporary folder, line ends and cut are test_job_report's
// and test_log's, which the harness runs under Wine as well.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "WineLine.h"

#include "app/ExitStatus.h"
#include "app/PathSystem.h"
#include "app/PellworthCmdLineInfo.h"
#include "app/SignalWatch.h"
#include "app/TerminalJobView.h"
#include "app/win32/ConsoleEvents.h"
#include "base/WholeFile.h"
#include "log/LogEnvironment.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// A fresh folder under the system's temporary folder for each test, without a trailing backslash.
class AppWin : public WineLineTest {
protected:
    void SetUp() override
    {
        WineLineTest::SetUp();
        if (IsSkipped())
            return;
        m_dir = (fs::temp_directory_path() / ("qvx_app_" + std::to_string(GetCurrentProcessId()) + "_" +
                                              ::testing::UnitTest::GetInstance()->current_test_info()->name()))
                    .string();
        std::error_code ignored;
        fs::remove_all(m_dir, ignored);
        ASSERT_TRUE(CreateDirectoryA(m_dir.c_str(), nullptr)) << m_dir;
    }
    void TearDown() override
    {
        std::error_code ignored;
        if (!m_dir.empty())
            fs::remove_all(m_dir, ignored);
    }

    std::string m_dir;
};

// --- Paths

TEST_F(AppWin, ProgramFolderAndTheValuesTakenFromIt)
{
    CWin32PathSystem paths;
    const std::string folder = paths.ProgramFolder();
    ASSERT_TRUE(IsAbsolutePath(PathStyle::Windows, folder)) << folder;
    EXPECT_EQ(folder.back(), '\\');
    EXPECT_TRUE(paths.FileExists(folder + "test_win_app.exe")) << folder;
    EXPECT_FALSE(paths.FileExists(folder)) << "a folder is no file";
    CPellworthCmdLineInfo info(paths, kNativePathStyle);
    info.Parse({"/s", "/df", "lists\\Displays.dat", "/report", "job.json"});
    EXPECT_EQ(info.GetDisplaysFilePath(), folder + "lists\\Displays.dat");
    EXPECT_EQ(info.GetReportFilePath(), folder + "job.json");
}

// Log folders are made from the drive down; a file in the way, or a drive that is not there, turns
// the log off. Folders are probed with or without the trailing backslash, and made one level at a time.
TEST_F(AppWin, FoldersAreProbedAndLogFoldersMade)
{
    WriteAll(m_dir + "\\blocker", "x");
    std::vector<std::pair<std::string, bool>> cases = {{m_dir + "\\a\\b\\log.txt", true},
                                                       {m_dir + "\\blocker\\sub\\log.txt", false}};
    const DWORD drives = GetLogicalDrives();
    for (char letter = 'Q'; letter <= 'Y' && cases.size() == 2; ++letter) {
        if ((drives & (1u << (letter - 'A'))) == 0)
            cases.emplace_back(std::string(1, letter) + ":\\qvx\\log.txt", false);
    }
    CNativePathSystem paths;
    for (const auto& [logFile, logging] : cases) {
        CPellworthCmdLineInfo info(paths, kNativePathStyle);
        info.Parse({"/l1", "/lf", logFile});
        EXPECT_EQ(info.GetLogFilePath(), logFile);
        EXPECT_EQ(info.IsLogging(), logging) << logFile;
    }
    EXPECT_TRUE(paths.FileExists(m_dir + "\\blocker"));
    EXPECT_TRUE(paths.CreateFolder(m_dir + "\\a")) << "already there counts as done";
    EXPECT_FALSE(paths.CreateFolder(m_dir + "\\missing\\deeper")) << "one level at a time";
    using State = IPathSystem::FolderState;
    const std::pair<std::string, State> probes[] = {
        {m_dir, State::Present},         {m_dir + "\\", State::Present},
        {m_dir + "\\a\\b", State::Present}, {m_dir + "\\missing", State::Missing},
        {m_dir + "\\missing\\deeper", State::Missing}, {m_dir + "\\blocker", State::Unreachable},
    };
    for (const auto& [path, state] : probes)
        EXPECT_EQ(paths.ProbeFolder(path), state) << path;
    if (cases.size() == 2)
        GTEST_SKIP() << "every drive letter from Q: to Y: is taken: no missing drive tried";
}

// --- The console and stop requests

TEST_F(AppWin, StandardErrorIsATerminalOnlyOnAConsole)
{
    const HANDLE original = GetStdHandle(STD_ERROR_HANDLE);
    const HANDLE file = CreateFileA((m_dir + "\\stderr.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SetStdHandle(STD_ERROR_HANDLE, file));
    const bool onFile = StandardErrorIsTerminal();
    SetStdHandle(STD_ERROR_HANDLE, original);
    CloseHandle(file);
    EXPECT_FALSE(onFile) << "a file (a scheduler's capture) is no terminal";
    DWORD mode = 0;
    EXPECT_EQ(StandardErrorIsTerminal(), GetConsoleMode(original, &mode) != 0);
}

TEST_F(AppWin, ConsoleEventsComeAsTheSignalsTheExitStatusesFollow)
{
    const struct {
        DWORD event;
        int signal, status;
    } cases[] = {
        {CTRL_C_EVENT, SIGINT, 130}, {CTRL_BREAK_EVENT, SIGTERM, 143}, {CTRL_CLOSE_EVENT, stopsignal::kHangUp, 129}};
    for (const auto& c : cases) {
        EXPECT_EQ(SignalOfConsoleEvent(c.event), c.signal) << c.event;
        EXPECT_EQ(exitstatus::Interrupted(SignalOfConsoleEvent(c.event)), c.status) << c.event;
    }
    EXPECT_EQ(SignalOfConsoleEvent(CTRL_LOGOFF_EVENT), 0) << "reaches services only";
    EXPECT_EQ(SignalOfConsoleEvent(CTRL_SHUTDOWN_EVENT), 0) << "reaches services only";
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
    std::string command = "\"";
    command.append(self, length).append("\" --gtest_filter=ConsoleChild.RaisesConsoleEvent");
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

// Wine raises Ctrl+C only: an event the system cannot raise is passed over.
TEST_F(AppWin, ConsoleEventsReachTheWatchOnAThreadOfItsOwn)
{
    const std::pair<const char*, const char*> cases[] = {{"c", "signal 2, first 2, own thread"},
                                                         {"break", "signal 15, first 15, own thread"}};
    int raised = 0;
    for (const auto& [event, seen] : cases) {
        const std::string result = RunConsoleChild(m_dir + "\\child.txt", event);
        if (result.starts_with("cannot raise")) {
            std::cout << "Ctrl+" << event << " not tried: " << result << "\n";
            continue;
        }
        ++raised;
        EXPECT_EQ(result, seen) << event;
    }
    if (raised == 0)
        GTEST_SKIP() << "no console event can be raised here";
}

using ConsoleChild = WineLineTest;

TEST_F(ConsoleChild, RaisesConsoleEvent)
{
    const char* resultFile = std::getenv("QVX_CONSOLE_CHILD");
    const char* event = std::getenv("QVX_CONSOLE_EVENT");
    if (resultFile == nullptr || event == nullptr)
        GTEST_SKIP() << "started by AppWin.ConsoleEventsReachTheWatchOnAThreadOfItsOwn on a console of its own";
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
        if (!GenerateConsoleCtrlEvent(breakEvent ? CTRL_BREAK_EVENT : CTRL_C_EVENT, breakEvent ? GetCurrentProcessId() : 0)) {
            out << "cannot raise the event here (error " << GetLastError() << ")";
        } else {
            std::unique_lock guard(lock);
            wake.wait_for(guard, std::chrono::seconds(10), [&] { return got != 0; });
            out << "signal " << got << ", first " << watch.FirstSignal() << (ownThread ? ", own thread" : ", test's thread");
        }
    }
    WriteAll(resultFile, out.str());
}

// --- Files

TEST_F(AppWin, PackageFileReplacesAnExistingFile)
{
    const std::string path = m_dir + "\\FX40211.zlb";
    WriteAll(path, "an older package, longer than the new one");
    const unsigned char head[] = {'n', 'e', 'w'};
    const unsigned char tail[] = {'\r', '\n', 0, 'x'};
    const std::span<const unsigned char> pieces[] = {head, tail};
    std::string fault;
    ASSERT_TRUE(qvxbase::ReplaceFileAtomically(path, pieces, fault)) << fault;
    EXPECT_EQ(ReadAll(path), std::string("new\r\n\0x", 7)) << "bytes as given, no line-end translation";
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 1) << "no temporary file left";
}

// Its size, and a missing file, are test_log's; the creation time comes from the system's 1601 epoch.
TEST_F(AppWin, LogFileStatusHasTheCreationTime)
{
    const std::time_t before = std::time(nullptr);
    std::FILE* file = std::fopen((m_dir + "\\status.log").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    LogFileStatus status;
    EXPECT_TRUE(CSystemLogEnvironment::Instance().ReadStatus(file, status));
    std::fclose(file);
    ASSERT_TRUE(status.birth.has_value());
    EXPECT_GE(*status.birth, before - 2);
    EXPECT_LE(*status.birth, std::time(nullptr) + 2);
}

} // namespace
