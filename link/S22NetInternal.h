#pragma once
// The exchange engine behind CS22Network: port, frames, sequence bytes, retries, diagnostics.

#include "link/S22Diagnostics.h"
#include "link/S22Exchange.h"
#include "link/S22NetPacket.h"
#include "link/S22NetResult.h"
#include "link/S22NetSerialPort.h"
#include "link/S22Transfer.h"

#include <array>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

class CS22NetworkEvents;

class CS22NetInternal final : public IS22Exchanger, public IS22TransferSink {
public:
    static constexpr short kDefaultMaxRetries = 2;
    static constexpr unsigned long kDefaultTimeOutMs = 1000;

    S22Result ConfigureDirect(short comPort, long baud, bool flag);
    S22Result Connect();
    S22Result Disconnect();
    void Abort() { m_bAbort = true; }
    void SetTimeOut(long ms);
    void SetMaxNumberOfRetries(short n);
    short GetMaxNumberOfRetries() const { return m_nMaxRetries; }
    short GetActualNumberOfRetries() const { return m_nActualRetries; }
    void SetRelaxValidationMode() { m_received.SetRelaxValidation(true); }
    void EnableDiagnostics(bool errorsOnly, const char* directory) { m_diagnostics.Enable(errorsOnly, directory); }
    void DisableDiagnostics() { m_diagnostics.Disable(); }
    void GetLastPacket(unsigned char** sent, unsigned char** received);
    void RegisterEventHandler(CS22NetworkEvents* handler, short handlerId);

    CS22NetSerialPort* Port() { return m_pPort.get(); }
    // Why the last Connect could not open the port (see CS22Network::GetLastConnectError).
    long GetLastConnectError(const char** text) const;
    bool IsConnected() const { return m_bConnected; }

    // Runs work() under the guard every command shares: -4 when not connected, -1 when busy,
    // the abort flag cleared first and the busy flag cleared on every path.
    template <class Work>
    S22Result RunGuarded(Work&& work);
    // RunGuarded plus -5 for a broadcast address where one controller is needed, and a first
    // sequence reset for each address since Connect.
    template <class Work>
    S22Result RunCommand(unsigned char address, bool needsOneController, Work&& work);
    // Marks an address as reset, for a ping (which is itself a reset).
    void MarkSequenceReset(unsigned char address) { m_abSequenceResetDone[address] = true; }

    // One exchange with this engine's retries, broadcast shortcut and logging.
    S22Result Exchange(const S22Request& request);
    // Sequence byte to 0, then a type-3 exchange.
    S22Result SequenceReset(unsigned char address);

    // One command under RunCommand: the reply record copied and, when statusOffset >= 0, the
    // reply's status byte checked (-10 when non-zero). A broadcast reads no reply.
    S22Result Command(unsigned char address, bool needsOneController, const CS22CommandBuffer& request,
                      void* record, std::size_t recordSize, int statusOffset);
    // One command's exchange, reply record and status, for use inside RunCommand.
    S22Result Transact(unsigned char address, const CS22CommandBuffer& request, void* record,
                       std::size_t recordSize, int statusOffset);

    // Transfers: exchanges and progress events.
    S22Result ExchangeCommand(const S22Request& request) override;
    const CS22NetPacket& LastReply() const override { return m_received; }
    void TransferBegins(unsigned short total) override { SetBlocks(0, total); }
    void StartFrameDone(unsigned short done, unsigned short total) override { SetBlocks(done, total); }
    void BlockDone(unsigned short done, unsigned short total) override { SetBlocks(done, total); }

    // The buffer of the last multi-block get, owned here until the next get.
    std::vector<unsigned char>& Retrieved() { return m_retrieved; }
    unsigned char* RetrievedData() { return m_retrieved.empty() ? nullptr : m_retrieved.data(); }

private:
    void RecordConnectFailure(const SerialOpenFailure& failure);
    // Progress of multi-block transfers, raised to the event handler.
    void SetBlocks(unsigned short done, unsigned short total);
    S22Result EnsureSequenceReset(unsigned char address);
    void Log(short result) { m_diagnostics.Record(m_nActualRetries == 0, m_sent, m_received, result); }

    unsigned short m_nBlocksDone = 0;
    unsigned short m_nBlocksTotal = 0;
    short m_nActualRetries = -1;
    short m_nMaxRetries = kDefaultMaxRetries;
    unsigned long m_nTimeOut = kDefaultTimeOutMs;
    CS22Diagnostics m_diagnostics;
    std::atomic<bool> m_bAbort{false};
    bool m_bConnected = false;
    long m_nConnectError = 0;
    std::string m_strConnectFailure; // the reason in words, "COM<n>: ..." lines
    std::atomic<bool> m_bBusy{false};
    std::array<bool, 256> m_abSequenceResetDone{};
    CS22SequenceTable m_sequence;
    std::vector<unsigned char> m_retrieved;
    std::unique_ptr<CS22NetSerialPort> m_pPort;
    CS22NetPacket m_sent;
    CS22NetPacket m_received;
    CS22NetworkEvents* m_pEventHandler = nullptr;
    short m_nHandlerId = 0;
};

template <class Work>
S22Result CS22NetInternal::RunGuarded(Work&& work)
{
    if (!m_bConnected)
        return ERR_COMMAND_NO_CONNECTION;
    bool idle = false;
    if (!m_bBusy.compare_exchange_strong(idle, true))
        return ERR_COMMAND_BUSY;
    m_bAbort = false;
    const S22Result result = work();
    m_bBusy = false;
    return result;
}

template <class Work>
S22Result CS22NetInternal::RunCommand(unsigned char address, bool needsOneController, Work&& work)
{
    return RunGuarded([&]() -> S22Result {
        if (needsOneController && IsBroadcastAddress(address))
            return ERR_COMMAND_NO_BROADCAST;
        const S22Result reset = EnsureSequenceReset(address);
        return reset != S22NET_OK ? reset : work();
    });
}
