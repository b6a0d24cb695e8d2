#pragma once
// CONFIG.XML: its vocabulary and the rules by which the tool finds values in it. The tool reads a
// fetched configuration or replaces it whole; it never edits one.

#include <string>
#include <string_view>

class CXmlDoc;

namespace ConfigXml {
// Elements.
inline constexpr char kRoot[] = "CFG";
inline constexpr char kTime[] = "TIME";
inline constexpr char kAddr[] = "ADDR";
inline constexpr char kPort[] = "PORT";

// Root attributes the tool reads.
inline constexpr char kDisplayType[] = "type"; // sign type file name, e.g. 32X80MONO256.CRV.M3
inline constexpr char kModuleType[] = "mid";
// TIME: zone offset in minutes from UTC.
inline constexpr char kZone[] = "zn";
// ADDR.
inline constexpr char kSoftwareAddress[] = "sw"; // left out when no address is set
inline constexpr char kIpAddress[] = "ip";
inline constexpr char kSubnetMask[] = "msk";
// PORT.
inline constexpr char kPortType[] = "type";
inline constexpr char kBaud[] = "baud";
inline constexpr char kPortNumber[] = "num";
inline constexpr char kProtocol[] = "protocol";

// PORT type values.
inline constexpr char kPortDirect[] = "DIRECT"; // a serial port a display or the tool is wired to
inline constexpr char kPortTcpIp[] = "TCPIP";
inline constexpr char kPortUdpIp[] = "UDPIP";
// PORT protocol values.
inline constexpr char kProtocolS22[] = "S22";
inline constexpr char kProtocolHitech[] = "HTCH";
inline constexpr char kProtocolRtd[] = "RTD";
} // namespace ConfigXml

// The port through which the tool talks to the display.
struct ConfigSignPort {
    std::string strProtocol;
    std::string strBaud;
};

// The protocols a sign port may speak (exact, case-sensitive).
bool IsSignPortProtocol(std::string_view protocol);

// The first PORT after ADDR (after none when there is no ADDR; a PORT before ADDR is not seen)
// of type exactly "DIRECT" with protocol exactly "HTCH" or "S22". Later matches are not looked at.
// False, and `port` untouched, when there is none. Leaves the position reset.
bool FindConfigSignPort(CXmlDoc& doc, ConfigSignPort& port);

// The same search for a caller already standing among the root's children: from the element after
// the current one (from the first child when there is no current element). Leaves the position on
// the sign port, or at the end of the level.
bool ContinueConfigSignPortSearch(CXmlDoc& doc, ConfigSignPort& port);

// An attribute of the root element, whatever its name. Leaves the position reset.
std::string ReadConfigRootAttribute(CXmlDoc& doc, const char* szAttribute);

// An attribute of the first child named `szElement` under the root, found by a fresh search.
// Leaves the position reset.
std::string ReadConfigChildAttribute(CXmlDoc& doc, const char* szElement, const char* szAttribute);

// The display type: the root's "type".
std::string ReadConfigDisplayType(CXmlDoc& doc);

// The time zone in minutes: "zn" of TIME under a root named CFG; 0 when missing, empty or not a
// number.
int ReadConfigTimeZone(CXmlDoc& doc);
