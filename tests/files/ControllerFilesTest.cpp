#include "files/ControllerFileNames.h"
#include "files/ControllerStatus.h"
#include "files/M2Files.h"
#include "files/MapControllerComBus.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

using Names = std::vector<std::string>;

namespace {

// ---- File names --------------------------------------------------------------------------------

TEST(ControllerFileNames, FileNamesInTheControllersOrder)
{
    const char* const expected[] = {"LOG.XML",    "PLAYLIST.XML", "DIRECTORY.XML",   "CONFIG.XML", "STATUS.XML",
                                    "DEFAULTS.XML", "RTD.BIN",    "DIAGNOSTICS.XML", "SYSTEM.XML"};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(ControllerFileName(i), expected[i]);
    EXPECT_EQ(ControllerFileName(CONTROLLER_FILE_CONFIG), "CONFIG.XML");
    EXPECT_EQ(ControllerFileName(CONTROLLER_FILE_STATUS), "STATUS.XML");
    EXPECT_EQ(ControllerFileName(CONTROLLER_FILE_DIRECTORY), "DIRECTORY.XML");
    EXPECT_EQ(ControllerFileName(-1), "");
    EXPECT_EQ(ControllerFileName(9), "");
}

// ---- Status file -------------------------------------------------------------------------------

TEST(ControllerStatus, LocalTimeAddsZoneAndDaylightSaving)
{
    EXPECT_EQ((ControllerTime{0, 60, 1}.LocalSeconds()), 2 * 3600); // 02:00 on 1970-01-01
    EXPECT_EQ((ControllerTime{3600, 0, 0}.LocalSeconds()), 3600);
    EXPECT_EQ((ControllerTime{1733655600, -360, 0}.LocalSeconds()), 1733655600 - 6 * 3600);
    EXPECT_EQ((ControllerTime{1733655600, -300, 1}.LocalSeconds()), 1733655600 - 4 * 3600);
    // Garbage clocks saturate instead of overflowing.
    EXPECT_EQ((ControllerTime{LLONG_MAX, 60, 0}.LocalSeconds()), LLONG_MAX);
    EXPECT_EQ((ControllerTime{LLONG_MIN, -60, 0}.LocalSeconds()), LLONG_MIN);
    EXPECT_EQ((ControllerTime{LLONG_MAX, -60, 0}.LocalSeconds()), LLONG_MAX - 3600);
}

TEST(ControllerStatus, StatusSample)
{
    CM2Files file;
    ASSERT_TRUE(file.Load(SampleFile("STATUS.XML")));
    CXmlDoc& doc = file.GetDocument();
    EXPECT_EQ(ReadStatusFirmwareVersion(doc), "FP9023417-3.10.8");
    const ControllerTime time = ReadStatusTime(doc);
    EXPECT_EQ(time.nSeconds, 1733655600);
    EXPECT_EQ(time.nZoneMinutes, -360);
    EXPECT_EQ(time.nDstHours, 0);
    ASSERT_TRUE(doc.FindElement(StatusXml::kRoot));
    EXPECT_EQ(doc.GetAttribute(StatusXml::kMessage), "WELCOME.M2M");
    EXPECT_EQ(doc.GetAttribute(StatusXml::kSchedule), "");
    EXPECT_EQ(doc.GetAttribute(StatusXml::kDimMode), StatusXml::kDimAutomatic);
}

TEST(ControllerStatus, StatusValuesMissing)
{
    CXmlDoc doc;
    ASSERT_TRUE(doc.SetDocument("<STATUS ds=\"x\"><CLOCK sec=\"5\"/></STATUS>"));
    EXPECT_EQ(ReadStatusFirmwareVersion(doc), "");
    EXPECT_EQ(ReadStatusTime(doc).LocalSeconds(), 0);
    // Another root is not a status file.
    ASSERT_TRUE(doc.SetDocument("<CFG vr=\"1\"><TIME sec=\"5\"/></CFG>"));
    EXPECT_EQ(ReadStatusFirmwareVersion(doc), "");
    EXPECT_EQ(ReadStatusTime(doc).nSeconds, 0);
}

TEST(ControllerStatus, StatusOfTheM2LineSample)
{
    CM2Files file;
    ASSERT_TRUE(file.Load(SampleFile("STATUS-M2.XML")));
    EXPECT_EQ(ReadStatusFirmwareVersion(file.GetDocument()), "FX40211-1.02.9");
    EXPECT_EQ(ReadStatusTime(file.GetDocument()).LocalSeconds(), 1733655600 - 4 * 3600);
}

// ---- Line ends and loading ---------------------------------------------------------------------

struct LineEndCase {
    const char* text;
    const char* repaired;
};

const LineEndCase kLineEndCases[] = {
    {"", ""},
    {"a\nb\n", "a\r\nb\r\n"},
    {"\n", "\r\n"},
    {"\na", "\r\na"},
    {"a\r\nb\r\n", "a\r\nb\r\n"},
    {"a\r\r\n", "a\r\r\n"},
    {"a\n\nb", "a\r\n\r\nb"},
    {"a\rb", "a\rb"},
    {"\r\n\n\r", "\r\n\r\n\r"},
};

TEST(M2Files, RepairLineEnds)
{
    for (const LineEndCase& c : kLineEndCases)
        EXPECT_EQ(RepairLineEnds(c.text), c.repaired) << ::testing::PrintToString(std::string(c.text));
}

TEST(M2Files, LoadRepairsBareLineFeeds)
{
    ScratchDir dir;
    CM2Files file;
    ASSERT_TRUE(file.Load(dir.Write("STATUS.XML", "<STATUS ds=\"a\nb\">\n  <TIME sec=\"0\"/>\n</STATUS>\n")));
    EXPECT_TRUE(file.IsLoaded());
    EXPECT_EQ(file.GetText(), "<STATUS ds=\"a\r\nb\">\r\n  <TIME sec=\"0\"/>\r\n</STATUS>\r\n");
    ASSERT_TRUE(file.GetDocument().FindElement("STATUS"));
    EXPECT_EQ(file.GetDocument().GetAttribute("ds"), "a\r\nb");
}

TEST(M2Files, LoadKeepsCrLfFilesUnchanged)
{
    const std::string text = "<?xml version=\"1.0\"?>\r\n<DIR>\r\n</DIR>\r\n";
    ScratchDir dir;
    CM2Files file;
    ASSERT_TRUE(file.Load(dir.Write("DIRECTORY.XML", text)));
    EXPECT_EQ(file.GetText(), text);
}

TEST(M2Files, LoadFailures)
{
    ScratchDir dir;
    CM2Files file;
    ASSERT_TRUE(file.Load(dir.Write("ok.xml", "<a/>")));
    EXPECT_FALSE(file.Load(dir.Path() / "missing.xml"));
    EXPECT_FALSE(file.IsLoaded());
    ASSERT_TRUE(file.Load(dir.Write("ok.xml", "<a/>")));
    EXPECT_FALSE(file.Load(dir.Write("bad.xml", "<a>\n<b>\n</a>\n")));
    EXPECT_FALSE(file.IsLoaded());
    EXPECT_EQ(file.GetDocument().GetError(), "End tag does not correspond to b");
    EXPECT_FALSE(file.Load(dir.Write("empty.xml", "")));
    EXPECT_FALSE(file.IsLoaded());
}

// ---- Directory ---------------------------------------------------------------------------------

struct DirectoryCase {
    const char* name;
    const char* text;
    bool loaded;
    Names names;
};

const DirectoryCase kDirectoryCases[] = {
    {"names in order, unnamed skipped",
     "<DIR><F name=\"A.M2M\" sz=\"10\" sec=\"0\"/><F sz=\"5\"/><F name=\"B.EXE\"/></DIR>", true, {"A.M2M", "B.EXE"}},
    {"any element name", "<DIR>\n<FILE name=\"x.fnt\"/>\n<ENTRY name='y.M2S'></ENTRY>\n</DIR>", true, {"x.fnt", "y.M2S"}},
    {"empty name skipped", "<DIR><F name=\"\"/><F name=\"C\"/></DIR>", true, {"C"}},
    {"unquoted name skipped", "<DIR><F name=D/><F name=\"E\"/></DIR>", true, {"E"}},
    {"grandchildren not listed", "<DIR><F name=\"A\"><F name=\"inner\"/></F><F name=\"B\"/></DIR>", true, {"A", "B"}},
    {"names decoded", "<DIR><F name=\"A&amp;B.M2M\"/></DIR>", true, {"A&B.M2M"}},
    {"root FILES gives nothing", "<FILES><F name=\"A.M2M\"/></FILES>", true, {}},
    {"root dir gives nothing", "<dir><F name=\"A.M2M\"/></dir>", true, {}},
    {"root DIRS gives nothing", "<DIRS><F name=\"A.M2M\"/></DIRS>", true, {}},
    {"empty DIR", "<?xml version=\"1.0\"?>\n<DIR/>\n", true, {}},
    {"malformed", "<DIR><F name=\"A.M2M\"></DIR>", false, {}},
};

TEST(M2Files, LoadDirectory)
{
    ScratchDir dir;
    for (const DirectoryCase& c : kDirectoryCases) {
        CM2Files file;
        Names names{"stale"};
        EXPECT_EQ(file.LoadDirectory(dir.Write("DIRECTORY.XML", c.text), names), c.loaded) << c.name;
        EXPECT_EQ(file.IsLoaded(), c.loaded) << c.name;
        EXPECT_EQ(names, c.names) << c.name;
    }
}

TEST(M2Files, LoadDirectoryOfAMissingFile)
{
    ScratchDir dir;
    CM2Files file;
    Names names{"stale"};
    EXPECT_FALSE(file.LoadDirectory(dir.Path() / "DIRECTORY.XML", names));
    EXPECT_TRUE(names.empty());
}

TEST(M2Files, DirectorySample)
{
    CM2Files file;
    Names names;
    ASSERT_TRUE(file.LoadDirectory(SampleFile("DIRECTORY.XML"), names));
    EXPECT_EQ(names, (Names{"LOG.XML", "PLAYLIST.XML", "DIRECTORY.XML", "CONFIG.XML", "STATUS.XML", "DEFAULTS.XML",
                            "RTD.BIN", "DIAGNOSTICS.XML", "SYSTEM.XML", "FP9023417.EXE", "FW08X5_1.FNT",
                            "18X11_3.FNT", "WELCOME.M2M", "SALE.M2M", "HOURS.M2S", "playorder.dat",
                            "playstatus.dat"}));
    // The document can be read again from the top.
    names.clear();
    ReadDirectoryNames(file.GetDocument(), names);
    EXPECT_EQ(names.size(), 17u);
}

// ---- Grouping displays by port -----------------------------------------------------------------

DisplayInfo Entry(std::uint32_t index, std::uint16_t port, std::uint32_t address)
{
    return DisplayInfo{index, "Display " + std::to_string(index), 32, 80, port, 115200, address};
}

TEST(MapControllerComBus, PortsInFirstMetOrder)
{
    const std::vector<DisplayInfo> entries = {Entry(0, 3, 1), Entry(1, 1, 2), Entry(2, 3, 5), Entry(3, 2, 1)};
    CMapControllerComBus map;
    map.Build(entries);
    std::vector<unsigned> ports{99};
    map.GetPorts(ports);
    EXPECT_EQ(ports, (std::vector<unsigned>{3, 1, 2}));

    std::vector<DisplayInfo> onPort;
    ASSERT_TRUE(map.GetEntriesOnPort(3, onPort));
    EXPECT_EQ(onPort, (std::vector<DisplayInfo>{entries[0], entries[2]}));
    ASSERT_TRUE(map.GetEntriesOnPort(1, onPort));
    EXPECT_EQ(onPort, (std::vector<DisplayInfo>{entries[1]}));
    ASSERT_TRUE(map.GetEntriesOnPort(2, onPort));
    EXPECT_EQ(onPort, (std::vector<DisplayInfo>{entries[3]}));
}

TEST(MapControllerComBus, UnknownPortGivesNothing)
{
    CMapControllerComBus map;
    map.Build({Entry(0, 3, 1)});
    std::vector<DisplayInfo> onPort{Entry(9, 9, 9)};
    EXPECT_FALSE(map.GetEntriesOnPort(4, onPort));
    EXPECT_TRUE(onPort.empty());
    // A number beyond 16 bits does not reach port 3 by truncation.
    onPort.push_back(Entry(9, 9, 9));
    EXPECT_FALSE(map.GetEntriesOnPort(65536 + 3, onPort));
    EXPECT_TRUE(onPort.empty());
}

TEST(MapControllerComBus, BuildStartsAfreshAndClearEmpties)
{
    CMapControllerComBus map;
    map.Build({Entry(0, 3, 1), Entry(1, 4, 1)});
    map.Build({Entry(0, 4, 7)});
    std::vector<unsigned> ports;
    map.GetPorts(ports);
    EXPECT_EQ(ports, (std::vector<unsigned>{4}));
    std::vector<DisplayInfo> onPort;
    EXPECT_FALSE(map.GetEntriesOnPort(3, onPort));
    ASSERT_TRUE(map.GetEntriesOnPort(4, onPort));
    ASSERT_EQ(onPort.size(), 1u);
    EXPECT_EQ(onPort[0].nAddress, 7u);

    map.Clear();
    map.GetPorts(ports);
    EXPECT_TRUE(ports.empty());
    EXPECT_FALSE(map.GetEntriesOnPort(4, onPort));
    map.Build({});
    map.GetPorts(ports);
    EXPECT_TRUE(ports.empty());
}

} // namespace
