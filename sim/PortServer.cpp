#include "sim/PortServer.h"

#include "sim/ptyrate/PtyLineRate.h"

#include <poll.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <vector>

namespace qvxsim {

namespace {

// Payload of one USB packet of an FTDI-style adapter (64 bytes less its two status bytes): a full
// one goes to the host at once, a part-filled one waits for the adapter's latency timer.
constexpr std::size_t kAdapterPacket = 62;

// Wire time of `bytes` at 10 bits per byte (start, 8 data, stop).
std::chrono::nanoseconds WireTime(std::size_t bytes, unsigned long rate)
{
    if (rate == 0)
        return {};
    return std::chrono::nanoseconds(static_cast<std::uint64_t>(bytes) * 10'000'000'000ULL / rate);
}

} // namespace

std::unique_ptr<PortServer> PortServer::Create(const PortConfig& config, const std::string& portDir,
                                               std::string* error)
{
    if (!ControllerBus::Check(config, error))
        return nullptr;
    std::optional<Pty> pty = Pty::Open(error);
    if (!pty)
        return nullptr;
    std::optional<PortLink> link = PortLink::Create(portDir, config.comNumber, pty->SlavePath(), error);
    if (!link)
        return nullptr;
    std::unique_ptr<PortServer> server(new PortServer(config, std::move(*pty), std::move(*link)));
    if (!server->m_wakeup.Valid()) {
        *error = "cannot create the stop signal";
        return nullptr;
    }
    return server;
}

PortServer::PortServer(const PortConfig& config, Pty pty, PortLink link)
    : m_pty(std::move(pty)), m_link(std::move(link)), m_bus(config), m_loopback(config.loopback),
      m_lineTime(config.lineTime), m_adapterLatencyMs(config.adapterLatencyMs < 255 ? config.adapterLatencyMs : 255)
{
}

bool PortServer::Start(std::string* error)
{
    if (m_thread.joinable() || m_wakeup.Signalled()) {
        *error = "port already started or stopped";
        return false;
    }
    m_thread = std::thread(&PortServer::Serve, this);
    return true;
}

void PortServer::Stop()
{
    m_wakeup.Signal();
    if (m_thread.joinable())
        m_thread.join();
    m_link.reset();
}

void PortServer::Serve()
{
    // Replies timed by the line-time model go out when due, not up to the default 50 us late.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    std::array<unsigned char, 512> buffer{};
    for (;;) {
        std::array<pollfd, 2> fds{{{m_pty.Master(), POLLIN, 0}, {m_wakeup.Fd(), POLLIN, 0}}};
        if (poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            return WaitForStop();
        }
        if (fds[1].revents != 0)
            return;
        const MonoTime arrival = MonotonicNow(); // before the read, as close to the bytes as we get
        const ssize_t n = read(m_pty.Master(), buffer.data(), buffer.size());
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        if (n <= 0)
            return WaitForStop(); // the line is gone; polling it again would only spin
        if (!Receive(std::span(buffer.data(), static_cast<std::size_t>(n)), arrival))
            return;
    }
}

bool PortServer::Receive(std::span<const unsigned char> bytes, MonoTime arrival)
{
    if (m_loopback) {
        m_reader.Reset();
        return WriteAll(bytes);
    }
    std::vector<ReadResult> results;
    m_reader.Feed(bytes, arrival, results);
    for (const ReadResult& result : results) {
        if (!Answer(result, arrival))
            return false;
    }
    return true;
}

bool PortServer::Answer(const ReadResult& request, MonoTime arrival)
{
    const std::optional<Outgoing> reply = m_bus.Deliver(request, HostRate(), arrival);
    if (!reply)
        return true;
    MonoTime due = arrival + reply->delay;
    if (m_lineTime)
        due += WireTime(request.WireSize() + reply->bytes.size(), reply->rate);
    if (!m_wakeup.SleepUntil(due))
        return false;
    const std::span<const unsigned char> bytes(reply->bytes);
    const std::size_t held = bytes.size() % kAdapterPacket;
    const unsigned latencyMs = m_adapterLatencyMs;
    if (latencyMs == 0 || held == 0)
        return WriteAll(bytes);
    // The full packets go now; the adapter holds the last, part-filled one until its timer runs out.
    if (!WriteAll(bytes.first(bytes.size() - held)))
        return false;
    if (!m_wakeup.SleepUntil(due + std::chrono::milliseconds(latencyMs)))
        return false;
    return WriteAll(bytes.last(held));
}

unsigned long PortServer::HostRate() const
{
    // On the master this reads the settings the host made on the slave, at this very moment.
    unsigned long rate = 0;
    return GetPtyLineRate(m_pty.Master(), &rate) ? rate : 0;
}

bool PortServer::WriteAll(std::span<const unsigned char> bytes)
{
    return m_pty.WriteAll(bytes, m_wakeup);
}

void PortServer::WaitForStop() const
{
    pollfd p{m_wakeup.Fd(), POLLIN, 0};
    while (poll(&p, 1, -1) < 0 && errno == EINTR) {
    }
}

} // namespace qvxsim
