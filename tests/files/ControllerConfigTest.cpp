#include "files/ControllerConfig.h"
#include "files/DecimalText.h"
#include "files/XmlDoc.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

namespace {

CXmlDoc Parsed(const std::string& text)
{
    CXmlDoc doc;
    EXPECT_TRUE(doc.SetDocument(text)) << doc.GetError() << "\n" << text;
    return doc;
}

// ---- The sign port ------------------------------------------------------------------------------

struct SignPortCase {
    const char* name;
    const char* children; // inside <CFG>
    bool found;
    const char* protocol;
    const char* baud;
};

const SignPortCase kSignPortCases[] = {
    {"first of two DIRECT ports wins",
     "<ADDR/><PORT type=\"DIRECT\" protocol=\"HTCH\" baud=\"9600\"/><PORT type=\"DIRECT\" protocol=\"S22\" baud=\"115200\"/>",
     true, "HTCH", "9600"},
    {"RTD passed over",
     "<ADDR/><PORT type=\"DIRECT\" protocol=\"RTD\" baud=\"19200\"/><PORT type=\"DIRECT\" protocol=\"HTCH\" baud=\"38400\"/>",
     true, "HTCH", "38400"},
    {"network ports passed over",
     "<ADDR/><PORT type=\"TCPIP\" protocol=\"S22\" baud=\"1\"/><PORT type=\"UDPIP\" protocol=\"S22\"/>"
     "<PORT type=\"DIRECT\" protocol=\"S22\" baud=\"57600\"/>",
     true, "S22", "57600"},
    {"lower-case type not taken", "<ADDR/><PORT type=\"direct\" protocol=\"S22\" baud=\"1\"/>", false, "", ""},
    {"lower-case protocol not taken", "<ADDR/><PORT type=\"DIRECT\" protocol=\"s22\" baud=\"1\"/>", false, "", ""},
    {"padded values not taken", "<ADDR/><PORT type=\"DIRECT \" protocol=\" S22\" baud=\"1\"/>", false, "", ""},
    {"no ADDR: every port is looked at", "<TIME zn=\"0\"/><PORT type=\"DIRECT\" protocol=\"S22\" baud=\"2400\"/>",
     true, "S22", "2400"},
    {"a port before ADDR is not seen", "<PORT type=\"DIRECT\" protocol=\"S22\" baud=\"1200\"/><ADDR/>", false, "", ""},
    {"only the port after ADDR counts",
     "<PORT type=\"DIRECT\" protocol=\"S22\" baud=\"1200\"/><ADDR/><PORT type=\"DIRECT\" protocol=\"HTCH\" baud=\"4800\"/>",
     true, "HTCH", "4800"},
    {"a port without baud", "<ADDR/><PORT type=\"DIRECT\" protocol=\"S22\"/>", true, "S22", ""},
    {"nested ports are not children", "<ADDR><PORT type=\"DIRECT\" protocol=\"S22\" baud=\"1\"/></ADDR>", false, "", ""},
    {"no ports at all", "<ADDR ip=\"1.2.3.4\"/>", false, "", ""},
    {"root name not checked", "<ADDR/><PORT type=\"DIRECT\" protocol=\"S22\" baud=\"9600\"/>", true, "S22", "9600"},
};

TEST(ControllerConfig, SignPortRule)
{
    for (const SignPortCase& c : kSignPortCases) {
        const char* root = std::strcmp(c.name, "root name not checked") == 0 ? "CONFIG" : "CFG";
        CXmlDoc doc = Parsed(std::string("<") + root + ">" + c.children + "</" + root + ">");
        ConfigSignPort port{"kept", "kept"};
        EXPECT_EQ(FindConfigSignPort(doc, port), c.found) << c.name;
        EXPECT_EQ(port.strProtocol, c.found ? c.protocol : "kept") << c.name;
        EXPECT_EQ(port.strBaud, c.found ? c.baud : "kept") << c.name;
        EXPECT_EQ(doc.GetCurrentIndex(), 0) << c.name;
        EXPECT_EQ(doc.GetParentIndex(), 0) << c.name;
    }
}

TEST(ControllerConfig, SignPortSearchContinuesFromTheCaller)
{
    CXmlDoc doc = Parsed("<CFG><PORT type=\"DIRECT\" protocol=\"S22\" baud=\"1\"/><ADDR ip=\"9.9.9.9\"/>"
                         "<PORT type=\"DIRECT\" protocol=\"HTCH\" baud=\"2\"/></CFG>");
    ASSERT_TRUE(doc.FindElement(nullptr) && doc.IntoElement() && doc.FindElement(ConfigXml::kAddr));
    EXPECT_EQ(doc.GetAttribute(ConfigXml::kIpAddress), "9.9.9.9");
    ConfigSignPort port;
    ASSERT_TRUE(ContinueConfigSignPortSearch(doc, port));
    EXPECT_EQ(port.strBaud, "2");
    EXPECT_FALSE(ContinueConfigSignPortSearch(doc, port)); // later matches are for no one
    // Without a current element the whole level is searched.
    doc.ResetPosition();
    ASSERT_TRUE(doc.FindElement(nullptr) && doc.IntoElement());
    ASSERT_TRUE(ContinueConfigSignPortSearch(doc, port));
    EXPECT_EQ(port.strBaud, "1");
}

TEST(ControllerConfig, UnindexableFileHasNoValues)
{
    CXmlDoc doc;
    EXPECT_FALSE(doc.SetDocument("<CFG type=\"X\"><PORT type=\"DIRECT\" protocol=\"S22\" baud=\"1\"/>"));
    ConfigSignPort port;
    EXPECT_FALSE(FindConfigSignPort(doc, port));
    EXPECT_EQ(ReadConfigDisplayType(doc), "");
    EXPECT_EQ(ReadConfigTimeZone(doc), 0);
    EXPECT_EQ(ReadConfigChildAttribute(doc, ConfigXml::kAddr, ConfigXml::kIpAddress), "");
}

// ---- Time zone and display type -----------------------------------------------------------------

struct ZoneCase {
    const char* name;
    const char* text;
    int minutes;
};

const ZoneCase kZoneCases[] = {
    {"negative", "<CFG><ADDR/><TIME dst=\"1\" zn=\"-360\" clk=\"0\"/></CFG>", -360},
    {"positive", "<CFG><TIME zn=\"345\"/></CFG>", 345},
    {"no TIME", "<CFG><ADDR/></CFG>", 0},
    {"no zn", "<CFG><TIME dst=\"1\"/></CFG>", 0},
    {"empty zn", "<CFG><TIME zn=\"\"/></CFG>", 0},
    {"not a number", "<CFG><TIME zn=\"east\"/></CFG>", 0},
    {"number then text", "<CFG><TIME zn=\" -60min\"/></CFG>", -60},
    {"beyond int", "<CFG><TIME zn=\"99999999999999999999\"/></CFG>", INT_MAX},
    {"root must be CFG", "<CONFIG><TIME zn=\"60\"/></CONFIG>", 0},
    {"TIME before ADDR is found too", "<CFG><TIME zn=\"120\"/><ADDR/></CFG>", 120},
    {"the first TIME counts", "<CFG><TIME zn=\"1\"/><TIME zn=\"2\"/></CFG>", 1},
};

TEST(ControllerConfig, TimeZone)
{
    for (const ZoneCase& c : kZoneCases) {
        CXmlDoc doc = Parsed(c.text);
        EXPECT_EQ(ReadConfigTimeZone(doc), c.minutes) << c.name;
    }
}

TEST(ControllerConfig, DisplayTypeIsTheRootTypeWhateverTheRootIsCalled)
{
    CXmlDoc doc = Parsed("<CONFIG type=\"16X80MONO64.CRV.M2\"><PORT type=\"DIRECT\"/></CONFIG>");
    ASSERT_TRUE(doc.FindElement(nullptr));
    ASSERT_TRUE(doc.IntoElement());
    ASSERT_TRUE(doc.FindElement("PORT")); // a reading starts from a reset position, wherever the cursor was
    EXPECT_EQ(ReadConfigDisplayType(doc), "16X80MONO64.CRV.M2");
    EXPECT_EQ(doc.GetCurrentIndex(), 0);
}

// ---- The sample files --------------------------------------------------------------------------

TEST(ControllerConfig, SampleOfTheM3Line)
{
    CXmlDoc doc;
    ASSERT_TRUE(doc.LoadDocument(SampleFile("CONFIG.XML"))) << doc.GetError();
    EXPECT_EQ(ReadConfigDisplayType(doc), "32X80MONO256.CRV.M3");
    EXPECT_EQ(ReadConfigRootAttribute(doc, ConfigXml::kModuleType), "FX4107385.RBF");
    EXPECT_EQ(ReadConfigTimeZone(doc), -360);
    EXPECT_EQ(ReadConfigChildAttribute(doc, ConfigXml::kAddr, ConfigXml::kSoftwareAddress), "0");
    EXPECT_EQ(ReadConfigChildAttribute(doc, ConfigXml::kAddr, ConfigXml::kSubnetMask), "255.255.0.0");
    ConfigSignPort port;
    ASSERT_TRUE(FindConfigSignPort(doc, port));
    EXPECT_EQ(port.strProtocol, "S22");
    EXPECT_EQ(port.strBaud, "115200");
    // Every element of the file is a child of the root.
    doc.ResetPosition();
    ASSERT_TRUE(doc.FindElement("CFG"));
    ASSERT_TRUE(doc.IntoElement());
    int children = 0;
    while (doc.FindElement(nullptr))
        ++children;
    EXPECT_EQ(children, 19);
}

TEST(ControllerConfig, SampleOfTheM2Line)
{
    CXmlDoc doc;
    ASSERT_TRUE(doc.LoadDocument(SampleFile("CONFIG-M2.XML"))) << doc.GetError();
    EXPECT_EQ(ReadConfigDisplayType(doc), "32X80MONO64.CRV.M2");
    EXPECT_EQ(ReadConfigRootAttribute(doc, ConfigXml::kModuleType), "FX40529.RBF-004");
    EXPECT_EQ(ReadConfigChildAttribute(doc, ConfigXml::kAddr, ConfigXml::kSoftwareAddress), ""); // shown as "Empty Field"
    EXPECT_EQ(ReadConfigChildAttribute(doc, ConfigXml::kAddr, ConfigXml::kIpAddress), "192.168.100.20");
    ConfigSignPort port;
    ASSERT_TRUE(FindConfigSignPort(doc, port));
    EXPECT_EQ(port.strProtocol, "HTCH");
    EXPECT_EQ(port.strBaud, "115200");
}

// ---- Decimal values ----------------------------------------------------------------------------

struct DecimalCase {
    const char* text;
    long long value;
};

const DecimalCase kDecimalCases[] = {
    {"", 0},
    {"115200", 115200},
    {"-360", -360},
    {"+45", 45},
    {"  \t12", 12},
    {"12abc", 12},
    {"abc", 0},
    {"-", 0},
    {"1 2", 1},
    {"0x10", 0},
    {"9223372036854775807", LLONG_MAX},
    {"9223372036854775808", LLONG_MAX},
    {"-9223372036854775808", LLONG_MIN},
    {"-99999999999999999999999", LLONG_MIN},
};

TEST(ControllerConfig, DecimalValues)
{
    for (const DecimalCase& c : kDecimalCases)
        EXPECT_EQ(DecimalValue(c.text), c.value) << c.text;
    EXPECT_EQ(DecimalIntValue("-3000000000"), INT_MIN);
    EXPECT_EQ(DecimalIntValue("-360"), -360);
}

} // namespace
