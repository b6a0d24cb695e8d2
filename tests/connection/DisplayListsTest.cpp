#include "connection/DisplayLists.h"
#include "files/XmlDoc.h"
#include "link/S22ServerSignType.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <string>
#include <vector>

void PrintTo(const InfoRow& row, std::ostream* out)
{
    *out << '{' << row.strTag << " | " << row.strValue << '}';
}

namespace {

CXmlDoc Parsed(const std::string& text)
{
    CXmlDoc doc;
    EXPECT_TRUE(doc.SetDocument(text)) << doc.GetError() << "\n" << text;
    return doc;
}

// ---- FormatTime ---------------------------------------------------------------------------------

struct TimeCase {
    long long seconds;
    int kind;
    const char* text;
};

const TimeCase kTimeCases[] = {
    {3600, 1, "01:00:00 AM"},
    {3600, 2, "1/1/70 "},
    {3600, 0, "1/1/70 01:00:00 AM"},
    {0, 1, "12:00:00 AM"},          // midnight
    {43200, 1, "12:00:00 PM"},      // noon
    {43199, 1, "11:59:59 AM"},
    {46800, 1, "01:00:00 PM"},
    {86399, 0, "1/1/70 11:59:59 PM"},
    {31535999, 0, "12/31/70 11:59:59 PM"},
    {31536000, 0, "1/1/71 12:00:00 AM"},
    {68169600, 2, "2/29/72 "},      // the first leap day
    {951782400, 2, "2/29/00 "},     // 2000 is divisible by 400: a leap year
    {951868800, 2, "3/1/00 "},
    {4107456000, 2, "2/28/00 "},    // 2100 is a century not divisible by 400: no 29 February
    {4107542400, 2, "3/1/00 "},
    {1230768000, 2, "1/1/09 "},
    {1735603200, 2, "12/31/24 "},   // day 366 of a leap year
    {1733634000, 0, "12/8/24 05:00:00 AM"},
    // Held to the range the calendar counts.
    {-1, 0, "1/1/70 12:00:00 AM"},
    {LLONG_MIN, 0, "1/1/70 12:00:00 AM"},
    {253402300799, 0, "12/31/99 11:59:59 PM"},
    {253402300800, 0, "12/31/99 11:59:59 PM"},
    {LLONG_MAX, 0, "12/31/99 11:59:59 PM"},
    // Only kinds 0, 1 and 2 have a text.
    {3600, 3, ""},
    {3600, -1, ""},
};

TEST(DisplayLists, FormatTime)
{
    for (const TimeCase& c : kTimeCases)
        EXPECT_EQ(FormatTime(c.seconds, c.kind), c.text) << c.seconds << " kind " << c.kind;
}

// ---- Status list --------------------------------------------------------------------------------

const char kStatusXml[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<STATUS ds=\"M3 Display\" ms=\"WELCOME.M2M\" sch=\"\" temp=\"31\" mem=\"33554432\" fmem=\"21495808\" "
    "dim=\"85\" dm=\"1\" vr=\"FP9023417-3.10.8\">\r\n"
    "  <TIME sec=\"1733655600\" zn=\"-360\" dsta=\"0\"/>\r\n"
    "</STATUS>\r\n";

TEST(DisplayLists, StatusRowsOfAKnownFile)
{
    CXmlDoc doc = Parsed(kStatusXml);
    const std::vector<InfoRow> expected = {
        {"Status Tag", "Attribute"},
        {"Display Description", "M3 Display"},
        {"Current Message", "WELCOME.M2M"},
        {"Current Schedule", "No schedule is running"},
        {"Time", "05:00:00 AM"},
        {"Date", "12/8/24 "},
        {"Temperature", "87 F\xB0 / 31 C\xB0"},
        {"Free memory", "21.5MB of 33.6MB"},
        {"Brightness", "Automatic [85] | 100"},
        {"Firmware Version", "FP9023417-3.10.8"},
    };
    EXPECT_EQ(BuildStatusRows(doc), expected);
    EXPECT_EQ(doc.GetCurrentIndex(), 0);
    EXPECT_EQ(GetFirmwareVersion(doc), "FP9023417-3.10.8");
}

enum StatusRow { ROW_MESSAGE = 2, ROW_SCHEDULE = 3, ROW_TIME = 4, ROW_DATE = 5, ROW_TEMP = 6, ROW_MEMORY = 7,
                 ROW_BRIGHTNESS = 8 };

struct StatusCase {
    const char* attributes; // of STATUS
    const char* time;       // attributes of TIME; null: no TIME
    int row;
    const char* value;
};

const StatusCase kStatusCases[] = {
    {"ms=\"\"", nullptr, ROW_MESSAGE, "No message is playing"},
    {"", nullptr, ROW_MESSAGE, "No message is playing"},
    {"sch=\"\"", nullptr, ROW_SCHEDULE, "No schedule is running"},
    {"sch=\"NIGHT\"", nullptr, ROW_SCHEDULE, "NIGHT"},
    {"temp=\"-40\"", nullptr, ROW_TEMP, "-40 F\xB0 / -40 C\xB0"},
    {"temp=\"21\"", nullptr, ROW_TEMP, "69 F\xB0 / 21 C\xB0"},     // 69.8
    {"temp=\"-1\"", nullptr, ROW_TEMP, "30 F\xB0 / -1 C\xB0"},     // 30.2
    {"temp=\"-21\"", nullptr, ROW_TEMP, "-5 F\xB0 / -21 C\xB0"},   // -5.8
    {"temp=\"0\"", nullptr, ROW_TEMP, "32 F\xB0 / 0 C\xB0"},
    {"", nullptr, ROW_TEMP, "32 F\xB0 /  C\xB0"},
    {"temp=\"warm\"", nullptr, ROW_TEMP, "32 F\xB0 / warm C\xB0"},
    {"temp=\"99999999999999999999\"", nullptr, ROW_TEMP, "3865470596 F\xB0 / 99999999999999999999 C\xB0"},
    {"temp=\"-99999999999999999999\"", nullptr, ROW_TEMP, "-3865470534 F\xB0 / -99999999999999999999 C\xB0"},
    {"fmem=\"999\" mem=\"4000000\"", nullptr, ROW_MEMORY, "999.0 bytes of 4.0MB"},
    {"fmem=\"1000\" mem=\"4000000\"", nullptr, ROW_MEMORY, "1.0KB of 4.0MB"},
    {"fmem=\"1500\" mem=\"4000000\"", nullptr, ROW_MEMORY, "1.5KB of 4.0MB"},
    {"fmem=\"1000000\" mem=\"4000000\"", nullptr, ROW_MEMORY, "1.0MB of 4.0MB"},
    {"fmem=\"-5\" mem=\"4000000\"", nullptr, ROW_MEMORY, "-5.0 bytes of 4.0MB"},
    {"", nullptr, ROW_MEMORY, "0.0 bytes of 0.0MB"},
    {"fmem=\"lots\" mem=\"x4000000\"", nullptr, ROW_MEMORY, "0.0 bytes of 0.0MB"},
    {"fmem=\"99999999999999999999\" mem=\"99999999999999999999\"", nullptr, ROW_MEMORY,
     "9223372036854.8MB of 9223372036854.8MB"},
    {"dm=\"1\" dim=\"85\"", nullptr, ROW_BRIGHTNESS, "Automatic [85] | 100"},
    {"dm=\"0\" dim=\"12\"", nullptr, ROW_BRIGHTNESS, "Manual [12] | 100"},
    {"dm=\"2\" dim=\"12\"", nullptr, ROW_BRIGHTNESS, "12"},
    {"dim=\"12\"", nullptr, ROW_BRIGHTNESS, "12"},
    {"dm=\" 1\" dim=\"12\"", nullptr, ROW_BRIGHTNESS, "12"},
    {"dm=\"1\"", nullptr, ROW_BRIGHTNESS, "Automatic [] | 100"},
    {"", "sec=\"3600\" zn=\"0\" dsta=\"0\"", ROW_TIME, "01:00:00 AM"},
    {"", "sec=\"3600\" zn=\"0\" dsta=\"0\"", ROW_DATE, "1/1/70 "},
    {"", "sec=\"0\" zn=\"60\" dsta=\"1\"", ROW_TIME, "02:00:00 AM"},
    {"", "sec=\"43200\"", ROW_TIME, "12:00:00 PM"},
    {"", "sec=\"86400\" zn=\"-1440\"", ROW_TIME, "12:00:00 AM"},
    {"", nullptr, ROW_TIME, "12:00:00 AM"},
    {"", nullptr, ROW_DATE, "1/1/70 "},
    {"", "sec=\"\" zn=\"abc\" dsta=\"\"", ROW_DATE, "1/1/70 "},
    {"", "sec=\"0\" zn=\"-360\"", ROW_DATE, "1/1/70 "}, // before 1970: held at the start
    {"", "sec=\"99999999999999999999\" zn=\"60\"", ROW_DATE, "12/31/99 "},
    {"", "sec=\"0\" zn=\"99999999999\"", ROW_DATE, "1/23/53 "}, // zone held to the int range
};

TEST(DisplayLists, StatusRowEdgeCases)
{
    for (const StatusCase& c : kStatusCases) {
        std::string text = std::string("<STATUS ") + c.attributes + ">";
        if (c.time != nullptr)
            text += std::string("<TIME ") + c.time + "/>";
        CXmlDoc doc = Parsed(text + "</STATUS>");
        const std::vector<InfoRow> rows = BuildStatusRows(doc);
        ASSERT_EQ(rows.size(), 10u) << text;
        EXPECT_EQ(rows[static_cast<std::size_t>(c.row)].strValue, c.value) << text;
    }
}

TEST(DisplayLists, StatusRowsWithoutAStatusElement)
{
    for (const char* text : {"", "<CFG vr=\"1\" ms=\"M\"/>", "<STATUS ms=\"M\""}) {
        CXmlDoc doc;
        doc.SetDocument(text);
        const std::vector<InfoRow> expected = {
            {"Status Tag", "Attribute"},
            {"Display Description", ""},
            {"Current Message", "No message is playing"},
            {"Current Schedule", "No schedule is running"},
            {"Time", "12:00:00 AM"},
            {"Date", "1/1/70 "},
            {"Temperature", "32 F\xB0 /  C\xB0"},
            {"Free memory", "0.0 bytes of 0.0MB"},
            {"Brightness", ""},
            {"Firmware Version", ""},
        };
        EXPECT_EQ(BuildStatusRows(doc), expected) << text;
        EXPECT_EQ(GetFirmwareVersion(doc), "") << text;
    }
}

// ---- Configuration summary ----------------------------------------------------------------------

struct PortCase {
    const char* name;
    const char* children; // inside <CFG>
    const char* protocol; // the summary started with "old" protocol and baud
    const char* baud;
};

const PortCase kPortCases[] = {
    {"RTD then HTCH: the second port",
     "<ADDR/><PORT type=\"DIRECT\" protocol=\"RTD\" baud=\"19200\"/>"
     "<PORT type=\"DIRECT\" protocol=\"HTCH\" baud=\"38400\"/>",
     "HTCH", "38400"},
    {"the first sign port stops the walk",
     "<PORT type=\"DIRECT\" protocol=\"HTCH\" baud=\"9600\"/><PORT type=\"DIRECT\" protocol=\"S22\" baud=\"115200\"/>",
     "HTCH", "9600"},
    // The summary and both configuration checks find the sign port the same way: after ADDR only.
    {"a port before ADDR is not seen", "<PORT type=\"DIRECT\" protocol=\"S22\" baud=\"1200\"/><ADDR/>", "", "old"},
    {"network ports passed over",
     "<PORT type=\"TCPIP\" protocol=\"S22\" baud=\"1\"/><PORT type=\"DIRECT\" protocol=\"S22\" baud=\"57600\"/>",
     "S22", "57600"},
    {"a sign port without baud", "<PORT type=\"DIRECT\" protocol=\"S22\"/>", "S22", ""},
    {"only RTD: protocol emptied, baud kept", "<PORT type=\"DIRECT\" protocol=\"RTD\" baud=\"19200\"/>", "", "old"},
    {"lower-case protocol empties", "<PORT type=\"DIRECT\" protocol=\"s22\" baud=\"1\"/>", "", "old"},
    {"DIRECT without protocol empties", "<PORT type=\"DIRECT\" baud=\"1\"/>", "", "old"},
    // Without a sign port the protocol is empty; the baud keeps what it was.
    {"lower-case type passed over", "<PORT type=\"direct\" protocol=\"S22\" baud=\"1\"/>", "", "old"},
    {"only network ports", "<PORT type=\"UDPIP\" protocol=\"RTD\"/>", "", "old"},
    {"no ports", "<ADDR/><TIME/>", "", "old"},
    {"nested ports are not children", "<ADDR><PORT type=\"DIRECT\" protocol=\"S22\" baud=\"1\"/></ADDR>", "", "old"},
};

TEST(DisplayLists, SummaryPortWalk)
{
    for (const PortCase& c : kPortCases) {
        CXmlDoc doc = Parsed(std::string("<CFG>") + c.children + "</CFG>");
        ConfigSummary summary;
        summary.strProtocol = summary.strBaud = "old";
        ReadConfigSummary(doc, summary);
        EXPECT_EQ(summary.strProtocol, c.protocol) << c.name;
        EXPECT_EQ(summary.strBaud, c.baud) << c.name;
        EXPECT_EQ(doc.GetCurrentIndex(), 0) << c.name;
        EXPECT_EQ(doc.GetParentIndex(), 0) << c.name;
    }
}

struct SummaryCase {
    const char* text;
    const char* displayType;
    const char* moduleType;
    const char* timeZone;
    const char* ip;
    const char* mask;
};

const SummaryCase kSummaryCases[] = {
    {"<CFG type=\"16080.CRV\" mid=\"M\"><TIME zn=\"-300\"/><ADDR ip=\"10.0.0.2\" msk=\"255.0.0.0\"/></CFG>",
     "16080.CRV", "M", "-300", "10.0.0.2", "255.0.0.0"},
    {"<CFG type=\"16080.CRV\"><ADDR ip=\"10.0.0.2\"/></CFG>", "16080.CRV", "", "", "10.0.0.2", ""},
    {"<CFG mid=\"M\"><TIME zn=\"60\"/></CFG>", "", "M", "60", "", ""},
    // TIME and ADDR are direct children of CFG; the first of each counts.
    {"<CFG><X><TIME zn=\"1\"/></X><ADDR ip=\"a\"/><ADDR ip=\"b\"/></CFG>", "", "", "", "a", ""},
    // Only a CFG root is read.
    {"<STATUS type=\"16080.CRV\" mid=\"M\"><TIME zn=\"1\"/><ADDR ip=\"a\"/></STATUS>", "", "", "", "", ""},
    {"<CFG type=\"16080.CRV\"", "", "", "", "", ""},
};

TEST(DisplayLists, SummaryTexts)
{
    for (const SummaryCase& c : kSummaryCases) {
        CXmlDoc doc;
        doc.SetDocument(c.text);
        ConfigSummary summary{"b", "i", "d", "p", "m", "s", "z"};
        ReadConfigSummary(doc, summary);
        EXPECT_EQ(summary.strDisplayType, c.displayType) << c.text;
        EXPECT_EQ(summary.strModuleType, c.moduleType) << c.text;
        EXPECT_EQ(summary.strTimeZone, c.timeZone) << c.text;
        EXPECT_EQ(summary.strIpAddress, c.ip) << c.text;
        EXPECT_EQ(summary.strSubnetMask, c.mask) << c.text;
    }
}

// ---- Configuration list -------------------------------------------------------------------------

const char kConfigXml[] =
    "<CFG type=\"32X80MONO256.CRV.M3\" mid=\"FX4107385.RBF\" ds=\"Front Lot\" to=\"0\">\r\n"
    "<ADDR sw=\"3\" ertd=\"1\" ip=\"192.168.100.20\" msk=\"255.255.0.0\" gtw=\"192.168.100.1\"/>\r\n"
    "<PORT type=\"TCPIP\" num=\"3001\" protocol=\"S22\"/>\r\n"
    "<PORT type=\"DIRECT\" num=\"1\" protocol=\"RTD\" baud=\"19200\"/>\r\n"
    "<PORT type=\"DIRECT\" num=\"2\" protocol=\"S22\" baud=\"115200\"/>\r\n"
    "<TIME dst=\"1\" zn=\"-360\" clk=\"0\"/>\r\n"
    "</CFG>\r\n";

TEST(DisplayLists, ConfigRowsOfAKnownFile)
{
    CXmlDoc doc = Parsed(kConfigXml);
    ConfigSummary summary;
    CS22Server_SignType signType;
    const std::vector<InfoRow> expected = {
        {"Configuration Tag", "Attribute"},
        {"Display Type", "Corvid 6100 32 x 80 Monochrome 4096"},
        {"Module Type", "FX4107385.RBF"},
        {"Software Display Address", "3"},
        {"Baud Rate", "115200"},
        {"Protocol", "S22"},
        {"IP Address", "192.168.100.20"},
        {"Subnet Mask", "255.255.0.0"},
    };
    EXPECT_EQ(BuildConfigRows(doc, summary, signType), expected);
    EXPECT_EQ(summary.strDisplayType, "32X80MONO256.CRV.M3");
    EXPECT_EQ(summary.strTimeZone, "-360");
    EXPECT_EQ(signType.GetFamily(), CS22Server_SignType::FAMILY_CORVID_6100);
    EXPECT_EQ(signType.GetD4(), 32);
    EXPECT_EQ(signType.GetD3(), 80);
    EXPECT_EQ(doc.GetCurrentIndex(), 0);
}

struct ConfigRowCase {
    const char* text;
    const char* displayType; // row 1
    const char* address;     // row 3
};

const ConfigRowCase kConfigRowCases[] = {
    {"<CFG type=\"32X80MONO64.CRV.M2\"><ADDR sw=\"0\"/></CFG>", "Corvid 32 x 80 Monochrome 64", "0"},
    {"<CFG type=\"16080T.CRV\"><ADDR sw=\"\"/></CFG>", "Corvid 16 x 80 Tricolor", "Empty Field"},
    {"<CFG type=\"16080.CRV\"><ADDR ip=\"1.2.3.4\"/></CFG>", "Corvid 16 x 80 Monochrome", "Empty Field"},
    {"<CFG type=\"16080.CRV\"/>", "Corvid 16 x 80 Monochrome", "Empty Field"},
    // A type that names no sign: nothing of the previous display is left.
    {"<CFG type=\"UNKNOWN\"><ADDR sw=\"7\"/></CFG>", " 0 x 0 ", "7"},
    {"<CFG><ADDR sw=\"7\"/></CFG>", " 0 x 0 ", "7"},
    {"<STATUS type=\"16080.CRV\"><ADDR sw=\"7\"/></STATUS>", " 0 x 0 ", "Empty Field"},
};

TEST(DisplayLists, ConfigRowEdgeCases)
{
    for (const ConfigRowCase& c : kConfigRowCases) {
        CXmlDoc doc = Parsed(c.text);
        ConfigSummary summary;
        CS22Server_SignType signType;
        ASSERT_TRUE(signType.SetFromFileName("24X120RGB16M.CRV.M2")); // the previous display's
        const std::vector<InfoRow> rows = BuildConfigRows(doc, summary, signType);
        ASSERT_EQ(rows.size(), 8u) << c.text;
        EXPECT_EQ(rows[1], (InfoRow{"Display Type", c.displayType})) << c.text;
        EXPECT_EQ(rows[3], (InfoRow{"Software Display Address", c.address})) << c.text;
        EXPECT_EQ(signType.GetDescription(), c.displayType) << c.text;
    }
}

} // namespace
