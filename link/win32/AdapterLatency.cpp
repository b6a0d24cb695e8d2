#include "link/AdapterLatency.h"

#include "link/win32/SystemText.h"
#include "link/win32/WinHandle.h"

#include <cctype>
#include <cstring>
#include <optional>
#include <vector>

namespace {

constexpr const char* kFtdiBus = "SYSTEM\\CurrentControlSet\\Enum\\FTDIBUS";
// Bounds on the walk: more adapters than this were never plugged into one machine.
constexpr DWORD kMaxKeys = 1024;

// The system's text for an error code, with its number.
std::string SystemText(LONG error)
{
    return qvxwin::SystemText(static_cast<DWORD>(error)) + ", error " + std::to_string(error);
}

// The names of a key's subkeys (at most kMaxKeys); an error other than the end in *error.
std::vector<std::string> SubKeys(HKEY key, LONG* error)
{
    std::vector<std::string> names;
    for (DWORD index = 0; index < kMaxKeys; ++index) {
        char name[256];
        DWORD length = sizeof name;
        const LONG result = RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS) {
            *error = result;
            break;
        }
        names.emplace_back(name, length);
    }
    return names;
}

std::optional<std::string> ReadText(HKEY key, const char* value)
{
    char data[64];
    DWORD length = sizeof data;
    DWORD type = 0;
    if (RegQueryValueExA(key, value, nullptr, &type, reinterpret_cast<BYTE*>(data), &length) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    return std::string(data, strnlen(data, length));
}

struct FtdiEntry {
    std::string path;                // the Device Parameters key below HKLM
    std::optional<DWORD> latencyMs;  // LatencyTimer; none when the value is missing
};

// The Device Parameters of the FTDI instance whose PortName is port, if any.
std::optional<FtdiEntry> FindFtdiPort(const std::string& port, LONG* error)
{
    qvxwin::UniqueKey bus;
    const LONG opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kFtdiBus, 0, KEY_READ, bus.Receive());
    if (opened != ERROR_SUCCESS) {
        if (opened != ERROR_FILE_NOT_FOUND)
            *error = opened;
        return std::nullopt;
    }
    for (const std::string& device : SubKeys(bus.Get(), error)) {
        qvxwin::UniqueKey deviceKey;
        if (RegOpenKeyExA(bus.Get(), device.c_str(), 0, KEY_READ, deviceKey.Receive()) != ERROR_SUCCESS)
            continue;
        LONG ignored = ERROR_SUCCESS;
        for (const std::string& instance : SubKeys(deviceKey.Get(), &ignored)) {
            const std::string sub = instance + "\\Device Parameters";
            qvxwin::UniqueKey params;
            if (RegOpenKeyExA(deviceKey.Get(), sub.c_str(), 0, KEY_READ, params.Receive()) != ERROR_SUCCESS)
                continue;
            const std::optional<std::string> name = ReadText(params.Get(), "PortName");
            if (!name || _stricmp(name->c_str(), port.c_str()) != 0)
                continue;
            FtdiEntry entry;
            entry.path = std::string("HKLM\\") + kFtdiBus + "\\" + device + "\\" + sub;
            DWORD value = 0;
            DWORD length = sizeof value;
            DWORD type = 0;
            if (RegQueryValueExA(params.Get(), "LatencyTimer", nullptr, &type, reinterpret_cast<BYTE*>(&value),
                                 &length) == ERROR_SUCCESS &&
                type == REG_DWORD)
                entry.latencyMs = value;
            return entry;
        }
    }
    return std::nullopt;
}

} // namespace

std::string AdapterLatencyAdvice(int comPort)
{
    const std::string port = "COM" + std::to_string(comPort);
    LONG error = ERROR_SUCCESS;
    const std::optional<FtdiEntry> entry = FindFtdiPort(port, &error);
    const std::string where = "Device Manager > Ports (COM & LPT) > " + port +
                              " > Port Settings > Advanced > Latency Timer (msec): set 1.";
    if (entry) {
        const std::string value = entry->latencyMs ? std::to_string(*entry->latencyMs) + " ms"
                                                   : std::string("not set (the driver's default, 16 ms)");
        return "The FTDI latency timer of " + port + " is " + value + " (LatencyTimer in " + entry->path + "). " +
               where;
    }
    if (error != ERROR_SUCCESS)
        return "The FTDI driver's entries could not be read (" + SystemText(error) + "). If " + port +
               " is an FTDI adapter: " + where;
    return "No FTDI driver entry names " + port +
           ": the adapter's own driver settings (Device Manager > Ports (COM & LPT) > " + port +
           ") are the place to look for a latency or buffer time to lower.";
}
