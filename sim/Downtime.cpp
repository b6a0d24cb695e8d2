#include "sim/Downtime.h"

#include "sim/TimeScale.h"

namespace qvxsim {

void Downtime::Begin(MonoTime now, unsigned long rebootMs, bool forever)
{
    m_since = now;
    m_length = ScaledWait(rebootMs);
    m_forever = forever;
}

void Downtime::SetRebootTime(unsigned long rebootMs)
{
    m_length = ScaledWait(rebootMs);
}

bool Downtime::Down(MonoTime now) const
{
    if (!m_since || now < *m_since)
        return false; // it arrived before the reboot began
    return m_forever || now - *m_since < m_length;
}

} // namespace qvxsim
