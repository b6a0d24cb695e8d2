// A loop-back plug (or an adapter that echoes) on the line: every reply is the request's own
// bytes, and the tool says so instead of calling it a display.
#include "app/PellworthTestApp.h"
#include "common/TestPortDir.h"
#include "sim/SignSim.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace {

class LineEcho : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_sim = std::make_unique<qvxsim::SignSim>(m_dir.string());
        qvxsim::PortConfig plug;
        plug.comNumber = 5;
        plug.loopback = true;
        qvxsim::PortConfig line; // a display, no plug
        line.comNumber = 6;
        line.controllers = {{1, 0}};
        std::string error;
        ASSERT_TRUE(m_sim->AddPort(plug, &error) && m_sim->AddPort(line, &error) && m_sim->Start(&error)) << error;
    }
    void TearDown() override { m_sim.reset(); }
    int Run(std::vector<std::string> args)
    {
        m_out.str("");
        CPellworthTestApp app(std::move(args), m_out);
        return app.Run();
    }
    bool Shows(const std::string& text) const { return m_out.str().find(text) != std::string::npos; }

    CTestPortDir m_ports{"qvx-echo"};
    const std::filesystem::path& m_dir = m_ports.Path();
    std::unique_ptr<qvxsim::SignSim> m_sim;
    std::ostringstream m_out;
};

constexpr char kEchoLine[] = "COM5 echoes what is sent: a loop-back plug, or an adapter echoing, is on the line and no "
                             "display answered.\n";

TEST_F(LineEcho, PingSaysTheLineEchoes)
{
    EXPECT_EQ(Run({"-ping", "COM5:3"}), 11);
    EXPECT_EQ(m_out.str(), "Pinging address 3 on COM5 at 115200 baud.\n"
                           "Every reply was the request's own bytes: the line echoes what is sent (a loop-back plug, "
                           "or an adapter echoing). No display answered.\n");
}

TEST_F(LineEcho, InfoAndAutoConnectDoNotCallItADisplay)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"-info", "COM5"}, std::vector<std::string>{"-b", "19200", "-info", "COM5:2"}}) {
        EXPECT_EQ(Run(args), 11) << m_out.str();
        EXPECT_TRUE(Shows(kEchoLine)) << m_out.str();
        EXPECT_FALSE(Shows("HITECH")) << m_out.str();
        EXPECT_FALSE(Shows("TASK ERROR 101")) << m_out.str();
    }
}

TEST_F(LineEcho, TheJobCannotConnectAndSaysWhy)
{
    // The job tries the controller protocol first, whose reset reply an echo imitates exactly: the
    // file reads after it tell.
    std::vector<std::string> lines(48, "");
    lines[0] = "Lobby";
    lines[9] = "1";
    lines[21] = "COM5";
    lines[22] = "115200";
    std::ofstream list(m_dir / "Displays.dat");
    for (const std::string& line : lines)
        list << line << "\n";
    list.close();
    const std::string logPath = (m_dir / "job.log").string();
    EXPECT_EQ(Run({"-s", "-df", (m_dir / "Displays.dat").string(), "-l1", "-lf", logPath}), 9) << m_out.str();
    std::ostringstream log;
    log << std::ifstream(logPath).rdbuf();
    EXPECT_NE(log.str().find(std::string("  ") + kEchoLine), std::string::npos) << log.str();
    EXPECT_NE(log.str().find("[*TASK ERROR 510*]  Could not connect to display"), std::string::npos) << log.str();
    EXPECT_EQ(log.str().find("TASK ERROR 101"), std::string::npos) << log.str();
}

} // namespace

namespace {

TEST_F(LineEcho, LoopbackTestFromTheCommandLine)
{
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string last;
    };
    const Case cases[] = {
        {{"-loopback", "COM5"}, 0, "Test Passed: 94 bytes came back as sent.\n"},
        {{"-loopback", "COM9"}, 3, "Test Failed\n"},
        {{"-loopback", "COM5:2"}, 2, "loopback: \"COM5:2\" is not a port, use COM<n>\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Run(c.args), c.status) << m_out.str();
        const std::string out = m_out.str();
        EXPECT_EQ(out.substr(out.size() - std::min(out.size(), c.last.size())), c.last) << out;
    }
}

TEST_F(LineEcho, LoopbackWithoutAPlugGetsNothingBack)
{
    EXPECT_EQ(Run({"-loopback", "COM6"}), 1) << m_out.str();
    EXPECT_EQ(m_out.str(), "Loop-back test on COM6 at 19200 baud: the short test.\n"
                           "Test Failed: nothing came back; is the loop-back plug on COM6?\n");
}

} // namespace
