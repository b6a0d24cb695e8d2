#include "link/SerialDevice.h"

#include "link/PortNames.h"
#include "link/posix/SerialLineRate.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>

namespace {

int MillisecondsUntil(CSerialDevice::Clock::time_point deadline)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - CSerialDevice::Clock::now());
    return static_cast<int>(std::clamp<long long>(left.count(), 0, 24LL * 3600 * 1000));
}

// Raw 8-N-1: no echo, no line editing, no translation, no parity; flow control as the driver has it.
bool SetRawEightNoneOne(int fd)
{
    struct termios tio {};
    if (tcgetattr(fd, &tio) != 0)
        return false;
    tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL |
                                          IXON | IXOFF | IXANY | INPCK);
    tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB);
    tio.c_cflag |= CS8 | CREAD | CLOCAL;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

// Optional driver features: a device without them works the same, only less well.
void EnableOptionalFeatures(int fd)
{
    // Data-terminal-ready stays off.
    int dtr = TIOCM_DTR;
    (void)ioctl(fd, TIOCMBIC, &dtr);

    // Request-to-send raised only while sending (RS-485 converters key their driver on it).
    struct serial_rs485 rs485 {};
    rs485.flags = SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND;
    (void)ioctl(fd, TIOCSRS485, &rs485);

    // USB adapters otherwise hold back each reply for up to 16 ms.
    struct serial_struct serial {};
    if (ioctl(fd, TIOCGSERIAL, &serial) == 0) {
        serial.flags |= ASYNC_LOW_LATENCY;
        (void)ioctl(fd, TIOCSSERIAL, &serial);
    }
}

} // namespace

struct CSerialDevice::Impl {
    int fd = -1;
    SerialOpenFailure failure;
    int wakeFd = -1;
    qvx::posix::LineSettings saved;
    unsigned long overruns = 0;

    bool ReadOverrunCount(unsigned long* count) const
    {
        struct serial_icounter_struct counters {};
        if (ioctl(fd, TIOCGICOUNT, &counters) != 0)
            return false;
        // The UART's own overrun; a full receive buffer is another condition.
        *count = static_cast<unsigned long>(counters.overrun);
        return true;
    }
};

CSerialDevice::CSerialDevice() : m_impl(std::make_unique<Impl>())
{
    m_impl->wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

CSerialDevice::~CSerialDevice()
{
    if (IsOpen())
        Close();
    if (m_impl->wakeFd >= 0)
        ::close(m_impl->wakeFd);
}

namespace {

SerialOpenFailure::Kind KindOfOpenError(int error)
{
    switch (error) {
    case ENOENT:
    case ENXIO:
    case ENODEV:
    case ENOTDIR:
        return SerialOpenFailure::Kind::NoSuchPort;
    case EACCES:
    case EPERM:
        return SerialOpenFailure::Kind::NoPermission;
    case EBUSY:
        return SerialOpenFailure::Kind::Busy;
    default:
        return SerialOpenFailure::Kind::Refused;
    }
}

} // namespace

const SerialOpenFailure& CSerialDevice::LastOpenFailure() const
{
    return m_impl->failure;
}

bool CSerialDevice::Open(int comNumber, unsigned long baud)
{
    SerialOpenFailure& failure = m_impl->failure;
    failure = SerialOpenFailure{};
    if (IsOpen() || m_impl->wakeFd < 0) {
        failure.kind = SerialOpenFailure::Kind::Busy;
        return false;
    }
    const std::string path = ComDevicePath(comNumber);
    failure.device = path;
    const auto fail = [&](SerialOpenFailure::Kind kind, int error) {
        failure.kind = kind;
        failure.systemError = error;
        return false;
    };
    if (path.empty())
        return fail(SerialOpenFailure::Kind::NoSuchPort, ENOENT);
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail(KindOfOpenError(errno), errno);
    // No sharing: another holder of the port, in this process or another, makes it busy.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 || ioctl(fd, TIOCEXCL) != 0) {
        const int error = errno;
        ::close(fd);
        return fail(error == EWOULDBLOCK || error == EBUSY ? SerialOpenFailure::Kind::Busy
                                                           : SerialOpenFailure::Kind::Refused,
                    error);
    }
    if (!qvx::posix::SaveLineSettings(fd, m_impl->saved)) {
        const int error = errno;
        ::close(fd);
        return fail(SerialOpenFailure::Kind::Refused, error);
    }
    if (!SetRawEightNoneOne(fd) || !qvx::posix::SetLineRate(fd, baud)) {
        const int error = errno;
        qvx::posix::RestoreLineSettings(fd, m_impl->saved);
        ::close(fd);
        return fail(SerialOpenFailure::Kind::Refused, error);
    }
    EnableOptionalFeatures(fd);
    m_impl->fd = fd;
    unsigned long overruns = 0;
    m_impl->overruns = m_impl->ReadOverrunCount(&overruns) ? overruns : 0;
    return true;
}

bool CSerialDevice::Close()
{
    if (!IsOpen())
        return false;
    const int fd = m_impl->fd;
    m_impl->fd = -1;
    qvx::posix::RestoreLineSettings(fd, m_impl->saved);
    (void)ioctl(fd, TIOCNXCL);
    return ::close(fd) == 0;
}

bool CSerialDevice::IsOpen() const
{
    return m_impl->fd >= 0;
}

bool CSerialDevice::ApplyTimeOuts(unsigned long, unsigned long, unsigned long)
{
    // termios keeps no time-outs of this kind: every read carries its own deadline.
    return true;
}

CSerialDevice::ReadStatus CSerialDevice::Read(void* buffer, std::size_t max, std::size_t* got,
                                              Clock::time_point deadline)
{
    *got = 0;
    if (!IsOpen())
        return ReadStatus::Failed;
    for (;;) {
        const ssize_t n = ::read(m_impl->fd, buffer, max);
        if (n > 0) {
            *got = static_cast<std::size_t>(n);
            return ReadStatus::Data;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return ReadStatus::Failed;
        const int wait = MillisecondsUntil(deadline);
        if (wait == 0)
            return ReadStatus::TimedOut;
        struct pollfd fds[2] = {{m_impl->fd, POLLIN, 0}, {m_impl->wakeFd, POLLIN, 0}};
        const int ready = ::poll(fds, 2, wait);
        if (ready < 0 && errno != EINTR)
            return ReadStatus::Failed;
        if (ready > 0 && (fds[1].revents & POLLIN))
            return ReadStatus::Woken;
        if (ready > 0 && (fds[0].revents & (POLLERR | POLLNVAL)))
            return ReadStatus::Failed;
    }
}

bool CSerialDevice::Write(const void* bytes, std::size_t count, std::size_t* written,
                          Clock::time_point deadline)
{
    *written = 0;
    if (!IsOpen())
        return false;
    const auto* next = static_cast<const unsigned char*>(bytes);
    while (*written < count) {
        const ssize_t n = ::write(m_impl->fd, next + *written, count - *written);
        if (n > 0) {
            *written += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return false;
        const int wait = MillisecondsUntil(deadline);
        if (wait == 0)
            return false;
        struct pollfd fds = {m_impl->fd, POLLOUT, 0};
        if (::poll(&fds, 1, wait) < 0 && errno != EINTR)
            return false;
    }
    return true;
}

bool CSerialDevice::PurgeReceive()
{
    return IsOpen() && tcflush(m_impl->fd, TCIFLUSH) == 0;
}

bool CSerialDevice::OverrunSinceLastCheck()
{
    unsigned long count = 0;
    if (!IsOpen() || !m_impl->ReadOverrunCount(&count))
        return false;
    const bool overrun = count != m_impl->overruns;
    m_impl->overruns = count;
    return overrun;
}

void CSerialDevice::Wake()
{
    const uint64_t one = 1;
    (void)!::write(m_impl->wakeFd, &one, sizeof one);
}

void CSerialDevice::ClearWake()
{
    uint64_t value = 0;
    (void)!::read(m_impl->wakeFd, &value, sizeof value);
}
