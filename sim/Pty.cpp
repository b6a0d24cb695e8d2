#include "sim/Pty.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

namespace qvxsim {

namespace {

std::string Reason(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

// Raw 8-bit line: no echo (it would send our replies straight back to us), no line editing, no
// translation of CR/LF or flow-control bytes.
bool MakeRaw(int fd)
{
    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        return false;
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

} // namespace

std::optional<Pty> Pty::Open(std::string* error)
{
    Pty pty;
    pty.m_master = UniqueFd(posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!pty.m_master.Valid()) {
        *error = Reason("posix_openpt");
        return std::nullopt;
    }
    const int master = pty.m_master.Get();
    std::array<char, 128> name{};
    if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name.data(), name.size()) != 0) {
        *error = Reason("preparing the pty slave");
        return std::nullopt;
    }
    pty.m_slavePath = name.data();
    pty.m_slave = UniqueFd(open(name.data(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!pty.m_slave.Valid() || !MakeRaw(pty.m_slave.Get())) {
        *error = Reason("opening " + pty.m_slavePath);
        return std::nullopt;
    }
    const int flags = fcntl(master, F_GETFL);
    if (flags < 0 || fcntl(master, F_SETFL, flags | O_NONBLOCK) != 0) {
        *error = Reason("fcntl on the pty master");
        return std::nullopt;
    }
    return pty;
}

bool Pty::WriteAll(std::span<const unsigned char> bytes, const Wakeup& wakeup) const
{
    constexpr int kWriteStallMs = 1000;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(m_master.Get(), bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return true; // nothing to be done for this reply; keep serving
        std::array<pollfd, 2> fds{{{m_master.Get(), POLLOUT, 0}, {wakeup.Fd(), POLLIN, 0}}};
        const int ready = poll(fds.data(), fds.size(), kWriteStallMs);
        if (fds[1].revents != 0)
            return false;
        if (ready <= 0)
            return true;
    }
    return true;
}

} // namespace qvxsim
