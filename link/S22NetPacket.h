#pragma once
// One frame buffer: building a frame, reading its fields, and validating a reply.
//
//   0x55 0xAA address length control header-checksum [data... data-checksum]
//
// control = sequence (high nibble) | type (low nibble). Both checksums make their bytes sum to 0
// modulo 256; the data checksum is present only when length > 0.

#include "link/S22NetResult.h"

#include <cstddef>

// Frame types (low nibble of the control byte).
constexpr unsigned char S22_TYPE_COMMAND = 0;
constexpr unsigned char S22_TYPE_GOOD_REPLY = 1;
constexpr unsigned char S22_TYPE_BAD_COMMAND = 2;
constexpr unsigned char S22_TYPE_SEQUENCE_RESET = 3;
constexpr unsigned char S22_TYPE_UNSUPPORTED = 4;
constexpr unsigned char S22_TYPE_ENABLE_BROADCAST = 8;
constexpr unsigned char S22_TYPE_DISABLE_BROADCAST = 9;
constexpr unsigned char S22_TYPE_QUERY_BROADCAST = 11;
constexpr unsigned char S22_TYPE_SET_BAUD = 12;

// Marks a command byte 0 that is followed by an extended command code.
constexpr unsigned char S22_EXTENDED_COMMAND = 0x80;
// "No expected command code" for validation.
constexpr int S22_NO_COMMAND_CODE = -1;

// Addresses 1..240 name one controller; 0 and 241..255 are broadcast and never answered.
inline bool IsBroadcastAddress(unsigned char address) { return address == 0 || address > 240; }

// The command code a type-0 request carries (byte 1 after the 0x80 marker), else none.
int ExpectedCommandCode(unsigned char type, const unsigned char* data, unsigned char length);

// The byte that makes the sum of the given bytes plus itself 0 modulo 256.
unsigned char S22Checksum(const unsigned char* bytes, std::size_t count);

class CS22NetPacket {
public:
    static constexpr std::size_t kSize = 262;
    static constexpr std::size_t kHeaderSize = 6;

    CS22NetPacket() { Clear(); }

    void Clear();
    void Build(unsigned char address, unsigned char sequence, unsigned char type,
               const unsigned char* data, unsigned char length);

    // Checks this (received) frame against the request it answers; the first failing rule wins.
    S22Result Validate(unsigned char address, unsigned char sequence, unsigned char sentType,
                       int expectedCode) const;

    unsigned char* Bytes() { return m_abFrame; }
    const unsigned char* Bytes() const { return m_abFrame; }
    // Bytes the frame occupies on the wire: 6 without data, length + 7 with.
    std::size_t WireLength() const;

    unsigned char Address() const { return m_abFrame[2]; }
    unsigned char Length() const { return m_abFrame[3]; }
    unsigned char Type() const { return m_abFrame[4] & 0x0F; }
    unsigned char Sequence() const { return m_abFrame[4] & 0xF0; }
    const unsigned char* Data() const { return m_abFrame + kHeaderSize; }

    void SetRelaxValidation(bool relax) { m_bRelax = relax; }
    bool IsRelaxed() const { return m_bRelax; }

private:
    unsigned char m_abFrame[kSize];
    bool m_bRelax = false;
};
