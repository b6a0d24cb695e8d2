// qvx-signsim: stand-in sign controllers on pseudo-terminals, until SIGINT or SIGTERM.

#include "sim/SignSim.h"
#include "sim/SimOptions.h"

#include <csignal>
#include <cstdlib>
#include <iostream>

namespace {

int Serve(const qvxsim::SimOptions& options, const sigset_t& stopSignals)
{
    qvxsim::SignSim sim(options.portDir);
    std::string error;
    for (const qvxsim::PortConfig& port : options.ports) {
        if (!sim.AddPort(port, &error)) {
            std::cerr << "qvx-signsim: COM" << port.comNumber << ": " << error << '\n';
            return 1;
        }
    }
    for (const qvxsim::PortFault& f : options.faults)
        sim.InjectFault(f.comNumber, f.address, f.fault);
    for (const qvxsim::PortStatus& s : options.statuses)
        sim.InjectStatus(s.comNumber, s.address, s.fault);
    if (!sim.Start(&error)) {
        std::cerr << "qvx-signsim: " << error << '\n';
        return 1;
    }
    for (const qvxsim::PortConfig& port : options.ports)
        std::cout << qvxsim::DescribePort(port, sim.DevicePath(port.comNumber)) << '\n';
    std::cout.flush();

    int signal = 0;
    sigwait(&stopSignals, &signal);
    return 0; // the simulator's destructor stops the ports and removes the links
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    qvxsim::SimOptions options;
    std::string error;
    if (!qvxsim::ParseSimOptions(args, std::getenv("QVX_PORT_DIR"), &options, &error)) {
        std::cerr << "qvx-signsim: " << error << "\n(qvx-signsim --help shows the usage)\n";
        return 2;
    }
    if (options.help) {
        std::cout << qvxsim::SimUsage();
        return 0;
    }
    // Blocked before any thread starts, so that every thread inherits the mask and sigwait alone
    // receives the signals.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    return Serve(options, stopSignals);
}
