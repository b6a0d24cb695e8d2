// The "Download Firmware" and "Download Configuration" pages and the "Download Configuration"
// dialog under Wine: texts, enabling, Tab order, what they post, and the dialog's preselection.
// The pages live in a window of the test's own; a modal window they open is driven from a timer
// that runs inside its message loop.
#include "connection/InstallerCore.h"
#include "update/ConfigDownload.h"
#include "winwindow/update/ConfigDownloadDialog.h"
#include "winwindow/update/DlgConfigDownload.h"
#include "winwindow/update/DlgFirmDownload.h"
#include "winwindow/update/UpdateResources.h"
#include "winwindow/widgets/WinText.h"
#include "winwindow/widgets/WindowMessages.h"

#include <gtest/gtest.h>

#include <dlgs.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

using Posted = std::vector<std::pair<UINT, WPARAM>>;
using Texts = std::vector<std::string>;

const char kEastern[] = "(GMT-05:00) Eastern Time (US & Canada);Bogota, Lima, Quito";
const char kCentral[] = "(GMT-06:00) Central Time (US & Canada)";
const char kNone[] = "<none>";
constexpr int kConfigKey = 10; // 32x80 Mono64, Gen 1

Posted g_posted;

LRESULT CALLBACK RecordPosted(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= WM_USER && message < 0xC000)
        g_posted.emplace_back(message, wParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

// A top-level window that holds a page and records what the page posts to it. Hidden: a window
// once shown takes Wine a while to take down without a window manager.
class CHost {
public:
    CHost()
    {
        static const ATOM registered = [] {
            WNDCLASSW windowClass{};
            windowClass.lpfnWndProc = RecordPosted;
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.lpszClassName = L"QvxTestHost";
            return RegisterClassW(&windowClass);
        }();
        (void)registered;
        m_window = CreateWindowExW(0, L"QvxTestHost", L"", WS_OVERLAPPEDWINDOW, 0, 0, 900, 600, nullptr, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
        g_posted.clear();
    }
    ~CHost() { DestroyWindow(m_window); }
    HWND Hwnd() const { return m_window; }
    // What was posted since the last call.
    Posted Take()
    {
        MSG message;
        for (int bound = 0; bound < 10000 && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); ++bound)
            DispatchMessageW(&message);
        return std::exchange(g_posted, {});
    }

private:
    HWND m_window = nullptr;
};

// Runs fn once on the first visible dialog window without a parent of this thread, from inside
// that window's modal loop.
class CModalDriver {
public:
    explicit CModalDriver(std::function<void(HWND)> fn) : m_timer(SetTimer(nullptr, 0, 20, &OnTimer))
    {
        s_fn = std::move(fn);
    }
    ~CModalDriver()
    {
        KillTimer(nullptr, m_timer);
        s_fn = nullptr;
    }
    static bool Ran() { return !s_fn; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD)
    {
        HWND found = nullptr;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND window, LPARAM out) -> BOOL {
                wchar_t name[16] = {};
                GetClassNameW(window, name, 16);
                if (std::wstring(name) != L"#32770" || !IsWindowVisible(window))
                    return TRUE;
                *reinterpret_cast<HWND*>(out) = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&found));
        if (found != nullptr && s_fn)
            std::exchange(s_fn, nullptr)(found);
    }

    static inline std::function<void(HWND)> s_fn;
    UINT_PTR m_timer;
};

bool IsCombo(HWND control)
{
    wchar_t name[16] = {};
    GetClassNameW(control, name, 16);
    return std::wstring(name) == L"ComboBox";
}

void Click(HWND dialog, int id)
{
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// As the operator's choice: the selection and its notification. -1 clears it.
void Select(HWND dialog, int id, int index)
{
    const HWND control = GetDlgItem(dialog, id);
    const bool combo = IsCombo(control);
    SendMessageW(control, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, combo ? CBN_SELCHANGE : LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(control));
}

Texts Items(HWND dialog, int id)
{
    const HWND control = GetDlgItem(dialog, id);
    const bool combo = IsCombo(control);
    Texts texts;
    const LRESULT count = SendMessageW(control, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
    for (LRESULT index = 0; index < count && index < 1000; ++index) {
        wchar_t text[512] = {};
        SendMessageW(control, combo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(text));
        texts.push_back(ToolTextOf(text));
    }
    return texts;
}

int IndexOf(HWND dialog, int id, const std::string& text)
{
    const Texts texts = Items(dialog, id);
    for (std::size_t at = 0; at < texts.size(); ++at)
        if (texts[at] == text)
            return static_cast<int>(at);
    return -1;
}

std::string Selected(HWND dialog, int id)
{
    const HWND control = GetDlgItem(dialog, id);
    const LRESULT at = SendMessageW(control, IsCombo(control) ? CB_GETCURSEL : LB_GETCURSEL, 0, 0);
    return at < 0 ? kNone : Items(dialog, id).at(static_cast<std::size_t>(at));
}

// The non-empty texts of captions, buttons and group boxes, in template order.
Texts CaptionTexts(HWND dialog)
{
    Texts texts;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr && texts.size() < 100;
         child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[16] = {};
        GetClassNameW(child, name, 16);
        const std::string text = WindowTextOf(child);
        if ((std::wstring(name) == L"Static" || std::wstring(name) == L"Button") && !text.empty())
            texts.push_back(text);
    }
    return texts;
}

// The ids the Tab key visits, once round.
std::vector<int> TabOrder(HWND dialog)
{
    std::vector<int> ids;
    const HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
    for (HWND at = first; at != nullptr && ids.size() < 50; at = GetNextDlgTabItem(dialog, at, FALSE)) {
        if (!ids.empty() && at == first)
            break;
        ids.push_back(GetDlgCtrlID(at));
    }
    return ids;
}

std::vector<bool> Enabled(HWND dialog, std::initializer_list<int> ids)
{
    std::vector<bool> enabled;
    for (int id : ids)
        enabled.push_back(IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE);
    return enabled;
}

int TextWidth(HWND control, const std::string& text)
{
    const HDC dc = GetDC(control);
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    const std::wstring wide = WideText(text);
    SIZE extent{};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &extent);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return extent.cx;
}

// ------------------------------------------------------------------------------------------------

class FirmwarePage : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_page.Create(m_host.Hwnd(), m_host.Hwnd()));
        ShowWindow(m_page.Hwnd(), SW_SHOW);
    }
    HWND Page() const { return m_page.Hwnd(); }
    std::vector<bool> PathControls() const { return Enabled(Page(), {IDC_FW_PATH, IDC_FW_BROWSE}); }
    void SetPath(const wchar_t* path) const { SetDlgItemTextW(Page(), IDC_FW_PATH, path); }

    CHost m_host;
    CDlgFirmDownload m_page;
};

TEST_F(FirmwarePage, TextsEnablingAndTabOrder)
{
    EXPECT_EQ(CaptionTexts(Page()),
              (Texts{"Current Firmware:", "Last Modified", "Recommended Firmware:", "Last Modified",
                     "Download a firmware version other than the recommended firmware", "Browse ...",
                     "Download Firmware"}));
    m_page.SetCurrentFirmware("FX40211-1.02.10");
    m_page.SetRecommendedFirmware("FX40211-1.02.11");
    EXPECT_EQ(ItemText(Page(), IDC_FW_CURRENT), "FX40211-1.02.10");
    EXPECT_EQ(ItemText(Page(), IDC_FW_RECOMMENDED), "FX40211-1.02.11");

    // Before a connection nothing is on; the path only with the box, and only on an enabled page.
    EXPECT_TRUE(TabOrder(Page()).empty());
    m_page.EnablePage(true);
    EXPECT_EQ(TabOrder(Page()), (std::vector<int>{IDC_FW_OTHER, IDC_FW_DOWNLOAD}));
    Click(Page(), IDC_FW_OTHER);
    EXPECT_EQ(TabOrder(Page()), (std::vector<int>{IDC_FW_OTHER, IDC_FW_PATH, IDC_FW_BROWSE, IDC_FW_DOWNLOAD}));
    m_page.EnablePage(false);
    EXPECT_EQ(Enabled(Page(), {IDC_FW_OTHER, IDC_FW_PATH, IDC_FW_BROWSE, IDC_FW_DOWNLOAD}),
              std::vector<bool>(4, false));
}

TEST_F(FirmwarePage, DownloadPostsTheChoiceOrAsksForAFile)
{
    m_page.EnablePage(true);
    Click(Page(), IDC_FW_DOWNLOAD);
    EXPECT_EQ(m_host.Take(), (Posted{{winmsg::kDownloadFirmware, 0}}));

    Click(Page(), IDC_FW_OTHER);
    EXPECT_TRUE(m_page.IsOtherFirmware());
    EXPECT_EQ(m_host.Take(), (Posted{{winmsg::kFirmwareFileChanged, 0}}));
    std::string box;
    {
        CModalDriver driver([&](HWND window) {
            box = WindowTextOf(window) + ": " + ItemText(window, 0xFFFF);
            PostMessageW(window, WM_COMMAND, IDOK, 0);
        });
        Click(Page(), IDC_FW_DOWNLOAD);
    }
    EXPECT_EQ(box, "QVXFirmInstaller: Please enter a Firmware File before downloading.");
    EXPECT_EQ(m_host.Take(), Posted{}) << "an empty path posts nothing";

    // Each change of the path names the file anew; the bare name follows a typed path.
    SetPath(L"C:\\fw\\FX40211.exe");
    EXPECT_EQ(m_host.Take(), (Posted{{winmsg::kFirmwareFileChanged, 0}}));
    EXPECT_EQ(m_page.FirmwareName(), "FX40211.exe");
    Click(Page(), IDC_FW_DOWNLOAD);
    EXPECT_EQ(m_host.Take(), (Posted{{winmsg::kDownloadFirmware, 1}}));

    // Off again: the verdict goes; the path is not used, and its changes are not news.
    m_page.ShowFileCheck("Version: FX40211-1.3.0");
    EXPECT_EQ(ItemText(Page(), IDC_FW_FILE_CHECK), "Version: FX40211-1.3.0");
    Click(Page(), IDC_FW_OTHER);
    EXPECT_EQ(ItemText(Page(), IDC_FW_FILE_CHECK), "");
    EXPECT_EQ(PathControls(), (std::vector<bool>{false, false}));
    SetPath(L"");
    EXPECT_EQ(m_host.Take(), (Posted{{winmsg::kFirmwareFileChanged, 0}})) << "the box's, not the path's";
    Click(Page(), IDC_FW_DOWNLOAD);
    EXPECT_EQ(m_host.Take(), (Posted{{winmsg::kDownloadFirmware, 0}}));
}

TEST_F(FirmwarePage, BrowsePutsTheFullPathAndKeepsTheBareName)
{
    wchar_t temp[MAX_PATH] = {};
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    const std::wstring file = std::wstring(temp) + L"QVX Firmware 1.3.exe";
    const HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    CloseHandle(handle);
    m_page.EnablePage(true);
    Click(Page(), IDC_FW_OTHER);
    std::string filter;
    {
        CModalDriver driver([&](HWND dialog) {
            filter = Selected(dialog, cmb1);
            // The name field: cmb13, or edt1 in older dialogs.
            const HWND combo = GetDlgItem(dialog, cmb13);
            const HWND name = combo != nullptr ? combo : GetDlgItem(dialog, edt1);
            SetWindowTextW(name, file.c_str());
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        });
        Click(Page(), IDC_FW_BROWSE);
        EXPECT_TRUE(CModalDriver::Ran());
    }
    EXPECT_EQ(filter, "EXE Files (*.exe)");
    EXPECT_EQ(WideText(m_page.FirmwarePath()), file);
    EXPECT_EQ(m_page.FirmwareName(), "QVX Firmware 1.3.exe");
    DeleteFileW(file.c_str());
}

// ------------------------------------------------------------------------------------------------

// A core that has never connected, with the display's configuration put in place as a connection
// leaves it: key 10's template, whose zone is Central Time.
class ConfigFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_config.BuildDisplayTypeTable();
        ASSERT_TRUE(m_core.Session().ConfigDoc().SetDocument(m_config.GetConfigTemplate(kConfigKey)));
        m_core.Session().ShowDisplayInfo();
    }

    CNoView m_view;
    CInstallerCore m_core{m_view};
    CConfigDownloader m_config{m_core};
    CHost m_host;
};

class ConfigPage : public ConfigFixture {
protected:
    void SetUp() override
    {
        ConfigFixture::SetUp();
        ASSERT_TRUE(m_page.Create(m_host.Hwnd(), m_host.Hwnd()));
        ShowWindow(m_page.Hwnd(), SW_SHOW);
    }
    HWND Page() const { return m_page.Hwnd(); }
    std::string Label() const { return ItemText(Page(), IDC_CFG_TEMPLATE_LABEL); }
    // The template as sent, with "\r\n" line ends as the view holds it.
    std::string Sent(int key, const std::string& zone)
    {
        std::string text = m_config.GetConfigTemplate(key);
        m_config.SetTemplateTimeZone(zone, text);
        std::string shown;
        for (char ch : text)
            shown += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
        return shown;
    }

    CDlgConfigDownload m_page{m_config};
};

TEST_F(ConfigPage, TextsEnablingAndTabOrder)
{
    EXPECT_EQ(CaptionTexts(Page()),
              (Texts{"Generation Filter", "Desired Sign Configuration", "Time Zone", "Check Configuration",
                     "Config File:", "32x80 Mono64 - Gen 1 Configuration:"}));
    const std::initializer_list<int> controls = {IDC_CFG_FILTERS, IDC_CFG_TYPES, IDC_CFG_TIME_ZONES, IDC_CFG_CHECK,
                                                 IDC_CFG_TEMPLATE};
    EXPECT_EQ(Enabled(Page(), controls), std::vector<bool>(5, false));
    m_page.EnablePage(true);
    EXPECT_EQ(TabOrder(Page()), std::vector<int>(controls));
}

// The XML's columns line up; the zones are readable in the closed list up to their ';', whole
// in the open one.
TEST_F(ConfigPage, TemplateAndZonesAreReadable)
{
    const HWND view = GetDlgItem(Page(), IDC_CFG_TEMPLATE);
    EXPECT_EQ(TextWidth(view, "iiiiiiii"), TextWidth(view, "MMMMMMMM"));
    const HWND zones = GetDlgItem(Page(), IDC_CFG_TIME_ZONES);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(zones, &info));
    EXPECT_GE(info.rcItem.right - info.rcItem.left, TextWidth(zones, "(GMT-05:00) Eastern Time (US & Canada)"));
    int widest = 0;
    for (const std::string& name : Items(Page(), IDC_CFG_TIME_ZONES))
        widest = std::max(widest, TextWidth(zones, name));
    EXPECT_GE(SendMessageW(zones, CB_GETDROPPEDWIDTH, 0, 0), widest);
}

TEST_F(ConfigPage, TheTemplateFollowsTypeAndZoneAndCheckPostsTheKey)
{
    m_page.Refill();
    m_page.EnablePage(true);
    // The display's own type and zone; the check compares with the zone shown.
    EXPECT_EQ(Items(Page(), IDC_CFG_FILTERS), (Texts{"All", "Gen 1", "Gen 2", "LX-7400", "Display Emulator"}));
    EXPECT_EQ(Selected(Page(), IDC_CFG_FILTERS), "All");
    EXPECT_EQ(Selected(Page(), IDC_CFG_TYPES), "32x80 Mono64 - Gen 1");
    EXPECT_EQ(Selected(Page(), IDC_CFG_TIME_ZONES), kCentral);
    EXPECT_EQ(m_page.SelectedTimeZone(), kCentral);
    EXPECT_EQ(m_config.CurrentTimeZone(), kCentral);
    EXPECT_EQ(Label(), "32x80 Mono64 - Gen 1 Configuration:");
    EXPECT_EQ(ItemText(Page(), IDC_CFG_TEMPLATE), Sent(kConfigKey, kCentral));

    // Gen 2 has no key 10: nothing selected, nothing shown, nothing checked.
    Select(Page(), IDC_CFG_FILTERS, 2);
    EXPECT_EQ(Items(Page(), IDC_CFG_TYPES).size(), 7u);
    EXPECT_EQ(Selected(Page(), IDC_CFG_TYPES), kNone);
    EXPECT_EQ(Label() + ItemText(Page(), IDC_CFG_TEMPLATE), "");
    Click(Page(), IDC_CFG_CHECK);
    EXPECT_EQ(m_host.Take(), Posted{});

    Select(Page(), IDC_CFG_FILTERS, 1);
    EXPECT_EQ(Selected(Page(), IDC_CFG_TYPES), "32x80 Mono64");
    Select(Page(), IDC_CFG_TYPES, IndexOf(Page(), IDC_CFG_TYPES, "32x128 Mono64"));
    EXPECT_EQ(Label(), "32x128 Mono64 Configuration:");
    Select(Page(), IDC_CFG_TIME_ZONES, IndexOf(Page(), IDC_CFG_TIME_ZONES, kEastern));
    EXPECT_EQ(m_config.CurrentTimeZone(), kEastern);
    const std::string shown = ItemText(Page(), IDC_CFG_TEMPLATE);
    EXPECT_EQ(shown, Sent(9, kEastern));
    EXPECT_NE(shown.find("zn=\"-300\""), std::string::npos);
    Click(Page(), IDC_CFG_CHECK);
    EXPECT_EQ(m_host.Take(), (Posted{{winmsg::kCheckConfiguration, 9}}));
    Select(Page(), IDC_CFG_TYPES, -1);
    EXPECT_EQ(Label(), "");
    Click(Page(), IDC_CFG_CHECK);
    EXPECT_EQ(m_host.Take(), Posted{});
}

// ------------------------------------------------------------------------------------------------

struct DialogCase {
    const char* name;
    int displayKey;          // the display's own type in the lists
    const char* initialZone; // nullptr: the display's own
    const char* type;        // selected on opening
    const char* zone;
    bool downloadOn;
};

class ConfigDialog : public ConfigFixture, public ::testing::WithParamInterface<DialogCase> {};

// The display's own type and zone where the lists have them, else none; Download only with both,
// and then it takes what was chosen last.
TEST_P(ConfigDialog, PreselectsTheDisplaysTypeAndZone)
{
    const DialogCase& c = GetParam();
    ConfigurationLists lists = m_config.DialogLists();
    ASSERT_EQ(lists.nDisplayKey, kConfigKey);
    lists.nDisplayKey = c.displayKey;
    if (c.initialZone != nullptr)
        lists.initialTimeZone = c.initialZone;
    ConfigurationChoice choice{-2, "unchanged"};
    CModalDriver driver([&](HWND dialog) {
        EXPECT_EQ(WindowTextOf(dialog), "Download Configuration");
        EXPECT_EQ(CaptionTexts(dialog), (Texts{"&Generation Filter", "&Desired Sign Configuration", "&Time Zone",
                                               "Download Configuration", "Cancel"}));
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_DL_TYPES));
        RECT list{};
        GetClientRect(GetDlgItem(dialog, IDC_DL_TYPES), &list);
        const LRESULT rows = list.bottom / std::max<LRESULT>(1, SendMessageW(GetDlgItem(dialog, IDC_DL_TYPES),
                                                                             LB_GETITEMHEIGHT, 0, 0));
        EXPECT_TRUE(rows >= 9 && rows <= 11) << rows << " rows in view";
        // Each caption's mnemonic goes to the list it names.
        const std::pair<wchar_t, int> mnemonics[] = {{L'g', IDC_DL_FILTERS}, {L't', IDC_DL_TIME_ZONES},
                                                     {L'd', IDC_DL_TYPES}};
        for (const auto& [key, id] : mnemonics) {
            MSG alt{GetFocus(), WM_SYSCHAR, key, LPARAM(1) << 29, 0, {}};
            IsDialogMessageW(dialog, &alt);
            EXPECT_EQ(GetFocus(), GetDlgItem(dialog, id)) << char(key);
        }
        EXPECT_EQ(Items(dialog, IDC_DL_FILTERS), (Texts{"All", "Gen 1", "Gen 2"}));
        EXPECT_EQ(Selected(dialog, IDC_DL_TYPES), c.type);
        EXPECT_EQ(Selected(dialog, IDC_DL_TIME_ZONES), c.zone);
        EXPECT_EQ(IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE, c.downloadOn);
        EXPECT_EQ(SendMessageW(dialog, DM_GETDEFID, 0, 0), MAKELRESULT(IDOK, DC_HASDEFID));
        if (!c.downloadOn)
            SendMessageW(dialog, WM_COMMAND, IDOK, 0); // Enter: nothing while Download is off
        Select(dialog, IDC_DL_FILTERS, 2); // Gen 2 lacks key 10
        EXPECT_EQ(Selected(dialog, IDC_DL_TYPES), kNone);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
        Select(dialog, IDC_DL_FILTERS, 1);
        Select(dialog, IDC_DL_TYPES, IndexOf(dialog, IDC_DL_TYPES, "32x128 Mono64"));
        Select(dialog, IDC_DL_TIME_ZONES, IndexOf(dialog, IDC_DL_TIME_ZONES, kEastern));
        Click(dialog, IDOK);
    });
    ASSERT_TRUE(RunConfigDownload(m_host.Hwnd(), lists, choice));
    EXPECT_EQ(choice.nKey, 9);
    EXPECT_EQ(choice.strTimeZone, kEastern);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConfigDialog,
    ::testing::Values(DialogCase{"OwnType", kConfigKey, nullptr, "32x80 Mono64 - Gen 1", kCentral, true},
                      DialogCase{"TypeAbsent", 99, nullptr, kNone, kCentral, false},
                      DialogCase{"ZoneMissing", kConfigKey, "(GMT+6:30) Rangoon", "32x80 Mono64 - Gen 1", kNone,
                                 false}),
    [](const ::testing::TestParamInfo<DialogCase>& info) { return std::string(info.param.name); });

// Esc is Cancel, with a choice ready or with none to make (no types at all).
TEST_F(ConfigFixture, DialogEscapeCancels)
{
    for (const bool withTypes : {true, false}) {
        ConfigurationLists lists = m_config.DialogLists();
        if (!withTypes)
            lists.typesOf = nullptr;
        ConfigurationChoice choice{-2, "unchanged"};
        CModalDriver driver([&](HWND dialog) {
            EXPECT_EQ(IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE, withTypes);
            MSG escape{GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
            IsDialogMessageW(dialog, &escape);
        });
        EXPECT_FALSE(RunConfigDownload(m_host.Hwnd(), lists, choice));
        EXPECT_TRUE(CModalDriver::Ran()) << withTypes;
        EXPECT_EQ(choice.nKey, -2);
    }
}

} // namespace
