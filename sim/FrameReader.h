#pragma once
// Cuts the received byte stream into frames as a controller's receiver does. Two kinds share the
// line: S2200 frames (0x55 0xAA, both checksums checked) and the 12-byte Pellworth requests
// (0x10 0x02, fixed bytes and checksum checked). Bytes that fit neither are skipped one at a
// time, so a false start never hides a real frame behind it. A partial frame is dropped when
// the line has been quiet for longer than the inter-byte gap, and no more than one frame's worth
// of bytes is ever held.

#include "sim/Frame.h"
#include "sim/Monotonic.h"
#include "sim/Pellworth.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <span>
#include <vector>

namespace qvxsim {

enum class FrameKind { S2200, Pellworth };

struct ReadResult {
    bool valid = false; // false: the frame failed a checksum (its address is as received)
    FrameKind kind = FrameKind::S2200;
    Frame frame{};               // S2200 frames
    PellworthFrame pellworth{};  // Pellworth requests

    std::size_t WireSize() const { return kind == FrameKind::S2200 ? frame.WireSize() : kPellworthFrameSize; }
};

class FrameReader {
public:
    static constexpr std::chrono::milliseconds kDefaultGap{200};

    explicit FrameReader(std::chrono::nanoseconds gap = kDefaultGap) : m_gap(gap) {}

    // Takes bytes that arrived at `now` and appends every frame they complete to out.
    void Feed(std::span<const unsigned char> bytes, MonoTime now, std::vector<ReadResult>& out);
    void Reset() { m_used = 0; }

private:
    void Push(unsigned char byte, std::vector<ReadResult>& out);
    // Each looks at a candidate at the front of the buffer and gives the number of bytes to drop
    // from it, or 0 when it needs more bytes to decide.
    std::size_t TakeS2200(std::vector<ReadResult>& out) const;
    std::size_t TakePellworth(std::vector<ReadResult>& out) const;
    void Drop(std::size_t count);
    std::size_t ExpectedSize() const;
    Frame Current(std::size_t size) const;

    std::chrono::nanoseconds m_gap;
    MonoTime m_lastByte{};
    std::array<unsigned char, kMaxFrameSize> m_buf{};
    std::size_t m_used = 0;
};

} // namespace qvxsim
