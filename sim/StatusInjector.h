#pragma once
// Status bytes a controller has been told to report instead of carrying a command out.

#include "sim/SignSim.h"

#include <optional>
#include <vector>

namespace qvxsim {

class StatusInjector {
public:
    void Add(const StatusFault& fault);
    void Clear() { m_active.clear(); }

    // The status for this command (and block number, for block commands), using up one count of
    // the first fault that matches; nullopt when none does.
    std::optional<unsigned char> Take(CommandKey command, unsigned block);

private:
    std::vector<StatusFault> m_active;
};

} // namespace qvxsim
