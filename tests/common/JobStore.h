#pragma once
// A store for the tests that run the job: display-list records and the stand-in displays that
// answer them.

#include "sim/SignSim.h"

#include <string>
#include <vector>

// One record of a display list: 48 lines, the fields at their places, a 16x80 display.
inline std::string JobRecord(const std::string& name, const std::string& addresses, int port,
                             unsigned long baud = 115200)
{
    std::vector<std::string> lines(48, "-");
    lines[0] = name;
    lines[2] = "16";
    lines[3] = "80";
    lines[9] = addresses;
    lines[21] = "COM" + std::to_string(port);
    lines[22] = std::to_string(baud);
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

// A stand-in display at address on firmware version (empty: another maker's), in protocol, at
// baud (0: its port's rate).
inline qvxsim::ControllerConfig StandInDisplay(unsigned char address, const std::string& version,
                                               qvxsim::Protocol protocol = qvxsim::Protocol::S2200,
                                               unsigned long baud = 0)
{
    qvxsim::ControllerConfig controller;
    controller.address = address;
    controller.baud = baud;
    controller.settings.firmwareVersion = version;
    controller.settings.protocol = protocol;
    return controller;
}
