#pragma once
// What an unattended run shows on a terminal: the message lines as they come (in UTF-8), and for
// each file send one progress line redrawn in place, so a technician at the store's machine sees
// that a long firmware download is moving. Questions are answered no without asking, message boxes
// become lines, long operations run inline. Calls may come from any thread.

#include "connection/InstallerView.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <iosfwd>
#include <mutex>
#include <optional>
#include <string>

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

    void WriteLine(const std::string& utf8Line);
    void ClearBar();

    std::ostream& m_out;
    Clock m_clock;
    std::mutex m_lock; // guards the stream and everything below
    std::optional<Transfer> m_transfer;
    std::size_t m_nBarColumns = 0; // columns of the progress line on screen; 0: none shown
};

// One progress line, at most 79 columns: name, bar, bytes, rate and time left, e.g.
//   FX40211.EXE [##########----------]  313,320 / 626,640 bytes  24.1 kB/s  0:13 left
// `bytesSinceFirst` moved in `elapsed` give the rate; "--" until that is at least half a second
// and some bytes.
std::string TransferProgressLine(const std::string& fileName, unsigned long bytesDone, unsigned long bytesTotal,
                                 unsigned long bytesSinceFirst, std::chrono::steady_clock::duration elapsed);

// Whether standard error is a terminal (a progress line redrawn with '\r' would litter a file).
// In posix/ and win32/ Terminal.cpp.
bool StandardErrorIsTerminal();
