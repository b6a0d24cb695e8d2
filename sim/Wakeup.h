#pragma once
// A one-shot stop signal that a serving thread can wait on together with its line, plus a sleep
// that the signal cuts short.

#include "sim/Monotonic.h"
#include "sim/UniqueFd.h"

namespace qvxsim {

class Wakeup {
public:
    Wakeup();

    bool Valid() const { return m_fd.Valid(); }
    int Fd() const { return m_fd.Get(); } // readable once signalled, and stays so
    void Signal();
    bool Signalled() const;

    // Sleeps until deadline without overshooting it; false when signalled first.
    bool SleepUntil(MonoTime deadline) const;

private:
    UniqueFd m_fd;
};

} // namespace qvxsim
