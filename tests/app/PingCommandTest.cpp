// The ping switch end to end: the tool's own start-up against a stand-in controller on a pty.
#include "app/PellworthTestApp.h"
#include "link/S22SignLink.h"
#include "sim/SignSim.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <signal.h>
#include <sys/wait.h>
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
        // COM4: a display in the customer protocol, one of another maker, one that refuses.
        qvxsim::PortConfig other;
        other.comNumber = 4;
        other.controllers = {{2, 0}, {9, 0}, {6, 0}};
        other.controllers[0].settings.protocol = qvxsim::Protocol::Pellworth;
        other.controllers[1].settings.protocol = qvxsim::Protocol::Hitech;
        ASSERT_TRUE(m_sim->AddPort(other, &error)) << error;
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
         "Pinging address 1 on COM9 at 115200 baud.\nCOM9 could not be opened.\nCOM9: there is no device at " +
             (m_dir / "COM9").string() + " (QVX_PORT_DIR=" + m_dir.string() + "): No such file or directory\n"},
        {{"-ping", "COM4:2"}, 1,
         "Pinging address 2 on COM4 at 115200 baud.\nNo valid answer after 4 tries (ERR_SIGN_NO_RESPONSE).\n"
         "It answers only the customer protocol (Pellworth Protocol, firmware FX40211-1.02.11); -info would switch "
         "it to the S2200 Protocol.\n"},
        {{"-ping", "COM4:9"}, 6,
         "Pinging address 9 on COM4 at 115200 baud.\nNo valid answer after 4 tries (ERR_SIGN_NO_RESPONSE).\n"
         "It answers only the customer protocol, as a display of another maker (HT3100-2.04), which this tool "
         "leaves alone.\n"},
        {{"-ping", "COM4:6"}, 7,
         "Pinging address 6 on COM4 at 115200 baud.\nThe display answered and refused the request "
         "(ERR_SIGN_UNSUPPORTED_COMMAND).\n"},
        // "b" without a rate (or with one that is not a number): Auto Connect's rates in turn, up to
        // the first the display answers at.
        {{"-b", "-ping", "COM3:5"}, 0,
         "Pinging address 5 on COM3 at 115200 baud.\nNo valid answer after 4 tries (ERR_SIGN_NO_RESPONSE).\n"
         "Pinging address 5 on COM3 at 19200 baud.\nThe display answered in the S2200 Protocol.\n"},
        {{"-b", "fast", "-ping", "COM3:7"}, 1, [] {
             std::string all;
             for (const char* rate : {"115200", "19200", "56700", "38400", "28800", "9600", "4800", "2400"})
                 all += "Pinging address 7 on COM3 at " + std::string(rate) +
                        " baud.\nNo valid answer after 4 tries (ERR_SIGN_NO_RESPONSE).\n";
             return all;
         }()},
        {{"-b", "-ping", "COM9:1"}, 3,
         "Pinging address 1 on COM9 at 115200 baud.\nCOM9 could not be opened.\nCOM9: there is no device at " +
             (m_dir / "COM9").string() + " (QVX_PORT_DIR=" + m_dir.string() + "): No such file or directory\n"},
        {{"-ping", "COM3:0"}, 2, "Invalid network address for a Quorvantix Reader Board\n"},
        {{"-ping", "COM3:241"}, 2, "Invalid network address for a Quorvantix Reader Board\n"},
        {{"-ping", "LPT1"}, 2, "ping: \"LPT1\" is not a port, use COM<n>[:<address>]\n"},
    };
    m_sim->InjectFault(4, 6, {qvxsim::FaultKind::Unsupported, -1, 0});
    for (const auto& c : cases) {
        std::ostringstream out;
        CPellworthTestApp app(c.args, out);
        EXPECT_EQ(app.Run(), c.status) << c.args.back();
        EXPECT_EQ(out.str(), c.output) << c.args.back();
    }
}

TEST_F(PingCommand, BusyPortNamesItsHolder)
{
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) { // another program holds COM3
        CS22SignLink holder;
        const char ok = holder.OpenPort(3, 19200, 0) == S22NET_OK ? 'y' : 'n';
        (void)!::write(ready[1], &ok, 1);
        ::pause();
        ::_exit(0);
    }
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, 'y');
    std::ostringstream out;
    CPellworthTestApp app({"-ping", "COM3"}, out);
    const int status = app.Run();
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(status, 5);
    const std::string device = (m_dir / "COM3").string() + " (" + std::filesystem::canonical(m_dir / "COM3").string() + ")";
    EXPECT_NE(out.str().find("COM3: " + device + " is held by another program: process " + std::to_string(child) +
                             " (test_app_ping)\n"),
              std::string::npos)
        << out.str();
}

} // namespace
