#pragma once
// zlib data as the compressed file send carries it.

#include "sim/Wire.h"

#include <cstddef>
#include <optional>
#include <span>

namespace qvxsim {

// The inflated bytes when `compressed` is one zlib stream of exactly `size` bytes; nullopt
// otherwise. Never allocates more than `size` bytes, whatever the stream claims.
std::optional<Bytes> Inflate(std::span<const unsigned char> compressed, std::size_t size);

} // namespace qvxsim
