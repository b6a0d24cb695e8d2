#include "link/LineEchoWatch.h"

#include <algorithm>

void CLineEchoWatch::Restart()
{
    m_nLastSent = 0;
    m_bLastSentWhole = false;
    m_nReplies = 0;
    m_nEchoes = 0;
}

void CLineEchoWatch::Sent(std::span<const unsigned char> bytes)
{
    m_bLastSentWhole = bytes.size() <= kMaxCompared;
    m_nLastSent = std::min(bytes.size(), kMaxCompared);
    std::copy_n(bytes.begin(), m_nLastSent, m_lastSent.begin());
}

void CLineEchoWatch::Received(std::span<const unsigned char> bytes)
{
    if (bytes.empty())
        return;
    ++m_nReplies;
    if (m_bLastSentWhole && bytes.size() == m_nLastSent && std::equal(bytes.begin(), bytes.end(), m_lastSent.begin()))
        ++m_nEchoes;
}
