#pragma once
// QVX_TIME_SCALE as the controller reads it for its own waits (a reboot's silence), so that a test
// that speeds up the host's waits speeds up the controller's with them.

#include <chrono>

namespace qvxsim {

// The factor in $QVX_TIME_SCALE, read on each call: a number above 0 and at most 1000; else 1.
double TimeScaleFactor();
// ms scaled by that factor, rounded up: never 0 for a non-zero input.
std::chrono::milliseconds ScaledWait(unsigned long ms);

} // namespace qvxsim
