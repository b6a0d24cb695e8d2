#pragma once
// One simulated COM port: its pty, its COM<n> link, the controllers on its line and the thread
// that serves them.

#include "sim/ControllerBus.h"
#include "sim/FrameReader.h"
#include "sim/PortLink.h"
#include "sim/Pty.h"
#include "sim/Wakeup.h"

#include <atomic>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <thread>

namespace qvxsim {

class PortServer {
public:
    // Creates the pty and publishes it as portDir/COM<n>; nullptr with a reason on failure, also
    // when another stand-in controller already publishes COM<n> there.
    static std::unique_ptr<PortServer> Create(const PortConfig& config, const std::string& portDir,
                                              std::string* error);
    ~PortServer() { Stop(); }
    PortServer(const PortServer&) = delete;
    PortServer& operator=(const PortServer&) = delete;

    bool Start(std::string* error);
    // Ends the serving thread promptly (also mid-reply) and removes the link and its claim. Final.
    void Stop();

    const std::string& SlavePath() const { return m_pty.SlavePath(); }
    ControllerBus& Bus() { return m_bus; }
    const ControllerBus& Bus() const { return m_bus; }
    void SetLoopback(bool on) { m_loopback = on; }
    void SetLineTime(bool on) { m_lineTime = on; }
    void SetAdapterLatency(unsigned ms) { m_adapterLatencyMs = ms < 255 ? ms : 255; }

private:
    PortServer(const PortConfig& config, Pty pty, PortLink link);

    void Serve();
    bool Receive(std::span<const unsigned char> bytes, MonoTime arrival);
    bool Answer(const ReadResult& request, MonoTime arrival);
    unsigned long HostRate() const;
    bool WriteAll(std::span<const unsigned char> bytes);
    void WaitForStop() const;

    Pty m_pty;
    std::optional<PortLink> m_link;
    Wakeup m_wakeup;
    FrameReader m_reader;
    ControllerBus m_bus;
    std::atomic<bool> m_loopback;
    std::atomic<bool> m_lineTime;
    std::atomic<unsigned> m_adapterLatencyMs;
    std::thread m_thread;
};

} // namespace qvxsim
