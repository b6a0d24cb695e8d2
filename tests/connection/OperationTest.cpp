// The operation runner and the display session: who an Abort reaches, what a stop signal ends,
// whose lines are whose, and what the session shows a view.

#include "connection/DisplaySession.h"
#include "connection/MessageStore.h"
#include "connection/OperationRunner.h"
#include "log/LogMsgMng.h"
#include "tests/connection/CapturingView.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

class OperationTest : public ::testing::Test {
protected:
    CCapturingView m_view;
    CLogMsgMng m_log;
    CMessageStore m_store{m_view, m_log};
    CDisplaySession m_session{m_view};
    COperationRunner m_runner{m_view, m_store, m_session.Link(), m_session.LinkLock()};

    // Whether a step run now would find itself cancelled.
    bool StepSeesCancel()
    {
        bool cancelled = false;
        m_runner.Run([&] { cancelled = m_runner.IsCancelled(); });
        return cancelled;
    }
};

TEST_F(OperationTest, AnAbortReachesTheWholeJobAndNothingAfterIt)
{
    struct Case {
        const char* where;
        bool inStep; // pressed while a step runs, or between two steps
    };
    for (const Case c : {Case{"during a step", true}, Case{"between two steps", false}}) {
        {
            COperationScope job(m_runner);
            EXPECT_FALSE(StepSeesCancel()) << c.where;
            if (c.inStep)
                m_runner.Run([&] { m_runner.CancelCurrent(); });
            else
                m_runner.CancelCurrent();
            EXPECT_TRUE(StepSeesCancel()) << c.where << ": the next step of the same job";
            EXPECT_TRUE(job.Outcome().bCancelled) << c.where;
        }
        EXPECT_FALSE(StepSeesCancel()) << c.where << ": the operation after the job starts afresh";
    }
}

TEST_F(OperationTest, AStopSignalEndsTheOperationUnderWayAndEveryLaterOne)
{
    bool cancelledWithin = false;
    m_runner.Run([&] {
        m_runner.Stop();
        cancelledWithin = m_runner.IsCancelled();
    });
    EXPECT_TRUE(cancelledWithin);
    EXPECT_TRUE(StepSeesCancel());
    EXPECT_FALSE(m_runner.WaitUnlessCancelled(600000)) << "a fixed wait after the stop does not wait";
}

TEST_F(OperationTest, AFixedWaitEndsWhenTheOperationIsCancelledFromAnotherThread)
{
    bool waited = true;
    m_runner.Run([&] {
        std::thread abort([&] {
            while (!m_runner.IsBusy())
                std::this_thread::yield();
            m_runner.CancelCurrent();
        });
        waited = m_runner.WaitUnlessCancelled(600000);
        abort.join();
    });
    EXPECT_FALSE(waited);
}

TEST_F(OperationTest, ErrorLinesBelongToTheOperationThatReportedThemAndItsParents)
{
    COperationScope job(m_runner);
    m_store.AddErrorMessage(600, "job's own");
    OperationOutcome taskOutcome;
    {
        COperationScope task(m_runner, NestedLines::KeptApart);
        const OperationOutcome step = m_runner.Run([&] { m_store.AddErrorMessage(510, "in a step"); });
        EXPECT_EQ(step.lines, (std::vector<ErrorLine>{{510, "in a step"}}));
        m_store.AddErrorMessage(302, "task's own");
        taskOutcome = task.Outcome();
    }
    EXPECT_EQ(taskOutcome.lines, (std::vector<ErrorLine>{{510, "in a step"}, {302, "task's own"}}));
    EXPECT_EQ(taskOutcome.WorstCode(), 510);
    EXPECT_EQ(job.Outcome().lines, (std::vector<ErrorLine>{{600, "job's own"}})) << "a task's lines are kept apart";
}

TEST_F(OperationTest, AKeepAliveNeverBecomesAPartOfAnotherThreadsOperation)
{
    bool refreshed = false;
    bool ran = true;
    {
        COperationScope job(m_runner);
        std::thread keepAlive([&] { ran = m_runner.RunIfIdle([&] { refreshed = true; }); });
        keepAlive.join();
        m_store.AddErrorMessage(510, "the job's");
        EXPECT_EQ(job.Outcome().lines.size(), 1u);
    }
    EXPECT_FALSE(ran);
    EXPECT_FALSE(refreshed);
    EXPECT_TRUE(m_runner.RunIfIdle([&] { refreshed = true; }));
    EXPECT_TRUE(refreshed);
    EXPECT_FALSE(m_runner.IsBusy());
}

TEST_F(OperationTest, InViewAnOperationRunsBehindOneProgressWindowWithItsPartsInline)
{
    std::vector<bool> busy;
    m_runner.SetBusyListener([&](bool now) { busy.push_back(now); });
    int parts = 0;
    m_runner.Run([&] {
        m_runner.Run([&] { ++parts; });
        m_runner.Run([&] { ++parts; });
    });
    EXPECT_EQ(parts, 2);
    EXPECT_EQ(m_view.jobs, 1) << "parts run on the operation's worker, not behind windows of their own";
    EXPECT_EQ(busy, (std::vector<bool>{true, false}));
    m_runner.SetMode(RunMode::Inline);
    m_runner.Run([&] { ++parts; });
    EXPECT_EQ(m_view.jobs, 1) << "inline";
    m_runner.SetBusyListener(nullptr);
}

TEST_F(OperationTest, TheSessionShowsEachPlacementAndWhetherADisplayIsConnected)
{
    std::vector<SessionState> shown;
    struct Recorder : CCapturingView {
        std::vector<SessionState>* states = nullptr;
        void ShowSessionState(const SessionState& state) override { states->push_back(state); }
    } view;
    view.states = &shown;
    CDisplaySession session(view);
    session.ShowAddress(4);
    session.ShowAddress(4); // placed again: a view that was typed into shows it afresh
    session.MarkConnected(3, 4);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[1].nAddress, 4);
    EXPECT_NE(shown[1].nPlaced, shown[0].nPlaced);
    EXPECT_FALSE(shown[2].bConnected) << "no link is open, so no display is connected";
    EXPECT_EQ(shown[2].nPort, 3);
    session.SetBusy(true);
    EXPECT_TRUE(shown.back().bBusy);
    const std::size_t before = shown.size();
    session.SetBusy(true);
    EXPECT_EQ(shown.size(), before) << "an unchanged state is not shown again";
}

} // namespace

namespace {

TEST(OperationProgress, TheBarFollowsThePlanOfWeightedSteps)
{
    struct Case {
        const char* what;
        std::vector<unsigned> weights;
        std::vector<unsigned long> units; // of each step, in turn
        int barSteps;
        std::vector<int> after; // bar position after each unit
    };
    const Case cases[] = {
        {"one step: a bar step per unit, none past its end", {}, {3}, 3, {1, 2, 3}},
        {"three parts in four, then one", {3, 1}, {3, 2}, 1000, {250, 500, 750, 875, 1000}},
        {"a weight of zero counts as one", {0, 1}, {1, 1}, 1000, {500, 1000}},
    };
    for (const Case& c : cases) {
        CCapturingView view;
        COperationProgress progress(view);
        if (!c.weights.empty())
            progress.Plan(c.weights);
        std::vector<int> after;
        for (std::size_t step = 0; step < c.units.size(); ++step) {
            progress.BeginStep(step, c.units[step]);
            for (unsigned long unit = 0; unit <= c.units[step]; ++unit) { // one more than the step has
                progress.Advance();
                if (unit < c.units[step])
                    after.push_back(view.progressStepped);
            }
        }
        EXPECT_EQ(view.progressSteps, c.barSteps) << c.what;
        EXPECT_EQ(after, c.after) << c.what;
    }
}

} // namespace
