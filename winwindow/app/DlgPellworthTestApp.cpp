#include "winwindow/app/DlgPellworthTestApp.h"

#include "connection/InstallerCore.h"
#include "update/AutoConnect.h"
#include "update/AutomaticJob.h"
#include "update/ConfigDownload.h"
#include "update/FirmwareInstaller.h"
#include "update/package/FirmwareLine.h"
#include "winwindow/app/AboutBox.h"
#include "winwindow/app/AppResources.h"
#include "winwindow/update/ConfigDownloadDialog.h"
#include "winwindow/update/DlgProgress.h"
#include "winwindow/verify/VerificationTestWizard.h"
#include "winwindow/widgets/ListControls.h"
#include "winwindow/widgets/UiCalls.h"
#include "winwindow/widgets/WinText.h"
#include "winwindow/widgets/WindowMessages.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>

namespace {

const wchar_t kTitle[] = L"QVXFirmInstaller";
const char* const kPageTitles[CDlgPellworthTestApp::kPageCount] = {
    "Sable 2200 Actions", "Download Firmware", "Download Configuration", "Verification Test", "System"};

// Enough digits for any address typed; one outside 1..240 is refused when connecting.
constexpr int kAddressDigits = 9;
constexpr int kAddressLowest = 1;
constexpr int kAddressHighest = 240;
// The loop-back types' values in their list.
constexpr int kShortLoopBack = 0;
constexpr int kLongLoopBack = 1;
// How often an Exit that waits for an operation or a question is tried again.
constexpr UINT_PTR kExitRetryTimer = 5001;
constexpr UINT kExitRetryMs = 100;

struct ModalSearch {
    HWND main;
    HWND found;
};

BOOL CALLBACK FindModalWindow(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<ModalSearch*>(data);
    if (window != search->main && IsWindowVisible(window) && IsWindowEnabled(window) &&
        (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) == 0)
        search->found = window; // the last one listed is the one made first: keep looking
    return TRUE;
}

} // namespace

CDlgPellworthTestApp::CDlgPellworthTestApp(const WindowParts& parts, CUiCalls& calls)
    : m_core(parts.core), m_firmware(parts.firmware), m_config(parts.config), m_calls(calls), m_actions(parts.core),
      m_parts(parts), m_configPage(parts.config)
{
    m_pages[0] = &m_actionsPage;
    m_pages[1] = &m_firmwarePage;
    m_pages[2] = &m_configPage;
    m_pages[3] = &m_verificationPage;
    m_pages[4] = &m_systemPage;
}

CDlgPellworthTestApp::~CDlgPellworthTestApp()
{
    StopLoopBack();
    if (m_bigIcon != nullptr)
        DestroyIcon(m_bigIcon);
    if (m_smallIcon != nullptr)
        DestroyIcon(m_smallIcon);
}

int CDlgPellworthTestApp::Run(std::function<void(HWND)> opened)
{
    m_opened = std::move(opened);
    return RunModal(nullptr, IDD_QVX_MAIN) == -1 ? 1 : 0;
}

HWND CDlgPellworthTestApp::Page(int index) const
{
    return index >= 0 && index < kPageCount ? m_pages[index]->Hwnd() : nullptr;
}

// ---- Controls -----------------------------------------------------------------------------------

bool CDlgPellworthTestApp::OnInitDialog()
{
    AddSystemMenuEntry();
    m_bigIcon = static_cast<HICON>(LoadImageW(ProgramInstance(), MAKEINTRESOURCEW(IDI_QVX_APP), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    m_smallIcon = static_cast<HICON>(LoadImageW(ProgramInstance(), MAKEINTRESOURCEW(IDI_QVX_APP), IMAGE_ICON,
                                                GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    SendMessageW(Hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_bigIcon));
    SendMessageW(Hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon));

    SendMessageW(Item(IDC_ADDRESS), EM_LIMITTEXT, kAddressDigits, 0);
    SendMessageW(Item(IDC_ADDRESS_SPIN), UDM_SETRANGE32, kAddressLowest, kAddressHighest);
    SetItemText(Hwnd(), IDC_ADDRESS, "1");
    FillPorts();
    FillLoopTypes();
    SendMessageW(Item(IDC_LOOP_PROGRESS), PBM_SETRANGE32, 0, 100);
    SetItemText(Hwnd(), IDC_LOOP_RESULT, "Pass/Fail");
    // Enter connects (in the address field above all); it never presses Exit.
    SendMessageW(Hwnd(), DM_SETDEFID, IDC_AUTO_CONNECT, 0);

    BuildPages();
    EnableControls(false);
    ShowStoredLines(SIZE_MAX);
    // "a": the job starts once the window is up and its message loop runs.
    if (m_parts.bAutoJob)
        PostMessageW(Hwnd(), winmsg::kAutomaticJob, 0, 0);
    if (m_opened)
        m_opened(Hwnd());
    return true;
}

void CDlgPellworthTestApp::AddSystemMenuEntry()
{
    const HMENU menu = GetSystemMenu(Hwnd(), FALSE);
    if (menu == nullptr)
        return;
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, IDM_QVX_ABOUT, L"&About QVXFirmInstaller...");
}

void CDlgPellworthTestApp::BuildPages()
{
    RECT frame{};
    GetWindowRect(Item(IDC_PAGE_FRAME), &frame);
    MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&frame), 2);
    m_tabs = CreateWindowExW(0, WC_TABCONTROLW, L"tabs", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS,
                             frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top, Hwnd(),
                             reinterpret_cast<HMENU>(IDC_TABS), ProgramInstance(), nullptr);
    SendMessageW(m_tabs, WM_SETFONT, SendMessageW(Hwnd(), WM_GETFONT, 0, 0), FALSE);
    // In the Tab order after the loop-back group, before the message list.
    SetWindowPos(m_tabs, Item(IDC_LOOP_RESULT), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    for (int index = 0; index < kPageCount; ++index) {
        std::wstring title = WideText(kPageTitles[index]);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = title.data();
        SendMessageW(m_tabs, TCM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    }
    m_actionsPage.Create(Hwnd(), Hwnd());
    m_firmwarePage.Create(Hwnd(), Hwnd());
    m_configPage.Create(Hwnd(), Hwnd());
    m_verificationPage.Create(Hwnd(), Hwnd());
    m_systemPage.Create(Hwnd(), Hwnd());
    PlacePages();
    ShowPage(0);
}

void CDlgPellworthTestApp::PlacePages()
{
    RECT area{};
    GetWindowRect(m_tabs, &area);
    MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&area), 2);
    TabCtrl_AdjustRect(m_tabs, FALSE, &area);
    for (CPage* page : m_pages) {
        if (page->Hwnd() == nullptr)
            continue;
        // Above the tab control, and next to it in the Tab order.
        SetWindowPos(page->Hwnd(), m_tabs, area.left, area.top, area.right - area.left, area.bottom - area.top,
                     SWP_NOACTIVATE);
    }
}

void CDlgPellworthTestApp::ShowPage(int index)
{
    if (index < 0 || index >= kPageCount)
        return;
    TabCtrl_SetCurSel(m_tabs, index);
    for (int page = 0; page < kPageCount; ++page)
        if (m_pages[page]->Hwnd() != nullptr)
            ShowWindow(m_pages[page]->Hwnd(), page == index ? SW_SHOW : SW_HIDE);
}

void CDlgPellworthTestApp::FillPorts()
{
    std::vector<lists::KeyedItem> ports;
    for (const ComPortChoice& port : CInstallerCore::FillComPortList())
        ports.emplace_back(port.nNumber, port.strName);
    const int chosen = SelectedPort();
    // The list sorts as text, as it always did: COM10 before COM2.
    lists::FillCombo(Item(IDC_COM_PORTS), ports);
    // Read again with the machine's ports of now: the chosen port stays chosen while it is there.
    ShowComPort(chosen > 0 ? chosen : 0);
}

void CDlgPellworthTestApp::FillLoopTypes()
{
    lists::FillCombo(Item(IDC_LOOP_TYPE), {{kShortLoopBack, "Short"}, {kLongLoopBack, "Long"}});
    SendMessageW(Item(IDC_LOOP_TYPE), CB_SETCURSEL, 0, 0);
}

int CDlgPellworthTestApp::Address() const
{
    // As typed (digits only): ValidateDisplayAddress refuses what is out of range.
    const std::string text = ItemText(Hwnd(), IDC_ADDRESS);
    return text.empty() ? 0 : static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
}

int CDlgPellworthTestApp::SelectedPort() const
{
    return lists::ComboSelectedData(Item(IDC_COM_PORTS));
}

void CDlgPellworthTestApp::ShowComPort(int port)
{
    const HWND list = Item(IDC_COM_PORTS);
    if (port == 0) {
        SendMessageW(list, CB_SETCURSEL, SendMessageW(list, CB_GETCOUNT, 0, 0) > 0 ? 0 : static_cast<WPARAM>(-1), 0);
        return;
    }
    if (port < 0 || lists::SelectComboData(list, port))
        return;
    // A port the list did not have when it was read: shown all the same, since it is worked.
    const LRESULT at =
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideText("COM" + std::to_string(port)).c_str()));
    if (at < 0)
        return;
    SendMessageW(list, CB_SETITEMDATA, static_cast<WPARAM>(at), port);
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
}

void CDlgPellworthTestApp::EnableControls(bool connected)
{
    const auto enable = [this](int id, bool on) { EnableWindow(Item(id), on ? TRUE : FALSE); };
    // While a loop-back test runs its own buttons stay as it set them.
    if (!m_bLoopRunning) {
        enable(IDC_AUTO_CONNECT, !connected);
        enable(IDC_LOOP_START, !connected);
        enable(IDC_LOOP_CANCEL, false);
    }
    // A port plugged in while connected is there to choose once disconnected.
    if (m_bConnected && !connected)
        FillPorts();
    m_bConnected = connected;
    for (int id : {IDC_ADDRESS, IDC_ADDRESS_SPIN, IDC_COM_PORTS, IDC_LOOP_TYPE, IDC_LOOP_PROGRESS})
        enable(id, !connected);
    enable(IDC_DISCONNECT, connected);
    for (CPage* page : m_pages)
        if (page->Hwnd() != nullptr)
            page->EnablePage(connected);
    // The version of a display that is gone must not stand for the next one.
    if (!connected && m_firmwarePage.Hwnd() != nullptr)
        m_firmwarePage.SetCurrentFirmware(std::string());
}

// ---- The message list ---------------------------------------------------------------------------

void CDlgPellworthTestApp::ShowStoredLines(std::size_t upTo)
{
    std::vector<std::string> lines;
    {
        std::lock_guard guard(m_lineLock);
        const std::size_t end = std::min(upTo == SIZE_MAX ? m_lines.size() : upTo + 1, m_lines.size());
        if (end <= m_nShown)
            return;
        lines.assign(m_lines.begin() + static_cast<std::ptrdiff_t>(m_nShown),
                     m_lines.begin() + static_cast<std::ptrdiff_t>(end));
        m_nShown = end;
    }
    const HWND list = Item(IDC_MESSAGES);
    const HDC dc = GetDC(list);
    const HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    for (const std::string& line : lines) {
        const std::wstring text = WideText(line);
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        // A line wider than all before it widens the scroll range; a narrower one never shrinks it.
        if (size.cx + metrics.tmAveCharWidth > m_nWidest) {
            m_nWidest = size.cx + metrics.tmAveCharWidth;
            SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(m_nWidest + 10), 0);
        }
        const LRESULT at = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        if (at >= 0)
            SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(at), 0);
    }
    SelectObject(dc, oldFont);
    ReleaseDC(list, dc);
}

void CDlgPellworthTestApp::ShowMessageLine(const std::string& line)
{
    std::size_t index;
    {
        std::lock_guard guard(m_lineLock);
        index = m_lines.size();
        m_lines.push_back(line);
    }
    // Always posted, so that lines keep their order whichever thread reports them.
    if (Hwnd() != nullptr)
        PostMessageW(Hwnd(), winmsg::kShowMessage, index, 0);
}

void CDlgPellworthTestApp::ClearMessageLines()
{
    std::size_t upTo;
    {
        std::lock_guard guard(m_lineLock);
        upTo = m_lines.size();
    }
    m_calls.Post([this, upTo] {
        {
            std::lock_guard guard(m_lineLock);
            m_nShown = std::max(m_nShown, upTo);
        }
        SendMessageW(Item(IDC_MESSAGES), LB_RESETCONTENT, 0, 0);
    });
}

// ---- Handlers -----------------------------------------------------------------------------------

void CDlgPellworthTestApp::OnCommand(int id, int code, HWND control)
{
    // Enter on a page's focused button comes here with the page's id for it (the System page's
    // 1017 is also the loop-back's): it goes to its page.
    if (control != nullptr && GetParent(control) != Hwnd()) {
        SendMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
        return;
    }
    if (id == IDC_COM_PORTS && code == CBN_DROPDOWN) {
        FillPorts(); // an adapter plugged in since is there to choose
        return;
    }
    if (code != BN_CLICKED)
        return;
    // Enter reaches a disabled default button too.
    if (control == nullptr && id != IDOK && id != IDCANCEL && !IsWindowEnabled(Item(id)))
        return;
    switch (id) {
    case IDC_AUTO_CONNECT:
        if (IsWindowEnabled(Item(IDC_AUTO_CONNECT)))
            OnAutoConnect();
        break;
    case IDC_DISCONNECT:
        OnDisconnect();
        break;
    case IDC_LOOP_START:
        OnStartLoopBack();
        break;
    case IDC_LOOP_CANCEL:
        OnCancelLoopBack();
        break;
    case IDOK: // Exit
        OnExit();
        break;
    default: // IDCANCEL: the main window does not close on Esc
        break;
    }
}

bool CDlgPellworthTestApp::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    result = 0;
    switch (message) {
    case winmsg::kShowMessage:
        ShowStoredLines(wParam);
        return true;
    case winmsg::kAbort:
        m_core.Cancel();
        return true;
    case winmsg::kStartPattern:
        m_actions.StartTestPattern(Address(), static_cast<int>(wParam));
        return true;
    case winmsg::kStopPattern:
        m_actions.StopTestPattern(Address());
        return true;
    case winmsg::kResetDisplay:
        m_actions.ResetDisplay(Address());
        return true;
    case winmsg::kMemoryCleanup:
        m_actions.MemoryCleanup(Address());
        return true;
    case winmsg::kSetTimeDate:
        m_actions.SetTimeDate(Address(), static_cast<std::uint32_t>(std::time(nullptr)));
        return true;
    case winmsg::kDownloadFirmware:
        OnDownloadFirmware(wParam != 0);
        return true;
    case winmsg::kFirmwareFileChanged:
        OnFirmwareFileChanged();
        return true;
    case winmsg::kCheckConfiguration:
        OnCheckConfiguration(static_cast<int>(wParam));
        return true;
    case winmsg::kStartWizard:
        OnStartWizard();
        return true;
    case winmsg::kAutomaticJob:
        RunAutomaticJob();
        return true;
    case winmsg::kStepProgress:
    case winmsg::kSetProgressSteps:
        if (m_progress != nullptr && m_progress->Hwnd() != nullptr)
            SendMessageW(m_progress->Hwnd(), message, wParam, 0);
        return true;
    case winmsg::kLoopBackProgress:
        OnLoopBackProgress(static_cast<unsigned long>(wParam), static_cast<unsigned long>(lParam));
        return true;
    case winmsg::kLoopBackEnded:
        OnLoopBackEnded(static_cast<CLoopbackTest::Result>(wParam));
        return true;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->hwndFrom == m_tabs && header->code == TCN_SELCHANGE)
            ShowPage(TabCtrl_GetCurSel(m_tabs));
        return false;
    }
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == IDM_QVX_ABOUT) {
            RunAboutBox(Hwnd());
            return true;
        }
        return false;
    case WM_CLOSE:
        OnExit(); // the close box is Exit
        return true;
    case WM_TIMER:
        if (wParam != kExitRetryTimer)
            return false;
        KillTimer(Hwnd(), kExitRetryTimer);
        OnExit();
        return true;
    default:
        return false;
    }
}

void CDlgPellworthTestApp::OnAutoConnect()
{
    m_firmwarePage.SetCurrentFirmware(std::string());
    const int result = AutoConnect(m_core, m_firmware, m_config, SelectedPort(), Address(), m_parts.baud);
    ++m_nAutoConnects;
    if (result != CONNECT_OK)
        return;
    m_firmwarePage.SetCurrentFirmware(m_core.Session().GetFirmwareVersion());
    m_firmwarePage.SetRecommendedFirmware(RecommendedFirmwareVersion(m_core.Session().IsFirmwareLine()));
    // A file chosen for an earlier display is judged again for this display's firmware line.
    if (m_firmwarePage.IsOtherFirmware())
        OnFirmwareFileChanged();
    m_configPage.Refill();
    ShowPage(0);
}

void CDlgPellworthTestApp::OnDisconnect()
{
    m_actions.DisconnectDisplay();
}

void CDlgPellworthTestApp::OnDownloadFirmware(bool other)
{
    m_firmware.DownloadFirmwareFromPage(other ? 1 : 0, m_firmwarePage.FirmwarePath(), Address());
}

void CDlgPellworthTestApp::OnFirmwareFileChanged()
{
    const std::string path = m_firmwarePage.FirmwarePath();
    if (!m_firmwarePage.IsOtherFirmware() || path.empty()) {
        m_firmwarePage.ShowFileCheck(std::string());
        return;
    }
    const ExternalFirmwareCheck check = CheckExternalFirmware(path, m_core.Session().IsFirmwareLine());
    m_firmwarePage.ShowFileCheck(check.bOk ? "Version: " + check.strVersion : check.strReason);
}

void CDlgPellworthTestApp::OnCheckConfiguration(int key)
{
    m_config.CheckConfiguration(key, Address(), m_configPage.SelectedTimeZone());
}

void CDlgPellworthTestApp::OnStartWizard()
{
    // Finish ends the verification with the connection closed; Cancel leaves it open.
    if (RunVerificationWizard(Hwnd(), m_calls, m_core, Address()) == WizardEnd::Finished)
        OnDisconnect();
}

void CDlgPellworthTestApp::OnExit()
{
    if (m_progress != nullptr || !IsWindowEnabled(Hwnd())) {
        ExitWhenIdle();
        return;
    }
    StopLoopBack();
    m_core.Session().Disconnect();
    End(IDOK);
}

void CDlgPellworthTestApp::ExitWhenIdle()
{
    // A stop signal or the close box while the window waits on something: nothing may be left
    // waiting for an operator who is gone.
    m_core.Cancel();
    std::vector<HWND> modal;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM list) {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&modal));
    for (HWND window : modal) {
        if (window == Hwnd() || !IsWindowVisible(window) || (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) != 0)
            continue;
        PostMessageW(window, WM_COMMAND, IDNO, 0);
        PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    }
    SetTimer(Hwnd(), kExitRetryTimer, kExitRetryMs, nullptr);
}

void CDlgPellworthTestApp::RunAutomaticJob()
{
    // The job's result comes from the error lines the store keeps, with or without a log file.
    m_core.Messages().SetLogging(true);
    CAutomaticUpdateJob job(m_core, m_firmware, m_parts.strDisplaysFile);
    job.SetParallel(m_parts.bParallel);
    if (!m_parts.strDisplaysAsGiven.empty())
        job.SetDisplayListNames(m_parts.strDisplaysAsGiven, m_parts.strDisplaysLookedAt);
    m_nJobResult = job.RunAutomaticUpdates();
}

// ---- The loop-back test: on a thread of its own, while no display is connected ------------------

void CDlgPellworthTestApp::OnStartLoopBack()
{
    if (m_bLoopRunning)
        return;
    StopLoopBack(); // joins a thread that has ended
    m_bAutoConnectWasEnabled = IsWindowEnabled(Item(IDC_AUTO_CONNECT)) != FALSE;
    EnableWindow(Item(IDC_AUTO_CONNECT), FALSE);
    EnableWindow(Item(IDC_LOOP_START), FALSE);
    EnableWindow(Item(IDC_LOOP_CANCEL), TRUE);
    SetItemText(Hwnd(), IDC_LOOP_RESULT, "Testing...");
    const bool longTest = lists::ComboSelectedData(Item(IDC_LOOP_TYPE)) == kLongLoopBack;
    m_bLoopCancel = false;
    SendMessageW(Item(IDC_LOOP_PROGRESS), PBM_SETPOS, 0, 0);
    m_bLoopRunning = true;
    const HWND window = Hwnd();
    m_loopThread = std::thread([this, window, port = SelectedPort(), longTest] {
        CLoopbackTest test(m_core);
        const CLoopbackTest::Outcome outcome = test.Run(
            port, longTest ? CLoopbackTest::Kind::Long : CLoopbackTest::Kind::Short,
            [window](unsigned long done, unsigned long total) {
                PostMessageW(window, winmsg::kLoopBackProgress, done, static_cast<LPARAM>(total));
            },
            [this] { return m_bLoopCancel.load(); });
        PostMessageW(window, winmsg::kLoopBackEnded, static_cast<WPARAM>(outcome.result), 0);
    });
}

void CDlgPellworthTestApp::OnLoopBackProgress(unsigned long done, unsigned long total)
{
    if (!m_bLoopRunning)
        return;
    SendMessageW(Item(IDC_LOOP_PROGRESS), PBM_SETPOS, static_cast<WPARAM>(CLoopbackTest::ProgressPercent(done, total)),
                 0);
}

void CDlgPellworthTestApp::OnCancelLoopBack()
{
    m_bLoopCancel = true;
    SetItemText(Hwnd(), IDC_LOOP_CANCEL, "Cancelling...");
    EnableWindow(Item(IDC_LOOP_CANCEL), FALSE);
}

void CDlgPellworthTestApp::OnLoopBackEnded(CLoopbackTest::Result result)
{
    StopLoopBack();
    SetItemText(Hwnd(), IDC_LOOP_RESULT, CLoopbackTest::ResultText(result));
    SetItemText(Hwnd(), IDC_LOOP_CANCEL, "Cancel Test");
    EnableWindow(Item(IDC_LOOP_START), m_bConnected ? FALSE : TRUE);
    EnableWindow(Item(IDC_LOOP_CANCEL), FALSE);
    EnableWindow(Item(IDC_AUTO_CONNECT), m_bAutoConnectWasEnabled && !m_bConnected ? TRUE : FALSE);
}

void CDlgPellworthTestApp::StopLoopBack()
{
    if (!m_loopThread.joinable())
        return;
    m_bLoopCancel = true;
    m_loopThread.join();
    m_bLoopRunning = false;
}

// ---- IInstallerView -----------------------------------------------------------------------------

HWND CDlgPellworthTestApp::ModalOwner() const
{
    // A modal window of ours over the main window (the wizard, a dialog) owns the next one.
    ModalSearch search{Hwnd(), nullptr};
    if (!IsWindowEnabled(Hwnd()))
        EnumThreadWindows(GetCurrentThreadId(), &FindModalWindow, reinterpret_cast<LPARAM>(&search));
    return search.found != nullptr ? search.found : Hwnd();
}

void CDlgPellworthTestApp::RunWithProgress(const std::function<void()>& work, ProgressKind kind)
{
    if (m_calls.IsUiThread()) {
        RunProgressHere(work, kind);
        return;
    }
    // The keep-alive's refresh comes from the core's timer thread. When another window is up
    // (an operation, a question) the line is busy by itself, and the refresh is not needed.
    m_calls.Call([&] {
        if (m_progress != nullptr || Hwnd() == nullptr || !IsWindowEnabled(Hwnd()))
            return;
        RunProgressHere(work, kind);
    });
}

void CDlgPellworthTestApp::RunProgressHere(const std::function<void()>& work, ProgressKind kind)
{
    const bool stepped = kind == ProgressKind::Stepped;
    const HANDLE ended = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread worker;
    const auto startWorker = [&](HWND progressWindow) {
        worker = std::thread([&work, ended, progressWindow] {
            work();
            if (progressWindow != nullptr)
                PostMessageW(progressWindow, winmsg::kCloseProgress, 0, 0);
            SetEvent(ended);
        });
    };
    CDlgProgress progress(stepped, stepped ? 1 : 5, Hwnd(), [&] { startWorker(progress.Hwnd()); });
    CDlgProgress* outer = m_progress; // an operation inside another (the "a" job's steps) nests
    m_progress = &progress;
    progress.Run(ModalOwner());
    if (!worker.joinable())
        startWorker(nullptr); // the window could not be made: the work runs all the same
    // After Abort the window closes at once; the worker ends at its next look at the token.
    if (ended != nullptr)
        CUiCalls::WaitLettingCallsIn(ended);
    worker.join();
    if (ended != nullptr)
        CloseHandle(ended);
    m_progress = outer;
}

void CDlgPellworthTestApp::SetProgressText(const std::string& text)
{
    m_calls.Post([this, text] {
        if (m_progress != nullptr)
            m_progress->SetText(text);
    });
}

namespace {

std::string OneRow(const std::string& allLines)
{
    std::string row;
    for (const char c : allLines)
        row += c == '\n' ? std::string("  |  ") : std::string(1, c);
    return row;
}

} // namespace

void CDlgPellworthTestApp::SetLineProgressText(int, const std::string&, const std::string& allLines)
{
    SetProgressText(OneRow(allLines));
}

void CDlgPellworthTestApp::EndLineProgress(int, const std::string& allLines)
{
    SetProgressText(OneRow(allLines));
}

void CDlgPellworthTestApp::SetProgressSteps(int steps)
{
    if (Hwnd() != nullptr)
        PostMessageW(Hwnd(), winmsg::kSetProgressSteps, static_cast<WPARAM>(steps), 0); // the window clamps it
}

void CDlgPellworthTestApp::StepProgress()
{
    if (Hwnd() != nullptr)
        PostMessageW(Hwnd(), winmsg::kStepProgress, 0, 0);
}

void CDlgPellworthTestApp::EnableAbort(bool enable)
{
    m_calls.Post([this, enable] {
        if (m_progress != nullptr && m_progress->Hwnd() != nullptr)
            SendMessageW(m_progress->Hwnd(), winmsg::kEnableAbort, enable ? 1 : 0, 0);
    });
}

bool CDlgPellworthTestApp::AskYesNo(const std::string& question)
{
    bool yes = false;
    m_calls.Call([&] {
        ShowStoredLines(SIZE_MAX); // what led to the question is in the list first
        yes = MessageBoxW(ModalOwner(), WideText(question).c_str(), kTitle, MB_YESNO | MB_ICONQUESTION) == IDYES;
    });
    return yes;
}

void CDlgPellworthTestApp::ShowMessageBox(const std::string& text)
{
    m_calls.Call([&] {
        ShowStoredLines(SIZE_MAX);
        MessageBoxW(ModalOwner(), WideText(text).c_str(), kTitle, MB_OK | MB_ICONINFORMATION);
    });
}

bool CDlgPellworthTestApp::ChooseConfiguration(const ConfigurationLists& lists, ConfigurationChoice& choice)
{
    bool chosen = false;
    m_calls.Call([&] { chosen = RunConfigDownload(ModalOwner(), lists, choice); });
    return chosen;
}

void CDlgPellworthTestApp::ShowSessionState(const SessionState& state)
{
    m_calls.Post([this, state] {
        // A worker's state can arrive after a later one shown at once on this thread.
        if (state.nVersion <= m_session.nVersion || Hwnd() == nullptr)
            return;
        if (state.bConnected != m_bConnected)
            EnableControls(state.bConnected);
        if (state.nPlaced != m_session.nPlaced) {
            SetItemText(Hwnd(), IDC_ADDRESS, std::to_string(state.nAddress));
            ShowComPort(state.nPort);
        }
        m_session = state;
    });
}

void CDlgPellworthTestApp::ShowDisplayLists(const std::vector<InfoRow>& config, const std::vector<InfoRow>& status)
{
    m_calls.Post([this, config, status] {
        if (Hwnd() == nullptr)
            return;
        m_actionsPage.ShowLists(config, status);
        ShowPage(0);
    });
}
