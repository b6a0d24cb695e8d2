// The files a controller keeps and writes about itself: the file area's rules, CONFIG.XML,
// STATUS.XML and DIRECTORY.XML as text, and the same files fetched over the line.
#include "RawHost.h"
#include "SimLineFixture.h"
#include "sim/ControllerXml.h"
#include "sim/FileStore.h"
#include "sim/SignState.h"

namespace simtest {
namespace {

using qvxsim::ControllerSettings;
using qvxsim::DisplayState;
using qvxsim::FileStore;

std::string AsText(const std::optional<Bytes>& bytes)
{
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("(none)");
}

TEST(FileStore, NamesAreUpperCaseAndCompareWithoutCase)
{
    FileStore store;
    ASSERT_TRUE(store.Put("config.xml", Bytes(3, 1), 7));
    ASSERT_TRUE(store.Put("Config.XML", Bytes(5, 2), 8)); // replaces it
    ASSERT_EQ(store.Files().size(), 1u);
    EXPECT_EQ(store.Files()[0]->name, "CONFIG.XML");
    EXPECT_EQ(store.Find("CONFIG.xml")->bytes, Bytes(5, 2));
    EXPECT_EQ(store.TotalBytes(), 5u);

    ASSERT_TRUE(store.Put("B", Bytes(2), 0));
    ASSERT_TRUE(store.Rename("b", "config.XML")); // takes the other's place
    EXPECT_EQ(store.Files().size(), 1u);
    EXPECT_EQ(store.TotalBytes(), 2u);
    EXPECT_FALSE(store.Rename("B", "C"));
    EXPECT_FALSE(store.Remove("B"));
    EXPECT_TRUE(store.Remove("config.xml"));
    EXPECT_EQ(store.TotalBytes(), 0u);
}

TEST(FileStore, LimitsHold)
{
    FileStore store;
    EXPECT_TRUE(store.Put("MAX", Bytes(qvxsim::kMaxStoredFile), 0));
    EXPECT_FALSE(store.Put("OVER", Bytes(qvxsim::kMaxStoredFile + 1), 0));
    EXPECT_FALSE(store.Put("", Bytes(1), 0));
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(store.Put("F" + std::to_string(i), Bytes(qvxsim::kMaxStoredFile), 0)) << i;
    EXPECT_FALSE(store.Put("FULL", Bytes(1), 0)) << "64 MiB in all";
    EXPECT_TRUE(store.Put("F0", Bytes(1), 0)) << "a smaller replacement fits";

    FileStore many;
    for (std::size_t i = 0; i < FileStore::kMaxFiles; ++i)
        ASSERT_TRUE(many.Put("N" + std::to_string(i), {}, 0));
    EXPECT_FALSE(many.Put("ONE.MORE", {}, 0));
    EXPECT_TRUE(many.Put("N0", Bytes(1), 0));
}

TEST(ControllerXml, ConfigOfAnM2Display)
{
    ControllerSettings settings;
    EXPECT_EQ(qvxsim::ConfigXml(settings, 17),
              "<CFG type=\"32X80MONO64.CRV.M2\" ds=\"\" tph=\"65\" tpl=\"55\" logmax=\"100000\" gamma=\"2.20\" "
              "mid=\"FX40529.RBF-004\" rfr=\"120\" to=\"0\">\n"
              "  <ADDR sw=\"17\" ertd=\"1\" ip=\"192.168.100.20\" msk=\"255.255.0.0\"/>\n"
              "  <PORT type=\"DIRECT\" num=\"1\" protocol=\"HTCH\" baud=\"115200\"/>\n"
              "  <PORT type=\"DIRECT\" num=\"2\" protocol=\"RTD\" baud=\"19200\"/>\n"
              "  <PORT type=\"TCPIP\" num=\"3001\" protocol=\"S22\"/>\n"
              "  <PORT type=\"UDPIP\" num=\"3002\" protocol=\"RTD\"/>\n"
              "  <TIME dst=\"0\" zn=\"-360\" clk=\"0\"/>\n"
              "  <ENET spd=\"AUTO\" dplx=\"AUTO\"/>\n"
              "</CFG>\n");
}

TEST(ControllerXml, ConfigOfAnM3Display)
{
    ControllerSettings settings;
    settings.displayType = "32X80MONO256.CRV.M3";
    settings.moduleType = "FX4107385.RBF";
    settings.timeZone = 60;
    settings.daylightSaving = true;
    const std::string text = qvxsim::ConfigXml(settings, 3);

    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        const auto end = text.find('\n', at);
        ASSERT_NE(end, std::string::npos) << "the text ends in a line feed";
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    const char* elements[] = {"<CFG ", "<ADDR ", "<DSC ", "<NTF ", "<PORT ", "<PORT ", "<PORT ", "<PORT ", "<TIME ",
                              "<ENET ", "<DVI ", "<SCRTY ", "<NTP ", "<DYNDNS ", "<DNS ", "<AUC ", "<VSC ", "<VAC ",
                              "<VMES/", "<VSCN ", "</CFG>"};
    ASSERT_EQ(lines.size(), std::size(elements));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].rfind(elements[i], 0), 0u) << lines[i];
        EXPECT_EQ(lines[i].back(), ' ') << "each line ends in a blank: " << lines[i];
    }
    EXPECT_EQ(lines[0].rfind("<CFG type=\"32X80MONO256.CRV.M3\" mid=\"FX4107385.RBF\" ds=\"M3 Display\" ", 0), 0u);
    EXPECT_EQ(lines[1].rfind("<ADDR sw=\"3\" ertd=\"1\" ip=\"192.168.100.20\" msk=\"255.255.0.0\" "
                             "gtw=\"192.168.100.1\" ", 0), 0u);
    EXPECT_EQ(lines[4], "<PORT type=\"DIRECT\" num=\"1\" protocol=\"S22\" baud=\"115200\"/> ");
    EXPECT_EQ(lines[8], "<TIME dst=\"1\" zn=\"60\" clk=\"0\"/> ");
}

TEST(ControllerXml, StatusAndDirectory)
{
    ControllerSettings settings;
    settings.description = "Lobby <east> & \"west\"";
    settings.temperature = -3;
    DisplayState display;
    display.message = "SALE.M2M";
    display.dimAuto = false;
    display.dimLevel = 55;
    EXPECT_EQ(qvxsim::StatusXml(settings, display, 86400, 1234),
              "<STATUS ds=\"Lobby &lt;east&gt; &amp; &quot;west&quot;\" ms=\"SALE.M2M\" sch=\"\" temp=\"-3\" "
              "mem=\"33554432\" fmem=\"1234\" dim=\"55\" dm=\"0\" vr=\"FX40211-1.02.11\">\n"
              "  <TIME sec=\"86400\" zn=\"-360\" dsta=\"0\"/>\n"
              "</STATUS>\n");

    FileStore files;
    EXPECT_EQ(qvxsim::DirectoryXml(files), "<DIR>\n</DIR>\n");
    files.Put("b.exe", Bytes(10), 5);
    files.Put("A.M2M", Bytes(3), 6);
    EXPECT_EQ(qvxsim::DirectoryXml(files), "<DIR>\n"
                                           "  <FILE name=\"A.M2M\" sz=\"3\" sec=\"6\"/>\n"
                                           "  <FILE name=\"B.EXE\" sz=\"10\" sec=\"5\"/>\n"
                                           "</DIR>\n");
}

TEST(ControllerXml, DisplayTypesDescribeThemselves)
{
    const struct {
        const char* type;
        const char* description;
    } cases[] = {
        {"32X80MONO64.CRV.M2", "Corvid 32 x 80 Monochrome 64"},
        {"48x160rgb32k.crv.m2", "Corvid 48 x 160 RGB 32K"},
        {"32X80MONO256.CRV.M3", "Corvid 6100 32 x 80 Monochrome 4096"},
        {"64X224RGB16M.CRV.M3", "Corvid 6100 64 x 224 RGB"},
        {"7X120X2TRI3.TDG.M2", "Tidings 7 x 120 x 2 Tricolor"},
        {"16X96.MC.M2", "Multi Corvid 16 x 96"},
        {"16X96MONO1.CP.M2", "CorvidPro 16 x 96 Monochrome"},
        {"16080.CRV", "16080.CRV"},
        {"32X80PLAID.CRV.M2", "32X80PLAID.CRV.M2"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(qvxsim::DescribeDisplayType(c.type), c.description) << c.type;
}

TEST(SignState, FreeMemoryShrinksWithWhatIsStored)
{
    ControllerSettings settings;
    settings.freeMemory = 1000;
    qvxsim::SignState state(1, settings);
    const std::size_t config = state.Area(qvxsim::FileArea::Files).TotalBytes();
    ASSERT_GT(config, 0u) << "CONFIG.XML is a file from the start";
    state.Store(qvxsim::FileArea::Messages, "M", Bytes(100));
    EXPECT_EQ(state.FreeMemory(), 1000 - config - 100);
    state.Store(qvxsim::FileArea::Graphics, "G", Bytes(1000));
    EXPECT_EQ(state.FreeMemory(), 0u);
}

class ControllerFiles : public SimLine {
protected:
    void SetUp() override
    {
        SimLine::SetUp();
        ControllerSettings settings = m_sim->Settings(3, 1);
        settings.clock = 1600000000;
        settings.firmwareVersion = "FX40211-1.3.0";
        settings.freeMemory = 500000;
        m_sim->SetSettings(3, 1, settings);
    }

    std::string Fetch(const std::string& name)
    {
        unsigned char status = 0xFF;
        const std::optional<Bytes> bytes = m_raw.GetFile(1, name, &status);
        EXPECT_EQ(status, 0) << name;
        return AsText(bytes);
    }

    RawHost m_raw{m_host};
};

TEST_F(ControllerFiles, DirectoryListsTheStoredFiles)
{
    const std::size_t config = m_sim->ReadFile(3, 1, "CONFIG.XML")->size();
    ASSERT_EQ(m_raw.SendFile(1, "fx40211.exe", Pattern(700)), 0);
    ASSERT_EQ(m_raw.SendCompressed(1, "PLAYLIST.XML", Text("<PL/>")), 0);
    EXPECT_EQ(Fetch("DIRECTORY.XML"),
              "<DIR>\n"
              "  <FILE name=\"CONFIG.XML\" sz=\"" + std::to_string(config) + "\" sec=\"1600000000\"/>\n"
              "  <FILE name=\"FX40211.EXE\" sz=\"700\" sec=\"1600000000\"/>\n"
              "  <FILE name=\"PLAYLIST.XML\" sz=\"5\" sec=\"1600000000\"/>\n"
              "</DIR>\n");
    EXPECT_EQ(m_sim->FileNames(3, 1), (std::vector<std::string>{"CONFIG.XML", "FX40211.EXE", "PLAYLIST.XML"}));
}

TEST_F(ControllerFiles, StatusIsMadeWhenFetched)
{
    const std::size_t stored = m_sim->ReadFile(3, 1, "CONFIG.XML")->size() + 1000;
    ASSERT_EQ(m_raw.SendFile(1, "LOGO.BMP", Bytes(1000, 7)), 0);
    Bytes setTime(16, 0);
    setTime[0] = 0x80;
    setTime[1] = 15;
    setTime[3] = 0x10; // 1600000016
    setTime[4] = 0x10;
    setTime[5] = 0x5E;
    setTime[6] = 0x5F;
    ASSERT_EQ(m_raw.Exchange(1, setTime).data[2], 0);
    EXPECT_EQ(Fetch("status.xml"),
              "<STATUS ds=\"Corvid 32 x 80 Monochrome 64\" ms=\"\" sch=\"\" temp=\"31\" mem=\"33554432\" fmem=\""
                  + std::to_string(500000 - stored) + "\" dim=\"100\" dm=\"1\" vr=\"FX40211-1.3.0\">\n"
                  "  <TIME sec=\"1600000016\" zn=\"-360\" dsta=\"0\"/>\n"
                  "</STATUS>\n");
}

TEST_F(ControllerFiles, SentFilesReplaceTheGeneratedOnes)
{
    EXPECT_EQ(Fetch("CONFIG.XML"), qvxsim::ConfigXml(m_sim->Settings(3, 1), 1));
    // A sent CONFIG.XML waits for the reboot (ControllerDisplayTest.cpp).
    for (const char* name : {"STATUS.XML", "DIRECTORY.XML"}) {
        const Bytes mine = Text(std::string("<MINE name=\"") + name + "\"/>");
        ASSERT_EQ(m_raw.SendFile(1, name, mine), 0);
        EXPECT_EQ(Fetch(name), AsText(mine));
    }
    // Without its stored copy the status is made again; CONFIG.XML is an ordinary file.
    ASSERT_EQ(m_raw.Exchange(1, DeleteFile("STATUS.XML")).data[2], 0);
    EXPECT_EQ(Fetch("STATUS.XML").rfind("<STATUS ds=", 0), 0u);
    ASSERT_EQ(m_raw.Exchange(1, DeleteFile("CONFIG.XML")).data[2], 0);
    unsigned char status = 0;
    EXPECT_FALSE(m_raw.GetFile(1, "CONFIG.XML", &status));
    EXPECT_EQ(status, 2);
}

} // namespace
} // namespace simtest
