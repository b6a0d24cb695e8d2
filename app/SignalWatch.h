#pragma once
// Turns termination signals (SIGINT, SIGTERM, ...) into a call made on a thread of its own, so
// that the call may take locks and abort the link: a signal handler itself can do neither. While
// a watch lives it owns the handling of its signals; the old handling comes back when it goes.
// One watch at a time.
//
// Windows has no signals for this; its console events come as the signals below (Ctrl+C as
// SIGINT, Ctrl+Break as SIGTERM, a closed console window as SIGHUP), see win32/SignalWatch.cpp.

#include <atomic>
#include <csignal>
#include <functional>
#include <initializer_list>
#include <memory>

// The three requests to stop, by their POSIX numbers, which the exit statuses follow (128 + n).
namespace stopsignal {
constexpr int kInterrupt = SIGINT;
constexpr int kTerminate = SIGTERM;
#ifdef SIGHUP
constexpr int kHangUp = SIGHUP;
#else
constexpr int kHangUp = 1; // POSIX's number, so a closed console window also ends with 129
#endif
} // namespace stopsignal

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
