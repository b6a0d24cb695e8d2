#include "HostPort.h"

#include "sim/ptyrate/PtyLineRate.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace simtest {

Bytes MakeFrame(unsigned char address, unsigned char control, std::initializer_list<unsigned char> data)
{
    return MakeFrame(address, control, Bytes(data));
}

Bytes MakeFrame(unsigned char address, unsigned char control, const Bytes& data)
{
    Bytes frame{0x55, 0xAA, address, static_cast<unsigned char>(data.size()), control};
    unsigned sum = 0;
    for (unsigned char b : frame)
        sum += b;
    frame.push_back(static_cast<unsigned char>(-sum));
    if (data.size() != 0) {
        sum = 0;
        for (unsigned char b : data)
            sum += b;
        frame.insert(frame.end(), data.begin(), data.end());
        frame.push_back(static_cast<unsigned char>(-sum));
    }
    return frame;
}

bool HostPort::Open(const std::string& path, unsigned long rate)
{
    Close();
    m_fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tio{};
    if (m_fd < 0 || tcgetattr(m_fd, &tio) != 0)
        return false;
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    return tcsetattr(m_fd, TCSANOW, &tio) == 0 && SetRate(rate) && tcflush(m_fd, TCIOFLUSH) == 0;
}

void HostPort::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool HostPort::SetRate(unsigned long rate)
{
    return qvxsim::SetPtyLineRate(m_fd, rate);
}

void HostPort::Write(const Bytes& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            return;
        done += static_cast<std::size_t>(n);
    }
}

Bytes HostPort::Read(std::size_t count, std::chrono::milliseconds quiet)
{
    Bytes got;
    while (got.size() < count) {
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(quiet.count())) <= 0)
            break;
        unsigned char buffer[512];
        const ssize_t n = ::read(m_fd, buffer, std::min(sizeof buffer, count - got.size()));
        if (n <= 0)
            break;
        got.insert(got.end(), buffer, buffer + n);
    }
    return got;
}

} // namespace simtest
