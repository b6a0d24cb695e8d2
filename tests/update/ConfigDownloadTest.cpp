// The configuration download: display types and their CONFIG.XML templates, the time zones, the
// quick and the full check, and the download against the stand-in controller.
#include "../connection/CapturingView.h"
#include "common/TestPortDir.h"

#include "connection/DisplayLists.h"
#include "connection/InstallerCore.h"
#include "sim/SignSim.h"
#include "update/AutoConnect.h"
#include "update/ConfigDownload.h"
#include "update/FirmwareInstaller.h"
#include "update/TimeZones.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <span>
#include <thread>

// Readable failures of the comparisons.
void PrintTo(const ConfigDifference& difference, std::ostream* out)
{
    *out << difference.strField << ": \"" << difference.strDisplay << "\" / \"" << difference.strRecommended << "\"";
}

namespace {

using Lines = std::vector<std::string>;
using Items = std::vector<ConfigListItem>;

const char kMismatch[] = "The display configuration does not match the recommended settings.\n"
                         "Do you want to update the display configuration?";
const char kEastern[] = "(GMT-05:00) Eastern Time (US & Canada);Bogota, Lima, Quito";
const char kCentral[] = "(GMT-06:00) Central Time (US & Canada)";

// One display type with what its template must hold; wide: two blanks after ds.
struct TypeRow {
    int key;
    const char* name;
    int templateId;
    unsigned category;
    const char* cfgType;
    const char* mid;
    bool wide;
};

const TypeRow kMainTypes[] = {
    {0, "72x240 RGB32K", 125, 1, "72X240RGB32K.CRV.M2", "FX40746.RBF-012", true},
    {1, "64x224 RGB32K", 133, 1, "64X224RGB32K.CRV.M2", "FX40634.RBF-012", false},
    {2, "48x192 RGB32K", 128, 1, "48X192RGB32K.CRV.M2", "FX40746.RBF-012", false},
    {3, "48x160 RGB32K", 124, 1, "48X160RGB32K.CRV.M2", "FX40634.RBF-012", false},
    {4, "48x144 Dual Resolution", 120, 1, "48X144RGB32K.CRV.M2", "FX40158.RBF-012", false},
    {5, "32x128 RGB32K", 131, 1, "32X128RGB32K.CRV.M2", "FX40634.RBF-012", false},
    {6, "32x80 RGB32K", 132, 1, "32X80RGB32K.CRV.M2", "FX40634.RBF-012", false},
    {7, "64x224 Mono64", 129, 1, "64X224MONO64.CRV.M2", "FX40529.RBF-004", false},
    {8, "48x160 Mono64", 123, 1, "48X160MONO64.CRV.M2", "FX40529.RBF-004", false},
    {9, "32x128 Mono64", 118, 1, "32X128MONO64.CRV.M2", "FX40529.RBF-004", true},
    {10, "32x80 Mono64", 117, 1, "32X80MONO64.CRV.M2", "FX40529.RBF-004", false},
    {11, "32x64 Mono64", 130, 1, "32X64MONO64.CRV.M2", "FX40529.RBF-004", false},
    {12, "24x80 Mono64", 126, 1, "24X80MONO64.CRV.M2", "FX40529.RBF-003", false},
    {13, "16x80 Mono64", 127, 1, "16X80MONO64.CRV.M2", "FX40529.RBF-003", false},
    {14, "8x96 Mono64", 119, 1, "8X96MONO64.CRV.M2", "FX40529.RBF-003", false},
    {15, "64x224 RGB32K", 143, 2, "64X224RGB32K.CRV.M2", "FP9035528.RBF-012", false},
    {16, "48x160 RGB32K", 142, 2, "48X160RGB32K.CRV.M2", "FP9035528.RBF-012", false},
    {17, "32x128 RGB32K", 141, 2, "32X128RGB32K.CRV.M2", "FP9035528.RBF-012", false},
    {18, "64x224 Mono64", 140, 2, "64X224MONO64.CRV.M2", "FP9035528.RBF-002", false},
    {19, "48x160 Mono64", 139, 2, "48X160MONO64.CRV.M2", "FP9035528.RBF-002", false},
    {20, "32x128 Mono64", 138, 2, "32X128MONO64.CRV.M2", "FP9035528.RBF-002", true},
    {21, "32x80 Mono64", 137, 2, "32X80MONO64.CRV.M2", "FP9035528.RBF-002", false},
    {22, "32x128 Mono64 LX7400 12mm 1V", 148, 3, "32X128MONO64.CRV.M2", "FP9047716.RBF-000", true},
    {23, "32x128 Mono64 LX7400 12mm 2V", 149, 3, "32X128MONO64.CRV.M2", "FP9047716.RBF-001", true},
    {24, "8x96 Mono64", 154, 4, "8X96MONO64.CRV.M2", "FX40963.RBF-004", true},
    {25, "16x80 Mono64", 156, 4, "16X80MONO64.CRV.M2", "FX40963.RBF-004", true},
    {26, "24x80 Mono64", 158, 4, "24X80MONO64.CRV.M2", "FX40963.RBF-004", true},
    {27, "32x64 Mono64", 160, 4, "32X64MONO64.CRV.M2", "FX40963.RBF-004", true},
    {28, "32x80 Mono64", 162, 4, "32X80MONO64.CRV.M2", "FX40963.RBF-004", true},
    {29, "32x128 Mono64", 164, 4, "32X128MONO64.CRV.M2", "FX40963.RBF-004", true},
    {30, "48x160 Mono64", 166, 4, "48X160MONO64.CRV.M2", "FX40963.RBF-004", true},
    {31, "64x224 Mono64", 168, 4, "64X224MONO64.CRV.M2", "FX40963.RBF-004", true},
    {32, "32x80 RGB32K", 170, 4, "32X80RGB32K.CRV.M2", "FX40852.RBF-012", true},
    {33, "32x128 RGB32K", 172, 4, "32X128RGB32K.CRV.M2", "FX40852.RBF-012", true},
    {34, "48x160 RGB32K", 174, 4, "48X160RGB32K.CRV.M2", "FX40852.RBF-012", true},
    {35, "48x192 RGB32K", 176, 4, "48X192RGB32K.CRV.M2", "FX40852.RBF-012", true},
    {36, "64x224 RGB32K", 178, 4, "64X224RGB32K.CRV.M2", "FX40852.RBF-012", true},
    {37, "72x240 RGB32K", 180, 4, "72X240RGB32K.CRV.M2", "FX40852.RBF-012", true},
};

// In the order of the "All" list.
const TypeRow kLineTypes[] = {
    {40, "32x128 RGB68B", 221, 5, "32X128RGB16M.CRV.M3", "FX4107385.RBF", false},
    {41, "48x144 RGB68B", 223, 5, "48X144RGB16M.CRV.M3", "FX4107385.RBF", false},
    {43, "48x160 RGB68B", 227, 5, "48X160RGB16M.CRV.M3", "FX4107385.RBF", false},
    {44, "64x192 RGB68B", 229, 5, "64X192RGB16M.CRV.M3", "FX4107385.RBF", false},
    {46, "64x224 RGB68B", 233, 5, "64X224RGB16M.CRV.M3", "FX4107385.RBF", false},
    {38, "32x80 Mono4096", 182, 5, "32X80MONO256.CRV.M3", "FX4107385.RBF", false},
    {39, "32x128 Mono 4096", 219, 5, "32X128MONO256.CRV.M3", "FX4107385.RBF", false},
    {42, "48x160 Mono 4096", 225, 5, "48X160MONO256.CRV.M3", "FX4107385.RBF", false},
    {45, "64x224 Mono 4096", 231, 5, "64X224MONO256.CRV.M3", "FX4107385.RBF", false},
};

std::string M2Template(const TypeRow& row)
{
    return std::string("<CFG type=\"") + row.cfgType + "\" ds=\"\"" + (row.wide ? "  " : " ") +
           "tph=\"65\" tpl=\"55\" logmax=\"100000\" gamma=\"2.20\" mid=\"" + row.mid + "\" rfr=\"120\" to=\"0\">\n"
           "  <ADDR sw=\"\" ertd=\"1\" ip=\"192.168.200.10\" msk=\"255.255.0.0\"/>\n"
           "  <PORT type=\"DIRECT\" num=\"1\" protocol=\"HTCH\" baud=\"115200\"/>\n"
           "  <PORT type=\"DIRECT\" num=\"2\" protocol=\"RTD\" baud=\"19200\"/>\n"
           "  <PORT type=\"TCPIP\" num=\"3001\" protocol=\"S22\"/>\n"
           "  <PORT type=\"UDPIP\" num=\"3002\" protocol=\"RTD\"/>\n"
           "  <TIME dst=\"1\" zn=\"-360\" clk=\"0\"/>\n"
           "  <ENET spd=\"AUTO\" dplx=\"AUTO\"/>\n"
           "</CFG>";
}

std::string M3Template(const TypeRow& row)
{
    return std::string("<CFG type=\"") + row.cfgType +
           "\" mid=\"FX4107385.RBF\" ds=\"M3 Display\" gamma=\"2.50\" logmax=\"12288000\" tph=\"70\" tpl=\"60\" "
           "ldl=\"6\" hdl=\"100\" mode=\"0\" rfr=\"120\" bseq=\"ON\" dsn=\"0\" csn=\"0\" acsn=\"0\" mod=\"16X16\" "
           "loglevel=\"0xFF\" fc=\"2\" to=\"0\" pwi=\"0\" mult=\"1\"> \n"
           "<ADDR sw=\"0\" ertd=\"1\" ip=\"192.168.200.10\" msk=\"255.255.0.0\" gtw=\"192.168.200.1\" ping=\"ON\" "
           "http=\"OFF\" dhcp=\"\" id=\"\" hto=\"120\" hpl=\"51000\" hph=\"53000\"/> \n"
           "<DSC id=\"\" url=\"http://diag.qvx-signs.example/M2Service/Diagnostics.qvxx\" client=\"OFF\" cmp=\"9\"/> \n"
           "<NTF ctrl=\"ON\" data=\"60\" diag=\"30\" reset=\"4\" otemp=\"30\" comm=\"30\"/> \n"
           "<PORT type=\"DIRECT\" num=\"1\" protocol=\"S22\" baud=\"115200\"/> \n"
           "<PORT type=\"DIRECT\" num=\"2\" protocol=\"RTD\" baud=\"19200\"/> \n"
           "<PORT type=\"TCPIP\" num=\"3001\" protocol=\"S22\"/> \n"
           "<PORT type=\"UDPIP\" num=\"3002\" protocol=\"RTD\"/> \n"
           "<TIME dst=\"1\" zn=\"-360\" clk=\"0\"/> \n"
           "<ENET spd=\"AUTO\" dplx=\"AUTO\"/> \n"
           "<DVI x=\"0\" y=\"0\"/> \n"
           "<SCRTY user=\"qvxadmin\" pswrd=\"\" auth=\"OFF\"/> \n"
           "<NTP pri=\"\" sec=\"\" freq=\"5\" client=\"OFF\"/> \n"
           "<DYNDNS user=\"\" pswrd=\"\" host=\"\" router=\"OFF\"/> \n"
           "<DNS pri=\"0.0.0.0\" sec=\"0.0.0.0\"/> \n"
           "<AUC url=\"http://update.qvx-signs.example/httphandler/service.ashx\" client=\"ON\"/> \n"
           "<VSC url=\"http://player.qvx-signs.example/embeddedplayerservice/playerservice.ashx\" client=\"OFF\" "
           "cmp=\"0\"/> \n"
           "<VAC url=\"http://player.qvx-signs.example/poll.ashx\" client=\"OFF\"/> \n"
           "<VMES/> \n"
           "<VSCN retrydur=\"120\" pi=\"10\"/> \n"
           "</CFG> \n";
}

std::string WithZone(std::string text, const std::string& zone)
{
    const std::string stored = "zn=\"-360\"";
    text.replace(text.find(stored), stored.size(), "zn=\"" + zone + "\"");
    return text;
}

// A view whose "Download Configuration" dialog picks a type and a time zone, or, with takeShown,
// downloads what the dialog starts on (an operator pressing the button at once).
class CChoosingView : public CCapturingView {
public:
    bool ChooseConfiguration(const ConfigurationLists& lists, ConfigurationChoice& choice) override
    {
        shown = lists;
        choice = takeShown ? ConfigurationChoice{lists.nDisplayKey, lists.initialTimeZone} : chosen;
        return true;
    }
    std::optional<ConfigurationLists> shown;
    ConfigurationChoice chosen;
    bool takeShown = false;
};

// A core that has never connected; the display's configuration is put in place as a connection
// would leave it. The stand-in controller is started only by the download tests below.
class ConfigTables : public ::testing::Test {
protected:
    static constexpr int kPort = 3;
    static constexpr unsigned char kAddress = 1;

    void SetLine(bool firmwareLine)
    {
        m_core.Session().SetFirmwareLine(firmwareLine);
        m_config.BuildDisplayTypeTable();
    }
    void SetDisplayConfig(const std::string& text)
    {
        ASSERT_TRUE(m_core.Session().ConfigDoc().SetDocument(text)) << text;
        m_core.Session().ShowDisplayInfo();
    }
    // The CONFIG.XML the controller serves once it has restarted; none when it does not in time.
    std::string ServedConfigAfterRestart(const std::string& expected)
    {
        std::string served;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (served != expected && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            const auto file = m_sim.ReadFile(kPort, kAddress, "CONFIG.XML");
            served = file ? std::string(file->begin(), file->end()) : std::string();
        }
        return served;
    }

    CTestPortDir m_ports{"qvx-cfg"};
    qvxsim::SignSim m_sim{m_ports.Path().string()};
    CChoosingView m_view;
    CInstallerCore m_core{m_view};
    CConfigDownloader m_config{m_core};
};

// The names and template bytes alone fix what the templates hold: their type and mid are not read back.
TEST_F(ConfigTables, EveryTypeHasItsTemplateByteForByte)
{
    for (const bool line : {false, true}) {
        SetLine(line);
        const auto rows = line ? std::span<const TypeRow>(kLineTypes) : std::span<const TypeRow>(kMainTypes);
        ASSERT_EQ(m_config.Configs().size(), rows.size());
        for (const TypeRow& row : rows) {
            SCOPED_TRACE(row.key);
            const auto config = m_config.Configs().find(row.key);
            ASSERT_NE(config, m_config.Configs().end());
            EXPECT_EQ(config->second.strName, row.name);
            EXPECT_EQ(config->second.nTemplateId, static_cast<std::uint32_t>(row.templateId));
            EXPECT_EQ(config->second.nCategory, row.category);
            EXPECT_EQ(m_config.GetConfigTemplate(row.key), line ? M3Template(row) : M2Template(row));
        }
    }
    EXPECT_EQ(m_config.GetConfigTemplate(0), "") << "key 0 is not on this line";
}

TEST_F(ConfigTables, FiltersAndTypeListsOfBothLines)
{
    SetLine(false);
    EXPECT_EQ(m_config.PageFilterList(),
              (Items{{0, "All"}, {1, "Gen 1"}, {2, "Gen 2"}, {3, "LX-7400"}, {4, "Display Emulator"}}));
    EXPECT_EQ(m_config.DialogFilterList(), (Items{{0, "All"}, {1, "Gen 1"}, {2, "Gen 2"}}));
    // "All" pairs each size's generations and names the category; the others list theirs in key order.
    const std::vector<int> all = {0,  1,  15, 2,  3,  16, 4,  5,  17, 6,  7,  18, 8,  19, 9,  20, 10, 21, 11,
                                  12, 13, 14, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37};
    EXPECT_EQ(m_config.Filters().at(0).entries, all);
    const char* kSuffix[] = {"", " - Gen 1", " - Gen 2", " - LX-7400", " - Display Emulator"};
    Items expected[5];
    for (const int key : all)
        expected[0].emplace_back(key, std::string(kMainTypes[key].name) + kSuffix[kMainTypes[key].category]);
    for (const TypeRow& row : kMainTypes)
        expected[row.category].emplace_back(row.key, row.name);
    for (int filter = 0; filter < 5; ++filter)
        EXPECT_EQ(m_config.TypeList(filter), expected[filter]) << filter;
    EXPECT_TRUE(m_config.TypeList(5).empty());
    SetDisplayConfig(M2Template(kMainTypes[10]));
    EXPECT_EQ(m_config.PageTypeSelection(expected[0]), 16u) << "the display's own type";
    EXPECT_EQ(m_config.PageTypeSelection(expected[2]), std::nullopt) << "not among Gen 2: none, not the first";

    SetLine(true);
    EXPECT_EQ(m_config.PageFilterList(), (Items{{0, "All"}}));
    EXPECT_EQ(m_config.DialogFilterList(), (Items{{0, "All"}}));
    Items types;
    for (const TypeRow& row : kLineTypes)
        types.emplace_back(row.key, row.name);
    EXPECT_EQ(m_config.TypeList(0), types);
    SetDisplayConfig(M3Template(kLineTypes[7]));
    EXPECT_EQ(m_config.PageTypeSelection(types), 7u) << "the display's own type";
    EXPECT_EQ(m_config.DialogLists().nDisplayKey, 42);
    EXPECT_TRUE(m_config.IsCurrentDisplayType(42));
    EXPECT_FALSE(m_config.IsCurrentDisplayType(45));
    EXPECT_FALSE(m_config.IsCurrentDisplayType(10)) << "a key without an entry";
}

// Types of the FX40211 line share their display type across generations; the module type tells
// them apart. Where even that leaves none or several, nothing is the display's own.
TEST_F(ConfigTables, TheDisplaysOwnTypeByItsTypeAndModules)
{
    const struct { bool line; const char *type, *mid; int key; } cases[] = {
        {false, "32X80MONO64.CRV.M2", "FX40529.RBF-004", 10},
        {false, "32X80MONO64.CRV.M2", "FX40963.RBF-004", 28},
        {false, "32X80MONO64.CRV.M2", "FX40529.RBF-003", -1},
        {false, "48X144RGB32K.CRV.M2", "FX40000.RBF-000", 4}, // the only one of its type
        {false, "32x80mono64.crv.m2", "FX40529.RBF-004", -1},
        {true, "48X160MONO256.CRV.M3", "FX4100000.RBF", 42},
        {true, "32X80MONO64.CRV.M2", "FX40529.RBF-004", -1}, // not of this line
    };
    for (const auto& c : cases) {
        SetLine(c.line);
        SetDisplayConfig(std::string("<CFG type=\"") + c.type + "\" mid=\"" + c.mid + "\"/>");
        EXPECT_EQ(m_config.DisplayTypeKey(), c.key) << c.type << " " << c.mid;
    }
}

TEST(TimeZones, ThirtyTwoNamesByOffset)
{
    const std::vector<std::string> names = TimeZoneNames();
    ASSERT_EQ(names.size(), 32u);
    EXPECT_EQ(names.front(), "(GMT-12:00) Eniwetok, Kwajalein");
    EXPECT_EQ(names[1], "(GMT-11:00) Midway Island, Samoa");
    EXPECT_EQ(names.back(), "(GMT+13:00) Nuku'alofa");
    const std::map<std::string, int> table = BuildTimeZoneTable();
    EXPECT_EQ(table.size(), 32u);
    EXPECT_EQ(table.count("(GMT+6:30) Rangoon"), 0u);
    for (std::size_t i = 1; i < names.size(); ++i)
        EXPECT_LT(table.at(names[i - 1]), table.at(names[i])) << names[i];
    const std::pair<std::string, int> zones[] = {{kEastern, -300},   {"(GMT-03:30) Newfoundland", -210},
                                                 {"(GMT+5:45) Kathmandu", 345}, {names.front(), -720},
                                                 {names.back(), 780}};
    for (const auto& [name, minutes] : zones)
        EXPECT_EQ(table.at(name), minutes) << name;
    EXPECT_EQ(TimeZoneNameOf(0).rfind("(GMT) ", 0), 0u);
    EXPECT_EQ(TimeZoneNameOf(-360), kCentral);
    EXPECT_EQ(TimeZoneNameOf(390), "");
}

TEST(TimeZones, PrefixMinutes)
{
    const std::pair<const char*, std::optional<int>> cases[] = {
        {"(GMT)", 0},           {"(GMT-03:30) x", -210}, {"(GMT+5:45)", 345}, {"(GMT+13:00)", 780},
        {"GMT+1:00", {}},       {"(GMT+1)", {}},         {"(GMT+1:00", {}},   {"(GMT+123:00)", {}},
        {"(GMT 1:00)", {}},     {"", {}},
    };
    for (const auto& [name, minutes] : cases)
        EXPECT_EQ(TimeZonePrefixMinutes(name), minutes) << name;
}

// A whole template with its zone set is checked byte for byte by the downloads below.
TEST_F(ConfigTables, TimeZoneTakesThePlaceOfTheFirstZn)
{
    const struct { const char *name, *before, *after; } cases[] = {
        {"", "<TIME zn=\"-360\"/>", "<TIME zn=\"0\"/>"},
        {"Mars", "<TIME zn=\"-360\"/>", "<TIME zn=\"0\"/>"},
        {kEastern, "<A zn=\"1\"/><B zn=\"2\"/>", "<A zn=\"-300\"/><B zn=\"2\"/>"},
        {kEastern, "<A zn=5 b=\"c\"/>", "<A zn=\"-300\"/>"}, // through the second quote after zn
        {kEastern, "<A zn=\"5/>", "<A zn=\"5/>"},
        {kEastern, "<TIME dst=\"1\"/>", "<TIME dst=\"1\"/>"},
    };
    for (const auto& c : cases) {
        std::string changed = c.before;
        m_config.SetTemplateTimeZone(c.name, changed);
        EXPECT_EQ(changed, c.after) << c.name << " " << c.before;
    }
}

TEST_F(ConfigTables, QuickCheckPassesWhereTheFullCheckFailsOnTheTimeZone)
{
    SetDisplayConfig(WithZone(M2Template(kMainTypes[10]), "-300"));
    EXPECT_TRUE(m_config.IsRecommendedConfiguration());
    // No time zone chosen yet: the template is compared with a zn of 0.
    EXPECT_EQ(m_config.ConfigDifferences(10), (std::vector<ConfigDifference>{{"Time Zone", "-300", "0"}}));
    EXPECT_FALSE(m_config.CheckConfiguration(10, 1, kEastern));
    EXPECT_EQ(m_view.questions, (Lines{kMismatch}));
    EXPECT_TRUE(m_view.boxes.empty());

    m_config.SetCurrentTimeZone(kEastern);
    EXPECT_FALSE(m_config.CompareWithRecommendedConfiguration(10));
    EXPECT_FALSE(m_config.CheckConfiguration(10, 1, kEastern));
    EXPECT_EQ(m_view.boxes, (Lines{"The display configuration matches the recommended settings."}));
    EXPECT_EQ(m_view.questions.size(), 1u);

    EXPECT_EQ(m_config.ConfigDifferences(0),
              (std::vector<ConfigDifference>{{"Module Type", "FX40529.RBF-004", "FX40746.RBF-012"},
                                             {"Display Type", "32X80MONO64.CRV.M2", "72X240RGB32K.CRV.M2"}}));
    EXPECT_TRUE(m_config.ConfigDifferences(99).empty()) << "a key without an entry is not different";
}

TEST_F(ConfigTables, QuickCheckLooksAtBaudMaskProtocolAndAddress)
{
    const struct { bool line; const char *from, *to; bool recommended; } cases[] = {
        {false, "", "", true},
        {false, "baud=\"115200\"", "baud=\"57600\"", false},
        {false, "msk=\"255.255.0.0\"", "msk=\"255.255.255.0\"", false},
        {false, "192.168.200.10", "192.168.200.11", false},
        {false, "protocol=\"HTCH\"", "protocol=\"S22\"", false},
        {true, "", "", true},
        {true, "protocol=\"S22\" baud", "protocol=\"HTCH\" baud", false},
    };
    for (const auto& c : cases) {
        SetLine(c.line);
        std::string text = c.line ? M3Template(kLineTypes[0]) : M2Template(kMainTypes[10]);
        text.replace(text.find(c.from), std::string(c.from).size(), c.to);
        SetDisplayConfig(text);
        EXPECT_EQ(m_config.IsRecommendedConfiguration(), c.recommended) << c.to;
    }
}

// The summary and the checks take the sign port by one rule: the first DIRECT port after ADDR.
TEST_F(ConfigTables, APortBeforeAddrIsNotTheSignPort)
{
    const std::string before =
        "<PORT type=\"DIRECT\" protocol=\"HTCH\" baud=\"115200\"/><ADDR ip=\"192.168.200.10\" msk=\"255.255.0.0\"/>";
    const struct { const char *after, *protocol, *baud; } cases[] = {
        {"", "", ""},
        {"<PORT type=\"DIRECT\" protocol=\"S22\" baud=\"9600\"/>", "S22", "9600"},
    };
    for (const auto& c : cases) {
        SetDisplayConfig("<CFG type=\"32X80MONO64.CRV.M2\">" + before + c.after + "</CFG>");
        EXPECT_EQ(m_core.Session().Summary().strProtocol, c.protocol) << c.after;
        EXPECT_EQ(m_core.Session().Summary().strBaud, c.baud) << c.after;
        EXPECT_EQ(m_view.configRows[5], (InfoRow{"Protocol", c.protocol}));
        EXPECT_FALSE(m_config.IsRecommendedConfiguration()) << c.after;
    }
}

// ---- Against the stand-in controller ------------------------------------------------------------

class ConfigDownloadTest : public ConfigTables {
protected:
    void SetUp() override
    {
        qvxsim::PortConfig port;
        port.comNumber = kPort;
        port.controllers.push_back(qvxsim::ControllerConfig{kAddress});
        std::string error;
        ASSERT_TRUE(m_sim.AddPort(port, &error)) << error;
        ASSERT_TRUE(m_sim.Start(&error)) << error;
        std::vector<CONNECTION_INFO> list;
        CDisplayConnector::BuildConnectionList(list, kAddress, kPort, BaudChoice{true, 115200});
        m_core.Runner().SetMode(RunMode::Inline); // connected before the operator's part begins
        ASSERT_EQ(m_core.Connector().ConnectToDisplay(list, kAddress).result, CONNECT_OK);
        m_core.Runner().SetMode(RunMode::InView);
        m_core.Session().ShowDisplayInfo();
        m_config.BuildDisplayTypeTable();
        m_view.ClearMessageLines();
        m_view.progressTexts.clear();
    }

};

TEST_F(ConfigDownloadTest, UnattendedDownloadSendsTheTemplateWithTheZoneAndResets)
{
    m_core.Runner().SetMode(RunMode::Inline);
    ASSERT_TRUE(m_config.DownloadConfiguration(10, kAddress, kEastern));
    EXPECT_EQ(m_view.Lines(), (Lines{"Downloading sign configuration...",
                                     "Configuration file has been downloaded and sign has been reset.",
                                     "Sign is disconnected..."}));
    EXPECT_EQ(m_view.jobs, 0) << "inline";
    EXPECT_TRUE(m_view.boxes.empty());
    EXPECT_FALSE(m_core.Session().Link().IsOpen());
    const std::string sent = WithZone(M2Template(kMainTypes[10]), "-300");
    EXPECT_EQ(ServedConfigAfterRestart(sent), sent);
    EXPECT_EQ(m_sim.Stats(kPort, kAddress).reboots, 1u);
    EXPECT_EQ(m_sim.Settings(kPort, kAddress).timeZone, -300);
}

TEST_F(ConfigDownloadTest, OperatorConnectOffersTheDownloadAndSendsTheChoice)
{
    // The stand-in's address is not the recommended one.
    EXPECT_FALSE(m_config.IsRecommendedConfiguration());
    m_view.answerYes = true;
    m_view.chosen = {28, kEastern};
    ASSERT_TRUE(m_config.CheckRecommendedConfiguration(kAddress));
    EXPECT_EQ(m_view.questions, (Lines{kMismatch}));
    ASSERT_TRUE(m_view.shown.has_value());
    EXPECT_EQ(m_view.shown->filters, (Items{{0, "All"}, {1, "Gen 1"}, {2, "Gen 2"}}));
    EXPECT_EQ(m_view.shown->typesOf(2).size(), 7u);
    EXPECT_EQ(m_view.shown->timeZones, TimeZoneNames());
    EXPECT_EQ(m_view.shown->initialTimeZone, kCentral) << "the display's zn of -360";
    EXPECT_EQ(m_config.CurrentTimeZone(), kEastern);
    EXPECT_EQ(m_view.jobs, 1);
    EXPECT_EQ(m_view.progressTexts, (Lines{"Downloading configuration to sign", "Reseting display"}));
    EXPECT_FALSE(m_view.abortEnabled);
    EXPECT_FALSE(m_view.controlsConnected);
    EXPECT_EQ(m_view.boxes, (Lines{"The new configuration has been downloaded successfully and the connection will "
                                   "be closed.\nWait until the boot sequence is complete before reconnecting."}));
    const std::string sent = WithZone(M2Template(kMainTypes[28]), "-300");
    EXPECT_EQ(ServedConfigAfterRestart(sent), sent);
    // A closed link is not checked again: the display is checked after the next connect.
    EXPECT_FALSE(m_config.CheckRecommendedConfiguration(kAddress));
    EXPECT_EQ(m_view.questions.size(), 1u);
}

TEST_F(ConfigDownloadTest, FailuresKeepTheLinkAndSkipTheReset)
{
    const unsigned long framesBefore = m_sim.Stats(kPort, kAddress).framesReceived;
    EXPECT_FALSE(m_config.DownloadConfiguration(99, kAddress, kEastern));
    EXPECT_TRUE(m_view.Lines().empty());
    EXPECT_EQ(m_sim.Stats(kPort, kAddress).framesReceived, framesBefore) << "nothing is sent for an unknown key";

    m_sim.InjectStatus(kPort, kAddress, qvxsim::ExtendedCommand(20), 1); // the send start refused
    EXPECT_FALSE(m_config.DownloadConfiguration(10, kAddress, kEastern));
    EXPECT_EQ(m_view.Lines(),
              (Lines{"Downloading sign configuration...",
                     "Sending CONFIG.XML stopped after 1 of 3 blocks (ERR_SIGN_RESPONSE_ERROR).",
                     "[*TASK ERROR 513*]  Config file could not be downloaded"}));
    m_view.ClearMessageLines();

    m_core.Interrupt();
    m_core.Runner().SetMode(RunMode::Inline);
    EXPECT_FALSE(m_config.DownloadConfiguration(10, kAddress, kEastern));
    EXPECT_EQ(m_view.Lines(), (Lines{"Downloading sign configuration...", "[*TASK ERROR 302*]  Trasnmission aborted"}));
    EXPECT_TRUE(m_core.Session().Link().IsOpen());
    EXPECT_TRUE(m_view.boxes.empty());
    EXPECT_EQ(m_sim.Stats(kPort, kAddress).reboots, 0u);
}

// The display's own zone after each connect: what the page and the dialog start on, what the full
// check compares with, and the zn a download of the dialog's first choice writes. The display is
// set up as recommended for key 10 apart from its zone; one connect follows the other, each after
// the operator chose another zone, so nothing of the one before may stay.
TEST_F(ConfigTables, EachConnectStartsOnTheDisplaysOwnZone)
{
    const qvxsim::PortConfig port{
        .comNumber = kPort, .baud = 115200, .controllers = {{.address = kAddress, .behaviour = {.rebootMs = 0}}}};
    std::string error;
    ASSERT_TRUE(m_sim.AddPort(port, &error)) << error;
    ASSERT_TRUE(m_sim.Start(&error)) << error;
    CFirmwareInstaller firmware(m_core, FirmwareSwitches{});
    const std::string recommended = M2Template(kMainTypes[10]);
    const std::string kNoZone = "zn=\"-360\" ";
    const char kGreenwich[] = "(GMT) Greenwich Mean Time: Dublin, Edinburgh, Lisbon, London";
    // zn (none: no zn at all), the zone shown, where the unlisted zone goes in the list, what differs.
    const struct { const char* zn; const char* zone; std::size_t listed; std::vector<ConfigDifference> differences; }
        cases[] = {
        {"-300", kEastern, 7, {}},
        {"0", kGreenwich, 13, {}},
        {"390", "(GMT+06:30) Display's own zone", 24, {}},
        {"-150", "(GMT-02:30) Display's own zone", 11, {}},
        {nullptr, kGreenwich, 13, {{"Time Zone", "", "0"}}}, // a zn is recommended: it differs
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.zone);
        // Its own software address, which the check does not look at, tells the file it had from the one sent.
        std::string config = recommended;
        config.replace(config.find("sw=\"\""), 5, "sw=\"1\"");
        if (c.zn)
            config = WithZone(config, c.zn);
        else
            config.erase(config.find(kNoZone), kNoZone.size());
        const std::vector<unsigned char> bytes(config.begin(), config.end());
        ASSERT_TRUE(m_sim.WriteFile(kPort, kAddress, "CONFIG.XML", bytes));
        m_config.SetCurrentTimeZone(kCentral); // the operator's choice for the display before
        ASSERT_EQ(AutoConnect(m_core, firmware, m_config, kPort, kAddress, BaudChoice{true, 115200}), CONNECT_OK);
        EXPECT_TRUE(m_view.questions.empty()) << "the quick check passes";
        EXPECT_EQ(m_config.CurrentTimeZone(), c.zone);
        const std::vector<std::string> zones = m_config.TimeZoneList();
        ASSERT_EQ(zones.size(), std::string(c.zone).find("own") == std::string::npos ? 32u : 33u);
        EXPECT_EQ(zones[c.listed], c.zone);
        EXPECT_EQ(m_config.ConfigDifferences(10), c.differences);
        m_view.answerYes = true;
        m_view.takeShown = true;
        ASSERT_TRUE(m_config.AskAndDownloadConfiguration(kAddress));
        EXPECT_EQ(m_view.shown->initialTimeZone, c.zone);
        EXPECT_EQ(m_view.shown->timeZones, zones);
        EXPECT_EQ(m_view.shown->nDisplayKey, 10);
        const std::string sent = WithZone(recommended, c.zn ? c.zn : "0");
        EXPECT_EQ(ServedConfigAfterRestart(sent), sent);
        m_view.answerYes = false;
        m_view.questions.clear();
    }
}

} // namespace
