#pragma once
// Why a COM port could not be opened, in words a technician can act on: the device looked at
// (and QVX_PORT_DIR when it chose it), a missing group membership, or the program holding the
// port (POSIX); that the port is not there, or that another program has it open, with the
// system's text (Windows). Shown after the report that the port is busy.

#include "link/SerialDevice.h"

#include <string>
#include <vector>

// One or more lines, each starting "COM<n>: ". Empty for Kind::None.
std::vector<std::string> DescribeOpenFailure(int comNumber, const SerialOpenFailure& failure);
