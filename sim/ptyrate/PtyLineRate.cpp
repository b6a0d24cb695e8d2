#include "sim/ptyrate/PtyLineRate.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace qvxsim {

bool GetPtyLineRate(int fd, unsigned long* baud)
{
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0)
        return false;
    *baud = tio.c_ospeed;
    return true;
}

bool SetPtyLineRate(int fd, unsigned long baud)
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
    if (!GetPtyLineRate(fd, &actual))
        return false;
    const unsigned long diff = actual > baud ? actual - baud : baud - actual;
    return diff * 50 <= baud;
}

} // namespace qvxsim
