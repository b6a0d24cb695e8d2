#include "sim/FaultDice.h"

#include "sim/Frame.h"
#include "sim/Pellworth.h"

namespace qvxsim {

namespace {

constexpr std::uint32_t kMaxNoise = 16;
constexpr std::size_t kStartBytes = 2;

} // namespace

void FaultDice::Set(const RandomFaults& faults)
{
    m_faults = faults;
    m_random.seed(faults.seed);
}

bool FaultDice::Active() const
{
    return m_faults.noise > 0 || m_faults.corrupt > 0 || m_faults.drop > 0 || m_faults.rebootEarly > 0;
}

bool FaultDice::Chance(double chance)
{
    // The generator gives 32 bits; a chance of 1 or more always happens.
    return static_cast<double>(m_random()) < chance * 4294967296.0;
}

ReplyDraw FaultDice::DrawReply()
{
    ReplyDraw draw;
    if (!Active())
        return draw;
    draw.drop = Chance(m_faults.drop);
    if (Chance(m_faults.noise)) {
        draw.noise.resize(1 + m_random() % kMaxNoise);
        for (unsigned char& b : draw.noise)
            b = NoiseByte(m_random());
    }
    draw.corrupt = Chance(m_faults.corrupt);
    if (draw.corrupt) {
        draw.where = m_random();
        draw.change = static_cast<unsigned char>(1 + m_random() % 255);
    }
    return draw;
}

bool FaultDice::DrawRebootOnBlock()
{
    return Active() && Chance(m_faults.rebootEarly);
}

void FaultDice::Corrupt(const ReplyDraw& draw, Bytes& reply)
{
    if (!draw.corrupt || reply.empty())
        return;
    const std::size_t first = reply.size() > kStartBytes ? kStartBytes : 0;
    reply[first + draw.where % (reply.size() - first)] ^= draw.change;
}

unsigned char NoiseByte(std::uint32_t random)
{
    auto b = static_cast<unsigned char>(random & 0xFF);
    if (b == kStart1 || b == kPellworthStart)
        b = static_cast<unsigned char>(~b);
    return b;
}

} // namespace qvxsim
