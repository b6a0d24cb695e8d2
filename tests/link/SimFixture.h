#pragma once
// A stand-in controller line for tests: a private port folder (QVX_PORT_DIR) with simulated COM
// ports on real pseudo-terminals.

#include "sim/SignSim.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

class SimLineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Adds COM<com> at the given rate with controllers at the given addresses.
    void AddLine(int com, unsigned long baud, std::vector<unsigned char> addresses, bool lineTime = false);
    void StartSim();
    // AddLine, then StartSim.
    void StartLine(int com, unsigned long baud, std::vector<unsigned char> addresses, bool lineTime = false);

    qvxsim::SignSim& Sim() { return *m_sim; }
    const std::filesystem::path& Dir() const { return m_dir; }

private:
    std::filesystem::path m_dir;
    std::unique_ptr<qvxsim::SignSim> m_sim;
};
