#include "connection/AdapterDelayWatch.h"

#include "link/AdapterLatency.h"

#include <algorithm>
#include <cstdio>

CAdapterDelayWatch::CAdapterDelayWatch(Advice advice) : m_advice(std::move(advice))
{
    if (!m_advice)
        m_advice = AdapterLatencyAdvice;
}

unsigned long CAdapterDelayWatch::BlocksToLook(unsigned long totalBlocks)
{
    // A short transfer is looked at halfway, so that the rest of it still gains from a mend.
    const unsigned long blocks = std::min(kBlocksToLook, totalBlocks / 2);
    return blocks >= kMinBlocks ? blocks : 0;
}

void CAdapterDelayWatch::Start(const CS22LineMeter& meter, unsigned long totalBlocks)
{
    m_mark = meter.Mark();
    m_nTotalBlocks = totalBlocks;
    m_bLooked = BlocksToLook(totalBlocks) == 0;
}

std::string CAdapterDelayWatch::BlockSent(const CS22LineMeter& meter, unsigned long blocksDone, int comPort)
{
    if (m_bLooked || blocksDone < BlocksToLook(m_nTotalBlocks))
        return {};
    m_bLooked = true;
    const S22LineFigures figures = meter.Since(m_mark);
    if (figures.replies == 0 || figures.medianExcessMs <= kThresholdMs)
        return {};
    return Describe(comPort, figures.medianExcessMs, figures.replies, m_nTotalBlocks, m_advice(comPort));
}

std::string CAdapterDelayWatch::Describe(int comPort, double excessMs, unsigned long long samples,
                                         unsigned long totalBlocks, const std::string& mend)
{
    const double costSeconds = excessMs * static_cast<double>(totalBlocks) / 1000.0;
    char text[200];
    std::snprintf(text, sizeof text,
                  "Replies on COM%d arrive %.1f ms later than the line needs (median of %llu blocks): this install "
                  "takes about %.*f s longer.",
                  comPort, excessMs, samples, costSeconds < 10.0 ? 1 : 0, costSeconds);
    return mend.empty() ? std::string(text) : std::string(text) + " " + mend;
}
