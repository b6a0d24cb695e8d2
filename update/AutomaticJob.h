#pragma once
// The automatic update job: every display of a display list brought up to the recommended
// firmware, port by port, one task per display in the job log, ending with the job line whose
// code unattended callers read. Runs as the core's runner runs its operations: inline, or in view
// of an operator (each long step behind the progress window). It also gathers the report of the
// run from the outcomes of the job and of each display's task.

#include "connection/InstallerCore.h"
#include "files/DisplayInfo.h"
#include "files/MapControllerComBus.h"
#include "update/DisplayList.h"
#include "update/JobEvents.h"
#include "update/JobReport.h"
#include "update/LineWorkers.h"

#include <chrono>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

class CFirmwareInstaller;

// Task code of a display list whose last record is cut before its port and rate lines: the
// displays it names are never reached, which the job line must not let pass as a good run.
constexpr int kTaskListRecordCut = 603;

class CAutomaticUpdateJob {
public:
    // displaysPath: the resolved "df" path (empty when none was given).
    CAutomaticUpdateJob(CInstallerCore& core, CFirmwareInstaller& firmware, std::string displaysPath);
    // How the list was named, for the lines and the report when it cannot be read: the "df"
    // value as written and the path looked at (which displaysPath leaves empty for a missing file).
    void SetDisplayListNames(std::string asGiven, std::string lookedAt);

    // The task code of a job refused before it started (a bad command line).
    static constexpr int kTaskNotStarted = 602;

    // The whole job; returns the job result code of its job line (0, 4 or 9).
    int RunAutomaticUpdates();
    // A job that is refused before it starts still leaves its run in the log, shaped as a job:
    // the opening line, the problem (task code 602), the job line and the closing line. Returns
    // the job result code (9).
    static int RecordRefusedStart(CInstallerCore& core, const std::string& problem);

    bool LoadDisplayList(CMapControllerComBus& ports, std::vector<DisplayInfo>& entries);
    // The two attempts for one display: S2200 Protocol first, or Pellworth Protocol first.
    static void BuildDisplayConnectionList(std::vector<CONNECTION_INFO>& list, int address, int port,
                                           unsigned long baud, bool pellworthFirst);
    void RefreshDisplays(const std::vector<DisplayInfo>& entries);
    void UpdateDisplaysOnPort(const std::vector<DisplayInfo>& entries);

    // A report entry for a display of the list: its name, port, address and rate.
    static DisplayReport ReportOf(const DisplayInfo& entry);

    // What the last run did, display by display.
    const JobReport& Report() const { return m_report; }
    // Told as the job and each display start and end; null (the default) for nobody.
    void SetEvents(IJobEvents* events) { m_pEvents = events; }
    // Each COM port of the list worked on a thread of its own with a link of its own, all at the
    // same time; within a port the displays keep the job's order. Each display's task is written
    // to the log whole when it is done, so the tasks of different ports never interleave.
    void SetParallel(bool parallel) { m_bParallel = parallel; }

private:
    using Clock = std::chrono::steady_clock;
    class CLineRelay;

    // True once the operator's Abort (or a stop signal) came at any point of this run.
    bool Aborted() const;
    void ReportListFault(const CSilentConfigFileParser& parser);
    // Drops a display listed again on the same port at the same address, with a line.
    void DropRepeatedDisplays(std::vector<DisplayInfo>& entries);
    // The ports of the list in the job's order, each worked unless it is busy or the job aborted.
    void WorkPorts(const CMapControllerComBus& ports);
    // False, with the port's line and its displays not tried, when another program holds it.
    bool PortIsFree(unsigned port, const std::vector<DisplayInfo>& onPort);
    // The free ports' lines, each on its own core and thread.
    void WorkLinesTogether(const std::vector<LineWork>& lines);
    // A parallel job's line, on the line's own core: its displays as the job works a port.
    void WorkLine(const std::vector<DisplayInfo>& entries);
    void WorkDisplay(const std::vector<DisplayInfo>& reachable, const DisplayInfo& entry, bool anotherFollows);
    // A display the job leaves alone, in the report with the reason (and the code, -1 for none).
    void NotTried(const DisplayInfo& entry, int code, const std::string& reason);
    void NotTried(DisplayReport display);
    // The displays the list names but the job never reaches: repeated, or their records refused.
    void ReportUnreachedEntries();
    void RefuseAddress(const DisplayInfo& entry);
    void RefreshPass(const std::vector<DisplayInfo>& entries);
    void RefreshDisplay(const DisplayInfo& entry);
    // True when the display was left restarting (reset after its check).
    bool UpdateDisplay(const DisplayInfo& entry, DisplayReport& report);
    bool InstallOnDisplay(const DisplayInfo& entry, DisplayReport& report);
    void AwaitRestart(const DisplayInfo& entry);
    // Runs a step as a part of the job: inline, or behind the progress window with its running
    // indicator.
    void Step(const std::function<void()>& work);
    void Log(const std::string& text) { m_core.AddStatusMessage(text); }

    CInstallerCore& m_core;
    CFirmwareInstaller& m_firmware;
    std::string m_strDisplaysPath;
    std::string m_strDisplaysAsGiven;
    std::string m_strDisplaysLookedAt;
    JobReport m_report;
    IJobEvents* m_pEvents = nullptr;
    // Of the run under way: the displays the list names and were left out before the ports were
    // worked, and the running number of the next display.
    std::vector<DisplayReport> m_unreached;
    std::size_t m_nDisplayNumber = 0;
    bool m_bInstallSent = false; // the display being worked was sent its image
    bool m_bParallel = false;
    // A parallel job's lines finishing displays: the job log's tasks, the numbers, the report
    // and the events, one line at a time.
    std::mutex m_lineLock;
};
