// The verification test wizard on Windows, driven with window messages as a technician's keys and
// clicks arrive: its pages, texts and buttons, the store number box, the hold-time rules, the link
// handed back; and the check pages' pictures. Most cases run the wizard over a core without a
// connection: each step runs (and its link operations fail) and the wizard goes on, as it does
// whatever the link did. The last ones open it from the main window over the harness's stand-in
// controller (WindowLine.h).
#include "WindowLine.h"
#include "WindowRig.h"

#include "connection/CapturingView.h"
#include "connection/InstallerCore.h"
#include "winwindow/app/AppResources.h"
#include "winwindow/verify/BoardPicture.h"
#include "winwindow/verify/VerificationTestWizard.h"
#include "winwindow/verify/VerifyResources.h"
#include "winwindow/verify/WizardResources.h"
#include "winwindow/widgets/Dialog.h"
#include "winwindow/widgets/UiCalls.h"
#include "winwindow/widgets/WinText.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace {

using Wizard = CVerificationTestWizard;

// The sheet's own buttons.
constexpr int kBack = 0x3023;
constexpr int kNext = 0x3024;
constexpr int kFinish = 0x3025;

const VerificationDisplay kRgb32x80{80, 32, 24, false, false};
const VerificationDisplay kMono48x144{144, 48, 6, false, false};
const VerificationDisplay kWindowedFirmwareLine{144, 48, 24, true, true};

class CControlsEnvironment final : public ::testing::Environment {
public:
    void SetUp() override
    {
        InitWindowControls();
    }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new CControlsEnvironment);

// The sheet being driven: its dialog manager sees the keys first, as in the sheet's own loop.
HWND g_sheet = nullptr;

// Lets the posted messages in (the sheet sets its buttons by a posted message).
void Pump()
{
    MSG msg;
    for (int round = 0; round < 1000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++round) {
        if (g_sheet != nullptr && IsWindow(g_sheet) && PropSheet_IsDialogMessage(g_sheet, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// A key as the keyboard brings it, to the control with the focus.
void Key(UINT message, WPARAM key, LPARAM flags = 0)
{
    PostMessageW(GetFocus() != nullptr ? GetFocus() : g_sheet, message, key, flags);
    Pump();
}

// Alt and a letter: the control whose mnemonic it is.
void AltKey(char letter)
{
    constexpr LPARAM kAltDown = LPARAM(1) << 29;
    Key(WM_SYSCHAR, static_cast<WPARAM>(letter), kAltDown);
}

struct Buttons {
    bool back, next, finishShown, finish;
    friend bool operator==(const Buttons&, const Buttons&) = default;
};

std::ostream& operator<<(std::ostream& out, const Buttons& b)
{
    return out << "back " << b.back << " next " << b.next << " finish shown " << b.finishShown << " finish "
               << b.finish;
}

Buttons ButtonsOf(HWND sheet)
{
    const auto shown = [sheet](int id) { return IsWindowVisible(GetDlgItem(sheet, id)) != FALSE; };
    const auto on = [&](int id) { return shown(id) && IsWindowEnabled(GetDlgItem(sheet, id)) != FALSE; };
    return {on(kBack), on(kNext), shown(kFinish), on(kFinish)};
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string joined;
    for (const std::string& line : lines)
        joined += (joined.empty() ? "" : "|") + line;
    return joined;
}

void Press(HWND sheet, int button)
{
    PropSheet_PressButton(sheet, button);
    Pump();
}

void Click(HWND page, int id)
{
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    Pump();
}

// Keys typed into a box, one character after the other.
void Type(HWND page, int id, const std::string& keys)
{
    for (char key : keys)
        SendDlgItemMessageW(page, id, WM_CHAR, static_cast<unsigned char>(key), 0);
    Pump();
}

bool Enabled(HWND page, int id)
{
    return IsWindowEnabled(GetDlgItem(page, id)) != FALSE;
}

bool Shown(HWND page, int id)
{
    return IsWindowVisible(GetDlgItem(page, id)) != FALSE;
}

class WizardWinTest : public ::testing::Test {
protected:
    // Runs the wizard over display; drive looks at it once it is up. A drive that stops early
    // cancels it, so that the run always ends.
    WizardEnd RunWizard(const VerificationDisplay& display, const std::function<void(Wizard&, HWND)>& drive)
    {
        Wizard wizard(calls, core, 1, display);
        bool driven = false;
        const WizardEnd end = wizard.Run(nullptr, [&](HWND sheet) {
            driven = true;
            g_sheet = sheet;
            Pump();
            drive(wizard, sheet);
            if (wizard.Sheet() != nullptr && !m_bEnded)
                End(sheet, PSBTN_CANCEL);
            m_bEnded = false;
        });
        g_sheet = nullptr;
        EXPECT_TRUE(driven) << "the sheet did not come up";
        return end;
    }
    // The page showing, with its header title.
    HWND Page(Wizard& wizard, Wizard::PageId id)
    {
        EXPECT_EQ(wizard.CurrentPage(), id);
        return wizard.PageWindow(id);
    }
    // Finish or Cancel pressed by the drive itself.
    void End(HWND sheet, int button)
    {
        m_bEnded = true;
        PropSheet_PressButton(sheet, button);
    }
    // From message one to the factory page, sending both messages.
    void ToFactoryPage(Wizard& wizard, HWND sheet)
    {
        Click(Page(wizard, Wizard::MessageOnePage), IDC_SEND_MSG_ONE);
        Press(sheet, PSBTN_NEXT);
        HWND two = Page(wizard, Wizard::MessageTwoPage);
        Type(two, IDC_STORE_NUMBER, "4711");
        Click(two, IDC_SEND_MSG_TWO);
        Press(sheet, PSBTN_NEXT);
    }

    CCapturingView view;
    CInstallerCore core{view};
    CUiCalls calls;
    bool m_bEnded = false;
};

TEST_F(WizardWinTest, StandardDisplayWholeWizard)
{
    IPTANetListener* const coreListener = core.Session().Link().GetListener();
    const WizardEnd end = RunWizard(kRgb32x80, [&](Wizard& wizard, HWND sheet) {
        EXPECT_EQ(WindowTextOf(sheet), "Pellworth LED Reader Board Verification Test");
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(sheet, IDHELP)));
        EXPECT_EQ(wizard.PageWindow(Wizard::NotStandardPage), nullptr);
        EXPECT_NE(core.Session().Link().GetListener(), coreListener); // the test's while the wizard runs

        // Message one: no way on but "Send Message".
        HWND one = Page(wizard, Wizard::MessageOnePage);
        EXPECT_STREQ(Wizard::HeaderTitle(Wizard::MessageOnePage),
                     "Establish reader board communication with message one");
        EXPECT_EQ(ItemText(one, IDC_MSG_ONE_INTRO), "Click the \"Send Message\" button to send message one to the "
                                                    "sign.  The message will contain the following content:");
        EXPECT_EQ(ItemText(one, IDC_MSG_ONE_LINES),
                  "- Line One:  1111111111111 (Entire row is filled with the number one)\n"
                  "- Line Two:  2222222222222 (Entire row is filled with the number two)\n"
                  "- Line Three:  3333333333333 (Entire row is filled with the number three)");
        EXPECT_EQ(ItemText(one, IDC_SEND_MSG_ONE), "&Send Message");
        EXPECT_EQ(ButtonsOf(sheet), (Buttons{false, false, false, false}));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(sheet, IDCANCEL)));
        AltKey('s'); // "&Send Message"

        HWND checkOne = Page(wizard, Wizard::MessageOneCheckPage);
        EXPECT_EQ(ItemText(checkOne, IDC_CHECK_TEXT), "Verify that the sign is showing message one correctly by "
                                                      "taking a photo.  The sign should display something like the "
                                                      "following:");
        EXPECT_EQ(ButtonsOf(sheet), (Buttons{true, true, false, false}));
        EXPECT_EQ(Joined(wizard.PictureLines(Wizard::MessageOneCheckPage)),
                  "1111111111111|2222222222222|3333333333333|4444444444444");
        EXPECT_NE(SendDlgItemMessageW(checkOne, IDC_CHECK_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
        EXPECT_FALSE(Shown(checkOne, IDC_CHECK_NOTE));
        Press(sheet, PSBTN_NEXT);

        // Message two: "Send Message" only with a store number, which takes digits only.
        HWND two = Page(wizard, Wizard::MessageTwoPage);
        EXPECT_EQ(ItemText(two, IDC_MSG_TWO_INTRO), "Enter the store number and click the \"Send Message\" button to "
                                                    "send message two to the sign.  The message will contain the "
                                                    "following content:");
        EXPECT_EQ(ItemText(two, IDC_STORE_LINE), "- Line One:  Store Number");
        EXPECT_EQ(ItemText(two, IDC_DATE_LINE), "- Line Two:  Date");
        EXPECT_EQ(ItemText(two, IDC_TEMPERATURE_LINE), "- Line Three:  Temperature");
        EXPECT_EQ(ButtonsOf(sheet), (Buttons{true, false, false, false}));
        EXPECT_FALSE(Enabled(two, IDC_SEND_MSG_TWO));
        EXPECT_EQ(GetFocus(), GetDlgItem(two, IDC_STORE_NUMBER));
        Type(two, IDC_STORE_NUMBER, "90a-2 10");
        EXPECT_EQ(ItemText(two, IDC_STORE_NUMBER), "90210");
        EXPECT_TRUE(Enabled(two, IDC_SEND_MSG_TWO));
        SetDlgItemTextW(two, IDC_STORE_NUMBER, L"12x34567890123456789"); // pasted: digits kept, 16 at most
        EXPECT_EQ(ItemText(two, IDC_STORE_NUMBER), "1234567890123456");
        SetDlgItemTextW(two, IDC_STORE_NUMBER, L"");
        EXPECT_FALSE(Enabled(two, IDC_SEND_MSG_TWO));
        Type(two, IDC_STORE_NUMBER, "90210");
        // Enter in the box sends.
        const long long before = static_cast<long long>(std::time(nullptr));
        Key(WM_KEYDOWN, VK_RETURN);
        const long long after = static_cast<long long>(std::time(nullptr));

        HWND checkTwo = Page(wizard, Wizard::MessageTwoCheckPage);
        EXPECT_EQ(ButtonsOf(sheet), (Buttons{true, true, false, false}));
        // The number typed and today's date (no status read: no temperature).
        const std::string shown = Joined(wizard.PictureLines(Wizard::MessageTwoCheckPage));
        EXPECT_TRUE(shown == "Store: 90210|" + MessageDate(before) || shown == "Store: 90210|" + MessageDate(after))
            << shown;
        EXPECT_NE(SendDlgItemMessageW(checkTwo, IDC_CHECK_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
        Press(sheet, PSBTN_NEXT);

        // The factory page: no way back, Finish only after "Restore".
        HWND factory = Page(wizard, Wizard::FactoryPage);
        EXPECT_EQ(ItemText(factory, IDC_FACTORY_INTRO), "Click the \"Restore\" button to delete all Sable 2200 files "
                                                        "from the display and have the following messages display in "
                                                        "15 minute intervals.");
        EXPECT_EQ(ItemText(factory, IDC_FACTORY_MESSAGES), "- Opening Soon\n- Now Hiring\n- Flexibile Hours\n- Opening "
                                                           "Soon\n- Great Benefits\n- Paid Vacation\n- Opening Soon\n- "
                                                           "Join our Team");
        EXPECT_EQ(ItemText(factory, IDC_HOLD_TIME_LABEL), "Hold time for each frame");
        EXPECT_EQ(ButtonsOf(sheet), (Buttons{false, false, true, false}));
        EXPECT_FALSE(Shown(factory, IDC_FACTORY_WARNING));
        EXPECT_EQ(ItemText(factory, IDC_HOLD_TIME) + ' ' + ItemText(factory, IDC_HOLD_UNIT), "15 min");
        EXPECT_TRUE(Enabled(factory, IDC_HOLD_TIME) && Enabled(factory, IDC_HOLD_UNIT));
        AltKey('r'); // "&Restore"
        EXPECT_EQ(wizard.RestoredHoldTimeMs(), 900000u);
        EXPECT_FALSE(Enabled(factory, IDC_RESTORE) || Enabled(factory, IDC_HOLD_TIME) ||
                     Enabled(factory, IDC_HOLD_UNIT));
        EXPECT_EQ(ButtonsOf(sheet), (Buttons{false, false, true, true}));
        EXPECT_EQ(GetFocus(), GetDlgItem(sheet, kFinish)); // Enter finishes
        EXPECT_EQ(WindowTextOf(sheet), "Pellworth LED Reader Board Verification Test"); // on every page
        End(sheet, PSBTN_FINISH);
    });
    EXPECT_EQ(end, WizardEnd::Finished);
    std::string texts;
    for (const std::string& text : view.progressTexts)
        if (text != "Refreshing sign connection")
            texts += (texts.empty() ? "" : ", ") + text;
    EXPECT_EQ(texts, "Sending Verification Message 1, Sending Verification Message 2, Restoring Factory Messages");
    EXPECT_EQ(core.Session().Link().GetListener(), coreListener);
}

TEST_F(WizardWinTest, NotStandardDisplayWarnsFirstAndOnTheFactoryPage)
{
    RunWizard(kMono48x144, [&](Wizard& wizard, HWND sheet) {
        HWND page = Page(wizard, Wizard::NotStandardPage);
        EXPECT_STREQ(Wizard::HeaderTitle(Wizard::NotStandardPage), "Connected display is not a standard display");
        EXPECT_EQ(ItemText(page, IDC_NOT_STANDARD_INTRO), "WARNING!!  This display is not one of the standard "
                                                          "displays.  The standard displays are the following:");
        EXPECT_EQ(ItemText(page, IDC_STANDARD_DISPLAYS), "32x80 Monochrome or RGB\n32x128 Monochrome or RGB\n48x160 "
                                                         "Monochrome or RGB\n64x224 Monochrome or RGB");
        EXPECT_EQ(ItemText(page, IDC_NOT_STANDARD_CHOICES), "1.  Press \"Cancel\"  to exit the wizard   OR\n2.  Press "
                                                            "\"Next\" to continue the wizard, but skip unsupported "
                                                            "steps");
        EXPECT_EQ(ButtonsOf(sheet), (Buttons{false, true, false, false}));
        Press(sheet, PSBTN_NEXT);
        Page(wizard, Wizard::MessageOnePage);
        EXPECT_EQ(ButtonsOf(sheet), (Buttons{true, false, false, false})); // back to the warning
        ToFactoryPage(wizard, sheet);
        HWND factory = Page(wizard, Wizard::FactoryPage);
        EXPECT_TRUE(Shown(factory, IDC_FACTORY_WARNING) && Shown(factory, IDC_FACTORY_WARNING_TEXT));
        EXPECT_EQ(ItemText(factory, IDC_FACTORY_WARNING), "WARNING!!");
        EXPECT_EQ(ItemText(factory, IDC_FACTORY_WARNING_TEXT),
                  "These messages will not be loaded to the display since it is not one of the standard displays.");
        EXPECT_EQ(ButtonsOf(sheet), (Buttons{false, false, true, false}));
    });
}

TEST_F(WizardWinTest, WindowedDisplayOnTheFirmwareLine)
{
    RunWizard(kWindowedFirmwareLine, [&](Wizard& wizard, HWND sheet) {
        Page(wizard, Wizard::MessageOnePage); // standard on the firmware line
        Click(wizard.PageWindow(Wizard::MessageOnePage), IDC_SEND_MSG_ONE);
        EXPECT_EQ(Joined(wizard.PictureLines(Wizard::MessageOneCheckPage)),
                  "1111111111111|2222222222222|3333333333333|4444444444444");
        Press(sheet, PSBTN_NEXT);
        HWND two = Page(wizard, Wizard::MessageTwoPage);
        Type(two, IDC_STORE_NUMBER, "123456789"); // "Store: 123456789" is wider than the 80 x 32 window
        Click(two, IDC_SEND_MSG_TWO);
        HWND checkTwo = Page(wizard, Wizard::MessageTwoCheckPage);
        EXPECT_TRUE(Shown(checkTwo, IDC_CHECK_NOTE));
        EXPECT_EQ(ItemText(checkTwo, IDC_CHECK_NOTE),
                  "A line is wider than the display: the sign shows only the middle of it.");
        Press(sheet, PSBTN_NEXT);
        // The package set times itself: the hold time is not the technician's.
        HWND factory = Page(wizard, Wizard::FactoryPage);
        EXPECT_FALSE(Enabled(factory, IDC_HOLD_TIME) || Enabled(factory, IDC_HOLD_TIME_SPIN) ||
                     Enabled(factory, IDC_HOLD_UNIT));
        EXPECT_FALSE(Shown(factory, IDC_FACTORY_WARNING));
        EXPECT_TRUE(Enabled(factory, IDC_RESTORE));
    });
}

TEST_F(WizardWinTest, CancelHandsTheLinkBackAndLeavesTheConnection)
{
    IPTANetListener* const coreListener = core.Session().Link().GetListener();
    const WizardEnd end = RunWizard(kRgb32x80, [&](Wizard&, HWND sheet) {
        EXPECT_NE(core.Session().Link().GetListener(), coreListener);
        End(sheet, PSBTN_CANCEL);
    });
    EXPECT_EQ(end, WizardEnd::Cancelled);
    EXPECT_EQ(core.Session().Link().GetListener(), coreListener);
}

struct HoldCase {
    const char* name;
    const wchar_t* typed;
    std::vector<const char*> units; // chosen one after the other
    int key;                        // 0: none
    const char* shown;
    const char* note;
    const char* restored; // empty: "Restore" refused
    unsigned long ms;
};

// Typed into the box, then the units chosen, then an arrow key: the box and the note beside it;
// then "Restore" when it is offered, with the hold time sent. A hold time outside 1 .. a day is
// refused where it is typed, never changed behind the technician.
TEST_F(WizardWinTest, HoldTimeRules)
{
    const HoldCase cases[] = {
        {"15 min to sec", L"15", {"sec"}, 0, "900", "", "900 sec", 900000},
        {"and back", L"15", {"sec", "min"}, 0, "15", "", "15 min", 900000},
        {"15 min to hr is 0", L"15", {"hr"}, 0, "0", "Enter 1 to 24 hr", "", 0},
        {"0 min", L"0", {}, 0, "0", "Enter 1 to 1440 min", "", 0},
        {"above a day", L"2000", {}, 0, "2000", "Enter 1 to 1440 min", "", 0},
        {"above a day, in sec", L"1441", {"sec"}, 0, "86460", "Enter 1 to 86400 sec", "", 0},
        {"empty is 15 min", L"", {"sec"}, 0, "", "", " min", 900000},
        {"up at a day", L"1440", {}, VK_UP, "1440", "", "1440 min", 86400000},
        {"down from a day", L"1440", {}, VK_DOWN, "1439", "", "1439 min", 86340000},
        {"down at 1", L"1", {}, VK_DOWN, "1", "", "1 min", 60000},
        {"up from empty", L"", {}, VK_UP, "1", "", "1 min", 60000},
        {"up from 0", L"0", {}, VK_UP, "1", "", "1 min", 60000},
        {"down from above a day", L"2000", {}, VK_DOWN, "1440", "", "1440 min", 86400000},
        {"letters dropped", L"12x", {}, VK_UP, "13", "", "13 min", 780000},
        {"day in hr", L"1440", {"hr"}, VK_UP, "24", "", "24 hr", 86400000},
    };
    const auto choose = [](HWND page, const char* choice) {
        HWND unit = GetDlgItem(page, IDC_HOLD_UNIT);
        const std::wstring text = WideText(choice);
        SendMessageW(unit, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_HOLD_UNIT, CBN_SELCHANGE), reinterpret_cast<LPARAM>(unit));
    };
    const auto check = [&](Wizard& wizard, HWND sheet, const HoldCase& c) {
        SCOPED_TRACE(c.name);
        HWND page = Page(wizard, Wizard::FactoryPage);
        // From an empty box in minutes, as a technician who cleared it.
        SetDlgItemTextW(page, IDC_HOLD_TIME, L"");
        choose(page, "min");
        SetDlgItemTextW(page, IDC_HOLD_TIME, c.typed);
        for (const char* choice : c.units)
            choose(page, choice);
        if (c.key != 0) {
            SendDlgItemMessageW(page, IDC_HOLD_TIME, WM_KEYDOWN, static_cast<WPARAM>(c.key), 0);
            SendDlgItemMessageW(page, IDC_HOLD_TIME, WM_KEYUP, static_cast<WPARAM>(c.key), 0);
            Pump();
        }
        EXPECT_EQ(ItemText(page, IDC_HOLD_TIME), c.shown);
        EXPECT_EQ(ItemText(page, IDC_HOLD_TIME_NOTE), c.note);
        const bool offered = *c.restored != '\0';
        EXPECT_EQ(Enabled(page, IDC_RESTORE), offered);
        Click(page, IDC_RESTORE);
        EXPECT_EQ(wizard.RestoredHoldTimeMs(), c.ms);
        if (offered) {
            EXPECT_EQ(ItemText(page, IDC_HOLD_TIME) + ' ' + ItemText(page, IDC_HOLD_UNIT), c.restored);
        }
        EXPECT_EQ(ButtonsOf(sheet).finish, offered);
    };
    const auto toFactory = [](HWND sheet) {
        PropSheet_SetCurSel(sheet, nullptr, 4);
        Pump();
    };
    // The refused ones in one wizard (a sheet once shown takes Wine a while to take down); each
    // restore in a wizard of its own.
    RunWizard(kRgb32x80, [&](Wizard& wizard, HWND sheet) {
        toFactory(sheet);
        for (const HoldCase& c : cases)
            if (*c.restored == '\0')
                check(wizard, sheet, c);
    });
    for (const HoldCase& c : cases) {
        if (*c.restored == '\0')
            continue;
        RunWizard(kRgb32x80, [&](Wizard& wizard, HWND sheet) {
            toFactory(sheet);
            check(wizard, sheet, c);
        });
    }
}

// ---- The pictures -------------------------------------------------------------------------------

struct Pixel {
    int r, g, b, a = 255;
    friend bool operator==(const Pixel&, const Pixel&) = default;
};

std::ostream& operator<<(std::ostream& out, const Pixel& p)
{
    return out << p.r << ',' << p.g << ',' << p.b << " alpha " << p.a;
}

Pixel PixelAt(HBITMAP bitmap, int x, int y)
{
    DIBSECTION dib{};
    if (GetObjectW(bitmap, sizeof(dib), &dib) != sizeof(dib) || dib.dsBm.bmBits == nullptr)
        return {-1, -1, -1};
    // Top row first (a negative height).
    const auto* row = static_cast<const unsigned char*>(dib.dsBm.bmBits) + y * dib.dsBm.bmWidthBytes;
    return {row[x * 4 + 2], row[x * 4 + 1], row[x * 4], row[x * 4 + 3]};
}

// The pixels next to a lit LED's centre show its core fading to its rim.
bool LooksLit(const Pixel& p, bool amber)
{
    if (amber)
        return p.a == 255 && p.r == 255 && p.g > 180 && p.g < 226 && p.b > 60 && p.b < 150;
    return p.a == 255 && p.r > 225 && p.g > 225 && p.b > 235 && p.b >= p.r;
}

struct PictureCase {
    const char* name;
    bool amber;
    double scale;
    int width, height;
};

// Message one on 80 x 32: the case's corner shows the backdrop, an unlit LED is dark, a lit one
// amber for monochrome and white for RGB, all of it opaque; the picture grows with the scale.
TEST(BoardPicture, LedsInTheirColoursAtTheirScale)
{
    const PictureCase cases[] = {
        {"amber", true, 1.0, 508, 220},
        {"white", false, 1.0, 508, 220},
        {"amber at 192 dpi", true, 2.0, 1016, 440},
        {"amber, made smaller", true, 0.75, 382, 166},
    };
    const LedBoard board = MessageOneBoard(kRgb32x80);
    ASSERT_TRUE(board.IsLit(3, 0));
    ASSERT_FALSE(board.IsLit(0, 0));
    for (const PictureCase& c : cases) {
        SCOPED_TRACE(c.name);
        HBITMAP bitmap = DrawBoardBitmap(board, c.amber, c.scale, RGB(1, 2, 3));
        ASSERT_NE(bitmap, nullptr);
        BITMAP info{};
        GetObjectW(bitmap, sizeof(info), &info);
        EXPECT_EQ(info.bmWidth, c.width);
        EXPECT_EQ(info.bmHeight, c.height);
        const BoardGeometry geometry = BoardGeometryFor(board, c.scale);
        const auto centre = [&](int led) { return static_cast<int>(geometry.nBezel + (led + 0.5) * geometry.pitch); };
        EXPECT_EQ(PixelAt(bitmap, 0, 0), (Pixel{1, 2, 3}));
        EXPECT_TRUE(LooksLit(PixelAt(bitmap, centre(3), centre(0)), c.amber)) << PixelAt(bitmap, centre(3), centre(0));
        EXPECT_EQ(PixelAt(bitmap, centre(0), centre(0)), c.amber ? (Pixel{44, 30, 14}) : (Pixel{34, 34, 38}));
        EXPECT_EQ(PixelAt(bitmap, c.width / 2, static_cast<int>(6 * c.scale)), (Pixel{38, 38, 42})); // the case
        DeleteObject(bitmap);
    }
}

TEST(BoardPicture, ScaleFollowsTheScreenAndFitsTheArea)
{
    const LedBoard board = MessageOneBoard(kRgb32x80); // 508 x 220 at 96 dpi
    EXPECT_DOUBLE_EQ(BoardScaleToFit(board, 96, 2000, 2000), 1.0);
    EXPECT_DOUBLE_EQ(BoardScaleToFit(board, 192, 2000, 2000), 2.0);
    EXPECT_DOUBLE_EQ(BoardScaleToFit(board, 192, 508, 2000), 1.0);
    EXPECT_DOUBLE_EQ(BoardScaleToFit(board, 96, 2000, 110), 0.5);
    HBITMAP header = DrawHeaderBitmap(49, RGB(255, 255, 255));
    ASSERT_NE(header, nullptr);
    BITMAP info{};
    GetObjectW(header, sizeof(info), &info);
    EXPECT_EQ(info.bmWidth, 49);
    EXPECT_EQ(info.bmHeight, 49);
    DeleteObject(header);
}

// ---- From the main window, against the stand-in controller -------------------------------------

HWND CurrentPageOf(HWND sheet)
{
    return reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

bool WaitForPage(HWND sheet, int index)
{
    return CWindowRig::WaitUntil([&] {
        return SendMessageW(sheet, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(CurrentPageOf(sheet)), 0) == index;
    });
}

constexpr int kVerificationPage = 3;

// Auto Connect to the display with the recommended firmware, then "Start Wizard..." and the sheet
// it opens.
HWND OpenWizard(CWindowRig& rig)
{
    if (!rig.AutoConnect(windowline::kCom, windowline::kCurrentAddress))
        return nullptr;
    CWindowRig::Click(rig.Page(kVerificationPage), IDC_START_WIZARD);
    return rig.WaitForWindow(Wizard::kSheetTitle);
}

class WizardLineTest : public WindowLineTest {};

// Each step behind the progress window, on to the next page; Finish closes the connection.
TEST_F(WizardLineTest, WholeWizardThenDisconnected)
{
    CWindowRig rig;
    rig.Run([](CWindowRig& rig) {
        const HWND sheet = OpenWizard(rig);
        ASSERT_NE(sheet, nullptr);
        CWindowRig::Click(CurrentPageOf(sheet), IDC_SEND_MSG_ONE);
        ASSERT_TRUE(WaitForPage(sheet, 1));
        PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
        ASSERT_TRUE(WaitForPage(sheet, 2));
        CWindowRig::SetText(CurrentPageOf(sheet), IDC_STORE_NUMBER, "4711");
        CWindowRig::Click(CurrentPageOf(sheet), IDC_SEND_MSG_TWO);
        ASSERT_TRUE(WaitForPage(sheet, 3));
        PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
        ASSERT_TRUE(WaitForPage(sheet, 4));
        CWindowRig::Click(CurrentPageOf(sheet), IDC_RESTORE);
        ASSERT_TRUE(CWindowRig::WaitUntil([&] { return CWindowRig::IsEnabled(sheet, kFinish); }));
        PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
        EXPECT_TRUE(CWindowRig::WaitUntilGone(sheet));
        EXPECT_TRUE(CWindowRig::WaitUntil([&] { return !CWindowRig::IsEnabled(rig.Main(), IDC_DISCONNECT); }));
        EXPECT_TRUE(CWindowRig::IsEnabled(rig.Main(), IDC_AUTO_CONNECT));
    });
}

// Cancel leaves the display connected.
TEST_F(WizardLineTest, CancelKeepsTheConnection)
{
    CWindowRig rig;
    rig.Run([](CWindowRig& rig) {
        const HWND sheet = OpenWizard(rig);
        ASSERT_NE(sheet, nullptr);
        CWindowRig::Click(CurrentPageOf(sheet), IDC_SEND_MSG_ONE);
        ASSERT_TRUE(WaitForPage(sheet, 1));
        PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        EXPECT_TRUE(CWindowRig::WaitUntilGone(sheet));
        EXPECT_TRUE(CWindowRig::IsEnabled(rig.Main(), IDC_DISCONNECT));
        EXPECT_TRUE(CWindowRig::IsEnabled(rig.Page(kVerificationPage), IDC_START_WIZARD));
    });
}

} // namespace
