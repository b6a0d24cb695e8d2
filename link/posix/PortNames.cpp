#include "link/PortNames.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// The number after a prefix ("COM12" → 12), or -1 when the rest is not all digits.
long NumberAfter(const std::string& name, const std::string& prefix)
{
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
        return -1;
    const std::string digits = name.substr(prefix.size());
    if (digits.size() > 6 || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return -1;
    return std::strtol(digits.c_str(), nullptr, 10);
}

// A ttyS node exists for every possible legacy UART; those without hardware report type 0.
bool IsPlaceholderUart(const std::string& name)
{
    std::ifstream typeFile("/sys/class/tty/" + name + "/type");
    int type = -1;
    if (typeFile >> type)
        return type == 0;
    return false;
}

std::vector<ComPortEntry> ListFromPortDir(const std::string& dir)
{
    std::vector<ComPortEntry> ports;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
        const std::string name = entry.path().filename().string();
        const long number = NumberAfter(name, "COM");
        if (number > 0 && number <= 32767)
            ports.push_back({static_cast<int>(number), entry.path().string()});
    }
    std::sort(ports.begin(), ports.end(), [](const auto& a, const auto& b) { return a.number < b.number; });
    return ports;
}

std::vector<std::string> DeviceFamily(const std::string& prefix)
{
    std::vector<std::pair<long, std::string>> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/dev", ec)) {
        const std::string name = entry.path().filename().string();
        const long number = NumberAfter(name, prefix);
        if (number < 0)
            continue;
        if (prefix == "ttyS" && IsPlaceholderUart(name))
            continue;
        found.emplace_back(number, entry.path().string());
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> paths;
    for (auto& item : found)
        paths.push_back(std::move(item.second));
    return paths;
}

std::vector<ComPortEntry> ListMachinePorts()
{
    std::vector<ComPortEntry> ports;
    for (const char* family : {"ttyS", "ttyUSB", "ttyACM"}) {
        for (auto& path : DeviceFamily(family))
            ports.push_back({static_cast<int>(ports.size()) + 1, std::move(path)});
    }
    return ports;
}

} // namespace

std::vector<ComPortEntry> ListComPorts()
{
    const char* dir = std::getenv("QVX_PORT_DIR");
    if (dir != nullptr && *dir != '\0')
        return ListFromPortDir(dir);
    return ListMachinePorts();
}

std::string ComDevicePath(int comNumber)
{
    if (comNumber <= 0)
        return {};
    const char* dir = std::getenv("QVX_PORT_DIR");
    if (dir != nullptr && *dir != '\0')
        return std::string(dir) + "/COM" + std::to_string(comNumber);
    for (const auto& port : ListMachinePorts()) {
        if (port.number == comNumber)
            return port.device;
    }
    return {};
}
