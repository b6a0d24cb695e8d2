#pragma once
// What every exchange shares: the request, the per-address sequence bytes, the two halves of one
// try, and the loop of tries. Its callers (the exported engine, the sign link, the customer
// protocol) differ only in the rules of ExchangePolicy.

#include "link/S22NetPacket.h"
#include "link/S22NetResult.h"

#include <array>
#include <atomic>
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

// The rules one caller's exchanges follow.
struct ExchangePolicy {
    short maxRetries = 0;               // tries after the first
    bool retryFailedSend = false;       // a send that failed is tried again; otherwise it settles it
    bool awaitReply = true;             // false: a request that went out is done (a broadcast, a command
                                        // the customer protocol does not answer)
    bool abortSettlesAfterSend = false; // the abort flag is looked at again right after the send
    bool abortSettlesAfterReply = false; // ... and right after the reply
    bool abortResultSettles = false;    // a try the port's abort word cut short ends the exchange
};

// Runs tries until one settles: a reply that is good or "unsupported", a request that needs none,
// the abort flag (before each try, and where the policy says), or the last try. retries counts the
// tries after the first. tried(result) hears each try that ran to its end (the engine's
// diagnostics file). The caller advances the sequence afterwards, whatever the result.
template <class Send, class Await, class Tried>
S22Result RunExchangeTries(const ExchangePolicy& policy, const std::atomic<bool>& abort, short& retries, Send&& send,
                           Await&& await, Tried&& tried)
{
    for (retries = 0;; ++retries) {
        if (abort)
            return ERR_SIGN_ABORT;
        S22Result result = send();
        if (policy.abortSettlesAfterSend && abort)
            return ERR_SIGN_ABORT;
        const bool awaited = result == S22NET_OK && policy.awaitReply;
        if (awaited) {
            result = await();
            if (policy.abortSettlesAfterReply && abort)
                return ERR_SIGN_ABORT;
        }
        tried(result);
        if (!awaited && (result == S22NET_OK || !policy.retryFailedSend))
            return result;
        if (result == S22NET_OK || result == ERR_SIGN_UNSUPPORTED_COMMAND)
            return result;
        if (result == ERR_SIGN_ABORT && policy.abortResultSettles)
            return result;
        if (retries >= policy.maxRetries)
            return result;
    }
}

// Builds the request frame into sent, empties the receive queue and sends it (traced).
S22Result SendRequest(CS22NetAbstractPort& port, CS22NetPacket& sent, const S22Request& request,
                      unsigned char sequence);

// Reads one frame into received and validates it against the request (traced, also when it fails).
S22Result AwaitReply(CS22NetAbstractPort& port, CS22NetPacket& received, const S22Request& request,
                     unsigned char sequence);

// Byte trace of every frame either protocol sends or receives, on the debug output and into the
// session record (SessionRecord.h). Callers ask FrameTraceWanted() first, so a run with neither
// formats nothing.
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

// Debug output is on or a session record is open.
bool FrameTraceWanted();

// Write a trace line stamped with the time since the process's first traced frame, and the
// record's line with the port's rate. An empty note takes TraceNote(result); nothing received with
// a failed read traces as "no reply".
void TraceSent(short comPort, unsigned long baud, std::span<const unsigned char> bytes, short result);
void TraceReceived(short comPort, unsigned long baud, std::span<const unsigned char> bytes, short result,
                   std::string_view note = {});
