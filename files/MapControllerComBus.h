#pragma once
// The display entries of a display list grouped by serial port: ports in the order first met,
// each port's entries in list order.

#include "files/DisplayInfo.h"

#include <cstdint>
#include <map>
#include <vector>

class CMapControllerComBus {
public:
    // Empties the map, then distributes the entries by their COM port.
    void Build(const std::vector<DisplayInfo>& entries);
    // Replaces `ports` with the port numbers in first-met order.
    void GetPorts(std::vector<unsigned>& ports) const;
    // Replaces `entries` with the port's entries; false (and empty) for a port not in the map.
    bool GetEntriesOnPort(unsigned port, std::vector<DisplayInfo>& entries) const;
    void Clear();

private:
    std::map<std::uint16_t, std::vector<DisplayInfo>> m_mapPorts;
    std::vector<std::uint16_t> m_arrPorts;
};
