#include "PingCommand.h"

#include "PellworthCmdLineInfo.h"
#include "app/ExitStatus.h"
#include "app/PortOpenReport.h"
#include "connection/InstallerCore.h"
#include "update/JobReport.h"

#include <ostream>
#include <string>
#include <vector>

namespace {

constexpr unsigned long kDefaultBaud = 115200;

std::string ResultName(short result)
{
    std::string text = S22ResultText(result);
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

// No answer in the controller protocol: one question in the customer protocol tells the rest.
int WithoutAnswer(CS22SignLink& link, unsigned char address, std::ostream& out, bool& answered)
{
    std::string signType;
    if (link.GetSignType(address, signType) == S22NET_OK) {
        answered = true;
        if (signType.rfind("FX40211", 0) == 0) {
            out << "It answers only the customer protocol (Pellworth Protocol, firmware " << Latin1ToTerminal(signType)
                << "); -info would switch it to the S2200 Protocol.\n";
            return exitstatus::kNoAnswer;
        }
        out << "It answers only the customer protocol, as a display of another maker (" << Latin1ToTerminal(signType)
            << "), which this tool leaves alone.\n";
        return exitstatus::kNotOurs;
    }
    return exitstatus::kNoAnswer;
}

// A reset's genuine reply is its request's own bytes, so a reset alone cannot tell a display from
// a line that echoes. One status query (it changes nothing on a display) can: a display answers it
// with a status, an echoing line with the query itself.
bool LineEchoes(CS22SignLink& link, unsigned char address)
{
    const CLineEchoWatch& echoes = link.Port().Echoes();
    if (!echoes.OnlyEchoes())
        return false;
    const unsigned long before = echoes.Replies();
    const unsigned char statusQuery[8] = {2, 0};
    (void)link.GenericCommand(address, statusQuery, sizeof statusQuery, nullptr, 0);
    return echoes.Replies() > before && echoes.OnlyEchoes();
}

constexpr char kLineEchoes[] = "Every reply was the request's own bytes: the line echoes what is sent (a loop-back"
                               " plug, or an adapter echoing). No display answered.\n";

// One ping at one rate. answered: the display said something at this rate (in either protocol).
int PingAt(CS22SignLink& link, int com, unsigned char target, unsigned long baud, std::ostream& out, bool& answered)
{
    out << "Pinging address " << static_cast<int>(target) << " on COM" << com << " at " << baud << " baud.\n";
    if (link.OpenPort(static_cast<short>(com), baud, 0) != S22NET_OK)
        return ReportPortNotOpened(out, com, link.Port().LastOpenFailure());
    const short result = link.SequenceReset(target);
    const short tries = link.GetTransferFigures().actualRetries;
    int status = exitstatus::kDone;
    answered = true;
    if (result == S22NET_OK && LineEchoes(link, target)) {
        out << kLineEchoes;
        status = exitstatus::kEchoes;
    } else if (result == S22NET_OK) {
        out << "The display answered in the S2200 Protocol.\n";
    } else if (exitstatus::IsRefusal(result)) {
        out << "The display answered and refused the request (" << ResultName(result) << ").\n";
        status = exitstatus::kRefused;
    } else {
        out << "No valid answer after " << tries + 1 << " tries (" << ResultName(result) << ").\n";
        answered = false;
        status = result == ERR_SIGN_ABORT ? exitstatus::kNoAnswer : WithoutAnswer(link, target, out, answered);
    }
    link.ClosePort();
    return status;
}

} // namespace

std::vector<unsigned long> PingRates(bool baudGiven, int rate)
{
    if (!baudGiven)
        return {kDefaultBaud};
    if (rate > 0)
        return {static_cast<unsigned long>(rate)};
    // "b" without a rate means what it means to Auto Connect: its eight rates, in its order.
    std::vector<CONNECTION_INFO> attempts;
    CDisplayConnector::BuildConnectionList(attempts, 1, 1, BaudChoice{true, 0});
    std::vector<unsigned long> rates;
    for (const CONNECTION_INFO& attempt : attempts) {
        if (attempt.nProtocol == PROTOCOL_S2200)
            rates.push_back(static_cast<unsigned long>(attempt.nBaud));
    }
    return rates;
}

int RunPing(const CPellworthCmdLineInfo& cmdInfo, std::ostream& out, CInstallerCore& core)
{
    int com = 0;
    int address = 0;
    if (!ParseComTarget(cmdInfo.GetOptions().strPing, com, address) || com > 255) {
        out << "ping: \"" << cmdInfo.GetOptions().strPing << "\" is not a port, use COM<n>[:<address>]\n";
        return exitstatus::kUsage;
    }
    if (address < 1 || address > 240) {
        out << "Invalid network address for a Quorvantix Reader Board\n";
        return exitstatus::kUsage;
    }
    auto hold = core.Session().HoldLink();
    int status = exitstatus::kNoAnswer;
    for (const unsigned long baud : PingRates(cmdInfo.IsBaudGiven(), cmdInfo.GetBaudRate())) {
        bool answered = false;
        status = PingAt(core.Session().Link(), com, static_cast<unsigned char>(address), baud, out, answered);
        // Stop at the first rate the display answers at; a port that cannot be opened, or an
        // abort, ends the run at once.
        if (answered || status != exitstatus::kNoAnswer || core.IsCancelled())
            break;
    }
    return status;
}
