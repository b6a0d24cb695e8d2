#pragma once
// Tells a line that echoes what is sent (a loop-back plug, an adapter echoing) from a display that
// answers: it keeps the last bytes written and counts the replies that are those very bytes.
// A sequence reset's genuine reply is its request's own bytes too, so only a reply that a
// display would have made different tells anything; callers pick the moment to ask.

#include <array>
#include <cstddef>
#include <span>

class CLineEchoWatch {
public:
    // Longest write compared: a whole frame. Longer writes never count as echoed.
    static constexpr std::size_t kMaxCompared = 262;

    // A new line: nothing sent, nothing received.
    void Restart();
    void Sent(std::span<const unsigned char> bytes);
    void Received(std::span<const unsigned char> bytes);

    unsigned long Replies() const { return m_nReplies; }
    unsigned long Echoes() const { return m_nEchoes; }
    // Every reply since the restart was the request's own bytes (and there was one).
    bool OnlyEchoes() const { return m_nReplies > 0 && m_nEchoes == m_nReplies; }

private:
    std::array<unsigned char, kMaxCompared> m_lastSent{};
    std::size_t m_nLastSent = 0;
    bool m_bLastSentWhole = false;
    unsigned long m_nReplies = 0;
    unsigned long m_nEchoes = 0;
};
