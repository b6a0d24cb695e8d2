#pragma once
// The command-line switches. Filled once at start-up and read by the rest of the tool through the
// accessors; afterwards only GetLogFilePath changes it (logging goes off when its folder cannot
// be made).

#include "PathRules.h"
#include "PathSystem.h"
#include "base/AsciiCase.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

class CPellworthCmdLineInfo {
public:
    // Parse modes: the switch seen last, which decides where a parameter goes.
    enum : int {
        MODE_AUTO = 0,
        MODE_SILENT = 1,
        MODE_FIRMWARE_FILE = 2,
        MODE_LOG = 3,
        MODE_LOG_FILE = 4,
        MODE_DISPLAYS_FILE = 5,
        MODE_ANY_FIRMWARE = 6,
        MODE_BAUD = 7,
        MODE_NONE = 8,  // no switch seen yet
        MODE_PING = 9,
        MODE_INFO = 10,
        MODE_REPORT = 11,
        MODE_ACTION = 12,   // one of the display actions below, followed by its COM<n>[:<address>]
        MODE_PATTERN = 13,
        MODE_YES = 14,
        MODE_TYPE = 15,
        MODE_TIME_ZONE = 16,
        MODE_HOLD_TIME = 17,
        MODE_LOOPBACK = 18,
        MODE_LONG = 19,
        MODE_PLAN = 20,
        MODE_PROGRESS = 21,
        MODE_PARALLEL = 22,
        MODE_RECORD = 23
    };

    // The command-line forms that act on one display (beside -ping and -info).
    enum class ActionForm {
        None,
        StartPattern,
        StopPattern,
        Reset,
        CleanMemory,
        SetTime,
        CheckConfig,
        DownloadConfig,
        RestoreFactory
    };

    // A switch word and the form of the value it needs.
    struct MissingValue {
        std::string word;
        std::string valueForm;
    };
    // What the switches beside the job's own give (the one-display forms and their values, help,
    // version, the report), filled by Parse and read as plain values.
    struct Options {
        bool bHelp = false;
        bool bVersion = false;
        // "ping" and "info" with their COM<n>[:<address>] (see ParseComTarget).
        bool bPing = false;
        std::string strPing;
        bool bInfo = false;
        std::string strInfo;
        // The loop-back test of a port ("loopback" COM<n>), the long one with "long".
        bool bLoopback = false;
        bool bLongLoopback = false;
        std::string strLoopback;
        // "report" and its value as written (GetReportFilePath resolves it).
        bool bReport = false;
        std::string strReport;
        bool bLogFileGiven = false;  // "lf" was written
        // "plan": the job's dry run over the display list.
        bool bPlan = false;
        // "parallel": the job's (and the plan's) COM ports worked at the same time.
        bool bParallel = false;
        // "record" and its value as written (GetRecordFilePath resolves it): every form's frames.
        bool bRecord = false;
        std::string strRecord;
        // "progress" and its form ("json" is the one there is).
        bool bProgress = false;
        std::string strProgress;
        // The display actions given, each once, in the order of ActionForm (more than one is a
        // usage error), and their COM<n>[:<address>].
        std::vector<ActionForm> actionForms;
        std::string strActionTarget;
        std::string strPattern;
        bool bYes = false;
        std::string strConfigType;
        std::string strTimeZone;
        std::string strHoldTime;
        // Switch words this parser does not know, as written (without their '-' or '/').
        std::vector<std::string> unknownSwitches;
        // The first switch that needs a value and got none (no parameter, or an empty one, before
        // the next switch word or the end), with the form of its value ("pattern", "<number or
        // name>"). Empty word when every value was given. "b" and "lf" may go without: they have
        // defaults.
        MissingValue missingValue;
    };

    // paths is not owned and must outlive this object.
    explicit CPellworthCmdLineInfo(IPathSystem& paths, PathStyle style = PathStyle::Posix);

    // args: the process arguments after the program name, in order.
    void Parse(const std::vector<std::string>& args);

    bool IsAuto() const { return m_bAuto; }
    bool IsSilent() const { return m_bSilent; }
    bool IsLogging() const { return m_bLog; }
    bool IsFirmwareFile() const { return m_bFirmwareFile; }
    bool IsAnyFirmware() const { return m_bAnyFirmware; }
    bool IsBaudGiven() const { return m_bBaud; }
    const Options& GetOptions() const { return m_options; }

    // Every switch word this parser knows, in its table's order (the help words aside), with the
    // form of the value it cannot go without (empty: it takes none, or has a default).
    struct SwitchWord {
        std::string_view word;
        std::string_view valueForm;
    };
    static std::vector<SwitchWord> SwitchWords();

    std::string GetBaud() const { return m_strBaud; }
    // The "b" value read as a decimal up to its first non-digit; 0 when it is not a number.
    int GetBaudRate() const;

    // Creates the folder of an absolute log path, and turns logging off when that fails or the
    // path is too long. Empty when the path is too long.
    std::string GetLogFilePath();
    // Empty when not given or too long.
    std::string GetFirmwareFilePath() const;
    // The "f" value after its last separator; the whole value when it has none, or only a leading one.
    std::string GetFirmwareFileName() const;
    // Empty when not given, too long, or absolute and not an existing file.
    std::string GetDisplaysFilePath() const;
    // The "df" value as written, and the path it names whether or not a file is there.
    const std::string& GetDisplaysFileAsGiven() const { return m_strDisplaysFile; }
    std::string GetDisplaysFileLookedAt() const;
    // The job report's path ("report"), resolved like the log's; empty when not given or too long.
    std::string GetReportFilePath() const;
    // The session record's path ("record"), resolved the same way; empty when not given or too long.
    std::string GetRecordFilePath() const;

private:
    // The job's own switches set this class's fields, the others those of Options; a row sets
    // what it names and leaves the other pointers null.
    struct SwitchDef {
        std::string_view word;
        int mode;
        bool CPellworthCmdLineInfo::*flag = nullptr;
        bool CPellworthCmdLineInfo::*alsoFlag = nullptr;
        std::string CPellworthCmdLineInfo::*parameter = nullptr;  // takes the parameters in this mode
        bool Options::*option = nullptr;
        std::string Options::*optionParameter = nullptr;  // takes the parameters in this mode
        ActionForm action = ActionForm::None;
        std::string_view valueForm{};  // empty: the value may be left out
    };

    static std::span<const SwitchDef> Switches();
    static const SwitchDef* FindSwitch(std::string_view word);
    static bool IsHelpRequest(std::string_view arg);

    bool IsSwitch(const std::string& arg) const;
    void ParseParam(const std::string& text, bool bFlag);
    void NoteAction(ActionForm form);
    // A switch whose value is still awaited is missing it once another switch word (or the end)
    // comes first.
    void EndAwaitedValue();
    // A non-empty value made absolute; empty when the result does not fit a path buffer.
    std::string Resolve(const std::string& value) const;

    IPathSystem& m_paths;
    PathStyle m_style;

    bool m_bAuto = false;
    bool m_bSilent = false;
    bool m_bFirmwareFile = false;
    bool m_bLog = false;
    bool m_bAnyFirmware = false;
    bool m_bBaud = false;
    std::string m_strLogFile;
    std::string m_strFirmwareFile;
    std::string m_strDisplaysFile;
    std::string m_strBaud;
    int m_nMode = MODE_NONE;

    Options m_options;
    const SwitchDef* m_pAwaitingValue = nullptr;
};

// Reads "COM<n>[:<address>]" ("com" in any case; address 1 when left out). False, with com and
// address untouched, for anything else, a COM number below 1, or a number too large for an int.
// The address range is the connection's to check.
bool ParseComTarget(const std::string& text, int& com, int& address);

// The whole text is decimal digits and fits an int.
bool ParseDecimal(std::string_view text, int& value);
