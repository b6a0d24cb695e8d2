#pragma once
// When a rebooting controller hears nothing: from the moment it went down for its reboot time
// (scaled by QVX_TIME_SCALE), or for good when it is not to come back. Nothing runs while it is
// down; each frame that arrives asks whether it is up again.

#include "sim/Monotonic.h"

#include <chrono>
#include <optional>

namespace qvxsim {

class Downtime {
public:
    void Begin(MonoTime now, unsigned long rebootMs, bool forever);
    // A reboot under way takes the new time at once (counted from when it went down).
    void SetRebootTime(unsigned long rebootMs);
    void Revive() { m_forever = false; }
    bool Down(MonoTime now) const;

private:
    std::optional<MonoTime> m_since;
    std::chrono::milliseconds m_length{0};
    bool m_forever = false;
};

} // namespace qvxsim
