// The ping switch end to end: the tool's own start-up against a stand-in controller on a pty.
#include "app/PellworthTestApp.h"
#include "sim/SignSim.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <unistd.h>

namespace {

class PingCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() /
                ("qvx-ping-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(m_dir);
        ::setenv("QVX_PORT_DIR", m_dir.c_str(), 1);
        ::setenv("QVX_TIME_SCALE", "0.02", 1); // the link's 3 s time-out, four tries
        m_sim = std::make_unique<qvxsim::SignSim>(m_dir.string());
        qvxsim::PortConfig config;
        config.comNumber = 3;
        config.baud = 19200;
        config.controllers = {{1, 0}, {5, 0}};
        std::string error;
        ASSERT_TRUE(m_sim->AddPort(config, &error)) << error;
        ASSERT_TRUE(m_sim->Start(&error)) << error;
    }
    void TearDown() override
    {
        m_sim.reset();
        ::unsetenv("QVX_TIME_SCALE");
        std::filesystem::remove_all(m_dir);
    }

    std::filesystem::path m_dir;
    std::unique_ptr<qvxsim::SignSim> m_sim;
};

struct PingCase {
    std::vector<std::string> args;
    int status;
    std::string output;
};

TEST_F(PingCommand, ExitStatusAndLines)
{
    const PingCase cases[] = {
        {{"-b", "19200", "-ping", "COM3:5"}, 0,
         "Pinging address 5 on COM3 at 19200 baud.\nThe display answered in the S2200 Protocol.\n"},
        {{"-b", "19200", "-ping", "com3"}, 0,
         "Pinging address 1 on COM3 at 19200 baud.\nThe display answered in the S2200 Protocol.\n"},
        {{"-b", "19200", "-ping", "COM3:7"}, 1,
         "Pinging address 7 on COM3 at 19200 baud.\nNo valid answer after 4 tries (ERR_SIGN_NO_RESPONSE).\n"},
        {{"-ping", "COM3:5"}, 1,
         "Pinging address 5 on COM3 at 115200 baud.\nNo valid answer after 4 tries (ERR_SIGN_NO_RESPONSE).\n"},
        {{"-ping", "COM9:1"}, 3,
         "Pinging address 1 on COM9 at 115200 baud.\nCOM9 could not be opened (ERR_NETWORK_CONNECT_FAILED): missing or busy.\n"},
        {{"-ping", "COM3:0"}, 2, "Invalid network address for a Quorvantix Reader Board\n"},
        {{"-ping", "COM3:241"}, 2, "Invalid network address for a Quorvantix Reader Board\n"},
        {{"-ping", "LPT1"}, 2, "ping: \"LPT1\" is not a port, use COM<n>[:<address>]\n"},
    };
    for (const auto& c : cases) {
        std::ostringstream out;
        CPellworthTestApp app(c.args, out);
        EXPECT_EQ(app.Run(), c.status) << c.args.back();
        EXPECT_EQ(out.str(), c.output) << c.args.back();
    }
}

} // namespace
