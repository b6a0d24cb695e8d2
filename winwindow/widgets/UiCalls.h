#pragma once
// Calls onto the window's thread from any thread. Workers never touch a control: they post a
// function, which the window's thread runs in the order posted, or make a call and wait for it
// (a question, a dialog). Window timers are set here too, so a worker can start and stop one.
//
// Made and destroyed on the window's thread; once closed, what has not started is dropped and a
// waiting call returns false. A wait of the window's thread (for a worker) must let sent calls in:
// WaitLettingCallsIn does.

#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <mutex>

class CUiCalls {
public:
    CUiCalls();
    ~CUiCalls();
    CUiCalls(const CUiCalls&) = delete;
    CUiCalls& operator=(const CUiCalls&) = delete;

    bool IsUiThread() const { return GetCurrentThreadId() == m_threadId; }

    // Runs fn on the window's thread later (at once when already there), in order.
    void Post(std::function<void()> fn);
    // Runs fn on the window's thread and waits; what was posted before runs first. False when
    // dropped (closed).
    bool Call(const std::function<void()>& fn);
    // Drops whatever has not started; later posts and calls are dropped.
    void Close();

    // A one-shot timer on the window's thread: fn runs once, period after the last Start. From any
    // thread.
    void StartTimer(UINT_PTR id, UINT period, std::function<void()> fn);
    void StopTimer(UINT_PTR id);

    // Waits for handle (a worker's end event) on the window's thread, letting calls sent by other
    // threads in meanwhile (a worker that asks a question before it ends).
    static void WaitLettingCallsIn(HANDLE handle);

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void RunPosted();
    void OnTimer(UINT_PTR id);

    DWORD m_threadId;
    HWND m_window = nullptr;
    std::mutex m_lock;
    std::deque<std::function<void()>> m_posted; // guarded by m_lock
    bool m_bClosed = false;                     // guarded by m_lock
    std::map<UINT_PTR, std::function<void()>> m_timers; // window's thread only
};
