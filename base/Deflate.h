#pragma once
// The zlib streams (RFC 1950) the tool sends and packs. A send is stop-and-wait, so its time is the
// number of blocks the stream fills: the smallest stream the build can make is the one to send.
// The controller inflates any valid zlib stream, so the encoder is free; every stream is checked
// with plain zlib before it goes anywhere.

#include <span>
#include <vector>

namespace qvxbase {

// in as a zlib stream: libdeflate at its top level when the build has it, zlib's level 9
// otherwise or when that is shorter (a few bytes of input). False (out empty) when there is no
// memory or in is too large for one call.
bool ZlibCompressBest(std::span<const unsigned char> in, std::vector<unsigned char>& out);

// True when stream is one whole zlib stream, nothing after it, that inflates to exactly expected
// (its check value right). Inflating stops as soon as the output would be longer than expected.
bool InflatesTo(std::span<const unsigned char> stream, std::span<const unsigned char> expected);

// The encoder ZlibCompressBest makes its streams with: "libdeflate 12" or "zlib 9".
const char* ZlibEncoderName();

} // namespace qvxbase
