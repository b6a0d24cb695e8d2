#include "connection/Operation.h"

#include <algorithm>

void CCancelToken::Cancel()
{
    {
        std::lock_guard guard(m_lock);
        m_bCancelled = true;
    }
    m_changed.notify_all();
}

bool CCancelToken::IsCancelled() const
{
    std::lock_guard guard(m_lock);
    return m_bCancelled;
}

bool CCancelToken::Wait(std::chrono::milliseconds ms)
{
    std::unique_lock guard(m_lock);
    return !m_changed.wait_for(guard, ms, [this] { return m_bCancelled; });
}

int OperationOutcome::WorstCode() const
{
    int worst = 0;
    for (const ErrorLine& line : lines)
        worst = std::max(worst, line.nCode);
    return worst;
}
