#include "connection/DisplayConnector.h"

#include "link/PortNames.h"
#include "update/package/FirmwareLine.h"

#include <cstdio>

namespace {

std::string Format(const char* pattern, int value)
{
    char text[256];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

} // namespace

void CDisplayConnector::Progress(const std::string& text)
{
    Status(text);
    m_runner.Progress().Text(text);
}

// Connecting.

void CDisplayConnector::BuildConnectionList(std::vector<CONNECTION_INFO>& list, int address, int port,
                                         const BaudChoice& baud)
{
    static const int kAllRates[] = {115200, 19200, 56700, 38400, 28800, 9600, 4800, 2400};
    std::vector<std::pair<int, int>> attempts; // protocol, rate
    if (!baud.bGiven) {
        attempts = {{PROTOCOL_PELLWORTH, 115200}, {PROTOCOL_PELLWORTH, 19200}, {PROTOCOL_S2200, 19200},
                    {PROTOCOL_S2200, 115200}};
    } else if (baud.nRate != 0) {
        attempts = {{PROTOCOL_PELLWORTH, baud.nRate}, {PROTOCOL_S2200, baud.nRate}};
    } else {
        for (int protocol : {PROTOCOL_PELLWORTH, PROTOCOL_S2200})
            for (int rate : kAllRates)
                attempts.emplace_back(protocol, rate);
    }
    list.clear();
    for (const auto& [protocol, rate] : attempts)
        list.push_back({protocol, static_cast<unsigned short>(port), address, rate});
}

ConnectOutcome CDisplayConnector::ConnectToDisplay(const std::vector<CONNECTION_INFO>& list, int address)
{
    ConnectOutcome outcome;
    m_runner.Run([&] { ConnectionWork(list, address, outcome); });
    return outcome;
}

void CDisplayConnector::ConnectionWork(const std::vector<CONNECTION_INFO>& list, int address,
                                       ConnectOutcome& outcome)
{
    outcome.result = TryConnections(list, outcome.entry);
    if (outcome.result != CONNECT_OK)
        return;
    // The summary keeps earlier values where a file has no sign port; never another display's.
    m_session.Summary() = ConfigSummary{};
    const bool config = RetrieveConfig(m_session.ConfigDoc(), address);
    const bool status = RetrieveStatus(m_session.StatusDoc(), address);
    // A status that could not be read is still the previous display's: never decide from it.
    std::string version = status ? m_session.GetFirmwareVersion() : std::string();
    if (version.empty())
        version = "Unknown";
    outcome.strFirmware = version;
    m_session.SetFirmwareLine(NamesFirmwareFamily(version, true));
    if (!config || !status) {
        // A reset's reply is its request's own bytes; the file reads show whether a display made it.
        if (ReportLineEchoes(outcome.entry.nPort)) {
            outcome.result = CONNECT_LINE_ECHOES;
            return;
        }
        outcome.result = CONNECT_NOT_OUR_DISPLAY;
        Link().ClosePort(); // not a display to stay connected to
        return;
    }
    m_session.MarkConnected(outcome.entry.nPort, address);
}

ConnectResult CDisplayConnector::TryConnections(const std::vector<CONNECTION_INFO>& list, CONNECTION_INFO& outcome)
{
    auto hold = m_session.HoldLink();
    if (!m_runner.IsCancelled())
        Link().ClearAbort();
    if (Link().IsOpen())
        Link().ClosePort();
    ConnectResult result = CONNECT_NO_ANSWER;
    const CONNECTION_INFO* previous = nullptr;
    for (const CONNECTION_INFO& entry : list) {
        if (result == CONNECT_OK || result == CONNECT_PORT_BUSY || result == CONNECT_NOT_OUR_DISPLAY
            || result == CONNECT_LINE_ECHOES || m_runner.IsCancelled())
            break;
        if (previous == nullptr || previous->nAddress != entry.nAddress)
            Status(Format("Connecting to Sign at address %d...", entry.nAddress));
        previous = &entry;
        result = ConnectAttempt(entry);
        if (result == CONNECT_OK) {
            outcome = entry;
        } else if (result == CONNECT_NOT_OUR_DISPLAY) {
            Error(101, "Display is not a Quorvantix Reader Board", entry.nAddress);
            Link().ClosePort();
        }
    }
    if (m_runner.IsCancelled()) {
        Status("Connecting to the display has been aborted");
        if (Link().IsOpen())
            Link().ClosePort();
        return CONNECT_ABORTED;
    }
    if (result == CONNECT_NO_ANSWER) {
        Error(510, "Could not connect to display", previous != nullptr ? previous->nAddress : 0);
        Status("The display may not have power or a connectivity problem exists");
    }
    return result;
}

ConnectResult CDisplayConnector::ConnectAttempt(const CONNECTION_INFO& entry)
{
    auto hold = m_session.HoldLink();
    return entry.nProtocol == PROTOCOL_PELLWORTH ? PellworthAttempt(entry) : S2200Attempt(entry);
}

bool CDisplayConnector::OpenForAttempt(const CONNECTION_INFO& entry)
{
    if (Link().OpenPort(static_cast<short>(entry.nPort), static_cast<unsigned long>(entry.nBaud), 0) == S22NET_OK)
        return true;
    Error(500, Format("Serial COM%d is busy.", static_cast<short>(entry.nPort)), entry.nAddress);
    ReportOpenFailure(static_cast<short>(entry.nPort), Link().Port().LastOpenFailure());
    return false;
}

void CDisplayConnector::ReportOpenFailure(int port, const SerialOpenFailure& failure)
{
    for (const std::string& line : DescribeOpenFailure(port, failure))
        Status(line);
}

ConnectResult CDisplayConnector::S2200Attempt(const CONNECTION_INFO& entry)
{
    Progress(Format("Connecting with S2200 Protocol at %d baud", entry.nBaud));
    if (!OpenForAttempt(entry))
        return CONNECT_PORT_BUSY;
    if (Link().SequenceReset(static_cast<unsigned char>(entry.nAddress)) == S22NET_OK) {
        Status(Format("Connection established with S2200 Protocol at %d baud.", entry.nBaud));
        return CONNECT_OK;
    }
    Link().ClosePort();
    Status(Format("Connection with S2200 Protocol at %d baud has failed.", entry.nBaud));
    return CONNECT_NO_ANSWER;
}

ConnectResult CDisplayConnector::PellworthAttempt(const CONNECTION_INFO& entry)
{
    Progress(Format("Connecting with Pellworth Protocol at %d baud", entry.nBaud));
    if (!OpenForAttempt(entry))
        return CONNECT_PORT_BUSY;
    if (m_runner.IsCancelled())
        return CONNECT_ABORTED;
    std::string text;
    const short answered = Link().GetSignType(static_cast<unsigned char>(entry.nAddress), text);
    Status(Format("Response from get sign type: %d", answered));
    Status("Sign Type Version:" + text);
    const std::string failed = Format("Connection with Pellworth Protocol at %d baud has failed.", entry.nBaud);
    if (answered == ERR_SIGN_ABORT)
        return CONNECT_NO_ANSWER;
    if (answered != S22NET_OK)
        return UnansweredSignType(entry);
    if (ReportLineEchoes(entry.nPort))
        return CONNECT_LINE_ECHOES;
    if (text.size() < 7) {
        Status(failed);
        Status("Unknown firmware version format.");
        Status(Format("Detected a HITECH display at %d baud.", entry.nBaud));
        Link().ClosePort();
        return CONNECT_NOT_OUR_DISPLAY;
    }
    const std::string family = text.substr(0, 7);
    if (family == "FX40211")
        return SwitchPellworthDisplay(entry);
    Link().ClosePort();
    if (family == "FX40377")
        return CONNECT_NO_ANSWER;
    Status(failed);
    Status(Format("Detected a HITECH display at %d baud.", entry.nBaud));
    return CONNECT_NOT_OUR_DISPLAY;
}

bool CDisplayConnector::ReportLineEchoes(int port)
{
    if (!Link().Port().Echoes().OnlyEchoes())
        return false;
    Status(Format("COM%d echoes what is sent: a loop-back plug, or an adapter echoing, is on the line"
                            " and no display answered.",
                            port));
    Link().ClosePort();
    return true;
}

// No sign-type answer: the display may already speak the controller protocol.
ConnectResult CDisplayConnector::UnansweredSignType(const CONNECTION_INFO& entry)
{
    const short reset = Link().SequenceReset(static_cast<unsigned char>(entry.nAddress));
    if (reset == S22NET_OK) {
        Status(Format("Connection with Pellworth Protocol at %d baud has failed.", entry.nBaud));
        Status(Format("Connection established with S2200 Protocol at %d baud.", entry.nBaud));
        return CONNECT_OK;
    }
    if (reset == ERR_SIGN_ABORT)
        return CONNECT_NO_ANSWER;
    Status(Format("Connection with Pellworth Protocol at %d baud has failed.", entry.nBaud));
    Status("Unable to retrieve firmware version info.");
    Link().ClosePort();
    return CONNECT_NO_ANSWER;
}

ConnectResult CDisplayConnector::SwitchPellworthDisplay(const CONNECTION_INFO& entry)
{
    const auto address = static_cast<unsigned char>(entry.nAddress);
    short result = Link().PellworthPing(address);
    if (result == S22NET_OK) {
        Status(Format("Connection established with Pellworth Protocol at %d baud.", entry.nBaud));
        Status(Format("Changing to S2200 Protocol at %d baud.", entry.nBaud));
        result = Link().SwitchToS2200(address);
    }
    if (m_runner.IsCancelled())
        return CONNECT_ABORTED;
    const std::string failed = Format("Connection with Pellworth Protocol at %d baud has failed.", entry.nBaud);
    if (result == S22NET_OK) {
        const short reset = Link().SequenceReset(address);
        if (reset == S22NET_OK)
            return CONNECT_OK;
        if (reset == ERR_SIGN_ABORT)
            return CONNECT_NO_ANSWER;
        Link().ClosePort();
        Status(failed);
        Status("Invalid response from ping.");
        return CONNECT_NO_ANSWER;
    }
    Link().ClosePort();
    if (result == ERR_SIGN_INVALID_RESPONSE) {
        Status(failed);
        Status("Unable to reset to S2200 Protocol.");
        return CONNECT_SWITCH_REFUSED;
    }
    return CONNECT_NO_ANSWER;
}

// Retrieval.

bool CDisplayConnector::RetrieveFile(CXmlDoc& doc, int address, const char* name, const char* retrieving,
                                  const char* retrieved, const char* abortedLine, int taskCode, const char* failure)
{
    Progress(retrieving);
    short result = S22NET_OK;
    const unsigned char* data = Link().GetFile(static_cast<unsigned char>(address), name, result, nullptr, 0);
    if (result == S22NET_OK && data != nullptr) {
        const std::string text(reinterpret_cast<const char*>(data), Link().GetTransferFigures().retrievedSize);
        if (doc.SetDocument(text, true)) {
            Status(retrieved);
            return true;
        }
    }
    if (result == ERR_SIGN_ABORT && abortedLine != nullptr)
        Status(abortedLine);
    Error(taskCode, failure, address);
    return false;
}

bool CDisplayConnector::RetrieveStatus(CXmlDoc& doc, int address)
{
    auto hold = m_session.HoldLink();
    return RetrieveFile(doc, address, "STATUS.XML", "Retrieving status file...", "The status file was retrieved.",
                        "Retrieving status file was aborted", 504, "Status file cannot be retrieved");
}

bool CDisplayConnector::RetrieveConfig(CXmlDoc& doc, int address)
{
    auto hold = m_session.HoldLink();
    return RetrieveFile(doc, address, "CONFIG.XML", "Retrieving configuration file...",
                        "The config file was retrieved.", nullptr, 512, "Config file cannot be retrieved");
}

bool CDisplayConnector::ValidateDisplayAddress(bool silent, int address)
{
    if (address >= 1 && address <= 240)
        return true;
    if (!silent)
        m_view.ShowMessageBox("You have entered an invalid display address.  A valid display\n"
                              "address is between 1 and 240.");
    Error(300, "Invalid network address for a Quorvantix Reader Board", address);
    return false;
}

bool CDisplayConnector::IsPortBusy(int port, SerialOpenFailure* why)
{
    CS22SignLink probe;
    if (probe.OpenPort(static_cast<short>(port), 115200, 0) != S22NET_OK) {
        if (why != nullptr)
            *why = probe.Port().LastOpenFailure();
        return true;
    }
    probe.ClosePort();
    return false;
}

