#include "sim/Pellworth.h"

#include <algorithm>
#include <array>
#include <optional>

namespace qvxsim {

namespace {

// Fixed request bytes by position; nullopt where any value may stand.
constexpr std::array<std::optional<unsigned char>, kPellworthFrameSize> kRequestShape{
    0x10, 0x02, std::nullopt, 0x00, 0x00, 0x00, 0x01, 0x00, std::nullopt, 0x10, 0x03, std::nullopt,
};

} // namespace

bool PellworthByteFits(std::size_t position, unsigned char byte)
{
    return position < kRequestShape.size() && (!kRequestShape[position] || *kRequestShape[position] == byte);
}

bool PellworthChecksumOk(std::span<const unsigned char, kPellworthFrameSize> frame)
{
    unsigned sum = 0;
    for (std::size_t i = 2; i < 9; ++i)
        sum += frame[i];
    return ((sum + frame[11]) & 0xFF) == 0;
}

Bytes SignTypeReply(unsigned char address, const std::string& text, std::size_t size, bool hitech)
{
    Bytes reply(kMaxSignTypeReply, 0);
    const std::array<unsigned char, 11> header{
        0x10, 0x06, 0x10, 0x02, 0x00, address, static_cast<unsigned char>(hitech ? 0xF0 : 0x00), 0x00, 0x01, 0x00,
        static_cast<unsigned char>(hitech ? 0x00 : 0x02)};
    std::copy(header.begin(), header.end(), reply.begin());
    const std::size_t length = std::min(text.size(), kSignTypeTextSize);
    std::copy_n(text.begin(), length, reply.begin() + kSignTypeTextAt);
    reply.resize(std::clamp<std::size_t>(size, 1, kMaxSignTypeReply));
    return reply;
}

Bytes PingReply(unsigned char address)
{
    return {0x10, 0x06, 0x10, 0x02, 0x00, address, 0xF1, 0x00, 0x01, 0x00, 0x01, 0x10, 0x03,
            static_cast<unsigned char>(0x0D - address)};
}

} // namespace qvxsim
