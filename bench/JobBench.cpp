// The automatic update job over a store of 8 displays on 2 ports (on each: two on old firmware,
// two current) against stand-in controllers with the line-time model at 115200 baud. The link's
// time-outs run at full length; only the fixed waits of the firmware procedure are scaled
// (QVX_WAIT_SCALE, 0.1 unless given). The controllers run in their own process, so the memory
// and CPU figures are the tool's alone. Reports where the time goes, display by display; then runs
// the same store again on fresh controllers with both ports worked at the same time (-parallel)
// and sets its time against the slowest port's in the first run.
#include "connection/InstallerCore.h"
#include "update/AutomaticJob.h"
#include "update/ConfigDownload.h"
#include "update/JobPlan.h"
#include "update/FirmwareInstaller.h"

#include <sched.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr unsigned long kBaud = 115200;
constexpr char kWaitScale[] = "0.1";

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// Notes when each phase of a display's task begins, from the lines and progress calls.
class PhaseView final : public CNoView {
public:
    struct Task {
        Clock::time_point start, connect, connected, sendStart, sendEnd, end;
        Clock::duration waitedAtStart{}, waitedAtEnd{};
    };

    explicit PhaseView(CInstallerCore*& core) : m_core(core) {}

    void ShowMessageLine(const std::string& line) override
    {
        const auto now = Clock::now();
        std::lock_guard guard(m_lock);
        if (line.rfind("Refreshing Displays on COM", 0) == 0 && (tasks.empty() || Done(tasks.back()))) {
            tasks.push_back({});
            tasks.back().start = now;
            tasks.back().waitedAtStart = m_core->Runner().TimeWaited();
        } else if (tasks.empty()) {
            return;
        }
        Task& task = tasks.back();
        if (line.rfind("Attempting to connect with", 0) == 0)
            task.connect = now;
        else if (line.rfind("CURRENT CONTROLLER FIRMWARE VERSION", 0) == 0 || line.find("TASK ERROR 510") != std::string::npos)
            task.connected = now;
        if (line.rfind("[*TASK ERROR", 0) == 0 && task.connected != Clock::time_point{}) {
            task.end = now;
            task.waitedAtEnd = m_core->Runner().TimeWaited();
        }
    }
    void SetProgressText(const std::string& text) override
    {
        std::lock_guard guard(m_lock);
        if (text == "Downloading firmware to sign" && !tasks.empty())
            tasks.back().sendStart = Clock::now();
    }
    void EnableAbort(bool enable) override
    {
        std::lock_guard guard(m_lock);
        if (!enable && !tasks.empty() && tasks.back().sendEnd == Clock::time_point{})
            tasks.back().sendEnd = Clock::now();
    }

    std::vector<Task> tasks;

private:
    static bool Done(const Task& task) { return task.end != Clock::time_point{}; }

    CInstallerCore*& m_core;
    std::mutex m_lock;
};

std::string Record(const std::string& name, int address, int port)
{
    std::string text;
    for (int line = 1; line <= 48; ++line) {
        if (line == 1)
            text += name;
        else if (line == 3 || line == 4)
            text += line == 3 ? "16" : "80";
        else if (line == 10)
            text += std::to_string(address);
        else if (line == 22)
            text += "COM" + std::to_string(port);
        else if (line == 23)
            text += std::to_string(kBaud);
        text += "\r\n";
    }
    return text;
}

pid_t StartControllers(const std::filesystem::path& dir)
{
    // Ports left by controllers that went before would be taken for the new ones.
    std::filesystem::remove(dir / "COM1");
    std::filesystem::remove(dir / "COM2");
    const auto sim = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "qvx-signsim";
    const pid_t pid = fork();
    if (pid == 0) {
        // The controllers restart as fast as the tool's waits are scaled.
        setenv("QVX_TIME_SCALE", getenv("QVX_WAIT_SCALE"), 1);
        std::freopen("/dev/null", "w", stdout);
        std::vector<std::string> args = {"qvx-signsim", "--port-dir", dir.string()};
        for (const char* port : {"1", "2"}) {
            for (const std::string& arg : {std::string("--port"), std::string(port), std::string("--line-time"),
                                           std::string("--addr"), std::string("1,2"), std::string("--firmware"),
                                           std::string("FX40211-1.01.05"), std::string("--addr"), std::string("3,4")})
                args.push_back(arg);
        }
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        execv(sim.c_str(), argv.data());
        _exit(127);
    }
    for (int i = 0; i < 500 && !std::filesystem::exists(dir / "COM2"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return pid;
}

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The store once more on fresh controllers, both ports at the same time; its seconds.
double RunParallelJob(const std::filesystem::path& dir)
{
    const pid_t controllers = StartControllers(dir);
    CNoView quiet;
    CInstallerCore core(quiet);
    core.Runner().SetMode(RunMode::Inline);
    core.Messages().SetLogging(true);
    CFirmwareInstaller firmware(core, FirmwareSwitches{});
    CAutomaticUpdateJob job(core, firmware, (dir / "Displays.dat").string());
    job.SetParallel(true);
    const auto started = Clock::now();
    const int result = job.RunAutomaticUpdates();
    const double seconds = Seconds(Clock::now() - started);
    std::printf("\nparallel job result %d\n", result);
    kill(controllers, SIGTERM);
    waitpid(controllers, nullptr, 0);
    return seconds;
}

} // namespace

int main()
{
    const auto dir = std::filesystem::temp_directory_path() / ("qvx-bench-job-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    ::setenv("QVX_PORT_DIR", dir.c_str(), 1);
    ::unsetenv("QVX_TIME_SCALE");
    ::setenv("QVX_WAIT_SCALE", kWaitScale, 0);
    // Both processes on one CPU: on a virtual machine a wake-up across CPUs costs about a
    // millisecond and would measure the machine rather than the tool.
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(sched_getcpu(), &one);
    sched_setaffinity(0, sizeof one, &one);
    const pid_t controllers = StartControllers(dir);
    {
        std::ofstream list(dir / "Displays.dat", std::ios::binary);
        const char* names[] = {"Lobby", "Deli", "Bakery", "Pharmacy"};
        for (int port = 1; port <= 2; ++port)
            for (int address = 1; address <= 4; ++address)
                list << Record(std::string(names[address - 1]) + "-" + std::to_string(port), address, port);
    }

    CInstallerCore* corePointer = nullptr;
    PhaseView view(corePointer);
    CInstallerCore core(view);
    core.Runner().SetMode(RunMode::Inline);
    corePointer = &core;
    core.Messages().SetLogging(true);
    CFirmwareInstaller firmware(core, FirmwareSwitches{});
    CAutomaticUpdateJob job(core, firmware, (dir / "Displays.dat").string());

    // The plan first: what it predicts for each display, against what the job then takes.
    CConfigDownloader config(core);
    CJobPlanner planner(core, firmware, config, (dir / "Displays.dat").string());
    std::ostringstream table;
    const auto planStarted = Clock::now();
    planner.Run(table);
    const double planSeconds = Seconds(Clock::now() - planStarted);
    const JobReport plan = planner.Report();

    const double cpuBefore = CpuSeconds();
    const auto started = Clock::now();
    const int result = job.RunAutomaticUpdates();
    const double total = Seconds(Clock::now() - started);
    const double cpu = CpuSeconds() - cpuBefore;
    const auto& port = core.Session().Link().Port();
    const double lineTime = static_cast<double>(port.BytesWritten() + port.BytesRead()) * 10.0 / kBaud;
    const double waited = Seconds(core.Runner().TimeWaited());

    std::printf("store of 8 displays on 2 ports at %lu baud with line time; fixed waits scaled by %s "
                "(link time-outs at full length)\n", kBaud, std::getenv("QVX_WAIT_SCALE"));
    std::printf("job result %d, %.1f s in all\n\n", result, total);
    std::printf("%-22s %8s %8s %9s %8s %8s %8s\n", "display", "refresh", "connect", "transfer", "waits", "other",
                "total");
    const auto& displays = job.Report().displays;
    for (std::size_t i = 0; i < view.tasks.size() && i < displays.size(); ++i) {
        const PhaseView::Task& task = view.tasks[i];
        if (task.end == Clock::time_point{})
            continue;
        const double refresh = Seconds(task.connect - task.start);
        const double connect = Seconds(task.connected - task.connect);
        const double transfer = task.sendEnd == Clock::time_point{} ? 0.0 : Seconds(task.sendEnd - task.sendStart);
        const double waits = Seconds(task.waitedAtEnd - task.waitedAtStart);
        const double all = Seconds(task.end - task.start);
        std::printf("%-22s %8.1f %8.1f %9.1f %8.1f %8.1f %8.1f\n", displays[i].strName.c_str(), refresh, connect, transfer,
                    waits, all - refresh - connect - transfer - waits, all);
    }
    std::printf("\nthe plan (-plan) beforehand took %.1f s and predicted:\n", planSeconds);
    std::printf("%-22s %9s %9s %7s\n", "display", "predicted", "measured", "error");
    for (std::size_t i = 0; i < plan.displays.size() && i < displays.size(); ++i) {
        const double predicted = plan.displays[i].plan.dEstimatedSeconds;
        const double measured = displays[i].dSeconds;
        std::printf("%-22s %9.1f %9.1f %6.1f%%\n", displays[i].strName.c_str(), predicted, measured,
                    measured > 0 ? 100.0 * (predicted - measured) / measured : 0.0);
    }
    std::printf("%-22s %9.1f %9.1f %6.1f%%\n", "the job", plan.dEstimatedSeconds, total,
                100.0 * (plan.dEstimatedSeconds - total) / total);
    std::printf("\nline time (every byte both ways at 10 bits): %.1f s (%.1f%%)\n", lineTime, 100.0 * lineTime / total);
    std::printf("fixed waits: %.1f s (%.1f%%)\n", waited, 100.0 * waited / total);
    std::printf("the rest (link time-outs: the refresh's customer-protocol query to displays that speak the\n"
                "controller protocol, restarts, host and controller turnaround): %.1f s (%.1f%%)\n",
                total - lineTime - waited, 100.0 * (total - lineTime - waited) / total);
    std::printf("host CPU (the tool's own work): %.2f s, %.2f%% of the run\n", cpu, 100.0 * cpu / total);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak resident memory: %.1f MB\n", usage.ru_maxrss / 1024.0);

    kill(controllers, SIGTERM);
    waitpid(controllers, nullptr, 0);

    // Each port's time in the job above: its displays' tasks, one after the other.
    std::map<int, double> portSeconds;
    for (const DisplayReport& display : displays)
        portSeconds[display.nPort] += display.dSeconds;
    double slowest = 0;
    for (const auto& [number, seconds] : portSeconds)
        slowest = std::max(slowest, seconds);
    const double parallel = RunParallelJob(dir);
    std::printf("\nthe same store with -parallel, on fresh controllers:\n");
    for (const auto& [number, seconds] : portSeconds)
        std::printf("  COM%d in the job above: %.1f s\n", number, seconds);
    std::printf("  the parallel job: %.1f s, %+.1f%% against the slowest port (the goal: at most +5%%), "
                "%.1f%% of the job above\n", parallel, 100.0 * (parallel - slowest) / slowest, 100.0 * parallel / total);
    std::filesystem::remove_all(dir);
    return result == 0 || result == 4 || result == 9 ? 0 : 1;
}
