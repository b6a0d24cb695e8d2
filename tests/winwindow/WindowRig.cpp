#include "WindowRig.h"

#include "app/WindowParts.h"
#include "winwindow/widgets/Dialog.h"
#include "winwindow/widgets/WinText.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

struct WindowSearch {
    std::wstring title;
    HWND main;
    const std::vector<HWND>* except;
    HWND found;
};

BOOL CALLBACK FindTitled(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<WindowSearch*>(data);
    if (window == search->main || !IsWindowVisible(window))
        return TRUE;
    for (HWND skipped : *search->except)
        if (skipped == window)
            return TRUE;
    wchar_t title[256] = {};
    GetWindowTextW(window, title, 256);
    if (search->title == title) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

CWindowRig::CWindowRig(RigOptions options)
    : m_options(std::move(options)), m_app(std::make_unique<CPellworthTestApp>(std::vector<std::string>{}, m_out, m_out))
{
    InitWindowControls();
    m_app->GetCore().Runner().SetMode(RunMode::InView);
}

CWindowRig::~CWindowRig()
{
    if (m_app)
        m_app->UseConsoleView();
}

int CWindowRig::Run(const std::function<void(CWindowRig&)>& script)
{
    m_threadId = GetCurrentThreadId();
    m_calls = std::make_unique<CUiCalls>();
    WindowParts parts = WindowPartsOf(*m_app);
    parts.bAutoJob = m_options.bAutoJob;
    parts.strDisplaysFile = m_options.strDisplays;
    parts.baud = BaudChoice{true, 115200};
    m_window = std::make_unique<CDlgPellworthTestApp>(parts, *m_calls);
    m_app->UseView(*m_window);
    std::thread driver;
    const int status = m_window->Run([&](HWND opened) {
        m_main = opened;
        driver = std::thread([this, &script] {
            script(*this);
            // Whatever the script left open is closed, then the window with Exit.
            for (int round = 0; round < 50; ++round) {
                HWND box = WaitForWindow("QVXFirmInstaller", 0);
                if (box == nullptr)
                    break;
                PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
                PostMessageW(box, WM_COMMAND, IDNO, 0);
                WaitUntilGone(box, 2000);
            }
            PostMessageW(m_main, WM_CLOSE, 0, 0);
        });
    });
    if (driver.joinable())
        driver.join();
    m_app->GetCore().Session().Disconnect();
    m_app->UseConsoleView();
    m_calls->Close();
    return status;
}

HWND CWindowRig::Page(int index)
{
    HWND page = nullptr;
    OnWindowThread([&] { page = m_window->Page(index); });
    return page;
}

void CWindowRig::OnWindowThread(const std::function<void()>& fn)
{
    m_calls->Call(fn);
}

void CWindowRig::Click(HWND dialog, int id)
{
    PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

std::string CWindowRig::Text(HWND dialog, int id)
{
    wchar_t buffer[4096] = {};
    const LRESULT length =
        SendMessageW(GetDlgItem(dialog, id), WM_GETTEXT, sizeof buffer / sizeof buffer[0], reinterpret_cast<LPARAM>(buffer));
    return ToolTextOf(std::wstring_view(buffer, static_cast<std::size_t>(length > 0 ? length : 0)));
}

void CWindowRig::SetText(HWND dialog, int id, const std::string& text)
{
    const std::wstring wide = WideText(text);
    SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

bool CWindowRig::IsEnabled(HWND dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

void CWindowRig::Choose(HWND dialog, int id, int index)
{
    const HWND control = GetDlgItem(dialog, id);
    wchar_t className[32] = {};
    GetClassNameW(control, className, 32);
    const bool combo = std::wstring(className) == L"ComboBox";
    SendMessageW(control, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, combo ? CBN_SELCHANGE : LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(control));
}

bool CWindowRig::WaitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

HWND CWindowRig::WaitForWindow(const std::string& title, int timeoutMs, const std::vector<HWND>& except) const
{
    WindowSearch search{WideText(title), m_main, &except, nullptr};
    WaitUntil(
        [&] {
            search.found = nullptr;
            EnumThreadWindows(m_threadId, &FindTitled, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        timeoutMs);
    return search.found;
}

bool CWindowRig::WaitUntilGone(HWND window, int timeoutMs)
{
    return WaitUntil([window] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs);
}

std::string CWindowRig::BoxText(HWND box)
{
    return Text(box, 0xFFFF); // a message box's text is its static 65535
}

void CWindowRig::Answer(HWND box, int button)
{
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
}

std::vector<std::string> CWindowRig::LinesOf(HWND main)
{
    std::vector<std::string> lines;
    const HWND list = GetDlgItem(main, 1006);
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT at = 0; at < count; ++at) {
        const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(at), 0);
        if (length < 0)
            continue;
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(length));
        lines.push_back(ToolTextOf(text));
    }
    return lines;
}

bool CWindowRig::WaitForLine(const std::string& part, int timeoutMs) const
{
    return WaitUntil(
        [&] {
            for (const std::string& line : Lines())
                if (line.find(part) != std::string::npos)
                    return true;
            return false;
        },
        timeoutMs);
}

bool CWindowRig::ChoosePort(int port)
{
    const HWND list = GetDlgItem(m_main, 1005);
    const LRESULT count = SendMessageW(list, CB_GETCOUNT, 0, 0);
    for (LRESULT at = 0; at < count; ++at) {
        if (SendMessageW(list, CB_GETITEMDATA, static_cast<WPARAM>(at), 0) == port) {
            Choose(m_main, 1005, static_cast<int>(at));
            return WaitUntil([&] { return SendMessageW(list, CB_GETCURSEL, 0, 0) == at; });
        }
    }
    ADD_FAILURE() << "COM" << port << " is not in the list of " << count << " ports";
    return false;
}

bool CWindowRig::AutoConnect(int port, int address, std::vector<std::string>* asked)
{
    if (!ChoosePort(port))
        return false;
    SetText(m_main, 1002, std::to_string(address));
    const int before = m_window->AutoConnectsEnded();
    Click(m_main, 1000);
    WaitUntil([&] {
        if (HWND box = WaitForWindow("QVXFirmInstaller", 0)) {
            if (asked != nullptr)
                asked->push_back(BoxText(box));
            Answer(box, GetDlgItem(box, IDNO) != nullptr ? IDNO : IDOK);
            WaitUntilGone(box);
        }
        return m_window->AutoConnectsEnded() > before;
    });
    return IsEnabled(m_main, 1001);
}
