#include "sim/SimClock.h"

#include <chrono>

namespace qvxsim {

SimClock::SimClock(std::uint32_t start) : m_running(start == 0), m_value(start)
{
}

std::uint32_t SimClock::Now() const
{
    return static_cast<std::uint32_t>(m_running ? MachineNow() + m_value : m_value);
}

void SimClock::Set(std::uint32_t seconds)
{
    m_value = m_running ? static_cast<std::int64_t>(seconds) - MachineNow() : seconds;
}

std::int64_t SimClock::MachineNow()
{
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

} // namespace qvxsim
