// The main window end to end under Wine: the real window over the real core, driven by window
// messages from a script thread; against the harness's stand-in controller (WindowLine.h).
#include "WindowLine.h"
#include "WindowRig.h"

#include "winwindow/app/AppResources.h"
#include "winwindow/connection/ConnectionResources.h"
#include "winwindow/widgets/WindowMessages.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

const char kFirmwareQuestion[] =
    "You do not have the recommended firmware downloaded.\nDo you want to download it now?";

bool Has(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string all;
    for (const std::string& line : lines)
        all += line + "\n";
    return all;
}

int TabCount(HWND main)
{
    return static_cast<int>(SendMessageW(GetDlgItem(main, IDC_TABS), TCM_GETITEMCOUNT, 0, 0));
}

std::string TabTitle(HWND main, int index)
{
    wchar_t text[64] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 64;
    SendMessageW(GetDlgItem(main, IDC_TABS), TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    std::string narrow;
    for (const wchar_t* ch = text; *ch != 0; ++ch)
        narrow.push_back(static_cast<char>(*ch));
    return narrow;
}

} // namespace

// At the start: the connection controls on, Disconnect and the pages off, address 1, the five
// pages in their order, "Pass/Fail"; Esc does not close the window; the About box from the system
// menu.
TEST(MainWindowWinTest, StartsAsATechnicianExpects)
{
    CWindowRig rig;
    rig.Run([](CWindowRig& rig) {
        const HWND main = rig.Main();
        char title[64] = {};
        GetWindowTextA(main, title, 64);
        EXPECT_STREQ(title, "QVXFirmInstaller");
        EXPECT_TRUE(CWindowRig::IsEnabled(main, IDC_AUTO_CONNECT));
        EXPECT_FALSE(CWindowRig::IsEnabled(main, IDC_DISCONNECT));
        EXPECT_EQ(CWindowRig::Text(main, IDC_ADDRESS), "1");
        EXPECT_EQ(CWindowRig::Text(main, IDC_LOOP_RESULT), "Pass/Fail");
        EXPECT_EQ(CWindowRig::Text(main, IDC_LOOP_TYPE), "Short");
        ASSERT_EQ(TabCount(main), 5);
        const char* titles[] = {"Sable 2200 Actions", "Download Firmware", "Download Configuration",
                                "Verification Test", "System"};
        for (int index = 0; index < 5; ++index)
            EXPECT_EQ(TabTitle(main, index), titles[index]);
        EXPECT_FALSE(CWindowRig::IsEnabled(rig.Page(0), IDC_START_PATTERN));
        EXPECT_FALSE(CWindowRig::IsEnabled(rig.Page(4), IDC_RESET_DISPLAY));

        PostMessageW(GetDlgItem(main, IDC_ADDRESS), WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageW(main, WM_COMMAND, IDCANCEL, 0);
        Sleep(200);
        EXPECT_TRUE(IsWindowVisible(main));

        PostMessageW(main, WM_SYSCOMMAND, IDM_QVX_ABOUT, 0);
        const HWND about = rig.WaitForWindow("About QVXFirmInstaller");
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(CWindowRig::Text(about, IDC_ABOUT_VERSION).rfind("QVXFirmInstaller-- Version ", 0), 0u);
        CWindowRig::Answer(about, IDOK);
        EXPECT_TRUE(CWindowRig::WaitUntilGone(about));
    });
}

class MainWindowLineTest : public WindowLineTest {};

// Auto Connect to the display on older firmware: the firmware question (answered No), the
// connection line, the lists filled, the pages on and the connection controls off; Disconnect
// turns them back.
TEST_F(MainWindowLineTest, AutoConnectEndToEnd)
{
    CWindowRig rig;
    rig.Run([](CWindowRig& rig) {
        const HWND main = rig.Main();
        std::vector<std::string> asked;
        ASSERT_TRUE(rig.AutoConnect(windowline::kCom, windowline::kOldFirmwareAddress, &asked)) << Joined(rig.Lines());
        ASSERT_FALSE(asked.empty());
        EXPECT_EQ(asked.front(), kFirmwareQuestion);
        EXPECT_TRUE(rig.WaitForLine("Connection established with S2200 Protocol at 115200 baud."));
        EXPECT_FALSE(CWindowRig::IsEnabled(main, IDC_AUTO_CONNECT));
        EXPECT_FALSE(CWindowRig::IsEnabled(main, IDC_ADDRESS));
        EXPECT_FALSE(CWindowRig::IsEnabled(main, IDC_LOOP_START));
        EXPECT_TRUE(CWindowRig::WaitUntil([&] { return CWindowRig::IsEnabled(rig.Page(0), IDC_START_PATTERN); }));
        EXPECT_GT(ListView_GetItemCount(GetDlgItem(rig.Page(0), IDC_CONFIG_LIST)), 0);
        EXPECT_GT(ListView_GetItemCount(GetDlgItem(rig.Page(0), IDC_STATUS_LIST)), 0);

        CWindowRig::Click(main, IDC_DISCONNECT);
        EXPECT_TRUE(CWindowRig::WaitUntil([&] { return CWindowRig::IsEnabled(main, IDC_AUTO_CONNECT); }));
        EXPECT_TRUE(rig.WaitForLine("Sign is disconnected..."));
        EXPECT_FALSE(CWindowRig::IsEnabled(rig.Page(0), IDC_START_PATTERN));
    });
}

// The loop-back test on the plug: passed with a full bar; a long test cancelled at once ends
// "Test Cancelled"; either way the buttons come back.
TEST_F(MainWindowLineTest, LoopBackTest)
{
    CWindowRig rig;
    rig.Run([](CWindowRig& rig) {
        const HWND main = rig.Main();
        ASSERT_TRUE(rig.ChoosePort(windowline::kLoopBackCom));
        CWindowRig::Click(main, IDC_LOOP_START);
        EXPECT_TRUE(CWindowRig::WaitUntil([&] { return CWindowRig::Text(main, IDC_LOOP_RESULT) == "Test Passed"; }))
            << CWindowRig::Text(main, IDC_LOOP_RESULT);
        EXPECT_EQ(SendMessageW(GetDlgItem(main, IDC_LOOP_PROGRESS), PBM_GETPOS, 0, 0), 100);
        EXPECT_TRUE(CWindowRig::IsEnabled(main, IDC_LOOP_START));

        CWindowRig::Choose(main, IDC_LOOP_TYPE, 1);
        CWindowRig::Click(main, IDC_LOOP_START);
        ASSERT_TRUE(CWindowRig::WaitUntil([&] { return CWindowRig::IsEnabled(main, IDC_LOOP_CANCEL); }));
        CWindowRig::Click(main, IDC_LOOP_CANCEL);
        EXPECT_TRUE(
            CWindowRig::WaitUntil([&] { return CWindowRig::Text(main, IDC_LOOP_RESULT) == "Test Cancelled"; }))
            << CWindowRig::Text(main, IDC_LOOP_RESULT);
        EXPECT_EQ(CWindowRig::Text(main, IDC_LOOP_CANCEL), "Cancel Test");
        EXPECT_FALSE(CWindowRig::IsEnabled(main, IDC_LOOP_CANCEL));
        EXPECT_TRUE(CWindowRig::IsEnabled(main, IDC_LOOP_START) && CWindowRig::IsEnabled(main, IDC_AUTO_CONNECT));
    });
}

// The actions that keep the connection: each one's result line, behind the progress window.
TEST_F(MainWindowLineTest, DisplayActions)
{
    struct Case {
        HWND (*page)(CWindowRig&);
        int button;
        const char* line;
        const char* box; // the box it ends with, or none
    };
    const Case cases[] = {
        {[](CWindowRig& rig) { return rig.Page(0); }, IDC_START_PATTERN, "Test pattern is now running", nullptr},
        {[](CWindowRig& rig) { return rig.Page(0); }, IDC_STOP_PATTERN, "Sign has been set into normal mode", nullptr},
        {[](CWindowRig& rig) { return rig.Page(4); }, IDC_SET_TIME_DATE, "The display's time & date has been set.",
         "The display's time & date has been set."},
    };
    CWindowRig rig;
    rig.Run([&cases](CWindowRig& rig) {
        ASSERT_TRUE(rig.AutoConnect(windowline::kCom, windowline::kCurrentAddress)) << Joined(rig.Lines());
        for (const Case& test : cases) {
            CWindowRig::Click(test.page(rig), test.button);
            if (test.box != nullptr) {
                const HWND box = rig.WaitForWindow("QVXFirmInstaller");
                ASSERT_NE(box, nullptr) << test.line;
                EXPECT_EQ(CWindowRig::BoxText(box), test.box);
                CWindowRig::Answer(box, IDOK);
                CWindowRig::WaitUntilGone(box);
            }
            EXPECT_TRUE(rig.WaitForLine(test.line)) << Joined(rig.Lines());
        }
        EXPECT_TRUE(CWindowRig::IsEnabled(rig.Main(), IDC_DISCONNECT));
    });
}

// A firmware download shows the stepped bar; Abort while it moves closes the window at once and
// the transfer ends aborted, with no success reported.
TEST_F(MainWindowLineTest, AbortDuringFirmwareTransfer)
{
    CWindowRig rig;
    rig.Run([](CWindowRig& rig) {
        ASSERT_TRUE(rig.AutoConnect(windowline::kCom, windowline::kCurrentAddress)) << Joined(rig.Lines());
        PostMessageW(rig.Main(), winmsg::kDownloadFirmware, 0, 0);
        const HWND progress = rig.WaitForWindow("Communicating");
        ASSERT_NE(progress, nullptr);
        const HWND bar = GetDlgItem(progress, IDC_PROGRESS_BAR);
        ASSERT_TRUE(CWindowRig::WaitUntil([&] { return SendMessageW(bar, PBM_GETPOS, 0, 0) > 0; }));
        EXPECT_TRUE(CWindowRig::IsEnabled(progress, IDC_PROGRESS_ABORT));
        CWindowRig::Click(progress, IDC_PROGRESS_ABORT);
        EXPECT_TRUE(CWindowRig::WaitUntilGone(progress));
        EXPECT_TRUE(rig.WaitForLine("Aborted command to download the file to sign")) << Joined(rig.Lines());
        EXPECT_FALSE(Has(rig.Lines(), "Firmware has been downloaded."));
    });
}

// "a": the job runs once the window is up, its steps behind the progress window and its lines in
// the list; a display on the recommended firmware ends with 100 and the job result 4.
TEST_F(MainWindowLineTest, AutomaticJobInView)
{
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    const std::string list = std::string(folder) + "qvx-window-job.dat";
    {
        std::ofstream file(list, std::ios::binary);
        std::vector<std::string> fields(48, "-");
        fields[0] = "Lobby";
        fields[2] = "16";
        fields[3] = "80";
        fields[9] = std::to_string(windowline::kCurrentAddress);
        fields[21] = "COM" + std::to_string(windowline::kCom);
        fields[22] = "115200";
        for (const std::string& field : fields)
            file << field << "\r\n";
    }
    CWindowRig rig(RigOptions{true, list});
    rig.Run([](CWindowRig& rig) {
        EXPECT_TRUE(CWindowRig::WaitUntil([&] { return rig.Window().AutomaticJobResult() >= 0; }, 120000));
        EXPECT_EQ(rig.Window().AutomaticJobResult(), 4);
        EXPECT_TRUE(rig.WaitForLine("***   Starting automatic updates   ***"));
        EXPECT_TRUE(rig.WaitForLine("[*TASK ERROR 100*]  Display already has the most current firmware installed"))
            << Joined(rig.Lines());
        EXPECT_EQ(CWindowRig::Text(rig.Main(), IDC_ADDRESS), "1");
    });
    std::remove(list.c_str());
}
