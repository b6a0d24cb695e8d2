#pragma once
// The job's plan for store IT: before a rollout, what the automatic job would do to each display
// of the list and how long it would take, with nothing changed on any display. Every display is
// spoken to only with what reads: the customer protocol's query, a sequence reset and the two
// file reads; nothing is installed, reset, switched or downloaded. A display that speaks the
// customer protocol is known by its query (its firmware version) and said to need the switch
// the job would make; its configuration is not read.

#include "connection/InstallerCore.h"
#include "files/DisplayInfo.h"
#include "update/JobReport.h"
#include "update/JobTimeModel.h"

#include <map>
#include <ostream>
#include <string>
#include <vector>

class CConfigDownloader;
class CFirmwareInstaller;

// How the plan ended, worst first: a scheduler runs the job on WorkToDo, and looks at the
// displays (or the list) on Unread.
enum class PlanResult { AllCurrent, WorkToDo, Unread };

class CJobPlanner {
public:
    CJobPlanner(CInstallerCore& core, CFirmwareInstaller& firmware, CConfigDownloader& config,
                std::string displaysPath);
    // As CAutomaticUpdateJob::SetDisplayListNames.
    void SetDisplayListNames(std::string asGiven, std::string lookedAt);

    // The lines (COM ports) read at the same time, each with a link of its own; the estimate is then
    // the job's with -parallel: its slowest line.
    void SetParallel(bool parallel) { m_bParallel = parallel; }

    // Reads every display of the list and writes the table to out.
    PlanResult Run(std::ostream& out);
    const JobReport& Report() const { return m_report; }

private:
    struct Probe; // what reading one display found and cost

    bool LoadList(std::vector<std::vector<DisplayInfo>>& lines);
    void PlanLine(const std::vector<DisplayInfo>& entries);
    // Every line on its own core and thread; the report in the job's order.
    void PlanLinesAtOnce(const std::vector<std::vector<DisplayInfo>>& lines);
    Probe ProbeDisplay(const DisplayInfo& entry);
    void ReadFiles(const DisplayInfo& entry, Probe& probe);
    void Decide(const DisplayInfo& entry, Probe& probe, DisplayReport& display);
    void CheckConfiguration(DisplayReport& display);
    // The compressed image for a firmware line (computed once per line): its size; 0 when it
    // cannot be loaded.
    unsigned long StreamBytes(bool firmwareLine);
    DisplayCosts CostsOf(const Probe& probe, const std::vector<Probe>& line, double excessSeconds) const;
    static double TransferSeconds(unsigned long streamBytes, unsigned long baud, double excessSeconds);
    void Finish(PlanResult& result);
    void WriteTable(std::ostream& out) const;

    CInstallerCore& m_core;
    CFirmwareInstaller& m_firmware;
    CConfigDownloader& m_config;
    std::string m_strDisplaysPath;
    std::string m_strDisplaysAsGiven;
    std::string m_strDisplaysLookedAt;
    JobReport m_report;
    std::map<bool, unsigned long> m_streamBytes; // by firmware line, for the run
    bool m_bParallel = false;
};

// The bytes of a send block's frame and of its reply (the header, 8 bytes of data, the checksum),
// for the time of a block on the line.
constexpr unsigned kSendBlockFrameBytes = 262;
constexpr unsigned kSendBlockReplyBytes = 15;
