#include "update/LineWorkers.h"

#include <chrono>
#include <memory>
#include <system_error>
#include <thread>

namespace {

// A line's work is inline and short-lived: its link is closed when a display is done, so no
// keep-alive is ever due.
class CNoKeepAlive final : public IKeepAliveTimer {
public:
    void Start(std::chrono::milliseconds) override {}
    void Stop() override {}
};

} // namespace

// The view is told under the board's lock, so that the joined texts reach it in the order they
// were made; views never call back into the board.
void CLineProgressBoard::SetText(int port, const std::string& text)
{
    std::lock_guard guard(m_lock);
    m_texts[port] = text;
    m_jobView.SetLineProgressText(port, text, Joined());
}

void CLineProgressBoard::Transfer(int port, const std::string& fileName, unsigned long done, unsigned long total)
{
    m_jobView.ShowLineTransferProgress(port, fileName, done, total);
}

void CLineProgressBoard::End(int port)
{
    std::lock_guard guard(m_lock);
    m_texts.erase(port);
    m_jobView.EndLineProgress(port, Joined());
}

std::string CLineProgressBoard::Joined() const
{
    std::string all;
    for (const auto& [port, text] : m_texts) {
        if (!all.empty())
            all += '\n';
        all += "COM" + std::to_string(port) + ": " + text;
    }
    return all;
}

CLineWorkspace::CLineWorkspace(int port, CLineProgressBoard& board, const FirmwareSwitches& switches)
    : m_nPort(port), m_view(port, board), m_core(m_view, std::make_unique<CNoKeepAlive>()),
      m_firmware(m_core, switches), m_config(m_core)
{
    m_core.Runner().SetMode(RunMode::Inline);
    // The job's result is counted from the lines the job log is handed, with or without a file.
    m_core.Messages().SetLogging(true);
}

void WorkLinesAtOnce(CInstallerCore& jobCore, const FirmwareSwitches& switches, const std::vector<LineWork>& lines,
                     const std::function<void(CLineWorkspace&, const LineWork&)>& work)
{
    CLineProgressBoard board(jobCore.View());
    std::vector<std::unique_ptr<CLineWorkspace>> spaces;
    for (const LineWork& line : lines)
        spaces.push_back(std::make_unique<CLineWorkspace>(line.nPort, board, switches));

    // An Abort or a stop of the job reaches every line at once, also one that came before the
    // lines start (then no line opens its port).
    auto stopLines = [&spaces] {
        for (const auto& space : spaces)
            space->Core().Interrupt();
    };
    jobCore.Runner().SetCancelListener(stopLines);
    if (jobCore.IsCancelled())
        stopLines();

    auto workLine = [&](std::size_t i) {
        work(*spaces[i], lines[i]);
        spaces[i]->Core().Session().CloseLink();
        board.End(lines[i].nPort);
    };
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        try {
            threads.emplace_back(workLine, i);
        } catch (const std::system_error&) {
            workLine(i); // no thread to be had: this line is worked here, the others go on
        }
    }
    for (std::thread& thread : threads)
        thread.join();
    jobCore.Runner().SetCancelListener(nullptr);
}
