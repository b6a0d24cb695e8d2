#pragma once
// Cuts the received byte stream into frames as a controller's receiver does: hunts for 0x55 0xAA,
// checks both checksums, drops a partial frame when the line has been quiet for longer than the
// inter-byte gap, and never holds more than one frame's worth of bytes.

#include "sim/Frame.h"
#include "sim/Monotonic.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <span>
#include <vector>

namespace qvxsim {

struct ReadResult {
    bool valid = false; // false: the frame failed a checksum (frame.address is as received)
    Frame frame;
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
    void CheckHeader(std::vector<ReadResult>& out);
    void CheckData(std::vector<ReadResult>& out);
    void Restart(std::size_t from, std::vector<ReadResult>& out);
    std::size_t ExpectedSize() const;
    Frame Current() const;

    std::chrono::nanoseconds m_gap;
    MonoTime m_lastByte{};
    std::array<unsigned char, kMaxFrameSize> m_buf{};
    std::size_t m_used = 0;
};

} // namespace qvxsim
