#pragma once
// The zlib stream a compressed send puts in its blocks. One function, so that whatever estimates
// a send's size (a plan of the job) counts the very bytes the send would put on the line.

#include <zlib.h>

#include <vector>

// False when zlib cannot compress (no memory); out is then empty.
inline bool S22CompressStream(const unsigned char* data, unsigned long size, std::vector<unsigned char>& out)
{
    uLongf packed = compressBound(size);
    out.resize(packed);
    if (::compress(out.data(), &packed, data, size) != Z_OK) {
        out.clear();
        return false;
    }
    out.resize(packed);
    return true;
}
