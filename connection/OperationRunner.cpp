#include "connection/OperationRunner.h"

#include "base/TimeScale.h"

#include <iterator>

COperationRunner::COperationRunner(IInstallerView& view, CMessageStore& store, CS22SignLink& link,
                                   std::recursive_mutex& linkLock)
    : m_view(view), m_store(store), m_link(link), m_linkLock(linkLock)
{
    m_store.SetErrorSink([this](const ErrorLine& line) { Record(line); });
}

COperationRunner::~COperationRunner()
{
    m_store.SetErrorSink(nullptr);
}

COperation* COperationRunner::Enter(NestedLines lines, bool onlyIfIdle)
{
    bool becameBusy = false;
    COperation* operation = nullptr;
    {
        std::lock_guard guard(m_lock);
        std::shared_ptr<CCancelToken> token;
        if (!m_operations.empty()) {
            if (onlyIfIdle)
                return nullptr;
            token = m_operations.back()->SharedToken();
        } else {
            const bool stopped = m_stopToken->IsCancelled();
            token = std::make_shared<CCancelToken>(stopped);
            if (!stopped)
                m_link.ClearAbort();
            becameBusy = true;
        }
        m_operations.push_back(
            std::make_unique<COperation>(std::move(token), m_view, lines == NestedLines::PassedUp));
        operation = m_operations.back().get();
    }
    if (becameBusy)
        NotifyBusy();
    return operation;
}

void COperationRunner::Leave(COperation& operation)
{
    bool becameIdle = false;
    {
        std::lock_guard guard(m_lock);
        // Scopes end in the reverse order they began, so this is normally the innermost.
        for (auto it = m_operations.rbegin(); it != m_operations.rend(); ++it) {
            if (it->get() != &operation)
                continue;
            const auto parent = std::next(it);
            if (parent != m_operations.rend() && operation.PassesLinesUp())
                for (const ErrorLine& line : operation.Reporter().Lines())
                    (*parent)->Reporter().Record(line);
            m_operations.erase(parent.base());
            break;
        }
        becameIdle = m_operations.empty();
    }
    if (becameIdle)
        NotifyBusy();
}

void COperationRunner::SetBusyListener(std::function<void(bool)> listener)
{
    std::lock_guard busy(m_busyLock);
    m_onBusy = std::move(listener);
}

void COperationRunner::NotifyBusy()
{
    std::lock_guard busy(m_busyLock);
    if (m_onBusy)
        m_onBusy(IsBusy());
}

void COperationRunner::Record(const ErrorLine& line)
{
    std::lock_guard guard(m_lock);
    if (!m_operations.empty())
        m_operations.back()->Reporter().Record(line);
}

OperationOutcome COperationRunner::Run(const std::function<void()>& work, ProgressKind kind)
{
    COperationScope scope(*this, NestedLines::PassedUp);
    RunEntered(work, kind);
    return scope.Outcome();
}

bool COperationRunner::RunIfIdle(const std::function<void()>& work, ProgressKind kind)
{
    COperation* operation = Enter(NestedLines::PassedUp, true);
    if (operation == nullptr)
        return false;
    RunEntered(work, kind);
    Leave(*operation);
    return true;
}

void COperationRunner::RunEntered(const std::function<void()>& work, ProgressKind kind)
{
    bool onWorker = false;
    {
        std::lock_guard guard(m_lock);
        if (m_bClosed)
            return;
        onWorker = m_nWorkers > 0;
    }
    if (m_mode == RunMode::Inline || onWorker) {
        std::lock_guard link(m_linkLock);
        work();
        return;
    }
    // Whichever thread the view runs the work on holds the link for it.
    m_view.RunWithProgress([&] {
        std::lock_guard link(m_linkLock);
        {
            std::lock_guard guard(m_lock);
            if (m_bClosed)
                return;
            ++m_nWorkers;
        }
        work();
        std::lock_guard guard(m_lock);
        --m_nWorkers;
    }, kind);
}

void COperationRunner::CancelCurrent()
{
    if (auto token = CurrentToken())
        token->Cancel();
    m_link.Abort();
    std::lock_guard guard(m_cancelListenerLock);
    if (m_onCancel)
        m_onCancel();
}

void COperationRunner::SetCancelListener(std::function<void()> listener)
{
    std::lock_guard guard(m_cancelListenerLock);
    m_onCancel = std::move(listener);
}

void COperationRunner::Stop()
{
    m_stopToken->Cancel();
    CancelCurrent();
}

bool COperationRunner::IsStopped() const
{
    return m_stopToken->IsCancelled();
}

void COperationRunner::Close()
{
    std::lock_guard guard(m_lock);
    m_bClosed = true;
}

std::shared_ptr<CCancelToken> COperationRunner::CurrentToken() const
{
    std::lock_guard guard(m_lock);
    return m_operations.empty() ? nullptr : m_operations.back()->SharedToken();
}

bool COperationRunner::IsCancelled() const
{
    const auto token = CurrentToken();
    return IsStopped() || (token && token->IsCancelled());
}

bool COperationRunner::WaitUnlessCancelled(unsigned long ms)
{
    const auto token = CurrentToken();
    CCancelToken& waitOn = token ? *token : *m_stopToken;
    const auto start = std::chrono::steady_clock::now();
    const bool waited = !IsStopped() && waitOn.Wait(std::chrono::milliseconds(ScaledWaitMs(ms)));
    std::lock_guard guard(m_lock);
    m_waited += std::chrono::steady_clock::now() - start;
    return waited;
}

std::chrono::steady_clock::duration COperationRunner::TimeWaited() const
{
    std::lock_guard guard(m_lock);
    return m_waited;
}

COperationProgress& COperationRunner::Progress()
{
    std::lock_guard guard(m_lock);
    return m_operations.empty() ? m_idleProgress : m_operations.back()->Progress();
}

bool COperationRunner::IsBusy() const
{
    std::lock_guard guard(m_lock);
    return !m_operations.empty();
}
