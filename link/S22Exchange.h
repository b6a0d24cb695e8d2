#pragma once
// The pieces both exchange loops share: the request, the per-address sequence bytes, and the two
// halves of one try. The loops themselves differ (tries, broadcast shortcut, logging) and live in
// CS22NetInternal and CS22SignLink.

#include "link/S22NetPacket.h"

#include <array>
#include <chrono>
#include <span>
#include <string>
#include <string_view>

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

// Builds the request frame into sent, empties the receive queue and sends it (traced).
short SendRequest(CS22NetAbstractPort& port, CS22NetPacket& sent, const S22Request& request,
                  unsigned char sequence);

// Reads one frame into received and validates it against the request (traced, also when it fails).
short AwaitReply(CS22NetAbstractPort& port, CS22NetPacket& received, const S22Request& request,
                 unsigned char sequence);

// Byte trace of every frame either protocol sends or receives, on the debug output. Callers ask
// DebugOutputEnabled() first, so a run without debug output formats nothing.
enum class TraceDirection { Sent, Received };

// One trace line, e.g. "qvx trace   12.345 ms -> COM3 6 bytes: 55 AA 01 00 03 FD\n": elapsed as
// milliseconds, the port unless comPort is 0, every byte in hex (raw bytes never reach a terminal),
// then the note in brackets. Received with no bytes reads "no reply".
std::string TraceLine(TraceDirection direction, short comPort, std::span<const unsigned char> bytes,
                      std::chrono::microseconds elapsed, std::string_view note = {});

// The short note a result code puts on a trace line ("time-out", "write failed"; "" for success).
std::string_view TraceNote(short result);

// Why a reply got the result Validate gave it ("rejected: bad data checksum", "bad command"; ""
// for success): the checks again in Validate's order, for the trace only.
std::string_view ReplyNote(const CS22NetPacket& reply, const S22Request& request, unsigned char sequence,
                           short result);

// Write a trace line stamped with the time since the process's first traced frame. An empty note
// takes TraceNote(result); nothing received with a failed read traces as "no reply".
void TraceSent(short comPort, std::span<const unsigned char> bytes, short result);
void TraceReceived(short comPort, std::span<const unsigned char> bytes, short result, std::string_view note = {});
