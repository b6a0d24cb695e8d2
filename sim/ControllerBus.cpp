#include "sim/ControllerBus.h"

#include <set>

namespace qvxsim {

bool ControllerBus::Check(const PortConfig& config, std::string* error)
{
    std::set<unsigned char> seen;
    for (const ControllerConfig& c : config.controllers) {
        if (IsBroadcastAddress(c.address)) {
            *error = "address " + std::to_string(c.address) + " is a broadcast address (use 1..240)";
            return false;
        }
        if (!seen.insert(c.address).second) {
            *error = "address " + std::to_string(c.address) + " appears twice on COM"
                   + std::to_string(config.comNumber);
            return false;
        }
    }
    return true;
}

ControllerBus::ControllerBus(const PortConfig& config)
{
    for (const ControllerConfig& c : config.controllers)
        m_controllers.emplace_back(c, config.baud);
}

std::optional<Outgoing> ControllerBus::Deliver(const ReadResult& result, unsigned long hostRate)
{
    std::lock_guard lock(m_mutex);
    std::optional<Outgoing> reply;
    for (Controller& c : m_controllers) {
        if (!c.Listens(result.frame.address))
            continue;
        if (!result.valid) {
            c.Reject();
            continue;
        }
        if (auto out = c.Handle(result.frame, hostRate))
            reply = std::move(out);
    }
    return reply;
}

void ControllerBus::InjectFault(unsigned char address, const Fault& fault)
{
    std::lock_guard lock(m_mutex);
    if (Controller* c = Find(address))
        c->AddFault(fault);
}

void ControllerBus::ClearFaults(unsigned char address)
{
    std::lock_guard lock(m_mutex);
    if (Controller* c = Find(address))
        c->ClearFaults();
}

void ControllerBus::SetBaud(unsigned char address, unsigned long baud)
{
    std::lock_guard lock(m_mutex);
    if (Controller* c = Find(address))
        c->SetBaud(baud);
}

ControllerStats ControllerBus::Stats(unsigned char address) const
{
    std::lock_guard lock(m_mutex);
    for (const Controller& c : m_controllers) {
        if (c.Address() == address)
            return c.Stats();
    }
    return {};
}

Controller* ControllerBus::Find(unsigned char address)
{
    for (Controller& c : m_controllers) {
        if (c.Address() == address)
            return &c;
    }
    return nullptr;
}

} // namespace qvxsim
