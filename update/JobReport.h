#pragma once
// The machine-readable account of one automatic update job, for the fleet tools that collect
// results from thousands of stores: what was tried on which display, what each one answered and
// ran before and after, and the job's result. The job log stays the human-readable record.

#include <string>
#include <string_view>
#include <vector>

// An error line of the job log: its task code and text.
struct TaskLine {
    int nCode = 0;
    std::string strText;
};

struct DisplayReport {
    std::string strName;
    unsigned nPort = 0; // COM port number
    unsigned nAddress = 0;
    unsigned long nBaud = 0;       // the rate from the display list
    std::string strProtocol;       // "S2200 Protocol", "Pellworth Protocol"; empty if it never connected
    int nConnectionResult = -1;    // 0 connected, 1 no answer, 2 port busy, 3 switch refused, 4 aborted,
                                   // 5 not ours; -1 not tried
    std::string strFirmwareBefore; // version reported before; empty: unknown
    std::string strFirmwareAfter;  // version reported after the update; empty: unknown or not updated
    std::vector<TaskLine> tasks;   // the task codes of its task, in order
    double dSeconds = 0;
};

struct JobReport {
    std::string strStarted;              // local start time, ISO 8601 with offset
    std::string strDisplayList;          // the display list's path, as the job looked for it
    std::string strDisplayListAsGiven;   // the "df" value as written; empty: none given
    std::string strDisplayListFault;     // why the list could not be read; empty: it was read
    std::vector<TaskLine> jobLines;      // error lines outside any display's task
    std::vector<DisplayReport> displays; // in the order they were worked on
    bool bAborted = false;               // the run was interrupted (signal)
    int nJobResult = 0;                  // 0, 4 or 9: the job line's code
    int nWorstTaskCode = -1;             // the largest task code of the job; -1: none
    double dSeconds = 0;
};

// The report as a JSON document (UTF-8, 2-space indent, ending in a newline):
//   format "qvxfirminstaller-job-report", version 1, started, display_list, display_list_as_given,
//   display_list_fault (null when the list was read), aborted, job_result,
//   worst_task_code, seconds, job_lines [{code, text}], displays [{name, port, address, baud,
//   protocol, connection_result, firmware_before, firmware_after, tasks [{code, text}], seconds}]
// An empty protocol, firmware_before or firmware_after is written as null, so a reader tells
// "unknown" from a text without guessing; every other text is always a string. Texts are taken
// as Latin-1 (each byte one code point). Seconds carry three decimals and a decimal point in any
// locale; a non-finite count is written as null.
std::string JobReportJson(const JobReport& report);

// Writes the document to `path` so that a reader sees the previous report or the whole new one,
// never a part: a temporary file beside it, flushed to disk, is renamed over it. On failure the
// temporary file is gone, an existing report is untouched, and `fault` names the step that failed
// and the system's reason (the caller knows the path).
bool WriteJobReport(const std::string& path, const JobReport& report, std::string& fault);

// The tool's single-byte texts (Latin-1) as UTF-8.
std::string Latin1ToUtf8(std::string_view text);
// The same for text shown on a terminal: control characters (C0 but tab, DEL, C1) become \xNN, so
// bytes a display sent cannot move the cursor or change the terminal.
std::string Latin1ToTerminal(std::string_view text);
