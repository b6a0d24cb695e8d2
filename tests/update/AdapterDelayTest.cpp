// A USB-serial adapter that holds short replies back, as the stand-in controller's port models it:
// the install says so once, with the port and the mend, and says nothing on a prompt line.
#include "../sim/TestElf.h"
#include "FirmwareFixture.h"

#include "link/AdapterLatency.h"

#include <filesystem>

namespace {

// A firmware image of about 80 blocks that compression cannot shrink.
simtest::Bytes IncompressibleImage()
{
    simtest::Bytes image = simtest::FirmwareElf("Gen II Firmware REV 1.3.0");
    std::uint32_t state = 12345;
    for (int i = 0; i < 20000; ++i) {
        state = state * 1664525u + 1013904223u;
        image.push_back(static_cast<unsigned char>(state >> 24));
    }
    return image;
}

TEST_F(FirmwareTest, AdapterThatHoldsRepliesBackIsNamedOncePerInstall)
{
    const struct {
        unsigned latencyMs;
        int lines;
    } cases[] = {{16, 1}, {0, 0}};
    const std::string path = WriteFile("FX40211.EXE", IncompressibleImage()).string();
    StartDisplay("FX40211-1.01.05");
    // The excess is what a reply takes beyond its line time, so the line must take its time.
    m_sim->SetLineTime(kPort, true);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.latencyMs);
        ASSERT_TRUE(Connect());
        m_sim->SetAdapterLatency(kPort, c.latencyMs);
        std::string target;
        m_core->Runner().SetMode(RunMode::Inline);
        ASSERT_TRUE(m_firmware->InstallFirmware(true, path, "", target, kAddress));
        m_sim->SetAdapterLatency(kPort, 0);
        EXPECT_EQ(CountLines("Replies on COM3 arrive "), c.lines);
        for (const std::string& line : LinesSinceMark()) {
            if (line.rfind("Replies on ", 0) == 0) {
                EXPECT_NE(line.find(" ms later than the line needs (median of "), std::string::npos) << line;
                EXPECT_NE(line.find(" s longer. COM3 is a pseudo-terminal ("), std::string::npos) << line;
            }
        }
        m_core->Session().Disconnect();
    }
}

TEST_F(FirmwareTest, AdviceForAPseudoTerminalSaysThereIsNoTimer)
{
    StartDisplay("FX40211-1.01.05");
    const std::string pty = std::filesystem::canonical(m_sim->DevicePath(kPort)).string();
    EXPECT_EQ(AdapterLatencyAdvice(kPort),
              "COM3 is a pseudo-terminal (" + pty +
                  "), not a USB adapter: there is no latency timer to set. To keep an FTDI adapter at 1 ms, the "
                  "udev rule /usr/lib/udev/rules.d/99-qvxfirminstaller-latency.rules of the package sets it "
                  "whenever the adapter is plugged in.");
    // Under QVX_PORT_DIR a COM number with no link names a path that is not there: the reason stays.
    const std::string none = AdapterLatencyAdvice(9);
    EXPECT_EQ(none.rfind("The device of COM9 (", 0), 0u) << none;
    EXPECT_NE(none.find("/COM9) cannot be followed (No such file or directory)."), std::string::npos) << none;
}

} // namespace
