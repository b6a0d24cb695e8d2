#include "link/PortNames.h"

#include "link/win32/WinHandle.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// "COM12" → 12; -1 when the text is not COM followed by up to six digits.
long ComNumberOf(const std::string& name)
{
    if (name.size() <= 3 || name.size() > 9 || _strnicmp(name.c_str(), "COM", 3) != 0)
        return -1;
    if (!std::all_of(name.begin() + 3, name.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return -1;
    return std::strtol(name.c_str() + 3, nullptr, 10);
}

} // namespace

std::string ComDevicePath(int comNumber)
{
    // The device namespace form: "COM10" and above only open this way.
    return comNumber > 0 ? "\\\\.\\COM" + std::to_string(comNumber) : std::string();
}

std::vector<ComPortEntry> ListComPorts()
{
    std::vector<ComPortEntry> ports;
    qvxwin::UniqueKey key;
    // Every serial driver enters its ports here ("\Device\Serial0" = "COM1").
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, key.Receive()) !=
        ERROR_SUCCESS)
        return ports;
    for (DWORD index = 0;; ++index) {
        char name[100];
        DWORD nameLength = sizeof name;
        char data[100];
        DWORD dataLength = sizeof data;
        DWORD type = 0;
        const LONG result = RegEnumValueA(key.Get(), index, name, &nameLength, nullptr, &type,
                                          reinterpret_cast<BYTE*>(data), &dataLength);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        // A value too long for the buffers names no port of ours; the next one may.
        if (result != ERROR_SUCCESS || type != REG_SZ)
            continue;
        const std::string port(data, strnlen(data, dataLength));
        const long number = ComNumberOf(port);
        if (number > 0 && number <= 32767)
            ports.push_back({static_cast<int>(number), ComDevicePath(static_cast<int>(number))});
    }
    std::sort(ports.begin(), ports.end(), [](const auto& a, const auto& b) { return a.number < b.number; });
    ports.erase(std::unique(ports.begin(), ports.end(), [](const auto& a, const auto& b) { return a.number == b.number; }),
                ports.end());
    return ports;
}
