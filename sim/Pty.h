#pragma once
// One pseudo-terminal pair standing in for a serial line. The host opens the slave; the simulated
// controllers sit on the master.

#include "sim/UniqueFd.h"
#include "sim/Wakeup.h"

#include <optional>
#include <span>
#include <string>

namespace qvxsim {

class Pty {
public:
    // A new pair with the slave in raw mode and the master non-blocking.
    static std::optional<Pty> Open(std::string* error);

    int Master() const { return m_master.Get(); }
    const std::string& SlavePath() const { return m_slavePath; }

    // Writes bytes whole to the master. A host that stops reading cannot hold the line up for
    // ever: what it does not take within a second is lost, as on a real wire (true all the same,
    // as it is for a write the pty refuses). False once wakeup is signalled: the port is closing.
    bool WriteAll(std::span<const unsigned char> bytes, const Wakeup& wakeup) const;

private:
    Pty() = default;

    UniqueFd m_master;
    // Held open for the pty's whole life: with no slave open, the master reads EIO and polls as
    // hung up every time the host closes its end.
    UniqueFd m_slave;
    std::string m_slavePath;
};

} // namespace qvxsim
