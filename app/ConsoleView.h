#pragma once
// The core's view for runs without a window: message lines go to a stream as they come (in UTF-8),
// questions are shown and answered no (as an unattended run would), message boxes become message
// lines (unless the line just shown says the same), and long operations run inline.

#include "connection/InstallerView.h"

#include <iosfwd>
#include <mutex>

class CConsoleView final : public CNoView {
public:
    explicit CConsoleView(std::ostream& out) : m_out(out) {}

    void ShowMessageLine(const std::string& line) override;
    // Nobody answers on the command line: the question is shown with its answer, no.
    bool AskYesNo(const std::string& question) override;
    void ShowMessageBox(const std::string& text) override;
    void ShowDisplayLists(const std::vector<InfoRow>& config, const std::vector<InfoRow>& status) override;

private:
    void PrintRows(const std::vector<InfoRow>& rows);

    std::ostream& m_out;
    std::mutex m_lock;
    std::string m_lastLine;
};
