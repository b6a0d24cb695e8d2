#pragma once
// A restartable one-shot timer on a thread of its own: the core's keep-alive when the view has no
// timer of its own to offer.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class IKeepAliveTimer {
public:
    virtual ~IKeepAliveTimer() = default;
    // (Re)starts the countdown; when it runs out the handler given at construction is called once.
    virtual void Start(std::chrono::milliseconds period) = 0;
    virtual void Stop() = 0;
    // Ends it for good: once this returns no handler is running or will run. The owner calls it
    // before it takes apart what the handler uses.
    virtual void Shutdown() {}
};

class CThreadKeepAliveTimer final : public IKeepAliveTimer {
public:
    explicit CThreadKeepAliveTimer(std::function<void()> onExpired);
    ~CThreadKeepAliveTimer() override;
    CThreadKeepAliveTimer(const CThreadKeepAliveTimer&) = delete;
    CThreadKeepAliveTimer& operator=(const CThreadKeepAliveTimer&) = delete;

    void Start(std::chrono::milliseconds period) override;
    void Stop() override;
    // Ends the timer's thread and waits for it (a handler under way included).
    void Shutdown() override;

private:
    void Run();

    std::function<void()> m_onExpired;
    std::mutex m_lock;
    std::condition_variable m_changed;
    bool m_bArmed = false;
    bool m_bQuit = false;
    std::chrono::steady_clock::time_point m_deadline;
    std::thread m_thread;
};
