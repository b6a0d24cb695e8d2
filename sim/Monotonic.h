#pragma once
// Points in time on CLOCK_MONOTONIC, the clock that absolute clock_nanosleep deadlines use.

#include <chrono>
#include <ctime>

namespace qvxsim {

using MonoTime = std::chrono::nanoseconds; // since CLOCK_MONOTONIC's origin

MonoTime MonotonicNow();
timespec ToTimespec(MonoTime t);

} // namespace qvxsim
