#include "sim/SignSim.h"

#include "sim/PortServer.h"

#include <map>
#include <utility>

namespace qvxsim {

struct SignSim::Impl {
    enum class State { Setup, Serving, Stopped };

    PortServer* Find(int comNumber) const
    {
        const auto it = ports.find(comNumber);
        return it == ports.end() ? nullptr : it->second.get();
    }

    template <typename Action>
    void With(int comNumber, unsigned char address, Action&& action) const
    {
        if (PortServer* server = Find(comNumber))
            server->Bus().With(address, std::forward<Action>(action));
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
    m_impl->With(comNumber, address, [&](Controller& c) { c.AddFault(fault); });
}

void SignSim::ClearFaults(int comNumber, unsigned char address)
{
    m_impl->With(comNumber, address, [](Controller& c) { c.ClearFaults(); });
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

void SignSim::SetAdapterLatency(int comNumber, unsigned ms)
{
    if (PortServer* server = m_impl->Find(comNumber))
        server->SetAdapterLatency(ms);
}

void SignSim::SetControllerBaud(int comNumber, unsigned char address, unsigned long baud)
{
    m_impl->With(comNumber, address, [&](Controller& c) { c.SetBaud(baud); });
}

ControllerStats SignSim::Stats(int comNumber, unsigned char address) const
{
    ControllerStats stats;
    m_impl->With(comNumber, address, [&](const Controller& c) { stats = c.Stats(); });
    return stats;
}

FirmwareBehaviour SignSim::Behaviour(int comNumber, unsigned char address) const
{
    FirmwareBehaviour behaviour;
    m_impl->With(comNumber, address, [&](const Controller& c) { behaviour = c.Behaviour(); });
    return behaviour;
}

void SignSim::SetBehaviour(int comNumber, unsigned char address, const FirmwareBehaviour& behaviour)
{
    m_impl->With(comNumber, address, [&](Controller& c) { c.SetBehaviour(behaviour); });
}

RandomFaults SignSim::RandomFaultSettings(int comNumber, unsigned char address) const
{
    RandomFaults faults;
    m_impl->With(comNumber, address, [&](const Controller& c) { faults = c.Random(); });
    return faults;
}

void SignSim::SetRandomFaults(int comNumber, unsigned char address, const RandomFaults& faults)
{
    m_impl->With(comNumber, address, [&](Controller& c) { c.SetRandom(faults); });
}

void SignSim::Reboot(int comNumber, unsigned char address)
{
    m_impl->With(comNumber, address, [](Controller& c) { c.Reboot(MonotonicNow()); });
}

void SignSim::InjectStatus(int comNumber, unsigned char address, const StatusFault& fault)
{
    m_impl->With(comNumber, address, [&](Controller& c) { c.AddStatus(fault); });
}

void SignSim::InjectStatus(int comNumber, unsigned char address, CommandKey command, unsigned char status, int count)
{
    InjectStatus(comNumber, address, StatusFault{command, status, count, 0});
}

ControllerSettings SignSim::Settings(int comNumber, unsigned char address) const
{
    ControllerSettings settings;
    m_impl->With(comNumber, address, [&](const Controller& c) { settings = c.State().Settings(); });
    return settings;
}

void SignSim::SetSettings(int comNumber, unsigned char address, const ControllerSettings& settings)
{
    m_impl->With(comNumber, address, [&](Controller& c) { c.Configure(settings); });
}

void SignSim::SetProtocol(int comNumber, unsigned char address, Protocol protocol)
{
    m_impl->With(comNumber, address, [&](Controller& c) { c.SetProtocol(protocol); });
}

DisplaySnapshot SignSim::Display(int comNumber, unsigned char address) const
{
    DisplaySnapshot snapshot;
    m_impl->With(comNumber, address, [&](const Controller& c) {
        const DisplayState& display = c.State().Display();
        snapshot = {display.message, display.schedule, display.blank, display.displayMode[0], display.testPattern};
    });
    return snapshot;
}

std::optional<std::vector<unsigned char>> SignSim::ReadFile(int comNumber, unsigned char address,
                                                            const std::string& name, FileArea area) const
{
    std::optional<std::vector<unsigned char>> bytes;
    m_impl->With(comNumber, address, [&](const Controller& c) { bytes = c.State().Read(area, name); });
    return bytes;
}

bool SignSim::WriteFile(int comNumber, unsigned char address, const std::string& name,
                        std::vector<unsigned char> bytes, FileArea area)
{
    bool stored = false;
    m_impl->With(comNumber, address, [&](Controller& c) { stored = c.State().Store(area, name, std::move(bytes)); });
    return stored;
}

bool SignSim::RemoveFile(int comNumber, unsigned char address, const std::string& name, FileArea area)
{
    bool removed = false;
    m_impl->With(comNumber, address, [&](Controller& c) { removed = c.State().Remove(area, name); });
    return removed;
}

std::vector<std::string> SignSim::FileNames(int comNumber, unsigned char address, FileArea area) const
{
    std::vector<std::string> names;
    m_impl->With(comNumber, address, [&](const Controller& c) {
        for (const StoredFile* file : c.State().Area(area).Files())
            names.push_back(file->name);
    });
    return names;
}

} // namespace qvxsim
