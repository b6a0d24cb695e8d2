#pragma once
// Pings one controller named by the "ping" switch (COM<n>[:<address>]): a sequence reset over the
// core's sign link, at the "b" rate when one is given, at each of Auto Connect's eight rates in
// turn for "b" without a rate (up to the first the display answers at), else at 115200 baud. A
// display that does not answer at a rate is asked once in the customer protocol, to tell one that
// -info would switch over, or one of another maker, from one that is not there.

#include <iosfwd>
#include <vector>

class CInstallerCore;
class CPellworthCmdLineInfo;

// Exit status: one of exitstatus (ExitStatus.h).
int RunPing(const CPellworthCmdLineInfo& cmdInfo, std::ostream& out, CInstallerCore& core);

// The rates a ping tries, in order: "b" given (baudGiven) with rate 0 is "b" without a rate.
std::vector<unsigned long> PingRates(bool baudGiven, int rate);
