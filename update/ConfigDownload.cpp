#include "update/ConfigDownload.h"

#include "connection/DisplayLists.h"
#include "connection/InstallerCore.h"
#include "files/ControllerConfig.h"
#include "files/DecimalText.h"
#include "files/XmlDoc.h"
#include "res/Resources.h"
#include "update/ConfigDefaults.h"
#include "update/TimeZones.h"

#include <algorithm>
#include <utility>

namespace {

constexpr char kResourceType[] = "CFG";
constexpr char kConfigFile[] = "CONFIG.XML";
constexpr char kMismatch[] = "The display configuration does not match the recommended settings.\n"
                             "Do you want to update the display configuration?";
constexpr char kAborted[] = "Trasnmission aborted";

} // namespace

CConfigDownloader::CConfigDownloader(CInstallerCore& core) : m_core(core), m_timeZones(BuildTimeZoneTable())
{
    BuildDisplayTypeTable();
}

void CConfigDownloader::BuildDisplayTypeTable()
{
    ::BuildDisplayTypeTable(m_core.Session().IsFirmwareLine(), m_configs, m_filters);
}

// Lists.

std::vector<ConfigListItem> CConfigDownloader::PageFilterList() const
{
    return BuildFilterList(m_filters, ConfigListUse::ConfigurationPage);
}

std::vector<ConfigListItem> CConfigDownloader::DialogFilterList() const
{
    return BuildFilterList(m_filters, ConfigListUse::DownloadDialog);
}

std::vector<ConfigListItem> CConfigDownloader::TypeList(int filterKey) const
{
    return BuildTypeList(m_configs, m_filters, filterKey);
}

std::optional<std::size_t> CConfigDownloader::PageTypeSelection(const std::vector<ConfigListItem>& types) const
{
    const int own = DisplayTypeKey();
    for (std::size_t i = 0; i < types.size(); ++i) {
        if (types[i].first == own)
            return i;
    }
    return std::nullopt;
}

ConfigurationLists CConfigDownloader::DialogLists() const
{
    ConfigurationLists lists;
    lists.filters = DialogFilterList();
    lists.typesOf = [this](int filterKey) { return TypeList(filterKey); };
    lists.nDisplayKey = DisplayTypeKey();
    lists.timeZones = TimeZoneList();
    lists.initialTimeZone = DisplayTimeZone();
    return lists;
}

// The display's own type and zone.

int CConfigDownloader::DisplayTypeKey() const
{
    // Several types of the FX40211 line share a display type and differ in their modules.
    const ConfigSummary& display = m_core.Session().Summary();
    std::vector<int> sameType;
    std::vector<int> sameModules;
    for (const auto& [key, info] : m_configs) {
        CXmlDoc doc;
        if (!doc.SetDocument(GetConfigTemplate(key)) || ReadConfigDisplayType(doc) != display.strDisplayType)
            continue;
        sameType.push_back(key);
        if (ReadConfigRootAttribute(doc, ConfigXml::kModuleType) == display.strModuleType)
            sameModules.push_back(key);
    }
    if (sameType.size() == 1)
        return sameType.front();
    return sameModules.size() == 1 ? sameModules.front() : -1;
}

int CConfigDownloader::DisplayTimeZoneMinutes() const
{
    return DecimalIntValue(m_core.Session().Summary().strTimeZone);
}

std::string CConfigDownloader::DisplayTimeZone() const
{
    const int minutes = DisplayTimeZoneMinutes();
    std::string name = TimeZoneNameOf(minutes);
    return name.empty() ? OwnTimeZoneName(minutes) : name;
}

std::vector<std::string> CConfigDownloader::TimeZoneList() const
{
    std::vector<std::string> names = TimeZoneNames();
    const int minutes = DisplayTimeZoneMinutes();
    if (!TimeZoneNameOf(minutes).empty())
        return names;
    const auto later = std::find_if(names.begin(), names.end(), [&](const std::string& name) {
        return TimeZonePrefixMinutes(name).value_or(0) > minutes;
    });
    names.insert(later, OwnTimeZoneName(minutes));
    return names;
}

void CConfigDownloader::UseConnectedDisplay()
{
    BuildDisplayTypeTable();
    m_strTimeZone = DisplayTimeZone();
}

// Templates.

std::string CConfigDownloader::GetConfigTemplate(int key) const
{
    const auto config = m_configs.find(key);
    if (config == m_configs.end())
        return {};
    const auto bytes = qvxres::FindEmbeddedResource(kResourceType, static_cast<int>(config->second.nTemplateId));
    return std::string(bytes.begin(), bytes.end());
}

bool CConfigDownloader::IsCurrentDisplayType(int key) const
{
    CXmlDoc doc;
    if (!doc.SetDocument(GetConfigTemplate(key)))
        return false;
    return ReadConfigDisplayType(doc) == m_core.Session().Summary().strDisplayType;
}

void CConfigDownloader::SetTemplateTimeZone(const std::string& name, std::string& text)
{
    const int minutes = TimeZoneMinutes(name);
    const std::size_t zone = text.find(ConfigXml::kZone);
    if (zone == std::string::npos)
        return;
    const std::size_t open = text.find('"', zone);
    if (open == std::string::npos)
        return;
    const std::size_t close = text.find('"', open + 1);
    if (close == std::string::npos)
        return;
    text.replace(zone, close + 1 - zone, std::string(ConfigXml::kZone) + "=\"" + std::to_string(minutes) + "\"");
}

int CConfigDownloader::TimeZoneMinutes(const std::string& name)
{
    if (const auto zone = m_timeZones.find(name); zone != m_timeZones.end())
        return zone->second;
    if (name == DisplayTimeZone())
        return DisplayTimeZoneMinutes();
    m_timeZones.emplace(name, 0);
    return 0;
}

// Checks.

bool CConfigDownloader::IsRecommendedConfiguration() const
{
    const ConfigSummary& summary = m_core.Session().Summary();
    const char* protocol = m_core.Session().IsFirmwareLine() ? ConfigDefaults::kProtocolLine : ConfigDefaults::kProtocolMain;
    return summary.strBaud == ConfigDefaults::kBaud && summary.strSubnetMask == ConfigDefaults::kSubnetMask &&
           summary.strProtocol == protocol && summary.strIpAddress == ConfigDefaults::kIpAddress;
}

bool CConfigDownloader::CheckRecommendedConfiguration(int address)
{
    // A firmware install closes the link: its display is checked after the next connect.
    if (!m_core.Session().Link().IsOpen() || IsRecommendedConfiguration())
        return false;
    return AskAndDownloadConfiguration(address);
}

bool CConfigDownloader::AskAndDownloadConfiguration(int address)
{
    IInstallerView& view = m_core.View();
    if (!view.AskYesNo(kMismatch))
        return false;
    // The dialog offers the types of the line the display was just found on.
    BuildDisplayTypeTable();
    ConfigurationChoice choice;
    if (!view.ChooseConfiguration(DialogLists(), choice))
        return false;
    m_strTimeZone = choice.strTimeZone;
    return DownloadConfiguration(choice.nKey, address, m_strTimeZone);
}

bool CConfigDownloader::CompareWithRecommendedConfiguration(int key)
{
    return !ConfigDifferences(key).empty();
}

std::vector<ConfigDifference> CConfigDownloader::ConfigDifferences(int key)
{
    std::string text = GetConfigTemplate(key);
    SetTemplateTimeZone(m_strTimeZone, text);
    CXmlDoc doc;
    if (!doc.SetDocument(std::move(text)))
        return {};
    ConfigSummary recommended;
    ReadConfigSummary(doc, recommended);
    const ConfigSummary& display = m_core.Session().Summary();
    static constexpr struct {
        const char* szField;
        std::string ConfigSummary::*text;
    } kFields[] = {
        {"Baud Rate", &ConfigSummary::strBaud},         {"Module Type", &ConfigSummary::strModuleType},
        {"IP Address", &ConfigSummary::strIpAddress},   {"Protocol", &ConfigSummary::strProtocol},
        {"Display Type", &ConfigSummary::strDisplayType}, {"Time Zone", &ConfigSummary::strTimeZone},
        {"Subnet Mask", &ConfigSummary::strSubnetMask},
    };
    std::vector<ConfigDifference> differences;
    for (const auto& field : kFields) {
        if (display.*field.text != recommended.*field.text)
            differences.push_back({field.szField, display.*field.text, recommended.*field.text});
    }
    return differences;
}

bool CConfigDownloader::CheckConfiguration(int key, int address, const std::string& pageTimeZone)
{
    IInstallerView& view = m_core.View();
    if (!CompareWithRecommendedConfiguration(key)) {
        view.ShowMessageBox("The display configuration matches the recommended settings.");
        return false;
    }
    if (!view.AskYesNo(kMismatch))
        return false;
    return DownloadConfiguration(key, address, pageTimeZone);
}

// The download.

bool CConfigDownloader::DownloadConfiguration(int key, int address, const std::string& timeZone)
{
    std::string text = GetConfigTemplate(key);
    if (text.empty())
        return false;
    SetTemplateTimeZone(timeZone, text);
    bool downloaded = false;
    m_core.RunJob([&] { downloaded = DownloadWork(text, address); }, ProgressKind::Running);
    if (!downloaded)
        return false;
    // The controller restarts with the new settings: the old connection is of no use.
    if (m_core.Session().Disconnect() == S22NET_OK)
        m_core.AddStatusMessage("Sign is disconnected...");
    else
        m_core.AddStatusMessage("Could not disconnect from the COM Port!");
    if (m_core.Runner().InView()) {
        m_core.View().ShowMessageBox("The new configuration has been downloaded successfully and the connection will be "
                            "closed.\nWait until the boot sequence is complete before reconnecting.");
    }
    return true;
}

bool CConfigDownloader::DownloadWork(const std::string& text, int address)
{
    COperationProgress& progress = m_core.Runner().Progress();
    m_core.AddStatusMessage("Downloading sign configuration...");
    progress.Text("Downloading configuration to sign");
    // An abort between two steps (a signal to an unattended run) sends nothing.
    const bool sent = !m_core.IsCancelled() &&
                      m_core.SendFileToSign(address, kConfigFile, reinterpret_cast<const unsigned char*>(text.data()),
                                            static_cast<unsigned long>(text.size()), true);
    if (!sent) {
        if (m_core.IsCancelled())
            m_core.AddErrorMessage(302, kAborted);
        else
            m_core.AddErrorMessage(513, "Config file could not be downloaded");
        return false;
    }
    progress.AllowAbort(false);
    // Only a signal can cut this wait short now; then the display is not reset.
    if (!m_core.WaitUnlessCancelled(500)) {
        m_core.AddErrorMessage(302, kAborted);
        return false;
    }
    progress.Text("Reseting display");
    m_core.Session().Link().ResetDisplay(static_cast<unsigned char>(address), 1, 0, nullptr);
    m_core.WaitUnlessCancelled(200);
    m_core.AddStatusMessage("Configuration file has been downloaded and sign has been reset.");
    return true;
}
