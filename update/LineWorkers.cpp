#include "update/LineWorkers.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <thread>

namespace {

// A line's work is inline and short-lived: its link is closed when a display is done, so no
// keep-alive is ever due.
class CNoKeepAlive final : public IKeepAliveTimer {
public:
    void Start(std::chrono::milliseconds) override {}
    void Stop() override {}
};

// How often the job's core is looked at for a cancel while the lines run: well inside the time a
// technician waits for an Abort to show.
constexpr std::chrono::milliseconds kCancelPoll{20};

} // namespace

void CLineProgressBoard::SetText(int port, const std::string& text)
{
    std::string all;
    {
        std::lock_guard guard(m_lock);
        m_texts[port] = text;
        all = Joined();
    }
    m_jobView.SetLineProgressText(port, text, all);
}

void CLineProgressBoard::Transfer(int port, const std::string& fileName, unsigned long done, unsigned long total)
{
    m_jobView.ShowLineTransferProgress(port, fileName, done, total);
}

void CLineProgressBoard::End(int port)
{
    {
        std::lock_guard guard(m_lock);
        m_texts.erase(port);
    }
    m_jobView.EndLineProgress(port);
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

    std::mutex lock;
    std::condition_variable changed;
    std::size_t running = lines.size();
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        threads.emplace_back([&, i] {
            work(*spaces[i], lines[i]);
            spaces[i]->Core().Session().CloseLink();
            board.End(lines[i].nPort);
            std::lock_guard guard(lock);
            --running;
            changed.notify_all();
        });
    }
    bool stopped = false;
    {
        std::unique_lock guard(lock);
        while (running > 0) {
            changed.wait_for(guard, kCancelPoll);
            if (!stopped && jobCore.IsCancelled()) {
                stopped = true;
                for (const auto& space : spaces)
                    space->Core().Interrupt();
            }
        }
    }
    for (std::thread& thread : threads)
        thread.join();
}
