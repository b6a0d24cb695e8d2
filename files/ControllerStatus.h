#pragma once
// STATUS.XML: what the display is doing and which firmware it runs, and the controller's clock.

#include <string>

class CXmlDoc;

namespace StatusXml {
inline constexpr char kRoot[] = "STATUS";
inline constexpr char kTime[] = "TIME";

// STATUS attributes.
inline constexpr char kDescription[] = "ds";
inline constexpr char kMessage[] = "ms";        // empty when no message plays
inline constexpr char kSchedule[] = "sch";      // empty when no schedule runs
inline constexpr char kTemperature[] = "temp";  // degrees Celsius
inline constexpr char kMemory[] = "mem";        // total bytes
inline constexpr char kFreeMemory[] = "fmem";   // free bytes
inline constexpr char kDimLevel[] = "dim";
inline constexpr char kDimMode[] = "dm";
inline constexpr char kFirmwareVersion[] = "vr";
inline constexpr char kDimAutomatic[] = "1";
inline constexpr char kDimManual[] = "0";

// TIME attributes.
inline constexpr char kSeconds[] = "sec";       // seconds since 1970-01-01 00:00
inline constexpr char kZone[] = "zn";           // minutes
inline constexpr char kDstAdjust[] = "dsta";    // hours now in force (0 or 1)
} // namespace StatusXml

// The controller's clock as its TIME element gives it.
struct ControllerTime {
    long long nSeconds = 0;
    int nZoneMinutes = 0;
    int nDstHours = 0;

    // sec + 60 × (zn + 60 × dsta): seconds since 1970-01-01 00:00, controller local time.
    long long LocalSeconds() const;
};

// "vr" of the top-level STATUS element; empty when absent. Leaves the position reset.
std::string ReadStatusFirmwareVersion(CXmlDoc& doc);

// TIME under the top-level STATUS; missing values read as 0. Leaves the position reset.
ControllerTime ReadStatusTime(CXmlDoc& doc);
