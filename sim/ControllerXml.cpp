#include "sim/ControllerXml.h"

#include "sim/SignState.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <map>
#include <optional>
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

// Reading CONFIG.XML back: just enough XML to find an element's attributes.
class TagReader {
public:
    explicit TagReader(std::string_view text) : m_text(text) {}

    // The attributes of the first element of that name from here on; nullopt when there is none
    // (or the text breaks off before it).
    std::optional<std::map<std::string, std::string>> Find(std::string_view name)
    {
        while (Skip("<")) {
            if (Take("!--")) {
                Skip("-->");
                continue;
            }
            if (Take("?") || Take("!") || Take("/")) {
                Skip(">");
                continue;
            }
            const std::string_view tag = Word();
            auto attributes = Attributes();
            if (!attributes)
                return std::nullopt;
            if (tag == name)
                return attributes;
        }
        return std::nullopt;
    }

private:
    // Moves past the next `mark`; false when there is none.
    bool Skip(std::string_view mark)
    {
        const auto at = m_text.find(mark, m_at);
        m_at = at == std::string_view::npos ? m_text.size() : at + mark.size();
        return at != std::string_view::npos;
    }

    bool Take(std::string_view mark)
    {
        if (m_text.substr(m_at, mark.size()) != mark)
            return false;
        m_at += mark.size();
        return true;
    }

    std::string_view Word()
    {
        const std::size_t start = m_at;
        while (m_at < m_text.size() && !std::isspace(static_cast<unsigned char>(m_text[m_at]))
               && m_text[m_at] != '=' && m_text[m_at] != '>' && m_text[m_at] != '/')
            ++m_at;
        return m_text.substr(start, m_at - start);
    }

    void Blanks()
    {
        while (m_at < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_at])))
            ++m_at;
    }

    // name="value" pairs up to the tag's end.
    std::optional<std::map<std::string, std::string>> Attributes()
    {
        std::map<std::string, std::string> attributes;
        for (;;) {
            Blanks();
            if (Take(">") || Take("/>"))
                return attributes;
            const std::string_view name = Word();
            Blanks();
            if (name.empty() || !Take("="))
                return std::nullopt;
            Blanks();
            if (m_at >= m_text.size() || (m_text[m_at] != '"' && m_text[m_at] != '\''))
                return std::nullopt;
            const char quote = m_text[m_at++];
            const auto end = m_text.find(quote, m_at);
            if (end == std::string_view::npos)
                return std::nullopt;
            attributes.emplace(name, Unescaped(m_text.substr(m_at, end - m_at)));
            m_at = end + 1;
        }
    }

    static std::string Unescaped(std::string_view value)
    {
        static constexpr std::array<std::pair<std::string_view, char>, 5> kEntities{{
            {"&amp;", '&'}, {"&quot;", '"'}, {"&apos;", '\''}, {"&lt;", '<'}, {"&gt;", '>'},
        }};
        std::string out;
        for (std::size_t at = 0; at < value.size();) {
            const auto entity = std::find_if(kEntities.begin(), kEntities.end(),
                                             [&](const auto& e) { return value.substr(at, e.first.size()) == e.first; });
            if (entity == kEntities.end()) {
                out += value[at++];
            } else {
                out += entity->second;
                at += entity->first.size();
            }
        }
        return out;
    }

    std::string_view m_text;
    std::size_t m_at = 0;
};

std::optional<int> Number(const std::string& text, int low, int high)
{
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || at != end || value < low || value > high)
        return std::nullopt;
    return value;
}

} // namespace

void FollowConfig(std::string_view text, ControllerSettings& settings)
{
    TagReader reader(text);
    const auto cfg = reader.Find("CFG");
    if (!cfg)
        return;
    if (const auto type = cfg->find("type"); type != cfg->end() && !type->second.empty())
        settings.displayType = type->second;
    const auto time = reader.Find("TIME");
    if (!time)
        return;
    if (const auto zone = time->find("zn"); zone != time->end()) {
        if (const std::optional<int> minutes = Number(zone->second, -720, 840))
            settings.timeZone = *minutes;
    }
    if (const auto dst = time->find("dst"); dst != time->end() && (dst->second == "0" || dst->second == "1"))
        settings.daylightSaving = dst->second == "1";
}

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
