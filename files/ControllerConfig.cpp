#include "files/ControllerConfig.h"

#include "files/DecimalText.h"
#include "files/XmlDoc.h"

namespace {

// Resets the position, finds the root (of any name, or of `szRoot`) and steps into it.
bool EnterRoot(CXmlDoc& doc, const char* szRoot = nullptr)
{
    doc.ResetPosition();
    return doc.FindElement(szRoot) && doc.IntoElement();
}

} // namespace

bool IsSignPortProtocol(std::string_view protocol)
{
    return protocol == ConfigXml::kProtocolHitech || protocol == ConfigXml::kProtocolS22;
}

bool ContinueConfigSignPortSearch(CXmlDoc& doc, ConfigSignPort& port)
{
    while (doc.FindElement(ConfigXml::kPort)) {
        if (doc.GetAttribute(ConfigXml::kPortType) != ConfigXml::kPortDirect)
            continue;
        std::string protocol = doc.GetAttribute(ConfigXml::kProtocol);
        if (!IsSignPortProtocol(protocol))
            continue;
        port.strProtocol = std::move(protocol);
        port.strBaud = doc.GetAttribute(ConfigXml::kBaud);
        return true;
    }
    return false;
}

bool FindConfigSignPort(CXmlDoc& doc, ConfigSignPort& port)
{
    bool found = false;
    if (EnterRoot(doc)) {
        // When ADDR is found the PORT search goes on from it; otherwise it starts at the first child.
        doc.FindElement(ConfigXml::kAddr);
        found = ContinueConfigSignPortSearch(doc, port);
    }
    doc.ResetPosition();
    return found;
}

std::string ReadConfigRootAttribute(CXmlDoc& doc, const char* szAttribute)
{
    doc.ResetPosition();
    std::string value = doc.FindElement(nullptr) ? doc.GetAttribute(szAttribute) : std::string();
    doc.ResetPosition();
    return value;
}

std::string ReadConfigChildAttribute(CXmlDoc& doc, const char* szElement, const char* szAttribute)
{
    std::string value;
    if (EnterRoot(doc) && doc.FindElement(szElement))
        value = doc.GetAttribute(szAttribute);
    doc.ResetPosition();
    return value;
}

std::string ReadConfigDisplayType(CXmlDoc& doc)
{
    return ReadConfigRootAttribute(doc, ConfigXml::kDisplayType);
}

int ReadConfigTimeZone(CXmlDoc& doc)
{
    std::string zone;
    if (EnterRoot(doc, ConfigXml::kRoot) && doc.FindElement(ConfigXml::kTime))
        zone = doc.GetAttribute(ConfigXml::kZone);
    doc.ResetPosition();
    return DecimalIntValue(zone);
}
