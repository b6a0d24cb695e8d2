#pragma once
// The zlib stream a compressed send puts in its blocks. One function, so that whatever estimates
// a send's size (a plan of the job) counts the very bytes the send would put on the line.

#include "base/Deflate.h"

#include <span>
#include <vector>

// The smallest stream the build can make, checked to inflate back to exactly the data. False
// (out empty) when it cannot be made (no memory) or does not check: nothing is to be sent then.
inline bool S22CompressStream(const unsigned char* data, unsigned long size, std::vector<unsigned char>& out)
{
    out.clear();
    if (size > 0 && data == nullptr)
        return false;
    const std::span<const unsigned char> in(data, size);
    if (!qvxbase::ZlibCompressBest(in, out) || !qvxbase::InflatesTo(out, in)) {
        out.clear();
        return false;
    }
    return true;
}
