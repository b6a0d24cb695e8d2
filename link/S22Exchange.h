#pragma once
// The pieces both exchange loops share: the request, the per-address sequence bytes, and the two
// halves of one try. The loops themselves differ (tries, broadcast shortcut, logging) and live in
// CS22NetInternal and CS22SignLink.

#include "link/S22NetPacket.h"

#include <array>

class CS22NetAbstractPort;

// One request frame to send.
struct S22Request {
    unsigned char address = 0;
    unsigned char type = S22_TYPE_COMMAND;
    const unsigned char* data = nullptr;
    unsigned char length = 0;
    int expectedCode = S22_NO_COMMAND_CODE;

    static S22Request SequenceReset(unsigned char address);
    // A type-0 command; the expected reply code comes from its first bytes.
    static S22Request Command(unsigned char address, const unsigned char* data, unsigned char length);
};

// Sequence byte per address: 0x00 only right after a reset, then 0x10, 0x20 ... 0xF0, 0x10 ...
class CS22SequenceTable {
public:
    unsigned char Get(unsigned char address) const { return m_abSequence[address]; }
    void Reset(unsigned char address) { m_abSequence[address] = 0; }
    void Advance(unsigned char address);

private:
    std::array<unsigned char, 256> m_abSequence{};
};

// Builds the request frame into sent, empties the receive queue and sends it.
short SendRequest(CS22NetAbstractPort& port, CS22NetPacket& sent, const S22Request& request,
                  unsigned char sequence);

// Reads one frame into received and validates it against the request.
short AwaitReply(CS22NetAbstractPort& port, CS22NetPacket& received, const S22Request& request,
                 unsigned char sequence);
