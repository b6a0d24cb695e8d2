// The customer protocol some displays answer before they are switched over: fixed 12-byte frames
// 0x10 0x02 ... 0x10 0x03 with a byte-sum checksum, and no sequence numbers.
#include "link/S22SignLink.h"

#include "link/DebugOutput.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr unsigned char kQuery = 0x02;
constexpr unsigned char kPing = 0x44;
constexpr unsigned char kSwitch = 0xAA;
constexpr std::size_t kFrameSize = 12;
constexpr std::size_t kPingReplySize = 14;
constexpr std::size_t kQueryReplySize = 86;

void BuildFrame(unsigned char address, unsigned char command, unsigned char (&frame)[kFrameSize])
{
    std::memset(frame, 0, sizeof frame);
    frame[0] = 0x10;
    frame[1] = 0x02;
    frame[2] = address;
    frame[6] = 0x01;
    frame[8] = command;
    frame[9] = 0x10;
    frame[10] = 0x03;
    unsigned char sum = 0;
    for (std::size_t i = 2; i <= 8; ++i)
        sum = static_cast<unsigned char>(sum + frame[i]);
    frame[11] = static_cast<unsigned char>(0x100 - sum);
}

// A ping reply that says it is one (byte 1 = 0x06) must be exactly this.
bool IsExactPingReply(const unsigned char* reply, unsigned char address)
{
    const unsigned char expected[kPingReplySize] = {0x10, 0x06, 0x10, 0x02, 0x00, address, 0xF1, 0x00, 0x01, 0x00,
                                                    0x01, 0x10, 0x03, static_cast<unsigned char>(0x0D - address)};
    return std::memcmp(reply, expected, kPingReplySize) == 0;
}

bool IsValidQueryHeader(const unsigned char* reply, unsigned char address)
{
    const unsigned char expected[] = {0x10, 0x06, 0x10, 0x02, 0x00, address, 0x00, 0x00, 0x01, 0x00, 0x02};
    for (std::size_t i = 0; i < sizeof expected; ++i) {
        if (reply[i] == expected[i])
            continue;
        const bool allowed = (i == 6 && reply[i] == 0xF0) || (i == 10 && reply[i] == 0x00);
        if (!allowed)
            return false;
    }
    return true;
}

// Bytes 21 to 36 with zero bytes as blanks, trimmed at both ends.
std::string SignTypeText(const unsigned char* reply)
{
    std::string text;
    for (std::size_t i = 21; i <= 36; ++i)
        text += reply[i] == 0 ? ' ' : static_cast<char>(reply[i]);
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

} // namespace

S22Result CS22SignLink::PellworthExchange(unsigned char address, unsigned char command)
{
    unsigned char frame[kFrameSize];
    BuildFrame(address, command, frame);
    // Only the ping is answered in the same exchange; the sign type's reply is read by its caller.
    ExchangePolicy policy;
    policy.maxRetries = kMaxRetries;
    policy.retryFailedSend = true;
    policy.awaitReply = command == kPing;
    policy.abortSettlesAfterSend = true;
    policy.abortSettlesAfterReply = true;
    const auto send = [&] {
        m_port.FlushReceiveBuffer();
        const S22Result result = m_port.WritePort(frame, kFrameSize);
        if (FrameTraceWanted())
            TraceSent(m_port.GetComPort(), m_port.GetBaud(), frame, result);
        return result;
    };
    const auto awaitPingReply = [&] {
        unsigned char reply[kPingReplySize] = {};
        unsigned long count = sizeof reply;
        const S22Result result = m_port.ReadBlock(reply, &count);
        const bool invalid = result == S22NET_OK && reply[1] == 0x06 && !IsExactPingReply(reply, address);
        if (FrameTraceWanted())
            TraceReceived(m_port.GetComPort(), m_port.GetBaud(), {reply, count}, result, invalid ? "rejected: not the ping reply" : "");
        return invalid ? ERR_SIGN_INVALID_RESPONSE : result;
    };
    short retries = 0;
    const S22Result result = RunExchangeTries(policy, m_bAbort, retries, send, awaitPingReply, [](short) {});
    m_nActualRetries = retries;
    m_port.LineMeter().Repeated(retries > 0 ? static_cast<unsigned long>(retries) : 0);
    m_sequence.Advance(address);
    return result;
}

S22Result CS22SignLink::SwitchToS2200(unsigned char address)
{
    ClearAbort();
    BusyPeriod busy(*this);
    return PellworthExchange(address, kSwitch);
}

S22Result CS22SignLink::PellworthPing(unsigned char address)
{
    ClearAbort();
    BusyPeriod busy(*this);
    return PellworthExchange(address, kPing);
}

S22Result CS22SignLink::GetSignType(unsigned char address, std::string& text)
{
    ClearAbort();
    BusyPeriod busy(*this);
    (void)PellworthExchange(address, kQuery);
    unsigned char reply[kQueryReplySize] = {};
    unsigned long count = kQueryReplySize;
    const S22Result result = m_port.ReadBlock(reply, &count);
    const bool invalid = result == S22NET_OK && reply[1] == 0x06 && !IsValidQueryHeader(reply, address);
    // The reply is control bytes and the display's own text: shown in hex only, never raw.
    if (FrameTraceWanted())
        TraceReceived(m_port.GetComPort(), m_port.GetBaud(), {reply, count}, result,
                      invalid ? "rejected: not a sign type reply" : result == S22NET_OK ? "sign type" : "");
    if (result != S22NET_OK)
        return result;
    if (invalid)
        return ERR_SIGN_INVALID_RESPONSE;
    text = SignTypeText(reply);
    return S22NET_OK;
}
