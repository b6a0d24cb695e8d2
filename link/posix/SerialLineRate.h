#pragma once
// Line rate and whole line settings through the kernel's termios2 interface, which takes any rate
// (the tool uses 56700 and 28800, which have no B-constant). Kept in a unit of its own because the
// kernel's termios2 header and the C library's <termios.h> cannot be included together.

#include <array>
#include <cstddef>

namespace qvx::posix {

// Opaque copy of a line's complete settings, custom rates included.
struct LineSettings {
    std::array<unsigned char, 64> bytes{};
    bool valid = false;
};

bool SaveLineSettings(int fd, LineSettings& settings);
bool RestoreLineSettings(int fd, const LineSettings& settings);

// Sets input and output rate to baud and reads it back; false when the driver refused it or
// reports a rate more than 2% away.
bool SetLineRate(int fd, unsigned long baud);

// The output rate of the line. On a pty master this is the rate the slave's owner set.
bool GetLineRate(int fd, unsigned long* baud);

} // namespace qvx::posix
