#include "sim/Inflate.h"

#include <zlib.h>

namespace qvxsim {

std::optional<Bytes> Inflate(std::span<const unsigned char> compressed, std::size_t size)
{
    Bytes out(size == 0 ? 1 : size); // zlib wants somewhere to write even for an empty result
    uLongf produced = static_cast<uLongf>(size);
    if (uncompress(out.data(), &produced, compressed.data(), static_cast<uLong>(compressed.size())) != Z_OK
        || produced != size)
        return std::nullopt;
    out.resize(size);
    return out;
}

} // namespace qvxsim
