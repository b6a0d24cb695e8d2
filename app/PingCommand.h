#pragma once
// Pings one controller named by the "ping" switch (COM<n>[:<address>]): a sequence reset over the
// core's sign link, at the "b" rate when one is given, else 115200 baud. A display that does not
// answer is asked once in the customer protocol, to tell one that -info would switch over, or one
// of another maker, from one that is not there.

#include <iosfwd>

class CInstallerCore;
class CPellworthCmdLineInfo;

// Exit status: one of exitstatus (ExitStatus.h).
int RunPing(const CPellworthCmdLineInfo& cmdInfo, std::ostream& out, CInstallerCore& core);
