#pragma once
// One display entry of the display list: one address of one record. Copied by value between the
// list reader, the port map and the update job.

#include <cstdint>
#include <string>

struct DisplayInfo {
    std::uint32_t nIndex = 0;     // running number of the entry in the file, from 0
    std::string strName;
    std::uint32_t nHeight = 0;    // rows of pixels
    std::uint32_t nWidth = 0;     // columns of pixels
    std::uint16_t nComPort = 0;
    std::uint32_t nBaudRate = 0;
    std::uint32_t nAddress = 0;

    bool operator==(const DisplayInfo&) const = default;
};
