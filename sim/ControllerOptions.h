#pragma once
// qvx-signsim's options for how the controllers of an --addr list take firmware and reboot, and for
// the random faults they commit.

#include "sim/SignSim.h"

#include <string>
#include <string_view>

namespace qvxsim {

struct ControllerOption {
    std::string_view name;
    bool takesValue = false;
    // Sets the option on one controller (value is empty for a flag); false for a bad value.
    bool (*apply)(const std::string& value, ControllerConfig& controller) = nullptr;
};

// The option called `name`; nullptr when there is none.
const ControllerOption* FindControllerOption(const std::string& name);

// Their part of the --help text.
std::string ControllerOptionsUsage();

} // namespace qvxsim
