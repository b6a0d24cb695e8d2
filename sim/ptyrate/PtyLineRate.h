#pragma once
// A pseudo-terminal's line rate through the kernel's termios2 interface, which carries any rate
// (56700 and 28800 have no B-constant). The stand-in controller reads the rate the host set, as a
// UART would hear it; test hosts set theirs. Kept apart from the tool's serial code, so the two
// ends of the wire share nothing but the wire, and in a unit of its own because the kernel's
// termios2 header and the C library's <termios.h> cannot be included together.

namespace qvxsim {

// The line's output rate. On a pty master this is the rate the slave's owner set.
bool GetPtyLineRate(int fd, unsigned long* baud);

// Sets input and output rate to baud; false when the driver refused it or reads back a rate more
// than 2% away.
bool SetPtyLineRate(int fd, unsigned long baud);

} // namespace qvxsim
