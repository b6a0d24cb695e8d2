// What a controller does with its configuration, files and display as the tool's actions and the
// verification restore drive it: a sent CONFIG.XML waits for the reboot, the memory cleanup, names
// with folders, and what STATUS.XML and the GetStatus record show.
#include "RawHost.h"
#include "SimLineFixture.h"
#include "sim/ControllerXml.h"
#include "sim/FileStore.h"
#include "sim/SignState.h"

#include <algorithm>

namespace simtest {
namespace {

using qvxsim::ControllerSettings;
using qvxsim::FileArea;

const Bytes kResetDisplay{0x80, 11, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
const Bytes kBlankDisplay{0x80, 10, 0, 0, 0, 0, 0, 0};
const Bytes kGetStatus{2, 0, 0, 0, 0, 0, 0, 0};

Bytes DisplayMode(unsigned char mode, unsigned char value)
{
    Bytes request{0x80, 16, mode, value};
    request.resize(16);
    return request;
}

Bytes RunMessage(const std::string& name)
{
    Bytes request{0x80, 7, 0};
    request.insert(request.end(), name.begin(), name.end());
    request.resize(136);
    return request;
}

std::string AsText(const std::optional<Bytes>& bytes)
{
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("(none)");
}

// The value of the first ` name="..."` in the text; "(none)" when there is none.
std::string Attribute(const std::string& xml, const std::string& name)
{
    const std::string mark = " " + name + "=\"";
    const auto at = xml.find(mark);
    const auto from = at + mark.size();
    return at == std::string::npos ? "(none)" : xml.substr(from, xml.find('"', from) - from);
}

TEST(SignState, AStartTakesTypeZoneAndDaylightSavingFromTheReceivedConfig)
{
    const ControllerSettings defaults;
    const struct { const char *name, *text, *type; int zone; bool dst; } cases[] = { // type nullptr: the default
        {"all three", "<CFG type=\"32X128RGB16M.CRV.M3\"><TIME dst=\"1\" zn=\"60\"/></CFG>", "32X128RGB16M.CRV.M3", 60,
         true},
        {"single quotes, entities, declaration and comment",
         "<?xml version=\"1.0\"?><!-- <CFG type=\"NO\"> --><CFG type='A&amp;B.CRV.M2' >\r\n<TIME zn='-720' dst='0'/>",
         "A&B.CRV.M2", -720, false},
        {"a zone out of range and a dst that is no flag", "<CFG type=\"X.CRV.M2\"><TIME zn=\"841\" dst=\"yes\"/></CFG>",
         "X.CRV.M2", -360, false},
        {"no TIME", "<CFG type=\"Y.CRV.M2\"/>", "Y.CRV.M2", -360, false},
        {"an empty type", "<CFG type=\"\"><TIME zn=\"+30\" dst=\"1\"/></CFG>", nullptr, -360, true},
        {"no CFG", "<TIME zn=\"30\" dst=\"1\"/>", nullptr, -360, false},
        {"broken off", "<CFG type=\"Z.CRV.M2", nullptr, -360, false},
        {"not XML", "\x01\x02", nullptr, -360, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        qvxsim::SignState state(1, defaults);
        ASSERT_TRUE(state.Receive("Config.Xml", Text(c.text)));
        EXPECT_EQ(AsText(state.Read(FileArea::Files, "CONFIG.XML")), qvxsim::ConfigXml(defaults, 1));
        state.Start();
        EXPECT_EQ(AsText(state.Read(FileArea::Files, "CONFIG.XML")), c.text);
        EXPECT_EQ(state.Settings().displayType, c.type ? c.type : defaults.displayType);
        EXPECT_EQ(state.Settings().timeZone, c.zone);
        EXPECT_EQ(state.Settings().daylightSaving, c.dst);
    }
}

TEST(SignState, AReceivedConfigGoesWithItsRemovalOrANewerOne)
{
    qvxsim::SignState state(1, ControllerSettings{});
    ASSERT_TRUE(state.Receive("CONFIG.XML", Text("<CFG type=\"R\"/>")));
    EXPECT_TRUE(state.Remove(FileArea::Files, "config.xml"));
    state.Start();
    EXPECT_FALSE(state.Read(FileArea::Files, "CONFIG.XML"));
    EXPECT_FALSE(state.Remove(FileArea::Files, "CONFIG.XML"));

    ASSERT_TRUE(state.Receive("CONFIG.XML", Text("<CFG type=\"R\"/>")));
    ASSERT_TRUE(state.Store(FileArea::Files, "CONFIG.XML", Text("<CFG type=\"W\"/>")));
    state.Start();
    EXPECT_EQ(state.Settings().displayType, "W");
}

class ControllerDisplay : public SimLine {
protected:
    std::vector<qvxsim::ControllerConfig> Controllers() const override
    {
        qvxsim::ControllerConfig one{1, 0};
        one.behaviour.rebootMs = 0;
        return {one};
    }

    // The reply's status byte (0xFF for no usable reply).
    unsigned char Do(const Bytes& request)
    {
        const RawReply reply = m_raw.Exchange(1, request);
        return reply.ok && reply.data.size() > 2 ? reply.data[2] : 0xFF;
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

TEST_F(ControllerDisplay, ASentConfigIsServedAndFollowedFromTheReboot)
{
    const std::string before = Fetch("CONFIG.XML");
    const std::string sent = "<CFG type=\"48X160RGB16M.CRV.M2\" mid=\"FX40529.RBF-004\">\r\n"
                             "  <PORT type=\"DIRECT\" num=\"1\" protocol=\"HTCH\" baud=\"9600\"/>\r\n"
                             "  <TIME dst=\"1\" zn=\"-300\" clk=\"0\"/>\r\n</CFG>\r\n";
    ASSERT_EQ(m_raw.SendFile(1, "config.xml", Text(sent)), 0);
    EXPECT_EQ(Fetch("CONFIG.XML"), before) << "it runs on the one it started with";
    EXPECT_EQ(Attribute(Fetch("STATUS.XML"), "zn"), "-360");
    EXPECT_EQ(m_sim->FileNames(3, 1), std::vector<std::string>{"CONFIG.XML"});

    ASSERT_EQ(Do(kResetDisplay), 0);
    EXPECT_EQ(Fetch("CONFIG.XML"), sent) << "byte for byte, still at the line's rate";
    const std::string status = Fetch("STATUS.XML");
    EXPECT_EQ(Attribute(status, "ds"), "Corvid 48 x 160 RGB");
    EXPECT_EQ(Attribute(status, "zn"), "-300");
    EXPECT_EQ(Attribute(status, "dsta"), "1");
    EXPECT_EQ(Stats(1).reboots, 1u);
}

TEST_F(ControllerDisplay, MemoryCleanupDeletesWhatTheDisplayShowsAndReboots)
{
    const struct { const char* name; bool kept; } files[] = {
        {"MsgOne.M2M", false},         {"PLAY.M2S", false},          {"FW08X5_1.FNT", false},
        {"HTCH\\16X16N.CFF", false},   {"HTCH\\FONT2432.CMD", false}, {"htch\\txt00000.fst", false},
        {"playstatus.dat", false},     {"FX40211-1.02.11.EXE", true}, {"LOGO.BMP", true},
        {"PLAYLIST.XML", true},        {"NOTES.M2MX", true},          {"HTCH.FNT\\README", true},
    };
    std::vector<std::string> kept{"CONFIG.XML"};
    for (const auto& f : files) {
        ASSERT_EQ(m_raw.SendFile(1, f.name, Pattern(20)), 0) << f.name;
        if (f.kept)
            kept.push_back(qvxsim::UpperCase(f.name));
    }
    std::sort(kept.begin(), kept.end());
    const std::string config = Fetch("CONFIG.XML");
    for (const auto& [code, name] : {std::pair{5, "M"}, {11, "S"}, {26, "G"}}) // message, schedule, graphic
        ASSERT_EQ(m_raw.SendBasic(1, static_cast<unsigned char>(code), name, Bytes(10)), 0);
    ASSERT_EQ(Do(RunMessage("MsgOne.M2M")), 0);
    ASSERT_EQ(Do(DisplayMode(2, 5)), 0);

    EXPECT_EQ(Do(DisplayMode(3, 0)), 0);
    EXPECT_EQ(Stats(1).reboots, 1u);
    EXPECT_EQ(m_sim->FileNames(3, 1), kept);
    for (const FileArea area : {FileArea::Messages, FileArea::Schedules, FileArea::Graphics})
        EXPECT_TRUE(m_sim->FileNames(3, 1, area).empty()) << static_cast<int>(area);
    EXPECT_EQ(Fetch("CONFIG.XML"), config);
    const qvxsim::DisplaySnapshot display = m_sim->Display(3, 1);
    EXPECT_EQ(display.message, "");
    EXPECT_EQ(display.displayMode, 0);
    EXPECT_EQ(display.testPattern, 0);
}

TEST_F(ControllerDisplay, NamesWithFoldersAreStoredListedAndDeleted)
{
    ASSERT_EQ(m_raw.SendFile(1, "htch\\16x16n.cff", Pattern(300)), 0);
    ASSERT_TRUE(m_sim->WriteFile(3, 1, "HTCH\\TXT00001.FST", Bytes(4, 1)));
    EXPECT_EQ(m_sim->ReadFile(3, 1, "HTCH\\16X16N.CFF"), Pattern(300));
    EXPECT_EQ(Fetch("Htch\\Txt00001.fst"), AsText(Bytes(4, 1)));
    const std::string directory = Fetch("DIRECTORY.XML");
    EXPECT_NE(directory.find("<FILE name=\"HTCH\\16X16N.CFF\" sz=\"300\" "), std::string::npos) << directory;
    EXPECT_NE(directory.find("<FILE name=\"HTCH\\TXT00001.FST\" sz=\"4\" "), std::string::npos) << directory;

    EXPECT_EQ(Do(DeleteFile("16X16N.CFF")), 2) << "the folder is part of the name";
    EXPECT_EQ(Do(DeleteFile("HTCH\\16X16N.cff")), 0);
    EXPECT_EQ(Do(DeleteFile("HTCH\\16X16N.CFF")), 2);
    EXPECT_TRUE(m_sim->RemoveFile(3, 1, "htch\\txt00001.fst"));
    EXPECT_EQ(m_sim->FileNames(3, 1), std::vector<std::string>{"CONFIG.XML"});
}

TEST_F(ControllerDisplay, StatusShowsWhatTheDisplayDoes)
{
    ASSERT_EQ(m_raw.SendFile(1, "MsgOne.M2M", Text("<MS/>")), 0);
    const struct { const char* name; Bytes request; const char* message; bool blank; unsigned char mode, pattern; }
        steps[] = {
        {"run", RunMessage("MsgOne.M2M"), "MSGONE.M2M", false, 0, 0},
        {"test pattern 12", DisplayMode(2, 12), "MSGONE.M2M", false, 2, 12},
        {"back to normal", DisplayMode(0, 0), "MSGONE.M2M", false, 0, 0},
        {"blank with option 0", kBlankDisplay, "", true, 0, 0},
        {"run one not sent", RunMessage("later.m2m"), "LATER.M2M", false, 0, 0},
        {"cycling the test patterns", DisplayMode(2, 0), "LATER.M2M", false, 2, 0},
        {"reset", kResetDisplay, "", false, 0, 0},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name);
        ASSERT_EQ(Do(s.request), 0);
        EXPECT_EQ(Attribute(Fetch("STATUS.XML"), "ms"), s.message);
        const qvxsim::DisplaySnapshot display = m_sim->Display(3, 1);
        EXPECT_EQ(display.message, s.message);
        EXPECT_EQ(display.blank, s.blank);
        EXPECT_EQ(display.displayMode, s.mode);
        EXPECT_EQ(display.testPattern, s.pattern);
        const RawReply status = m_raw.Exchange(1, kGetStatus);
        ASSERT_EQ(status.data.size(), 128u);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&status.data[2])), s.message);
        EXPECT_EQ(status.data[52], s.blank ? 1 : 0);
        EXPECT_EQ(status.data[53], s.mode);
        EXPECT_EQ(status.data[55], s.pattern);
    }
}

} // namespace
} // namespace simtest
