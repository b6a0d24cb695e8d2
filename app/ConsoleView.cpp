#include "app/ConsoleView.h"

#include "update/JobReport.h"

#include <algorithm>
#include <ostream>


void CConsoleView::ShowMessageLine(const std::string& line)
{
    std::lock_guard guard(m_lock);
    m_out << Latin1ToTerminal(line) << '\n' << std::flush;
    m_lastLine = line;
}

void CConsoleView::ShowMessageBox(const std::string& text)
{
    // A box's line break would split one message over two lines of the log-like output.
    std::string line = text;
    std::replace(line.begin(), line.end(), '\n', ' ');
    // A window shows a result in its list and again in a box; here that would be the same line twice.
    {
        std::lock_guard guard(m_lock);
        if (line == m_lastLine)
            return;
    }
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
        m_out << Latin1ToTerminal(row.strTag) << std::string(width + 2 - row.strTag.size(), ' ') << Latin1ToTerminal(row.strValue) << '\n';
}
