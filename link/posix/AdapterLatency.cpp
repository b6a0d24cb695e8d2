#include "link/AdapterLatency.h"

#include "link/PortNames.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string UdevSentence()
{
    return std::string(" To keep an FTDI adapter at 1 ms, the udev rule ") + kAdapterLatencyUdevRule +
           " of the package sets it whenever the adapter is plugged in.";
}

// The timer's value in ms, or -1 with errno's text in *reason.
int ReadTimer(const fs::path& attribute, std::string* reason)
{
    errno = 0;
    std::ifstream in(attribute);
    int value = -1;
    if (in >> value && value >= 0 && value <= 255)
        return value;
    *reason = errno != 0 ? std::strerror(errno) : "no number in it";
    return -1;
}

// Writes "1"; false with errno's text in *reason.
bool WriteTimer(const fs::path& attribute, std::string* reason)
{
    errno = 0;
    std::ofstream out(attribute);
    if (out)
        out << "1\n";
    out.close(); // sysfs takes the value (or refuses it) as the file is flushed
    if (out)
        return true;
    *reason = errno != 0 ? std::strerror(errno) : "the write failed";
    return false;
}

std::string TimerAdvice(const std::string& port, const fs::path& attribute)
{
    std::string reason;
    const int before = ReadTimer(attribute, &reason);
    if (before < 0)
        return "The latency timer of " + port + " (" + attribute.string() + ") could not be read (" + reason + ").";
    if (before <= 1)
        return "The latency timer of " + port + " is " + std::to_string(before) +
               " ms already: the delay is the adapter's or the display's own.";
    if (!WriteTimer(attribute, &reason))
        return "The latency timer of " + port + " is " + std::to_string(before) + " ms; setting it to 1 ms in " +
               attribute.string() + " failed (" + reason + ").";
    const int after = ReadTimer(attribute, &reason);
    if (after == 1)
        return "The latency timer of " + port + " was " + std::to_string(before) + " ms and is now 1 ms.";
    return "The latency timer of " + port + " was " + std::to_string(before) + " ms; after writing 1 it reads " +
           (after < 0 ? "nothing (" + reason + ")" : std::to_string(after) + " ms") + ".";
}

std::string DeviceAdvice(int comPort)
{
    const std::string com = "COM" + std::to_string(comPort);
    const std::string device = ComDevicePath(comPort);
    if (device.empty())
        return "No device is behind " + com + ", so there is no latency timer to set.";
    std::error_code ec;
    const fs::path tty = fs::canonical(device, ec);
    if (ec)
        return "The device of " + com + " (" + device + ") cannot be followed (" + ec.message() + ").";
    const std::string port = com + " (" + tty.string() + ")";
    if (tty.parent_path() == "/dev/pts" || tty.string() == "/dev/ptmx")
        return com + " is a pseudo-terminal (" + tty.string() + "), not a USB adapter: there is no latency timer to set.";
    const fs::path attribute = fs::path("/sys/class/tty") / tty.filename() / "device" / "latency_timer";
    if (!fs::exists(attribute, ec))
        return port + " has no latency timer to set (" + attribute.string() +
               " is not there; FTDI adapters have one): look at the adapter's own settings.";
    return TimerAdvice(port, attribute);
}

} // namespace

std::string AdapterLatencyAdvice(int comPort)
{
    return DeviceAdvice(comPort) + UdevSentence();
}
