#include "sim/FrameReader.h"

#include <algorithm>

namespace qvxsim {

void FrameReader::Feed(std::span<const unsigned char> bytes, MonoTime now, std::vector<ReadResult>& out)
{
    if (bytes.empty())
        return;
    if (m_used > 0 && now - m_lastByte > m_gap)
        m_used = 0; // the sender gave up on that frame
    m_lastByte = now;
    for (unsigned char b : bytes)
        Push(b, out);
}

void FrameReader::Push(unsigned char byte, std::vector<ReadResult>& out)
{
    m_buf[m_used++] = byte;
    // Every pass drops at least one byte or waits for more, and a candidate never needs more
    // than the buffer holds, so this ends and m_used stays within the buffer.
    while (m_used > 0) {
        std::size_t drop = 1;
        if (m_buf[0] == kStart1)
            drop = TakeS2200(out);
        else if (m_buf[0] == kPellworthStart)
            drop = TakePellworth(out);
        if (drop == 0)
            return;
        Drop(drop);
    }
}

std::size_t FrameReader::TakeS2200(std::vector<ReadResult>& out) const
{
    if (m_used < 2)
        return 0;
    if (m_buf[1] != kStart2)
        return 1;
    if (m_used < kHeaderSize)
        return 0;
    if (ChecksumOf(std::span(m_buf.data(), kHeaderSize)) != 0) {
        out.push_back({false, FrameKind::S2200, Current(kHeaderSize), {}});
        return 1; // a false start inside noise: the real one may begin in the bytes already taken
    }
    const std::size_t size = ExpectedSize();
    if (m_used < size)
        return 0;
    const bool good = size == kHeaderSize || ChecksumOf(std::span(m_buf.data() + kHeaderSize, size - kHeaderSize)) == 0;
    out.push_back({good, FrameKind::S2200, Current(size), {}});
    return size; // the header was sound, so the whole frame is known and goes
}

std::size_t FrameReader::TakePellworth(std::vector<ReadResult>& out) const
{
    const std::size_t checked = std::min(m_used, kPellworthFrameSize - 1);
    for (std::size_t i = 0; i < checked; ++i) {
        if (!PellworthByteFits(i, m_buf[i]))
            return 1;
    }
    if (m_used < kPellworthFrameSize)
        return 0;
    const std::span<const unsigned char, kPellworthFrameSize> frame(m_buf.data(), kPellworthFrameSize);
    const bool good = PellworthChecksumOk(frame);
    out.push_back({good, FrameKind::Pellworth, {}, {frame[2], frame[8]}});
    // A wrong last byte may be the start of the next frame after a request cut short.
    return good ? kPellworthFrameSize : kPellworthFrameSize - 1;
}

void FrameReader::Drop(std::size_t count)
{
    std::copy(m_buf.begin() + static_cast<long>(count), m_buf.begin() + static_cast<long>(m_used), m_buf.begin());
    m_used -= count;
}

std::size_t FrameReader::ExpectedSize() const
{
    const std::size_t length = m_buf[3];
    return length == 0 ? kHeaderSize : kHeaderSize + length + 1;
}

Frame FrameReader::Current(std::size_t size) const
{
    Frame frame;
    frame.address = m_buf[2];
    frame.control = m_buf[4];
    if (size > kHeaderSize)
        frame.data.assign(m_buf.begin() + kHeaderSize, m_buf.begin() + static_cast<long>(size) - 1);
    return frame;
}

} // namespace qvxsim
