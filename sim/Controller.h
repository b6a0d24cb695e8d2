#pragma once
// One controller on the line: which frames it takes, in which protocol, what it does with them
// and what it answers, and its reboots. Pure logic: the port server does the I/O and the locking,
// and tells it when each frame arrived.

#include "sim/CommandSet.h"
#include "sim/Downtime.h"
#include "sim/FaultDice.h"
#include "sim/FaultSet.h"
#include "sim/Frame.h"
#include "sim/Monotonic.h"
#include "sim/Pellworth.h"
#include "sim/SignState.h"

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
    Controller(const Controller&) = delete;
    Controller& operator=(const Controller&) = delete;

    unsigned char Address() const { return m_address; }
    // Its own address, every broadcast address, and the broadcast address it has enabled.
    bool Listens(unsigned char address) const;

    // Handle a frame that passed its checks and arrived at `now`; the reply, if one goes out.
    std::optional<Outgoing> Handle(const Frame& frame, unsigned long hostRate, MonoTime now);
    std::optional<Outgoing> HandlePellworth(const PellworthFrame& frame, unsigned long hostRate, MonoTime now);
    void Reject(MonoTime now);

    void SetBaud(unsigned long baud) { m_rate = baud != 0 ? baud : m_portRate; }
    void AddFault(const Fault& fault);
    void AddStatus(const StatusFault& fault) { m_commands.AddStatus(fault); }
    void ClearFaults();

    void Configure(const ControllerSettings& settings);
    void SetProtocol(Protocol protocol);
    const FirmwareBehaviour& Behaviour() const { return m_behaviour; }
    void SetBehaviour(const FirmwareBehaviour& behaviour);
    const RandomFaults& Random() const { return m_dice.Faults(); }
    void SetRandom(const RandomFaults& faults) { m_dice.Set(faults); }
    // Goes down now for its reboot time, having booted any new image and read its CONFIG.XML.
    void Reboot(MonoTime now);
    SignState& State() { return m_state; }
    const SignState& State() const { return m_state; }
    ControllerStats Stats() const; // "down" as of the moment it is asked

private:
    struct Answer {
        unsigned char type = kTypeGoodReply;
        std::vector<unsigned char> data;
        bool accepted = true; // false: the frame is refused and changes nothing
        bool reboot = false;  // a reset-display or memory cleanup was carried out
    };
    // The last command carried out, so that a retry of it (same sequence, same bytes) is answered
    // again rather than done twice.
    struct LastCommand {
        unsigned char sequence = 0;
        std::vector<unsigned char> request;
        Answer answer;
    };

    // Counts a frame that arrives while it is down.
    bool Unheard(MonoTime now);
    // Whether its receiver reads a frame sent at hostRate; counts one it cannot.
    bool Hears(unsigned long hostRate);
    std::optional<Outgoing> HandleCommand(const Frame& frame, MonoTime now);
    // A file upload block it reboots on instead of taking.
    bool RebootsOnBlock(const Frame& frame);
    // Whether the command just carried out stored an image that makes it reboot by itself.
    bool TookSelfRebootingImage(unsigned long imagesBefore) const;
    void Boot();
    Answer Carry(const Frame& frame);
    Answer AnswerTo(const Frame& frame) const;
    static Answer PlainAnswer(const Frame& frame);
    void Act(const Frame& frame);
    void Record(const Frame& frame);
    void NoteStatus(const Answer& answer);
    std::optional<Bytes> PellworthReply(unsigned char command);
    // The reply frame, spoiled as the plan says.
    Bytes Build(const Frame& request, const Answer& answer, const ReplyPlan& plan) const;
    // The reply as it goes out: the random faults, then noise and delay as the plan says; nullopt
    // when a random fault drops it.
    std::optional<Outgoing> Emit(Bytes reply, const ReplyPlan& plan, unsigned long rate);
    void AppendNoise(int count, std::vector<unsigned char>& out);

    unsigned char m_address;
    unsigned long m_portRate;
    unsigned long m_rate;
    unsigned char m_enabledBroadcast = 0; // 0: none
    bool m_speaksS2200;
    FaultSet m_faults;
    ControllerStats m_stats;
    std::minstd_rand m_noise;
    SignState m_state;
    CommandSet m_commands;
    std::optional<LastCommand> m_last;
    FirmwareBehaviour m_behaviour;
    FaultDice m_dice;
    Downtime m_downtime;
};

} // namespace qvxsim
