#include "link/S22Exchange.h"

#include "link/DebugOutput.h"
#include "link/S22NetAbstractPort.h"
#include "link/S22NetResult.h"
#include "link/S22NetSerialPort.h"
#include "link/SessionRecord.h"

#include <cstdio>

namespace {

// The COM number and line rate for the trace; other ports have neither to show.
short ComPortOf(const CS22NetAbstractPort& port)
{
    const auto* serial = dynamic_cast<const CS22NetSerialPort*>(&port);
    return serial != nullptr ? serial->GetComPort() : 0;
}

unsigned long BaudOf(const CS22NetAbstractPort& port)
{
    const auto* serial = dynamic_cast<const CS22NetSerialPort*>(&port);
    return serial != nullptr ? serial->GetBaud() : 0;
}

std::chrono::microseconds SinceFirstTrace()
{
    static const auto first = std::chrono::steady_clock::now();
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - first);
}

} // namespace

S22Request S22Request::SequenceReset(unsigned char address)
{
    S22Request request;
    request.address = address;
    request.type = S22_TYPE_SEQUENCE_RESET;
    return request;
}

S22Request S22Request::Command(unsigned char address, const unsigned char* data, unsigned char length)
{
    S22Request request;
    request.address = address;
    request.type = S22_TYPE_COMMAND;
    request.data = data;
    request.length = length;
    request.expectedCode = ExpectedCommandCode(S22_TYPE_COMMAND, data, length);
    return request;
}

void CS22SequenceTable::Advance(unsigned char address)
{
    unsigned char next = static_cast<unsigned char>(m_abSequence[address] + 0x10);
    if (next == 0)
        next = 0x10;
    m_abSequence[address] = next;
}

S22Result SendRequest(CS22NetAbstractPort& port, CS22NetPacket& sent, const S22Request& request,
                      unsigned char sequence)
{
    sent.Build(request.address, sequence, request.type, request.data, request.length);
    port.FlushReceiveBuffer();
    const S22Result result = port.SendPacket(sent);
    if (FrameTraceWanted())
        TraceSent(ComPortOf(port), BaudOf(port), {sent.Bytes(), sent.WireLength()}, result);
    return result;
}

S22Result AwaitReply(CS22NetAbstractPort& port, CS22NetPacket& received, const S22Request& request,
                     unsigned char sequence)
{
    const S22Result result = port.ReceivePacket(received);
    if (result != S22NET_OK) {
        // What a cut-off read left in the buffer cannot be told from its zeros: no bytes shown.
        if (FrameTraceWanted())
            TraceReceived(ComPortOf(port), BaudOf(port), {}, result);
        return result;
    }
    const S22Result validated = received.Validate(request.address, sequence, request.type, request.expectedCode);
    if (FrameTraceWanted())
        TraceReceived(ComPortOf(port), BaudOf(port), {received.Bytes(), received.WireLength()}, validated,
                      ReplyNote(received, request, sequence, validated));
    return validated;
}

std::string TraceLine(TraceDirection direction, short comPort, std::span<const unsigned char> bytes,
                      std::chrono::microseconds elapsed, std::string_view note)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    const long long us = elapsed.count() < 0 ? 0 : static_cast<long long>(elapsed.count());
    char head[48];
    std::snprintf(head, sizeof head, "qvx trace %4lld.%03lld ms %s", us / 1000, us % 1000,
                  direction == TraceDirection::Sent ? "->" : "<-");
    std::string line = head;
    line.reserve(line.size() + 24 + bytes.size() * 3 + note.size());
    if (comPort > 0)
        line += " COM" + std::to_string(comPort);
    if (bytes.empty() && direction == TraceDirection::Received) {
        line += " no reply";
    } else {
        line += ' ' + std::to_string(bytes.size()) + (bytes.size() == 1 ? " byte:" : " bytes:");
        for (const unsigned char byte : bytes) {
            line += ' ';
            line += kHex[byte >> 4];
            line += kHex[byte & 0x0F];
        }
    }
    if (!note.empty()) {
        line += " (";
        line += note;
        line += ')';
    }
    line += '\n';
    return line;
}

std::string_view TraceNote(short result)
{
    switch (result) {
    case S22NET_OK:
        return {};
    case ERR_SIGN_NO_RESPONSE:
        return "time-out";
    case ERR_SIGN_ABORT:
        return "aborted";
    case ERR_NETWORK_NO_READ:
        return "read failed";
    case ERR_NETWORK_NO_WRITE:
        return "write failed";
    case ERR_SIGN_BAD_COMMAND:
        return "bad command";
    case ERR_SIGN_UNSUPPORTED_COMMAND:
        return "unsupported command";
    case ERR_SIGN_INVALID_RESPONSE:
        return "rejected";
    default:
        return "failed";
    }
}

std::string_view ReplyNote(const CS22NetPacket& reply, const S22Request& request, unsigned char sequence,
                           short result)
{
    if (result != ERR_SIGN_INVALID_RESPONSE)
        return TraceNote(result);
    if (reply.Address() != request.address)
        return "rejected: wrong address";
    if (reply.Sequence() != (sequence & 0xF0))
        return "rejected: wrong sequence";
    const bool typed = request.type == S22_TYPE_SEQUENCE_RESET || request.type == S22_TYPE_QUERY_BROADCAST;
    if (typed ? reply.Type() != request.type : !reply.IsRelaxed() && reply.Type() != S22_TYPE_GOOD_REPLY)
        return "rejected: wrong type";
    if (S22Checksum(reply.Bytes(), CS22NetPacket::kHeaderSize) != 0)
        return "rejected: bad header checksum";
    if (reply.Length() > 0 && S22Checksum(reply.Data(), reply.Length() + 1u) != 0)
        return "rejected: bad data checksum";
    return "rejected: wrong command code";
}

bool FrameTraceWanted()
{
    return DebugOutputEnabled() || CSessionRecorder::Instance().IsOpen();
}

void TraceSent(short comPort, unsigned long baud, std::span<const unsigned char> bytes, short result)
{
    // An abort is only seen before anything is written.
    const std::string_view note = result == ERR_SIGN_ABORT ? "aborted, not sent" : TraceNote(result);
    if (DebugOutputEnabled())
        DebugOutput(TraceLine(TraceDirection::Sent, comPort, bytes, SinceFirstTrace(), note));
    CSessionRecorder::Instance().Frame(true, comPort, baud, bytes, note);
}

void TraceReceived(short comPort, unsigned long baud, std::span<const unsigned char> bytes, short result,
                   std::string_view note)
{
    const std::string_view shown = note.empty() ? TraceNote(result) : note;
    if (DebugOutputEnabled())
        DebugOutput(TraceLine(TraceDirection::Received, comPort, bytes, SinceFirstTrace(), shown));
    CSessionRecorder::Instance().Frame(false, comPort, baud, bytes, shown);
}
