#include "winwindow/update/DlgProgress.h"

#include "winwindow/app/AppResources.h"
#include "winwindow/widgets/WinText.h"
#include "winwindow/widgets/WindowMessages.h"

#include <commctrl.h>

#include <algorithm>

namespace {
// The running indicator's step time in milliseconds.
constexpr int kMarqueeMs = 35;
constexpr INT_PTR kFinished = IDOK;
constexpr INT_PTR kAborted = IDCANCEL;
} // namespace

CDlgProgress::CDlgProgress(bool stepped, int stepSize, HWND mainWindow, std::function<void()> onShown)
    : m_bStepped(stepped), m_nStepSize(stepSize), m_mainWindow(mainWindow), m_onShown(std::move(onShown))
{
}

bool CDlgProgress::Run(HWND owner)
{
    return RunModal(owner, IDD_QVX_PROGRESS) == kAborted;
}

bool CDlgProgress::OnInitDialog()
{
    CentreOverMainWindow();
    CreateIndicator();
    SetItemText(Hwnd(), IDC_PROGRESS_TEXT, m_strText);
    // Enter must not abort a transfer by accident: no default button, and the focus off Abort.
    SendMessageW(Hwnd(), DM_SETDEFID, 0, 0);
    SetFocus(m_bar != nullptr ? m_bar : Hwnd());
    if (m_onShown)
        m_onShown();
    return false;
}

void CDlgProgress::CentreOverMainWindow()
{
    RECT main{};
    RECT own{};
    if (m_mainWindow == nullptr || !GetWindowRect(m_mainWindow, &main) || !GetWindowRect(Hwnd(), &own))
        return;
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    SetWindowPos(Hwnd(), nullptr, main.left + (main.right - main.left - width) / 2,
                 main.top + (main.bottom - main.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CDlgProgress::CreateIndicator()
{
    RECT frame{};
    const HWND placeholder = Item(IDC_PROGRESS_FRAME);
    GetWindowRect(placeholder, &frame);
    MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&frame), 2);
    const DWORD style = WS_CHILD | WS_VISIBLE | (m_bStepped ? PBS_SMOOTH : PBS_MARQUEE);
    m_bar = CreateWindowExW(0, PROGRESS_CLASSW, L"", style, frame.left, frame.top, frame.right - frame.left,
                            frame.bottom - frame.top, Hwnd(), reinterpret_cast<HMENU>(IDC_PROGRESS_BAR),
                            ProgramInstance(), nullptr);
    if (m_bar == nullptr)
        return;
    if (m_bStepped) {
        SendMessageW(m_bar, PBM_SETRANGE32, static_cast<WPARAM>(m_nLower), m_nSteps);
        SendMessageW(m_bar, PBM_SETPOS, static_cast<WPARAM>(m_nLower), 0);
    } else {
        SendMessageW(m_bar, PBM_SETMARQUEE, TRUE, kMarqueeMs);
    }
}

void CDlgProgress::SetText(const std::string& text)
{
    m_strText = text;
    if (Hwnd() != nullptr)
        SetItemText(Hwnd(), IDC_PROGRESS_TEXT, text);
}

int CDlgProgress::Position() const
{
    return m_nPosition;
}

int CDlgProgress::Steps() const
{
    return m_nSteps;
}

void CDlgProgress::Step()
{
    if (!m_bStepped)
        return;
    // Clamped at the upper end: a step too many leaves the bar full.
    m_nPosition = static_cast<int>(std::clamp<long long>(static_cast<long long>(m_nPosition) + m_nStepSize, m_nLower,
                                                         std::max(m_nLower, m_nSteps)));
    if (m_bar != nullptr)
        SendMessageW(m_bar, PBM_SETPOS, static_cast<WPARAM>(m_nPosition), 0);
}

void CDlgProgress::OnAbort()
{
    if (m_bEnding || !IsWindowEnabled(Item(IDC_PROGRESS_ABORT)))
        return;
    m_bEnding = true;
    SendMessageW(m_mainWindow, winmsg::kAbort, 0, 0);
    End(kAborted);
}

void CDlgProgress::OnCommand(int id, int code, HWND)
{
    // Esc comes as IDCANCEL: it is Abort. Enter (IDOK) does nothing.
    if ((id == IDC_PROGRESS_ABORT && code == BN_CLICKED) || id == IDCANCEL)
        OnAbort();
}

bool CDlgProgress::OnMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result)
{
    result = 0;
    switch (message) {
    case winmsg::kCloseProgress:
        if (!m_bStepped && m_bar != nullptr)
            SendMessageW(m_bar, PBM_SETMARQUEE, FALSE, 0);
        m_bEnding = true;
        End(kFinished);
        return true;
    case winmsg::kEnableAbort:
        EnableWindow(Item(IDC_PROGRESS_ABORT), wParam != 0 ? TRUE : FALSE);
        return true;
    case winmsg::kStepProgress:
        Step();
        return true;
    case winmsg::kSetProgressSteps:
        m_nSteps = std::max(0, static_cast<int>(wParam));
        if (m_bStepped && m_bar != nullptr)
            SendMessageW(m_bar, PBM_SETRANGE32, static_cast<WPARAM>(m_nLower), m_nSteps);
        return true;
    case WM_CLOSE:
        // The title bar's close is Abort, or nothing once Abort is disabled.
        OnAbort();
        return true;
    default:
        return false;
    }
}
