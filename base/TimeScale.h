#pragma once

#include <string>
#include <vector>
// QVX_TIME_SCALE multiplies every fixed wait and link time-out (default 1). It lets tests and the
// demo run the real timing rules faster or slower without touching them.

// The factor in force (read from the environment on each call; invalid or non-positive values give 1).
double TimeScale();

// A fixed wait or time-out in milliseconds, scaled; never below 1 ms for a non-zero input.
unsigned long ScaledMs(unsigned long ms);

// A fixed wait of the tool's procedures (the firmware download's 30 s, the reboot's 20 s, ...),
// scaled by QVX_TIME_SCALE and further by QVX_WAIT_SCALE (default 1). The second factor leaves the
// link's time-outs alone: benchmarks keep the line's timing real and shorten only the waits.
unsigned long ScaledWaitMs(unsigned long ms);

// One note for each of QVX_TIME_SCALE and QVX_WAIT_SCALE that is set but not a usable factor
// (not a number, 0, negative, above 1000): the default 1 is used instead.
std::vector<std::string> TimeScaleProblems();
