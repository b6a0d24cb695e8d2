#pragma once
// The customer protocol a display may speak before it is switched over: fixed 12-byte requests
// 0x10 0x02 address 0 0 0 0x01 0 command 0x10 0x03 checksum, and the replies the display gives.

#include "sim/Wire.h"

#include <cstddef>
#include <span>
#include <string>

namespace qvxsim {

inline constexpr unsigned char kPellworthStart = 0x10;
inline constexpr std::size_t kPellworthFrameSize = 12;
inline constexpr std::size_t kMaxSignTypeReply = 86;
inline constexpr std::size_t kSignTypeTextAt = 21;
inline constexpr std::size_t kSignTypeTextSize = 16;

enum : unsigned char {
    kPellworthQuery = 0x02,
    kPellworthPing = 0x44,
    kPellworthSwitch = 0xAA,
};

struct PellworthFrame {
    unsigned char address = 0;
    unsigned char command = 0;
};

// Whether `byte` can stand at `position` of a request (the address, command and checksum can be
// anything).
bool PellworthByteFits(std::size_t position, unsigned char byte);
// The checksum byte (11) makes the sum of bytes 2 to 8 and itself 0 modulo 256.
bool PellworthChecksumOk(std::span<const unsigned char, kPellworthFrameSize> frame);

// The sign-type reply: header, the text at bytes 21-36, zeros; cut to `size` (1..86) bytes. A
// HITECH display marks byte 6 with 0xF0 and byte 10 with 0 where a Pellworth display has 0 and 2.
Bytes SignTypeReply(unsigned char address, const std::string& text, std::size_t size, bool hitech);
// The 14-byte answer to a ping.
Bytes PingReply(unsigned char address);

} // namespace qvxsim
