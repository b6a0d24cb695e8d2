#pragma once
// What the tool shows of a connected display: the summary it keeps of CONFIG.XML and the rows of
// the configuration and status lists, made from the two fetched documents.

#include <string>
#include <vector>

class CXmlDoc;
class CS22Server_SignType;

// The seven texts the tool takes from a fetched CONFIG.XML.
struct ConfigSummary {
    std::string strBaud;
    std::string strIpAddress;
    std::string strDisplayType;
    std::string strProtocol;
    std::string strModuleType;
    std::string strSubnetMask;
    std::string strTimeZone;
};

// One row of an information list: tag and value.
struct InfoRow {
    std::string strTag;
    std::string strValue;

    bool operator==(const InfoRow&) const = default;
};

// Fills the summary from a configuration document. Protocol and baud are the sign port's
// (FindConfigSignPort): without one the protocol is empty and the baud keeps its earlier value.
void ReadConfigSummary(CXmlDoc& config, ConfigSummary& summary);

// The configuration list: row 0 is the heading ("Configuration Tag", "Attribute"). Sets signType
// from CFG's "type" and refreshes summary first.
std::vector<InfoRow> BuildConfigRows(CXmlDoc& config, ConfigSummary& summary, CS22Server_SignType& signType);

// The status list: row 0 is the heading ("Status Tag", "Attribute").
std::vector<InfoRow> BuildStatusRows(CXmlDoc& status);

// "vr" of STATUS; empty when absent.
std::string GetFirmwareVersion(CXmlDoc& status);

// Seconds since 1970-01-01 00:00 as text: kind 1 the time, kind 2 the date, kind 0 both (date first);
// any other kind gives an empty text. Seconds are held to 1970-01-01 00:00:00 .. 9999-12-31 23:59:59.
std::string FormatTime(long long seconds, int kind);
