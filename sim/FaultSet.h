#pragma once
// The faults one controller has been told to commit, and how each reply is spoiled by them.

#include "sim/SignSim.h"

#include <chrono>
#include <optional>
#include <vector>

namespace qvxsim {

// What the active faults do to one reply.
struct ReplyPlan {
    bool drop = false;
    int noiseBytes = 0;
    std::chrono::milliseconds delay{0};
    std::optional<unsigned char> address; // sent instead of the controller's own
    std::optional<unsigned char> type;    // a refusal (bad command / unsupported) instead of the reply
    bool badHeaderChecksum = false;
    bool badDataChecksum = false;
};

class FaultSet {
public:
    void Add(const Fault& fault);
    void Clear() { m_active.clear(); }

    // The plan for the next reply. Uses up one count of each fault that changes it: a dropped reply
    // uses up only the drop, and a data-checksum fault waits for a reply that carries data.
    ReplyPlan Take(bool replyHasData);

private:
    void UseUp(Fault& fault);
    static void Apply(const Fault& fault, ReplyPlan& plan);

    std::vector<Fault> m_active;
};

} // namespace qvxsim
