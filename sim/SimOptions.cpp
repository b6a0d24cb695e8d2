#include "sim/SimOptions.h"

#include "sim/ControllerOptions.h"
#include "sim/OptionValues.h"

#include <algorithm>
#include <array>
#include <optional>
#include <sstream>
#include <string_view>
#include <utility>

namespace qvxsim {

namespace {

constexpr std::array<std::pair<std::string_view, FaultKind>, 9> kFaultNames{{
    {"noise", FaultKind::Noise},
    {"bad-header-checksum", FaultKind::BadHeaderChecksum},
    {"bad-data-checksum", FaultKind::BadDataChecksum},
    {"drop-reply", FaultKind::DropReply},
    {"wrong-address", FaultKind::WrongAddress},
    {"delay", FaultKind::Delay},
    {"bad-command", FaultKind::BadCommand},
    {"unsupported", FaultKind::Unsupported},
    {"get-overrun", FaultKind::GetBlockOverrun},
}};

constexpr std::array<std::pair<std::string_view, Protocol>, 3> kProtocolNames{{
    {"s2200", Protocol::S2200},
    {"pellworth", Protocol::Pellworth},
    {"hitech", Protocol::Hitech},
}};

constexpr std::size_t kMaxSignTypeText = 16;
constexpr unsigned kMaxAdapterLatencyMs = 255; // the latency timer is one byte
constexpr unsigned kMaxSignTypeReply = 86;

std::vector<std::string_view> Split(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    for (;;) {
        const auto at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos)
            return parts;
        text.remove_prefix(at + 1);
    }
}

bool ParseAddress(std::string_view text, unsigned char* address)
{
    return ParseNumber<unsigned char>(text, 1, 240, address);
}

// ADDR[@BAUD]
bool ParseController(std::string_view text, ControllerConfig* controller)
{
    const auto at = text.find('@');
    if (!ParseAddress(text.substr(0, at), &controller->address))
        return false;
    return at == std::string_view::npos || ParseNumber<unsigned long>(text.substr(at + 1), 1, 4000000, &controller->baud);
}

// ADDR:KIND[:COUNT[:PARAM]]
bool ParseFault(std::string_view text, int comNumber, PortFault* fault)
{
    const auto parts = Split(text, ':');
    if (parts.size() < 2 || parts.size() > 4 || !ParseAddress(parts[0], &fault->address))
        return false;
    const auto named = std::find_if(kFaultNames.begin(), kFaultNames.end(),
                                    [&](const auto& entry) { return entry.first == parts[1]; });
    if (named == kFaultNames.end())
        return false;
    fault->comNumber = comNumber;
    fault->fault.kind = named->second;
    fault->fault.count = -1;
    if (parts.size() > 2 && (!ParseNumber(parts[2], -1, 1000000, &fault->fault.count) || fault->fault.count == 0))
        return false;
    return parts.size() < 4 || ParseNumber(parts[3], 0, 1000000, &fault->fault.param);
}

// B<code> or X<code>: a basic or an extended command code, decimal.
bool ParseCommand(std::string_view text, CommandKey* key)
{
    if (text.size() < 2 || (text[0] != 'B' && text[0] != 'X'))
        return false;
    key->extended = text[0] == 'X';
    return ParseNumber<unsigned char>(text.substr(1), 0, 255, &key->code);
}

// ADDR:CMD:STATUS[:COUNT[:BLOCK]]
bool ParseStatus(std::string_view text, int comNumber, PortStatus* status)
{
    const auto parts = Split(text, ':');
    StatusFault& fault = status->fault;
    if (parts.size() < 3 || parts.size() > 5 || !ParseAddress(parts[0], &status->address)
        || !ParseCommand(parts[1], &fault.command) || !ParseNumber<unsigned char>(parts[2], 1, 255, &fault.status))
        return false;
    status->comNumber = comNumber;
    fault.count = 1;
    if (parts.size() > 3 && (!ParseNumber(parts[3], -1, 1000000, &fault.count) || fault.count == 0))
        return false;
    return parts.size() < 5 || ParseNumber<unsigned short>(parts[4], 1, 65535, &fault.block);
}

using SettingSetter = bool (*)(const std::string& value, ControllerSettings& settings);

bool SetText(const std::string& value, std::string& field)
{
    field = value;
    return true;
}

bool SetProtocol(const std::string& value, ControllerSettings& s)
{
    const auto named = std::find_if(kProtocolNames.begin(), kProtocolNames.end(),
                                    [&](const auto& entry) { return entry.first == value; });
    if (named == kProtocolNames.end())
        return false;
    s.protocol = named->second;
    return true;
}

using Settings = ControllerSettings;

// The controller settings an option sets, for the controllers of the --addr before it.
constexpr std::array<std::pair<std::string_view, SettingSetter>, 16> kSettingOptions{{
    {"--protocol", SetProtocol},
    {"--sign-type",
     [](const std::string& v, Settings& s) { return v.size() <= kMaxSignTypeText && SetText(v, s.signTypeText); }},
    {"--sign-type-reply",
     [](const std::string& v, Settings& s) { return ParseNumber(v, 1u, kMaxSignTypeReply, &s.queryReplySize); }},
    {"--display-type", [](const std::string& v, Settings& s) { return !v.empty() && SetText(v, s.displayType); }},
    {"--description", [](const std::string& v, Settings& s) { return SetText(v, s.description); }},
    {"--module", [](const std::string& v, Settings& s) { return SetText(v, s.moduleType); }},
    {"--firmware", [](const std::string& v, Settings& s) { return !v.empty() && SetText(v, s.firmwareVersion); }},
    {"--temp", [](const std::string& v, Settings& s) { return ParseNumber(v, -60, 150, &s.temperature); }},
    {"--memory", [](const std::string& v, Settings& s) { return ParseNumber(v, 0ul, 0xFFFFFFFFul, &s.totalMemory); }},
    {"--free-memory",
     [](const std::string& v, Settings& s) { return ParseNumber(v, 0ul, 0xFFFFFFFFul, &s.freeMemory); }},
    {"--clock",
     [](const std::string& v, Settings& s) { return ParseNumber<std::uint32_t>(v, 0, 0xFFFFFFFF, &s.clock); }},
    {"--zone", [](const std::string& v, Settings& s) { return ParseNumber(v, -720, 840, &s.timeZone); }},
    {"--ip", [](const std::string& v, Settings& s) { return SetText(v, s.ipAddress); }},
    {"--subnet-mask", [](const std::string& v, Settings& s) { return SetText(v, s.subnetMask); }},
    {"--sign-port-protocol", [](const std::string& v, Settings& s) { return SetText(v, s.signPortProtocol); }},
    {"--sign-port-baud",
     [](const std::string& v, Settings& s) { return ParseNumber(v, 1ul, 4000000ul, &s.signPortBaud); }},
}};

// Setting options without a value.
constexpr std::array<std::pair<std::string_view, void (*)(ControllerSettings&)>, 2> kSettingFlags{{
    {"--no-compression", [](ControllerSettings& s) { s.compression = false; }},
    {"--dst", [](ControllerSettings& s) { s.daylightSaving = true; }},
}};

template <typename Table>
auto FindOption(const Table& table, const std::string& name)
{
    return std::find_if(table.begin(), table.end(), [&](const auto& entry) { return entry.first == name; });
}

bool HasAddress(const PortConfig& port, unsigned char address)
{
    for (const ControllerConfig& c : port.controllers) {
        if (c.address == address)
            return true;
    }
    return false;
}

class Parser {
public:
    Parser(const std::vector<std::string>& args, SimOptions* options, std::string* error)
        : m_args(args), m_options(options), m_error(error)
    {
    }

    bool Run()
    {
        for (m_next = 0; m_next < m_args.size();) {
            if (!Option(m_args[m_next++]))
                return false;
            if (m_options->help)
                return true;
        }
        return Finish();
    }

private:
    bool Option(const std::string& name)
    {
        if (name == "--help" || name == "-h") {
            m_options->help = true;
            return true;
        }
        std::string value;
        if (name == "--port-dir")
            return Value(name, &value) && Set(&m_options->portDir, value);
        if (name == "--port")
            return Value(name, &value) && NewPort(value);
        if (name == "--replay")
            return Value(name, &value) && (!value.empty() || Fail("--replay needs a file"))
                && Set(&m_options->replayFile, value);
        if (name == "--rate" || name == "--adapter-latency" || name == "--addr" || name == "--fault")
            return Value(name, &value) && CurrentPort(name) && PortValue(name, value);
        if (name == "--line-time" || name == "--loopback") {
            if (!CurrentPort(name))
                return false;
            (name == "--line-time" ? Port().lineTime : Port().loopback) = true;
            return true;
        }
        if (name == "--status")
            return Value(name, &value) && CurrentPort(name) && StatusValue(value);
        if (const auto setting = FindOption(kSettingOptions, name); setting != kSettingOptions.end()) {
            return Value(name, &value) && CurrentControllers(name)
                && (ForControllers([&](ControllerSettings& s) { return setting->second(value, s); })
                    || Fail("bad value '" + value + "' for " + name));
        }
        if (const ControllerOption* option = FindControllerOption(name)) {
            if (option->takesValue && !Value(name, &value))
                return false;
            return CurrentControllers(name)
                && (ForConfigs([&](ControllerConfig& c) { return option->apply(value, c); })
                    || Fail("bad value '" + value + "' for " + name));
        }
        if (const auto flag = FindOption(kSettingFlags, name); flag != kSettingFlags.end()) {
            return CurrentControllers(name) && ForControllers([&](ControllerSettings& s) {
                       flag->second(s);
                       return true;
                   });
        }
        return Fail("unknown option '" + name + "'");
    }

    bool StatusValue(const std::string& value)
    {
        PortStatus status;
        if (!ParseStatus(value, Port().comNumber, &status))
            return Fail("bad status '" + value + "' (ADDR:B<code>|X<code>:STATUS[:COUNT[:BLOCK]])");
        m_options->statuses.push_back(status);
        return true;
    }

    // The controllers listed by the last --addr of the current port.
    bool CurrentControllers(const std::string& name)
    {
        return (!m_options->ports.empty() && m_addrStart) || Fail(name + " must follow an --addr");
    }

    template <typename Setter>
    bool ForConfigs(const Setter& set)
    {
        auto& controllers = Port().controllers;
        for (std::size_t i = *m_addrStart; i < controllers.size(); ++i) {
            if (!set(controllers[i]))
                return false;
        }
        return true;
    }

    template <typename Setter>
    bool ForControllers(const Setter& set)
    {
        return ForConfigs([&](ControllerConfig& c) { return set(c.settings); });
    }

    bool PortValue(const std::string& name, const std::string& value)
    {
        if (name == "--rate")
            return ParseNumber<unsigned long>(value, 1, 4000000, &Port().baud) || Fail("bad rate '" + value + "'");
        if (name == "--adapter-latency") {
            return ParseNumber<unsigned>(value, 0, kMaxAdapterLatencyMs, &Port().adapterLatencyMs)
                || Fail("bad adapter latency '" + value + "' (0..255 ms)");
        }
        if (name == "--addr") {
            m_addrStart = Port().controllers.size();
            for (std::string_view item : Split(value, ',')) {
                ControllerConfig controller;
                if (!ParseController(item, &controller))
                    return Fail("bad address '" + std::string(item) + "' (1..240, optionally @BAUD)");
                Port().controllers.push_back(controller);
            }
            return true;
        }
        PortFault fault;
        if (!ParseFault(value, Port().comNumber, &fault))
            return Fail("bad fault '" + value + "' (ADDR:KIND[:COUNT[:PARAM]])");
        m_options->faults.push_back(fault);
        return true;
    }

    bool NewPort(const std::string& value)
    {
        PortConfig port;
        if (!ParseNumber(value, 1, 255, &port.comNumber))
            return Fail("bad COM number '" + value + "' (1..255)");
        for (const PortConfig& other : m_options->ports) {
            if (other.comNumber == port.comNumber)
                return Fail("COM" + value + " given twice");
        }
        m_options->ports.push_back(port);
        m_addrStart.reset();
        return true;
    }

    bool Finish()
    {
        if (!m_options->replayFile.empty()) {
            if (!m_options->ports.empty())
                return Fail("--replay takes its ports from the record: no --port with it");
            return !m_options->portDir.empty() || Fail("no port directory: give --port-dir or set QVX_PORT_DIR");
        }
        if (m_options->ports.empty())
            return Fail("no --port given");
        for (const PortConfig& port : m_options->ports) {
            if (port.controllers.empty() && !port.loopback)
                return Fail("COM" + std::to_string(port.comNumber) + " has no --addr");
        }
        for (const PortFault& fault : m_options->faults) {
            if (!HasAddress(PortOf(fault.comNumber), fault.address))
                return Fail("fault for address " + std::to_string(fault.address) + ", which is not on COM"
                            + std::to_string(fault.comNumber));
        }
        for (const PortStatus& status : m_options->statuses) {
            if (!HasAddress(PortOf(status.comNumber), status.address))
                return Fail("status for address " + std::to_string(status.address) + ", which is not on COM"
                            + std::to_string(status.comNumber));
        }
        if (m_options->portDir.empty())
            return Fail("no port directory: give --port-dir or set QVX_PORT_DIR");
        return true;
    }

    bool Value(const std::string& name, std::string* value)
    {
        if (m_next >= m_args.size())
            return Fail(name + " needs a value");
        *value = m_args[m_next++];
        return true;
    }

    bool CurrentPort(const std::string& name)
    {
        return !m_options->ports.empty() || Fail(name + " must follow a --port");
    }

    static bool Set(std::string* target, const std::string& value)
    {
        *target = value;
        return true;
    }

    PortConfig& Port() { return m_options->ports.back(); }

    const PortConfig& PortOf(int comNumber) const
    {
        for (const PortConfig& port : m_options->ports) {
            if (port.comNumber == comNumber)
                return port;
        }
        return m_options->ports.front(); // unreachable: faults are only taken for a listed port
    }

    bool Fail(const std::string& message)
    {
        *m_error = message;
        return false;
    }

    const std::vector<std::string>& m_args;
    SimOptions* m_options;
    std::string* m_error;
    std::size_t m_next = 0;
    std::optional<std::size_t> m_addrStart; // first controller of the current port's last --addr
};

std::string_view ProtocolName(Protocol protocol)
{
    for (const auto& [name, value] : kProtocolNames) {
        if (value == protocol)
            return name;
    }
    return {};
}

} // namespace

bool ParseSimOptions(const std::vector<std::string>& args, const char* envPortDir, SimOptions* options,
                     std::string* error)
{
    *options = SimOptions{};
    if (envPortDir != nullptr)
        options->portDir = envPortDir;
    return Parser(args, options, error).Run();
}

std::string SimUsage()
{
    return "Usage: qvx-signsim [--port-dir DIR] PORT [PORT ...]\n"
           "       qvx-signsim [--port-dir DIR] --replay FILE\n"
           "\n"
           "Stand-in sign controllers on pseudo-terminals, published as DIR/COM<n>.\n"
           "\n"
           "  --replay FILE   answer from a session record (qvxfirminstaller -record FILE) instead:\n"
           "                  every COM port it names, each request with the reply recorded for it, in\n"
           "                  the recorded order, matched by its exact bytes (a clock word the tool stamps\n"
           "                  into a request may be later) and as late as then (scaled by\n"
           "                  QVX_TIME_SCALE). A request that is not the next recorded one is not\n"
           "                  answered and a line says so; another says when a port's requests are all\n"
           "                  played. Exit status 2 for a record line that cannot be read\n"
           "  PORT  := --port N [--rate BAUD] [--line-time] [--adapter-latency MS] [--loopback] [CONTROLLERS]...\n"
           "           [--fault FAULT]... [--status STATUS]...; options after --port N apply to COM<N> (N = 1..255)\n"
           "  CONTROLLERS := --addr LIST [SETTING]...; settings apply to the controllers of that list\n"
           "  --port-dir DIR  where the COM<n> links go (default: $QVX_PORT_DIR; one of them is required)\n"
           "  --rate BAUD     the port's line rate (default 115200)\n"
           "  --addr LIST     controllers on the line: ADDR[@BAUD][,ADDR[@BAUD]]...; ADDR = 1..240,\n"
           "                  BAUD = that controller's own rate (default: the port's); may be repeated.\n"
           "                  A host within 2.5 % of a controller's rate reaches it, as on a real UART\n"
           "                  (56700 reaches 57600; 19200 does not reach 115200)\n"
           "  --line-time     delay each reply by the wire time of request + reply (10 bits per byte)\n"
           "  --adapter-latency MS\n"
           "                  a USB-serial adapter's latency timer, 0..255 ms (default 0): full 62-byte\n"
           "                  packets of a reply go at once, the rest MS later (not scaled by\n"
           "                  QVX_TIME_SCALE)\n"
           "  --loopback      loop-back plug: echo every byte, no controller answers (--addr optional)\n"
           "  --fault FAULT   ADDR:KIND[:COUNT[:PARAM]] for a controller on this port;\n"
           "                  COUNT = replies affected, -1 = all (default -1); PARAM default 0\n"
           "                  KIND: noise (PARAM = noise bytes before the reply), bad-header-checksum,\n"
           "                  bad-data-checksum, drop-reply, wrong-address (PARAM = address sent),\n"
           "                  delay (PARAM = milliseconds), bad-command, unsupported,\n"
           "                  get-overrun (COUNT = gets affected; they announce PARAM (at least 1) blocks\n"
           "                  too many and fill every block reply past the data's end with 0xEE)\n"
           "  --status STATUS ADDR:CMD:STATUS[:COUNT[:BLOCK]]: the reply to command CMD carries STATUS\n"
           "                  (1..255) and the command is not carried out; CMD = B<code> (basic) or\n"
           "                  X<code> (after 0x80), decimal; COUNT default 1, -1 = all; BLOCK = only that\n"
           "                  block of a transfer (B3, B4, X5, X6)\n"
           "\n"
           "Controller settings (after --addr):\n"
           "  --protocol P          s2200 (default), pellworth (answers 0x10 0x02 frames until switched)\n"
           "                        or hitech (answers the sign-type query only)\n"
           "  --sign-type TEXT      sign-type text, at most 16 characters (default: the firmware version;\n"
           "                        HITECH: HT3100-2.04)\n"
           "  --sign-type-reply N   bytes in the sign-type reply, 1..86 (default 86; below 37 cuts the text)\n"
           "  --no-compression      answer a compressed file send as unsupported\n"
           "  --display-type TYPE   default 32X80MONO64.CRV.M2 (.M3 types get the M3 CONFIG.XML layout)\n"
           "  --description TEXT    STATUS.XML ds (default: from the display type)\n"
           "  --module TEXT         CONFIG.XML mid (default FX40529.RBF-004)\n"
           "  --firmware TEXT       STATUS.XML vr (default FX40211-1.02.11)\n"
           "  --temp C              temperature, -60..150 (default 31)\n"
           "  --memory BYTES        total memory (default 33554432)\n"
           "  --free-memory BYTES   free memory before any file is stored (default 29360128)\n"
           "  --clock SECONDS       clock since 1970, stopped there; 0 = the machine's clock (default)\n"
           "  --zone MINUTES        time zone, -720..840 (default -360)\n"
           "  --dst                 daylight-saving time in force\n"
           "  --ip A.B.C.D, --subnet-mask A.B.C.D  (defaults 192.168.100.20, 255.255.0.0)\n"
           "  --sign-port-protocol P, --sign-port-baud BAUD\n"
           "                        the first DIRECT port of CONFIG.XML (defaults: HTCH for .M2 types,\n"
           "                        S22 for .M3 types; 115200)\n"
           "\n"
         + ControllerOptionsUsage()
         + "\n"
           "  -h, --help            this text\n"
           "\n"
           "Prints one line per port, 'COM<n> -> <device> (<rate> baud, addresses <list>)', then serves\n"
           "until SIGINT, SIGTERM or SIGHUP, and removes its links. A COM port is published by one stand-in\n"
           "controller at a time (the claim is the lock file DIR/.COM<n>.lock); a link left by one that\n"
           "was killed is replaced. Exit status: 0 after a signal, 1 if a port cannot be set up (also\n"
           "when another stand-in controller already publishes it), 2 for bad arguments.\n"
           "\n"
           "Example: qvx-signsim --port-dir /tmp/ports --port 3 --rate 19200 --addr 1,2 --fault 2:drop-reply:1\n"
           "         --port 4 --addr 5 --protocol pellworth --sign-type FX40211-1.02.11 --status 5:X2:2\n";
}

std::string DescribePort(const PortConfig& port, const std::string& slavePath)
{
    std::ostringstream list;
    for (const ControllerConfig& c : port.controllers) {
        if (list.tellp() > 0)
            list << ',';
        list << static_cast<unsigned>(c.address);
        if (c.baud != 0)
            list << '@' << c.baud;
        if (c.settings.protocol != Protocol::S2200)
            list << '/' << ProtocolName(c.settings.protocol);
    }
    std::ostringstream line;
    line << "COM" << port.comNumber << " -> " << slavePath << " (" << port.baud << " baud, addresses "
         << (port.controllers.empty() ? std::string("none") : list.str()) << ")";
    return line.str();
}

} // namespace qvxsim
