#include "SimLineFixture.h"

#include <stdlib.h>

#include <chrono>
#include <thread>

namespace simtest {

void SimLine::SetUp()
{
    std::string dir = (std::filesystem::temp_directory_path() / "qvx-sim-XXXXXX").string();
    ASSERT_NE(mkdtemp(dir.data()), nullptr);
    m_dir = dir;
    m_sim = std::make_unique<qvxsim::SignSim>(m_dir.string());
    qvxsim::PortConfig config;
    config.comNumber = 3;
    config.baud = kRate;
    config.controllers = Controllers();
    std::string error;
    ASSERT_TRUE(m_sim->AddPort(config, &error)) << error;
    ASSERT_TRUE(m_sim->Start(&error)) << error;
    ASSERT_TRUE(m_host.Open((m_dir / "COM3").string(), kRate));
}

void SimLine::TearDown()
{
    m_host.Close();
    m_sim.reset();
    std::filesystem::remove_all(m_dir);
}

void SimLine::ExpectReply(const Bytes& request, const Bytes& reply)
{
    m_host.Write(request);
    EXPECT_EQ(m_host.Read(reply.size()), reply);
}

void SimLine::ExpectLineQuiet()
{
    const Bytes reset = MakeFrame(1, 0x03);
    m_host.Write(reset);
    EXPECT_EQ(m_host.Read(reset.size()), reset) << "something was on the line before the barrier reply";
}

bool SimLine::WaitFor(const std::function<bool()>& condition)
{
    for (int i = 0; i < 2000 && !condition(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return condition();
}

} // namespace simtest
