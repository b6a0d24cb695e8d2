#pragma once
// The controller's view of a frame: 0x55 0xAA address length control hcs [data... dcs].

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace qvxsim {

inline constexpr unsigned char kStart1 = 0x55;
inline constexpr unsigned char kStart2 = 0xAA;
inline constexpr std::size_t kHeaderSize = 6;
inline constexpr std::size_t kMaxDataSize = 255;
inline constexpr std::size_t kMaxFrameSize = kHeaderSize + kMaxDataSize + 1;

// Frame types the controller knows.
enum FrameType : unsigned char {
    kTypeCommand = 0,
    kTypeGoodReply = 1,
    kTypeBadCommand = 2,
    kTypeSequenceReset = 3,
    kTypeUnsupported = 4,
    kTypeEnableBroadcast = 8,
    kTypeDisableBroadcast = 9,
    kTypeQueryBroadcast = 11,
    kTypeSetBaudRate = 12,
};

struct Frame {
    unsigned char address = 0;
    unsigned char control = 0; // sequence << 4 | type
    std::vector<unsigned char> data;

    unsigned char Sequence() const { return control & 0xF0; }
    unsigned char Type() const { return control & 0x0F; }
    // Bytes on the wire: 6 without data, data + 7 with.
    std::size_t WireSize() const { return data.empty() ? kHeaderSize : kHeaderSize + data.size() + 1; }
};

// 0 and 241..255 reach every controller; none of them answers.
inline bool IsBroadcastAddress(unsigned char address) { return address == 0 || address > 240; }

// The byte that brings the sum of bytes to 0 modulo 256.
unsigned char ChecksumOf(std::span<const unsigned char> bytes);

// The frame as sent on the wire. data must hold at most kMaxDataSize bytes.
std::vector<unsigned char> EncodeFrame(const Frame& frame);

} // namespace qvxsim
