#pragma once
// The machine-readable account of one automatic update job, for the fleet tools that collect
// results from thousands of stores: what was tried on which display, what each one answered and
// ran before and after, and the job's result. The job log stays the human-readable record.

#include <string>
#include <string_view>
#include <vector>

// An error line of the job log: its task code and text, and the address of the display it
// concerns (a refresh pass speaks to every display of the line within one display's task).
struct TaskLine {
    int nCode = 0;
    std::string strText;
    unsigned nAddress = 0;
};

// How a display ended, one of a small fixed set a scheduler can count on.
enum class DisplayOutcome {
    NotTried,        // never worked: its port busy, the job aborted before it, its record refused, ...
    Updated,         // new firmware installed and its version read back (task code 0)
    Current,         // it already had the firmware (100)
    NotTakingEffect, // installed, but it still reports the old version (514)
    Unchecked,       // installed, but its version could not be read back
    Failed,          // a step failed; the code says which
    NotOurs,         // it answered, but is not a reader board of ours (101)
    NoAnswer,        // it did not answer in either protocol (510)
};

// "not_tried", "updated", "current", "not_taking_effect", "unchecked", "failed", "not_ours", "no_answer".
const char* DisplayOutcomeName(DisplayOutcome outcome);

// What the display's own exchanges cost on the line, from its connection to the end of its task.
struct LineFigures {
    bool bKnown = false;            // false: the display was never spoken to on its own
    unsigned long nFramesSent = 0;
    unsigned long nFramesRepeated = 0; // tries after the first
    unsigned long long nBytesSent = 0;
    unsigned long nReplies = 0;
    double dMedianReplyMs = -1;     // from the end of the request to the end of its reply; < 0: none
    double dMedianExcessMs = -1;    // the same beyond the line time of request and reply; < 0: none
};

// What a plan found on one display and what the job would do to it.
struct DisplayPlan {
    std::string strState;              // "read", "needs_switch", "not_ours", "no_answer", "port_busy",
                                       // "not_tried", "listed_again"
    bool bWouldUpdate = false;         // the job would install firmware
    bool bWouldSwitch = false;         // the job would switch it from the customer protocol
    int nConfigMatches = -1;           // 1 matches the recommended configuration, 0 differs, -1 not read
    std::vector<std::string> configDifferences; // each field that differs, as a line
    std::string strNote;               // what a person should know ("" when nothing)
    unsigned long nStreamBytes = 0;    // the compressed image the job would send; 0: none
    double dTransferSeconds = 0;       // its blocks at the line's rate
    double dEstimatedSeconds = 0;      // the whole task: refresh passes, connection, install, waits
};

struct DisplayReport {
    std::string strName;
    unsigned nPort = 0; // COM port number; 0: not known (a refused record)
    unsigned nAddress = 0;
    unsigned long nBaud = 0;       // the rate from the display list
    std::string strProtocol;       // "S2200 Protocol", "Pellworth Protocol"; empty if it never connected
    int nConnectionResult = -1;    // 0 connected, 1 no answer, 2 port busy, 3 switch refused, 4 aborted,
                                   // 5 not ours, 6 the line echoes; -1 not tried
    std::string strFirmwareBefore; // version reported before; empty: unknown
    std::string strFirmwareAfter;  // version reported after the update; empty: unknown or not updated
    std::vector<TaskLine> tasks;   // the task codes of its task, in order
    double dSeconds = 0;
    std::string strFirmwareTarget; // the version the job installs on it; empty: none decided
    DisplayOutcome outcome = DisplayOutcome::NotTried;
    int nOutcomeCode = -1;         // the task code that decided the outcome; -1: none
    std::string strReason;         // why, in a line ("" for updated and current)
    LineFigures line;
    bool bPlanned = false;         // a plan's entry: plan holds it, outcome is not written
    DisplayPlan plan;
};

struct JobReport {
    std::string strStarted;              // local start time, ISO 8601 with offset
    std::string strDisplayList;          // the display list's path, as the job looked for it
    std::string strDisplayListAsGiven;   // the "df" value as written; empty: none given
    std::string strDisplayListFault;     // why the list could not be read; empty: it was read
    std::vector<TaskLine> jobLines;      // error lines outside any display's task
    std::vector<DisplayReport> displays; // every display of the list, in the job's order
    bool bAborted = false;               // the run was interrupted (signal)
    int nJobResult = 0;                  // 0, 4 or 9: the job line's code
    int nWorstTaskCode = -1;             // the largest task code of the job; -1: none
    double dSeconds = 0;
    bool bPlan = false;                  // a plan: nothing was installed; the job's figures are estimates
    bool bParallel = false;              // the COM ports were worked (or read) at the same time
    double dEstimatedSeconds = 0;        // a plan's estimate of the whole job
    int nPlanResult = 0;                 // a plan's exit status
};

// A firmware version in one normal form: "FX40211-1.02.11" and "FX40211-1.2.11" are both
// "FX40211-1.2.11". Empty for a text that is not a prefix, a dash and three numbers.
std::string NormalFirmwareVersion(const std::string& reported);

// The outcome of a worked display from its task lines that concern it and what the job saw.
struct OutcomeFacts {
    bool bWorked = false;       // its update began (after the refresh passes)
    bool bInstallSent = false;  // an image went to it
    bool bAborted = false;      // the job was aborted while it was being worked
};
void DecideOutcome(DisplayReport& display, const OutcomeFacts& facts);

// The report as a JSON document (UTF-8, 2-space indent, ending in a newline); the README's
// "For store IT" section describes every field. Version 2 keeps every field of version 1 and adds
// to it: plan, outcomes (a count per outcome), estimated_seconds (plans); per display outcome,
// outcome_code, reason, the normal forms of the versions, firmware_target, the address on each task
// line, and line (frames, repeats, bytes, median reply times); a plan's entries carry plan instead
// of outcome. A text that is not known is written as null, so a reader tells "unknown" from a text
// without guessing. Texts are taken
// as Latin-1 (each byte one code point). Seconds carry three decimals and a decimal point in any
// locale; a non-finite count is written as null.
std::string JobReportJson(const JobReport& report);

// Writes the document to `path` so that a reader sees the previous report or the whole new one,
// never a part: a temporary file beside it, flushed to disk, is renamed over it. On failure the
// temporary file is gone, an existing report is untouched, and `fault` names the step that failed
// and the system's reason (the caller knows the path).
bool WriteJobReport(const std::string& path, const JobReport& report, std::string& fault);

// The local time now as 2026-12-08T14:03:07+01:00 (empty when the clock cannot be read).
std::string ReportTimestamp();

// A text as a JSON string, quotes included (Latin-1 in, UTF-8 out); a number of seconds or
// milliseconds with three decimals in any locale (null when not finite).
std::string JsonString(std::string_view latin1);
std::string JsonDecimal(double value);
// How many displays of the report ended each way, as one JSON object on one line.
std::string OutcomeCountsJson(const std::vector<DisplayReport>& displays);

// The tool's single-byte texts (Latin-1) as UTF-8.
std::string Latin1ToUtf8(std::string_view text);
// The same for text shown on a terminal: control characters (C0 but tab, DEL, C1) become \xNN, so
// bytes a display sent cannot move the cursor or change the terminal.
std::string Latin1ToTerminal(std::string_view text);
