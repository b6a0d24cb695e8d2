#include "sim/ControllerXml.h"

#include "sim/SignState.h"

#include <array>
#include <cctype>
#include <string_view>
#include <utility>
#include <vector>

namespace qvxsim {

namespace {

using Attributes = std::vector<std::pair<std::string_view, std::string>>;

std::string Escaped(const std::string& value)
{
    std::string out;
    for (char c : value) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '"': out += "&quot;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out += c;
        }
    }
    return out;
}

// "<NAME a="1" b="2"" followed by `end` (">" or "/>").
std::string Tag(std::string_view name, const Attributes& attributes, std::string_view end)
{
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on `"x" + std::string` chains.
    std::string tag(1, '<');
    tag += name;
    for (const auto& [attribute, value] : attributes) {
        tag += ' ';
        tag += attribute;
        tag += "=\"";
        tag += Escaped(value);
        tag += '"';
    }
    tag += end;
    return tag;
}

bool IsM3Type(const std::string& type)
{
    const std::string upper = UpperCase(type);
    return upper.find("M2") == std::string::npos && upper.find("M3") != std::string::npos;
}

std::string Gateway(const std::string& ip)
{
    const auto dot = ip.rfind('.');
    return dot == std::string::npos ? ip : ip.substr(0, dot) + ".1";
}

std::vector<std::string> PortLines(const ControllerSettings& s)
{
    return {
        Tag("PORT", {{"type", "DIRECT"}, {"num", "1"}, {"protocol", SignPortProtocol(s)},
                     {"baud", std::to_string(s.signPortBaud)}}, "/>"),
        Tag("PORT", {{"type", "DIRECT"}, {"num", "2"}, {"protocol", "RTD"}, {"baud", "19200"}}, "/>"),
        Tag("PORT", {{"type", "TCPIP"}, {"num", "3001"}, {"protocol", "S22"}}, "/>"),
        Tag("PORT", {{"type", "UDPIP"}, {"num", "3002"}, {"protocol", "RTD"}}, "/>"),
    };
}

std::string TimeLine(const ControllerSettings& s)
{
    return Tag("TIME", {{"dst", s.daylightSaving ? "1" : "0"}, {"zn", std::to_string(s.timeZone)}, {"clk", "0"}},
               "/>");
}

std::string ConfigM2(const ControllerSettings& s, unsigned char address)
{
    std::vector<std::string> children{
        Tag("ADDR", {{"sw", std::to_string(address)}, {"ertd", "1"}, {"ip", s.ipAddress}, {"msk", s.subnetMask}},
            "/>")};
    for (std::string& port : PortLines(s))
        children.push_back(std::move(port));
    children.push_back(TimeLine(s));
    children.push_back(Tag("ENET", {{"spd", "AUTO"}, {"dplx", "AUTO"}}, "/>"));

    std::string text = Tag("CFG",
                           {{"type", s.displayType}, {"ds", ""}, {"tph", "65"}, {"tpl", "55"}, {"logmax", "100000"},
                            {"gamma", "2.20"}, {"mid", s.moduleType}, {"rfr", "120"}, {"to", "0"}},
                           ">") + "\n";
    for (const std::string& child : children)
        text += "  " + child + "\n";
    return text + "</CFG>\n";
}

std::string ConfigM3(const ControllerSettings& s, unsigned char address)
{
    std::vector<std::string> lines{
        Tag("CFG",
            {{"type", s.displayType}, {"mid", s.moduleType}, {"ds", "M3 Display"}, {"gamma", "2.50"},
             {"logmax", "12288000"}, {"tph", "70"}, {"tpl", "60"}, {"ldl", "6"}, {"hdl", "100"}, {"mode", "0"},
             {"rfr", "120"}, {"bseq", "ON"}, {"dsn", "0"}, {"csn", "0"}, {"acsn", "0"}, {"mod", "16X16"},
             {"loglevel", "0xFF"}, {"fc", "2"}, {"to", "0"}, {"pwi", "0"}, {"mult", "1"}},
            ">"),
        Tag("ADDR",
            {{"sw", std::to_string(address)}, {"ertd", "1"}, {"ip", s.ipAddress}, {"msk", s.subnetMask},
             {"gtw", Gateway(s.ipAddress)}, {"ping", "ON"}, {"http", "OFF"}, {"dhcp", ""}, {"id", ""},
             {"hto", "120"}, {"hpl", "51000"}, {"hph", "53000"}},
            "/>"),
        Tag("DSC", {{"id", ""}, {"url", "http://diag.signs.example/M2Service/Diagnostics.qvxx"}, {"client", "OFF"},
                    {"cmp", "9"}}, "/>"),
        Tag("NTF", {{"ctrl", "ON"}, {"data", "60"}, {"diag", "30"}, {"reset", "4"}, {"otemp", "30"}, {"comm", "30"}},
            "/>"),
    };
    for (std::string& port : PortLines(s))
        lines.push_back(std::move(port));
    const std::array rest{
        TimeLine(s),
        Tag("ENET", {{"spd", "AUTO"}, {"dplx", "AUTO"}}, "/>"),
        Tag("DVI", {{"x", "0"}, {"y", "0"}}, "/>"),
        Tag("SCRTY", {{"user", "service"}, {"pswrd", ""}, {"auth", "OFF"}}, "/>"),
        Tag("NTP", {{"pri", ""}, {"sec", ""}, {"freq", "5"}, {"client", "OFF"}}, "/>"),
        Tag("DYNDNS", {{"user", ""}, {"pswrd", ""}, {"host", ""}, {"router", "OFF"}}, "/>"),
        Tag("DNS", {{"pri", "0.0.0.0"}, {"sec", "0.0.0.0"}}, "/>"),
        Tag("AUC", {{"url", "http://update.signs.example/httphandler/service.ashx"}, {"client", "ON"}}, "/>"),
        Tag("VSC", {{"url", "http://player.signs.example/embeddedplayerservice/playerservice.ashx"},
                    {"client", "OFF"}, {"cmp", "0"}}, "/>"),
        Tag("VAC", {{"url", "http://player.signs.example/poll.ashx"}, {"client", "OFF"}}, "/>"),
        Tag("VMES", {}, "/>"),
        Tag("VSCN", {{"retrydur", "120"}, {"pi", "10"}}, "/>"),
        std::string("</CFG>"),
    };
    lines.insert(lines.end(), rest.begin(), rest.end());
    std::string text;
    for (const std::string& line : lines)
        text += line + " \n";
    return text;
}

struct Name {
    std::string_view code;
    std::string_view text;
};

constexpr std::array<Name, 7> kFamilies{{
    {"CRV", "Corvid"}, {"TMK", "Tallymark"}, {"TDG", "Tidings"}, {"FLP", "Flarepoint"},
    {"PB", "Prism Block"}, {"CP", "CorvidPro"}, {"MC", "Multi Corvid"},
}};

constexpr std::array<Name, 8> kColours{{
    {"MONO1", "Monochrome"}, {"TRI3", "Tricolor"}, {"RGB8", "RGB 8"}, {"MONO64", "Monochrome 64"},
    {"TRI256", "Tricolor 256"}, {"MONO256", "Monochrome 4096"}, {"RGB32K", "RGB 32K"}, {"RGB16M", "RGB"},
}};

template <std::size_t N>
std::string_view Lookup(const std::array<Name, N>& names, std::string_view code)
{
    for (const Name& name : names) {
        if (name.code == code)
            return name.text;
    }
    return {};
}

} // namespace

std::string SignPortProtocol(const ControllerSettings& settings)
{
    if (!settings.signPortProtocol.empty())
        return settings.signPortProtocol;
    return IsM3Type(settings.displayType) ? "S22" : "HTCH";
}

std::string ConfigXml(const ControllerSettings& settings, unsigned char address)
{
    return IsM3Type(settings.displayType) ? ConfigM3(settings, address) : ConfigM2(settings, address);
}

std::string StatusXml(const ControllerSettings& s, const DisplayState& display, std::uint32_t clock,
                      unsigned long freeMemory)
{
    const std::string ds = s.description.empty() ? DescribeDisplayType(s.displayType) : s.description;
    return Tag("STATUS",
               {{"ds", ds}, {"ms", display.message}, {"sch", display.schedule}, {"temp", std::to_string(s.temperature)},
                {"mem", std::to_string(s.totalMemory)}, {"fmem", std::to_string(freeMemory)},
                {"dim", std::to_string(display.dimLevel)}, {"dm", display.dimAuto ? "1" : "0"},
                {"vr", s.firmwareVersion}},
               ">") + "\n  "
         + Tag("TIME", {{"sec", std::to_string(clock)}, {"zn", std::to_string(s.timeZone)},
                        {"dsta", s.daylightSaving ? "1" : "0"}}, "/>")
         + "\n</STATUS>\n";
}

std::string DirectoryXml(const FileStore& files)
{
    std::string text = "<DIR>\n";
    for (const StoredFile* file : files.Files()) {
        text += "  " + Tag("FILE", {{"name", file->name}, {"sz", std::to_string(file->bytes.size())},
                                    {"sec", std::to_string(file->time)}}, "/>") + "\n";
    }
    return text + "</DIR>\n";
}

std::string DescribeDisplayType(const std::string& type)
{
    // ROWSxCOLS[xDEPTH]COLOUR.FAMILY.M2 (or .M3)
    const std::string upper = UpperCase(type);
    const auto firstDot = upper.find('.');
    const auto secondDot = upper.find('.', firstDot + 1);
    if (firstDot == std::string::npos || secondDot == std::string::npos)
        return type;
    const std::string_view head = std::string_view(upper).substr(0, firstDot);
    const std::string_view familyCode = std::string_view(upper).substr(firstDot + 1, secondDot - firstDot - 1);

    std::string numbers;
    std::size_t at = 0;
    while (at < head.size() && std::isdigit(static_cast<unsigned char>(head[at]))) {
        const std::size_t start = at;
        while (at < head.size() && std::isdigit(static_cast<unsigned char>(head[at])))
            ++at;
        if (!numbers.empty())
            numbers += " x ";
        numbers += head.substr(start, at - start);
        if (at < head.size() && head[at] == 'X')
            ++at;
    }
    std::string_view family = Lookup(kFamilies, familyCode);
    if (family == "Corvid" && IsM3Type(upper))
        family = "Corvid 6100";
    const std::string_view colours = Lookup(kColours, head.substr(at));
    if (family.empty() || numbers.empty() || (colours.empty() && familyCode != "MC"))
        return type;
    std::string text(family);
    text += ' ';
    text += numbers;
    if (!colours.empty()) {
        text += ' ';
        text += colours;
    }
    return text;
}

} // namespace qvxsim
