#include "sim/SimOptions.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <sstream>
#include <string_view>
#include <utility>

namespace qvxsim {

namespace {

constexpr std::array<std::pair<std::string_view, FaultKind>, 8> kFaultNames{{
    {"noise", FaultKind::Noise},
    {"bad-header-checksum", FaultKind::BadHeaderChecksum},
    {"bad-data-checksum", FaultKind::BadDataChecksum},
    {"drop-reply", FaultKind::DropReply},
    {"wrong-address", FaultKind::WrongAddress},
    {"delay", FaultKind::Delay},
    {"bad-command", FaultKind::BadCommand},
    {"unsupported", FaultKind::Unsupported},
}};

template <typename T>
bool ParseNumber(std::string_view text, T min, T max, T* value)
{
    T parsed{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (ec != std::errc() || end != text.data() + text.size() || parsed < min || parsed > max)
        return false;
    *value = parsed;
    return true;
}

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
        if (name == "--rate" || name == "--addr" || name == "--fault")
            return Value(name, &value) && CurrentPort(name) && PortValue(name, value);
        if (name == "--line-time" || name == "--loopback") {
            if (!CurrentPort(name))
                return false;
            (name == "--line-time" ? Port().lineTime : Port().loopback) = true;
            return true;
        }
        return Fail("unknown option '" + name + "'");
    }

    bool PortValue(const std::string& name, const std::string& value)
    {
        if (name == "--rate")
            return ParseNumber<unsigned long>(value, 1, 4000000, &Port().baud) || Fail("bad rate '" + value + "'");
        if (name == "--addr") {
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
        return true;
    }

    bool Finish()
    {
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
};

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
           "\n"
           "Stand-in sign controllers on pseudo-terminals, published as DIR/COM<n>.\n"
           "\n"
           "  PORT  := --port N [--rate BAUD] [--addr LIST]... [--line-time] [--loopback] [--fault FAULT]...\n"
           "           options after --port N apply to COM<N> (N = 1..255)\n"
           "  --port-dir DIR  where the COM<n> links go (default: $QVX_PORT_DIR; one of them is required)\n"
           "  --rate BAUD     the port's line rate (default 115200)\n"
           "  --addr LIST     controllers on the line: ADDR[@BAUD][,ADDR[@BAUD]]...; ADDR = 1..240,\n"
           "                  BAUD = that controller's own rate (default: the port's); may be repeated\n"
           "  --line-time     delay each reply by the wire time of request + reply (10 bits per byte)\n"
           "  --loopback      loop-back plug: echo every byte, no controller answers (--addr optional)\n"
           "  --fault FAULT   ADDR:KIND[:COUNT[:PARAM]] for a controller on this port;\n"
           "                  COUNT = replies affected, -1 = all (default -1); PARAM default 0\n"
           "                  KIND: noise (PARAM = noise bytes before the reply), bad-header-checksum,\n"
           "                  bad-data-checksum, drop-reply, wrong-address (PARAM = address sent),\n"
           "                  delay (PARAM = milliseconds), bad-command, unsupported\n"
           "  -h, --help      this text\n"
           "\n"
           "Prints one line per port, 'COM<n> -> <device> (<rate> baud, addresses <list>)', then serves\n"
           "until SIGINT or SIGTERM. Exit status: 0 after a signal, 1 if a port cannot be set up,\n"
           "2 for bad arguments.\n"
           "\n"
           "Example: qvx-signsim --port-dir /tmp/ports --port 3 --rate 19200 --addr 1,2 --fault 2:drop-reply:1\n";
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
    }
    std::ostringstream line;
    line << "COM" << port.comNumber << " -> " << slavePath << " (" << port.baud << " baud, addresses "
         << (port.controllers.empty() ? std::string("none") : list.str()) << ")";
    return line.str();
}

} // namespace qvxsim
