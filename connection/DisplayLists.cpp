#include "connection/DisplayLists.h"

#include "files/ControllerConfig.h"
#include "files/ControllerStatus.h"
#include "files/DecimalText.h"
#include "files/XmlDoc.h"
#include "link/S22ServerSignType.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>

namespace {

// The degree sign of the Windows-1252 code page, the single byte the lists use.
constexpr char kDegree[] = "\xB0";

// ---- Configuration ------------------------------------------------------------------------------

// Resets the position, finds CFG and steps into it.
bool EnterConfigRoot(CXmlDoc& config)
{
    config.ResetPosition();
    return config.FindElement(ConfigXml::kRoot) && config.IntoElement();
}

// Leaves the position on the first child of CFG named `szElement` (a fresh search).
bool FindConfigChild(CXmlDoc& config, const char* szElement)
{
    return EnterConfigRoot(config) && config.FindElement(szElement);
}

// The sign port is found by the same rule everywhere (the first DIRECT port after ADDR speaking
// HTCH or S22), so the configuration check compares what this list shows. Without one the protocol
// is empty and the baud stays as it was.
void ReadSignPort(CXmlDoc& config, ConfigSummary& summary)
{
    ConfigSignPort port;
    if (FindConfigSignPort(config, port)) {
        summary.strProtocol = std::move(port.strProtocol);
        summary.strBaud = std::move(port.strBaud);
    } else {
        summary.strProtocol.clear();
    }
}

std::string ReadSoftwareAddress(CXmlDoc& config)
{
    std::string address;
    if (FindConfigChild(config, ConfigXml::kAddr))
        address = config.GetAttribute(ConfigXml::kSoftwareAddress);
    config.ResetPosition();
    return address.empty() ? "Empty Field" : address;
}

// The dialog's sign type comes from this configuration alone: a type that cannot be parsed must not
// leave the previous display's size and colours behind.
std::string DescribeSignType(const std::string& type, CS22Server_SignType& signType)
{
    signType = CS22Server_SignType();
    signType.SetFromFileName(type);
    return signType.GetDescription();
}

// ---- Status -------------------------------------------------------------------------------------

struct StatusTexts {
    std::string description;
    std::string message;
    std::string schedule;
    std::string temperature;
    std::string memory;
    std::string freeMemory;
    std::string dimLevel;
    std::string dimMode;
    std::string version;
};

StatusTexts ReadStatusTexts(CXmlDoc& status)
{
    StatusTexts texts;
    status.ResetPosition();
    if (status.FindElement(StatusXml::kRoot)) {
        texts.description = status.GetAttribute(StatusXml::kDescription);
        texts.message = status.GetAttribute(StatusXml::kMessage);
        texts.schedule = status.GetAttribute(StatusXml::kSchedule);
        texts.temperature = status.GetAttribute(StatusXml::kTemperature);
        texts.memory = status.GetAttribute(StatusXml::kMemory);
        texts.freeMemory = status.GetAttribute(StatusXml::kFreeMemory);
        texts.dimLevel = status.GetAttribute(StatusXml::kDimLevel);
        texts.dimMode = status.GetAttribute(StatusXml::kDimMode);
        texts.version = status.GetAttribute(StatusXml::kFirmwareVersion);
    }
    status.ResetPosition();
    return texts;
}

std::string OneDecimal(double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.1f", value);
    return buffer;
}

// Fahrenheit cut toward zero, worked in integers so no rounding creeps in: (9c + 160) / 5.
std::string TemperatureText(const std::string& celsiusText)
{
    const long long celsius = DecimalIntValue(celsiusText);
    const long long fahrenheit = (celsius * 9 + 160) / 5;
    return std::to_string(fahrenheit) + " F" + kDegree + " / " + celsiusText + " C" + kDegree;
}

std::string FreeMemoryText(const std::string& freeText, const std::string& totalText)
{
    const long long freeBytes = DecimalValue(freeText);
    std::string text;
    if (freeBytes >= 1000000)
        text = OneDecimal(static_cast<double>(freeBytes) / 1000000) + "MB of ";
    else if (freeBytes >= 1000)
        text = OneDecimal(static_cast<double>(freeBytes) / 1000) + "KB of ";
    else
        text = OneDecimal(static_cast<double>(freeBytes)) + " bytes of ";
    return text + OneDecimal(static_cast<double>(DecimalValue(totalText)) / 1000000) + "MB";
}

std::string BrightnessText(const std::string& mode, const std::string& level)
{
    if (mode == StatusXml::kDimAutomatic)
        return "Automatic [" + level + "] | 100";
    if (mode == StatusXml::kDimManual)
        return "Manual [" + level + "] | 100";
    return level;
}

// ---- Calendar -----------------------------------------------------------------------------------

constexpr long long kSecondsPerDay = 86400;
// 9999-12-31 23:59:59, the last second the two-digit year and the counting loop are meant for.
constexpr long long kLatestSeconds = 253402300799LL;

struct CalendarDate {
    long long year = 1970;
    int month = 1;
    long long day = 1;
};

bool IsLeapYear(long long year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

long long DaysInYear(long long year)
{
    return IsLeapYear(year) ? 366 : 365;
}

int DaysInMonth(long long year, int month)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// `dayNumber` counts from 1, day 1 being 1 January 1970.
CalendarDate DateOfDay(long long dayNumber)
{
    CalendarDate date;
    while (dayNumber > DaysInYear(date.year))
        dayNumber -= DaysInYear(date.year++);
    while (date.month < 12 && dayNumber > DaysInMonth(date.year, date.month))
        dayNumber -= DaysInMonth(date.year, date.month++);
    date.day = dayNumber;
    return date;
}

std::string TwoDigits(long long value)
{
    std::string text = std::to_string(value);
    if (value < 10)
        text.insert(text.begin(), '0');
    return text;
}

std::string DateText(long long seconds)
{
    const CalendarDate date = DateOfDay(seconds / kSecondsPerDay + 1);
    return std::to_string(date.month) + "/" + std::to_string(date.day) + "/" + TwoDigits(date.year % 100) + " ";
}

std::string ClockText(long long seconds)
{
    const long long ofDay = seconds % kSecondsPerDay;
    const long long hour = ofDay / 3600;
    const long long hour12 = hour % 12 == 0 ? 12 : hour % 12;
    return TwoDigits(hour12) + ":" + TwoDigits(ofDay / 60 % 60) + ":" + TwoDigits(ofDay % 60) + " " +
           (hour >= 12 ? "PM" : "AM");
}

} // namespace

void ReadConfigSummary(CXmlDoc& config, ConfigSummary& summary)
{
    config.ResetPosition();
    const bool hasRoot = config.FindElement(ConfigXml::kRoot);
    summary.strDisplayType = hasRoot ? config.GetAttribute(ConfigXml::kDisplayType) : std::string();
    summary.strModuleType = hasRoot ? config.GetAttribute(ConfigXml::kModuleType) : std::string();

    const bool hasTime = FindConfigChild(config, ConfigXml::kTime);
    summary.strTimeZone = hasTime ? config.GetAttribute(ConfigXml::kZone) : std::string();

    const bool hasAddr = FindConfigChild(config, ConfigXml::kAddr);
    summary.strIpAddress = hasAddr ? config.GetAttribute(ConfigXml::kIpAddress) : std::string();
    summary.strSubnetMask = hasAddr ? config.GetAttribute(ConfigXml::kSubnetMask) : std::string();

    ReadSignPort(config, summary);
    config.ResetPosition();
}

std::vector<InfoRow> BuildConfigRows(CXmlDoc& config, ConfigSummary& summary, CS22Server_SignType& signType)
{
    ReadConfigSummary(config, summary);
    return {
        {"Configuration Tag", "Attribute"},
        {"Display Type", DescribeSignType(summary.strDisplayType, signType)},
        {"Module Type", summary.strModuleType},
        {"Software Display Address", ReadSoftwareAddress(config)},
        {"Baud Rate", summary.strBaud},
        {"Protocol", summary.strProtocol},
        {"IP Address", summary.strIpAddress},
        {"Subnet Mask", summary.strSubnetMask},
    };
}

std::vector<InfoRow> BuildStatusRows(CXmlDoc& status)
{
    const StatusTexts texts = ReadStatusTexts(status);
    const long long localTime = ReadStatusTime(status).LocalSeconds();
    return {
        {"Status Tag", "Attribute"},
        {"Display Description", texts.description},
        {"Current Message", texts.message.empty() ? "No message is playing" : texts.message},
        {"Current Schedule", texts.schedule.empty() ? "No schedule is running" : texts.schedule},
        {"Time", FormatTime(localTime, 1)},
        {"Date", FormatTime(localTime, 2)},
        {"Temperature", TemperatureText(texts.temperature)},
        {"Free memory", FreeMemoryText(texts.freeMemory, texts.memory)},
        {"Brightness", BrightnessText(texts.dimMode, texts.dimLevel)},
        {"Firmware Version", texts.version},
    };
}

std::string GetFirmwareVersion(CXmlDoc& status)
{
    return ReadStatusFirmwareVersion(status);
}

std::string FormatTime(long long seconds, int kind)
{
    const long long clamped = std::clamp(seconds, 0LL, kLatestSeconds);
    switch (kind) {
    case 0:
        return DateText(clamped) + ClockText(clamped);
    case 1:
        return ClockText(clamped);
    case 2:
        return DateText(clamped);
    default:
        return {};
    }
}
