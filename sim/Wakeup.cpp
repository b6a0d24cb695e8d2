#include "sim/Wakeup.h"

#include <poll.h>
#include <sys/eventfd.h>

#include <cerrno>
#include <cstdint>

namespace qvxsim {

namespace {

// Waiting on the fd wakes a few hundred microseconds late at worst; the last stretch before the
// deadline is slept with an absolute clock_nanosleep instead, which does not drift.
constexpr std::chrono::milliseconds kFinalStretch{2};

} // namespace

Wakeup::Wakeup() : m_fd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

void Wakeup::Signal()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = write(m_fd.Get(), &one, sizeof one);
}

bool Wakeup::Signalled() const
{
    pollfd p{m_fd.Get(), POLLIN, 0};
    return poll(&p, 1, 0) > 0;
}

bool Wakeup::SleepUntil(MonoTime deadline) const
{
    for (;;) {
        const MonoTime remaining = deadline - MonotonicNow();
        if (remaining <= kFinalStretch)
            break;
        const timespec wait = ToTimespec(remaining - kFinalStretch);
        pollfd p{m_fd.Get(), POLLIN, 0};
        if (ppoll(&p, 1, &wait, nullptr) > 0)
            return false;
    }
    const timespec until = ToTimespec(deadline);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
    return !Signalled();
}

} // namespace qvxsim
