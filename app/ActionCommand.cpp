#include "app/ActionCommand.h"

#include "app/ActionOptions.h"
#include "app/ExitStatus.h"
#include "app/InfoCommand.h"
#include "app/PellworthCmdLineInfo.h"
#include "connection/DisplayActions.h"
#include "connection/InstallerCore.h"
#include "update/AutoConnect.h"
#include "update/ConfigDownload.h"
#include "update/TimeZones.h"
#include "verify/VerificationTest.h"

#include <ctime>
#include <ostream>
#include <string>

namespace {

using Form = CPellworthCmdLineInfo::ActionForm;

const char* SwitchOf(Form form)
{
    switch (form) {
    case Form::StartPattern:
        return "startpattern";
    case Form::StopPattern:
        return "stoppattern";
    case Form::Reset:
        return "reset";
    case Form::CleanMemory:
        return "cleanmemory";
    case Form::SetTime:
        return "settime";
    case Form::CheckConfig:
        return "checkconfig";
    case Form::DownloadConfig:
        return "downloadconfig";
    case Form::RestoreFactory:
        return "restorefactory";
    default:
        return "";
    }
}

// What the switches ask for, read before the port is opened.
struct ActionRequest {
    Form form = Form::None;
    int com = 0;
    int address = 1;
    int pattern = 0;
    std::string typeText;    // -type as written; resolved once the display's firmware line is known
    std::string timeZone;    // a name of the list; empty: the display's own
    long long holdMinutes = 15;
};

bool ReadRequest(const CPellworthCmdLineInfo& cmdInfo, Form form, ActionRequest& request, std::ostream& err)
{
    const CPellworthCmdLineInfo::Options& options = cmdInfo.GetOptions();
    request.form = form;
    const std::string target = options.strActionTarget;
    if (!ParseComTarget(target, request.com, request.address) || request.com > 255) {
        err << "qvxfirminstaller: -" << SwitchOf(form) << " \"" << target
            << "\" is not a port, use COM<n>[:<address>].\n";
        return false;
    }
    if (form == Form::StartPattern && !ReadTestPattern(options.strPattern, request.pattern, err))
        return false;
    // The two forms that delete what the display shows go ahead only when the line says so.
    if (form == Form::CleanMemory && !options.bYes) {
        err << "qvxfirminstaller: -cleanmemory deletes the display's messages, schedules and fonts and restarts "
               "it; add -yes to confirm.\n";
        return false;
    }
    if (form == Form::RestoreFactory && !options.bYes) {
        err << "qvxfirminstaller: -restorefactory deletes the display's messages, schedules and fonts and puts "
               "its factory messages back; add -yes to confirm.\n";
        return false;
    }
    const bool config = form == Form::CheckConfig || form == Form::DownloadConfig;
    if (form == Form::DownloadConfig && options.strConfigType.empty()) {
        err << "qvxfirminstaller: -downloadconfig needs the display type to configure: -type <number or name> "
               "(-checkconfig lists the types of a display's firmware line).\n";
        return false;
    }
    request.typeText = options.strConfigType;
    if (config && !request.typeText.empty() && !CheckDisplayType(request.typeText, err))
        return false;
    if (config && !options.strTimeZone.empty() && !ReadTimeZone(options.strTimeZone, request.timeZone, err))
        return false;
    if (form == Form::RestoreFactory && !ReadHoldMinutes(options.strHoldTime, request.holdMinutes, err))
        return false;
    return true;
}

// Values given to a form that does not take them are named, so nobody thinks they were used.
void NoteUnusedValues(const CPellworthCmdLineInfo& cmdInfo, Form form, std::ostream& err)
{
    const CPellworthCmdLineInfo::Options& options = cmdInfo.GetOptions();
    const bool config = form == Form::CheckConfig || form == Form::DownloadConfig;
    const auto note = [&](bool given, const char* word) {
        if (given)
            err << "qvxfirminstaller: note: -" << word << " does not go with -" << SwitchOf(form) << " and is ignored.\n";
    };
    note(!options.strPattern.empty() && form != Form::StartPattern, "pattern");
    note(options.bYes && form != Form::CleanMemory && form != Form::RestoreFactory, "yes");
    note(!options.strConfigType.empty() && !config, "type");
    note(!options.strTimeZone.empty() && !config, "timezone");
    note(!options.strHoldTime.empty() && form != Form::RestoreFactory, "holdtime");
}

// An exchange's result as an exit status; an abort by a signal gets the signal's status later.
int ExchangeStatus(short result)
{
    if (result == S22NET_OK)
        return exitstatus::kDone;
    return exitstatus::IsRefusal(result) ? exitstatus::kRefused : exitstatus::kNoAnswer;
}

// The types of the connected display's firmware line, as the configuration page lists them.
std::vector<ConfigListItem> LineTypes(const CConfigDownloader& configs)
{
    return BuildTypeList(configs.Configs(), configs.Filters(), kConfigFilterAll);
}

void ListConfigTypes(const CConfigDownloader& configs, std::ostream& out)
{
    out << "The display types of this firmware line are:\n";
    ListDisplayTypes(LineTypes(configs), out);
}

// The type the configuration forms work with: -type, else the display's own type.
bool ChooseConfigKey(const CConfigDownloader& configs, const ActionRequest& request, int& key, std::ostream& out)
{
    if (!request.typeText.empty()) {
        const std::vector<ConfigListItem> matches =
            MatchDisplayTypes(configs.Configs(), configs.Filters(), request.typeText);
        if (matches.size() == 1) {
            key = matches.front().first;
            return true;
        }
        // More than one is refused before the port is opened; this line's types are all there is now.
        out << "-type \"" << request.typeText << "\" is no display type of this display's firmware line.\n";
        ListConfigTypes(configs, out);
        return false;
    }
    key = configs.DisplayTypeKey();
    if (key >= 0)
        return true;
    out << "The display's type has no recommended configuration; name one with -type.\n";
    ListConfigTypes(configs, out);
    return false;
}

// The zone the configuration forms work with: -timezone, else the display's own (the one the
// window starts on, named even when the list has no name for it).
std::string ChooseTimeZone(const CConfigDownloader& configs, const ActionRequest& request)
{
    return request.timeZone.empty() ? configs.DisplayTimeZone() : request.timeZone;
}

int CheckConfig(CConfigDownloader& configs, const ActionRequest& request, std::ostream& out)
{
    int key = 0;
    if (!ChooseConfigKey(configs, request, key, out))
        return exitstatus::kUsage;
    const std::string zone = ChooseTimeZone(configs, request);
    configs.SetCurrentTimeZone(zone);
    const std::vector<ConfigDifference> differences = configs.ConfigDifferences(key);
    const std::string name = DisplayTypeListName(configs.Configs().at(key), configs.Filters());
    if (differences.empty()) {
        out << "The configuration matches the recommended one for " << name << " in " << zone << ".\n";
        return exitstatus::kDone;
    }
    out << "The configuration differs from the recommended one for " << name << " in " << zone << ":\n";
    for (const ConfigDifference& difference : differences)
        out << "  " << difference.strField << ": the display has \"" << difference.strDisplay
            << "\", recommended \"" << difference.strRecommended << "\"\n";
    return exitstatus::kDiffers;
}

int DownloadConfig(CConfigDownloader& configs, const ActionRequest& request, std::ostream& out)
{
    int key = 0;
    if (!ChooseConfigKey(configs, request, key, out))
        return exitstatus::kUsage;
    const std::string zone = ChooseTimeZone(configs, request);
    return configs.DownloadConfiguration(key, request.address, zone) ? exitstatus::kDone
                                                                           : exitstatus::kRefused;
}

// The wizard's restore adds no message lines, so the command line says what it did.
int RestoreFactory(CInstallerCore& core, const ActionRequest& request, std::ostream& out)
{
    CVerificationTest test(core, request.address);
    const unsigned long holdMs = static_cast<unsigned long>(request.holdMinutes) * 60UL * 1000UL;
    const FactoryRestoreReport report = test.RestoreFactoryMessages(holdMs);
    const char* set = report.set == FactorySet::Package ? "package set"
                      : report.set == FactorySet::Hitech ? "HITECH set"
                                                         : "no set for this display's size and colours";
    out << "Factory messages (" << set << "): " << report.nDeleted << " files deleted, " << report.nSent
        << " files sent";
    if (!report.bDirectoryRead)
        out << "; the display's directory could not be read, so nothing was deleted";
    if (report.nNotDeleted + report.nNotSent + report.nRunsFailed != 0)
        out << "; refused: " << report.nNotDeleted << " deletes, " << report.nNotSent << " sends, "
            << report.nRunsFailed << " runs";
    if (report.bCancelled)
        out << "; aborted before the rest was sent";
    out << ".\n";
    return report.IsComplete() && report.set != FactorySet::None ? exitstatus::kDone : exitstatus::kRefused;
}

int RunRequest(CInstallerCore& core, CConfigDownloader& config, const ActionRequest& request, std::ostream& out)
{
    CDisplayActions actions(core);
    switch (request.form) {
    case Form::StartPattern:
        return ExchangeStatus(actions.StartTestPattern(request.address, request.pattern));
    case Form::StopPattern:
        return ExchangeStatus(actions.StopTestPattern(request.address));
    case Form::Reset:
        return ExchangeStatus(actions.ResetDisplay(request.address));
    case Form::CleanMemory:
        return ExchangeStatus(actions.MemoryCleanup(request.address));
    case Form::SetTime:
        return ExchangeStatus(actions.SetTimeDate(request.address, static_cast<std::uint32_t>(std::time(nullptr))));
    case Form::CheckConfig:
        return CheckConfig(config, request, out);
    case Form::DownloadConfig:
        return DownloadConfig(config, request, out);
    case Form::RestoreFactory:
        return RestoreFactory(core, request, out);
    default:
        return exitstatus::kUsage;
    }
}

} // namespace

int RunAction(const CPellworthCmdLineInfo& cmdInfo, CInstallerCore& core, CFirmwareInstaller& firmware,
              CConfigDownloader& config, std::ostream& out, std::ostream& err)
{
    const std::vector<Form> forms = cmdInfo.GetOptions().actionForms;
    if (forms.size() != 1)
        return exitstatus::kUsage;
    ActionRequest request;
    if (!ReadRequest(cmdInfo, forms.front(), request, err))
        return exitstatus::kUsage;
    NoteUnusedValues(cmdInfo, request.form, err);

    const BaudChoice baud{cmdInfo.IsBaudGiven(), cmdInfo.GetBaudRate()};
    // A download follows at once: the connection's question whether to download one would be
    // answered no just before it.
    const ConfigCheck check = request.form == Form::DownloadConfig ? ConfigCheck::Skip : ConfigCheck::Offer;
    const int connected =
        ConnectExitStatus(core, AutoConnect(core, firmware, config, request.com, request.address, baud, check));
    if (connected != exitstatus::kDone) {
        core.Session().Disconnect();
        return connected;
    }
    // The display's own lines stay on the screen above; the work is one more job on the link.
    const int status = RunRequest(core, config, request, out);
    core.Session().Disconnect();
    return status;
}
