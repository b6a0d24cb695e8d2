// The job's time on a line replayed over given exchange costs: the refresh passes before every
// task, the customer protocol's displays switched once, the install with its check and the
// restart wait only where another display follows.
#include "update/JobTimeModel.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {

// Exchange costs chosen so that every sum below tells which exchanges were counted.
DisplayCosts Costs(LineMode mode, bool update = false)
{
    DisplayCosts costs;
    costs.mode = mode;
    costs.signAnswered = 0.002;
    costs.signSilent = 0.3;
    costs.resetAnswered = 0.01;
    costs.resetSilent = 1.2;
    costs.configRead = 0.07;
    costs.statusRead = 0.05;
    costs.bUpdate = update;
    costs.transfer = update ? 60 : 0;
    return costs;
}

const InstallWaits kWaits = [](bool firmwareLine, bool anotherFollows) {
    return (firmwareLine ? 20.0 : 50.0) + (anotherFollows ? 20.0 : 0.0);
};

struct LineCase {
    const char* name;
    std::vector<DisplayCosts> line;
    std::vector<double> tasks;
};

TEST(JobTimeModel, EachTaskCountsTheJobsExchanges)
{
    const double refreshController = (0.3 + 0.01) + (0.01 + 0.05); // customer query, reset; reset, status
    const double connectController = 0.01 + 0.07 + 0.05;
    const double refreshSilent = (0.3 + 1.2 + 1.2) + 2 * (1.2 + 0.3 + 1.2); // every attempt, twice in pass 2
    const double refreshNotOurs = 0.002 + 2 * (1.2 + 0.002);
    const LineCase cases[] = {
        {"one current display", {Costs(LineMode::Controller)}, {refreshController + connectController}},
        {"one display updated, none after it",
         {Costs(LineMode::Controller, true)},
         // install, waits, the check's reconnection (query unanswered, reset), status, reset
         {refreshController + connectController + 60 + 50 + (0.3 + 0.01) + 0.05 + 0.01}},
        {"updated, then another: the restart wait and its reconnection",
         {Costs(LineMode::Controller, true), Costs(LineMode::Controller)},
         {2 * refreshController + connectController + 60 + 70 + 2 * (0.3 + 0.01) + 0.05 + 0.01,
          2 * refreshController + connectController}},
        {"the customer protocol: switched in the first task's first pass only",
         {Costs(LineMode::Customer), Costs(LineMode::Controller)},
         {(2 * 0.002 + 0.01) + (0.01 + 0.05) + refreshController + connectController,
          2 * refreshController + connectController}},
        {"silent and not ours: no files, no install",
         {Costs(LineMode::Silent, true), Costs(LineMode::NotOurs, true)},
         {refreshSilent + refreshNotOurs + (1.2 + 0.3 + 1.2), refreshSilent + refreshNotOurs + (1.2 + 0.002)}},
    };
    for (const LineCase& c : cases) {
        const std::vector<double> tasks = EstimateLineTasks(c.line, kWaits);
        ASSERT_EQ(tasks.size(), c.tasks.size()) << c.name;
        for (std::size_t i = 0; i < tasks.size(); ++i)
            EXPECT_NEAR(tasks[i], c.tasks[i], 1e-9) << c.name << ", task " << i;
    }
}

TEST(JobTimeModel, FirmwareLineTakesItsOwnWaits)
{
    DisplayCosts display = Costs(LineMode::Controller, true);
    const double mainLine = EstimateLineTasks({display}, kWaits).front();
    display.bFirmwareLine = true;
    EXPECT_NEAR(mainLine - EstimateLineTasks({display}, kWaits).front(), 30.0, 1e-9);
    EXPECT_TRUE(EstimateLineTasks({}, kWaits).empty());
}

} // namespace
