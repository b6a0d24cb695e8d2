#include "app/SignalWatch.h"

#include "app/win32/ConsoleEvents.h"

#include <windows.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

int SignalOfConsoleEvent(unsigned long event)
{
    switch (event) {
    case CTRL_C_EVENT:
        return stopsignal::kInterrupt;
    case CTRL_BREAK_EVENT:
        return stopsignal::kTerminate;
    case CTRL_CLOSE_EVENT:
        return stopsignal::kHangUp;
    default:
        return 0;
    }
}

namespace {

// Events on their way from the system's handler thread to the watch's thread.
struct EventQueue {
    std::vector<int> watched;
    std::mutex lock;
    std::condition_variable wake;
    std::deque<int> pending;
    bool stopping = false;
};

// The live watch's queue. The system calls the handler on a thread it makes for each event; the
// lock keeps the watch from going while the handler hands it one. An SRWLOCK needs no
// destruction, so a handler still running while the process exits finds it intact.
SRWLOCK g_queueLock = SRWLOCK_INIT;
EventQueue* g_queue = nullptr;

BOOL WINAPI OnConsoleEvent(DWORD event)
{
    const int signal = SignalOfConsoleEvent(event);
    bool queued = false;
    AcquireSRWLockShared(&g_queueLock);
    if (signal != 0 && g_queue != nullptr &&
        std::find(g_queue->watched.begin(), g_queue->watched.end(), signal) != g_queue->watched.end()) {
        {
            std::lock_guard guard(g_queue->lock);
            g_queue->pending.push_back(signal);
        }
        g_queue->wake.notify_one();
        queued = true;
    }
    ReleaseSRWLockShared(&g_queueLock);
    if (!queued)
        return FALSE; // the next handler decides; the system's own ends the process
    // Once this returns from a close event the system ends the process at once (and after a few
    // seconds' grace in any case): wait, so the run aborts, writes its job line and closes the
    // port; main's return then ends the process with the run's own status.
    if (event == CTRL_CLOSE_EVENT)
        Sleep(INFINITE);
    return TRUE;
}

} // namespace

struct CSignalWatch::Impl {
    EventQueue queue;
    std::thread thread;
    bool installed = false;
};

CSignalWatch::CSignalWatch(std::initializer_list<int> signals, std::function<void(int)> onSignal)
    : m_impl(std::make_unique<Impl>())
{
    EventQueue& queue = m_impl->queue;
    queue.watched.assign(signals.begin(), signals.end());
    m_impl->thread = std::thread([this, &queue, onSignal = std::move(onSignal)] {
        for (;;) {
            int signal = 0;
            {
                std::unique_lock guard(queue.lock);
                queue.wake.wait(guard, [&] { return queue.stopping || !queue.pending.empty(); });
                if (queue.pending.empty())
                    return; // the watch is going
                signal = queue.pending.front();
                queue.pending.pop_front();
            }
            int expected = 0;
            m_firstSignal.compare_exchange_strong(expected, signal);
            onSignal(signal);
        }
    });
    AcquireSRWLockExclusive(&g_queueLock);
    g_queue = &queue;
    ReleaseSRWLockExclusive(&g_queueLock);
    m_impl->installed = SetConsoleCtrlHandler(OnConsoleEvent, TRUE) != 0;
}

CSignalWatch::~CSignalWatch()
{
    if (m_impl->installed)
        SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    AcquireSRWLockExclusive(&g_queueLock);
    g_queue = nullptr;
    ReleaseSRWLockExclusive(&g_queueLock);
    {
        std::lock_guard guard(m_impl->queue.lock);
        m_impl->queue.stopping = true;
    }
    m_impl->queue.wake.notify_one();
    if (m_impl->thread.joinable())
        m_impl->thread.join();
}
