#pragma once
// The controller's clock: the machine's clock shifted by what the host last set, or a stopped
// clock for reproducible status files.

#include <cstdint>

namespace qvxsim {

class SimClock {
public:
    // 0: runs with the machine's clock; anything else: stands still at that value.
    explicit SimClock(std::uint32_t start);

    std::uint32_t Now() const;
    // A running clock runs on from the new value; a stopped one shows it.
    void Set(std::uint32_t seconds);

private:
    static std::int64_t MachineNow();

    bool m_running;
    std::int64_t m_value; // offset from the machine's clock when running, else the time shown
};

} // namespace qvxsim
