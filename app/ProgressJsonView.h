#pragma once
// "-progress json": the job's progress for fleet agents, one JSON object per line on standard
// output, written and flushed as it happens:
//   {"event": "job_started", "t": 0.000, "displays": 4, "display_list": "..."}
//   {"event": "display_started", "t": ..., "number": 1, "name": "...", "port": 1, "address": 1}
//   {"event": "step", "t": ..., "number": 1, "text": "Downloading firmware to sign"}
//   {"event": "transfer", "t": ..., "number": 1, "file": "FX40211.EXE", "bytes_done": ..., "bytes_total": ...,
//    "bytes_per_second": ... or null, "seconds_left": ... or null}
//   {"event": "display_finished", "t": ..., "number": 1, "name": ..., "port": ..., "address": ..., "outcome": ...,
//    "outcome_code": ... or null, "reason": ... or null, "seconds": ...}
//   {"event": "job_finished", "t": ..., "job_result": 9, "aborted": false, "seconds": ..., "outcomes": {...}}
// "t" is the seconds since the job started. "step" and "transfer" belong to the display being
// worked ("number"; null between displays). A job that works several serial lines at once works a
// display on each: the events of different displays then interleave, and "number" tells them apart
// (display_started and display_finished name the port too). Each line's steps and transfers are
// told as one line's would be: a step once until that line's step changes, a transfer at most
// every 250 ms of that line and always its first and last. Every other call goes on to the view
// it wraps (the terminal's lines and bar on standard error, or nothing), so a person at the
// terminal still sees them.

#include "connection/InstallerView.h"
#include "update/JobEvents.h"

#include <chrono>
#include <functional>
#include <iosfwd>
#include <map>
#include <mutex>
#include <string>

class CProgressJsonView final : public IInstallerView, public IJobEvents {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    CProgressJsonView(std::ostream& out, IInstallerView& inner,
                      Clock clock = [] { return std::chrono::steady_clock::now(); });

    // The job's events.
    void JobStarted(const JobReport& report, std::size_t displays) override;
    void DisplayStarted(const DisplayReport& display, std::size_t number) override;
    void DisplayFinished(const DisplayReport& display, std::size_t number) override;
    void JobFinished(const JobReport& report) override;

    // The view: steps and transfers become lines; all of it reaches the wrapped view.
    void ShowMessageLine(const std::string& line) override { m_inner.ShowMessageLine(line); }
    void ClearMessageLines() override { m_inner.ClearMessageLines(); }
    void RunWithProgress(const std::function<void()>& work, ProgressKind kind) override
    {
        m_inner.RunWithProgress(work, kind);
    }
    void SetProgressText(const std::string& text) override;
    void SetProgressSteps(int steps) override { m_inner.SetProgressSteps(steps); }
    void StepProgress() override { m_inner.StepProgress(); }
    void EnableAbort(bool enable) override { m_inner.EnableAbort(enable); }
    // At most one line every 250 ms, and always the first and the last of a transfer.
    void ShowTransferProgress(const std::string& fileName, unsigned long bytesDone,
                              unsigned long bytesTotal) override;
    // One of several serial lines worked at once: told as the display on that port.
    void SetLineProgressText(int port, const std::string& text, const std::string& allLines) override;
    void ShowLineTransferProgress(int port, const std::string& fileName, unsigned long bytesDone,
                                  unsigned long bytesTotal) override;
    void EndLineProgress(int port, const std::string& allLines) override { m_inner.EndLineProgress(port, allLines); }
    bool AskYesNo(const std::string& question) override { return m_inner.AskYesNo(question); }
    void ShowMessageBox(const std::string& text) override { m_inner.ShowMessageBox(text); }
    void ShowDisplayLists(const std::vector<InfoRow>& config, const std::vector<InfoRow>& status) override
    {
        m_inner.ShowDisplayLists(config, status);
    }

private:
    // A transfer being reported.
    struct Transfer {
        std::string strFile;
        unsigned long nTotal = 0;
        unsigned long nFirstDone = 0;
        unsigned long nLastDone = 0;
        std::chrono::steady_clock::time_point firstAt;
        std::chrono::steady_clock::time_point lastWritten;
        bool bActive = false;
    };
    // What is told of one serial line of a job that works several at once.
    struct Line {
        std::size_t nDisplay = 0; // the display being worked on it; 0 between displays
        std::string strLastStep;
        Transfer transfer;
    };

    // Writes {"event": event, "t": ..., <members>} and flushes it. Under m_lock.
    void Emit(const char* event, const std::string& members);
    // A step of `display` (0: none), unless it is `lastStep` again. Under m_lock.
    void Step(std::string& lastStep, std::size_t display, const std::string& text);
    // A transfer update of `display`, unless too soon after the last one written. Under m_lock.
    void TransferLine(Transfer& transfer, std::size_t display, const std::string& fileName,
                      unsigned long bytesDone, unsigned long bytesTotal);

    std::ostream& m_out;
    IInstallerView& m_inner;
    Clock m_clock;
    std::mutex m_lock; // the stream and everything below
    std::chrono::steady_clock::time_point m_started;
    std::size_t m_nDisplay = 0; // the display being worked; 0 between displays
    std::string m_strLastStep;
    Transfer m_transfer;
    std::map<int, Line> m_lines; // by port
};
