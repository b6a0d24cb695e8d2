#include "app/SignalWatch.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <thread>
#include <utility>
#include <vector>

namespace {

// The write end of the watch's pipe: the one thing a handler may reach.
std::atomic<int> g_signalPipe{-1};

void OnSignal(int signal)
{
    const int saved = errno;
    const int fd = g_signalPipe.load();
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signal);
        [[maybe_unused]] const ssize_t written = write(fd, &byte, 1);
    }
    errno = saved;
}

} // namespace

struct CSignalWatch::Impl {
    int readFd = -1;
    int writeFd = -1;
    std::vector<std::pair<int, struct sigaction>> previous;
    std::thread thread;
};

CSignalWatch::CSignalWatch(std::initializer_list<int> signals, std::function<void(int)> onSignal)
    : m_impl(std::make_unique<Impl>())
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return;
    m_impl->readFd = fds[0];
    m_impl->writeFd = fds[1];
    fcntl(m_impl->writeFd, F_SETFL, O_NONBLOCK); // a handler never blocks on a full pipe
    g_signalPipe = m_impl->writeFd;
    m_impl->thread = std::thread([this, onSignal = std::move(onSignal)] {
        unsigned char byte = 0;
        for (;;) {
            const ssize_t n = read(m_impl->readFd, &byte, 1);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0 || byte == 0)
                return; // 0: the watch is going
            int expected = 0;
            m_firstSignal.compare_exchange_strong(expected, byte);
            onSignal(byte);
        }
    });
    for (const int signal : signals) {
        struct sigaction action {};
        action.sa_handler = OnSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        struct sigaction old {};
        if (sigaction(signal, &action, &old) == 0)
            m_impl->previous.emplace_back(signal, old);
    }
}

CSignalWatch::~CSignalWatch()
{
    for (const auto& [signal, old] : m_impl->previous)
        sigaction(signal, &old, nullptr);
    g_signalPipe = -1;
    if (m_impl->thread.joinable()) {
        const unsigned char stop = 0;
        [[maybe_unused]] const ssize_t written = write(m_impl->writeFd, &stop, 1);
        m_impl->thread.join();
    }
    if (m_impl->readFd >= 0)
        close(m_impl->readFd);
    if (m_impl->writeFd >= 0)
        close(m_impl->writeFd);
}
