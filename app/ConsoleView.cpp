#include "app/ConsoleView.h"

#include <algorithm>
#include <ostream>

namespace {

// The tool's texts are single-byte (Latin-1, as the controller files are read); terminals and
// logs on this side expect UTF-8, so the degree sign of a temperature must not reach them raw.
std::string ToUtf8(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return out;
}

} // namespace

void CConsoleView::ShowMessageLine(const std::string& line)
{
    std::lock_guard guard(m_lock);
    m_out << ToUtf8(line) << '\n' << std::flush;
}

void CConsoleView::ShowMessageBox(const std::string& text)
{
    // A box's line break would split one message over two lines of the log-like output.
    std::string line = text;
    std::replace(line.begin(), line.end(), '\n', ' ');
    ShowMessageLine(line);
}

bool CConsoleView::AskYesNo(const std::string& question)
{
    std::string line = question;
    std::replace(line.begin(), line.end(), '\n', ' ');
    ShowMessageLine(line + " -> No (not asked on the command line)");
    return false;
}

void CConsoleView::ShowDisplayLists(const std::vector<InfoRow>& config, const std::vector<InfoRow>& status)
{
    std::lock_guard guard(m_lock);
    m_out << '\n';
    PrintRows(config);
    m_out << '\n';
    PrintRows(status);
    m_out << std::flush;
}

void CConsoleView::PrintRows(const std::vector<InfoRow>& rows)
{
    std::size_t width = 0;
    for (const InfoRow& row : rows)
        width = std::max(width, row.strTag.size());
    for (const InfoRow& row : rows)
        m_out << ToUtf8(row.strTag) << std::string(width + 2 - row.strTag.size(), ' ') << ToUtf8(row.strValue) << '\n';
}
