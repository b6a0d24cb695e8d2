#pragma once
// What a command-line form prints when its port cannot be opened, and the exit status it gives.

#include "link/SerialDevice.h"

#include <iosfwd>

// "COM<n> could not be opened." and the reason lines; exitstatus::kBusy when another program holds
// the port, else exitstatus::kCannotOpen.
int ReportPortNotOpened(std::ostream& out, int com, const SerialOpenFailure& failure);
