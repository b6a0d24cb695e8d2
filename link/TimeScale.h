#pragma once
// QVX_TIME_SCALE multiplies every fixed wait and link time-out (default 1). It lets tests and the
// demo run the real timing rules faster or slower without touching them.

// The factor in force (read from the environment on each call; invalid or non-positive values give 1).
double TimeScale();

// A fixed wait or time-out in milliseconds, scaled; never below 1 ms for a non-zero input.
unsigned long ScaledMs(unsigned long ms);
