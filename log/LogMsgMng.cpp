#include "log/LogMsgMng.h"

#include <algorithm>

namespace {

// Messages of the tool's log: every prefix, level 1.
constexpr int kOutputFlags = CGXLogFile::OUTPUT_FULL_PATH | CGXLogFile::OUTPUT_DEBUGGER | CGXLogFile::OUTPUT_APPEND;
constexpr int kFormatFlags = 0xFF;
constexpr int kMaxLevel = 1;
constexpr int kRolloverFlags = CGXLogFile::ROLL_WEEKLY | CGXLogFile::ROLL_SIZE_CUT;
constexpr int kMaxSizeKB = 1024;

// A task code that counts as success when it is the only code of the job's tasks.
constexpr int kNotAReaderBoard = 101;

const ILogErrorMsg* AsError(const ILogMsg& message)
{
    if (message.GetType() != ILogMsg::TYPE_ERROR)
        return nullptr;
    return dynamic_cast<const ILogErrorMsg*>(&message);
}

}  // namespace

bool CLogMsgMng::OpenLog(const std::string& path)
{
    Reset();
    m_strLogPath = path;
    m_bLogOpen = m_log.Open(path.c_str(), kOutputFlags, kFormatFlags, kMaxLevel, kRolloverFlags, kMaxSizeKB) ==
                 CGXLogFile::LOG_OK;
    return m_bLogOpen;
}

void CLogMsgMng::Reset()
{
    m_bJobOpen = false;
    m_bTaskOpen = false;
    m_bLogOpen = false;
    m_log.Close();
    m_messages.clear();
    m_taskStarts.clear();
}

std::string CLogMsgMng::LineOf(const ILogMsg& message)
{
    if (const ILogErrorMsg* error = AsError(message))
        return "[*TASK ERROR " + std::to_string(error->GetTaskError()) + "*]  " + message.GetText();
    if (message.GetType() == ILogMsg::TYPE_MESSAGE)
        return message.GetText();
    return std::string();
}

void CLogMsgMng::AddMessage(const ILogMsg& message)
{
    WriteLine(LineOf(message));
    if (const ILogErrorMsg* error = AsError(message)) {
        auto copy = std::make_unique<CLogErrorMsg>(*error);
        m_messages.push_back(std::move(copy));
    } else if (message.GetType() == ILogMsg::TYPE_MESSAGE) {
        m_messages.push_back(std::make_unique<CLogMsg>(message));
    }
}

void CLogMsgMng::AddMessage(std::unique_ptr<ILogMsg> message)
{
    if (!message)
        return;
    WriteLine(LineOf(*message));
    m_messages.push_back(std::move(message));
}

bool CLogMsgMng::WriteLine(const std::string& text)
{
    if (!m_bLogOpen)
        return false;
    return m_log.Write(text.c_str(), 1) == CGXLogFile::LOG_OK;
}

std::vector<std::unique_ptr<ILogMsg>> CLogMsgMng::TakeMessages()
{
    std::vector<std::unique_ptr<ILogMsg>> taken = std::move(m_messages);
    m_messages.clear();
    m_taskStarts.clear();
    return taken;
}

bool CLogMsgMng::BeginJob()
{
    if (m_bJobOpen)
        return false;
    m_messages.clear();
    m_taskStarts.clear();
    m_bJobOpen = true;
    m_bTaskOpen = false;
    return true;
}

bool CLogMsgMng::BeginTask()
{
    if (m_bTaskOpen || !m_bJobOpen)
        return false;
    m_bTaskOpen = true;
    m_taskStarts.push_back(m_messages.size());
    return true;
}

bool CLogMsgMng::EndTask()
{
    if (!m_bTaskOpen)
        return false;
    m_bTaskOpen = false;
    return true;
}

bool CLogMsgMng::EndJob()
{
    if (!m_bJobOpen)
        return false;
    m_bJobOpen = false;
    m_bTaskOpen = false;
    WriteLine(GetJobLine());
    return true;
}

int CLogMsgMng::WorstTaskError() const
{
    int worst = 0;
    for (const auto& message : m_messages) {
        if (const ILogErrorMsg* error = AsError(*message))
            worst = std::max(worst, error->GetTaskError());
    }
    return worst;
}

bool CLogMsgMng::TasksSucceeded() const
{
    if (m_taskStarts.empty())
        return false;
    bool anySuccess = false;
    bool allNotReaderBoard = true;
    bool anyError = false;
    for (std::size_t i = m_taskStarts.front(); i < m_messages.size(); ++i) {
        const ILogErrorMsg* error = AsError(*m_messages[i]);
        if (error == nullptr)
            continue;
        anyError = true;
        anySuccess = anySuccess || error->GetTaskError() == 0;
        allNotReaderBoard = allNotReaderBoard && error->GetTaskError() == kNotAReaderBoard;
    }
    return anySuccess || (anyError && allNotReaderBoard);
}

int CLogMsgMng::GetJobResult() const
{
    if (WorstTaskError() >= kCriticalTaskError)
        return JOB_CRITICAL_ERROR;
    return TasksSucceeded() ? JOB_SUCCESS : JOB_NO_CRITICAL_ERRORS;
}

std::string CLogMsgMng::GetJobLine() const
{
    switch (GetJobResult()) {
    case JOB_CRITICAL_ERROR:
        return "[*JOB ERROR 9*] Automatic updates had a task error of " + std::to_string(WorstTaskError());
    case JOB_SUCCESS:
        return "[*JOB ERROR 0*] Automatic updates completed successfully";
    default:
        return "[*JOB ERROR 4*] Automatic updates completed with no critical errors or upgrades";
    }
}
