#include "sim/StatusInjector.h"

#include <algorithm>

namespace qvxsim {

void StatusInjector::Add(const StatusFault& fault)
{
    if (fault.count != 0 && fault.status != 0)
        m_active.push_back(fault);
}

std::optional<unsigned char> StatusInjector::Take(CommandKey command, unsigned block)
{
    const auto it = std::find_if(m_active.begin(), m_active.end(), [&](const StatusFault& f) {
        return f.command == command && (f.block == 0 || f.block == block);
    });
    if (it == m_active.end())
        return std::nullopt;
    const unsigned char status = it->status;
    if (it->count > 0 && --it->count == 0)
        m_active.erase(it);
    return status;
}

} // namespace qvxsim
