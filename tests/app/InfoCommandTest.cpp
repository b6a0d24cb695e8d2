// The info switch end to end: the tool's own start-up and console view against a stand-in
// controller on a pty.
#include "app/PellworthTestApp.h"
#include "sim/SignSim.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <unistd.h>

namespace {

class InfoCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() /
                ("qvx-info-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(m_dir);
        ::setenv("QVX_PORT_DIR", m_dir.c_str(), 1);
        ::setenv("QVX_TIME_SCALE", "0.02", 1);
        m_sim = std::make_unique<qvxsim::SignSim>(m_dir.string());
        qvxsim::PortConfig config;
        config.comNumber = 3;
        config.baud = 115200;
        qvxsim::ControllerConfig reader;
        reader.address = 1;
        reader.settings.clock = 3600; // a stopped clock: 01:00:00 AM on 1/1/70 plus the zone
        reader.settings.timeZone = 0;
        qvxsim::ControllerConfig hitech;
        hitech.address = 9;
        hitech.settings.protocol = qvxsim::Protocol::Hitech;
        qvxsim::ControllerConfig older;
        older.address = 4;
        older.settings.firmwareVersion = "FX40211-1.01.05";
        qvxsim::ControllerConfig fast; // set to 57600, which the tool's 56700 reaches as on a real UART
        fast.address = 8;
        fast.baud = 57600;
        config.controllers = {reader, hitech, older, fast};
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

    int Run(std::vector<std::string> args)
    {
        m_out.str("");
        CPellworthTestApp app(std::move(args), m_out);
        return app.Run();
    }
    bool Shows(const std::string& text) const { return m_out.str().find(text) != std::string::npos; }
    int Count(const std::string& text) const
    {
        int count = 0;
        const std::string out = m_out.str();
        for (auto at = out.find(text); at != std::string::npos; at = out.find(text, at + 1))
            ++count;
        return count;
    }

    std::filesystem::path m_dir;
    std::unique_ptr<qvxsim::SignSim> m_sim;
    std::ostringstream m_out;
};

TEST_F(InfoCommand, PrintsTheLinesAndBothLists)
{
    EXPECT_EQ(Run({"-b", "115200", "-info", "COM3"}), 0) << m_out.str();
    const std::string expectedStart = "Connecting to Sign at address 1...\n"
                                      "Connecting with Pellworth Protocol at 115200 baud\n"
                                      "Response from get sign type: -6\n"
                                      "Sign Type Version:\n"
                                      "Connection with Pellworth Protocol at 115200 baud has failed.\n"
                                      "Connection established with S2200 Protocol at 115200 baud.\n"
                                      "Retrieving configuration file...\n"
                                      "The config file was retrieved.\n"
                                      "Retrieving status file...\n"
                                      "The status file was retrieved.\n"
                                      "\n"
                                      "Configuration Tag         Attribute\n";
    EXPECT_EQ(m_out.str().substr(0, expectedStart.size()), expectedStart);
    for (const char* row : {"Module Type               FX40529.RBF-004\n", "Baud Rate                 115200\n",
                            "Status Tag           Attribute\n", "Time                 01:00:00 AM\n",
                            "Date                 1/1/70 \n", "Firmware Version     FX40211-1.02.11\n",
                            "Temperature          87 F\xC2\xB0 / 31 C\xC2\xB0\n"})
        EXPECT_TRUE(Shows(row)) << row << m_out.str();
}

TEST_F(InfoCommand, ExitStatusTellsWhatHappened)
{
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* line;
    };
    const Case cases[] = {
        {{"-b", "115200", "-info", "COM3:9"}, 6, "[*TASK ERROR 101*]  Display is not a Quorvantix Reader Board\n"},
        {{"-b", "115200", "-info", "COM3:7"}, 1, "[*TASK ERROR 510*]  Could not connect to display\n"},
        {{"-info", "COM8"}, 3, "[*TASK ERROR 500*]  Serial COM8 is busy.\nCOM8: there is no device at "},
        {{"-info", "COM3:0"}, 2, "[*TASK ERROR 300*]  Invalid network address for a Quorvantix Reader Board\n"},
        {{"-info", "COM3:241"}, 2, "You have entered an invalid display address.  A valid display address is between 1 and 240.\n"},
        {{"-info", "PORT3"}, 2, "info: \"PORT3\" is not a port, use COM<n>[:<address>]\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run(c.args), c.status) << c.args.back() << "\n" << m_out.str();
        EXPECT_TRUE(Shows(c.line)) << c.args.back() << "\n" << m_out.str();
    }
}

TEST_F(InfoCommand, AllRatesReachAControllerAt57600)
{
    EXPECT_EQ(Run({"-b", "-info", "COM3:8"}), 0) << m_out.str();
    EXPECT_TRUE(Shows("Connection established with S2200 Protocol at 56700 baud.\n")) << m_out.str();
}

TEST_F(InfoCommand, HitechDisplayIsReportedByTheAttemptAndByAutoConnect)
{
    EXPECT_EQ(Run({"-b", "115200", "-info", "COM3:9"}), 6) << m_out.str();
    EXPECT_EQ(Count("[*TASK ERROR 101*]  Display is not a Quorvantix Reader Board\n"), 2) << m_out.str();
}

TEST_F(InfoCommand, OlderFirmwareIsShownAsAQuestionAnsweredNo)
{
    EXPECT_EQ(Run({"-b", "115200", "-info", "COM3:4"}), 0) << m_out.str();
    EXPECT_TRUE(Shows("\nYou do not have the recommended firmware downloaded. Do you want to download it now? "
                      "-> No (not asked on the command line)\n"))
        << m_out.str();
    EXPECT_FALSE(Shows("Downloading firmware"));
    EXPECT_EQ(m_sim->Stats(3, 4).reboots, 0u);
}

} // namespace
