#pragma once
// COM3 at 19200 baud with controllers 1 and 2 (unless a test fixture says otherwise), and a host
// already on the line.

#include "HostPort.h"
#include "sim/SignSim.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

namespace simtest {

inline constexpr unsigned long kRate = 19200;

class SimLine : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // The controllers on the line; controller 1 must speak S2200 for ExpectLineQuiet.
    virtual std::vector<qvxsim::ControllerConfig> Controllers() const { return {{1, 0}, {2, 0}}; }

    // Sends request and reads as many bytes as `reply` holds, expecting exactly those.
    void ExpectReply(const Bytes& request, const Bytes& reply);
    // Proves that nothing was sent since the last read: the next bytes on the line must be the
    // answer to a fresh sequence reset of controller 1.
    void ExpectLineQuiet();
    // Waits (bounded) until the sim has taken in a frame, e.g. before the host changes its rate.
    static bool WaitFor(const std::function<bool()>& condition);

    qvxsim::ControllerStats Stats(unsigned char address) const { return m_sim->Stats(3, address); }

    std::filesystem::path m_dir;
    std::unique_ptr<qvxsim::SignSim> m_sim;
    HostPort m_host;
};

} // namespace simtest
