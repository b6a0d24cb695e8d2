#include "PingCommand.h"

#include "PellworthCmdLineInfo.h"

#include "link/S22SignLink.h"

#include <ostream>
#include <string>

namespace {

constexpr unsigned long kDefaultBaud = 115200;

std::string ResultName(short result)
{
    std::string text = S22ResultText(result);
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

} // namespace

int RunPing(const CPellworthCmdLineInfo& cmdInfo, std::ostream& out)
{
    int com = 0;
    int address = 0;
    if (!ParseComTarget(cmdInfo.GetPingTarget(), com, address) || com > 255) {
        out << "ping: \"" << cmdInfo.GetPingTarget() << "\" is not a port, use COM<n>[:<address>]\n";
        return 2;
    }
    if (address < 1 || address > 240) {
        out << "Invalid network address for a Quorvantix Reader Board\n";
        return 2;
    }
    const unsigned long baud =
        cmdInfo.IsBaudGiven() && cmdInfo.GetBaudRate() > 0 ? static_cast<unsigned long>(cmdInfo.GetBaudRate()) : kDefaultBaud;

    out << "Pinging address " << address << " on COM" << com << " at " << baud << " baud.\n";
    CS22SignLink link;
    const short opened = link.OpenPort(static_cast<short>(com), baud, 0);
    if (opened != S22NET_OK) {
        out << "COM" << com << " could not be opened (" << ResultName(opened) << "): missing or busy.\n";
        return 3;
    }
    const short result = link.SequenceReset(static_cast<unsigned char>(address));
    link.ClosePort();
    if (result != S22NET_OK) {
        out << "No valid answer after " << link.GetActualNumberOfRetries() + 1 << " tries (" << ResultName(result)
            << ").\n";
        return 1;
    }
    out << "The display answered in the S2200 Protocol.\n";
    return 0;
}
