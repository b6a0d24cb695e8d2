#include "PellworthCmdLineInfo.h"

#include "base/PathText.h"

#include <algorithm>
#include <cctype>
#include <climits>

// Whole text must be decimal digits and fit an int.
bool ParseDecimal(std::string_view text, int& value)
{
    if (text.empty())
        return false;
    int result = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        const int digit = c - '0';
        if (result > (INT_MAX - digit) / 10)
            return false;
        result = result * 10 + digit;
    }
    value = result;
    return true;
}

CPellworthCmdLineInfo::CPellworthCmdLineInfo(IPathSystem& paths, PathStyle style)
    : m_paths(paths), m_style(style)
{
}

std::span<const CPellworthCmdLineInfo::SwitchDef> CPellworthCmdLineInfo::Switches()
{
    using C = CPellworthCmdLineInfo;
    // A new switch word needs a row here and a mode of its own after the last one. The last field
    // names the value a switch cannot go without; "lf" and "b" have defaults.
    static constexpr std::string_view kPort = "COM<n>[:<address>]";
    static constexpr SwitchDef kSwitches[] = {
        {"a", MODE_AUTO, &C::m_bAuto, nullptr, nullptr, ""},
        {"s", MODE_SILENT, &C::m_bAuto, &C::m_bSilent, nullptr, ""},
        {"f", MODE_FIRMWARE_FILE, &C::m_bFirmwareFile, nullptr, &C::m_strFirmwareFile, "<file>"},
        {"l1", MODE_LOG, &C::m_bLog, nullptr, nullptr, ""},
        {"lf", MODE_LOG_FILE, &C::m_bLogFileGiven, nullptr, &C::m_strLogFile, ""},
        {"df", MODE_DISPLAYS_FILE, nullptr, nullptr, &C::m_strDisplaysFile, "<file>"},
        {"anyfirm", MODE_ANY_FIRMWARE, &C::m_bAnyFirmware, nullptr, nullptr, ""},
        {"b", MODE_BAUD, &C::m_bBaud, nullptr, &C::m_strBaud, ""},
        {"ping", MODE_PING, &C::m_bPing, nullptr, &C::m_strPing, kPort},
        {"info", MODE_INFO, &C::m_bInfo, nullptr, &C::m_strInfo, kPort},
        {"report", MODE_REPORT, &C::m_bReport, nullptr, &C::m_strReport, "<file>"},
        {"startpattern", MODE_ACTION, &C::m_bStartPattern, nullptr, &C::m_strActionTarget, kPort},
        {"stoppattern", MODE_ACTION, &C::m_bStopPattern, nullptr, &C::m_strActionTarget, kPort},
        {"reset", MODE_ACTION, &C::m_bReset, nullptr, &C::m_strActionTarget, kPort},
        {"cleanmemory", MODE_ACTION, &C::m_bCleanMemory, nullptr, &C::m_strActionTarget, kPort},
        {"settime", MODE_ACTION, &C::m_bSetTime, nullptr, &C::m_strActionTarget, kPort},
        {"checkconfig", MODE_ACTION, &C::m_bCheckConfig, nullptr, &C::m_strActionTarget, kPort},
        {"downloadconfig", MODE_ACTION, &C::m_bDownloadConfig, nullptr, &C::m_strActionTarget, kPort},
        {"restorefactory", MODE_ACTION, &C::m_bRestoreFactory, nullptr, &C::m_strActionTarget, kPort},
        {"pattern", MODE_PATTERN, nullptr, nullptr, &C::m_strPattern, "<number or name>"},
        {"yes", MODE_YES, &C::m_bYes, nullptr, nullptr, ""},
        {"type", MODE_TYPE, nullptr, nullptr, &C::m_strConfigType, "<type>"},
        {"timezone", MODE_TIME_ZONE, nullptr, nullptr, &C::m_strTimeZone, "<zone>"},
        {"holdtime", MODE_HOLD_TIME, nullptr, nullptr, &C::m_strHoldTime, "<minutes>"},
        {"loopback", MODE_LOOPBACK, &C::m_bLoopback, nullptr, &C::m_strLoopback, "COM<n>"},
        {"long", MODE_LONG, &C::m_bLongLoopback, nullptr, nullptr, ""},
    };
    return kSwitches;
}

std::vector<CPellworthCmdLineInfo::SwitchWord> CPellworthCmdLineInfo::SwitchWords()
{
    std::vector<SwitchWord> words;
    for (const SwitchDef& def : Switches())
        words.push_back({def.word, def.valueForm});
    return words;
}

const CPellworthCmdLineInfo::SwitchDef* CPellworthCmdLineInfo::FindSwitch(std::string_view word)
{
    for (const SwitchDef& def : Switches()) {
        if (EqualNoCase(def.word, word))
            return &def;
    }
    return nullptr;
}

bool CPellworthCmdLineInfo::IsHelpRequest(std::string_view arg)
{
    return arg == "-h" || arg == "--help" || arg == "/?";
}

void CPellworthCmdLineInfo::Parse(const std::vector<std::string>& args)
{
    for (const std::string& arg : args) {
        // Help words are kept out of the switch parse so "/?" is never taken as a file value.
        if (IsHelpRequest(arg)) {
            m_bHelp = true;
            continue;
        }
        if (arg == "--version") {
            m_bVersion = true;
            continue;
        }
        const bool bFlag = IsSwitch(arg);
        ParseParam(bFlag ? arg.substr(1) : arg, bFlag);
    }
    EndAwaitedValue();
}

void CPellworthCmdLineInfo::EndAwaitedValue()
{
    if (m_pAwaitingValue != nullptr && m_missingValue.word.empty())
        m_missingValue = {std::string(m_pAwaitingValue->word), std::string(m_pAwaitingValue->valueForm)};
    m_pAwaitingValue = nullptr;
}

bool CPellworthCmdLineInfo::IsSwitch(const std::string& arg) const
{
    if (arg.empty())
        return false;
    if (arg.front() == '-')
        return true;
    if (arg.front() != '/')
        return false;
    // On POSIX a leading slash is also an absolute path: only a known switch word makes it a switch.
    return m_style == PathStyle::Windows || FindSwitch(std::string_view(arg).substr(1)) != nullptr;
}

void CPellworthCmdLineInfo::ParseParam(const std::string& text, bool bFlag)
{
    if (bFlag) {
        const SwitchDef* def = FindSwitch(text);
        if (def == nullptr) {
            if (!text.empty())
                m_unknownSwitches.push_back(text);
            return;
        }
        if (def->flag != nullptr)
            this->*def->flag = true;
        if (def->alsoFlag != nullptr)
            this->*def->alsoFlag = true;
        // An unknown word keeps the mode (and so the wait for a value); a known one ends it.
        EndAwaitedValue();
        if (!def->valueForm.empty())
            m_pAwaitingValue = def;
        m_nMode = def->mode;
        return;
    }
    // The mode stays, so a second parameter after the same switch replaces the first.
    for (const SwitchDef& def : Switches()) {
        if (def.mode == m_nMode && def.parameter != nullptr)
            this->*def.parameter = text;
    }
    // An empty value ("$VAR" unset in a script) is no value: it must not turn into a default.
    if (!text.empty())
        m_pAwaitingValue = nullptr;
}

std::vector<CPellworthCmdLineInfo::ActionForm> CPellworthCmdLineInfo::GetActionForms() const
{
    const std::pair<bool, ActionForm> forms[] = {
        {m_bStartPattern, ActionForm::StartPattern}, {m_bStopPattern, ActionForm::StopPattern},
        {m_bReset, ActionForm::Reset},               {m_bCleanMemory, ActionForm::CleanMemory},
        {m_bSetTime, ActionForm::SetTime},           {m_bCheckConfig, ActionForm::CheckConfig},
        {m_bDownloadConfig, ActionForm::DownloadConfig}, {m_bRestoreFactory, ActionForm::RestoreFactory}};
    std::vector<ActionForm> given;
    for (const auto& [set, form] : forms) {
        if (set)
            given.push_back(form);
    }
    return given;
}

std::string CPellworthCmdLineInfo::GetReportFilePath() const
{
    return m_strReport.empty() ? std::string() : Resolve(m_strReport);
}

int CPellworthCmdLineInfo::GetBaudRate() const
{
    int rate = 0;
    for (const char c : m_strBaud) {
        if (c < '0' || c > '9')
            break;
        const int digit = c - '0';
        if (rate > (INT_MAX - digit) / 10)
            return 0;
        rate = rate * 10 + digit;
    }
    return rate;
}

std::string CPellworthCmdLineInfo::Resolve(const std::string& value) const
{
    const std::string path =
        IsAbsolutePath(m_style, value) ? value : JoinToFolder(m_style, m_paths.ProgramFolder(), value);
    return FitsMaxPath(path) ? path : std::string();
}

std::string CPellworthCmdLineInfo::GetLogFilePath()
{
    const std::string path = Resolve(m_strLogFile.empty() ? "QvxFirmLog.txt" : m_strLogFile);
    if (path.empty()) {
        m_bLog = false;
        return path;
    }
    // Missing folders are made for a relative path as for an absolute one: "-lf logs\\run.txt"
    // should not turn the log off because the logs folder is not there yet.
    if (!MakeFolders(m_paths, m_style, FolderPart(m_style, path)))
        m_bLog = false;
    return path;
}

std::string CPellworthCmdLineInfo::GetFirmwareFilePath() const
{
    return m_strFirmwareFile.empty() ? std::string() : Resolve(m_strFirmwareFile);
}

std::string CPellworthCmdLineInfo::GetFirmwareFileName() const
{
    // A lone separator at the start is not a folder: "\\fw.zlb" is named as written.
    const std::size_t folder = qvxbase::FolderPartOf(m_strFirmwareFile).size();
    if (folder <= 1)
        return m_strFirmwareFile;
    return m_strFirmwareFile.substr(folder);
}

std::string CPellworthCmdLineInfo::GetDisplaysFilePath() const
{
    if (m_strDisplaysFile.empty())
        return std::string();
    const std::string path = Resolve(m_strDisplaysFile);
    if (IsAbsolutePath(m_style, m_strDisplaysFile) && !path.empty() && !m_paths.FileExists(path))
        return std::string();
    return path;
}

std::string CPellworthCmdLineInfo::GetDisplaysFileLookedAt() const
{
    return m_strDisplaysFile.empty() ? std::string() : Resolve(m_strDisplaysFile);
}

bool ParseComTarget(const std::string& text, int& com, int& address)
{
    const std::string_view view(text);
    if (view.size() < 3 || !EqualNoCase(view.substr(0, 3), "COM"))
        return false;
    const std::string_view rest = view.substr(3);
    const size_t colon = rest.find(':');

    int comValue = 0;
    int addressValue = 1;
    if (!ParseDecimal(rest.substr(0, colon), comValue) || comValue < 1)
        return false;
    if (colon != std::string_view::npos && !ParseDecimal(rest.substr(colon + 1), addressValue))
        return false;
    com = comValue;
    address = addressValue;
    return true;
}
