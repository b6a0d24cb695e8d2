// Installing the embedded 1,556,288-byte image on a stand-in controller at 115200 baud with the
// controller's line-time model: the transfer time against the stop-and-wait bound for the
// compressed size (every frame and reply on the wire at 10 bits a byte, nothing in between), and
// the tool's peak resident memory. The controller runs as its own process (qvx-signsim beside
// this program), so the memory figure is the tool's alone. Fixed waits are scaled by 0.05.
// Both processes run on one CPU: on a virtual machine a wake-up across CPUs costs about a
// millisecond, which would measure the machine rather than the tool (about 95 % instead of 99 %).
#include "connection/InstallerCore.h"
#include "update/FirmwareInstaller.h"

#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
constexpr unsigned long kBaud = 115200;

// Records when the file send begins and ends: the caption comes just before it, and Abort is
// turned off just after it went over. Nothing is shown.
class TimingView final : public CNoView {
public:
    explicit TimingView(CInstallerCore*& core) : m_core(core) {}

    void SetProgressText(const std::string& text) override
    {
        if (text == "Downloading firmware to sign")
            sendStart = Clock::now();
    }
    void SetProgressSteps(int steps) override
    {
        if (steps > 100)
            blocks = steps - 1; // the start frame counts as one
    }
    void EnableAbort(bool enable) override
    {
        if (enable || sendEnd != Clock::time_point{})
            return;
        sendEnd = Clock::now();
        const unsigned char* sent = nullptr;
        const unsigned char* received = nullptr;
        m_core->Session().Link().GetLastPacket(&sent, &received);
        blockWire = sent[3] + 7u;
        replyWire = received[3] == 0 ? 6u : received[3] + 7u;
    }

    Clock::time_point sendStart{};
    Clock::time_point sendEnd{};
    int blocks = 0;
    std::size_t blockWire = 0;
    std::size_t replyWire = 0;

private:
    CInstallerCore*& m_core;
};

long PeakResidentKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

pid_t StartController(const std::filesystem::path& dir)
{
    const auto sim = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "qvx-signsim";
    const pid_t pid = fork();
    if (pid == 0) {
        std::freopen("/dev/null", "w", stdout);
        execl(sim.c_str(), "qvx-signsim", "--port-dir", dir.c_str(), "--port", "1", "--rate", "115200",
              "--line-time", "--addr", "1", "--firmware", "FX40211-1.01.05", static_cast<char*>(nullptr));
        _exit(127);
    }
    for (int i = 0; i < 500 && !std::filesystem::exists(dir / "COM1"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return pid;
}

} // namespace

// Keeps this process and the controller it starts on the CPU it runs on now.
void StayOnOneCpu()
{
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(sched_getcpu(), &one);
    sched_setaffinity(0, sizeof one, &one);
}

int main()
{
    StayOnOneCpu();
    const auto dir = std::filesystem::temp_directory_path() / ("qvx-bench-fw-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    ::setenv("QVX_PORT_DIR", dir.c_str(), 1);
    ::setenv("QVX_TIME_SCALE", "0.05", 0); // a scale given from outside wins
    const pid_t controller = StartController(dir);
    const long before = PeakResidentKb();

    int status = 0;
    {
        CInstallerCore* core = nullptr;
        TimingView view(core);
        CInstallerCore installer(view);
        core = &installer;
        installer.Runner().SetMode(RunMode::Inline);
        CFirmwareInstaller firmware(installer, FirmwareSwitches{});
        std::vector<CONNECTION_INFO> list;
        CDisplayConnector::BuildConnectionList(list, 1, 1, BaudChoice{true, static_cast<int>(kBaud)});
        std::string target;
        const auto start = Clock::now();
        if (installer.Connector().ConnectToDisplay(list, 1).result != CONNECT_OK ||
            !firmware.InstallFirmware(false, "", "", target, 1) || view.blocks == 0) {
            std::fprintf(stderr, "install failed\n");
            status = 1;
        } else {
            const double total = std::chrono::duration<double>(Clock::now() - start).count();
            const double send = std::chrono::duration<double>(view.sendEnd - view.sendStart).count();
            const double startWire = (136 + 7) + view.replyWire;
            const double bound =
                (startWire + static_cast<double>(view.blocks) * static_cast<double>(view.blockWire + view.replyWire)) *
                10.0 / kBaud;
            std::printf("image 1556288 bytes sent compressed in %d blocks at %lu baud with line time\n", view.blocks,
                        kBaud);
            std::printf("transfer: %.3f s, stop-and-wait bound %.3f s: %.2f%% of the bound\n", send, bound,
                        100.0 * bound / send);
            std::printf("whole install (connect, send, scaled 31 s of waits, directory, reset): %.3f s\n", total);
            std::printf("peak resident memory: %.1f MB (%.1f MB before the install)\n", PeakResidentKb() / 1024.0,
                        before / 1024.0);
        }
    }
    kill(controller, SIGTERM);
    waitpid(controller, nullptr, 0);
    std::filesystem::remove_all(dir);
    return status;
}
