#include "PellworthTestApp.h"

#include "PingCommand.h"
#include "app/ExitStatus.h"
#include "app/ActionCommand.h"
#include "app/InfoCommand.h"
#include "link/TimeScale.h"
#include "app/SignalWatch.h"
#include "app/TerminalJobView.h"
#include "app/Version.h"
#include "update/AutomaticJob.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <utility>

CPellworthTestApp::CPellworthTestApp(std::vector<std::string> args, std::ostream& out, std::ostream& err)
    : m_args(std::move(args)), m_out(out), m_err(err), m_cmdInfo(m_paths, kNativePathStyle), m_console(out),
      m_core(m_view), m_firmware(m_core, FirmwareSwitches{}), m_config(m_core)
{
}

int CPellworthTestApp::Run()
{
    m_cmdInfo.Parse(m_args);
    if (m_cmdInfo.IsHelp()) {
        m_out << UsageText();
        return exitstatus::kDone;
    }
    if (m_cmdInfo.IsVersion()) {
        m_out << "QVXFirmInstaller " << ToolVersion() << "\n";
        return exitstatus::kDone;
    }
    std::string problem;
    if (!CheckUsage(problem)) {
        m_err << "qvxfirminstaller: " << problem << "\n";
        if (m_cmdInfo.IsSilent())
            LogRefusedJob(problem);
        return exitstatus::kUsage;
    }
    NoteInputs();
    OpenJobLog();
    m_firmware.SetSwitches(ReadFirmwareSwitches());
    // A signal aborts whatever runs through the link's abort; the port is closed on the way out,
    // so its settings come back and no exclusive hold outlives the run.
    CSignalWatch watch({stopsignal::kInterrupt, stopsignal::kTerminate, stopsignal::kHangUp},
                       [this](int) {
                           m_core.Interrupt();
                           if (m_stopWindow)
                               m_stopWindow();
                       });
    const int status = RunForm();
    m_core.CloseLink();
    const int signal = watch.FirstSignal();
    if (signal == 0)
        return status;
    m_err << "qvxfirminstaller: interrupted by " << SignalName(signal)
          << (m_cmdInfo.IsSilent() ? "; the job line was written and the port closed.\n"
                                   : "; the port was closed and its settings restored.\n");
    return m_cmdInfo.IsSilent() ? status : exitstatus::Interrupted(signal);
}

int CPellworthTestApp::RunForm()
{
    if (m_cmdInfo.IsSilent())
        return RunUnattendedJob();
    if (m_cmdInfo.IsPing())
        return RunPing(m_cmdInfo, m_out, m_core);
    if (m_cmdInfo.IsInfo())
        return RunInfo(m_cmdInfo, m_core, m_firmware, m_config);
    if (!m_cmdInfo.GetActionForms().empty())
        return RunAction(m_cmdInfo, m_core, m_firmware, m_config, m_out, m_err);
    if (m_runWindow)
        return m_runWindow();
    // A script must never read "nothing happened" as success.
    m_err << (m_cmdInfo.IsAuto() ? "qvxfirminstaller: -a runs the job in the window, which is not part of this "
                                   "build; -s runs it unattended.\n"
                                 : "qvxfirminstaller: the interactive window is not part of this build; see --help.\n");
    return exitstatus::kUsage;
}

void CPellworthTestApp::SetWindowRunner(std::function<int()> run, std::function<void()> stop)
{
    m_runWindow = std::move(run);
    m_stopWindow = std::move(stop);
}

const char* CPellworthTestApp::SignalName(int signal)
{
    switch (signal) {
    case stopsignal::kInterrupt:
        return "SIGINT";
    case stopsignal::kTerminate:
        return "SIGTERM";
    case stopsignal::kHangUp:
        return "SIGHUP";
    default:
        return "a signal";
    }
}

bool CPellworthTestApp::CheckUsage(std::string& problem)
{
    const std::size_t actions = m_cmdInfo.GetActionForms().size();
    const std::size_t forms = (m_cmdInfo.IsSilent() ? 1 : 0) + (m_cmdInfo.IsPing() ? 1 : 0) +
                              (m_cmdInfo.IsInfo() ? 1 : 0) + actions;
    if (forms > 1) {
        problem = std::string("-s, -ping, -info and the display actions are separate runs; give one of them") +
                  (m_cmdInfo.IsSilent() ? "; the job was not started" : "") + " (see --help).";
        return false;
    }
    if (!m_cmdInfo.IsSilent() && actions == 0) {
        for (const std::string& word : m_cmdInfo.GetUnknownSwitches())
            m_err << "qvxfirminstaller: note: -" << word << " is not a switch of this tool and is ignored.\n";
        return true;
    }
    // A typo in a scheduler's command line must not run a different job, nor act on a display
    // with values other than those meant.
    for (const std::string& word : m_cmdInfo.GetUnknownSwitches()) {
        problem = "unknown switch -" + word + "; " + (actions ? "nothing was sent" : "the job was not started") +
                  " (see --help).";
        return false;
    }
    if (actions != 0)
        return true;
    if (m_cmdInfo.IsReport() && m_cmdInfo.GetReportFilePath().empty()) {
        problem = "-report needs the report's file name (not too long). The job was not started.";
        return false;
    }
    return true;
}

void CPellworthTestApp::NoteInputs()
{
    const std::string note = "qvxfirminstaller: note: ";
    if (m_cmdInfo.IsBaudGiven() && !m_cmdInfo.GetBaud().empty()) {
        const std::string text = m_cmdInfo.GetBaud();
        const int rate = m_cmdInfo.GetBaudRate();
        static const int kRates[] = {115200, 19200, 56700, 38400, 28800, 9600, 4800, 2400};
        const bool known = std::find(std::begin(kRates), std::end(kRates), rate) != std::end(kRates);
        if (rate == 0)
            m_err << note << "-b \"" << text << "\" is not a rate; it reads as 0, so all eight rates are tried.\n";
        else if (std::to_string(rate) != text)
            m_err << note << "-b \"" << text << "\" reads as " << rate << " (its leading digits)"
                  << (known ? ".\n" : ", which is not one of the tool's rates; it is tried as it is.\n");
        else if (!known)
            m_err << note << "-b " << rate << " is not one of the tool's rates (115200, 19200, 56700, 38400, "
                  << "28800, 9600, 4800, 2400); it is tried as it is.\n";
    }
    for (const std::string& problem : TimeScaleProblems())
        m_err << note << problem << "\n";
    if (!m_cmdInfo.IsLogging() && m_cmdInfo.IsLogFileGiven())
        m_err << note << "-lf names a log file, but without -l1 no log is written.\n";
    if (m_cmdInfo.IsReport() && !m_cmdInfo.IsSilent())
        m_err << note << "-report is written by the unattended job (-s) only.\n";
}

int CPellworthTestApp::RunUnattendedJob()
{
    // On a terminal the lines and a bar for each transfer; for schedulers nothing but the log,
    // the report and the exit status.
    std::unique_ptr<IInstallerView> view;
    if (StandardErrorIsTerminal())
        view = std::make_unique<CTerminalJobView>(m_err);
    else
        view = std::make_unique<CNoView>();
    m_view.Use(*view);
    // The job's result is kept (and is the exit status) even without a log file to write it to.
    m_core.Messages().SetLogging(true);
    CAutomaticUpdateJob job(m_core, m_firmware, m_cmdInfo.GetDisplaysFilePath());
    job.SetDisplayListNames(m_cmdInfo.GetDisplaysFileAsGiven(), m_cmdInfo.GetDisplaysFileLookedAt());
    // A signal (see Run) is the operator's Abort: the exchange under way ends, nothing follows.
    const int result = job.RunAutomaticUpdates(true);
    m_core.CloseLink();
    bool kept = !m_bLogLost;
    if (m_bLogAsked && m_core.LogManager().HasLostLines()) {
        m_err << "qvxfirminstaller: lines of the job log could not be written to " << m_core.LogManager().GetLogPath()
              << ".\n";
        kept = false;
    }
    if (m_cmdInfo.IsReport() && !WriteReport(job.Report()))
        kept = false;
    m_view.Use(m_console);
    // A scheduler that reads the exit status alone must not take a job whose record is missing
    // for a success; a critical error says more than the missing record.
    return kept || result == CLogMsgMng::JOB_CRITICAL_ERROR ? result : exitstatus::kJobRecordLost;
}

void CPellworthTestApp::LogRefusedJob(const std::string& problem)
{
    OpenJobLog();
    if (!m_core.LogManager().IsLogOpen())
        return;
    CNoView quiet; // the line is on standard error already
    m_view.Use(quiet);
    CAutomaticUpdateJob::RecordRefusedStart(m_core, problem);
    m_view.Use(m_console);
}

bool CPellworthTestApp::WriteReport(const JobReport& report)
{
    const std::string path = m_cmdInfo.GetReportFilePath();
    std::string fault;
    if (WriteJobReport(path, report, fault))
        return true;
    m_err << "qvxfirminstaller: the job report could not be written to " << path << ": " << fault << "\n";
    return false;
}

void CPellworthTestApp::OpenJobLog()
{
    if (!m_cmdInfo.IsLogging())
        return;
    m_bLogAsked = true;
    m_bLogLost = true;
    // Resolving the path makes its folder, and turns logging off when that fails.
    const std::string path = m_cmdInfo.GetLogFilePath();
    if (path.empty()) {
        m_err << "qvxfirminstaller: the job log's path is too long; the run goes on without a log.\n";
        return;
    }
    if (!m_cmdInfo.IsLogging()) {
        m_err << "qvxfirminstaller: the job log's folder could not be made for " << path
              << "; the run goes on without a log.\n";
        return;
    }
    if (!m_core.OpenLog(path)) {
        m_err << "qvxfirminstaller: the job log could not be opened at " << path << "; the run goes on without it.\n";
        return;
    }
    m_bLogLost = false;
}

FirmwareSwitches CPellworthTestApp::ReadFirmwareSwitches() const
{
    FirmwareSwitches switches;
    switches.bFirmwareFile = m_cmdInfo.IsFirmwareFile();
    switches.strFirmwarePath = m_cmdInfo.GetFirmwareFilePath();
    switches.strFirmwareFileName = m_cmdInfo.GetFirmwareFileName();
    switches.bAnyFirmware = m_cmdInfo.IsAnyFirmware();
    return switches;
}

const char* CPellworthTestApp::UsageText()
{
    return "Usage: qvxfirminstaller [switch [value]]...\n"
           "\n"
           "Switches begin with '-' or '/' and are not case-sensitive; '/' starts a switch only for\n"
           "the words below, so absolute paths work as values. A value follows its switch;\n"
           "given twice, the second counts. -s, -ping, -info and each display action are separate\n"
           "runs: one at a time.\n"
           "\n"
           "  -s                   run the automatic update job unattended, without a window\n"
           "  -a                   open the window and run the job in it\n"
           "  -f <file>            install this firmware file instead of the built-in firmware\n"
           "  -l1                  write the job log to a file\n"
           "  -lf <file>           the log file for -l1 (default: QvxFirmLog.txt in the program's\n"
           "                       folder); missing folders are created\n"
           "  -df <file>           the display list for the automatic update job (no default)\n"
           "  -anyfirm             give every display the firmware, whatever it has installed\n"
           "  -b [rate]            Auto Connect (-info) tries only this baud rate; without a rate,\n"
           "                       all eight (115200 19200 56700 38400 28800 9600 4800 2400)\n"
           "  -report <file>       with -s: also write a JSON report of the job (one entry per\n"
           "                       display), replaced whole at the end of the run\n"
           "  -ping COM<n>[:<address>]\n"
           "                       ping the controller at <address> (default 1) on port COM<n>\n"
           "  -info COM<n>[:<address>]\n"
           "                       connect to the display at <address> (default 1) on port COM<n>\n"
           "                       as Auto Connect does, read its configuration and status and\n"
           "                       print them; older firmware is offered and answered no\n"
           "\n"
           "Display actions, each on one display: connect as -info does, act, disconnect.\n"
           "  -startpattern COM<n>[:<address>] [-pattern <number or name>]\n"
           "                       run a test pattern (default 0, Cycle Test Patterns)\n"
           "  -stoppattern COM<n>[:<address>]\n"
           "                       put the display back into normal mode\n"
           "  -reset COM<n>[:<address>]\n"
           "                       restart the display's controller\n"
           "  -cleanmemory COM<n>[:<address>] -yes\n"
           "                       delete the display's messages, schedules and fonts and restart it\n"
           "  -settime COM<n>[:<address>]\n"
           "                       set the display's clock to this computer's\n"
           "  -checkconfig COM<n>[:<address>] [-type <type>] [-timezone <zone>]\n"
           "                       compare the display's configuration with the recommended one\n"
           "                       for its type (or -type) and its time zone (or -timezone); print\n"
           "                       each field that differs\n"
           "  -downloadconfig COM<n>[:<address>] -type <type> [-timezone <zone>]\n"
           "                       download the recommended configuration for <type>, a number or\n"
           "                       name of -checkconfig's list, and restart the display\n"
           "  -restorefactory COM<n>[:<address>] [-holdtime <minutes>]\n"
           "                       delete the display's messages, schedules and fonts and put its\n"
           "                       factory messages back (each held 1 to 1440 minutes, default 15)\n"
           "  <zone> is a name of the time-zone list (or a part only one name has, such as\n"
           "  Eastern) or an offset such as GMT-05:00; without -timezone, the display's own.\n"
           "\n"
           "  -h, --help, /?       show this text\n"
           "  --version            print the tool's version\n"
           "\n"
           "A relative file name, in which '\\' counts as '/', is taken from the program's folder.\n"
           "SIGINT, SIGTERM and SIGHUP abort the run as the Abort button does: the port is closed\n"
           "and its settings restored.\n"
           "\n"
           "Exit status of -ping, -info and the display actions:\n"
           "  0  the display answered / was connected and both files read\n"
           "  1  the display did not answer\n"
           "  2  usage: bad switches, port or address; two runs at once; no window in this build,\n"
           "     or no display server for it\n"
           "  3  the port is not there, or this user may not open it (the reason is printed)\n"
           "  5  another program holds the port (it is named when the system tells)\n"
           "  6  the display answered but is not a reader board of ours\n"
           "  7  the display answered and refused (a command, or the switch to its own protocol),\n"
           "     or an action did not complete on it (its lines say why)\n"
           "  8  -checkconfig: the configuration differs from the recommended one\n"
           "  129, 130, 143  interrupted by SIGHUP, SIGINT, SIGTERM\n"
           "Exit status of -s: the job result code of the job line that ends the log (0 all went\n"
           "well, 4 no critical errors, 9 a critical error), with or without -l1 and also after a\n"
           "signal; task codes such as 600 are in the log and the report, never the exit status.\n"
           "A job that ran to 0 or 4 but whose log (-l1) or report (-report) could not be written\n"
           "exits 10. A job that cannot start (an unknown switch, -report without a file) exits 2;\n"
           "with -l1 its log says why (task code 602). On a terminal, -s shows its lines and a bar\n"
           "for each transfer on standard error.\n"
           "\n"
           "Without switches (or with -a) the tool opens its window; a build without Qt 6 has none\n"
           "and says so.\n";
}
