// External firmware files against the stand-in controller: only a PowerPC image of the display's
// own firmware line is sent; anything else is refused with 301 and its reason before a byte goes.
#include "../sim/TestElf.h"
#include "FirmwareFixture.h"

#include <functional>

namespace {

using simtest::Bytes;

Bytes Changed(Bytes image, const std::function<void(Bytes&)>& change)
{
    change(image);
    return image;
}

struct ExternalCase {
    const char* label;
    const char* display; // the version the display runs
    const char* name;    // the file's name
    Bytes file;
    const char* reason; // the line after the 301, or nullptr when the file is sent
};

TEST_F(FirmwareTest, OnlyPowerPcImagesOfTheDisplaysLineAreSent)
{
    const Bytes good = simtest::FirmwareElf("Gen II Firmware REV 1.3.0");
    const char kMain[] = "FX40211-1.01.05";
    const char kLine[] = "FP9023417-3.11.0";
    const std::string text = "not firmware\n";
    const ExternalCase cases[] = {
        {"text", kMain, "FX40211.EXE", Bytes(text.begin(), text.end()),
         "FX40211.EXE is not a PowerPC firmware image (it is 13 bytes of text)"},
        {"little-endian", kMain, "FX40211.EXE", Changed(good, [](Bytes& b) { b[simtest::kElfDataAt] = 1; }),
         "FX40211.EXE is not a PowerPC firmware image (it is a little-endian ELF file)"},
        {"64-bit", kMain, "FX40211.EXE", Changed(good, [](Bytes& b) { b[simtest::kElfClassAt] = 2; }),
         "FX40211.EXE is not a PowerPC firmware image (it is a 64-bit ELF file)"},
        {"x86", kMain, "FX40211.EXE", Changed(good, [](Bytes& b) { simtest::PutBe16(b, 18, 3); }),
         "FX40211.EXE is not a PowerPC firmware image (it is an ELF executable for machine 3, not for PowerPC)"},
        {"header cut short", kMain, "FX40211.EXE", Bytes(good.begin(), good.begin() + 30),
         "FX40211.EXE is not a PowerPC firmware image (its ELF header is cut short at 30 bytes)"},
        {"section table past the end", kMain, "FX40211.EXE",
         Changed(good, [](Bytes& b) { simtest::PutBe32(b, simtest::kShoffAt, 0xFFFFFFF0); }),
         "FX40211.EXE is not a PowerPC firmware image (its section header table lies outside the file)"},
        {"no revision section", kMain, "FX40211.EXE", simtest::FirmwareElf("Gen II Firmware REV 1.3.0", ".other"),
         "FX40211.EXE has no revision section"},
        {"other line's file", kMain, "FP9023417.EXE", good,
         "FP9023417.EXE: its revision names FP9023417, this display runs FX40211"},
        {"main line's file on the line", kLine, "FX40211.EXE", good,
         "FX40211.EXE: its revision names FX40211, this display runs FP9023417"},
        {"good", kMain, "FX40211.EXE", good, nullptr},
        {"good on the line", kLine, "FP9023417.EXE", good, nullptr},
    };
    for (const ExternalCase& c : cases) {
        SCOPED_TRACE(c.label);
        m_core->Session().Disconnect();
        m_sim.reset(); // frees the port's name for the next controller
        m_sim = std::make_unique<qvxsim::SignSim>(m_dir.string());
        StartDisplay(c.display);
        ASSERT_TRUE(Connect());
        const std::string path = WriteFile(std::string(c.label) + "/" + c.name, c.file).string();
        const unsigned long frames = Stats().framesReceived;
        std::string target;
        m_core->Runner().SetMode(RunMode::Inline);
        const bool installed = m_firmware->InstallFirmware(true, path, "", target, kAddress);
        if (c.reason != nullptr) {
            EXPECT_FALSE(installed);
            const std::string family = std::string(c.display).substr(0, std::string(c.display).find('-'));
            EXPECT_EQ(LinesSinceMark(),
                      (Lines{"[*TASK ERROR 301*]  The selected firmware file is not " + family,
                             std::string("Reason: ") + c.reason}));
            EXPECT_EQ(Stats().framesReceived, frames) << "nothing was sent";
            EXPECT_FALSE(m_sim->ReadFile(kPort, kAddress, c.name).has_value());
            EXPECT_TRUE(m_core->Session().Link().IsOpen());
            continue;
        }
        ASSERT_TRUE(installed);
        EXPECT_EQ(target, std::string(c.name).substr(0, std::string(c.name).find('.')) + "-1.3.0");
        EXPECT_EQ(StoredFile(c.name), c.file);
        EXPECT_TRUE(Verify(target));
    }
}

} // namespace
