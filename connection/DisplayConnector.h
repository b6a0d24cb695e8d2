#pragma once
// Connecting to a display: the attempts of a connection list, each by its protocol (switching a
// display from the customer protocol where it speaks it), then reading its two files into the
// session. Every attempt reports its lines; the connection's outcome says how it ended and what
// was learned.

#include "connection/DisplaySession.h"
#include "connection/MessageStore.h"
#include "connection/OperationRunner.h"
#include "link/PortFailure.h"

#include <string>
#include <vector>

// One attempt of a connection: protocol, port, address, rate.
struct CONNECTION_INFO {
    int nProtocol = 0; // 0 S2200 Protocol, 1 Pellworth Protocol
    unsigned short nPort = 0;
    int nAddress = 0;
    int nBaud = 0;
};

constexpr int PROTOCOL_S2200 = 0;
constexpr int PROTOCOL_PELLWORTH = 1;

// Results of a connection.
enum ConnectResult : int {
    CONNECT_OK = 0,
    CONNECT_NO_ANSWER = 1,
    CONNECT_PORT_BUSY = 2,
    CONNECT_SWITCH_REFUSED = 3,
    CONNECT_ABORTED = 4,
    CONNECT_NOT_OUR_DISPLAY = 5,
    // Every reply was the request's own bytes: a loop-back plug or an echoing adapter, no display.
    CONNECT_LINE_ECHOES = 6,
};

// How a connection ended: its result, the attempt that answered, and the firmware version the
// display reported ("Unknown" when its status could not be read).
struct ConnectOutcome {
    ConnectResult result = CONNECT_NO_ANSWER;
    CONNECTION_INFO entry;
    std::string strFirmware;
};

// How the attempt list is built: the "b" switch, with or without a rate.
struct BaudChoice {
    bool bGiven = false;
    int nRate = 0; // 0: "b" without a rate
};

class CDisplayConnector {
public:
    CDisplayConnector(CDisplaySession& session, COperationRunner& runner, CMessageStore& store, IInstallerView& view)
        : m_session(session), m_runner(runner), m_store(store), m_view(view)
    {
    }

    static void BuildConnectionList(std::vector<CONNECTION_INFO>& list, int address, int port, const BaudChoice& baud);
    // The whole connection, as an operation: the attempts, then both files read into the session.
    ConnectOutcome ConnectToDisplay(const std::vector<CONNECTION_INFO>& list, int address);
    // The attempts only; outcome receives the one that answered.
    ConnectResult TryConnections(const std::vector<CONNECTION_INFO>& list, CONNECTION_INFO& outcome);
    // One attempt of the list by its protocol, with its lines, and nothing around it: no closing
    // "could not connect" report. The link should be closed before.
    ConnectResult ConnectAttempt(const CONNECTION_INFO& entry);

    bool RetrieveConfig(CXmlDoc& doc, int address);
    bool RetrieveStatus(CXmlDoc& doc, int address);

    // False, with task code 300 (and a message box unless silent), for an address outside 1 to 240.
    bool ValidateDisplayAddress(bool silent, int address);
    // why, when given, receives the reason the port could not be opened.
    static bool IsPortBusy(int port, SerialOpenFailure* why = nullptr);
    // The reason lines for a port that could not be opened, reported after the task line.
    void ReportOpenFailure(int port, const SerialOpenFailure& failure);

private:
    void ConnectionWork(const std::vector<CONNECTION_INFO>& list, int address, ConnectOutcome& outcome);
    ConnectResult S2200Attempt(const CONNECTION_INFO& entry);
    ConnectResult PellworthAttempt(const CONNECTION_INFO& entry);
    ConnectResult SwitchPellworthDisplay(const CONNECTION_INFO& entry);
    ConnectResult UnansweredSignType(const CONNECTION_INFO& entry);
    // True, with the line that says so and the port closed, when every reply so far was an echo.
    bool ReportLineEchoes(int port);
    bool OpenForAttempt(const CONNECTION_INFO& entry);
    void Progress(const std::string& text);
    bool RetrieveFile(CXmlDoc& doc, int address, const char* name, const char* retrieving, const char* retrieved,
                      const char* abortedLine, int taskCode, const char* failure);
    void Status(const std::string& text) { m_store.AddStatusMessage(text); }
    // address: the display the line concerns.
    void Error(int taskCode, const std::string& text, int address)
    {
        m_store.AddErrorMessage(taskCode, text, address);
    }
    CS22SignLink& Link() { return m_session.Link(); }

    CDisplaySession& m_session;
    COperationRunner& m_runner;
    CMessageStore& m_store;
    IInstallerView& m_view;
};
