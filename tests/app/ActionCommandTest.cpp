// The display actions from the command line, end to end: the tool's own start-up and console view
// against a stand-in controller on a pty; and the values refused before any port is opened.
#include "app/PellworthTestApp.h"
#include "common/TestPortDir.h"
#include "sim/SignSim.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>

namespace {

using Bytes = std::vector<unsigned char>;

constexpr int kPort = 3;
constexpr unsigned char kAddress = 5;

class ActionCommand : public ::testing::Test {
protected:
    void StartDisplay(const std::function<void(qvxsim::ControllerSettings&)>& setUp = {})
    {
        m_sim = std::make_unique<qvxsim::SignSim>(m_ports.Path().string());
        qvxsim::PortConfig config;
        config.comNumber = kPort;
        config.baud = 115200;
        config.controllers.push_back({kAddress});
        config.controllers.back().behaviour.rebootMs = 0;
        if (setUp)
            setUp(config.controllers.back().settings);
        std::string error;
        ASSERT_TRUE(m_sim->AddPort(config, &error)) << error;
        ASSERT_TRUE(m_sim->Start(&error)) << error;
    }

    int Run(std::vector<std::string> args)
    {
        m_out.str("");
        m_err.str("");
        args.insert(args.begin(), {"-b", "115200"});
        CPellworthTestApp app(std::move(args), m_out, m_err);
        return app.Run();
    }
    bool Shows(const std::string& text) const { return m_out.str().find(text) != std::string::npos; }

    CTestPortDir m_ports{"qvx-action"};
    std::unique_ptr<qvxsim::SignSim> m_sim; // after m_ports: stopped before its folder goes
    std::ostringstream m_out;
    std::ostringstream m_err;
};

// Each action once: its exit status, the line the window would show, and what the display did.
TEST_F(ActionCommand, EachDisplayActionEndToEnd)
{
    const struct { std::vector<std::string> args; std::string line; std::function<bool(qvxsim::SignSim&)> done; }
        cases[] = {
        {{"-startpattern", "COM3:5", "-pattern", "module NUMBERS"}, "Test pattern is now running",
         [](qvxsim::SignSim& sim) { return sim.Display(kPort, kAddress).testPattern == 12; }},
        {{"-stoppattern", "com3:5"}, "Sign has been set into normal mode",
         [](qvxsim::SignSim& sim) { return sim.Stats(kPort, kAddress).lastData.at(1) == 16; }},
        {{"-settime", "COM3:5"}, "The display's time & date has been set.",
         [](qvxsim::SignSim& sim) { return sim.Stats(kPort, kAddress).lastData.at(1) == 15; }},
        {{"/reset", "COM3:5"}, "The display has been reset.",
         [](qvxsim::SignSim& sim) { return sim.Stats(kPort, kAddress).reboots == 1; }},
        {{"-cleanmemory", "COM3:5", "-yes"}, "Memory on the display has been cleared",
         [](qvxsim::SignSim& sim) { return !sim.ReadFile(kPort, kAddress, "SALE.M2M").has_value(); }},
        // The restore wipes messages, schedules and fonts and sends the HITECH set of this line.
        {{"-restorefactory", "COM3:5", "-holdtime", "1", "-yes"},
         "Factory messages (HITECH set): 1 files deleted, 11 files sent.",
         [](qvxsim::SignSim& sim) {
             return !sim.ReadFile(kPort, kAddress, "SALE.M2M") && sim.ReadFile(kPort, kAddress, "KEEP.TXT") &&
                    sim.ReadFile(kPort, kAddress, "HTCH\\TXT00007.FST");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front());
        StartDisplay();
        ASSERT_TRUE(m_sim->WriteFile(kPort, kAddress, "SALE.M2M", Bytes{1, 2, 3}));
        ASSERT_TRUE(m_sim->WriteFile(kPort, kAddress, "KEEP.TXT", Bytes{4}));
        EXPECT_EQ(Run(c.args), 0);
        EXPECT_TRUE(Shows("Connection established with S2200 Protocol at 115200 baud.\n"));
        const std::string line = "\n" + c.line + "\n";
        EXPECT_TRUE(Shows(line)) << m_out.str();
        EXPECT_EQ(m_out.str().find(line), m_out.str().rfind(line)) << "a box repeating its line is not printed again";
        EXPECT_TRUE(c.done(*m_sim));
        EXPECT_EQ(m_err.str(), "");
    }
}

// The stand-in's own CONFIG.XML differs from the recommendation for its type (32x80 Mono64, key
// 10); after the download, the restarted display matches in the chosen zone.
TEST_F(ActionCommand, ConfigurationCheckDownloadAndCheckAgain)
{
    StartDisplay();
    // Auto Connect's quick check comes first.
    EXPECT_EQ(Run({"-checkconfig", "COM3:5"}), 8) << m_out.str() << m_err.str();
    EXPECT_TRUE(Shows("The display configuration does not match the recommended settings. Do you want to update the "
                      "display configuration? -> No (not asked on the command line)\n"));
    EXPECT_TRUE(Shows("The configuration differs from the recommended one for 32x80 Mono64 - Gen 1 in (GMT-06:00) "
                      "Central Time (US & Canada):\n"));
    EXPECT_TRUE(Shows("  IP Address: the display has \"192.168.100.20\", recommended \"192.168.200.10\"\n"));

    // The download is what happens: no question answered no before it.
    EXPECT_EQ(Run({"-downloadconfig", "COM3:5", "-type", "32X80 MONO64 - GEN 1", "-timezone", "eastern"}), 0)
        << m_out.str();
    const std::string download = "Downloading sign configuration...\n"
                                 "Configuration file has been downloaded and sign has been reset.\n"
                                 "Sign is disconnected...\n";
    EXPECT_EQ(m_out.str().substr(m_out.str().size() - std::min(download.size(), m_out.str().size())), download)
        << m_out.str();
    EXPECT_FALSE(Shows("Do you want to update the display configuration?")) << m_out.str();
    EXPECT_EQ(m_sim->Stats(kPort, kAddress).reboots, 1u);
    EXPECT_EQ(Run({"-checkconfig", "COM3:5"}), 0) << m_out.str() << m_err.str();
    EXPECT_TRUE(Shows("The configuration matches the recommended one for 32x80 Mono64 - Gen 1 in (GMT-05:00) Eastern "
                      "Time (US & Canada);Bogota, Lima, Quito.\n"));
    EXPECT_EQ(Run({"-checkconfig", "COM3:5", "-timezone", "GMT+01:00"}), 8);
    EXPECT_TRUE(Shows("  Time Zone: the display has \"-300\", recommended \"60\"\n"));
    // A type of the other firmware line is refused once the display's line is known.
    EXPECT_EQ(Run({"-downloadconfig", "COM3:5", "-type", "40"}), 2);
    EXPECT_TRUE(Shows("-type \"40\" is no display type of this display's firmware line.\n"));
    EXPECT_TRUE(Shows("The display types of this firmware line are:\n  0  72x240 RGB32K - Gen 1\n"
                      "  1  64x224 RGB32K - Gen 1\n  15  64x224 RGB32K - Gen 2\n"))
        << "the types are listed as the configuration page lists them";
    EXPECT_TRUE(Shows("  10  32x80 Mono64 - Gen 1\n  21  32x80 Mono64 - Gen 2\n"));
    EXPECT_TRUE(Shows("  28  32x80 Mono64 - Display Emulator\n"));
}

// A display in a zone the list has no name for: both forms work in it as they are, and the
// download writes it back unchanged.
TEST_F(ActionCommand, ConfigurationInTheDisplaysUnlistedZone)
{
    StartDisplay([](qvxsim::ControllerSettings& settings) {
        settings.timeZone = 390;
        settings.ipAddress = "192.168.200.10";
    });
    EXPECT_EQ(Run({"-checkconfig", "COM3:5"}), 0) << m_out.str() << m_err.str();
    EXPECT_TRUE(Shows("The configuration matches the recommended one for 32x80 Mono64 - Gen 1 in (GMT+06:30) "
                      "Display's own zone.\n"));
    EXPECT_EQ(Run({"-downloadconfig", "COM3:5", "-type", "10"}), 0) << m_out.str();
    const auto sent = m_sim->ReadFile(kPort, kAddress, "CONFIG.XML");
    ASSERT_TRUE(sent.has_value());
    EXPECT_NE(std::string(sent->begin(), sent->end()).find("<TIME dst=\"1\" zn=\"390\" clk=\"0\"/>"),
              std::string::npos);
    EXPECT_EQ(m_sim->Settings(kPort, kAddress).timeZone, 390);
}

// A display that refuses the command: 7; one that cannot be reached: 1 (nothing done in either).
TEST_F(ActionCommand, RefusedAndUnansweredActions)
{
    StartDisplay();
    m_sim->InjectStatus(kPort, kAddress, qvxsim::ExtendedCommand(16), 1);
    EXPECT_EQ(Run({"-startpattern", "COM3:5", "-pattern", "3"}), 7) << m_out.str();
    EXPECT_TRUE(Shows("Selected test pattern failed to run\n"));
    EXPECT_EQ(Run({"-stoppattern", "COM3:6"}), 1) << "no display at address 6";
    EXPECT_FALSE(Shows("Could not put sign back into normal mode"));
}

// Values are checked before the port is opened: COM9 does not exist, so a 2 (not a 3) shows that
// nothing was opened.
TEST_F(ActionCommand, BadValuesStopTheRunBeforeAnyPortIsOpened)
{
    const struct { std::vector<std::string> args; std::string said; } cases[] = {
        {{"-cleanmemory", "COM9"}, "add -yes to confirm"},
        {{"-restorefactory", "COM9", "-holdtime", "5"},
         "qvxfirminstaller: -restorefactory deletes the display's messages, schedules and fonts and puts its factory "
         "messages back; add -yes to confirm.\n"},
        {{"-downloadconfig", "COM9", "-type", "32x80 mono64"},
         "qvxfirminstaller: -type \"32x80 mono64\" names 3 display types; give one of them by its number or its "
         "whole name:\n  10  32x80 Mono64 - Gen 1\n  21  32x80 Mono64 - Gen 2\n  28  32x80 Mono64 - Display Emulator\n"},
        {{"-downloadconfig", "COM9", "-timezone", "Eastern"}, "-downloadconfig needs the display type"},
        {{"-startpattern", "COM9", "-pattern", "14"}, "-pattern \"14\" is not a test pattern"},
        {{"-startpattern", "COM9", "-pattern", "Stripes"}, "13  Cycle Boot Sequence"},
        {{"-downloadconfig", "COM9", "-type", "99"}, "-type \"99\" is no display type of either firmware line."},
        {{"-checkconfig", "COM9", "-type", "Jumbotron"},
         "FX40211 line are:\n  0  72x240 RGB32K - Gen 1\n  1  64x224 RGB32K - Gen 1\n"},
        {{"-checkconfig", "COM9", "-type", "Jumbotron"}, "FP9023417 line are:\n  40  32x128 RGB68B\n"},
        {{"-checkconfig", "COM9", "-type", "72x240 RGB32K"}, "names 2 display types"},
        {{"-checkconfig", "COM9", "-timezone", "Atlantis"}, "names no time zone"},
        {{"-checkconfig", "COM9", "-timezone", "GMT+13:30"}, "is no zone of the list"},
        {{"-checkconfig", "COM9", "-timezone", "Time"}, "names more than one time zone"},
        {{"-restorefactory", "COM9", "-yes", "-holdtime", "0"}, "is not a number of minutes from 1 to 1440"},
        {{"-restorefactory", "COM9", "-yes", "-holdtime", "1441"}, "is not a number of minutes from 1 to 1440"},
        {{"-reset", "LPT1"}, "-reset \"LPT1\" is not a port"},
        {{"-reset", "COM9", "-stoppattern", "COM9"}, "are separate runs"},
        {{"-reset", "COM9", "-info", "COM9"}, "are separate runs"},
        {{"-settime", "COM9", "-yse"}, "unknown switch -yse; nothing was sent"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run(c.args), 2) << c.args.front() << " " << c.args.back();
        EXPECT_NE(m_err.str().find(c.said), std::string::npos) << m_err.str();
        EXPECT_EQ(m_out.str(), "");
    }
}

// A type named as the configuration page names it, by number, or by a name only one type has,
// passes the check before the port (COM9 is not there: 3).
TEST_F(ActionCommand, TypesAreTakenByTheirListNames)
{
    for (const char* type : {"32x80 Mono64 - Display Emulator", "21", "48x144 dual resolution",
                             "32x128 Mono64 LX7400 12mm 1V - LX-7400", "32x128 Mono64 LX7400 12mm 2V", "64x192 RGB68B"}) {
        EXPECT_EQ(Run({"-checkconfig", "COM9", "-type", type}), 3) << type << m_err.str();
        EXPECT_EQ(m_err.str().find("-type"), std::string::npos) << type << m_err.str();
    }
}

TEST_F(ActionCommand, ValuesForAnotherFormAreNamedAsIgnored)
{
    EXPECT_EQ(Run({"-stoppattern", "COM9", "-pattern", "3", "-holdtime", "5"}), 3) << "COM9 is not there";
    EXPECT_NE(m_err.str().find("-pattern does not go with -stoppattern and is ignored"), std::string::npos);
    EXPECT_NE(m_err.str().find("-holdtime does not go with -stoppattern and is ignored"), std::string::npos);
}

} // namespace
