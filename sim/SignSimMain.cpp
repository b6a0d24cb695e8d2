// qvx-signsim: stand-in sign controllers on pseudo-terminals, or the answers of a session record,
// until SIGINT, SIGTERM or SIGHUP.

#include "sim/ReplayPort.h"
#include "sim/ReplayRecord.h"
#include "sim/SignSim.h"
#include "sim/SimOptions.h"

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <mutex>
#include <string>

namespace {

int Serve(const qvxsim::SimOptions& options, const sigset_t& stopSignals)
{
    qvxsim::SignSim sim(options.portDir);
    std::string error;
    for (const qvxsim::PortConfig& port : options.ports) {
        if (!sim.AddPort(port, &error)) {
            // Most reasons name their port already; the rest get it in front.
            const std::string name = "COM" + std::to_string(port.comNumber);
            std::cerr << "qvx-signsim: " << (error.rfind(name + ' ', 0) == 0 ? "" : name + ": ") << error << '\n';
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

// The ports of a session record, each answering as recorded. 2 for a record that cannot be read.
int Replay(const qvxsim::SimOptions& options, const sigset_t& stopSignals)
{
    std::ifstream in(options.replayFile, std::ios::binary);
    if (!in) {
        std::cerr << "qvx-signsim: cannot read " << options.replayFile << '\n';
        return 2;
    }
    std::vector<qvxsim::RecordedPort> recorded;
    std::string error;
    if (!qvxsim::ReadRecord(in, &recorded, &error)) {
        std::cerr << "qvx-signsim: " << options.replayFile << ": " << error << '\n';
        return 2;
    }
    // The ports' threads say things at any time; one line at a time, each flushed for a script
    // that waits for it.
    std::mutex outputMutex;
    const auto say = [&outputMutex](const std::string& line) {
        const std::lock_guard lock(outputMutex);
        std::cout << line << std::endl;
    };
    std::vector<std::unique_ptr<qvxsim::ReplayPort>> ports;
    for (qvxsim::RecordedPort& port : recorded) {
        const int comNumber = port.comNumber;
        auto server = qvxsim::ReplayPort::Create(std::move(port), options.portDir, say, &error);
        if (!server) {
            const std::string name = "COM" + std::to_string(comNumber);
            std::cerr << "qvx-signsim: " << (error.rfind(name + ' ', 0) == 0 ? "" : name + ": ") << error << '\n';
            return 1;
        }
        ports.push_back(std::move(server));
    }
    {
        // Every port is listed before any of them can say anything.
        const std::lock_guard lock(outputMutex);
        for (auto& port : ports) {
            port->Start();
            std::cout << port->Describe() << '\n';
        }
        std::cout.flush();
    }
    int signal = 0;
    sigwait(&stopSignals, &signal);
    ports.clear(); // stops the ports and removes the links before `say` goes
    return 0;
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
    // receives the signals. SIGHUP too: a closed terminal must not kill it with its links left.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    // Output to a pipe closed early (| head) must not end it with its links left behind.
    std::signal(SIGPIPE, SIG_IGN);
    return options.replayFile.empty() ? Serve(options, stopSignals) : Replay(options, stopSignals);
}
