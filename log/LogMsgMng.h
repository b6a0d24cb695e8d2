#pragma once
// The job log: keeps the messages of one automatic-update job grouped by task, writes every
// message to the log file while it is open, and ends the job with the job result line that
// unattended callers read. Not locked: the caller serialises its use.

#include "log/GXLogFile.h"
#include "log/LogMsg.h"

#include <memory>
#include <string>
#include <vector>

class CLogMsgMng {
public:
    // Job result codes of the closing line.
    enum : int { JOB_SUCCESS = 0, JOB_NO_CRITICAL_ERRORS = 4, JOB_CRITICAL_ERROR = 9 };
    // Task codes from here on are critical.
    static constexpr int kCriticalTaskError = 500;

    CLogMsgMng() = default;
    // environment is not owned and must outlive the manager.
    explicit CLogMsgMng(const ILogEnvironment& environment) : m_log(environment) {}
    CLogMsgMng(const CLogMsgMng&) = delete;
    CLogMsgMng& operator=(const CLogMsgMng&) = delete;
    virtual ~CLogMsgMng() = default;

    // Resets, then opens the file at path for appending, with every prefix, level 1, weekly
    // rollover and a 1 MB size limit; lines also go to the debug output. True when it is open.
    bool OpenLog(const std::string& path);
    // Closes the file, ends any job and task, and drops every message.
    void Reset();

    // Writes the message's line (when the log is open) and stores a copy; a message that is
    // neither plain nor an error message is written but not stored.
    void AddMessage(const ILogMsg& message);
    // Writes the message's line and keeps the message. Nothing happens for a null message.
    void AddMessage(std::unique_ptr<ILogMsg> message);
    // True when the line was written.
    bool WriteLine(const std::string& text);

    // False when a job is already open (that job and its messages stay); otherwise drops the
    // messages of the previous job and opens one.
    bool BeginJob();
    // False when no job or a task is open.
    bool BeginTask();
    // False when no task is open.
    bool EndTask();
    // False when no job is open; otherwise closes the job (and a task left open) and writes the
    // job result line.
    bool EndJob();

    // Hands over the messages stored so far and forgets them, with the tasks begun among them: a
    // line of a parallel job keeps its display's lines until the job's own log takes them whole.
    std::vector<std::unique_ptr<ILogMsg>> TakeMessages();

    // The job result code for the messages stored now: 0, 4 or 9.
    int GetJobResult() const;
    // The line that closes a job with these messages.
    std::string GetJobLine() const;

    bool IsLogOpen() const { return m_bLogOpen; }
    // Some line did not reach the open file (see CGXLogFile::LinesLost).
    bool HasLostLines() const { return m_log.LinesLost(); }
    bool IsJobOpen() const { return m_bJobOpen; }
    bool IsTaskOpen() const { return m_bTaskOpen; }
    const std::string& GetLogPath() const { return m_strLogPath; }
    std::size_t GetMessageCount() const { return m_messages.size(); }

    // "[*TASK ERROR %d*]  " and the text for an error message, the text for a plain one, else empty.
    static std::string LineOf(const ILogMsg& message);

private:
    // The largest task code of the stored error messages, at least 0.
    int WorstTaskError() const;
    // Some error message inside the tasks has code 0, or all of them (at least one) have 101.
    bool TasksSucceeded() const;

    bool m_bJobOpen = false;
    bool m_bTaskOpen = false;
    bool m_bLogOpen = false;
    std::string m_strLogPath;
    std::vector<std::unique_ptr<ILogMsg>> m_messages;
    std::vector<std::size_t> m_taskStarts;  // the message count when each task began
    CGXLogFile m_log;
};
