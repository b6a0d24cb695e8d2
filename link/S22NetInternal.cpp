#include "link/S22NetInternal.h"

#include "link/PortFailure.h"
#include "link/S22NetworkEvents.h"

#include <string>

S22Result CS22NetInternal::ConfigureDirect(short comPort, long baud, bool flag)
{
    if (m_bConnected)
        return ERR_COMMAND_ALREADY_CONNECTED;
    m_pPort = std::make_unique<CS22NetSerialPort>();
    m_pPort->Configure(comPort, static_cast<unsigned long>(baud), flag ? 1 : 0);
    m_pPort->SetTimeOut(m_nTimeOut);
    m_pPort->SetEventHandler(m_pEventHandler, m_nHandlerId);
    m_diagnostics.SetFileName("Direct COM" + std::to_string(comPort) + ".txt");
    RecordConnectFailure(SerialOpenFailure{});
    return S22NET_OK;
}

S22Result CS22NetInternal::Connect()
{
    if (m_bConnected)
        return ERR_COMMAND_ALREADY_CONNECTED;
    if (m_bBusy)
        return ERR_COMMAND_BUSY;
    if (!m_pPort)
        return ERR_COMMAND_NOT_CONFIGURED;
    m_abSequenceResetDone.fill(false);
    const S22Result result = m_pPort->Connect();
    m_bConnected = result == S22NET_OK;
    RecordConnectFailure(m_bConnected ? SerialOpenFailure{} : m_pPort->LastOpenFailure());
    return result;
}

void CS22NetInternal::RecordConnectFailure(const SerialOpenFailure& failure)
{
    m_nConnectError = failure.systemError;
    m_strConnectFailure.clear();
    for (const std::string& line : DescribeOpenFailure(m_pPort->GetComPort(), failure)) {
        if (!m_strConnectFailure.empty())
            m_strConnectFailure += '\n';
        m_strConnectFailure += line;
    }
    // A refusal without a system code still has its words.
    if (failure.kind != SerialOpenFailure::Kind::None && m_strConnectFailure.empty())
        m_strConnectFailure = "COM" + std::to_string(m_pPort->GetComPort()) + ": the port could not be opened";
}

long CS22NetInternal::GetLastConnectError(const char** text) const
{
    if (text != nullptr)
        *text = m_strConnectFailure.c_str();
    return m_nConnectError;
}

S22Result CS22NetInternal::Disconnect()
{
    if (!m_pPort)
        return ERR_COMMAND_NOT_CONFIGURED;
    const S22Result result = m_pPort->Disconnect();
    m_bConnected = false;
    return result;
}

void CS22NetInternal::SetTimeOut(long ms)
{
    m_nTimeOut = ms < 0 ? 0 : static_cast<unsigned long>(ms);
    if (m_pPort)
        m_pPort->SetTimeOut(m_nTimeOut);
}

void CS22NetInternal::SetMaxNumberOfRetries(short n)
{
    if (n >= 0)
        m_nMaxRetries = n;
}

void CS22NetInternal::GetLastPacket(unsigned char** sent, unsigned char** received)
{
    if (sent != nullptr)
        *sent = m_sent.Bytes();
    if (received != nullptr)
        *received = m_received.Bytes();
}

void CS22NetInternal::RegisterEventHandler(CS22NetworkEvents* handler, short handlerId)
{
    m_pEventHandler = handler;
    m_nHandlerId = handlerId;
    if (m_pPort)
        m_pPort->SetEventHandler(handler, handlerId);
}

void CS22NetInternal::SetBlocks(unsigned short done, unsigned short total)
{
    m_nBlocksDone = done;
    m_nBlocksTotal = total;
    if (m_pEventHandler != nullptr)
        m_pEventHandler->OnProgress(done, total, static_cast<unsigned short>(m_nHandlerId));
}

S22Result CS22NetInternal::EnsureSequenceReset(unsigned char address)
{
    if (m_abSequenceResetDone[address])
        return S22NET_OK;
    const S22Result result = SequenceReset(address);
    if (result == S22NET_OK)
        m_abSequenceResetDone[address] = true;
    return result;
}

S22Result CS22NetInternal::SequenceReset(unsigned char address)
{
    m_sequence.Reset(address);
    return Exchange(S22Request::SequenceReset(address));
}

S22Result CS22NetInternal::Exchange(const S22Request& request)
{
    // A failed send is not tried again, and broadcasts are never answered.
    ExchangePolicy policy;
    policy.maxRetries = m_nMaxRetries;
    policy.awaitReply = !IsBroadcastAddress(request.address);
    policy.abortSettlesAfterSend = true;
    const unsigned char sequence = m_sequence.Get(request.address);
    const S22Result result = RunExchangeTries(
        policy, m_bAbort, m_nActualRetries, [&] { return SendRequest(*m_pPort, m_sent, request, sequence); },
        [&] { return AwaitReply(*m_pPort, m_received, request, sequence); }, [this](short tried) { Log(tried); });
    m_sequence.Advance(request.address);
    return result;
}

S22Result CS22NetInternal::ExchangeCommand(const S22Request& request)
{
    // Broadcasts are not answered: what a transfer reads of the reply must not be a stale frame.
    if (IsBroadcastAddress(request.address))
        m_received.Clear();
    return Exchange(request);
}

S22Result CS22NetInternal::Transact(unsigned char address, const CS22CommandBuffer& request, void* record,
                                    std::size_t recordSize, int statusOffset)
{
    const S22Result result = Exchange(S22Request::Command(address, request.Data(), request.Length()));
    if (result != S22NET_OK || IsBroadcastAddress(address))
        return result;
    S22CopyReply(m_received, record, recordSize);
    if (statusOffset >= 0 && m_received.Data()[statusOffset] != 0)
        return ERR_SIGN_RESPONSE_ERROR;
    return S22NET_OK;
}

S22Result CS22NetInternal::Command(unsigned char address, bool needsOneController, const CS22CommandBuffer& request,
                                   void* record, std::size_t recordSize, int statusOffset)
{
    if (!request.IsValid())
        return ERR_COMMAND_BAD_ARGUMENT;
    return RunCommand(address, needsOneController,
                      [&] { return Transact(address, request, record, recordSize, statusOffset); });
}
