#include "link/S22Exchange.h"

#include "link/S22NetAbstractPort.h"
#include "link/S22NetResult.h"

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

short SendRequest(CS22NetAbstractPort& port, CS22NetPacket& sent, const S22Request& request,
                  unsigned char sequence)
{
    sent.Build(request.address, sequence, request.type, request.data, request.length);
    port.FlushReceiveBuffer();
    return port.SendPacket(sent);
}

short AwaitReply(CS22NetAbstractPort& port, CS22NetPacket& received, const S22Request& request,
                 unsigned char sequence)
{
    const short result = port.ReceivePacket(received);
    if (result != S22NET_OK)
        return result;
    return received.Validate(request.address, sequence, request.type, request.expectedCode);
}
