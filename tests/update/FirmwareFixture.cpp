#include "FirmwareFixture.h"

#include "res/Resources.h"
#include "update/package/ZlbFile.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

std::vector<unsigned char> EmbeddedImage(int resourceId)
{
    CZlbFile package;
    EXPECT_EQ(package.LoadFromMemory(qvxres::FindEmbeddedResource("BIN", resourceId)), CZlbFile::kOk) << package.GetFault();
    const auto data = package.GetData();
    return {data.begin(), data.end()};
}

std::vector<unsigned char> WithRevision(std::vector<unsigned char> image, char major, char minor, char build)
{
    const std::string marker = "Gen II Firmware REV ";
    const auto at = std::search(image.begin(), image.end(), marker.begin(), marker.end());
    EXPECT_NE(at, image.end());
    if (at != image.end() && image.end() - at >= 25) {
        at[20] = static_cast<unsigned char>(major);
        at[22] = static_cast<unsigned char>(minor);
        at[24] = static_cast<unsigned char>(build);
    }
    return image;
}

void FirmwareTest::SetUp()
{
    m_sim = std::make_unique<qvxsim::SignSim>(m_dir.string());
    m_core = std::make_unique<CInstallerCore>(m_view);
    m_firmware = std::make_unique<CFirmwareInstaller>(*m_core, FirmwareSwitches{});
}

void FirmwareTest::TearDown()
{
    m_firmware.reset();
    m_core.reset();
    m_sim.reset();
}

void FirmwareTest::StartDisplay(const std::string& version, const qvxsim::FirmwareBehaviour& behaviour,
                                qvxsim::Protocol protocol)
{
    qvxsim::PortConfig config;
    config.comNumber = kPort;
    config.baud = kBaud;
    qvxsim::ControllerConfig controller;
    controller.address = kAddress;
    controller.settings.firmwareVersion = version;
    controller.settings.protocol = protocol;
    controller.behaviour = behaviour;
    config.controllers.push_back(controller);
    std::string error;
    ASSERT_TRUE(m_sim->AddPort(config, &error)) << error;
    ASSERT_TRUE(m_sim->Start(&error)) << error;
}

bool FirmwareTest::Connect()
{
    std::vector<CONNECTION_INFO> list;
    CDisplayConnector::BuildConnectionList(list, kAddress, kPort, BaudChoice{true, static_cast<int>(kBaud)});
    const ConnectOutcome outcome = m_core->Connector().ConnectToDisplay(list, kAddress);
    m_outcome = outcome.entry;
    const bool connected = outcome.result == CONNECT_OK;
    Mark();
    return connected;
}

bool FirmwareTest::Install(std::string& target)
{
    m_core->Runner().SetMode(RunMode::Inline); // as the unattended job runs it
    return m_firmware->InstallFirmware(false, std::string(), std::string(), target, kAddress);
}

bool FirmwareTest::Verify(const std::string& target)
{
    m_core->Runner().SetMode(RunMode::Inline);
    return m_firmware->VerifyFirmwareUpdate(kPort, kBaud, kAddress, "Lobby", target);
}

void FirmwareTest::Mark()
{
    m_mark = m_view.Lines().size();
}

Lines FirmwareTest::LinesSinceMark() const
{
    const Lines all = const_cast<CCapturingView&>(m_view).Lines();
    return Lines(all.begin() + static_cast<std::ptrdiff_t>(std::min(m_mark, all.size())), all.end());
}

bool FirmwareTest::HasLine(const std::string& line) const
{
    const Lines all = const_cast<CCapturingView&>(m_view).Lines();
    return std::find(all.begin(), all.end(), line) != all.end();
}

int FirmwareTest::CountLines(const std::string& prefix) const
{
    const Lines all = LinesSinceMark();
    return static_cast<int>(
        std::count_if(all.begin(), all.end(), [&](const std::string& line) { return line.rfind(prefix, 0) == 0; }));
}

std::filesystem::path FirmwareTest::WriteFile(const std::string& name, const std::vector<unsigned char>& bytes) const
{
    const auto path = m_dir / "files" / name;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::vector<unsigned char> FirmwareTest::StoredFile(const std::string& name) const
{
    const auto stored = m_sim->ReadFile(kPort, kAddress, name);
    return stored ? *stored : std::vector<unsigned char>();
}
