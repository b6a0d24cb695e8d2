#pragma once
// Turns termination signals (SIGINT, SIGTERM, ...) into a call made on a thread of its own, so
// that the call may take locks and abort the link: a signal handler itself can do neither. While
// a watch lives it owns the handling of its signals; the old handling comes back when it goes.
// One watch at a time.

#include <atomic>
#include <functional>
#include <initializer_list>
#include <memory>

class CSignalWatch {
public:
    CSignalWatch(std::initializer_list<int> signals, std::function<void(int signal)> onSignal);
    ~CSignalWatch();
    CSignalWatch(const CSignalWatch&) = delete;
    CSignalWatch& operator=(const CSignalWatch&) = delete;

    // The first signal that came, or 0.
    int FirstSignal() const { return m_firstSignal; }

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    std::atomic<int> m_firstSignal{0};
};
