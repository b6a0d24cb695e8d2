#include "connection/KeepAliveTimer.h"

CThreadKeepAliveTimer::CThreadKeepAliveTimer(std::function<void()> onExpired)
    : m_onExpired(std::move(onExpired)), m_thread([this] { Run(); })
{
}

CThreadKeepAliveTimer::~CThreadKeepAliveTimer()
{
    Shutdown();
}

void CThreadKeepAliveTimer::Shutdown()
{
    {
        std::lock_guard guard(m_lock);
        m_bQuit = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}

void CThreadKeepAliveTimer::Start(std::chrono::milliseconds period)
{
    {
        std::lock_guard guard(m_lock);
        m_bArmed = true;
        m_deadline = std::chrono::steady_clock::now() + period;
    }
    m_changed.notify_all();
}

void CThreadKeepAliveTimer::Stop()
{
    {
        std::lock_guard guard(m_lock);
        m_bArmed = false;
    }
    m_changed.notify_all();
}

void CThreadKeepAliveTimer::Run()
{
    std::unique_lock guard(m_lock);
    while (!m_bQuit) {
        if (!m_bArmed) {
            m_changed.wait(guard);
            continue;
        }
        if (m_changed.wait_until(guard, m_deadline) == std::cv_status::timeout && m_bArmed && !m_bQuit &&
            std::chrono::steady_clock::now() >= m_deadline) {
            m_bArmed = false;
            guard.unlock();
            m_onExpired();
            guard.lock();
        }
    }
}
