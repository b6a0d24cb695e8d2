#pragma once
// The controllers that share one line, guarded for use from the serving thread and from callers.

#include "sim/Controller.h"
#include "sim/FrameReader.h"

#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace qvxsim {

class ControllerBus {
public:
    // Addresses must be unique and 1..240; false with a reason otherwise.
    static bool Check(const PortConfig& config, std::string* error);

    explicit ControllerBus(const PortConfig& config);

    // Hands a frame to every controller that listens to its address; at most one reply results,
    // from the controller whose own address it is.
    std::optional<Outgoing> Deliver(const ReadResult& result, unsigned long hostRate);

    void InjectFault(unsigned char address, const Fault& fault);
    void ClearFaults(unsigned char address);
    void SetBaud(unsigned char address, unsigned long baud);
    ControllerStats Stats(unsigned char address) const;

private:
    Controller* Find(unsigned char address);

    mutable std::mutex m_mutex;
    std::vector<Controller> m_controllers;
};

} // namespace qvxsim
