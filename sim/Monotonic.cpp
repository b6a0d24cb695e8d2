#include "sim/Monotonic.h"

namespace qvxsim {

MonoTime MonotonicNow()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec);
}

timespec ToTimespec(MonoTime t)
{
    const auto secs = std::chrono::duration_cast<std::chrono::seconds>(t);
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(secs.count());
    ts.tv_nsec = static_cast<long>((t - secs).count());
    return ts;
}

} // namespace qvxsim
