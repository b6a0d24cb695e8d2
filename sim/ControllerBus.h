#pragma once
// The controllers that share one line, guarded for use from the serving thread and from callers.

#include "sim/Controller.h"
#include "sim/FrameReader.h"

#include <functional>
#include <memory>
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

    // Hands a frame that arrived at `now` to every controller that listens to its address; at most
    // one reply results, from the controller whose own address it is.
    std::optional<Outgoing> Deliver(const ReadResult& result, unsigned long hostRate, MonoTime now);

    // Runs `action` on the controller at `address` under the bus lock; false when there is none.
    bool With(unsigned char address, const std::function<void(Controller&)>& action);

private:
    std::optional<Outgoing> DeliverPellworth(const ReadResult& result, unsigned long hostRate, MonoTime now);
    Controller* Find(unsigned char address) const;

    mutable std::mutex m_mutex;
    std::vector<std::unique_ptr<Controller>> m_controllers;
};

} // namespace qvxsim
