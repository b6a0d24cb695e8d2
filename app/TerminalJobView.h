#pragma once
// What an unattended run shows on a terminal: the message lines as they come (in UTF-8), and for
// each file send one progress line redrawn in place, so a technician at the store's machine sees
// that a long firmware download is moving. Questions are answered no without asking, message boxes
// become lines, long operations run inline. Calls may come from any thread.
//
// While several serial lines are worked at once, one status line takes the progress line's place,
// redrawn in place the same way (cleared before a message line, drawn again by the next update,
// at most 79 columns). It holds a segment per line being worked, in port order, two spaces apart,
// each as wide as the others:
//   COM1 [#########-----------]  45% 1:02   COM2 Reading the sign's status
// A line sending a file shows its bar (filling the segment, at least 4 cells), its percent and its
// time left over its own send; one not sending shows its step, cut with "..." to fit. Where a
// segment is too narrow the time left goes first, then the bar ("COM1 45%"). A line's segment
// comes with its first call, turns back into its step when its send completes and goes with its
// end; the status line is cleared when none is left.

#include "connection/InstallerView.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <iosfwd>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class CTerminalJobView final : public IInstallerView {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    explicit CTerminalJobView(std::ostream& out, Clock clock = [] { return std::chrono::steady_clock::now(); });

    void ShowMessageLine(const std::string& line) override;
    void ClearMessageLines() override {}
    void RunWithProgress(const std::function<void()>& work, ProgressKind) override { work(); }
    void SetProgressText(const std::string&) override {}
    void SetProgressSteps(int) override {}
    void StepProgress() override {}
    void EnableAbort(bool) override {}
    // Redrawn at most every 100 ms, always on a transfer's first and last update; the last ends
    // the line.
    void ShowTransferProgress(const std::string& fileName, unsigned long bytesDone,
                              unsigned long bytesTotal) override;
    // The status line of several lines: redrawn at most every 100 ms, always when a segment comes
    // or goes and when a send starts or completes.
    void SetLineProgressText(int port, const std::string& text, const std::string& allLines) override;
    void ShowLineTransferProgress(int port, const std::string& fileName, unsigned long bytesDone,
                                  unsigned long bytesTotal) override;
    void EndLineProgress(int port, const std::string& allLines) override;
    // Nobody answers: the question is shown with its answer, no.
    bool AskYesNo(const std::string& question) override;
    void ShowMessageBox(const std::string& text) override;
    void ShowDisplayLists(const std::vector<InfoRow>&, const std::vector<InfoRow>&) override {}

private:
    struct Transfer {
        std::string strName;
        unsigned long nTotal = 0;
        unsigned long nFirstDone = 0; // bytes at the first update: the rate counts from there
        unsigned long nLastDone = 0;
        std::chrono::steady_clock::time_point first;
        std::chrono::steady_clock::time_point lastDrawn;
        bool bDrawn = false; // drawn since it started or since a message line cleared it
        bool bDone = false;  // its last update was drawn and its line ended
    };

    // One serial line of a job that works several at once.
    struct Line {
        std::string strText; // its step
        bool bSending = false;
        bool bCompleted = false; // its last send's last update came: a repeat of it is not news
        std::string strFile;
        unsigned long nTotal = 0;
        unsigned long nFirstDone = 0;
        unsigned long nLastDone = 0;
        std::chrono::steady_clock::time_point first; // the send's first update
        std::chrono::steady_clock::time_point last;  // and its latest
    };

    void WriteLine(const std::string& utf8Line);
    void ClearBar();
    // Draws the status line of m_lines (clears it when there are none); within 100 ms of the last
    // drawing only when `always`. Under m_lock.
    void DrawLines(std::chrono::steady_clock::time_point now, bool always);

    std::ostream& m_out;
    Clock m_clock;
    std::mutex m_lock; // guards the stream and everything below
    std::optional<Transfer> m_transfer;
    std::size_t m_nBarColumns = 0; // columns of the progress line on screen; 0: none shown
    std::map<int, Line> m_lines;   // by port
    std::chrono::steady_clock::time_point m_linesDrawnAt;
    bool m_bLinesDrawn = false; // drawn since a message line cleared it
};

// One progress line, at most 79 columns: name, bar, bytes, rate and time left, e.g.
//   FX40211.EXE [##########----------]  313,320 / 626,640 bytes  24.1 kB/s  0:13 left
// `bytesSinceFirst` moved in `elapsed` give the rate; "--" until that is at least half a second
// and some bytes.
std::string TransferProgressLine(const std::string& fileName, unsigned long bytesDone, unsigned long bytesTotal,
                                 unsigned long bytesSinceFirst, std::chrono::steady_clock::duration elapsed);

// One serial line's part of the status line, as the view hands it to LinesProgressLine.
struct LineProgress {
    int nPort = 0;
    std::string strText; // its step (Latin-1), shown while it sends nothing
    bool bSending = false;
    unsigned long nDone = 0;
    unsigned long nTotal = 0;
    unsigned long nSinceFirst = 0;                  // bytes moved since the send's first update
    std::chrono::steady_clock::duration elapsed{}; // in this time: they give the time left
};

// The status line of several serial lines, in the order given, at most 79 columns (UTF-8).
std::string LinesProgressLine(const std::vector<LineProgress>& lines);

// Whether standard error is a terminal (a progress line redrawn with '\r' would litter a file).
// In posix/ and win32/ Terminal.cpp.
bool StandardErrorIsTerminal();
