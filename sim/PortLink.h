#pragma once
// A COM port published in a port folder: DIR/COM<n> -> the pty slave, owned by one stand-in
// controller at a time. The owner holds an flock on DIR/.COM<n>.lock (holding its pid) for as long
// as the link exists, so another stand-in controller, in this process or another, sees the port
// taken instead of replacing the link. The kernel drops the lock when a process dies, so a link
// left by a crashed owner is recognised as stale and replaced.

#include "sim/UniqueFd.h"

#include <optional>
#include <string>

namespace qvxsim {

class PortLink {
public:
    // Claims COM<comNumber> in portDir and links it to target; nullopt with a reason when the port
    // is already published by a live stand-in controller or the link cannot be made.
    static std::optional<PortLink> Create(const std::string& portDir, int comNumber, const std::string& target,
                                          std::string* error);
    ~PortLink() { Remove(); }
    PortLink(PortLink&& other) noexcept;
    PortLink& operator=(PortLink&&) = delete;
    PortLink(const PortLink&) = delete;
    PortLink& operator=(const PortLink&) = delete;

    // Removes the link while it still points at our target, then the lock file, then lets go of
    // the claim.
    void Remove();

private:
    PortLink(std::string linkPath, std::string lockPath, std::string target, UniqueFd lock);

    std::string m_linkPath; // empty once removed or moved from
    std::string m_lockPath;
    std::string m_target;
    UniqueFd m_lock;
};

} // namespace qvxsim
