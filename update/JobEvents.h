#pragma once
// What the automatic update job tells a watcher as it goes, beside its lines: the job and each
// display starting and finishing, with the display's entry of the report. A progress relay for
// fleet agents listens here; the steps and the transfer's bytes come through the view.

#include "update/JobReport.h"

#include <cstddef>

class IJobEvents {
public:
    // displays: every display the list names, those that will not be tried included.
    virtual void JobStarted(const JobReport& report, std::size_t displays) = 0;
    // number counts from 1 in the job's order; a display that is not tried only finishes.
    virtual void DisplayStarted(const DisplayReport& display, std::size_t number) = 0;
    virtual void DisplayFinished(const DisplayReport& display, std::size_t number) = 0;
    virtual void JobFinished(const JobReport& report) = 0;

protected:
    ~IJobEvents() = default;
};
