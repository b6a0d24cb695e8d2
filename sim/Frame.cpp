#include "sim/Frame.h"

#include <cassert>

namespace qvxsim {

unsigned char ChecksumOf(std::span<const unsigned char> bytes)
{
    unsigned sum = 0;
    for (unsigned char b : bytes)
        sum += b;
    return static_cast<unsigned char>(0x100 - (sum & 0xFF));
}

std::vector<unsigned char> EncodeFrame(const Frame& frame)
{
    assert(frame.data.size() <= kMaxDataSize);
    std::vector<unsigned char> bytes{kStart1, kStart2, frame.address,
                                     static_cast<unsigned char>(frame.data.size()), frame.control};
    bytes.push_back(ChecksumOf(bytes));
    if (!frame.data.empty()) {
        bytes.insert(bytes.end(), frame.data.begin(), frame.data.end());
        bytes.push_back(ChecksumOf(frame.data));
    }
    return bytes;
}

} // namespace qvxsim
