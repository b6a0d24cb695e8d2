#pragma once
// One controller on the line: which frames it takes, what it does with them and what it answers.
// Pure logic: the port server does the I/O and the locking.

#include "sim/FaultSet.h"
#include "sim/Frame.h"
#include "sim/SignSim.h"

#include <chrono>
#include <optional>
#include <random>
#include <vector>

namespace qvxsim {

// A reply ready for the wire.
struct Outgoing {
    std::vector<unsigned char> bytes; // any noise, then the reply frame
    std::chrono::milliseconds delay{0};
    unsigned long rate = 0; // the rate it goes out at (the old one after a baud change)
};

class Controller {
public:
    Controller(const ControllerConfig& config, unsigned long portRate);

    unsigned char Address() const { return m_address; }
    // Its own address, every broadcast address, and the broadcast address it has enabled.
    bool Listens(unsigned char address) const;

    // Handles a frame that passed the checksums; the reply, if one goes out.
    std::optional<Outgoing> Handle(const Frame& frame, unsigned long hostRate);
    void Reject() { ++m_stats.framesRejected; }

    void SetBaud(unsigned long baud) { m_rate = baud != 0 ? baud : m_portRate; }
    void AddFault(const Fault& fault) { m_faults.Add(fault); }
    void ClearFaults() { m_faults.Clear(); }
    const ControllerStats& Stats() const { return m_stats; }

private:
    struct Answer {
        unsigned char type = kTypeGoodReply;
        std::vector<unsigned char> data;
        bool accepted = true; // false: the frame is refused and changes nothing
    };

    Answer AnswerTo(const Frame& frame) const;
    static Answer AnswerCommand(const Frame& frame);
    void Act(const Frame& frame);
    void Record(const Frame& frame);
    Outgoing Build(const Frame& request, const Answer& answer, const ReplyPlan& plan, unsigned long rate);
    void AppendNoise(int count, std::vector<unsigned char>& out);

    unsigned char m_address;
    unsigned long m_portRate;
    unsigned long m_rate;
    unsigned char m_enabledBroadcast = 0; // 0: none
    FaultSet m_faults;
    ControllerStats m_stats;
    std::minstd_rand m_noise;
};

} // namespace qvxsim
