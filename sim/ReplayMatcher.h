#pragma once
// Matches what the host sends on one port against the requests recorded for it, in order, by
// their exact bytes. The host's frames carry the same sequence bytes when the same job runs again,
// so a replayed job sends the recorded requests one after the other (only a clock word the host
// stamps into a request may be later than recorded); a request that is not the
// next one is not answered, and the following bytes are matched against that same next one (so a
// retry of a recorded request still finds it).

#include "sim/ReplayRecord.h"

#include <span>
#include <string>
#include <vector>

namespace qvxsim {

struct ReplayEvent {
    enum class Kind { Matched, Unmatched, AllPlayed };
    Kind kind = Kind::Matched;
    const RecordedRequest* request = nullptr; // Matched: whose replies to play
    std::string text;                          // Unmatched and AllPlayed: the line to show
};

class ReplayMatcher {
public:
    explicit ReplayMatcher(RecordedPort port);

    // Takes bytes as they were read; appends what they complete, in order.
    void Feed(std::span<const unsigned char> bytes, std::vector<ReplayEvent>& events);

    std::size_t Played() const { return m_next; }
    const RecordedPort& Port() const { return m_port; }

private:
    // The bytes of m_pending before `end` answer nothing: reported and dropped.
    void Drop(std::size_t end, std::vector<ReplayEvent>& events);

    RecordedPort m_port;
    std::size_t m_next = 0;               // the request expected next
    std::vector<unsigned char> m_pending; // read, not yet matched
};

// "55 AA 01 00 03 FD 01 02 ..." (at most eight bytes, "..." when there are more).
std::string HexStart(std::span<const unsigned char> bytes);

} // namespace qvxsim
