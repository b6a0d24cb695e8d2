#include "PellworthTestApp.h"

#include "LoopbackCommand.h"
#include "PingCommand.h"
#include "app/ExitStatus.h"
#include "app/ActionCommand.h"
#include "app/InfoCommand.h"
#include "app/SignalWatch.h"
#include "app/ProgressJsonView.h"
#include "app/TerminalJobView.h"
#include "app/Version.h"
#include "base/TimeScale.h"
#include "link/SessionRecord.h"
#include "update/AutomaticJob.h"
#include "update/JobPlan.h"

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
    if (m_cmdInfo.GetOptions().bHelp) {
        m_out << UsageText();
        return exitstatus::kDone;
    }
    if (m_cmdInfo.GetOptions().bVersion) {
        m_out << "QVXFirmInstaller " << ToolVersion() << "\n";
        return exitstatus::kDone;
    }
    std::string problem;
    if (!CheckUsage(problem) || !OpenSessionRecord(problem)) {
        m_err << "qvxfirminstaller: " << problem << "\n";
        if (m_cmdInfo.IsSilent())
            LogRefusedJob(problem);
        return exitstatus::kUsage;
    }
    // Closed after the port below, so the record ends with its close line, on every way out.
    struct RecordCloser {
        ~RecordCloser() { CSessionRecorder::Instance().Close(); }
    } closeRecord;
    NoteInputs();
    if (!m_cmdInfo.GetOptions().bPlan)
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
    m_core.Session().CloseLink();
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
    // Every command-line form runs its operations inline, on this thread; the window behind its
    // progress window.
    m_core.Runner().SetMode(RunMode::Inline);
    const CPellworthCmdLineInfo::Options& options = m_cmdInfo.GetOptions();
    if (m_cmdInfo.IsSilent())
        return RunUnattendedJob();
    if (options.bPlan)
        return RunPlan();
    if (options.bPing)
        return RunPing(m_cmdInfo, m_out, m_core);
    if (options.bInfo)
        return RunInfo(m_cmdInfo, m_core, m_firmware, m_config);
    if (options.bLoopback)
        return RunLoopback(m_cmdInfo, m_out, m_core);
    if (!options.actionForms.empty())
        return RunAction(m_cmdInfo, m_core, m_firmware, m_config, m_out, m_err);
    if (m_runWindow) {
        m_core.Runner().SetMode(RunMode::InView);
        return m_runWindow();
    }
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
    const CPellworthCmdLineInfo::Options& options = m_cmdInfo.GetOptions();
    const std::size_t actions = options.actionForms.size();
    const std::size_t forms = (m_cmdInfo.IsSilent() ? 1 : 0) + (options.bPing ? 1 : 0) +
                              (options.bInfo ? 1 : 0) + (options.bLoopback ? 1 : 0) + (options.bPlan ? 1 : 0) +
                              actions;
    if (forms > 1) {
        problem = std::string("-s, -plan, -ping, -info, -loopback and the display actions are separate runs; give one "
                              "of them") +
                  (m_cmdInfo.IsSilent() ? "; the job was not started" : "") + " (see --help).";
        return false;
    }
    // A value left out must not turn into a default the script never asked for.
    const CPellworthCmdLineInfo::MissingValue& missing = options.missingValue;
    if (!missing.word.empty()) {
        const bool sends = actions != 0 || options.bPing || options.bInfo || options.bLoopback;
        problem = "-" + missing.word + " needs its value: -" + missing.word + " " + missing.valueForm + "; " +
                  (m_cmdInfo.IsSilent() ? "the job was not started" : sends ? "nothing was sent" : "nothing was started") +
                  " (see --help).";
        return false;
    }
    if (options.bProgress && !options.strProgress.empty() && !EqualNoCase(options.strProgress, "json")) {
        problem = "-progress takes json (one JSON object per line on standard output), not \"" +
                  options.strProgress + "\"; " + (m_cmdInfo.IsSilent() ? "the job was not started" : "nothing was started") +
                  " (see --help).";
        return false;
    }
    const bool jobForm = m_cmdInfo.IsSilent() || options.bPlan;
    if (!jobForm && actions == 0) {
        for (const std::string& word : options.unknownSwitches)
            m_err << "qvxfirminstaller: note: -" << word << " is not a switch of this tool and is ignored.\n";
        return true;
    }
    // A typo in a scheduler's command line must not run a different job, nor act on a display
    // with values other than those meant.
    for (const std::string& word : options.unknownSwitches) {
        problem = "unknown switch -" + word + "; " +
                  (actions ? "nothing was sent" : options.bPlan ? "the plan was not started" : "the job was not started") +
                  " (see --help).";
        return false;
    }
    if (actions != 0)
        return true;
    if (options.bReport && m_cmdInfo.GetReportFilePath().empty()) {
        problem = std::string("-report needs the report's file name (not too long). The ") +
                  (options.bPlan ? "plan" : "job") + " was not started.";
        return false;
    }
    return true;
}

bool CPellworthTestApp::OpenSessionRecord(std::string& problem)
{
    const CPellworthCmdLineInfo::Options& options = m_cmdInfo.GetOptions();
    if (!options.bRecord)
        return true;
    const char* notStarted = m_cmdInfo.IsSilent() ? "the job was not started"
                             : options.bPlan      ? "the plan was not started"
                                                  : "nothing was sent";
    const std::string path = m_cmdInfo.GetRecordFilePath();
    if (path.empty()) {
        problem = std::string("-record needs the record's file name (not too long); ") + notStarted + ".";
        return false;
    }
    std::string fault;
    if (CSessionRecorder::Instance().Open(path, std::string("qvxfirminstaller ") + ToolVersion(), fault))
        return true;
    problem = "the session record could not be written: " + fault + "; " + notStarted + ".";
    return false;
}

void CPellworthTestApp::NoteInputs()
{
    const std::string note = "qvxfirminstaller: note: ";
    if (m_cmdInfo.IsBaudGiven() && m_cmdInfo.IsSilent()) {
        m_err << note << "-b is not used by -s: each display's rate comes from the display list.\n";
    } else if (m_cmdInfo.IsBaudGiven() && !m_cmdInfo.GetBaud().empty()) {
        const std::string text = m_cmdInfo.GetBaud();
        const int rate = m_cmdInfo.GetBaudRate();
        const std::vector<unsigned long> rates = PingRates(true, 0); // Auto Connect's eight
        const bool known = std::find(rates.begin(), rates.end(), static_cast<unsigned long>(rate)) != rates.end();
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
    if (!m_cmdInfo.IsLogging() && m_cmdInfo.GetOptions().bLogFileGiven)
        m_err << note << "-lf names a log file, but without -l1 no log is written.\n";
    const bool jobForm = m_cmdInfo.IsSilent() || m_cmdInfo.GetOptions().bPlan;
    if (m_cmdInfo.GetOptions().bReport && !jobForm)
        m_err << note << "-report is written by the unattended job (-s) and the plan (-plan) only.\n";
    if (m_cmdInfo.GetOptions().bPlan && m_cmdInfo.IsLogging())
        m_err << note << "-plan writes no job log (it is not a job); -l1 is ignored.\n";
    if (m_cmdInfo.GetOptions().bParallel && !jobForm && !m_cmdInfo.IsAuto())
        m_err << note << "-parallel is for the job (-s, -a) and the plan (-plan) only; it is ignored.\n";
    if (m_cmdInfo.GetOptions().bProgress && !m_cmdInfo.IsSilent())
        m_err << note << "-progress is written by the unattended job (-s) only.\n";
}

int CPellworthTestApp::RunUnattendedJob()
{
    // For schedulers nothing but the log, the report and the exit status, and with "-progress
    // json" the progress lines on standard output.
    const std::unique_ptr<IInstallerView> view = TerminalView();
    std::unique_ptr<CProgressJsonView> progress;
    if (m_cmdInfo.GetOptions().bProgress)
        progress = std::make_unique<CProgressJsonView>(m_out, *view);
    m_view.Use(progress ? *progress : *view);
    // The job's result is kept (and is the exit status) even without a log file to write it to.
    m_core.Messages().SetLogging(true);
    CAutomaticUpdateJob job(m_core, m_firmware, m_cmdInfo.GetDisplaysFilePath());
    job.SetDisplayListNames(m_cmdInfo.GetDisplaysFileAsGiven(), m_cmdInfo.GetDisplaysFileLookedAt());
    job.SetEvents(progress.get());
    job.SetParallel(m_cmdInfo.GetOptions().bParallel);
    // A signal (see Run) is the operator's Abort: the exchange under way ends, nothing follows.
    const int result = job.RunAutomaticUpdates();
    m_core.Session().CloseLink();
    bool kept = !m_bLogLost;
    if (m_bLogAsked && m_core.LogManager().HasLostLines()) {
        m_err << "qvxfirminstaller: lines of the job log could not be written to " << m_core.LogManager().GetLogPath()
              << ".\n";
        kept = false;
    }
    if (m_cmdInfo.GetOptions().bReport && !WriteReport(job.Report()))
        kept = false;
    m_view.Use(m_console);
    // A scheduler that reads the exit status alone must not take a job whose record is missing
    // for a success; a critical error says more than the missing record.
    return kept || result == CLogMsgMng::JOB_CRITICAL_ERROR ? result : exitstatus::kJobRecordLost;
}

std::unique_ptr<IInstallerView> CPellworthTestApp::TerminalView()
{
    // On a terminal the lines and a bar for each transfer; a progress line redrawn with '\r'
    // would litter a file.
    if (StandardErrorIsTerminal())
        return std::make_unique<CTerminalJobView>(m_err);
    return std::make_unique<CNoView>();
}

int CPellworthTestApp::RunPlan()
{
    const std::unique_ptr<IInstallerView> view = TerminalView();
    m_view.Use(*view);
    CJobPlanner planner(m_core, m_firmware, m_config, m_cmdInfo.GetDisplaysFilePath());
    planner.SetDisplayListNames(m_cmdInfo.GetDisplaysFileAsGiven(), m_cmdInfo.GetDisplaysFileLookedAt());
    planner.SetParallel(m_cmdInfo.GetOptions().bParallel);
    const PlanResult result = planner.Run(m_out);
    m_core.Session().CloseLink();
    m_view.Use(m_console);
    const int status = result == PlanResult::AllCurrent ? exitstatus::kDone
                       : result == PlanResult::WorkToDo ? exitstatus::kPlanWorkToDo
                                                        : exitstatus::kPlanUnread;
    JobReport report = planner.Report();
    report.nPlanResult = status;
    if (m_cmdInfo.GetOptions().bReport && !WriteReport(report))
        return exitstatus::kJobRecordLost;
    return status;
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
           "Switches begin with '-' or '/' and are not case-sensitive; '/' starts a switch\n"
           "only for the words below, so absolute paths work as values. A value follows\n"
           "its switch; given twice, the second counts. A switch that needs a value and\n"
           "has none stops the run (exit status 2). Give one form at a time: the window,\n"
           "-s, -plan, -ping, -info, -loopback or one display action.\n"
           "\n"
           "The window (Qt 6; a build without it says so)\n"
           "  (no switch), -a        open the window; -a also runs the update job in it\n"
           "                         (the job takes -df, -f, -anyfirm as with -s; -b\n"
           "                         sets Auto Connect's rates as with -info)\n"
           "\n"
           "The automatic update job, unattended, without a window\n"
           "  -s -df <file> [-f <file>] [-anyfirm] [-report <file>]\n"
           "  -s                     run the job over the display list to its end\n"
           "  -df <file>             the display list (no default)\n"
           "  -f <file>              install this firmware file, not the built-in one\n"
           "  -anyfirm               give every display the firmware, whatever it runs\n"
           "  -report <file>         also write a JSON report, one entry per display,\n"
           "                         replaced whole at the end of the run\n"
           "  -progress json         one JSON object per line on standard output as the\n"
           "                         job goes (job, display, step, transfer, outcome)\n"
           "  -parallel              work the list's COM ports at the same time, each\n"
           "                         on a link of its own (also with -a and -plan);\n"
           "                         each display's lines reach the log whole as it\n"
           "                         finishes\n"
           "  On a terminal -s shows its lines and a bar per transfer on standard error.\n"
           "\n"
           "The job's plan: what -s would do, with nothing changed on any display\n"
           "  -plan -df <file> [-f <file>] [-anyfirm] [-report <file>]\n"
           "                         read each display, print what the job would do to\n"
           "                         it and how long it would take (exit status 0\n"
           "                         nothing to do, 13 work to do, 14 some display\n"
           "                         could not be read)\n"
           "\n"
           "One display: <port> is COM<n>[:<address>], address 1 to 240 (default 1)\n"
           "  -ping <port> [-b [rate]]\n"
           "                         ask the controller for a sequence reset, then its\n"
           "                         status (an echoing line answers with the question\n"
           "                         itself); nothing on the display is changed\n"
           "  -info <port> [-b [rate]]\n"
           "                         connect as Auto Connect does, print the display's\n"
           "                         configuration and status; older firmware is\n"
           "                         offered and answered no\n"
           "  -b [rate]              try only this baud rate; with no rate (or one that\n"
           "                         is not a number) each of 115200 19200 56700 38400\n"
           "                         28800 9600 4800 2400 in turn. Without -b, -ping\n"
           "                         uses 115200; the others make Auto Connect's four\n"
           "                         attempts (at 115200 and 19200).\n"
           "\n"
           "Display actions: each takes [-b [rate]], connects as -info does, acts, and\n"
           "disconnects\n"
           "  -startpattern <port> [-pattern <number or name>]\n"
           "                         run a test pattern (default 0, Cycle Test Patterns)\n"
           "  -stoppattern <port>    put the display back into normal mode\n"
           "  -reset <port>          restart the display's controller\n"
           "  -settime <port>        set the display's clock to this computer's\n"
           "  -cleanmemory <port> -yes\n"
           "                         delete the display's messages, schedules and fonts\n"
           "                         and restart it\n"
           "  -restorefactory <port> -yes [-holdtime <minutes>]\n"
           "                         delete the display's messages, schedules and fonts\n"
           "                         and send its factory messages, each held <minutes>\n"
           "                         (1 to 1440, default 15)\n"
           "\n"
           "Configuration: each takes [-b [rate]] and connects as -info does\n"
           "  -checkconfig <port> [-type <type>] [-timezone <zone>]\n"
           "                         compare the display's configuration with the\n"
           "                         recommended one for its own type and zone (or\n"
           "                         -type, -timezone); print each field that differs\n"
           "  -downloadconfig <port> -type <type> [-timezone <zone>]\n"
           "                         download the recommended configuration for <type>\n"
           "                         and restart the display\n"
           "  <type>  a number or a name as the configuration page lists it, such as\n"
           "          \"32x80 Mono64 - Gen 1\" (a name only one type has may go without\n"
           "          its \" - Gen 1\"); a -type that names no type lists them\n"
           "  <zone>  a name of the time-zone list (or a part only one name has, such as\n"
           "          Eastern) or an offset such as GMT-05:00; default: the display's own\n"
           "\n"
           "The loop-back test: a loop-back plug on the port sends back every byte\n"
           "  -loopback COM<n> [-long]\n"
           "                         send a short text (or, with -long, the firmware\n"
           "                         package) at 19200 baud and check what comes back\n"
           "                         (exit status 0 passed, 1 nothing came back, 12\n"
           "                         the echo stopped or differed)\n"
           "\n"
           "Every form but -ping and -loopback\n"
           "  -l1                    write the lines to the job log\n"
           "  -lf <file>             the log file for -l1 (default: QvxFirmLog.txt in\n"
           "                         the program's folder); missing folders are made\n"
           "\n"
           "Ports\n"
           "  On Linux COM<n> is $QVX_PORT_DIR/COM<n> when QVX_PORT_DIR is set; otherwise\n"
           "  the machine's serial devices are counted COM1, COM2, ... in the order\n"
           "  /dev/ttyS* (those with hardware behind them), /dev/ttyUSB*, /dev/ttyACM*,\n"
           "  each family in numeric order. On Windows COM<n> is the port COM<n>.\n"
           "\n"
           "Other\n"
           "  -record <file>         every form: write each frame sent and received, and\n"
           "                         each port's opening, rate and closing, to <file>\n"
           "                         (text, one line each, kept as it goes; replaced at\n"
           "                         the start; a file that cannot be written is exit\n"
           "                         status 2, with nothing sent)\n"
           "  -h, --help, /?         show this text\n"
           "  --version              print the tool's version\n"
           "  A relative file name, in which '\\' counts as '/', is taken from the\n"
           "  program's folder. SIGINT, SIGTERM and SIGHUP abort the run as the Abort\n"
           "  button does: the port is closed and its settings restored.\n"
           "\n"
           "Exit status\n"
           "  0    done: the display answered, was connected and read, the action was\n"
           "       done, or the loop-back test passed; -s: the job line's code 0\n"
           "  1    the display did not answer (-loopback: nothing came back)\n"
           "  2    usage: a bad switch, value, port or address; two forms at once; a job\n"
           "       that cannot start (with -l1 its log says why, task code 602); no\n"
           "       window in this build, or no display server for it\n"
           "  3    the port is not there, or this user may not open it (the reason is\n"
           "       printed)\n"
           "  4    -s: the job line's code 4, no critical errors or upgrades\n"
           "  5    another program holds the port (named when the system tells)\n"
           "  6    the display answered but is not a reader board of ours\n"
           "  7    the display answered and refused (a command, or the switch to its own\n"
           "       protocol), or an action did not complete on it (its lines say why)\n"
           "  8    -checkconfig: the configuration differs from the recommended one\n"
           "  9    -s: the job line's code 9, a critical error (task codes such as 510\n"
           "       are in the log and the report, never the exit status)\n"
           "  10   -s: the job ended 0 or 4, but its log (-l1) or report (-report)\n"
           "       could not be written\n"
           "  11   the line echoes what is sent (a loop-back plug, or an adapter\n"
           "       echoing): every reply was the request's own bytes\n"
           "  12   -loopback: the echo stopped or differed partway (a faulty cable, plug\n"
           "       or adapter)\n"
           "  13   -plan: the job would install firmware or switch a display's protocol\n"
           "  14   -plan: some display, or the display list, could not be read\n"
           "  129, 130, 143\n"
           "       interrupted by SIGHUP, SIGINT, SIGTERM (-s: the job line's code)\n";
}
