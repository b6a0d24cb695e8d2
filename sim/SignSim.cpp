#include "sim/SignSim.h"

#include "sim/PortServer.h"

#include <map>

namespace qvxsim {

struct SignSim::Impl {
    enum class State { Setup, Serving, Stopped };

    PortServer* Find(int comNumber) const
    {
        const auto it = ports.find(comNumber);
        return it == ports.end() ? nullptr : it->second.get();
    }

    std::string portDir;
    State state = State::Setup;
    std::map<int, std::unique_ptr<PortServer>> ports;
};

SignSim::SignSim(std::string portDir) : m_impl(std::make_unique<Impl>())
{
    m_impl->portDir = std::move(portDir);
}

SignSim::~SignSim()
{
    Stop();
}

bool SignSim::AddPort(const PortConfig& config, std::string* error)
{
    std::string reason;
    if (m_impl->state != Impl::State::Setup)
        reason = "ports can only be added before Start";
    else if (config.comNumber < 1)
        reason = "COM number must be 1 or more";
    else if (config.baud == 0)
        reason = "COM" + std::to_string(config.comNumber) + " needs a line rate";
    else if (m_impl->Find(config.comNumber))
        reason = "COM" + std::to_string(config.comNumber) + " added twice";
    else if (auto server = PortServer::Create(config, m_impl->portDir, &reason))
        m_impl->ports.emplace(config.comNumber, std::move(server));
    if (reason.empty())
        return true;
    if (error)
        *error = reason;
    return false;
}

bool SignSim::Start(std::string* error)
{
    std::string reason;
    if (m_impl->state != Impl::State::Setup)
        reason = "already started or stopped";
    for (auto it = m_impl->ports.begin(); reason.empty() && it != m_impl->ports.end(); ++it)
        it->second->Start(&reason);
    if (reason.empty()) {
        m_impl->state = Impl::State::Serving;
        return true;
    }
    if (m_impl->state == Impl::State::Setup)
        Stop();
    if (error)
        *error = reason;
    return false;
}

void SignSim::Stop()
{
    for (auto& [com, server] : m_impl->ports)
        server->Stop();
    m_impl->state = Impl::State::Stopped;
}

std::string SignSim::PortDir() const
{
    return m_impl->portDir;
}

std::string SignSim::DevicePath(int comNumber) const
{
    const PortServer* server = m_impl->Find(comNumber);
    return server ? server->SlavePath() : std::string();
}

void SignSim::InjectFault(int comNumber, unsigned char address, const Fault& fault)
{
    if (PortServer* server = m_impl->Find(comNumber))
        server->Bus().InjectFault(address, fault);
}

void SignSim::ClearFaults(int comNumber, unsigned char address)
{
    if (PortServer* server = m_impl->Find(comNumber))
        server->Bus().ClearFaults(address);
}

void SignSim::SetLoopback(int comNumber, bool on)
{
    if (PortServer* server = m_impl->Find(comNumber))
        server->SetLoopback(on);
}

void SignSim::SetLineTime(int comNumber, bool on)
{
    if (PortServer* server = m_impl->Find(comNumber))
        server->SetLineTime(on);
}

void SignSim::SetControllerBaud(int comNumber, unsigned char address, unsigned long baud)
{
    if (PortServer* server = m_impl->Find(comNumber))
        server->Bus().SetBaud(address, baud);
}

ControllerStats SignSim::Stats(int comNumber, unsigned char address) const
{
    const PortServer* server = m_impl->Find(comNumber);
    return server ? server->Bus().Stats(address) : ControllerStats{};
}

} // namespace qvxsim
