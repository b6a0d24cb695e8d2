#pragma once
// The sign link through which the tool's own pages, jobs and tests talk to one display line: an
// embedded serial port, its own exchange loop (up to four tries, no broadcast shortcut, no log),
// a listener told about busy periods, and the serial echo (loop-back) test.

#include "link/IPTANetListener.h"
#include "link/S22Exchange.h"
#include "link/S22NetPacket.h"
#include "link/S22NetResult.h"
#include "link/S22NetSerialPort.h"

#include <atomic>
#include <vector>

class CS22SignLink {
public:
    static constexpr unsigned long kPortTimeOutMs = 3000;
    static constexpr short kMaxRetries = 3;
    static constexpr unsigned long kEchoTestBaud = 19200;

    CS22SignLink() = default;
    CS22SignLink(const CS22SignLink&) = delete;
    CS22SignLink& operator=(const CS22SignLink&) = delete;

    // Port control.
    short OpenPort(short comPort, unsigned long baud, unsigned char flag);
    short ClosePort();
    bool IsOpen() const { return m_bOpen; }

    // Abort may be called from any thread; it also cuts a waiting port read short.
    void Abort();
    void ClearAbort();
    void SetListener(IPTANetListener* listener) { m_pListener = listener; }
    IPTANetListener* GetListener() const { return m_pListener; }

    // A sequence-reset exchange: 0 means the controller answered in this protocol.
    short SequenceReset(unsigned char address);
    // Sends the caller's bytes as a command frame; copies up to replyLength reply data bytes (the
    // rest zero) into reply when it is not null. No status byte is checked.
    short GenericCommand(unsigned char address, const void* request, short length, void* reply,
                         short replyLength);

    short GetActualNumberOfRetries() const { return m_nActualRetries; }
    void GetLastPacket(const unsigned char** sent, const unsigned char** received) const;
    CS22NetSerialPort& Port() { return m_port; }

    // Serial echo test with a loop-back plug (type 0: a fixed text; type 1: the embedded firmware).
    bool StartEchoTest(short comPort, int type);
    int EchoTestStep();
    void GetEchoTestProgress(unsigned long& done, unsigned long& total) const;
    void EndEchoTest(int type);

    // Results of EchoTestStep.
    static constexpr int kEchoMore = 0;
    static constexpr int kEchoPassed = 1;
    static constexpr int kEchoFailed = 2;

private:
    // Ends a busy period on every path of the operation that began it.
    class BusyPeriod {
    public:
        explicit BusyPeriod(CS22SignLink& link);
        ~BusyPeriod();
        BusyPeriod(const BusyPeriod&) = delete;
        BusyPeriod& operator=(const BusyPeriod&) = delete;

    private:
        CS22SignLink& m_link;
        bool m_bBegan = false;
    };

    // Runs work() as one framed operation: -4 when closed, abort cleared, busy period, and the
    // link's one-time sequence reset first.
    template <class Work>
    short RunFramed(unsigned char address, Work&& work);
    short Exchange(const S22Request& request);
    short ResetSequence(unsigned char address);

    bool m_bOpen = false;
    std::atomic<bool> m_bAbort{false};
    short m_nActualRetries = -1;
    bool m_bSequenceResetDone = false;
    std::vector<unsigned char> m_retrieved;
    unsigned short m_nBlocksDone = 0;
    unsigned short m_nBlocksTotal = 0;
    CS22NetSerialPort m_port;
    IPTANetListener* m_pListener = nullptr; // not owned
    CS22SequenceTable m_sequence;
    CS22NetPacket m_sent;
    CS22NetPacket m_received;
    bool m_bBusy = false;

    std::vector<unsigned char> m_echoText; // owned data of the type-0 test
    const unsigned char* m_pEchoData = nullptr;
    unsigned long m_nEchoSize = 0;
    unsigned long m_nEchoDone = 0;
    bool m_bEchoOpenedPort = false;
};

template <class Work>
short CS22SignLink::RunFramed(unsigned char address, Work&& work)
{
    if (!m_bOpen)
        return ERR_COMMAND_NO_CONNECTION;
    ClearAbort();
    BusyPeriod busy(*this);
    if (!m_bSequenceResetDone) {
        const short reset = ResetSequence(address);
        if (reset != S22NET_OK)
            return reset;
        m_bSequenceResetDone = true;
    }
    return work();
}
