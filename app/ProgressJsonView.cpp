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
    m_bTransfer = false;
    Emit("display_started", "\"number\": " + std::to_string(number) + ", " + Placed(display));
}

void CProgressJsonView::DisplayFinished(const DisplayReport& display, std::size_t number)
{
    std::lock_guard guard(m_lock);
    m_nDisplay = 0;
    m_bTransfer = false;
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
    // The same step told again (each try of a connection) is one step.
    if (text == m_strLastStep)
        return;
    m_strLastStep = text;
    Emit("step", "\"number\": " + (m_nDisplay == 0 ? std::string("null") : std::to_string(m_nDisplay)) +
                     ", \"text\": " + JsonString(text));
}

void CProgressJsonView::ShowTransferProgress(const std::string& fileName, unsigned long bytesDone,
                                             unsigned long bytesTotal)
{
    m_inner.ShowTransferProgress(fileName, bytesDone, bytesTotal);
    std::lock_guard guard(m_lock);
    const auto now = m_clock();
    const bool complete = bytesDone >= bytesTotal;
    const bool same = m_bTransfer && m_strFile == fileName && m_nTotal == bytesTotal && bytesDone >= m_nLastDone;
    if (!same) {
        m_bTransfer = true;
        m_strFile = fileName;
        m_nTotal = bytesTotal;
        m_nFirstDone = bytesDone;
        m_firstAt = now;
    } else if (!complete && now - m_lastWritten < kTransferInterval) {
        m_nLastDone = bytesDone;
        return;
    } else if (complete && m_nLastDone >= bytesTotal) {
        return; // its last line is out already
    }
    m_nLastDone = bytesDone;
    m_lastWritten = now;
    const double seconds = duration<double>(now - m_firstAt).count();
    const unsigned long moved = bytesDone - m_nFirstDone;
    const bool rateKnown = moved > 0 && now - m_firstAt >= kRateWindow;
    const double rate = rateKnown ? static_cast<double>(moved) / seconds : 0;
    const unsigned long left = bytesTotal > bytesDone ? bytesTotal - bytesDone : 0;
    Emit("transfer", "\"number\": " + (m_nDisplay == 0 ? std::string("null") : std::to_string(m_nDisplay)) +
                         ", \"file\": " + JsonString(fileName) + ", \"bytes_done\": " + std::to_string(bytesDone) +
                         ", \"bytes_total\": " + std::to_string(bytesTotal) +
                         ", \"bytes_per_second\": " + (rateKnown ? JsonDecimal(rate) : "null") +
                         ", \"seconds_left\": " + (rateKnown ? JsonDecimal(static_cast<double>(left) / rate) : "null"));
}
