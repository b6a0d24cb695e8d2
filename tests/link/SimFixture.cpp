#include "SimFixture.h"

#include <cstdlib>
#include <unistd.h>

void SimLineTest::SetUp()
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    m_dir = std::filesystem::temp_directory_path() /
            ("qvx-line-" + std::to_string(::getpid()) + "-" + info->name());
    std::filesystem::remove_all(m_dir);
    std::filesystem::create_directories(m_dir);
    ::setenv("QVX_PORT_DIR", m_dir.c_str(), 1);
    ::unsetenv("QVX_TIME_SCALE");
    m_sim = std::make_unique<qvxsim::SignSim>(m_dir.string());
}

void SimLineTest::TearDown()
{
    m_sim.reset();
    std::filesystem::remove_all(m_dir);
}

void SimLineTest::StartLine(int com, unsigned long baud, std::vector<unsigned char> addresses, bool lineTime)
{
    AddLine(com, baud, std::move(addresses), lineTime);
    StartSim();
}

void SimLineTest::AddLine(int com, unsigned long baud, std::vector<unsigned char> addresses, bool lineTime)
{
    qvxsim::PortConfig config;
    config.comNumber = com;
    config.baud = baud;
    config.lineTime = lineTime;
    for (unsigned char address : addresses)
        config.controllers.push_back({address, 0});
    std::string error;
    ASSERT_TRUE(m_sim->AddPort(config, &error)) << error;
}

void SimLineTest::StartSim()
{
    std::string error;
    ASSERT_TRUE(m_sim->Start(&error)) << error;
}
