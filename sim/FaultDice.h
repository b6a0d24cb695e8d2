#pragma once
// The random faults of one controller: a sequence of draws from its seed, so that the same seed
// and the same frames give the same faults.

#include "sim/SignSim.h"
#include "sim/Wire.h"

#include <cstdint>
#include <random>

namespace qvxsim {

// What befalls one reply.
struct ReplyDraw {
    bool drop = false;
    Bytes noise;               // sent before the reply
    bool corrupt = false;
    std::uint32_t where = 0;   // picks the byte to change
    unsigned char change = 0;  // XORed into it; never 0
};

class FaultDice {
public:
    explicit FaultDice(const RandomFaults& faults = {}) { Set(faults); }

    // New chances; the draws start again from the seed.
    void Set(const RandomFaults& faults);
    const RandomFaults& Faults() const { return m_faults; }

    // Nothing is drawn while every chance is 0.
    ReplyDraw DrawReply();
    bool DrawRebootOnBlock();

    // Changes the byte the draw picked among those a checksum covers (all but the two start bytes
    // of a longer reply), so that the checksum fails.
    static void Corrupt(const ReplyDraw& draw, Bytes& reply);

private:
    bool Active() const;
    bool Chance(double chance);

    RandomFaults m_faults;
    std::mt19937 m_random;
};

// A byte that starts no frame of either protocol.
unsigned char NoiseByte(std::uint32_t random);

} // namespace qvxsim
