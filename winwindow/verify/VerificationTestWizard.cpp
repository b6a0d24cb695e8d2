#include "winwindow/verify/VerificationTestWizard.h"

#include "connection/InstallerCore.h"
#include "connection/KeepAliveTimer.h"
#include "files/DecimalText.h"
#include "verify/FactoryMessages.h"
#include "verify/HoldTime.h"
#include "verify/VerificationTest.h"
#include "winwindow/verify/BoardPicture.h"
#include "winwindow/verify/WizardResources.h"
#include "winwindow/widgets/Dialog.h"
#include "winwindow/widgets/UiCalls.h"
#include "winwindow/widgets/WinText.h"

#include <commctrl.h>

#include <algorithm>
#include <chrono>

namespace {

using PageId = CVerificationTestWizard::PageId;

const char kNotStandardTitle[] = "Connected display is not a standard display";
const char kMessageOneTitle[] = "Establish reader board communication with message one";
const char kMessageOneCheckTitle[] = "Verify Text Orientation and LED panels with message one";
const char kMessageTwoTitle[] = "Establish reader board communication with message two";
const char kMessageTwoCheckTitle[] = "Verify Text Orientation and LED panels with message two";
const char kFactoryTitle[] = "Restore Factory Pre-loaded messages";

// Where the check pages' picture goes, in dialog units (as in the pages' templates).
constexpr int kPictureLeft = 7;
constexpr int kPictureTop = 24;
constexpr int kPictureWidth = 303;
constexpr int kPictureHeight = 104;

const char kCutNote[] = "A line is wider than the display: the sign shows only the middle of it.";

// A store number is a few digits; the box takes no more than this.
constexpr int kMaxStoreDigits = 16;
// Enough digits for any hold time (a day in seconds has five).
constexpr int kMaxHoldDigits = 9;

// The sheet's Finish button.
constexpr int kFinishButton = 0x3025;

// Posted to the sheet once it is up: the caller's "shown" runs from its message loop.
constexpr UINT kSheetShown = WM_APP + 40;
constexpr UINT_PTR kSubclassId = 1;

// The header picture's side at 96 dots per inch, as the sheet's header expects it.
constexpr int kHeaderSide = 49;

int ScreenDpi()
{
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen != nullptr)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

// Drops from the box anything but digits (pasted text) and cuts it to maxDigits; written back
// only when it changed, with the caret at its end.
void KeepDigits(HWND dialog, int id, int maxDigits)
{
    const std::string text = ItemText(dialog, id);
    std::string digits;
    for (char ch : text)
        if (ch >= '0' && ch <= '9' && static_cast<int>(digits.size()) < maxDigits)
            digits += ch;
    if (digits != text) {
        SetItemText(dialog, id, digits);
        SendDlgItemMessageW(dialog, id, EM_SETSEL, digits.size(), digits.size());
    }
}

// ---- The wizard's keep-alive --------------------------------------------------------------------

// A window timer for the test's keep-alive: it fires on the window's thread, so the refresh runs
// there like any step. Start and Stop come from the link's workers too; the calls pass them over.
class CCallsKeepAliveTimer final : public IKeepAliveTimer {
public:
    CCallsKeepAliveTimer(CUiCalls& calls, std::function<void()> onExpired)
        : m_calls(calls), m_onExpired(std::move(onExpired))
    {
    }
    ~CCallsKeepAliveTimer() override { m_calls.StopTimer(CVerificationTestWizard::kKeepAliveTimerId); }
    CCallsKeepAliveTimer(const CCallsKeepAliveTimer&) = delete;
    CCallsKeepAliveTimer& operator=(const CCallsKeepAliveTimer&) = delete;

    void Start(std::chrono::milliseconds period) override
    {
        const long long ms = std::clamp<long long>(period.count(), USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
        m_calls.StartTimer(CVerificationTestWizard::kKeepAliveTimerId, static_cast<UINT>(ms), m_onExpired);
    }
    void Stop() override { m_calls.StopTimer(CVerificationTestWizard::kKeepAliveTimerId); }

private:
    CUiCalls& m_calls;
    std::function<void()> m_onExpired;
};

} // namespace

// ---- The pages ----------------------------------------------------------------------------------

// A page of the sheet: a dialog from its template whose procedure the sheet calls; the object
// outlives its window. Each page says which of the sheet's buttons it offers when it is shown.
class CWizardPage {
public:
    CWizardPage(CVerificationTestWizard& wizard, PageId id, int templateId)
        : m_wizard(wizard),
          m_id(id),
          m_nTemplate(templateId),
          m_title(WideText(CVerificationTestWizard::HeaderTitle(id))),
          m_sheetTitle(WideText(CVerificationTestWizard::kSheetTitle))
    {
    }
    virtual ~CWizardPage() = default;
    CWizardPage(const CWizardPage&) = delete;
    CWizardPage& operator=(const CWizardPage&) = delete;

    HPROPSHEETPAGE Make(int index)
    {
        m_nIndex = index;
        PROPSHEETPAGEW page{};
        page.dwSize = sizeof(page);
        // A wizard's title bar shows the page's title: the sheet's, on every page.
        page.dwFlags = PSP_USEHEADERTITLE | PSP_USETITLE;
        page.pszTitle = m_sheetTitle.c_str();
        page.hInstance = ProgramInstance();
        page.pszTemplate = MAKEINTRESOURCEW(m_nTemplate);
        page.pfnDlgProc = &CWizardPage::Procedure;
        page.lParam = reinterpret_cast<LPARAM>(this);
        page.pszHeaderTitle = m_title.c_str();
        return CreatePropertySheetPageW(&page);
    }

    PageId Id() const { return m_id; }
    HWND Hwnd() const { return m_hwnd; }
    int Index() const { return m_nIndex; }

protected:
    // The sheet's buttons while the page shows (PSWIZB_ flags).
    virtual DWORD Buttons() const = 0;
    virtual void OnInit() {}
    virtual void OnActive() {}
    virtual void OnCommand(int id, int code)
    {
        (void)id;
        (void)code;
    }
    // A notification other than the page's activation; true when handled, with its reply.
    virtual bool OnNotify(const NMHDR& header, LRESULT& reply)
    {
        (void)header;
        (void)reply;
        return false;
    }
    virtual void OnDestroy() {}

    HWND Item(int id) const { return GetDlgItem(m_hwnd, id); }
    bool IsFirst() const { return m_nIndex == 0; }
    void ShowButtons() const
    {
        if (m_hwnd != nullptr)
            PropSheet_SetWizButtons(GetParent(m_hwnd), Buttons());
    }

    CVerificationTestWizard& m_wizard;

private:
    static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_INITDIALOG) {
            const auto* sheetPage = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
            auto* page = reinterpret_cast<CWizardPage*>(sheetPage->lParam);
            SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
            page->m_hwnd = window;
            page->OnInit();
            return TRUE;
        }
        auto* page = reinterpret_cast<CWizardPage*>(GetWindowLongPtrW(window, DWLP_USER));
        if (page == nullptr)
            return FALSE;
        switch (message) {
        case WM_COMMAND:
            page->OnCommand(LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        case WM_NOTIFY: {
            const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
            LRESULT reply = 0;
            if (header.code == PSN_SETACTIVE) {
                page->m_wizard.OnPageActive(GetParent(window));
                page->ShowButtons();
                page->OnActive();
            } else if (!page->OnNotify(header, reply)) {
                return FALSE;
            }
            SetWindowLongPtrW(window, DWLP_MSGRESULT, reply);
            return TRUE;
        }
        case WM_NCDESTROY:
            SetWindowLongPtrW(window, DWLP_USER, 0);
            page->OnDestroy();
            page->m_hwnd = nullptr;
            return FALSE;
        default:
            return FALSE;
        }
    }

    PageId m_id;
    int m_nTemplate;
    std::wstring m_title;
    std::wstring m_sheetTitle;
    HWND m_hwnd = nullptr;
    int m_nIndex = 0;
};

namespace {

// Shown first for a display that none of the messages and factory sets are made for.
class CPPNotStandard final : public CWizardPage {
public:
    explicit CPPNotStandard(CVerificationTestWizard& wizard)
        : CWizardPage(wizard, CVerificationTestWizard::NotStandardPage, IDD_QVX_WIZ_NOT_STANDARD)
    {
    }

private:
    DWORD Buttons() const override { return PSWIZB_NEXT; }
};

// A page whose "Send Message" runs a step and then moves on; Next stays off (the step is the way on).
class CSendPage : public CWizardPage {
public:
    CSendPage(CVerificationTestWizard& wizard, PageId id, int templateId, int sendId)
        : CWizardPage(wizard, id, templateId), m_nSend(sendId)
    {
    }

protected:
    virtual void RunStep() = 0;
    virtual void OnPageCommand(int id, int code)
    {
        (void)id;
        (void)code;
    }
    int SendId() const { return m_nSend; }

private:
    DWORD Buttons() const override { return IsFirst() ? 0 : PSWIZB_BACK; }
    void OnCommand(int id, int code) override
    {
        if (id == m_nSend && code == BN_CLICKED)
            OnSend();
        else
            OnPageCommand(id, code);
    }
    void OnSend()
    {
        if (!IsWindowEnabled(Item(m_nSend)))
            return;
        RunStep();
        if (Hwnd() != nullptr && m_wizard.CurrentPage() == Id())
            m_wizard.MoveOn(*this);
    }

    int m_nSend;
};

class CPPMsgOne final : public CSendPage {
public:
    explicit CPPMsgOne(CVerificationTestWizard& wizard)
        : CSendPage(wizard, CVerificationTestWizard::MessageOnePage, IDD_QVX_WIZ_MSG_ONE, IDC_SEND_MSG_ONE)
    {
    }

private:
    void RunStep() override { m_wizard.SendMessageOne(); }
};

class CPPMsgTwo final : public CSendPage {
public:
    explicit CPPMsgTwo(CVerificationTestWizard& wizard)
        : CSendPage(wizard, CVerificationTestWizard::MessageTwoPage, IDD_QVX_WIZ_MSG_TWO, IDC_SEND_MSG_TWO)
    {
    }

private:
    void OnInit() override
    {
        SendDlgItemMessageW(Hwnd(), IDC_STORE_NUMBER, EM_LIMITTEXT, kMaxStoreDigits, 0);
        SetWindowSubclass(Item(IDC_STORE_NUMBER), &CPPMsgTwo::StoreBoxProcedure, kSubclassId,
                          reinterpret_cast<DWORD_PTR>(this));
        UpdateSend();
    }
    void OnActive() override
    {
        UpdateSend();
        // The page opens in the store number box (after the sheet has placed the focus).
        PostMessageW(Hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDC_STORE_NUMBER)), TRUE);
    }
    void OnPageCommand(int id, int code) override
    {
        if (id == IDC_STORE_NUMBER && code == EN_CHANGE) {
            KeepDigits(Hwnd(), IDC_STORE_NUMBER, kMaxStoreDigits);
            UpdateSend();
        }
    }
    void UpdateSend() const { EnableWindow(Item(SendId()), !ItemText(Hwnd(), IDC_STORE_NUMBER).empty()); }
    void RunStep() override { m_wizard.SendMessageTwo(ItemText(Hwnd(), IDC_STORE_NUMBER)); }

    // Enter in the box sends, as the button would; the sheet would take it for its own button.
    static LRESULT CALLBACK StoreBoxProcedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                              DWORD_PTR data)
    {
        auto* page = reinterpret_cast<CPPMsgTwo*>(data);
        switch (message) {
        case WM_GETDLGCODE: {
            const auto* msg = reinterpret_cast<const MSG*>(lParam);
            if (msg != nullptr && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN)
                return DLGC_WANTALLKEYS | DefSubclassProc(box, message, wParam, lParam);
            break;
        }
        case WM_KEYDOWN:
            if (wParam == VK_RETURN) {
                PostMessageW(page->Hwnd(), WM_COMMAND, MAKEWPARAM(page->SendId(), BN_CLICKED),
                             reinterpret_cast<LPARAM>(page->Item(page->SendId())));
                return 0;
            }
            break;
        case WM_CHAR:
            if (wParam == '\r')
                return 0; // no beep
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(box, &CPPMsgTwo::StoreBoxProcedure, kSubclassId);
            break;
        default:
            break;
        }
        return DefSubclassProc(box, message, wParam, lParam);
    }
};

} // namespace

// A photo check: the text and the picture of what the display should show, with a note when the
// display cannot show all of it.
class CCheckPage final : public CWizardPage {
public:
    CCheckPage(CVerificationTestWizard& wizard, PageId id, int templateId) : CWizardPage(wizard, id, templateId) {}
    ~CCheckPage() override { DropBitmap(); }

    void Show(const LedBoard& board, bool amber)
    {
        m_board = board;
        m_bAmber = amber;
        Draw();
    }
    const std::vector<std::string>& Lines() const { return m_board.lines; }

private:
    DWORD Buttons() const override { return PSWIZB_BACK | PSWIZB_NEXT; }
    void OnInit() override
    {
        SetItemText(Hwnd(), IDC_CHECK_NOTE, kCutNote);
        Draw();
    }
    void OnDestroy() override { DropBitmap(); }

    // The picture at the screen's scale, made smaller to fit its control.
    void Draw()
    {
        HWND picture = Item(IDC_CHECK_PICTURE);
        if (picture == nullptr)
            return; // drawn when the page is made
        // The template's place for it: the static shrinks to nothing without an image.
        const RECT area = DialogUnitsRect(Hwnd(), kPictureLeft, kPictureTop, kPictureWidth, kPictureHeight);
        const int width = area.right - area.left;
        const int height = area.bottom - area.top;
        const double scale = BoardScaleToFit(m_board, ScreenDpi(), width, height);
        HBITMAP bitmap = DrawBoardBitmap(m_board, m_bAmber, scale, GetSysColor(COLOR_BTNFACE));
        const auto previous = reinterpret_cast<HBITMAP>(
            SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
        // A static of the version 6 controls may keep a copy of its own: the one it gives back.
        if (previous != nullptr && previous != m_bitmap)
            DeleteObject(previous);
        DropBitmap();
        m_bitmap = bitmap;
        // Centred in its place (SS_CENTERIMAGE).
        SetWindowPos(picture, nullptr, area.left, area.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        ShowWindow(Item(IDC_CHECK_NOTE), m_board.bCut ? SW_SHOWNA : SW_HIDE);
    }
    void DropBitmap()
    {
        if (m_bitmap != nullptr)
            DeleteObject(m_bitmap);
        m_bitmap = nullptr;
    }

    LedBoard m_board;
    bool m_bAmber = true;
    HBITMAP m_bitmap = nullptr;
};

namespace {

class CPPFactoryMsgs final : public CWizardPage {
public:
    explicit CPPFactoryMsgs(CVerificationTestWizard& wizard)
        : CWizardPage(wizard, CVerificationTestWizard::FactoryPage, IDD_QVX_WIZ_FACTORY)
    {
    }

private:
    // No way back: the restore wipes what the earlier pages sent. Finish comes with the restore.
    DWORD Buttons() const override { return m_bRestored ? PSWIZB_FINISH : PSWIZB_DISABLEDFINISH; }

    void OnInit() override
    {
        HWND unit = Item(IDC_HOLD_UNIT);
        for (HoldUnit each : {HoldUnit::Seconds, HoldUnit::Minutes, HoldUnit::Hours}) {
            const LRESULT index =
                SendMessageW(unit, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideText(HoldUnitText(each)).c_str()));
            SendMessageW(unit, CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(each));
        }
        SendDlgItemMessageW(Hwnd(), IDC_HOLD_TIME, EM_LIMITTEXT, kMaxHoldDigits, 0);
        if (m_wizard.IsNotStandardDisplay()) {
            ShowWindow(Item(IDC_FACTORY_WARNING), SW_SHOWNA);
            ShowWindow(Item(IDC_FACTORY_WARNING_TEXT), SW_SHOWNA);
        } else {
            // Without the warning "Restore" takes its place.
            RECT warning{};
            GetWindowRect(Item(IDC_FACTORY_WARNING), &warning);
            MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&warning), 2);
            SetWindowPos(Item(IDC_RESTORE), nullptr, warning.left, warning.top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        const bool editable = m_wizard.IsHoldTimeEditable();
        for (int id : {IDC_HOLD_TIME, IDC_HOLD_TIME_SPIN, IDC_HOLD_UNIT})
            EnableWindow(Item(id), editable);

        SelectUnit(HoldUnit::Minutes);
        SetItemText(Hwnd(), IDC_HOLD_TIME, std::to_string(kDefaultHoldMinutes));
        UpdateRefusal();
    }

    void OnCommand(int id, int code) override
    {
        if (id == IDC_HOLD_TIME && code == EN_CHANGE) {
            KeepDigits(Hwnd(), IDC_HOLD_TIME, kMaxHoldDigits);
            UpdateRefusal();
        } else if (id == IDC_HOLD_UNIT && code == CBN_SELCHANGE) {
            OnUnitChanged();
        } else if (id == IDC_RESTORE && code == BN_CLICKED) {
            OnRestore();
        }
    }

    bool OnNotify(const NMHDR& header, LRESULT& reply) override
    {
        if (header.idFrom == IDC_HOLD_TIME_SPIN && header.code == UDN_DELTAPOS) {
            Step(reinterpret_cast<const NMUPDOWN&>(header).iDelta);
            reply = TRUE; // the box is set here, not by the arrows
            return true;
        }
        if (header.code == PSN_WIZFINISH) {
            m_wizard.OnFinish();
            reply = FALSE; // closes
            return true;
        }
        return false;
    }

    std::string Text() const { return ItemText(Hwnd(), IDC_HOLD_TIME); }
    long long Value() const { return DecimalValue(Text()); }

    HoldUnit CurrentUnit() const
    {
        HWND unit = Item(IDC_HOLD_UNIT);
        const LRESULT index = SendMessageW(unit, CB_GETCURSEL, 0, 0);
        if (index == CB_ERR)
            return m_shownUnit;
        return static_cast<HoldUnit>(SendMessageW(unit, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
    }

    // Without converting the box: it is set for the new unit by the caller. Selecting from here
    // sends no change.
    void SelectUnit(HoldUnit unit)
    {
        HWND list = Item(IDC_HOLD_UNIT);
        const LRESULT count = SendMessageW(list, CB_GETCOUNT, 0, 0);
        for (LRESULT index = 0; index < count && index < 8; ++index)
            if (static_cast<HoldUnit>(SendMessageW(list, CB_GETITEMDATA, static_cast<WPARAM>(index), 0)) == unit)
                SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SetRange(unit);
        UpdateRefusal();
    }

    void SetRange(HoldUnit unit)
    {
        m_shownUnit = unit;
        m_nMaximum = HoldTimeMaximum(unit);
        SendDlgItemMessageW(Hwnd(), IDC_HOLD_TIME_SPIN, UDM_SETRANGE32, 1, static_cast<LPARAM>(m_nMaximum));
    }

    // A hold time outside 1 .. a day is refused where it is typed: the note says what is taken and
    // "Restore" waits for it. An empty box is taken as the 15 minutes the messages are made for.
    bool IsRefused() const
    {
        const std::string text = Text();
        const long long value = DecimalValue(text);
        return !text.empty() && (value < 1 || value > m_nMaximum);
    }
    void UpdateRefusal()
    {
        const bool refused = IsRefused();
        SetItemText(Hwnd(), IDC_HOLD_TIME_NOTE,
                    refused ? "Enter 1 to " + std::to_string(m_nMaximum) + " " + HoldUnitText(m_shownUnit) : "");
        EnableWindow(Item(IDC_RESTORE), !m_bRestored && !refused);
    }

    // The arrows step within 1 .. a day; from an empty box or one out of range the first step lands
    // inside it.
    void Step(int steps)
    {
        const std::string text = Text();
        const long long start = text.empty() ? 1 - (steps > 0 ? 1 : 0) : Value();
        SetItemText(Hwnd(), IDC_HOLD_TIME, std::to_string(std::clamp(start + steps, 1LL, m_nMaximum)));
        SendDlgItemMessageW(Hwnd(), IDC_HOLD_TIME, EM_SETSEL, 0, -1);
    }

    // The value keeps its time: 15 min become 900 sec. An empty box stays empty.
    void OnUnitChanged()
    {
        const HoldUnit unit = CurrentUnit();
        const std::string text = Text();
        const HoldUnit from = m_shownUnit;
        SetRange(unit);
        if (!text.empty())
            SetItemText(Hwnd(), IDC_HOLD_TIME, std::to_string(ConvertHoldTime(DecimalValue(text), from, unit)));
        UpdateRefusal();
    }

    void OnRestore()
    {
        if (m_bRestored || IsRefused())
            return;
        const std::string text = Text();
        const HoldTime hold = ReadHoldTime(text, CurrentUnit());
        if (text.empty())
            SelectUnit(hold.unit);
        m_wizard.RestoreFactoryMessages(hold.nMilliseconds);
        m_bRestored = true;
        if (Hwnd() == nullptr)
            return;
        for (int id : {IDC_RESTORE, IDC_HOLD_TIME, IDC_HOLD_TIME_SPIN, IDC_HOLD_UNIT})
            EnableWindow(Item(id), FALSE);
        ShowButtons();
        // The focus was on "Restore": Finish has it next, once the sheet has enabled it.
        HWND sheet = GetParent(Hwnd());
        PostMessageW(sheet, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(sheet, kFinishButton)), TRUE);
    }

    HoldUnit m_shownUnit = HoldUnit::Minutes;
    long long m_nMaximum = 1;
    bool m_bRestored = false;
};

} // namespace

// ---- The wizard ---------------------------------------------------------------------------------

CVerificationTestWizard::CVerificationTestWizard(CUiCalls& calls, CInstallerCore& core, int address,
                                                 const VerificationDisplay& display)
    : m_calls(calls),
      m_core(core),
      m_display(display),
      m_bNotStandard(!IsStandardDisplay(display)),
      m_bHoldTimeEditable(!display.bFirmwareLine),
      m_bMonochrome(IsMonoBitCode(display.nColourBitCode))
{
    auto timer = std::make_unique<CCallsKeepAliveTimer>(calls, [this] {
        if (m_test)
            m_test->OnKeepAlive();
    });
    m_test = std::make_unique<CVerificationTest>(core, address, display, std::move(timer));

    if (m_bNotStandard)
        m_pages.push_back(std::make_unique<CPPNotStandard>(*this));
    m_pages.push_back(std::make_unique<CPPMsgOne>(*this));
    auto checkOne = std::make_unique<CCheckPage>(*this, MessageOneCheckPage, IDD_QVX_WIZ_MSG_ONE_CHECK);
    m_checkOne = checkOne.get();
    m_pages.push_back(std::move(checkOne));
    m_pages.push_back(std::make_unique<CPPMsgTwo>(*this));
    auto checkTwo = std::make_unique<CCheckPage>(*this, MessageTwoCheckPage, IDD_QVX_WIZ_MSG_TWO_CHECK);
    m_checkTwo = checkTwo.get();
    m_pages.push_back(std::move(checkTwo));
    m_pages.push_back(std::make_unique<CPPFactoryMsgs>(*this));

    // Message one's picture depends on the display alone; message two's on what is sent.
    m_checkOne->Show(MessageOneBoard(display), m_bMonochrome);
    m_checkTwo->Show(MessageTwoBoard(display, {}), m_bMonochrome);
}

CVerificationTestWizard::~CVerificationTestWizard()
{
    ReleaseLink();
    if (m_header != nullptr)
        DeleteObject(m_header);
}

void CVerificationTestWizard::ReleaseLink()
{
    m_test.reset();
}

WizardEnd CVerificationTestWizard::Run(HWND owner, std::function<void(HWND)> shown)
{
    m_shown = std::move(shown);
    m_bFinished = false;
    std::vector<HPROPSHEETPAGE> handles;
    for (std::size_t index = 0; index < m_pages.size(); ++index) {
        HPROPSHEETPAGE handle = m_pages[index]->Make(static_cast<int>(index));
        if (handle != nullptr)
            handles.push_back(handle);
    }
    if (m_header == nullptr)
        m_header = DrawHeaderBitmap(MulDiv(kHeaderSide, ScreenDpi(), 96), GetSysColor(COLOR_WINDOW));

    const std::wstring caption = WideText(kCaption);
    PROPSHEETHEADERW sheet{};
    sheet.dwSize = sizeof(sheet);
    sheet.dwFlags = PSH_WIZARD97 | PSH_HEADER | PSH_USEHBMHEADER | PSH_NOCONTEXTHELP;
    sheet.hwndParent = owner;
    sheet.hInstance = ProgramInstance();
    sheet.pszCaption = caption.c_str();
    sheet.nPages = static_cast<UINT>(handles.size());
    sheet.nStartPage = 0;
    sheet.phpage = handles.data();
    sheet.hbmHeader = m_header;
    if (!handles.empty()) {
        PropertySheetW(&sheet);
    }
    m_sheet = nullptr;
    ReleaseLink(); // also when the sheet could not be made
    return m_bFinished ? WizardEnd::Finished : WizardEnd::Cancelled;
}

void CVerificationTestWizard::OnPageActive(HWND sheet)
{
    if (m_sheet == sheet || sheet == nullptr)
        return;
    // The sheet is up: its title, the keep-alive, and the caller's look at it once its loop runs.
    m_sheet = sheet;
    SetWindowSubclass(sheet, &CVerificationTestWizard::SheetProcedure, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    SetWindowTextTo(sheet, kSheetTitle);
    if (m_test)
        m_test->StartKeepAlive();
    PostMessageW(sheet, kSheetShown, 0, 0);
}

LRESULT CALLBACK CVerificationTestWizard::SheetProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                                         UINT_PTR, DWORD_PTR data)
{
    auto* wizard = reinterpret_cast<CVerificationTestWizard*>(data);
    if (message == kSheetShown) {
        if (wizard->m_shown) {
            const std::function<void(HWND)> shown = std::move(wizard->m_shown);
            wizard->m_shown = nullptr;
            shown(window);
        }
        return 0;
    }
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, &CVerificationTestWizard::SheetProcedure, kSubclassId);
        wizard->m_sheet = nullptr;
        wizard->ReleaseLink(); // at once, not when the wizard goes
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

void CVerificationTestWizard::MoveOn(const CWizardPage& page)
{
    const int next = page.Index() + 1;
    if (m_sheet != nullptr && next < static_cast<int>(m_pages.size()))
        PropSheet_SetCurSel(m_sheet, nullptr, next);
}

CVerificationTestWizard::PageId CVerificationTestWizard::CurrentPage() const
{
    if (m_sheet == nullptr)
        return NoPage;
    HWND current = PropSheet_GetCurrentPageHwnd(m_sheet);
    for (const auto& page : m_pages)
        if (current != nullptr && page->Hwnd() == current)
            return page->Id();
    return NoPage;
}

HWND CVerificationTestWizard::PageWindow(PageId id) const
{
    for (const auto& page : m_pages)
        if (page->Id() == id)
            return page->Hwnd();
    return nullptr;
}

const char* CVerificationTestWizard::HeaderTitle(PageId id)
{
    switch (id) {
    case NotStandardPage: return kNotStandardTitle;
    case MessageOnePage: return kMessageOneTitle;
    case MessageOneCheckPage: return kMessageOneCheckTitle;
    case MessageTwoPage: return kMessageTwoTitle;
    case MessageTwoCheckPage: return kMessageTwoCheckTitle;
    case FactoryPage: return kFactoryTitle;
    case NoPage: break;
    }
    return "";
}

std::vector<std::string> CVerificationTestWizard::PictureLines(PageId id) const
{
    if (id == MessageOneCheckPage)
        return m_checkOne->Lines();
    if (id == MessageTwoCheckPage)
        return m_checkTwo->Lines();
    return {};
}

unsigned long CVerificationTestWizard::RestoredHoldTimeMs() const
{
    return m_nRestoredMs;
}

void CVerificationTestWizard::SendMessageOne()
{
    if (m_test)
        m_test->SendMessageOne();
}

void CVerificationTestWizard::SendMessageTwo(const std::string& storeNumber)
{
    if (!m_test)
        return;
    m_test->SendMessageTwo(storeNumber);
    // The picture shows what the display was sent: the number typed, the date of the clock just
    // set in the display's own zone and the temperature it last reported.
    std::vector<std::string> lines;
    {
        auto hold = m_core.Session().HoldLink();
        lines = SentMessageTwoLines(m_core.Session().StatusDoc(), storeNumber, m_test->ClockSetTo());
    }
    m_checkTwo->Show(MessageTwoBoard(m_display, lines), m_bMonochrome);
}

void CVerificationTestWizard::RestoreFactoryMessages(unsigned long holdTimeMs)
{
    if (!m_test)
        return;
    m_nRestoredMs = holdTimeMs;
    m_test->RestoreFactoryMessages(holdTimeMs);
}

WizardEnd RunVerificationWizard(HWND owner, CUiCalls& calls, CInstallerCore& core, int address)
{
    CVerificationTestWizard wizard(calls, core, address, ConnectedVerificationDisplay(core));
    return wizard.Run(owner);
}
