#pragma once
// A connected core with a firmware installer, against one stand-in controller on COM3 at 115200,
// with the firmware images as the program carries them.

#include "../connection/CapturingView.h"
#include "common/TestPortDir.h"

#include "connection/InstallerCore.h"
#include "sim/SignSim.h"
#include "update/FirmwareInstaller.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

using Lines = std::vector<std::string>;

// The image inside an embedded package, inflated.
std::vector<unsigned char> EmbeddedImage(int resourceId);
// The image with its revision text changed to major.minor.build (single digits or ';' and the like).
std::vector<unsigned char> WithRevision(std::vector<unsigned char> image, char major, char minor, char build);

class FirmwareTest : public ::testing::Test {
public:
    // Installs the embedded firmware as the automatic job does.
    bool Install(std::string& target);

protected:
    static constexpr int kPort = 3;
    static constexpr unsigned char kAddress = 1;
    static constexpr unsigned long kBaud = 115200;

    void SetUp() override;
    void TearDown() override;

    // Starts the controller running `version`.
    void StartDisplay(const std::string& version, const qvxsim::FirmwareBehaviour& behaviour = {},
                      qvxsim::Protocol protocol = qvxsim::Protocol::S2200);
    // Connects as the automatic job does; true on success. The message lines start afresh.
    bool Connect();
    bool Verify(const std::string& target);

    Lines LinesSinceMark() const;
    void Mark();
    bool HasLine(const std::string& line) const;
    // Lines since the mark that start with prefix.
    int CountLines(const std::string& prefix) const;
    std::filesystem::path WriteFile(const std::string& name, const std::vector<unsigned char>& bytes) const;
    qvxsim::ControllerStats Stats() const { return m_sim->Stats(kPort, kAddress); }
    std::string RunningVersion() const { return m_sim->Settings(kPort, kAddress).firmwareVersion; }
    std::vector<unsigned char> StoredFile(const std::string& name) const;

    CTestPortDir m_ports{"qvx-fw"};
    const std::filesystem::path& m_dir = m_ports.Path();
    std::unique_ptr<qvxsim::SignSim> m_sim;
    CCapturingView m_view;
    std::unique_ptr<CInstallerCore> m_core;
    std::unique_ptr<CFirmwareInstaller> m_firmware;
    CONNECTION_INFO m_outcome;
    std::size_t m_mark = 0;
};
