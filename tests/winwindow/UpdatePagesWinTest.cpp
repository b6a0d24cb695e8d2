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

#include <commctrl.h>
#include <dlgs.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

using Posted = std::vector<std::pair<UINT, WPARAM>>;

const char kEastern[] = "(GMT-05:00) Eastern Time (US & Canada);Bogota, Lima, Quito";
const char kCentral[] = "(GMT-06:00) Central Time (US & Canada)";
const char kNoPath[] = "Please enter a Firmware File before downloading.";
constexpr int kConfigKey = 10; // 32x80 Mono64, Gen 1

Posted g_posted;

LRESULT CALLBACK NotifyProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= WM_USER && message < 0xC000)
        g_posted.emplace_back(message, wParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

// A top-level window that holds a page and records what the page posts to it. Hidden: a window
// that was shown takes Wine a while to take down without a window manager.
class CHost {
public:
    CHost()
    {
        static const ATOM registered = [] {
            WNDCLASSW windowClass{};
            windowClass.lpfnWndProc = NotifyProcedure;
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.lpszClassName = L"QvxTestHost";
            windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
            return RegisterClassW(&windowClass);
        }();
        (void)registered;
        m_window = CreateWindowExW(0, L"QvxTestHost", L"Host", WS_OVERLAPPEDWINDOW, 0, 0, 900, 600,
                                   nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        g_posted.clear();
    }
    ~CHost() { DestroyWindow(m_window); }
    HWND Hwnd() const { return m_window; }

    // What the page posted since the last call.
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

// Runs fn once on the first visible dialog window of this thread that has no parent, from
// inside that window's modal loop; what is still waiting is dropped when the object goes.
class CModalDriver {
public:
    explicit CModalDriver(std::function<void(HWND)> fn)
    {
        s_fn = std::move(fn);
        m_timer = SetTimer(nullptr, 0, 20, &CModalDriver::OnTimer);
    }
    ~CModalDriver()
    {
        KillTimer(nullptr, m_timer);
        s_fn = nullptr;
    }
    static bool Ran() { return s_fn == nullptr; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD)
    {
        if (!s_fn)
            return;
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
        if (found == nullptr)
            return;
        const std::function<void(HWND)> fn = std::exchange(s_fn, nullptr);
        fn(found);
    }

    static inline std::function<void(HWND)> s_fn;
    UINT_PTR m_timer = 0;
};

void Click(HWND dialog, int id)
{
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void SelectCombo(HWND dialog, int id, int index)
{
    SendMessageW(GetDlgItem(dialog, id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void SelectList(HWND dialog, int id, int index)
{
    SendMessageW(GetDlgItem(dialog, id), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::vector<std::string> Items(HWND control, bool combo)
{
    std::vector<std::string> texts;
    const LRESULT count = SendMessageW(control, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
    for (LRESULT index = 0; index < count && index < 1000; ++index) {
        wchar_t text[512] = {};
        SendMessageW(control, combo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(text));
        texts.push_back(ToolTextOf(text));
    }
    return texts;
}

int Index(const std::vector<std::string>& texts, const std::string& text)
{
    for (std::size_t at = 0; at < texts.size(); ++at)
        if (texts[at] == text)
            return static_cast<int>(at);
    return -1;
}

std::string Selected(HWND dialog, int id, bool combo)
{
    const HWND control = GetDlgItem(dialog, id);
    const LRESULT at = SendMessageW(control, combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0);
    return at < 0 ? std::string("<none>") : Items(control, combo).at(static_cast<std::size_t>(at));
}

// The texts of a dialog's captions, buttons and group boxes, in template order.
std::vector<std::string> StaticTexts(HWND dialog)
{
    std::vector<std::string> texts;
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

// The ids the Tab key visits from the first Tab stop on, once round.
std::vector<int> TabOrder(HWND dialog)
{
    std::vector<int> ids;
    const HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
    for (HWND at = first; at != nullptr && ids.size() < 50;) {
        ids.push_back(GetDlgCtrlID(at));
        at = GetNextDlgTabItem(dialog, at, FALSE);
        if (at == first)
            break;
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

std::string WithCrLf(const std::string& text)
{
    std::string converted;
    for (char ch : text) {
        if (ch == '\n')
            converted += '\r';
        converted += ch;
    }
    return converted;
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

    CHost m_host;
    CDlgFirmDownload m_page;
};

TEST_F(FirmwarePage, TextsFieldsAndTabOrder)
{
    EXPECT_EQ(StaticTexts(Page()),
              (std::vector<std::string>{"Current Firmware:", "Last Modified", "Recommended Firmware:", "Last Modified",
                                        "Download a firmware version other than the recommended firmware",
                                        "Browse ...", "Download Firmware"}));
    m_page.SetCurrentFirmware("FX40211-1.02.10");
    m_page.SetRecommendedFirmware("FX40211-1.02.11");
    EXPECT_EQ(ItemText(Page(), IDC_FW_CURRENT), "FX40211-1.02.10");
    EXPECT_EQ(ItemText(Page(), IDC_FW_RECOMMENDED), "FX40211-1.02.11");
    for (int field : {IDC_FW_CURRENT, IDC_FW_RECOMMENDED, IDC_FW_FILE_CHECK})
        EXPECT_TRUE(GetWindowLongW(GetDlgItem(Page(), field), GWL_STYLE) & ES_READONLY) << field;
    // The file check has no box of its own: empty, it is not a broken field.
    EXPECT_FALSE(GetWindowLongW(GetDlgItem(Page(), IDC_FW_FILE_CHECK), GWL_STYLE) & WS_BORDER);

    // Before a connection nothing is on.
    EXPECT_EQ(Enabled(Page(), {IDC_FW_OTHER, IDC_FW_PATH, IDC_FW_BROWSE, IDC_FW_DOWNLOAD}),
              (std::vector<bool>{false, false, false, false}));
    EXPECT_TRUE(TabOrder(Page()).empty());
    m_page.EnablePage(true);
    EXPECT_EQ(TabOrder(Page()), (std::vector<int>{IDC_FW_OTHER, IDC_FW_DOWNLOAD}));
    Click(Page(), IDC_FW_OTHER);
    EXPECT_EQ(TabOrder(Page()), (std::vector<int>{IDC_FW_OTHER, IDC_FW_PATH, IDC_FW_BROWSE, IDC_FW_DOWNLOAD}));
    m_page.EnablePage(false);
    EXPECT_EQ(PathControls(), (std::vector<bool>{false, false})) << "checked, but the page is off";
    m_page.EnablePage(true);
    EXPECT_EQ(PathControls(), (std::vector<bool>{true, true}));
}

TEST_F(FirmwarePage, DownloadPostsTheChoiceOrAsksForAFile)
{
    m_page.EnablePage(true);
    EXPECT_EQ(PathControls(), (std::vector<bool>{false, false}));
    Click(Page(), IDC_FW_DOWNLOAD);
    EXPECT_EQ(m_host.Take(), (Posted{{winmsg::kDownloadFirmware, 0}}));

    Click(Page(), IDC_FW_OTHER);
    EXPECT_TRUE(m_page.IsOtherFirmware());
    EXPECT_EQ(PathControls(), (std::vector<bool>{true, true}));
    EXPECT_EQ(m_host.Take(), (Posted{{winmsg::kFirmwareFileChanged, 0}}));
    {
        std::string boxText;
        std::string boxCaption;
        CModalDriver box([&](HWND window) {
            boxCaption = WindowTextOf(window);
            boxText = ItemText(window, 0xFFFF);
            PostMessageW(window, WM_COMMAND, IDOK, 0);
        });
        Click(Page(), IDC_FW_DOWNLOAD);
        EXPECT_TRUE(CModalDriver::Ran());
        EXPECT_EQ(boxCaption, "QVXFirmInstaller");
        EXPECT_EQ(boxText, kNoPath);
    }
    EXPECT_EQ(m_host.Take(), Posted{}) << "an empty path posts nothing";

    // Each change of the path names the file anew; the bare name follows a typed path.
    SendMessageW(GetDlgItem(Page(), IDC_FW_PATH), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"C:\\fw\\FX40211.exe"));
    EXPECT_EQ(m_host.Take(), (Posted{{winmsg::kFirmwareFileChanged, 0}}));
    EXPECT_EQ(m_page.FirmwarePath(), "C:\\fw\\FX40211.exe");
    EXPECT_EQ(m_page.FirmwareName(), "FX40211.exe");
    Click(Page(), IDC_FW_DOWNLOAD);
    EXPECT_EQ(m_host.Take(), (Posted{{winmsg::kDownloadFirmware, 1}}));

    // Off again: the verdict goes, the path stays but is not used.
    m_page.ShowFileCheck("Version: FX40211-1.3.0");
    EXPECT_EQ(ItemText(Page(), IDC_FW_FILE_CHECK), "Version: FX40211-1.3.0");
    Click(Page(), IDC_FW_OTHER);
    EXPECT_EQ(ItemText(Page(), IDC_FW_FILE_CHECK), "");
    EXPECT_EQ(PathControls(), (std::vector<bool>{false, false}));
    SendMessageW(GetDlgItem(Page(), IDC_FW_PATH), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    EXPECT_EQ(m_host.Take(), (Posted{{winmsg::kFirmwareFileChanged, 0}})) << "the box only, not the path";
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
    m_host.Take();
    {
        std::string filter;
        CModalDriver open([&](HWND dialog) {
            filter = Selected(dialog, cmb1, true);
            // The explorer-style dialog's name field is cmb13 (an edit in some versions: edt1).
            const HWND name = GetDlgItem(dialog, cmb13) != nullptr ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1);
            SetWindowTextW(name, file.c_str());
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        });
        Click(Page(), IDC_FW_BROWSE);
        EXPECT_TRUE(CModalDriver::Ran());
        EXPECT_EQ(filter, "EXE Files (*.exe)");
    }
    EXPECT_EQ(WideText(m_page.FirmwarePath()), file);
    EXPECT_EQ(m_page.FirmwareName(), "QVX Firmware 1.3.exe");
    EXPECT_FALSE(m_host.Take().empty());
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
    std::string TemplateWithZone(int key, const std::string& zone)
    {
        std::string text = m_config.GetConfigTemplate(key);
        m_config.SetTemplateTimeZone(zone, text);
        return WithCrLf(text);
    }

    CNoView m_view;
    CInstallerCore m_core{m_view};
    CConfigDownloader m_config{m_core};
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
    std::string Template() const { return ItemText(Page(), IDC_CFG_TEMPLATE); }

    CHost m_host;
    CDlgConfigDownload m_page{m_config};
};

TEST_F(ConfigPage, TextsEnablingAndTabOrder)
{
    EXPECT_EQ(StaticTexts(Page()),
              (std::vector<std::string>{"Generation Filter", "Desired Sign Configuration", "Time Zone",
                                        "Check Configuration", "Config File:", "32x80 Mono64 - Gen 1 Configuration:"}));
    const std::initializer_list<int> controls = {IDC_CFG_FILTERS, IDC_CFG_TYPES, IDC_CFG_TIME_ZONES, IDC_CFG_CHECK,
                                                 IDC_CFG_TEMPLATE};
    EXPECT_EQ(Enabled(Page(), controls), std::vector<bool>(5, false));
    m_page.EnablePage(true);
    EXPECT_EQ(Enabled(Page(), controls), std::vector<bool>(5, true));
    EXPECT_EQ(TabOrder(Page()), std::vector<int>(controls));

    // The view: read-only, not wrapped, in a fixed font.
    const HWND view = GetDlgItem(Page(), IDC_CFG_TEMPLATE);
    const LONG style = GetWindowLongW(view, GWL_STYLE);
    EXPECT_TRUE((style & ES_READONLY) && (style & ES_MULTILINE) && (style & ES_AUTOHSCROLL) && (style & WS_HSCROLL));
    const HDC dc = GetDC(view);
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(view, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(view, dc);
    EXPECT_EQ(metrics.tmPitchAndFamily & TMPF_FIXED_PITCH, 0) << "the bit is set for a variable pitch";
}

// The widest zone names are readable in the closed list up to their ';', whole in the open one.
TEST_F(ConfigPage, TimeZonesAreNotCutOff)
{
    const HWND zones = GetDlgItem(Page(), IDC_CFG_TIME_ZONES);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(zones, &info));
    const HDC dc = GetDC(zones);
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(zones, WM_GETFONT, 0, 0)));
    const auto width = [&](const std::string& text) {
        const std::wstring wide = WideText(text);
        SIZE extent{};
        GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &extent);
        return static_cast<int>(extent.cx);
    };
    const std::vector<std::string> names = Items(zones, true);
    ASSERT_NE(Index(names, kEastern), -1);
    int widest = 0;
    for (const std::string& name : names)
        widest = std::max(widest, width(name));
    const int eastern = width("(GMT-05:00) Eastern Time (US & Canada)");
    SelectObject(dc, old);
    ReleaseDC(zones, dc);
    EXPECT_GE(info.rcItem.right - info.rcItem.left, eastern);
    EXPECT_GE(SendMessageW(zones, CB_GETDROPPEDWIDTH, 0, 0), widest);
}

TEST_F(ConfigPage, TheTemplateFollowsTypeAndZoneAndCheckPostsTheKey)
{
    m_page.Refill();
    m_page.EnablePage(true);
    // The display's own type and zone.
    EXPECT_EQ(Items(GetDlgItem(Page(), IDC_CFG_FILTERS), true),
              (std::vector<std::string>{"All", "Gen 1", "Gen 2", "LX-7400", "Display Emulator"}));
    EXPECT_EQ(Selected(Page(), IDC_CFG_FILTERS, true), "All");
    EXPECT_EQ(Selected(Page(), IDC_CFG_TYPES, false), "32x80 Mono64 - Gen 1");
    EXPECT_EQ(Selected(Page(), IDC_CFG_TIME_ZONES, true), kCentral);
    EXPECT_EQ(m_page.SelectedTimeZone(), kCentral);
    EXPECT_EQ(m_config.CurrentTimeZone(), kCentral) << "the check compares with the zone shown";
    EXPECT_EQ(Label(), "32x80 Mono64 - Gen 1 Configuration:");
    EXPECT_EQ(Template(), TemplateWithZone(kConfigKey, kCentral));

    // Gen 2 has no 32x80 Mono64 of key 10: nothing selected, nothing shown, nothing checked.
    SelectCombo(Page(), IDC_CFG_FILTERS, 2);
    EXPECT_EQ(Items(GetDlgItem(Page(), IDC_CFG_TYPES), false).size(), 7u);
    EXPECT_EQ(Selected(Page(), IDC_CFG_TYPES, false), "<none>");
    EXPECT_EQ(Label(), "");
    EXPECT_EQ(Template(), "");
    Click(Page(), IDC_CFG_CHECK);
    EXPECT_EQ(m_host.Take(), Posted{});

    SelectCombo(Page(), IDC_CFG_FILTERS, 1);
    const std::vector<std::string> gen1 = Items(GetDlgItem(Page(), IDC_CFG_TYPES), false);
    EXPECT_EQ(Selected(Page(), IDC_CFG_TYPES, false), "32x80 Mono64");
    SelectList(Page(), IDC_CFG_TYPES, Index(gen1, "32x128 Mono64"));
    EXPECT_EQ(Label(), "32x128 Mono64 Configuration:");
    const std::vector<std::string> zones = Items(GetDlgItem(Page(), IDC_CFG_TIME_ZONES), true);
    SelectCombo(Page(), IDC_CFG_TIME_ZONES, Index(zones, kEastern));
    EXPECT_EQ(m_config.CurrentTimeZone(), kEastern);
    const std::string shown = Template();
    EXPECT_EQ(shown, TemplateWithZone(9, kEastern));
    EXPECT_NE(shown.find("zn=\"-300\""), std::string::npos);

    Click(Page(), IDC_CFG_CHECK);
    EXPECT_EQ(m_host.Take(), (Posted{{winmsg::kCheckConfiguration, 9}}));
    SelectList(Page(), IDC_CFG_TYPES, -1);
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

// The display's own type where the list has it, else none; the display's zone where the list has
// it, else none; Download only with both.
TEST_P(ConfigDialog, PreselectsTheDisplaysTypeAndZone)
{
    const DialogCase& c = GetParam();
    ConfigurationLists lists = m_config.DialogLists();
    ASSERT_EQ(lists.nDisplayKey, kConfigKey);
    lists.nDisplayKey = c.displayKey;
    if (c.initialZone != nullptr)
        lists.initialTimeZone = c.initialZone;
    CHost host;
    bool opened = false;
    ConfigurationChoice choice{-2, "unchanged"};
    CModalDriver driver([&](HWND dialog) {
        opened = true;
        EXPECT_EQ(WindowTextOf(dialog), "Download Configuration");
        EXPECT_EQ(StaticTexts(dialog), (std::vector<std::string>{"&Generation Filter", "&Desired Sign Configuration",
                                                                 "&Time Zone", "Download Configuration", "Cancel"}));
        EXPECT_EQ(TabOrder(dialog).front(), IDC_DL_FILTERS);
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_DL_TYPES));
        RECT list{};
        GetClientRect(GetDlgItem(dialog, IDC_DL_TYPES), &list);
        const auto rowHeight = SendMessageW(GetDlgItem(dialog, IDC_DL_TYPES), LB_GETITEMHEIGHT, 0, 0);
        ASSERT_GT(rowHeight, 0);
        const auto rows = list.bottom / rowHeight;
        EXPECT_TRUE(rows >= 9 && rows <= 11) << rows << " rows in view";
        EXPECT_EQ(Items(GetDlgItem(dialog, IDC_DL_FILTERS), true), (std::vector<std::string>{"All", "Gen 1", "Gen 2"}));
        EXPECT_EQ(Selected(dialog, IDC_DL_TYPES, false), c.type);
        EXPECT_EQ(Selected(dialog, IDC_DL_TIME_ZONES, true), c.zone);
        EXPECT_EQ(IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE, c.downloadOn);
        EXPECT_EQ(SendMessageW(dialog, DM_GETDEFID, 0, 0), MAKELRESULT(IDOK, DC_HASDEFID));
        // Enter while Download is off does nothing (the choice below would not be taken).
        if (!c.downloadOn)
            SendMessageW(dialog, WM_COMMAND, IDOK, 0);
        // Gen 2 lacks key 10: none, and no download.
        SelectCombo(dialog, IDC_DL_FILTERS, 2);
        EXPECT_EQ(Selected(dialog, IDC_DL_TYPES, false), "<none>");
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
        // A type and a zone chosen: Download is on and takes them.
        SelectCombo(dialog, IDC_DL_FILTERS, 1);
        const std::vector<std::string> types = Items(GetDlgItem(dialog, IDC_DL_TYPES), false);
        SelectList(dialog, IDC_DL_TYPES, Index(types, "32x128 Mono64"));
        SelectCombo(dialog, IDC_DL_TIME_ZONES, Index(Items(GetDlgItem(dialog, IDC_DL_TIME_ZONES), true), kEastern));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
        Click(dialog, IDOK);
    });
    ASSERT_TRUE(RunConfigDownload(host.Hwnd(), lists, choice));
    EXPECT_TRUE(opened);
    EXPECT_EQ(choice.nKey, 9);
    EXPECT_EQ(choice.strTimeZone, kEastern);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConfigDialog,
    ::testing::Values(DialogCase{"OwnType", kConfigKey, nullptr, "32x80 Mono64 - Gen 1", kCentral, true},
                      DialogCase{"TypeAbsent", 99, nullptr, "<none>", kCentral, false},
                      DialogCase{"ZoneMissing", kConfigKey, "(GMT+6:30) Rangoon", "32x80 Mono64 - Gen 1", "<none>",
                                 false}),
    [](const ::testing::TestParamInfo<DialogCase>& info) { return std::string(info.param.name); });

// Esc is Cancel: no choice, whatever was selected.
TEST_F(ConfigFixture, DialogEscapeCancels)
{
    const ConfigurationLists lists = m_config.DialogLists();
    CHost host;
    ConfigurationChoice choice{-2, "unchanged"};
    CModalDriver driver([](HWND dialog) {
        // What the dialog's loop makes of Esc on the focused list.
        MSG message{GetDlgItem(dialog, IDC_DL_TYPES), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
        IsDialogMessageW(dialog, &message);
    });
    EXPECT_FALSE(RunConfigDownload(host.Hwnd(), lists, choice));
    EXPECT_TRUE(CModalDriver::Ran());
    EXPECT_EQ(choice.nKey, -2);
}

TEST(ConfigDialogLists, WithoutTypesNothingToChoose)
{
    ConfigurationLists lists;
    lists.filters = {{0, "All"}};
    lists.timeZones = {kCentral};
    lists.initialTimeZone = kCentral;
    CHost host;
    ConfigurationChoice choice;
    CModalDriver driver([](HWND dialog) {
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
        Click(dialog, IDCANCEL);
    });
    EXPECT_FALSE(RunConfigDownload(host.Hwnd(), lists, choice));
    EXPECT_TRUE(CModalDriver::Ran());
}

} // namespace
