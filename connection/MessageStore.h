#pragma once
// The message channel every step reports through: lines in call order, shown by the view and,
// while the job log is on, handed to the log manager. Safe from any thread.

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CLogMsgMng;
class ILogMsg;
class IInstallerView;

// An error line as reported: its task code and text (without the line's prefix), and the display
// address it concerns where the reporter knows it (a connection attempt, a file read); 0 where it
// is the display being worked on.
struct ErrorLine {
    int nCode = 0;
    std::string strText;
    int nAddress = 0;
    bool operator==(const ErrorLine&) const = default;
};

class CMessageStore {
public:
    CMessageStore(IInstallerView& view, CLogMsgMng& log) : m_view(view), m_log(log) {}

    void AddStatusMessage(const std::string& text);
    // The line stored and shown is "[*TASK ERROR <code>*]  " followed by the text.
    void AddErrorMessage(int taskCode, const std::string& text, int address = 0);

    // A line the job log writes by itself (the job line): stored and shown, not handed to the log.
    void AddShownLine(const std::string& text);

    // A display's task worked on another core (a line of a parallel job), written whole: the
    // job log's task begun, its messages written and kept in order, the task ended, and the
    // lines stored and shown. They are the task's lines, so no operation of this store's hears them.
    void AddTask(std::vector<std::unique_ptr<ILogMsg>> messages);

    // While on, every line also goes to the job log.
    void SetLogging(bool on);
    std::vector<std::string> Lines() const;
    void Clear();

    // Called with every error line as it is reported (under the store's lock), for the outcome
    // of the operation under way.
    void SetErrorSink(std::function<void(const ErrorLine&)> sink);

    // The lock the job log is used under: its job and task calls take it too.
    std::recursive_mutex& Lock() { return m_lock; }

private:
    // Stores the line, then shows it after leaving the store's lock.
    void Append(const std::string& line, std::unique_lock<std::recursive_mutex>& guard);

    IInstallerView& m_view;
    CLogMsgMng& m_log;
    mutable std::recursive_mutex m_lock;
    // Taken before m_lock is left, so lines reach the view in the order they were stored without
    // the view being called under the lock that Cancel needs.
    std::mutex m_showLock;
    std::vector<std::string> m_lines;
    bool m_bLogging = false;
    std::function<void(const ErrorLine&)> m_errorSink;
};
