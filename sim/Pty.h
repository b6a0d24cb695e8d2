#pragma once
// One pseudo-terminal pair standing in for a serial line. The host opens the slave; the simulated
// controllers sit on the master.

#include "sim/UniqueFd.h"

#include <optional>
#include <string>

namespace qvxsim {

class Pty {
public:
    // A new pair with the slave in raw mode and the master non-blocking.
    static std::optional<Pty> Open(std::string* error);

    int Master() const { return m_master.Get(); }
    const std::string& SlavePath() const { return m_slavePath; }

private:
    Pty() = default;

    UniqueFd m_master;
    // Held open for the pty's whole life: with no slave open, the master reads EIO and polls as
    // hung up every time the host closes its end.
    UniqueFd m_slave;
    std::string m_slavePath;
};

// The symbolic link $portDir/COM<n> -> slave; removed again only while it still points there.
class PortLink {
public:
    static std::optional<PortLink> Create(const std::string& linkPath, const std::string& target,
                                          std::string* error);
    ~PortLink() { Remove(); }
    PortLink(PortLink&& other) noexcept;
    PortLink& operator=(PortLink&&) = delete;
    PortLink(const PortLink&) = delete;
    PortLink& operator=(const PortLink&) = delete;

    void Remove();

private:
    PortLink(std::string linkPath, std::string target);

    std::string m_linkPath; // empty once removed or moved from
    std::string m_target;
};

} // namespace qvxsim
