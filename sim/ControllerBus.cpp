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
        m_controllers.push_back(std::make_unique<Controller>(c, config.baud));
}

std::optional<Outgoing> ControllerBus::Deliver(const ReadResult& result, unsigned long hostRate, MonoTime now)
{
    std::lock_guard lock(m_mutex);
    if (result.kind == FrameKind::Pellworth)
        return DeliverPellworth(result, hostRate, now);
    std::optional<Outgoing> reply;
    for (const auto& c : m_controllers) {
        if (!c->Listens(result.frame.address))
            continue;
        if (!result.valid) {
            c->Reject(now);
            continue;
        }
        if (auto out = c->Handle(result.frame, hostRate, now))
            reply = std::move(out);
    }
    return reply;
}

std::optional<Outgoing> ControllerBus::DeliverPellworth(const ReadResult& result, unsigned long hostRate,
                                                        MonoTime now)
{
    // These frames know no broadcast: only the addressed controller takes one.
    Controller* c = Find(result.pellworth.address);
    if (c == nullptr)
        return std::nullopt;
    if (!result.valid) {
        c->Reject(now);
        return std::nullopt;
    }
    return c->HandlePellworth(result.pellworth, hostRate, now);
}

bool ControllerBus::With(unsigned char address, const std::function<void(Controller&)>& action)
{
    std::lock_guard lock(m_mutex);
    Controller* c = Find(address);
    if (c != nullptr)
        action(*c);
    return c != nullptr;
}

Controller* ControllerBus::Find(unsigned char address) const
{
    for (const auto& c : m_controllers) {
        if (c->Address() == address)
            return c.get();
    }
    return nullptr;
}

} // namespace qvxsim
