#include "sim/FrameReader.h"

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
    if (m_used == 1) {
        if (byte != kStart1)
            m_used = 0;
    } else if (m_used == 2) {
        if (byte != kStart2)
            Restart(1, out); // the byte may itself be a new 0x55
    } else if (m_used == kHeaderSize) {
        CheckHeader(out);
    } else if (m_used > kHeaderSize && m_used == ExpectedSize()) {
        CheckData(out);
    }
}

void FrameReader::CheckHeader(std::vector<ReadResult>& out)
{
    if (ChecksumOf(std::span(m_buf.data(), kHeaderSize)) != 0) {
        out.push_back({false, Current()});
        // A false start inside noise: look for the real one in the bytes already taken.
        Restart(1, out);
        return;
    }
    if (ExpectedSize() == kHeaderSize) {
        out.push_back({true, Current()});
        m_used = 0;
    }
}

void FrameReader::CheckData(std::vector<ReadResult>& out)
{
    const std::size_t length = m_buf[3];
    const bool good = ChecksumOf(std::span(m_buf.data() + kHeaderSize, length + 1)) == 0;
    out.push_back({good, Current()});
    m_used = 0; // the header was sound, so the whole frame is known and goes
}

void FrameReader::Restart(std::size_t from, std::vector<ReadResult>& out)
{
    // At most kHeaderSize - 1 bytes are replayed, so this never reaches CheckHeader again.
    std::array<unsigned char, kHeaderSize> rest{};
    const std::size_t count = m_used - from;
    for (std::size_t i = 0; i < count; ++i)
        rest[i] = m_buf[from + i];
    m_used = 0;
    for (std::size_t i = 0; i < count; ++i)
        Push(rest[i], out);
}

std::size_t FrameReader::ExpectedSize() const
{
    const std::size_t length = m_buf[3];
    return length == 0 ? kHeaderSize : kHeaderSize + length + 1;
}

Frame FrameReader::Current() const
{
    Frame frame;
    frame.address = m_buf[2];
    frame.control = m_buf[4];
    if (m_used > kHeaderSize)
        frame.data.assign(m_buf.begin() + kHeaderSize, m_buf.begin() + static_cast<long>(m_used) - 1);
    return frame;
}

} // namespace qvxsim
