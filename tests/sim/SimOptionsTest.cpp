// qvx-signsim's command line, and the program itself from start to signal.
#include "sim/SignSim.h"
#include "sim/SimOptions.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

namespace simtest {
namespace {

using qvxsim::FaultKind;
using Args = std::vector<std::string>;

TEST(SimOptions, PortsTakeTheOptionsThatFollowThem)
{
    qvxsim::SimOptions options;
    std::string error;
    ASSERT_TRUE(qvxsim::ParseSimOptions({"--port-dir", "/tmp/p", "--port", "3", "--rate", "19200", "--addr", "1,2@9600",
                                         "--adapter-latency", "16",
                                         "--fault", "2:delay:3:250", "--port", "4", "--loopback", "--line-time",
                                         "--fault", "7:drop-reply", "--addr", "7"},
                                        nullptr, &options, &error))
        << error;
    EXPECT_EQ(options.portDir, "/tmp/p");
    ASSERT_EQ(options.ports.size(), 2u);
    const auto& com3 = options.ports[0];
    EXPECT_EQ(com3.baud, 19200u);
    EXPECT_FALSE(com3.loopback || com3.lineTime);
    EXPECT_EQ(com3.adapterLatencyMs, 16u);
    ASSERT_EQ(com3.controllers.size(), 2u);
    EXPECT_EQ(com3.controllers[1].address, 2);
    EXPECT_EQ(com3.controllers[1].baud, 9600u);
    const auto& com4 = options.ports[1];
    EXPECT_EQ(com4.baud, 115200u);
    EXPECT_TRUE(com4.loopback && com4.lineTime);
    EXPECT_EQ(com4.adapterLatencyMs, 0u);
    ASSERT_EQ(options.faults.size(), 2u);
    EXPECT_EQ(options.faults[0].comNumber, 3);
    EXPECT_EQ(options.faults[0].fault.kind, FaultKind::Delay);
    EXPECT_EQ(options.faults[0].fault.count, 3);
    EXPECT_EQ(options.faults[0].fault.param, 250);
    EXPECT_EQ(options.faults[1].comNumber, 4);
    EXPECT_EQ(options.faults[1].fault.count, -1);

    EXPECT_EQ(qvxsim::DescribePort(com3, "/dev/pts/9"), "COM3 -> /dev/pts/9 (19200 baud, addresses 1,2@9600)");
}

TEST(SimOptions, ControllerSettingsApplyToTheLastAddressList)
{
    qvxsim::SimOptions options;
    std::string error;
    ASSERT_TRUE(qvxsim::ParseSimOptions(
        {"--port", "3", "--addr", "1,2", "--protocol", "pellworth", "--sign-type", "FX40211-1.02.11",
         "--addr", "3@9600",
         "--protocol", "hitech", "--sign-type-reply", "11", "--no-compression", "--display-type",
         "32X80MONO256.CRV.M3", "--firmware", "FP9023417-3.11.3", "--temp", "-4", "--free-memory", "1000", "--clock",
         "5", "--zone", "60", "--dst", "--status", "3:X2:9", "--status", "1:B3:4:-1:2", "--fault", "1:get-overrun:2:3"},
        "/dir", &options, &error))
        << error;
    const auto& controllers = options.ports.at(0).controllers;
    ASSERT_EQ(controllers.size(), 3u);
    for (int i : {0, 1}) {
        EXPECT_EQ(controllers[i].settings.protocol, qvxsim::Protocol::Pellworth);
        EXPECT_EQ(controllers[i].settings.signTypeText, "FX40211-1.02.11");
        EXPECT_TRUE(controllers[i].settings.compression);
    }
    const qvxsim::ControllerSettings& third = controllers[2].settings;
    EXPECT_EQ(third.protocol, qvxsim::Protocol::Hitech);
    EXPECT_EQ(third.signTypeText, "");
    EXPECT_EQ(third.queryReplySize, 11u);
    EXPECT_FALSE(third.compression);
    EXPECT_EQ(third.displayType, "32X80MONO256.CRV.M3");
    EXPECT_EQ(third.firmwareVersion, "FP9023417-3.11.3");
    EXPECT_EQ(third.temperature, -4);
    EXPECT_EQ(third.freeMemory, 1000u);
    EXPECT_EQ(third.clock, 5u);
    EXPECT_EQ(third.timeZone, 60);
    EXPECT_TRUE(third.daylightSaving);

    ASSERT_EQ(options.statuses.size(), 2u);
    const qvxsim::StatusFault& get = options.statuses[0].fault;
    EXPECT_EQ(options.statuses[0].address, 3);
    EXPECT_TRUE(get.command == qvxsim::ExtendedCommand(2));
    EXPECT_EQ(get.status, 9);
    EXPECT_EQ(get.count, 1);
    EXPECT_EQ(get.block, 0);
    const qvxsim::StatusFault& block = options.statuses[1].fault;
    EXPECT_TRUE(block.command == qvxsim::BasicCommand(3));
    EXPECT_EQ(block.count, -1);
    EXPECT_EQ(block.block, 2);
    EXPECT_EQ(options.faults.at(0).fault.kind, FaultKind::GetBlockOverrun);
    EXPECT_EQ(options.faults.at(0).fault.param, 3);

    EXPECT_EQ(qvxsim::DescribePort(options.ports[0], "/dev/pts/4"),
              "COM3 -> /dev/pts/4 (115200 baud, addresses 1/pellworth,2/pellworth,3@9600/hitech)");
}

TEST(SimOptions, FirmwareAndRandomFaultOptionsApplyToTheLastAddressList)
{
    qvxsim::SimOptions options;
    std::string error;
    ASSERT_TRUE(qvxsim::ParseSimOptions({"--port", "3", "--addr", "1", "--reboot-ms", "0", "--addr", "2,4",
                                         "--reboot-ms", "1500", "--keep-old-firmware", "--silent-after-reboot",
                                         "--no-final-reply", "--reboot-at-block", "7", "--refuse-directory", "--seed",
                                         "4294967295", "--random-noise", "0.25", "--random-corrupt", "1",
                                         "--random-drop", "0", "--random-reboot", "0.001"},
                                        "/dir", &options, &error))
        << error;
    const auto& controllers = options.ports.at(0).controllers;
    ASSERT_EQ(controllers.size(), 3u);
    EXPECT_EQ(controllers[0].behaviour.rebootMs, 0u);
    EXPECT_FALSE(controllers[0].behaviour.keepOldFirmware || controllers[0].randomFaults.noise != 0.0);
    for (int i : {1, 2}) {
        const qvxsim::FirmwareBehaviour& b = controllers[i].behaviour;
        EXPECT_EQ(b.rebootMs, 1500u);
        EXPECT_TRUE(b.keepOldFirmware && b.silentAfterReboot && b.noFinalReplyForLineImages && b.refuseDirectory);
        EXPECT_EQ(b.rebootAtBlock, 7u);
        const qvxsim::RandomFaults& r = controllers[i].randomFaults;
        EXPECT_TRUE(r.seed == 4294967295u && r.noise == 0.25 && r.corrupt == 1.0 && r.drop == 0.0 &&
                    r.rebootEarly == 0.001);
    }
}

TEST(SimOptions, PortDirectoryComesFromTheEnvironmentUnlessGiven)
{
    qvxsim::SimOptions options;
    std::string error;
    ASSERT_TRUE(qvxsim::ParseSimOptions({"--port", "1", "--addr", "1"}, "/env/dir", &options, &error)) << error;
    EXPECT_EQ(options.portDir, "/env/dir");
    EXPECT_FALSE(qvxsim::ParseSimOptions({"--port", "1", "--addr", "1"}, nullptr, &options, &error));
    EXPECT_NE(error.find("QVX_PORT_DIR"), std::string::npos) << error;
}

TEST(SimOptions, BadCommandLinesAreRefused)
{
    const struct {
        Args args;
        const char* message;
    } cases[] = {
        {{}, "no --port"},
        {{"--rate", "9600", "--port", "1"}, "must follow a --port"},
        {{"--port", "1"}, "has no --addr"},
        {{"--port", "0", "--addr", "1"}, "bad COM number"},
        {{"--port", "1", "--addr", "1", "--port", "1"}, "given twice"},
        {{"--port", "1", "--addr", "241"}, "bad address"},
        {{"--port", "1", "--addr", "1,,2"}, "bad address"},
        {{"--port", "1", "--addr", "1@x"}, "bad address"},
        {{"--port", "1", "--addr", "1", "--rate", "fast"}, "bad rate"},
        {{"--port", "1", "--addr", "1", "--rate"}, "needs a value"},
        {{"--port", "1", "--addr", "1", "--adapter-latency", "256"}, "bad adapter latency '256' (0..255 ms)"},
        {{"--port", "1", "--addr", "1", "--adapter-latency", "-1"}, "bad adapter latency"},
        {{"--port", "1", "--addr", "1", "--adapter-latency"}, "needs a value"},
        {{"--adapter-latency", "16", "--port", "1", "--addr", "1"}, "must follow a --port"},
        {{"--port", "1", "--addr", "1", "--fault", "1:melt"}, "bad fault"},
        {{"--port", "1", "--addr", "1", "--fault", "1:noise:0"}, "bad fault"},
        {{"--port", "1", "--addr", "1", "--fault", "1:noise:1:2:3"}, "bad fault"},
        {{"--port", "1", "--addr", "1", "--fault", "2:noise"}, "not on COM1"},
        {{"--port", "1", "--addr", "1", "--verbose"}, "unknown option"},
        {{"--replay", "rec.txt", "--port", "1", "--addr", "1"}, "--replay takes its ports from the record"},
        {{"--replay"}, "--replay needs a value"},
        {{"--port", "1", "--protocol", "hitech", "--addr", "1"}, "must follow an --addr"},
        {{"--port", "1", "--addr", "1", "--port", "2", "--dst", "--addr", "2"}, "must follow an --addr"},
        {{"--port", "1", "--addr", "1", "--protocol", "S2200"}, "bad value 'S2200' for --protocol"},
        {{"--port", "1", "--addr", "1", "--sign-type", "FX40211-1.02.11-X"}, "bad value"},
        {{"--port", "1", "--addr", "1", "--sign-type-reply", "0"}, "bad value"},
        {{"--port", "1", "--addr", "1", "--sign-type-reply", "87"}, "bad value"},
        {{"--port", "1", "--addr", "1", "--temp", "151"}, "bad value"},
        {{"--port", "1", "--addr", "1", "--display-type", ""}, "bad value"},
        {{"--port", "1", "--addr", "1", "--status", "1:Y2:9"}, "bad status"},
        {{"--port", "1", "--addr", "1", "--status", "1:X2:0"}, "bad status"},
        {{"--port", "1", "--addr", "1", "--status", "1:X2"}, "bad status"},
        {{"--port", "1", "--addr", "1", "--status", "1:X256:1"}, "bad status"},
        {{"--port", "1", "--addr", "1", "--status", "1:X5:1:1:0"}, "bad status"},
        {{"--port", "1", "--addr", "1", "--status", "2:X2:1"}, "not on COM1"},
        {{"--port", "1", "--reboot-ms", "5", "--addr", "1"}, "must follow an --addr"},
        {{"--port", "1", "--addr", "1", "--reboot-ms", "3600001"}, "bad value"},
        {{"--port", "1", "--addr", "1", "--reboot-at-block", "0"}, "bad value"},
        {{"--port", "1", "--addr", "1", "--seed", "-1"}, "bad value"},
        {{"--port", "1", "--addr", "1", "--random-drop", "1.5"}, "bad value '1.5' for --random-drop"},
        {{"--port", "1", "--addr", "1", "--random-noise", "nan"}, "bad value"},
    };
    for (const auto& c : cases) {
        qvxsim::SimOptions options;
        std::string error;
        EXPECT_FALSE(qvxsim::ParseSimOptions(c.args, "/dir", &options, &error)) << c.message;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
}

// Runs qvx-signsim with stdout and stderr on a pipe.
struct Child {
    pid_t pid = -1;
    FILE* output = nullptr;
};

Child Spawn(const Args& args)
{
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        dup2(fds[1], STDERR_FILENO);
        close(fds[0]);
        std::vector<char*> argv{const_cast<char*>(QVX_SIGNSIM_PATH)};
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        unsetenv("QVX_PORT_DIR");
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(fds[1]);
    return {pid, fdopen(fds[0], "r")};
}

int ExitCode(pid_t pid)
{
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SignSimProgram, PublishesPortsAndStopsCleanlyOnSignal)
{
    const auto dir = std::filesystem::temp_directory_path() / ("qvx-signsim-" + std::to_string(getpid()));
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal));
        Child child = Spawn({"--port-dir", dir.string(), "--port", "3", "--rate", "19200", "--addr", "1,2"});
        ASSERT_NE(child.output, nullptr);
        char line[256] = {};
        ASSERT_NE(fgets(line, sizeof line, child.output), nullptr);
        const std::string device = std::filesystem::read_symlink(dir / "COM3").string();
        EXPECT_EQ(std::string(line), "COM3 -> " + device + " (19200 baud, addresses 1,2)\n");

        kill(child.pid, signal);
        EXPECT_EQ(ExitCode(child.pid), 0);
        EXPECT_FALSE(std::filesystem::is_symlink(dir / "COM3"));
        EXPECT_FALSE(std::filesystem::exists(dir / ".COM3.lock"));
        fclose(child.output);
    }
    std::filesystem::remove_all(dir);
}

TEST(SignSimProgram, RefusesAPortAnotherSimPublishes)
{
    const auto dir = std::filesystem::temp_directory_path() / ("qvx-signsim-taken-" + std::to_string(getpid()));
    qvxsim::SignSim first(dir.string());
    std::string error;
    ASSERT_TRUE(first.AddPort({3, 19200, false, false, {{1, 0}}}, &error)) << error;

    Child child = Spawn({"--port-dir", dir.string(), "--port", "3", "--rate", "19200", "--addr", "1"});
    ASSERT_NE(child.output, nullptr);
    char line[256] = {};
    ASSERT_NE(fgets(line, sizeof line, child.output), nullptr);
    EXPECT_EQ(std::string(line), "qvx-signsim: COM3 is already published in " + dir.string()
                                     + " by another stand-in controller (pid " + std::to_string(getpid()) + ")\n");
    kill(child.pid, SIGTERM); // one that wrongly serves would never end; one that refused ignores it
    EXPECT_EQ(ExitCode(child.pid), 1);
    EXPECT_EQ(std::filesystem::read_symlink(dir / "COM3"), first.DevicePath(3));
    fclose(child.output);
    first.Stop();
    std::filesystem::remove_all(dir);
}

TEST(SignSimProgram, BadArgumentsExitWithTwo)
{
    Child child = Spawn({"--port", "3", "--addr", "1"}); // no port directory anywhere
    ASSERT_NE(child.output, nullptr);
    char line[256] = {};
    ASSERT_NE(fgets(line, sizeof line, child.output), nullptr);
    EXPECT_NE(std::string(line).find("QVX_PORT_DIR"), std::string::npos) << line;
    EXPECT_EQ(ExitCode(child.pid), 2);
    fclose(child.output);
}

} // namespace
} // namespace simtest
