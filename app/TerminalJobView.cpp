#include "app/TerminalJobView.h"

#include "update/JobReport.h"

#include <algorithm>
#include <cmath>
#include <ostream>

namespace {

using std::chrono::milliseconds;

constexpr std::size_t kLineColumns = 79; // an 80-column terminal wraps a line that fills it
constexpr std::size_t kBarMax = 20;
constexpr std::size_t kBarMin = 10;
constexpr std::size_t kRateColumns = 9;     // "24.1 kB/s"
constexpr std::size_t kTimeLeftColumns = 5; // "10:00"
constexpr std::size_t kLineBarMin = 4;      // a serial line's bar in the status line
constexpr std::size_t kPercentColumns = 4;  // " 45%"
constexpr milliseconds kRedrawInterval{100};
// A rate over less is mostly the first block's round trip.
constexpr milliseconds kRateWindow{500};

std::string PadLeft(std::string text, std::size_t width)
{
    if (text.size() < width)
        text.insert(0, width - text.size(), ' ');
    return text;
}

// Always ',' between thousands: the line reads the same in every locale.
std::string Thousands(unsigned long value)
{
    const std::string digits = std::to_string(value);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    return out;
}

bool RateKnown(unsigned long bytes, long long ms)
{
    return bytes > 0 && ms >= kRateWindow.count();
}

std::string RateText(unsigned long bytes, long long ms)
{
    if (!RateKnown(bytes, ms))
        return "-- B/s";
    const double bytesPerMs = static_cast<double>(bytes) / static_cast<double>(ms); // also kB/s
    const long long perSecond = std::llround(bytesPerMs * 1000);
    if (perSecond < 1000)
        return std::to_string(perSecond) + " B/s";
    const long long tenths = std::llround(bytesPerMs * 10);
    if (tenths < 1000)
        return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " kB/s";
    return std::to_string(std::llround(bytesPerMs)) + " kB/s";
}

std::string TimeLeftText(unsigned long remaining, unsigned long bytes, long long ms)
{
    if (remaining == 0)
        return "0:00";
    if (!RateKnown(bytes, ms))
        return "--:--";
    const double seconds = std::ceil(static_cast<double>(remaining) * static_cast<double>(ms) /
                                     (static_cast<double>(bytes) * 1000));
    // Beyond 99:59 the estimate says nothing a technician could act on.
    if (seconds > 99 * 60 + 59)
        return "--:--";
    const long long whole = static_cast<long long>(seconds);
    const long long secs = whole % 60;
    return std::to_string(whole / 60) + (secs < 10 ? ":0" : ":") + std::to_string(secs);
}

// Columns a UTF-8 line takes: one per character (the tool's texts hold no wide ones).
std::size_t Columns(const std::string& utf8)
{
    return static_cast<std::size_t>(
        std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// A name or step is what a controller or the operator supplied: control bytes would move the cursor.
std::string Printable(std::string latin1)
{
    for (char& c : latin1) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || (byte >= 0x7F && byte < 0xA0))
            c = '?';
    }
    return latin1;
}

// At most `width` characters, "..." ending a text that was cut where there is room for it.
std::string Cut(const std::string& text, std::size_t width)
{
    if (text.size() <= width)
        return text;
    return width >= 4 ? text.substr(0, width - 3) + "..." : text.substr(0, width);
}

// A serial line's segment of the status line (Latin-1, one column a byte), at most `width` wide.
std::string LineSegment(const LineProgress& line, std::size_t width)
{
    const std::string port = "COM" + std::to_string(line.nPort);
    if (!line.bSending) {
        const std::size_t used = port.size() + 1;
        return (port + " " + Cut(Printable(line.strText), width > used ? width - used : 0)).substr(0, width);
    }
    const unsigned long done = std::min(line.nDone, line.nTotal);
    const auto ofTotal = [&](std::size_t scale) {
        return line.nTotal == 0 ? scale
                                : static_cast<std::size_t>(static_cast<unsigned long long>(done) * scale / line.nTotal);
    };
    const std::string percent = PadLeft(std::to_string(ofTotal(100)) + "%", kPercentColumns);
    const auto bar = [&](std::size_t cells) {
        const std::size_t filled = ofTotal(cells);
        return port + " [" + std::string(filled, '#') + std::string(cells - filled, '-') + "] " + percent;
    };
    // "COMn [" "] " the percent, then " " and the time left.
    const std::size_t withoutTime = port.size() + 4 + kPercentColumns;
    const std::size_t withTime = withoutTime + 1 + kTimeLeftColumns;
    if (width >= withTime + kLineBarMin) {
        const long long ms = std::max<long long>(0, std::chrono::duration_cast<milliseconds>(line.elapsed).count());
        return bar(width - withTime) + " " + TimeLeftText(line.nTotal - done, line.nSinceFirst, ms);
    }
    if (width >= withoutTime + kLineBarMin)
        return bar(width - withoutTime);
    return (port + percent).substr(0, width);
}

} // namespace

std::string LinesProgressLine(const std::vector<LineProgress>& lines)
{
    if (lines.empty())
        return {};
    const std::size_t gaps = 2 * (lines.size() - 1);
    const std::size_t width = gaps < kLineColumns ? (kLineColumns - gaps) / lines.size() : 0;
    std::string status;
    for (const LineProgress& line : lines) {
        if (&line != &lines.front())
            status += "  ";
        std::string segment = LineSegment(line, width);
        segment.resize(width, ' ');
        status += segment;
    }
    // So many lines that not even the gaps fit: the line is cut rather than wrapped.
    if (status.size() > kLineColumns)
        status.resize(kLineColumns);
    status.erase(status.find_last_not_of(' ') + 1);
    return Latin1ToUtf8(status);
}

std::string TransferProgressLine(const std::string& fileName, unsigned long bytesDone, unsigned long bytesTotal,
                                 unsigned long bytesSinceFirst, std::chrono::steady_clock::duration elapsed)
{
    const unsigned long done = std::min(bytesDone, bytesTotal);
    const long long ms = std::max<long long>(0, std::chrono::duration_cast<milliseconds>(elapsed).count());
    const std::string total = Thousands(bytesTotal);
    const std::string tail = "  " + PadLeft(Thousands(done), total.size()) + " / " + total + " bytes  " +
                             PadLeft(RateText(bytesSinceFirst, ms), kRateColumns) + "  " +
                             PadLeft(TimeLeftText(bytesTotal - done, bytesSinceFirst, ms), kTimeLeftColumns) +
                             " left";

    // The bar gives way first, then the name.
    const std::size_t room = kLineColumns > tail.size() + 3 ? kLineColumns - tail.size() - 3 : 0; // " [" "]"
    std::string plain = Printable(fileName);
    std::size_t bar = std::min(kBarMax, room > plain.size() ? room - plain.size() : 0);
    if (bar < kBarMin) {
        bar = kBarMin;
        const std::size_t keep = room > kBarMin ? room - kBarMin : 0;
        plain = keep >= 4 ? plain.substr(0, keep - 3) + "..." : plain.substr(0, keep);
    }
    const std::string name = Latin1ToUtf8(plain);
    const std::size_t filled =
        bytesTotal == 0 ? bar
                        : static_cast<std::size_t>(static_cast<unsigned long long>(done) * bar / bytesTotal);
    return name + " [" + std::string(filled, '#') + std::string(bar - filled, '-') + "]" + tail;
}

CTerminalJobView::CTerminalJobView(std::ostream& out, Clock clock) : m_out(out), m_clock(std::move(clock)) {}

void CTerminalJobView::ShowTransferProgress(const std::string& fileName, unsigned long bytesDone,
                                            unsigned long bytesTotal)
{
    std::lock_guard guard(m_lock);
    const auto now = m_clock();
    const bool complete = bytesDone >= bytesTotal;
    Transfer* transfer = m_transfer ? &*m_transfer : nullptr;
    const bool same = transfer && transfer->strName == fileName && transfer->nTotal == bytesTotal;
    // The finished line is already down; a repeat of its last update would draw it twice.
    if (same && transfer->bDone && complete)
        return;
    if (!same || transfer->bDone || bytesDone < transfer->nLastDone) {
        // Another file, or the same one sent again: an unfinished line stays as it was left.
        if (m_nBarColumns > 0)
            m_out << '\n';
        m_nBarColumns = 0;
        transfer = &m_transfer.emplace(Transfer{fileName, bytesTotal, bytesDone, bytesDone, now, now, false, false});
    }
    transfer->nLastDone = bytesDone;
    if (transfer->bDrawn && !complete && now - transfer->lastDrawn < kRedrawInterval)
        return;

    const std::string line = TransferProgressLine(fileName, bytesDone, bytesTotal,
                                                  bytesDone - transfer->nFirstDone, now - transfer->first);
    if (m_nBarColumns > 0)
        m_out << '\r';
    m_out << line;
    // A shorter line would leave the end of the longer one on screen.
    const std::size_t columns = Columns(line);
    if (columns < m_nBarColumns)
        m_out << std::string(m_nBarColumns - columns, ' ');
    transfer->lastDrawn = now;
    transfer->bDrawn = true;
    if (complete) {
        m_out << '\n';
        m_nBarColumns = 0;
        transfer->bDone = true;
    } else {
        m_nBarColumns = std::max(m_nBarColumns, columns);
    }
    m_out << std::flush;
}

void CTerminalJobView::SetLineProgressText(int port, const std::string& text, const std::string&)
{
    std::lock_guard guard(m_lock);
    const auto [it, added] = m_lines.try_emplace(port);
    if (!added && it->second.strText == text)
        return;
    it->second.strText = text;
    // A step changes a few times a display, and a line left waiting (a restart) would otherwise
    // show the step before it until the next call; a sending line shows its bar, not its step.
    DrawLines(m_clock(), added || !it->second.bSending);
}

void CTerminalJobView::ShowLineTransferProgress(int port, const std::string& fileName, unsigned long bytesDone,
                                                unsigned long bytesTotal)
{
    std::lock_guard guard(m_lock);
    const auto now = m_clock();
    const auto [it, added] = m_lines.try_emplace(port);
    Line& line = it->second;
    const bool complete = bytesDone >= bytesTotal;
    const bool same = line.strFile == fileName && line.nTotal == bytesTotal;
    if (same && line.bCompleted && complete)
        return;
    // Another file, or the same one sent again: its time left counts afresh.
    const bool starts = !line.bSending || !same || bytesDone < line.nLastDone;
    if (starts) {
        line.bSending = true;
        line.bCompleted = false;
        line.strFile = fileName;
        line.nTotal = bytesTotal;
        line.nFirstDone = bytesDone;
        line.first = now;
    }
    line.nLastDone = bytesDone;
    line.last = now;
    if (complete) {
        line.bSending = false;
        line.bCompleted = true;
    }
    DrawLines(now, added || starts || complete);
}

void CTerminalJobView::EndLineProgress(int port, const std::string&)
{
    std::lock_guard guard(m_lock);
    if (m_lines.erase(port) > 0)
        DrawLines(m_clock(), true);
}

void CTerminalJobView::DrawLines(std::chrono::steady_clock::time_point now, bool always)
{
    if (m_lines.empty()) {
        ClearBar();
        m_out << std::flush;
        return;
    }
    if (!always && m_bLinesDrawn && now - m_linesDrawnAt < kRedrawInterval)
        return;
    std::vector<LineProgress> lines;
    lines.reserve(m_lines.size());
    for (const auto& [port, line] : m_lines)
        lines.push_back(LineProgress{port, line.strText, line.bSending, line.nLastDone, line.nTotal,
                                     line.nLastDone - line.nFirstDone, line.last - line.first});
    const std::string status = LinesProgressLine(lines);
    if (m_nBarColumns > 0)
        m_out << '\r';
    m_out << status;
    const std::size_t columns = Columns(status);
    if (columns < m_nBarColumns)
        m_out << std::string(m_nBarColumns - columns, ' ');
    m_nBarColumns = std::max(m_nBarColumns, columns);
    m_linesDrawnAt = now;
    m_bLinesDrawn = true;
    m_out << std::flush;
}

void CTerminalJobView::ShowMessageLine(const std::string& line)
{
    WriteLine(Latin1ToTerminal(line));
}

void CTerminalJobView::ShowMessageBox(const std::string& text)
{
    // A box's line break would split one message over two lines.
    std::string line = text;
    std::replace(line.begin(), line.end(), '\n', ' ');
    ShowMessageLine(line);
}

bool CTerminalJobView::AskYesNo(const std::string& question)
{
    std::string line = question;
    std::replace(line.begin(), line.end(), '\n', ' ');
    ShowMessageLine(line + " -> No (not asked on the command line)");
    return false;
}

void CTerminalJobView::WriteLine(const std::string& utf8Line)
{
    std::lock_guard guard(m_lock);
    ClearBar();
    m_out << utf8Line << '\n' << std::flush;
}

void CTerminalJobView::ClearBar()
{
    if (m_nBarColumns == 0)
        return;
    m_out << '\r' << std::string(m_nBarColumns, ' ') << '\r';
    m_nBarColumns = 0;
    // The next update draws it again, however soon it comes.
    if (m_transfer)
        m_transfer->bDrawn = false;
    m_bLinesDrawn = false;
}
