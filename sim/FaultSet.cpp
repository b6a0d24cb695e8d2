#include "sim/FaultSet.h"

#include "sim/Frame.h"

#include <algorithm>

namespace qvxsim {

namespace {

constexpr int kMaxNoise = 4096; // keeps a careless parameter from flooding the line

} // namespace

void FaultSet::Add(const Fault& fault)
{
    if (fault.count != 0)
        m_active.push_back(fault);
}

ReplyPlan FaultSet::Take(bool replyHasData)
{
    ReplyPlan plan;
    auto drop = std::find_if(m_active.begin(), m_active.end(),
                             [](const Fault& f) { return f.kind == FaultKind::DropReply; });
    if (drop != m_active.end()) {
        plan.drop = true;
        UseUp(*drop);
    } else {
        for (Fault& fault : m_active) {
            if (fault.kind == FaultKind::BadDataChecksum && !replyHasData)
                continue;
            Apply(fault, plan);
            UseUp(fault);
        }
    }
    std::erase_if(m_active, [](const Fault& f) { return f.count == 0; });
    return plan;
}

void FaultSet::UseUp(Fault& fault)
{
    if (fault.count > 0)
        --fault.count;
}

void FaultSet::Apply(const Fault& fault, ReplyPlan& plan)
{
    switch (fault.kind) {
    case FaultKind::Noise:
        plan.noiseBytes = std::min(plan.noiseBytes + std::clamp(fault.param, 0, kMaxNoise), kMaxNoise);
        break;
    case FaultKind::BadHeaderChecksum:
        plan.badHeaderChecksum = true;
        break;
    case FaultKind::BadDataChecksum:
        plan.badDataChecksum = true;
        break;
    case FaultKind::DropReply:
        plan.drop = true;
        break;
    case FaultKind::WrongAddress:
        plan.address = static_cast<unsigned char>(fault.param);
        break;
    case FaultKind::Delay:
        plan.delay += std::chrono::milliseconds(std::max(fault.param, 0));
        break;
    case FaultKind::BadCommand:
        plan.type = kTypeBadCommand;
        break;
    case FaultKind::Unsupported:
        plan.type = kTypeUnsupported;
        break;
    case FaultKind::GetBlockOverrun:
        break; // the controller's transfers take this one, not its replies
    }
}

} // namespace qvxsim
