#pragma once
// One piece of work the core runs for the operator or a job: its own cancel token, the progress it
// shows, the lines it reports and, at its end, its outcome. Operations nest: a display's task inside
// the job, a step inside a task. A nested operation shares its parent's token (an Abort ends the
// whole job) but keeps its own lines.

#include "connection/InstallerView.h"
#include "connection/MessageStore.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// Cancelled once, by the operator's Abort or a stop signal; never cleared. Fixed waits of the
// protocol wait on it and end as soon as it is cancelled.
class CCancelToken {
public:
    explicit CCancelToken(bool cancelled = false) : m_bCancelled(cancelled) {}

    void Cancel();
    bool IsCancelled() const;
    // Waits ms (already scaled); false when the token was cancelled before or during the wait.
    bool Wait(std::chrono::milliseconds ms);

private:
    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    bool m_bCancelled;
};

// What an operation shows while it runs: its progress window's text, a bar of steps for the
// transfers, and the bytes of a file send for views that show rates.
class COperationProgress {
public:
    explicit COperationProgress(IInstallerView& view) : m_view(view) {}

    void Text(const std::string& text) { m_view.SetProgressText(text); }
    void Steps(int steps) { m_view.SetProgressSteps(steps); }
    void Step() { m_view.StepProgress(); }
    void AllowAbort(bool allow) { m_view.EnableAbort(allow); }
    void Transfer(const std::string& file, unsigned long done, unsigned long total)
    {
        m_view.ShowTransferProgress(file, done, total);
    }

private:
    IInstallerView& m_view;
};

// What an operation ended with: the error lines (task codes and texts) it reported itself, in
// order, and whether it was cancelled.
struct OperationOutcome {
    std::vector<ErrorLine> lines;
    bool bCancelled = false;

    // The highest task code reported, 0 when none was.
    int WorstCode() const;
};

// The lines of one operation: they go to the message store (and so the view and the job log) and
// the error lines are kept for its outcome.
class COperationReporter {
public:
    explicit COperationReporter(CMessageStore& store) : m_store(store) {}

    void Status(const std::string& text) { m_store.AddStatusMessage(text); }
    void Error(int taskCode, const std::string& text) { m_store.AddErrorMessage(taskCode, text); }
    // Called by the store's sink for every error line reported while this operation is innermost.
    void Record(const ErrorLine& line) { m_lines.push_back(line); }
    const std::vector<ErrorLine>& Lines() const { return m_lines; }

private:
    CMessageStore& m_store;
    std::vector<ErrorLine> m_lines;
};

class COperation {
public:
    COperation(std::shared_ptr<CCancelToken> token, IInstallerView& view, CMessageStore& store, bool passLinesUp)
        : m_token(std::move(token)), m_progress(view), m_reporter(store), m_bPassLinesUp(passLinesUp)
    {
    }
    // Whether its error lines are its parent's too when it ends.
    bool PassesLinesUp() const { return m_bPassLinesUp; }

    CCancelToken& Token() { return *m_token; }
    const std::shared_ptr<CCancelToken>& SharedToken() const { return m_token; }
    bool IsCancelled() const { return m_token->IsCancelled(); }
    COperationProgress& Progress() { return m_progress; }
    COperationReporter& Reporter() { return m_reporter; }
    OperationOutcome Outcome() const { return {m_reporter.Lines(), m_token->IsCancelled()}; }

private:
    std::shared_ptr<CCancelToken> m_token;
    COperationProgress m_progress;
    COperationReporter m_reporter;
    bool m_bPassLinesUp;
};
