#include "app/ProgressJsonView.h"

#include <ostream>

namespace {

using std::chrono::duration;
using std::chrono::milliseconds;

constexpr milliseconds kTransferInterval{250};
// A rate over less is mostly the first block's round trip.
constexpr milliseconds kRateWindow{500};

std::string Placed(const DisplayReport& display)
{
    const bool placed = display.nPort != 0;
    return "\"name\": " + JsonString(display.strName) +
           ", \"port\": " + (placed ? std::to_string(display.nPort) : "null") +
           ", \"address\": " + (placed ? std::to_string(display.nAddress) : "null");
}

} // namespace

CProgressJsonView::CProgressJsonView(std::ostream& out, IInstallerView& inner, Clock clock)
    : m_out(out), m_inner(inner), m_clock(std::move(clock)), m_started(m_clock())
{
}

void CProgressJsonView::Emit(const char* event, const std::string& members)
{
    const double t = duration<double>(m_clock() - m_started).count();
    m_out << "{\"event\": \"" << event << "\", \"t\": " << JsonDecimal(t);
    if (!members.empty())
        m_out << ", " << members;
    m_out << "}\n" << std::flush;
}

void CProgressJsonView::JobStarted(const JobReport& report, std::size_t displays)
{
    std::lock_guard guard(m_lock);
    m_started = m_clock();
    Emit("job_started", "\"displays\": " + std::to_string(displays) +
                            ", \"display_list\": " + JsonString(report.strDisplayList));
}

void CProgressJsonView::DisplayStarted(const DisplayReport& display, std::size_t number)
{
    std::lock_guard guard(m_lock);
    m_nDisplay = number;
    m_strLastStep.clear();
    m_transfer.bActive = false;
    m_lines[static_cast<int>(display.nPort)] = Line{number, {}, {}};
    Emit("display_started", "\"number\": " + std::to_string(number) + ", " + Placed(display));
}

void CProgressJsonView::DisplayFinished(const DisplayReport& display, std::size_t number)
{
    std::lock_guard guard(m_lock);
    m_nDisplay = 0;
    m_transfer.bActive = false;
    // A display not tried finishes without starting, maybe while another is worked on its port.
    const auto line = m_lines.find(static_cast<int>(display.nPort));
    if (line != m_lines.end() && line->second.nDisplay == number) {
        line->second.nDisplay = 0;
        line->second.transfer.bActive = false;
    }
    Emit("display_finished",
         "\"number\": " + std::to_string(number) + ", " + Placed(display) + ", \"outcome\": \"" +
             DisplayOutcomeName(display.outcome) + "\", \"outcome_code\": " +
             (display.nOutcomeCode < 0 ? "null" : std::to_string(display.nOutcomeCode)) +
             ", \"reason\": " + (display.strReason.empty() ? "null" : JsonString(display.strReason)) +
             ", \"seconds\": " + JsonDecimal(display.dSeconds));
}

void CProgressJsonView::JobFinished(const JobReport& report)
{
    std::lock_guard guard(m_lock);
    Emit("job_finished", "\"job_result\": " + std::to_string(report.nJobResult) +
                             ", \"aborted\": " + (report.bAborted ? "true" : "false") +
                             ", \"seconds\": " + JsonDecimal(report.dSeconds) +
                             ", \"outcomes\": " + OutcomeCountsJson(report.displays));
}

void CProgressJsonView::SetProgressText(const std::string& text)
{
    m_inner.SetProgressText(text);
    std::lock_guard guard(m_lock);
    Step(m_strLastStep, m_nDisplay, text);
}

void CProgressJsonView::SetLineProgressText(int port, const std::string& text, const std::string& allLines)
{
    m_inner.SetLineProgressText(port, text, allLines);
    std::lock_guard guard(m_lock);
    Line& line = m_lines[port];
    Step(line.strLastStep, line.nDisplay, text);
}

void CProgressJsonView::ShowTransferProgress(const std::string& fileName, unsigned long bytesDone,
                                             unsigned long bytesTotal)
{
    m_inner.ShowTransferProgress(fileName, bytesDone, bytesTotal);
    std::lock_guard guard(m_lock);
    TransferLine(m_transfer, m_nDisplay, fileName, bytesDone, bytesTotal);
}

void CProgressJsonView::ShowLineTransferProgress(int port, const std::string& fileName, unsigned long bytesDone,
                                                 unsigned long bytesTotal)
{
    m_inner.ShowLineTransferProgress(port, fileName, bytesDone, bytesTotal);
    std::lock_guard guard(m_lock);
    Line& line = m_lines[port];
    TransferLine(line.transfer, line.nDisplay, fileName, bytesDone, bytesTotal);
}

void CProgressJsonView::Step(std::string& lastStep, std::size_t display, const std::string& text)
{
    // The same step told again (each try of a connection) is one step.
    if (text == lastStep)
        return;
    lastStep = text;
    Emit("step", "\"number\": " + (display == 0 ? std::string("null") : std::to_string(display)) +
                     ", \"text\": " + JsonString(text));
}

void CProgressJsonView::TransferLine(Transfer& transfer, std::size_t display, const std::string& fileName,
                                     unsigned long bytesDone, unsigned long bytesTotal)
{
    const auto now = m_clock();
    const bool complete = bytesDone >= bytesTotal;
    const bool same = transfer.bActive && transfer.strFile == fileName && transfer.nTotal == bytesTotal &&
                      bytesDone >= transfer.nLastDone;
    if (!same) {
        transfer.bActive = true;
        transfer.strFile = fileName;
        transfer.nTotal = bytesTotal;
        transfer.nFirstDone = bytesDone;
        transfer.firstAt = now;
    } else if (!complete && now - transfer.lastWritten < kTransferInterval) {
        transfer.nLastDone = bytesDone;
        return;
    } else if (complete && transfer.nLastDone >= bytesTotal) {
        return; // its last line is out already
    }
    transfer.nLastDone = bytesDone;
    transfer.lastWritten = now;
    const double seconds = duration<double>(now - transfer.firstAt).count();
    const unsigned long moved = bytesDone - transfer.nFirstDone;
    const bool rateKnown = moved > 0 && now - transfer.firstAt >= kRateWindow;
    const double rate = rateKnown ? static_cast<double>(moved) / seconds : 0;
    const unsigned long left = bytesTotal > bytesDone ? bytesTotal - bytesDone : 0;
    Emit("transfer", "\"number\": " + (display == 0 ? std::string("null") : std::to_string(display)) +
                         ", \"file\": " + JsonString(fileName) + ", \"bytes_done\": " + std::to_string(bytesDone) +
                         ", \"bytes_total\": " + std::to_string(bytesTotal) +
                         ", \"bytes_per_second\": " + (rateKnown ? JsonDecimal(rate) : "null") +
                         ", \"seconds_left\": " + (rateKnown ? JsonDecimal(static_cast<double>(left) / rate) : "null"));
}
