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
    using O = Options;
    using A = ActionForm;
    static constexpr SwitchDef kSwitches[] = {
        {.word = "a", .mode = MODE_AUTO, .flag = &C::m_bAuto},
        {.word = "s", .mode = MODE_SILENT, .flag = &C::m_bAuto, .alsoFlag = &C::m_bSilent},
        {.word = "f", .mode = MODE_FIRMWARE_FILE, .flag = &C::m_bFirmwareFile, .parameter = &C::m_strFirmwareFile,
         .valueForm = "<file>"},
        {.word = "l1", .mode = MODE_LOG, .flag = &C::m_bLog},
        {.word = "lf", .mode = MODE_LOG_FILE, .parameter = &C::m_strLogFile, .option = &O::bLogFileGiven},
        {.word = "df", .mode = MODE_DISPLAYS_FILE, .parameter = &C::m_strDisplaysFile, .valueForm = "<file>"},
        {.word = "anyfirm", .mode = MODE_ANY_FIRMWARE, .flag = &C::m_bAnyFirmware},
        {.word = "b", .mode = MODE_BAUD, .flag = &C::m_bBaud, .parameter = &C::m_strBaud},
        {.word = "ping", .mode = MODE_PING, .option = &O::bPing, .optionParameter = &O::strPing, .valueForm = kPort},
        {.word = "info", .mode = MODE_INFO, .option = &O::bInfo, .optionParameter = &O::strInfo, .valueForm = kPort},
        {.word = "report", .mode = MODE_REPORT, .option = &O::bReport, .optionParameter = &O::strReport,
         .valueForm = "<file>"},
        {.word = "startpattern", .mode = MODE_ACTION, .optionParameter = &O::strActionTarget, .action = A::StartPattern,
         .valueForm = kPort},
        {.word = "stoppattern", .mode = MODE_ACTION, .optionParameter = &O::strActionTarget, .action = A::StopPattern,
         .valueForm = kPort},
        {.word = "reset", .mode = MODE_ACTION, .optionParameter = &O::strActionTarget, .action = A::Reset,
         .valueForm = kPort},
        {.word = "cleanmemory", .mode = MODE_ACTION, .optionParameter = &O::strActionTarget, .action = A::CleanMemory,
         .valueForm = kPort},
        {.word = "settime", .mode = MODE_ACTION, .optionParameter = &O::strActionTarget, .action = A::SetTime,
         .valueForm = kPort},
        {.word = "checkconfig", .mode = MODE_ACTION, .optionParameter = &O::strActionTarget, .action = A::CheckConfig,
         .valueForm = kPort},
        {.word = "downloadconfig", .mode = MODE_ACTION, .optionParameter = &O::strActionTarget,
         .action = A::DownloadConfig, .valueForm = kPort},
        {.word = "restorefactory", .mode = MODE_ACTION, .optionParameter = &O::strActionTarget,
         .action = A::RestoreFactory, .valueForm = kPort},
        {.word = "pattern", .mode = MODE_PATTERN, .optionParameter = &O::strPattern, .valueForm = "<number or name>"},
        {.word = "yes", .mode = MODE_YES, .option = &O::bYes},
        {.word = "type", .mode = MODE_TYPE, .optionParameter = &O::strConfigType, .valueForm = "<type>"},
        {.word = "timezone", .mode = MODE_TIME_ZONE, .optionParameter = &O::strTimeZone, .valueForm = "<zone>"},
        {.word = "holdtime", .mode = MODE_HOLD_TIME, .optionParameter = &O::strHoldTime, .valueForm = "<minutes>"},
        {.word = "loopback", .mode = MODE_LOOPBACK, .option = &O::bLoopback, .optionParameter = &O::strLoopback,
         .valueForm = "COM<n>"},
        {.word = "long", .mode = MODE_LONG, .option = &O::bLongLoopback},
        {.word = "plan", .mode = MODE_PLAN, .option = &O::bPlan},
        {.word = "parallel", .mode = MODE_PARALLEL, .option = &O::bParallel},
        {.word = "progress", .mode = MODE_PROGRESS, .option = &O::bProgress, .optionParameter = &O::strProgress,
         .valueForm = "json"},
        {.word = "record", .mode = MODE_RECORD, .option = &O::bRecord, .optionParameter = &O::strRecord,
         .valueForm = "<file>"},
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
            m_options.bHelp = true;
            continue;
        }
        if (arg == "--version") {
            m_options.bVersion = true;
            continue;
        }
        const bool bFlag = IsSwitch(arg);
        ParseParam(bFlag ? arg.substr(1) : arg, bFlag);
    }
    EndAwaitedValue();
}

void CPellworthCmdLineInfo::EndAwaitedValue()
{
    MissingValue& missing = m_options.missingValue;
    if (m_pAwaitingValue != nullptr && missing.word.empty())
        missing = {std::string(m_pAwaitingValue->word), std::string(m_pAwaitingValue->valueForm)};
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
                m_options.unknownSwitches.push_back(text);
            return;
        }
        if (def->flag != nullptr)
            this->*def->flag = true;
        if (def->alsoFlag != nullptr)
            this->*def->alsoFlag = true;
        if (def->option != nullptr)
            m_options.*def->option = true;
        if (def->action != ActionForm::None)
            NoteAction(def->action);
        // An unknown word keeps the mode (and so the wait for a value); a known one ends it.
        EndAwaitedValue();
        if (!def->valueForm.empty())
            m_pAwaitingValue = def;
        m_nMode = def->mode;
        return;
    }
    // The mode stays, so a second parameter after the same switch replaces the first.
    for (const SwitchDef& def : Switches()) {
        if (def.mode != m_nMode)
            continue;
        if (def.parameter != nullptr)
            this->*def.parameter = text;
        if (def.optionParameter != nullptr)
            m_options.*def.optionParameter = text;
    }
    // An empty value ("$VAR" unset in a script) is no value: it must not turn into a default.
    if (!text.empty())
        m_pAwaitingValue = nullptr;
}

void CPellworthCmdLineInfo::NoteAction(ActionForm form)
{
    // Kept in ActionForm's order, each once, however often and in whatever order they were written.
    std::vector<ActionForm>& forms = m_options.actionForms;
    const auto at = std::lower_bound(forms.begin(), forms.end(), form);
    if (at == forms.end() || *at != form)
        forms.insert(at, form);
}

std::string CPellworthCmdLineInfo::GetReportFilePath() const
{
    return m_options.strReport.empty() ? std::string() : Resolve(m_options.strReport);
}

std::string CPellworthCmdLineInfo::GetRecordFilePath() const
{
    return m_options.strRecord.empty() ? std::string() : Resolve(m_options.strRecord);
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
