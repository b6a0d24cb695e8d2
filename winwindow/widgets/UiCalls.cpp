#include "winwindow/widgets/UiCalls.h"

#include "winwindow/widgets/Dialog.h"

#include <utility>

namespace {

constexpr UINT kRunPosted = WM_APP + 1;
constexpr UINT kRunCall = WM_APP + 2;
const wchar_t kClassName[] = L"QvxUiCalls";

ATOM RegisterCallsClass()
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW; // replaced once the window knows its object
    windowClass.hInstance = ProgramInstance();
    windowClass.lpszClassName = kClassName;
    return RegisterClassW(&windowClass);
}

} // namespace

CUiCalls::CUiCalls() : m_threadId(GetCurrentThreadId())
{
    static const ATOM registered = RegisterCallsClass();
    (void)registered;
    m_window = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ProgramInstance(), nullptr);
    if (m_window != nullptr) {
        SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetWindowLongPtrW(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CUiCalls::Procedure));
    }
}

CUiCalls::~CUiCalls()
{
    Close();
    if (m_window != nullptr) {
        for (const auto& [id, fn] : m_timers)
            KillTimer(m_window, id);
        SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
        DestroyWindow(m_window);
    }
}

void CUiCalls::Close()
{
    std::deque<std::function<void()>> dropped;
    std::lock_guard guard(m_lock);
    m_bClosed = true;
    dropped.swap(m_posted); // destroyed once the lock is left
}

void CUiCalls::Post(std::function<void()> fn)
{
    if (IsUiThread()) {
        // After what was posted before it from other threads.
        RunPosted();
        bool closed;
        {
            std::lock_guard guard(m_lock);
            closed = m_bClosed;
        }
        if (!closed)
            fn();
        return;
    }
    {
        std::lock_guard guard(m_lock);
        if (m_bClosed)
            return;
        m_posted.push_back(std::move(fn));
    }
    PostMessageW(m_window, kRunPosted, 0, 0);
}

bool CUiCalls::Call(const std::function<void()>& fn)
{
    if (IsUiThread()) {
        RunPosted();
        fn();
        return true;
    }
    {
        std::lock_guard guard(m_lock);
        if (m_bClosed)
            return false;
    }
    // A sent message: the window's thread takes it in its next look at its queue, also inside a
    // modal loop, and this thread waits for it.
    return SendMessageW(m_window, kRunCall, 0, reinterpret_cast<LPARAM>(&fn)) == 1;
}

void CUiCalls::RunPosted()
{
    for (;;) {
        std::function<void()> next;
        {
            std::lock_guard guard(m_lock);
            if (m_bClosed || m_posted.empty())
                return;
            next = std::move(m_posted.front());
            m_posted.pop_front();
        }
        next();
    }
}

void CUiCalls::StartTimer(UINT_PTR id, UINT period, std::function<void()> fn)
{
    Post([this, id, period, fn = std::move(fn)]() mutable {
        m_timers[id] = std::move(fn);
        SetTimer(m_window, id, period, nullptr);
    });
}

void CUiCalls::StopTimer(UINT_PTR id)
{
    Post([this, id] {
        KillTimer(m_window, id);
        m_timers.erase(id);
    });
}

void CUiCalls::OnTimer(UINT_PTR id)
{
    KillTimer(m_window, id);
    const auto found = m_timers.find(id);
    if (found == m_timers.end())
        return;
    std::function<void()> fn = std::move(found->second);
    m_timers.erase(found);
    fn();
}

void CUiCalls::WaitLettingCallsIn(HANDLE handle)
{
    for (;;) {
        const DWORD woke = MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_SENDMESSAGE);
        if (woke != WAIT_OBJECT_0 + 1)
            return; // the thread ended (or the handle is no good)
        // Takes the sent messages in; posted ones stay queued for the loop after the wait.
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

LRESULT CALLBACK CUiCalls::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* calls = reinterpret_cast<CUiCalls*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (calls == nullptr)
        return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case kRunPosted:
        calls->RunPosted();
        return 0;
    case kRunCall: {
        calls->RunPosted();
        {
            std::lock_guard guard(calls->m_lock);
            if (calls->m_bClosed)
                return 0;
        }
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return 1;
    }
    case WM_TIMER:
        calls->OnTimer(wParam);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}
