#include "sim/ReplayMatcher.h"

#include <algorithm>
#include <cstdint>

namespace qvxsim {

namespace {

constexpr std::size_t kShownBytes = 8;

// Seconds since 1970 that pass for "now" in a request: 2001 to 2100.
constexpr std::uint32_t kEarliestClock = 978'307'200;
constexpr std::uint32_t kLatestClock = 4'102'444'800;

std::uint32_t WordAt(std::span<const unsigned char> bytes, std::size_t at)
{
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8
         | static_cast<std::uint32_t>(bytes[at + 2]) << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

// Whether `got` (the first got.size() bytes of a request, all of it when `whole`) is `expected`.
// A request that stamps the host's clock (a file send's start carries the time it was sent) cannot
// carry the recorded bytes when the job runs again later, so one little-endian clock word may
// differ, as long as it reads as a time on both sides and not an earlier one, and with it the
// frame's last byte, the checksum over it. Nothing else may.
bool SameRequest(std::span<const unsigned char> expected, std::span<const unsigned char> got, bool whole)
{
    std::size_t first = got.size();
    std::size_t last = 0;
    for (std::size_t i = 0; i < got.size(); ++i) {
        if (got[i] == expected[i] || (whole && i + 1 == expected.size()))
            continue;
        first = std::min(first, i);
        last = i;
    }
    if (first == got.size())
        return !whole || got.back() == expected.back();
    if (last - first >= 4)
        return false;
    const std::size_t lowest = last >= 3 ? last - 3 : 0;
    for (std::size_t at = lowest; at <= first; ++at) {
        if (at + 4 >= expected.size())
            break; // the word cannot hold the checksum byte
        if (at + 4 > got.size())
            return true; // the word is not all here yet
        const std::uint32_t then = WordAt(expected, at);
        const std::uint32_t now = WordAt(got, at);
        if (then >= kEarliestClock && then <= kLatestClock && now >= then && now <= kLatestClock)
            return true;
    }
    return false;
}

} // namespace

std::string HexStart(std::span<const unsigned char> bytes)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    for (std::size_t i = 0; i < bytes.size() && i < kShownBytes; ++i) {
        if (i > 0)
            text += ' ';
        text += kHex[bytes[i] >> 4];
        text += kHex[bytes[i] & 0x0F];
    }
    if (bytes.size() > kShownBytes)
        text += " ...";
    return text;
}

ReplayMatcher::ReplayMatcher(RecordedPort port) : m_port(std::move(port)) {}

void ReplayMatcher::Feed(std::span<const unsigned char> bytes, std::vector<ReplayEvent>& events)
{
    m_pending.insert(m_pending.end(), bytes.begin(), bytes.end());
    while (!m_pending.empty()) {
        if (m_next == m_port.requests.size())
            return Drop(m_pending.size(), events);
        const std::vector<unsigned char>& expected = m_port.requests[m_next].bytes;
        // The first place from which the pending bytes are the expected request or its beginning.
        std::size_t start = 0;
        for (; start < m_pending.size(); ++start) {
            const std::size_t n = std::min(expected.size(), m_pending.size() - start);
            if (SameRequest(expected, std::span(m_pending).subspan(start, n), n == expected.size()))
                break;
        }
        if (start > 0)
            Drop(start, events);
        if (m_pending.size() < expected.size())
            return; // its beginning only: wait for the rest
        m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(expected.size()));
        events.push_back({ReplayEvent::Kind::Matched, &m_port.requests[m_next], {}});
        if (++m_next == m_port.requests.size()) {
            events.push_back({ReplayEvent::Kind::AllPlayed, nullptr,
                              "COM" + std::to_string(m_port.comNumber) + ": all "
                                  + std::to_string(m_port.requests.size()) + " recorded requests played"});
        }
    }
}

void ReplayMatcher::Drop(std::size_t end, std::vector<ReplayEvent>& events)
{
    std::string text = "COM" + std::to_string(m_port.comNumber) + ": not answered: "
                     + HexStart(std::span(m_pending.data(), end)) + " (" + std::to_string(end) + " bytes); ";
    if (m_next == m_port.requests.size()) {
        text += "all recorded requests are played";
    } else {
        const RecordedRequest& expected = m_port.requests[m_next];
        text += "expected request " + std::to_string(m_next + 1) + " of " + std::to_string(m_port.requests.size())
              + " (line " + std::to_string(expected.lineNumber) + "): " + HexStart(expected.bytes);
    }
    events.push_back({ReplayEvent::Kind::Unmatched, nullptr, std::move(text)});
    m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(end));
}

} // namespace qvxsim
