#include "files/ControllerStatus.h"

#include "files/DecimalText.h"
#include "files/XmlDoc.h"

#include <climits>

long long ControllerTime::LocalSeconds() const
{
    // zn and dsta are ints, so the offset fits easily; only the seconds can take the sum out of range.
    const long long offset = 60LL * (nZoneMinutes + 60LL * nDstHours);
    if (offset > 0 && nSeconds > LLONG_MAX - offset)
        return LLONG_MAX;
    if (offset < 0 && nSeconds < LLONG_MIN - offset)
        return LLONG_MIN;
    return nSeconds + offset;
}

std::string ReadStatusFirmwareVersion(CXmlDoc& doc)
{
    doc.ResetPosition();
    std::string version = doc.FindElement(StatusXml::kRoot) ? doc.GetAttribute(StatusXml::kFirmwareVersion)
                                                            : std::string();
    doc.ResetPosition();
    return version;
}

ControllerTime ReadStatusTime(CXmlDoc& doc)
{
    ControllerTime time;
    doc.ResetPosition();
    if (doc.FindElement(StatusXml::kRoot) && doc.IntoElement() && doc.FindElement(StatusXml::kTime)) {
        time.nSeconds = DecimalValue(doc.GetAttribute(StatusXml::kSeconds));
        time.nZoneMinutes = DecimalIntValue(doc.GetAttribute(StatusXml::kZone));
        time.nDstHours = DecimalIntValue(doc.GetAttribute(StatusXml::kDstAdjust));
    }
    doc.ResetPosition();
    return time;
}
