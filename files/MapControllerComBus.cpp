#include "files/MapControllerComBus.h"

#include <limits>

void CMapControllerComBus::Build(const std::vector<DisplayInfo>& entries)
{
    Clear();
    for (const DisplayInfo& entry : entries) {
        auto [it, inserted] = m_mapPorts.try_emplace(entry.nComPort);
        if (inserted)
            m_arrPorts.push_back(entry.nComPort);
        it->second.push_back(entry);
    }
}

void CMapControllerComBus::GetPorts(std::vector<unsigned>& ports) const
{
    ports.assign(m_arrPorts.begin(), m_arrPorts.end());
}

bool CMapControllerComBus::GetEntriesOnPort(unsigned port, std::vector<DisplayInfo>& entries) const
{
    entries.clear();
    // A number beyond 16 bits is no port of the map (and must not alias one by truncation).
    if (port > std::numeric_limits<std::uint16_t>::max())
        return false;
    const auto it = m_mapPorts.find(static_cast<std::uint16_t>(port));
    if (it == m_mapPorts.end())
        return false;
    entries = it->second;
    return true;
}

void CMapControllerComBus::Clear()
{
    m_mapPorts.clear();
    m_arrPorts.clear();
}
