#pragma once
// How long the automatic job would take on one line, from what each display's exchanges cost:
// the job's own order of attempts (every task refreshes the whole line twice, the customer
// protocol first, then the controller's; then it connects, installs, checks and waits for the
// restart), replayed over measured times instead of a line. Pure: a plan measures, this adds up.

#include <functional>
#include <vector>

// What a display answers when the job meets it.
enum class LineMode {
    Controller, // the controller's protocol
    Customer,   // the customer protocol, until the job switches it over (it boots into it again)
    NotOurs,    // answers the customer protocol's query as another maker's display
    Silent,     // answers nothing
};

// Seconds each exchange costs on this display, measured or estimated.
struct DisplayCosts {
    LineMode mode = LineMode::Silent;
    double signAnswered = 0; // the customer protocol's query, answered
    double signSilent = 0;   // ... unanswered (its time-out)
    double resetAnswered = 0; // a sequence reset, answered
    double resetSilent = 0;   // ... unanswered (every try)
    double configRead = 0;
    double statusRead = 0;
    bool bUpdate = false;    // the job would install firmware on it
    bool bFirmwareLine = false;
    double transfer = 0;     // the image's blocks, start frame included
};

// The fixed waits of an install (seconds): by firmware line, and whether another display of the
// line follows (then the job also waits for the restart).
using InstallWaits = std::function<double(bool firmwareLine, bool anotherFollows)>;

// The seconds of each display's task, in the job's order on one line.
std::vector<double> EstimateLineTasks(const std::vector<DisplayCosts>& displays, const InstallWaits& waits);
