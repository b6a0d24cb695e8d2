#pragma once
// The application object: parses the command line, opens the job log with "l1" and runs what the
// switches ask for. It owns the window-free core (and through it the job log) for the whole run,
// shown through a console view. An interactive start (no switch, or "a") runs the window when the
// build has one (see SetWindowRunner); the command-line forms never create it.

#include "PathSystem.h"
#include "PellworthCmdLineInfo.h"
#include "app/ConsoleView.h"
#include "app/ViewSwitch.h"
#include "connection/InstallerCore.h"
#include "log/LogMsgMng.h"
#include "update/ConfigDownload.h"
#include "update/FirmwareInstaller.h"
#include "update/JobReport.h"

#include <functional>
#include <iostream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

class CPellworthTestApp {
public:
    // args: the process arguments after the program name; out receives the usage text, err the
    // notes on what could not be done (such as a job log that cannot be opened).
    CPellworthTestApp(std::vector<std::string> args, std::ostream& out, std::ostream& err = std::cerr);

    CPellworthTestApp(const CPellworthTestApp&) = delete;
    CPellworthTestApp& operator=(const CPellworthTestApp&) = delete;

    // Parses the switches and returns the process exit status. Call once.
    int Run();

    CPellworthCmdLineInfo& GetCmdLineInfo() { return m_cmdInfo; }
    // The job log, open for the whole run with "l1".
    CLogMsgMng& GetLogManager() { return m_core.LogManager(); }
    CInstallerCore& GetCore() { return m_core; }
    CFirmwareInstaller& GetFirmware() { return m_firmware; }
    CConfigDownloader& GetConfig() { return m_config; }

    // The interactive start: run opens the window and returns the exit status; stop ends a running
    // window from another thread (a stop signal). Without a runner an interactive start says the
    // window is not part of this build.
    void SetWindowRunner(std::function<int()> run, std::function<void()> stop = {});
    // The view the core reports to: the window while it lives, the console otherwise.
    void UseView(IInstallerView& view) { m_view.Use(view); }
    void UseConsoleView() { m_view.Use(m_console); }

    static const char* UsageText();

private:
    // With "l1": opens the job log; when it cannot be opened the run goes on without it.
    void OpenJobLog();
    // The switches that steer the firmware decision, once they are parsed.
    FirmwareSwitches ReadFirmwareSwitches() const;
    // The form the switches ask for: its exit status.
    int RunForm();
    // The automatic update job without a window ("s"): its job result code.
    int RunUnattendedJob();
    // The job's plan ("plan"): the table on standard output, its exit status.
    int RunPlan();
    // What the job and the plan show on standard error while they run.
    std::unique_ptr<IInstallerView> TerminalView();
    // Switches that make the run pointless to start: false, with problem saying why (the line for
    // standard error, without the program's name). Notes on ignored switches are printed here.
    bool CheckUsage(std::string& problem);
    // Opens the session record (-record) before anything is sent; false with the problem when it
    // cannot be written.
    bool OpenSessionRecord(std::string& problem);
    // With "l1", a refused "s" leaves its job in the log: start, problem, job line, end.
    void LogRefusedJob(const std::string& problem);
    // One note on standard error for each input read in a way its writer may not expect.
    void NoteInputs();
    static const char* SignalName(int signal);
    // False, after saying why, when the report could not be written.
    bool WriteReport(const JobReport& report);

    std::vector<std::string> m_args;
    std::ostream& m_out;
    std::ostream& m_err;
    CNativePathSystem m_paths;  // before m_cmdInfo, which refers to it
    CPellworthCmdLineInfo m_cmdInfo;
    CConsoleView m_console;
    CViewSwitch m_view{m_console}; // the console, or the unattended job's own view
    CInstallerCore m_core; // after m_view, which it reports to
    CFirmwareInstaller m_firmware; // after m_core, which it works through
    CConfigDownloader m_config;    // likewise
    std::function<int()> m_runWindow;
    std::function<void()> m_stopWindow;
    bool m_bLogAsked = false; // "l1" was given
    bool m_bLogLost = false;  // ... and the log could not be opened
};

// A window's hold on the core: the window is the view while it lives, and the core goes back to
// the console before the window goes, so that no late call reaches it.
class CViewLease {
public:
    CViewLease(CPellworthTestApp& app, IInstallerView& view) : m_app(app) { m_app.UseView(view); }
    ~CViewLease() { m_app.UseConsoleView(); }
    CViewLease(const CViewLease&) = delete;
    CViewLease& operator=(const CViewLease&) = delete;

private:
    CPellworthTestApp& m_app;
};
