#include "link/S22SignLink.h"

#include "res/Resources.h"

#include <algorithm>
#include <cstring>

namespace {

const char kEchoText[] =
    "ATV1\nthe quick brown fox jumps over the lazy dog \nTHE QUICK BROWN FOX JUMPS OVER THE LAZY DOG";
static_assert(sizeof kEchoText == 94, "the short echo test sends 94 bytes, the terminating zero included");

} // namespace

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
    const S22Result result = RunExchangeTries(
        policy, m_bAbort, m_nActualRetries, [&] { return SendRequest(m_port, m_sent, request, sequence); },
        [&] { return AwaitReply(m_port, m_received, request, sequence); }, [](short) {});
    m_sequence.Advance(request.address);
    return result;
}

bool CS22SignLink::StartEchoTest(short comPort, int type)
{
    // A new operation: an abort left from an earlier one must not fail the test.
    ClearAbort();
    m_nEchoDone = 0;
    if (type == 0) {
        m_echoText.assign(kEchoText, kEchoText + sizeof kEchoText);
        m_pEchoData = m_echoText.data();
        m_nEchoSize = static_cast<unsigned long>(m_echoText.size());
    } else if (type == 1) {
        // The long test sends the firmware package as it is embedded, read in place.
        const auto package = qvxres::FindEmbeddedResource("BIN", qvxres::kFirmwareFX40211);
        if (package.empty())
            return false;
        m_pEchoData = package.data();
        m_nEchoSize = static_cast<unsigned long>(package.size());
    } else {
        return false;
    }
    if (!m_bOpen) {
        if (OpenPort(comPort, kEchoTestBaud, 0) != S22NET_OK)
            return false;
        m_bEchoOpenedPort = true;
    }
    const unsigned char probe[2] = {0x61, 0x00};
    unsigned long written = 0;
    if (m_port.WriteBlock(probe, 2, &written) != S22NET_OK)
        return false;
    unsigned char echoed = 0;
    if (m_port.ReadChar(echoed) != S22NET_OK || echoed != 0x61)
        return false;
    (void)m_port.ReadChar(echoed); // the echoed zero byte
    return true;
}

int CS22SignLink::EchoTestStep()
{
    if (m_pEchoData == nullptr || m_nEchoDone >= m_nEchoSize)
        return kEchoFailed;
    const unsigned long count = std::min<unsigned long>(256, m_nEchoSize - m_nEchoDone);
    const unsigned char* expected = m_pEchoData + m_nEchoDone;
    unsigned long written = 0;
    if (m_port.WriteBlock(expected, static_cast<short>(count), &written) != S22NET_OK)
        return kEchoFailed;
    unsigned char echoed[256];
    unsigned long got = count;
    if (m_port.ReadBlock(echoed, &got) != S22NET_OK)
        return kEchoFailed;
    if (std::memcmp(echoed, expected, got) != 0)
        return kEchoFailed;
    m_nEchoDone += got;
    return m_nEchoDone >= m_nEchoSize ? kEchoPassed : kEchoMore;
}

void CS22SignLink::GetEchoTestProgress(unsigned long& done, unsigned long& total) const
{
    done = m_nEchoDone;
    total = m_nEchoSize;
}

void CS22SignLink::EndEchoTest(int type)
{
    if (m_bEchoOpenedPort) {
        ClosePort();
        m_bEchoOpenedPort = false;
    }
    if (type == 0) {
        m_echoText.clear();
        m_echoText.shrink_to_fit();
    }
    if (type == 0 || type == 1) {
        m_pEchoData = nullptr;
        m_nEchoSize = 0;
    }
}
