#include "link/S22SignLink.h"


CS22SignLink::BusyPeriod::BusyPeriod(CS22SignLink& link) : m_link(link)
{
    if (m_link.m_bBusy)
        return;
    m_link.m_bBusy = true;
    m_bBegan = true;
    if (m_link.m_pListener != nullptr)
        m_link.m_pListener->BeginBusy();
}

CS22SignLink::BusyPeriod::~BusyPeriod()
{
    if (!m_bBegan)
        return;
    m_link.m_bBusy = false;
    if (m_link.m_pListener != nullptr)
        m_link.m_pListener->EndBusy();
}

S22Result CS22SignLink::OpenPort(short comPort, unsigned long baud, unsigned char flag)
{
    if (m_bOpen)
        return ERR_COMMAND_ALREADY_CONNECTED;
    m_port.Configure(comPort, baud, flag);
    m_port.SetTimeOut(kPortTimeOutMs);
    const S22Result result = m_port.Connect();
    if (result == S22NET_OK)
        m_bOpen = true;
    return result;
}

S22Result CS22SignLink::ClosePort()
{
    if (!m_bOpen)
        return ERR_COMMAND_NOT_CONFIGURED;
    m_bOpen = false;
    return m_port.Disconnect();
}

void CS22SignLink::Abort()
{
    m_bAbort = true;
    m_port.SetAbort(true);
}

void CS22SignLink::ClearAbort()
{
    m_bAbort = false;
    m_port.SetAbort(false);
}

S22Result CS22SignLink::SequenceReset(unsigned char address)
{
    if (!m_bOpen)
        return ERR_COMMAND_NO_CONNECTION;
    ClearAbort();
    BusyPeriod busy(*this);
    const S22Result result = ResetSequence(address);
    if (result == S22NET_OK)
        m_bSequenceResetDone = true;
    return result;
}

S22Result CS22SignLink::GenericCommand(unsigned char address, const void* request, short length, void* reply,
                                       short replyLength)
{
    const auto buffer = CS22CommandBuffer::Raw(request, length > 0 ? static_cast<std::size_t>(length) : 0);
    const std::size_t copy = reply != nullptr && replyLength > 0 ? static_cast<std::size_t>(replyLength) : 0;
    return FramedCommand(address, buffer, reply, copy, -1);
}

S22TransferFigures CS22SignLink::GetTransferFigures() const
{
    S22TransferFigures figures;
    figures.blocksDone = m_nBlocksDone;
    figures.blocksTotal = m_nBlocksTotal;
    figures.sendSize = m_nSendSize;
    figures.retrievedSize = m_nRetrievedSize;
    figures.actualRetries = m_nActualRetries;
    return figures;
}

void CS22SignLink::GetLastPacket(const unsigned char** sent, const unsigned char** received) const
{
    if (sent != nullptr)
        *sent = m_sent.Bytes();
    if (received != nullptr)
        *received = m_received.Bytes();
}

S22Result CS22SignLink::ResetSequence(unsigned char address)
{
    m_sequence.Reset(address);
    return Exchange(S22Request::SequenceReset(address));
}

S22Result CS22SignLink::Exchange(const S22Request& request)
{
    // Unlike the exported engine, a failed send is tried again and a reply is always awaited.
    ExchangePolicy policy;
    policy.maxRetries = kMaxRetries;
    policy.retryFailedSend = true;
    policy.abortResultSettles = true;
    const unsigned char sequence = m_sequence.Get(request.address);
    short retries = 0;
    const S22Result result = RunExchangeTries(
        policy, m_bAbort, retries, [&] { return SendRequest(m_port, m_sent, request, sequence); },
        [&] { return AwaitReply(m_port, m_received, request, sequence); }, [](short) {});
    m_nActualRetries = retries;
    m_port.LineMeter().Repeated(retries > 0 ? static_cast<unsigned long>(retries) : 0);
    m_sequence.Advance(request.address);
    return result;
}
