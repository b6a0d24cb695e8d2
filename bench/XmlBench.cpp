// The XML reader on the two controller files the tool reads most: a complete CONFIG.XML and a
// 2,000-entry DIRECTORY.XML, both generated here. Each is indexed and then read the way the tool
// reads it (the configuration summary; the directory's file names), side by side with pugixml
// parsing the same text and reading the same values.
//
//   bench_xml [seconds per measurement, default 0.5]
#include "files/ControllerConfig.h"
#include "files/M2Files.h"
#include "files/XmlDoc.h"

#include <pugixml.hpp>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string ConfigText()
{
    const char* const lines[] = {
        "<CFG type=\"32X80MONO256.CRV.M3\" mid=\"FX4107385.RBF\" ds=\"M3 Display\" gamma=\"2.50\" logmax=\"12288000\" "
        "tph=\"70\" tpl=\"60\" ldl=\"6\" hdl=\"100\" mode=\"0\" rfr=\"120\" bseq=\"ON\" dsn=\"0\" csn=\"0\" acsn=\"0\" "
        "mod=\"16X16\" loglevel=\"0xFF\" fc=\"2\" to=\"0\" pwi=\"0\" mult=\"1\">",
        "<ADDR sw=\"0\" ertd=\"1\" ip=\"192.168.100.20\" msk=\"255.255.0.0\" gtw=\"192.168.100.1\" ping=\"ON\" "
        "http=\"OFF\" dhcp=\"\" id=\"\" hto=\"120\" hpl=\"51000\" hph=\"53000\"/>",
        "<DSC id=\"\" url=\"http://diagnostics.example.invalid/M2Service/Diagnostics.qvxx\" client=\"OFF\" cmp=\"9\"/>",
        "<NTF ctrl=\"ON\" data=\"60\" diag=\"30\" reset=\"4\" otemp=\"30\" comm=\"30\"/>",
        "<PORT type=\"DIRECT\" num=\"1\" protocol=\"RTD\" baud=\"19200\"/>",
        "<PORT type=\"DIRECT\" num=\"2\" protocol=\"S22\" baud=\"115200\"/>",
        "<PORT type=\"TCPIP\" num=\"3001\" protocol=\"S22\"/>",
        "<PORT type=\"UDPIP\" num=\"3002\" protocol=\"RTD\"/>",
        "<TIME dst=\"1\" zn=\"-360\" clk=\"0\"/>",
        "<ENET spd=\"AUTO\" dplx=\"AUTO\"/>",
        "<DVI x=\"0\" y=\"0\"/>",
        "<SCRTY user=\"service\" pswrd=\"\" auth=\"OFF\"/>",
        "<NTP pri=\"\" sec=\"\" freq=\"5\" client=\"OFF\"/>",
        "<DYNDNS user=\"\" pswrd=\"\" host=\"\" router=\"OFF\"/>",
        "<DNS pri=\"0.0.0.0\" sec=\"0.0.0.0\"/>",
        "<AUC url=\"http://update.example.invalid/httphandler/service.ashx\" client=\"ON\"/>",
        "<VSC url=\"http://player.example.invalid/embeddedplayerservice/playerservice.ashx\" client=\"OFF\" cmp=\"0\"/>",
        "<VAC url=\"http://player.example.invalid/poll.ashx\" client=\"OFF\"/>",
        "<VMES/>",
        "<VSCN retrydur=\"120\" pi=\"10\"/>",
        "</CFG>",
    };
    std::string text;
    for (const char* line : lines)
        text += std::string(line) + " \n";
    return text;
}

std::string DirectoryText(int entries)
{
    static const char* const kExtensions[] = {"M2M", "M2S", "FNT", "XML", "dat"};
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<DIR>\r\n";
    for (int i = 0; i < entries; ++i) {
        char line[128];
        std::snprintf(line, sizeof line, "  <F name=\"MSG%05d.%s\" sz=\"%d\" sec=\"%d\"/>\r\n", i, kExtensions[i % 5],
                      100 + i * 7 % 5000, 1733000000 + i * 60);
        text += line;
    }
    return text + "</DIR>\r\n";
}

// What the tool takes from a configuration: seven texts.
struct Summary {
    std::string type, module, zone, ip, mask, protocol, baud;
    std::size_t Size() const
    {
        return type.size() + module.size() + zone.size() + ip.size() + mask.size() + protocol.size() + baud.size();
    }
};

// As the configuration summary reads it: the root's values, TIME and ADDR each by a fresh search
// among the root's children, then the sign port continuing from ADDR.
bool EnterRoot(CXmlDoc& doc)
{
    doc.ResetPosition();
    return doc.FindElement(nullptr) && doc.IntoElement();
}

std::size_t ReadConfig(CXmlDoc& doc)
{
    Summary s;
    doc.ResetPosition();
    if (doc.FindElement(nullptr)) {
        s.type = doc.GetAttribute(ConfigXml::kDisplayType);
        s.module = doc.GetAttribute(ConfigXml::kModuleType);
    }
    if (EnterRoot(doc) && doc.FindElement(ConfigXml::kTime))
        s.zone = doc.GetAttribute(ConfigXml::kZone);
    if (EnterRoot(doc) && doc.FindElement(ConfigXml::kAddr)) {
        s.ip = doc.GetAttribute(ConfigXml::kIpAddress);
        s.mask = doc.GetAttribute(ConfigXml::kSubnetMask);
    }
    ConfigSignPort port;
    if (ContinueConfigSignPortSearch(doc, port)) {
        s.protocol = port.strProtocol;
        s.baud = port.strBaud;
    }
    doc.ResetPosition();
    return s.Size();
}

std::size_t ReadConfig(const pugi::xml_document& doc)
{
    Summary s;
    const pugi::xml_node root = doc.first_child();
    s.type = root.attribute("type").value();
    s.module = root.attribute("mid").value();
    s.zone = root.child("TIME").attribute("zn").value();
    const pugi::xml_node addr = root.child("ADDR");
    s.ip = addr.attribute("ip").value();
    s.mask = addr.attribute("msk").value();
    for (pugi::xml_node port = addr ? addr.next_sibling("PORT") : root.child("PORT"); port;
         port = port.next_sibling("PORT")) {
        const std::string protocol = port.attribute("protocol").value();
        if (std::strcmp(port.attribute("type").value(), "DIRECT") == 0 && (protocol == "S22" || protocol == "HTCH")) {
            s.protocol = protocol;
            s.baud = port.attribute("baud").value();
            break;
        }
    }
    return s.Size();
}

std::size_t ReadDirectory(CXmlDoc& doc)
{
    std::vector<std::string> names;
    ReadDirectoryNames(doc, names);
    return names.size();
}

std::size_t ReadDirectory(const pugi::xml_document& doc)
{
    std::vector<std::string> names;
    const pugi::xml_node root = doc.first_child();
    if (std::strcmp(root.name(), "DIR") == 0)
        for (pugi::xml_node child = root.first_child(); child; child = child.next_sibling())
            if (const char* name = child.attribute("name").value(); *name)
                names.emplace_back(name);
    return names.size();
}

volatile std::size_t g_sink; // keeps the measured work from being optimised away

// Microseconds per run of `work`, repeated for about `seconds`.
template <class Work>
double MicrosecondsPerRun(double seconds, Work&& work)
{
    using Clock = std::chrono::steady_clock;
    std::size_t runs = 0;
    const auto start = Clock::now();
    auto now = start;
    do {
        for (int i = 0; i < 32; ++i)
            g_sink = g_sink + work();
        runs += 32;
        now = Clock::now();
    } while (std::chrono::duration<double>(now - start).count() < seconds);
    return std::chrono::duration<double, std::micro>(now - start).count() / static_cast<double>(runs);
}

void Compare(const char* name, const std::string& text, double seconds, std::size_t (*readOurs)(CXmlDoc&),
             std::size_t (*readPugi)(const pugi::xml_document&))
{
    CXmlDoc ours;
    pugi::xml_document pugi;
    if (!ours.SetDocument(text) || !pugi.load_buffer(text.data(), text.size())) {
        std::printf("%s: does not parse\n", name);
        std::exit(1);
    }
    if (readOurs(ours) != readPugi(pugi)) {
        std::printf("%s: the two readers disagree\n", name);
        std::exit(1);
    }

    const double indexOnly = MicrosecondsPerRun(seconds, [&] { return std::size_t(ours.SetDocument(text)); });
    const double pugiOnly = MicrosecondsPerRun(seconds, [&] {
        return std::size_t(bool(pugi.load_buffer(text.data(), text.size())));
    });
    const double pugiMinimal = MicrosecondsPerRun(seconds, [&] {
        return std::size_t(bool(pugi.load_buffer(text.data(), text.size(), pugi::parse_minimal)));
    });
    const double oursRead = MicrosecondsPerRun(seconds, [&] {
        ours.SetDocument(text);
        return readOurs(ours);
    });
    const double pugiRead = MicrosecondsPerRun(seconds, [&] {
        pugi.load_buffer(text.data(), text.size());
        return readPugi(pugi);
    });

    const double megabytes = static_cast<double>(text.size()) / 1e6;
    std::printf("%s (%zu bytes)\n", name, text.size());
    std::printf("  %-34s %9.2f us  %7.0f MB/s\n", "CXmlDoc index", indexOnly, megabytes / indexOnly * 1e6);
    std::printf("  %-34s %9.2f us  %7.0f MB/s\n", "pugixml parse (default)", pugiOnly, megabytes / pugiOnly * 1e6);
    std::printf("  %-34s %9.2f us  %7.0f MB/s\n", "pugixml parse (minimal)", pugiMinimal,
                megabytes / pugiMinimal * 1e6);
    std::printf("  %-34s %9.2f us\n", "CXmlDoc index + tool's reading", oursRead);
    std::printf("  %-34s %9.2f us\n", "pugixml parse + same reading", pugiRead);
    std::printf("  ratio pugixml / CXmlDoc: %.2f parsing (%.2f against minimal), %.2f with the reading\n",
                pugiOnly / indexOnly, pugiMinimal / indexOnly, pugiRead / oursRead);
}

} // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 0.5;
    Compare("CONFIG.XML", ConfigText(), seconds, ReadConfig, ReadConfig);
    Compare("DIRECTORY.XML, 2000 entries", DirectoryText(2000), seconds, ReadDirectory, ReadDirectory);
    return 0;
}
