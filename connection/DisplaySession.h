#pragma once
// The display the tool is connected to: the one sign link (and the lock that gives it to one
// thread at a time), the port and address, the two controller documents last read from it, the
// configuration summary, the sign type and whether it runs the firmware line. It publishes its
// state to the view, which derives its controls from it.

#include "connection/DisplayLists.h"
#include "connection/InstallerView.h"
#include "files/XmlDoc.h"
#include "link/S22ServerSignType.h"
#include "link/S22SignLink.h"

#include <mutex>
#include <string>

class CDisplaySession {
public:
    explicit CDisplaySession(IInstallerView& view) : m_view(view) {}
    CDisplaySession(const CDisplaySession&) = delete;
    CDisplaySession& operator=(const CDisplaySession&) = delete;

    CS22SignLink& Link() { return m_link; }
    // Holds the link for one thread across several steps (re-entrant; the keep-alive waits its
    // turn). Operations the runner runs already hold it.
    std::unique_lock<std::recursive_mutex> HoldLink() { return std::unique_lock(m_linkLock); }
    std::recursive_mutex& LinkLock() { return m_linkLock; }

    CXmlDoc& ConfigDoc() { return m_configDoc; }
    CXmlDoc& StatusDoc() { return m_statusDoc; }
    ConfigSummary& Summary() { return m_summary; }
    const ConfigSummary& Summary() const { return m_summary; }
    CS22Server_SignType& SignType() { return m_signType; }
    const CS22Server_SignType& SignType() const { return m_signType; }
    // The firmware version STATUS.XML reports ("" when it names none).
    std::string GetFirmwareVersion();
    // Whether the connected display runs the firmware line: set from its firmware version text
    // after every connection, by the lines' naming rule (update/package/FirmwareLine.h).
    bool IsFirmwareLine() const { return m_bFirmwareLine; }
    void SetFirmwareLine(bool line) { m_bFirmwareLine = line; }
    // The two documents' rows, shown by the view.
    void ShowDisplayInfo();

    // What the view shows of the session.
    SessionState State() const;
    // A display answered and its files were read: connected at this port and address.
    void MarkConnected(int port, int address);
    // The line and address a job works on, shown while it does; port 0 is the list's first port.
    void ShowLine(int port);
    void ShowAddress(int address);
    int Address() const;
    void SetBusy(bool busy);
    // Closes the link; the link's close result.
    short Disconnect();
    // Closes the link when it is open.
    void CloseLink();
    // Shows the state again when it changed (the link may have been closed by an operation).
    void Publish();

private:
    IInstallerView& m_view;
    CS22SignLink m_link;
    std::recursive_mutex m_linkLock;
    CXmlDoc m_configDoc;
    CXmlDoc m_statusDoc;
    ConfigSummary m_summary;
    CS22Server_SignType m_signType;
    bool m_bFirmwareLine = false;

    std::mutex m_showLock;          // held while a state is shown, so states reach the view in order
    mutable std::mutex m_stateLock; // guards the state and what was last shown of it
    SessionState m_state;           // bConnected: a display was connected (and the link is open)
    SessionState m_shown;
};
