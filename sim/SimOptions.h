#pragma once
// Command line of qvx-signsim.

#include "sim/SignSim.h"

#include <string>
#include <vector>

namespace qvxsim {

struct PortFault {
    int comNumber = 0;
    unsigned char address = 0;
    Fault fault;
};

struct PortStatus {
    int comNumber = 0;
    unsigned char address = 0;
    StatusFault fault;
};

struct SimOptions {
    bool help = false;
    std::string portDir;
    std::string replayFile; // --replay: the ports and their answers come from this session record
    std::vector<PortConfig> ports;
    std::vector<PortFault> faults;
    std::vector<PortStatus> statuses;
};

// args excludes the program name; envPortDir is $QVX_PORT_DIR or null. False with a message.
bool ParseSimOptions(const std::vector<std::string>& args, const char* envPortDir, SimOptions* options,
                     std::string* error);

std::string SimUsage();

// "COM<n> -> <slave path> (<rate> baud, addresses <list>)"; a list item is ADDR[@BAUD][/PROTOCOL],
// the protocol shown only when it is not s2200.
std::string DescribePort(const PortConfig& port, const std::string& slavePath);

} // namespace qvxsim
