#include "connection/MessageStore.h"

#include "connection/InstallerView.h"
#include "log/LogMsg.h"
#include "log/LogMsgMng.h"

#include <memory>

void CMessageStore::AddStatusMessage(const std::string& text)
{
    std::unique_lock guard(m_lock);
    if (m_bLogging)
        m_log.AddMessage(std::make_unique<CLogMsg>(text));
    Append(text, guard);
}

void CMessageStore::AddErrorMessage(int taskCode, const std::string& text, int address)
{
    std::unique_lock guard(m_lock);
    CLogErrorMsg error(text, taskCode);
    if (m_errorSink)
        m_errorSink({taskCode, text, address});
    const std::string line = CLogMsgMng::LineOf(error);
    if (m_bLogging)
        m_log.AddMessage(std::make_unique<CLogErrorMsg>(error));
    Append(line, guard);
}

void CMessageStore::AddTask(std::vector<std::unique_ptr<ILogMsg>> messages)
{
    std::unique_lock guard(m_lock);
    if (m_bLogging)
        m_log.BeginTask();
    std::vector<std::string> lines;
    for (std::unique_ptr<ILogMsg>& message : messages) {
        lines.push_back(CLogMsgMng::LineOf(*message));
        if (m_bLogging)
            m_log.AddMessage(std::move(message));
    }
    if (m_bLogging)
        m_log.EndTask();
    m_lines.insert(m_lines.end(), lines.begin(), lines.end());
    std::lock_guard show(m_showLock);
    guard.unlock();
    for (const std::string& line : lines)
        m_view.ShowMessageLine(line);
}

void CMessageStore::SetErrorSink(std::function<void(const ErrorLine&)> sink)
{
    std::lock_guard guard(m_lock);
    m_errorSink = std::move(sink);
}

void CMessageStore::AddShownLine(const std::string& text)
{
    std::unique_lock guard(m_lock);
    Append(text, guard);
}

void CMessageStore::Append(const std::string& line, std::unique_lock<std::recursive_mutex>& guard)
{
    m_lines.push_back(line);
    std::lock_guard show(m_showLock);
    guard.unlock();
    m_view.ShowMessageLine(line);
}

void CMessageStore::SetLogging(bool on)
{
    std::lock_guard guard(m_lock);
    m_bLogging = on;
}

std::vector<std::string> CMessageStore::Lines() const
{
    std::lock_guard guard(m_lock);
    return m_lines;
}

void CMessageStore::Clear()
{
    std::lock_guard guard(m_lock);
    m_lines.clear();
    m_view.ClearMessageLines();
}
