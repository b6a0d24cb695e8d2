#pragma once
// Pings one controller named by the "ping" switch (COM<n>[:<address>]): a sequence reset over the
// sign link, at the "b" rate when one is given, else 115200 baud.

#include <iosfwd>

class CPellworthCmdLineInfo;

// Exit status: 0 the controller answered, 1 no valid answer, 2 bad target, 3 the port could not be opened.
int RunPing(const CPellworthCmdLineInfo& cmdInfo, std::ostream& out);
