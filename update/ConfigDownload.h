#pragma once
// The configuration download: the display types of the connected display's firmware line, their
// CONFIG.XML templates with the chosen time zone, the checks against the recommended settings and
// the download with the controller's reset. Reports go through the core's message store, questions
// and boxes through its view. The checks compare with the core's configuration summary, which
// ShowDisplayInfo fills after a connection; no exchange with the display is needed for them.

#include "connection/InstallerView.h"
#include "update/DisplayTypes.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

class CInstallerCore;

// One text of the configuration summary in which a display differs from a recommended
// configuration: the field as the configuration list names it, and both values.
struct ConfigDifference {
    std::string strField;
    std::string strDisplay;
    std::string strRecommended;

    bool operator==(const ConfigDifference&) const = default;
};

class CConfigDownloader {
public:
    explicit CConfigDownloader(CInstallerCore& core);

    // Empties and fills both maps for the core's current firmware line (known once a display is
    // connected: run it after every connection).
    void BuildDisplayTypeTable();
    const ConfigInfoMap& Configs() const { return m_configs; }
    const ConfigFilterMap& Filters() const { return m_filters; }

    // The lists the views show (item data: the key). The configuration page offers every filter,
    // the download dialog "All", "Gen 1" and "Gen 2"; both select the first filter.
    std::vector<ConfigListItem> PageFilterList() const;
    std::vector<ConfigListItem> DialogFilterList() const;
    std::vector<ConfigListItem> TypeList(int filterKey) const;
    // The index the configuration page selects in a type list: the display's own type when the list
    // has it, otherwise none (the first entry is another display's configuration).
    std::optional<std::size_t> PageTypeSelection(const std::vector<ConfigListItem>& types) const;
    // The download dialog's lists; they start on the display's own type and zone.
    ConfigurationLists DialogLists() const;

    // The display's own type: the one entry of the table whose template has the display's type
    // (where several have it, the one that also has its module type). -1 when none has it, or when
    // that still leaves more than one.
    int DisplayTypeKey() const;
    // The display's own zone, from its configuration summary: zn in minutes (missing, empty or not
    // a number: 0), named by the list's name with that offset, else by OwnTimeZoneName.
    int DisplayTimeZoneMinutes() const;
    std::string DisplayTimeZone() const;
    // The zones both views offer: the table's names, with the display's own zone in its place by
    // offset when no name has its offset.
    std::vector<std::string> TimeZoneList() const;
    // After a connection: the tables of the display's firmware line, and the display's own zone as
    // the current one, so that nothing chosen for an earlier display stays.
    void UseConnectedDisplay();

    // The template's text; empty for a key without an entry.
    std::string GetConfigTemplate(int key) const;
    // Whether the key's template is for the connected display's type (its first "type" value
    // equals the summary's display type exactly).
    bool IsCurrentDisplayType(int key) const;
    // Puts zn="<minutes of name>" in place of the first zn="..." of text. The display's own zone
    // gives its minutes; another name the table does not know (the empty name too) is added with 0.
    // Without zn and two quotes after it, text stays.
    void SetTemplateTimeZone(const std::string& name, std::string& text);

    // The time zone the last choice named; empty until one is chosen, the display's own after a
    // connection. A view sets it whenever the selection of the configuration page's time-zone list
    // changes; the full check compares with it.
    const std::string& CurrentTimeZone() const { return m_strTimeZone; }
    void SetCurrentTimeZone(const std::string& name) { m_strTimeZone = name; }

    // The quick check: baud, subnet mask, sign protocol and address of the connected display's
    // summary against the recommended values, in that order.
    bool IsRecommendedConfiguration() const;
    // After an operator's connect and the firmware question: when the link is open and the quick
    // check fails, offers the download. True when a configuration was downloaded.
    bool CheckRecommendedConfiguration(int address);
    // Asks, runs the download dialog and downloads its choice with its time zone (which becomes the
    // current one). True when a configuration was downloaded.
    bool AskAndDownloadConfiguration(int address);
    // The full check: true when the key's template (with the current time zone) differs from the
    // display's summary in any of its seven texts. A template that does not parse is not different.
    bool CompareWithRecommendedConfiguration(int key);
    // The same comparison, field by field in its order (baud, module type, IP address, protocol,
    // display type, time zone, subnet mask): the ones that differ. Empty when none does, and for a
    // key without an entry or a template that does not parse.
    std::vector<ConfigDifference> ConfigDifferences(int key);
    // The configuration page's check: compares with the current time zone; says when it matches,
    // otherwise asks and on yes downloads with pageTimeZone, the name the page's list shows. True
    // when a configuration was downloaded.
    bool CheckConfiguration(int key, int address, const std::string& pageTimeZone);
    // Sends the key's template with the time zone as CONFIG.XML and resets the display; on success
    // the connection is closed. Interactive: behind the progress window, then the controls are
    // disabled and a box says so. Unattended (the command line): inline, holding the link, with
    // neither. True when the configuration was downloaded; false, with nothing sent, for a key
    // without an entry.
    bool DownloadConfiguration(int key, int address, const std::string& timeZone);

private:
    bool DownloadWork(const std::string& text, int address);
    int TimeZoneMinutes(const std::string& name);

    CInstallerCore& m_core;
    ConfigInfoMap m_configs;
    ConfigFilterMap m_filters;
    std::map<std::string, int> m_timeZones;
    std::string m_strTimeZone;
};
