#include "sim/ReplayPort.h"

#include "sim/TimeScale.h"

#include <poll.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace qvxsim {

std::unique_ptr<ReplayPort> ReplayPort::Create(RecordedPort port, const std::string& portDir, Say say,
                                               std::string* error)
{
    std::optional<Pty> pty = Pty::Open(error);
    if (!pty)
        return nullptr;
    std::optional<PortLink> link = PortLink::Create(portDir, port.comNumber, pty->SlavePath(), error);
    if (!link)
        return nullptr;
    std::unique_ptr<ReplayPort> server(
        new ReplayPort(std::move(port), std::move(*pty), std::move(*link), std::move(say)));
    if (!server->m_wakeup.Valid()) {
        *error = "cannot create the stop signal";
        return nullptr;
    }
    return server;
}

ReplayPort::ReplayPort(RecordedPort port, Pty pty, PortLink link, Say say)
    : m_pty(std::move(pty)), m_link(std::move(link)), m_matcher(std::move(port)), m_say(std::move(say)),
      m_timeScale(TimeScaleFactor())
{
}

void ReplayPort::Start()
{
    if (!m_thread.joinable() && !m_wakeup.Signalled())
        m_thread = std::thread(&ReplayPort::Serve, this);
}

void ReplayPort::Stop()
{
    m_wakeup.Signal();
    if (m_thread.joinable())
        m_thread.join();
    m_link.reset();
}

std::string ReplayPort::Describe() const
{
    const RecordedPort& port = m_matcher.Port();
    return "COM" + std::to_string(port.comNumber) + " -> " + SlavePath() + " (replay: "
         + std::to_string(port.requests.size()) + " requests)";
}

void ReplayPort::Serve()
{
    std::array<unsigned char, 512> buffer{};
    std::vector<ReplayEvent> events;
    for (;;) {
        std::array<pollfd, 2> fds{{{m_pty.Master(), POLLIN, 0}, {m_wakeup.Fd(), POLLIN, 0}}};
        if (poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR)
            break;
        if (fds[1].revents != 0)
            return;
        if (fds[0].revents == 0)
            continue;
        const ssize_t n = read(m_pty.Master(), buffer.data(), buffer.size());
        const MonoTime arrival = MonotonicNow();
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        if (n <= 0)
            break; // the line is gone; polling it again would only spin
        events.clear();
        m_matcher.Feed(std::span(buffer.data(), static_cast<std::size_t>(n)), events);
        for (const ReplayEvent& event : events) {
            if (event.kind != ReplayEvent::Kind::Matched)
                m_say(event.text);
            else if (!Play(*event.request, arrival))
                return;
        }
    }
    pollfd p{m_wakeup.Fd(), POLLIN, 0};
    while (poll(&p, 1, -1) < 0 && errno == EINTR) {
    }
}

bool ReplayPort::Play(const RecordedRequest& request, MonoTime matched)
{
    for (const RecordedReply& reply : request.replies) {
        const auto delay = std::chrono::duration<double, std::nano>(reply.delay) * m_timeScale;
        if (!m_wakeup.SleepUntil(matched + std::chrono::duration_cast<MonoTime>(delay)))
            return false;
        if (!WriteAll(reply.bytes))
            return false;
    }
    return true;
}

bool ReplayPort::WriteAll(std::span<const unsigned char> bytes)
{
    return m_pty.WriteAll(bytes, m_wakeup);
}

} // namespace qvxsim
