// Sequence-reset round trips over a pseudo-terminal against the stand-in controller (no line-time
// model): how many exchanges per second the link sustains and the host CPU each one costs.
#include "link/S22Network.h"
#include "link/S22SignLink.h"
#include "sim/SignSim.h"

#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

double ThreadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

template <class Exchange>
void Measure(const char* name, int rounds, Exchange&& exchange)
{
    int failures = 0;
    const double cpuStart = ThreadCpuSeconds();
    const auto wallStart = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i)
        failures += exchange() != S22NET_OK;
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    const double cpu = ThreadCpuSeconds() - cpuStart;
    std::printf("%-28s %6d round trips  %9.0f per second  %7.1f us wall  %6.1f us host CPU  (%d failed)\n",
                name, rounds, rounds / wall, wall / rounds * 1e6, cpu / rounds * 1e6, failures);
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 5000;
    const auto dir = std::filesystem::temp_directory_path() / ("qvx-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    ::setenv("QVX_PORT_DIR", dir.c_str(), 1);

    int status = 0;
    {
        qvxsim::SignSim sim(dir.string());
        qvxsim::PortConfig config;
        config.comNumber = 1;
        config.baud = 115200;
        config.controllers.push_back({1, 0});
        std::string error;
        if (!sim.AddPort(config, &error) || !sim.Start(&error)) {
            std::fprintf(stderr, "stand-in controller: %s\n", error.c_str());
            status = 1;
        } else {
            CS22Network network;
            network.ConfigureDirect(1, 115200, false);
            if (network.Connect() == S22NET_OK) {
                Measure("CS22Network::Ping", rounds, [&] { return network.Ping(1); });
                network.Disconnect();
            }
            CS22SignLink link;
            if (link.OpenPort(1, 115200, 0) == S22NET_OK) {
                Measure("CS22SignLink::SequenceReset", rounds, [&] { return link.SequenceReset(1); });
                link.ClosePort();
            }
        }
    }
    std::filesystem::remove_all(dir);
    return status;
}
