#pragma once
// The loop-back test from the command line ("loopback" COM<n>, "long" for the long test): the
// same test as the window's Start Test, its progress and result as lines.

#include <iosfwd>

class CInstallerCore;
class CPellworthCmdLineInfo;

// Exit status: 0 passed, 1 nothing came back, 3 or 5 the port could not be opened, 12 the echo
// stopped or differed partway, 2 a target that is not a port (ExitStatus.h).
int RunLoopback(const CPellworthCmdLineInfo& cmdInfo, std::ostream& out, CInstallerCore& core);
