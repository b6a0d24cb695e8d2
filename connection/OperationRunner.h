#pragma once
// Runs the core's operations: behind the view's progress window on a worker (a technician's
// window), or inline (the command line and the unattended job); the mode says which. It owns the
// cancel tokens: the progress window's Abort cancels the operation under way, a stop signal
// cancels it and every operation after it.

#include "connection/InstallerView.h"
#include "connection/MessageStore.h"
#include "connection/Operation.h"
#include "link/S22SignLink.h"

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

enum class RunMode {
    InView, // each long operation behind the view's progress window
    Inline, // on the caller's thread, nothing shown but the lines
};

// Whether a nested operation's error lines are also its parent's (a step's are its task's), or
// kept apart (a display's task: the job lists them under the display, not as its own).
enum class NestedLines { PassedUp, KeptApart };

class COperationRunner {
public:
    // link and linkLock: the session's; the runner holds the lock while work runs and aborts the
    // link when an operation is cancelled.
    COperationRunner(IInstallerView& view, CMessageStore& store, CS22SignLink& link, std::recursive_mutex& linkLock);
    ~COperationRunner();
    COperationRunner(const COperationRunner&) = delete;
    COperationRunner& operator=(const COperationRunner&) = delete;

    void SetMode(RunMode mode) { m_mode = mode; }
    bool InView() const { return m_mode == RunMode::InView; }

    // Runs work as an operation, or as a part of the one under way. Holds the link while it runs.
    OperationOutcome Run(const std::function<void()>& work, ProgressKind kind = ProgressKind::Running);
    // Runs work as an operation of its own, only when none is under way (a keep-alive, from a
    // thread of its own, must never become a part of another thread's operation); false when one was.
    bool RunIfIdle(const std::function<void()>& work, ProgressKind kind = ProgressKind::Running);
    // The progress window's Abort: the operation under way and everything nested in it.
    void CancelCurrent();
    // A stop signal: the operation under way and every later one start cancelled.
    void Stop();
    bool IsStopped() const;
    // No operation starts any more (the core is going away).
    void Close();

    // Whether the operation under way was cancelled (after Stop, always).
    bool IsCancelled() const;
    // A fixed wait of the protocol (scaled like every wait); cut short by a cancel. False when
    // the operation was cancelled before or during the wait.
    bool WaitUnlessCancelled(unsigned long ms);
    // How long the fixed waits have taken in all, for measurements.
    std::chrono::steady_clock::duration TimeWaited() const;

    // The progress of the operation under way (of none: shown all the same).
    COperationProgress& Progress();

    bool IsBusy() const;
    // Called when the runner becomes busy or idle (outside its lock).
    void SetBusyListener(std::function<void(bool)> listener);
    // Called after every Abort and stop (CancelCurrent, Stop), on the caller's thread, outside the
    // runner's lock: a job whose parts run on runners of their own passes it on to them. Setting
    // another (or none) waits for a call under way, so a listener is never called after it was
    // replaced.
    void SetCancelListener(std::function<void()> listener);

private:
    friend class COperationScope;
    // Pushes a new innermost operation: a fresh token at the top, its parent's inside. With
    // onlyIfIdle, pushes nothing (null) while another operation is under way.
    COperation* Enter(NestedLines lines, bool onlyIfIdle = false);
    void Leave(COperation& operation);
    // Runs the work of the operation just entered, in view or inline.
    void RunEntered(const std::function<void()>& work, ProgressKind kind);
    // Tells the listener whether the runner is busy now; serialised, so the last word is the latest.
    void NotifyBusy();
    void Record(const ErrorLine& line);
    std::shared_ptr<CCancelToken> CurrentToken() const;

    IInstallerView& m_view;
    CMessageStore& m_store;
    CS22SignLink& m_link;
    std::recursive_mutex& m_linkLock;
    RunMode m_mode = RunMode::InView;
    std::function<void(bool)> m_onBusy;
    std::mutex m_busyLock; // taken around the busy listener only
    std::function<void()> m_onCancel;
    std::mutex m_cancelListenerLock; // taken around the cancel listener only

    mutable std::mutex m_lock; // guards everything below
    std::vector<std::unique_ptr<COperation>> m_operations; // outermost first
    std::shared_ptr<CCancelToken> m_stopToken = std::make_shared<CCancelToken>();
    bool m_bClosed = false;
    int m_nWorkers = 0; // work running on a view's worker: operations inside it run inline
    std::chrono::steady_clock::duration m_waited{};
    COperationProgress m_idleProgress{m_view};
};

// An operation for as long as the scope lives, without a worker of its own: the job, a display's
// task. Runs inside it are its parts.
class COperationScope {
public:
    explicit COperationScope(COperationRunner& runner, NestedLines lines = NestedLines::PassedUp)
        : m_runner(runner), m_operation(*runner.Enter(lines))
    {
    }
    ~COperationScope() { m_runner.Leave(m_operation); }
    COperationScope(const COperationScope&) = delete;
    COperationScope& operator=(const COperationScope&) = delete;

    OperationOutcome Outcome() const { return m_operation.Outcome(); }

private:
    COperationRunner& m_runner;
    COperation& m_operation;
};
