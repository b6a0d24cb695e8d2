#include "connection/Operation.h"

#include <algorithm>

void CCancelToken::Cancel()
{
    {
        std::lock_guard guard(m_lock);
        m_bCancelled = true;
    }
    m_changed.notify_all();
}

bool CCancelToken::IsCancelled() const
{
    std::lock_guard guard(m_lock);
    return m_bCancelled;
}

bool CCancelToken::Wait(std::chrono::milliseconds ms)
{
    std::unique_lock guard(m_lock);
    return !m_changed.wait_for(guard, ms, [this] { return m_bCancelled; });
}

void COperationProgress::Plan(std::vector<unsigned> weights)
{
    if (weights.empty())
        weights.push_back(1);
    m_totalWeight = 0;
    for (unsigned& weight : weights) {
        weight = std::max(weight, 1u);
        m_totalWeight += weight;
    }
    m_weights = std::move(weights);
    m_step = 0;
    m_units = 0;
    m_done = 0;
    m_shown = 0;
    if (m_weights.size() > 1)
        m_view.SetProgressSteps(kBarSteps);
}

void COperationProgress::BeginStep(std::size_t step, unsigned long units)
{
    m_step = std::min(step, m_weights.size() - 1);
    m_units = units;
    m_done = 0;
    if (m_weights.size() == 1) {
        m_view.SetProgressSteps(static_cast<int>(std::min<unsigned long>(units, 0x7fffffff)));
        return;
    }
    // Steps skipped count as done.
    for (const int target = Position(); m_shown < target; ++m_shown)
        m_view.StepProgress();
}

void COperationProgress::Advance()
{
    if (m_done >= m_units)
        return;
    ++m_done;
    if (m_weights.size() == 1) {
        m_view.StepProgress();
        return;
    }
    for (const int target = Position(); m_shown < target; ++m_shown)
        m_view.StepProgress();
}

int COperationProgress::Position() const
{
    unsigned long before = 0;
    for (std::size_t i = 0; i < m_step; ++i)
        before += m_weights[i];
    // In 64 bits: a weight times a step's units can be large.
    const unsigned long long weight = m_weights[m_step];
    const unsigned long long within = m_units == 0 ? 0 : weight * m_done * kBarSteps / m_units;
    return static_cast<int>((before * static_cast<unsigned long long>(kBarSteps) + within) / m_totalWeight);
}

int OperationOutcome::WorstCode() const
{
    int worst = 0;
    for (const ErrorLine& line : lines)
        worst = std::max(worst, line.nCode);
    return worst;
}
