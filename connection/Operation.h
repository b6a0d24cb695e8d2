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

// What an operation shows while it runs: its progress window's text, whether Abort is offered,
// the bar, and the bytes of a file send for views that show rates. The bar follows a plan of
// weighted steps; each step is begun with its number of units and advanced unit by unit. With a
// plan of one step (the default) the bar's steps are the step's units, one for one.
class COperationProgress {
public:
    explicit COperationProgress(IInstallerView& view) : m_view(view) {}

    void Text(const std::string& text) { m_view.SetProgressText(text); }
    void AllowAbort(bool allow) { m_view.EnableAbort(allow); }
    void Transfer(const std::string& file, unsigned long done, unsigned long total)
    {
        m_view.ShowTransferProgress(file, done, total);
    }

    // Weights of zero count as one; an empty plan is one step.
    void Plan(std::vector<unsigned> weights);
    // Starts step `step` of the plan (one past the last: the last), made of `units` units.
    void BeginStep(std::size_t step, unsigned long units);
    // One unit of the current step done (none past its end).
    void Advance();

    // The bar's length for a plan of several steps.
    static constexpr int kBarSteps = 1000;

private:
    // Where the bar stands now, in bar steps.
    int Position() const;

    IInstallerView& m_view;
    std::vector<unsigned> m_weights{1};
    unsigned long m_totalWeight = 1;
    std::size_t m_step = 0;
    unsigned long m_units = 0;
    unsigned long m_done = 0;
    int m_shown = 0; // bar steps shown so far (plans of several steps)
};

// What an operation ended with: the error lines (task codes and texts) it reported itself, in
// order, and whether it was cancelled.
struct OperationOutcome {
    std::vector<ErrorLine> lines;
    bool bCancelled = false;

    // The highest task code reported, 0 when none was.
    int WorstCode() const;
};

// The error lines of one operation, for its outcome. Lines are reported through the message store
// (and so reach the view and the job log); the store hands each error line to the innermost
// operation's reporter.
class COperationReporter {
public:
    void Record(const ErrorLine& line) { m_lines.push_back(line); }
    const std::vector<ErrorLine>& Lines() const { return m_lines; }

private:
    std::vector<ErrorLine> m_lines;
};

class COperation {
public:
    COperation(std::shared_ptr<CCancelToken> token, IInstallerView& view, bool passLinesUp)
        : m_token(std::move(token)), m_progress(view), m_bPassLinesUp(passLinesUp)
    {
    }
    // Whether its error lines are its parent's too when it ends.
    bool PassesLinesUp() const { return m_bPassLinesUp; }

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
