// The program as a technician starts it: qvxfirminstaller.exe without switches (the packaged one
// when the harness gives QVX_TOOL_EXE, else the build's) opens its window; the test drives that
// window from outside, as a person would: Auto Connect to a display on older firmware, Yes to the
// firmware question, the install behind its progress bar, and a second Auto Connect that finds
// the recommended firmware in place.
#include "WindowLine.h"
#include "WindowRig.h"

#include "update/FirmwareVersion.h"
#include "update/package/FirmwareLine.h"
#include "winwindow/app/AppResources.h"
#include "winwindow/update/UpdateResources.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kProgramCom = 3; // the harness's line without wire time: a whole install is quick
constexpr int kProgramAddress = 1;

std::string ToolPath()
{
    if (const char* given = std::getenv("QVX_TOOL_EXE"); given != nullptr && *given != '\0')
        return given;
    char own[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, own, MAX_PATH);
    std::string folder(own);
    folder.resize(folder.find_last_of("\\/") + 1);
    return folder + "qvxfirminstaller.exe";
}

struct Search {
    DWORD process;
    const wchar_t* title;
    bool mainWindow; // the one with the Auto Connect button, or any other (a box, the progress)
    HWND found;
};

BOOL CALLBACK FindOfProcess(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<Search*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t title[128] = {};
    GetWindowTextW(window, title, 128);
    if (process != search->process || !IsWindowVisible(window) || std::wstring(title) != search->title)
        return TRUE;
    if ((GetDlgItem(window, IDC_AUTO_CONNECT) != nullptr) != search->mainWindow)
        return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindWindowOf(DWORD process, const wchar_t* title, bool mainWindow, int timeoutMs)
{
    Search search{process, title, mainWindow, nullptr};
    CWindowRig::WaitUntil(
        [&] {
            search.found = nullptr;
            EnumWindows(&FindOfProcess, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        timeoutMs);
    return search.found;
}

// Auto Connect on the program's line; each box answered (answer where it asks, OK otherwise) until
// the connection stands and no box is left. The boxes' texts go into seen.
bool ConnectAndAnswer(DWORD process, HWND main, int answer, std::vector<std::string>& seen)
{
    CWindowRig::SetText(main, IDC_ADDRESS, std::to_string(kProgramAddress));
    CWindowRig::Click(main, IDC_AUTO_CONNECT);
    int quiet = 0;
    return CWindowRig::WaitUntil(
        [&] {
            if (HWND box = FindWindowOf(process, L"QVXFirmInstaller", false, 0)) {
                seen.push_back(CWindowRig::BoxText(box));
                CWindowRig::Answer(box, GetDlgItem(box, IDYES) != nullptr ? answer : IDOK);
                CWindowRig::WaitUntilGone(box);
                quiet = 0;
                return false;
            }
            // Connected, nothing in progress and no box for three seconds: Auto Connect has ended
            // (from outside the program that is all there is to see).
            const bool idle = CWindowRig::IsEnabled(main, IDC_DISCONNECT) && IsWindowEnabled(main) &&
                              FindWindowOf(process, L"Communicating", false, 0) == nullptr;
            quiet = idle ? quiet + 1 : 0;
            return quiet > 300;
        },
        60000);
}

} // namespace

class ProgramWinTest : public WindowLineTest {};

TEST_F(ProgramWinTest, OpensItsWindowInstallsFirmwareAndFindsItAfterwards)
{
    std::string command = ToolPath();
    command.insert(command.begin(), '"');
    command.push_back('"');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        << command;
    const HWND main = FindWindowOf(process.dwProcessId, L"QVXFirmInstaller", true, 60000);
    ASSERT_NE(main, nullptr) << "no window from " << command;

    // The port list as the registry has it; the program's line chosen.
    const HWND ports = GetDlgItem(main, IDC_COM_PORTS);
    int index = -1;
    for (LRESULT at = 0; at < SendMessageW(ports, CB_GETCOUNT, 0, 0); ++at)
        if (SendMessageW(ports, CB_GETITEMDATA, static_cast<WPARAM>(at), 0) == kProgramCom)
            index = static_cast<int>(at);
    ASSERT_GE(index, 0) << "COM" << kProgramCom << " is not listed";
    CWindowRig::Choose(main, IDC_COM_PORTS, index);

    // Yes to the firmware question: the install runs behind the stepped bar.
    std::vector<std::string> seen;
    bool barMoved = false;
    std::thread watcher([&] {
        CWindowRig::WaitUntil(
            [&] {
                const HWND progress = FindWindowOf(process.dwProcessId, L"Communicating", false, 0);
                barMoved = progress != nullptr &&
                           SendMessageW(GetDlgItem(progress, IDC_PROGRESS_BAR), PBM_GETPOS, 0, 0) > 0;
                return barMoved;
            },
            180000);
    });
    const bool first = ConnectAndAnswer(process.dwProcessId, main, IDYES, seen);
    watcher.join();
    std::string lines;
    for (const std::string& line : CWindowRig::LinesOf(main))
        lines += line + "\n";
    EXPECT_TRUE(barMoved) << lines;
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen[0], "You do not have the recommended firmware downloaded.\nDo you want to download it now?");
    EXPECT_NE(std::find(seen.begin(), seen.end(),
                        "The new firmware has been downloaded successfully and the connection will be closed.\nWait "
                        "until the boot sequence is complete before reconnecting."),
              seen.end());
    (void)first; // the install closes the connection

    // Once it has restarted: connected again, no firmware question, the recommended version shown.
    std::vector<std::string> after;
    ASSERT_TRUE(CWindowRig::WaitUntil(
        [&] {
            after.clear();
            return ConnectAndAnswer(process.dwProcessId, main, IDNO, after);
        },
        180000));
    for (const std::string& box : after)
        EXPECT_EQ(box.find("recommended firmware"), std::string::npos) << box;
    HWND firmwarePage = nullptr;
    EnumChildWindows(
        main,
        [](HWND child, LPARAM found) {
            if (GetDlgItem(child, IDC_FW_CURRENT) != nullptr) {
                *reinterpret_cast<HWND*>(found) = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&firmwarePage));
    ASSERT_NE(firmwarePage, nullptr);
    // As the display reports it: "FX40211-1.2.11" is the recommended "FX40211-1.02.11".
    const std::string current = CWindowRig::Text(firmwarePage, IDC_FW_CURRENT);
    EXPECT_TRUE(IsRecommendedFirmwareInstalled(current, RecommendedFirmwareVersion(false))) << current;

    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0);
    DWORD status = 1;
    GetExitCodeProcess(process.hProcess, &status);
    EXPECT_EQ(status, 0u);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}
