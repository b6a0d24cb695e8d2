#include "SerialLineRate.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cstring>

namespace qvx::posix {

static_assert(sizeof(struct termios2) <= sizeof(LineSettings::bytes), "termios2 does not fit");

bool SaveLineSettings(int fd, LineSettings& settings)
{
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0)
        return false;
    std::memcpy(settings.bytes.data(), &tio, sizeof tio);
    settings.valid = true;
    return true;
}

bool RestoreLineSettings(int fd, const LineSettings& settings)
{
    if (!settings.valid)
        return false;
    struct termios2 tio {};
    std::memcpy(&tio, settings.bytes.data(), sizeof tio);
    return ioctl(fd, TCSETS2, &tio) == 0;
}

bool SetLineRate(int fd, unsigned long baud)
{
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0)
        return false;
    tio.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    tio.c_ispeed = static_cast<speed_t>(baud);
    tio.c_ospeed = static_cast<speed_t>(baud);
    if (ioctl(fd, TCSETS2, &tio) != 0)
        return false;
    unsigned long actual = 0;
    if (!GetLineRate(fd, &actual))
        return false;
    const unsigned long diff = actual > baud ? actual - baud : baud - actual;
    return diff * 50 <= baud;
}

bool GetLineRate(int fd, unsigned long* baud)
{
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0)
        return false;
    *baud = tio.c_ospeed;
    return true;
}

} // namespace qvx::posix
