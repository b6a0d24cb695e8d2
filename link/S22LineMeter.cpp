#include "link/S22LineMeter.h"

#include <algorithm>
#include <limits>

namespace {

constexpr unsigned long kBitsPerByte = 10; // 8-N-1: start, eight data bits, stop

std::uint32_t ClampedUs(std::chrono::microseconds us)
{
    if (us.count() <= 0)
        return 0;
    const auto max = static_cast<std::chrono::microseconds::rep>(std::numeric_limits<std::uint32_t>::max());
    return static_cast<std::uint32_t>(std::min(us.count(), max));
}

// The median of the values in milliseconds; the middle two averaged for an even count.
double MedianMs(std::vector<std::uint32_t>& values)
{
    if (values.empty())
        return -1;
    const std::size_t mid = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(mid), values.end());
    double us = values[mid];
    if (values.size() % 2 == 0) {
        const auto below = std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(mid));
        us = (us + *below) / 2;
    }
    return us / 1000.0;
}

unsigned long long After(unsigned long long now, unsigned long long then)
{
    return now > then ? now - then : 0;
}

} // namespace

std::chrono::microseconds CS22LineMeter::LineTime(unsigned long long bytes, unsigned long baud)
{
    if (baud == 0)
        return std::chrono::microseconds(0);
    // Bytes a request and its reply can hold are far below where this could overflow.
    const unsigned long long capped = std::min(bytes, 1ULL << 32);
    return std::chrono::microseconds(capped * kBitsPerByte * 1000000ULL / baud);
}

void CS22LineMeter::Wrote(std::size_t sent, bool complete)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_counts.bytesSent += sent;
    if (!complete) {
        m_bAwaiting = false;
        m_nRequestBytes = 0;
        return;
    }
    ++m_counts.framesSent;
    // A request written in several pieces is one request; its reply time runs from the last.
    if (!m_bAwaiting)
        m_nRequestBytes = 0;
    m_nRequestBytes += sent;
    m_bAwaiting = true;
    m_lastWrite = Clock::now();
}

void CS22LineMeter::ReplyRead(std::size_t received, unsigned long baud, Clock::time_point lastByte)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_bAwaiting)
        return;
    m_bAwaiting = false;
    const auto reply = std::chrono::duration_cast<std::chrono::microseconds>(lastByte - m_lastWrite);
    NoteReplyLocked(reply, LineTime(m_nRequestBytes + received, baud));
    m_nRequestBytes = 0;
}

void CS22LineMeter::ReplyMissed()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_bAwaiting = false;
    m_nRequestBytes = 0;
}

void CS22LineMeter::Repeated(unsigned long tries)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_counts.framesRepeated += tries;
}

void CS22LineMeter::NoteReply(std::chrono::microseconds reply, std::chrono::microseconds lineTime)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    NoteReplyLocked(reply, lineTime);
}

void CS22LineMeter::NoteReplyLocked(std::chrono::microseconds reply, std::chrono::microseconds lineTime)
{
    const Sample sample{ClampedUs(reply), ClampedUs(reply - lineTime)};
    if (m_samples.size() < kSampleRing)
        m_samples.push_back(sample);
    else
        m_samples[m_counts.replies % kSampleRing] = sample;
    ++m_counts.replies;
}

S22LineMark CS22LineMeter::Mark() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_counts;
}

S22LineFigures CS22LineMeter::Since(const S22LineMark& mark) const
{
    std::vector<std::uint32_t> replies;
    std::vector<std::uint32_t> excesses;
    S22LineFigures figures;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        figures.framesSent = After(m_counts.framesSent, mark.framesSent);
        figures.framesRepeated = After(m_counts.framesRepeated, mark.framesRepeated);
        figures.bytesSent = After(m_counts.bytesSent, mark.bytesSent);
        figures.replies = After(m_counts.replies, mark.replies);
        // The newest samples, as many as came after the mark and are still in the ring.
        const auto kept =
            static_cast<std::size_t>(std::min<unsigned long long>(figures.replies, m_samples.size()));
        replies.reserve(kept);
        excesses.reserve(kept);
        for (std::size_t i = 0; i < kept; ++i) {
            const Sample& s = m_samples[(m_counts.replies - 1 - i) % kSampleRing];
            replies.push_back(s.replyUs);
            excesses.push_back(s.excessUs);
        }
    }
    figures.medianReplyMs = MedianMs(replies);
    figures.medianExcessMs = MedianMs(excesses);
    return figures;
}
