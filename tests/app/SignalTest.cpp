// A signal during -info, as a technician's ctrl-C or a scheduler's kill: the run ends at once with
// one line and 128 + the signal, and the port is left as it was found: line settings restored and
// no exclusive hold, so the next run, also by a user who is not root, can open it.
#include "common/StagedTool.h"
#include "common/TestPortDir.h"
#include "common/ToolProcess.h"
#include "sim/SignSim.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <grp.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace {

constexpr uid_t kNobody = 65534;

bool SameSettings(const termios& a, const termios& b)
{
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag && a.c_lflag == b.c_lflag &&
           cfgetispeed(&a) == cfgetispeed(&b) && cfgetospeed(&a) == cfgetospeed(&b);
}

class Signals : public ::testing::Test {
protected:
    void SetUp() override
    {
        qvxsim::PortConfig config;
        config.comNumber = 3;
        config.baud = 115200;
        config.controllers = {{1, 0}};
        std::string error;
        ASSERT_TRUE(m_sim.AddPort(config, &error) && m_sim.Start(&error)) << error;
        // A display that hears everything and answers nothing: the run waits out its time-outs.
        m_sim.InjectFault(3, 1, {qvxsim::FaultKind::DropReply, -1, 0});
        m_device = std::filesystem::canonical(m_ports.Path() / "COM3").string();
        ::chmod(m_device.c_str(), 0666); // so that a user who is not root may use it
    }

    termios Settings() const
    {
        termios settings{};
        const int fd = ::open(m_device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        EXPECT_GE(fd, 0) << m_device;
        if (fd >= 0) {
            EXPECT_EQ(tcgetattr(fd, &settings), 0);
            ::close(fd);
        }
        return settings;
    }

    // Whether a user who is not root can open the port now (an exclusive hold would stop them).
    bool NobodyCanOpen() const
    {
        const pid_t child = fork();
        if (child == 0) {
            if (setgid(kNobody) != 0 || setuid(kNobody) != 0)
                _exit(2);
            const int fd = ::open(m_device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
            _exit(fd >= 0 ? 0 : 1);
        }
        return WaitTool(child) == 0;
    }

    // Why the tool cannot be run as nobody here (not root, or that user cannot reach it), or empty.
    std::string CannotRunAsNobody()
    {
        if (geteuid() != 0)
            return "needs root to run the tool as another user";
        if (!m_staged)
            m_staged = std::make_unique<CStagedTool>(QVX_TOOL_PATH, QVX_LIBRARY_PATH);
        if (!m_staged->Problem().empty())
            return m_staged->Problem();
        const std::string link = (m_ports.Path() / "COM3").string();
        const pid_t child = fork();
        if (child == 0)
            _exit(setgid(kNobody) == 0 && setuid(kNobody) == 0 && ::access(link.c_str(), F_OK) == 0 ? 0 : 1);
        return WaitTool(child) == 0 ? std::string() : "nobody cannot reach the port's link " + link;
    }

    // Runs -info (as nobody when asked; see CannotRunAsNobody), sends `signal` once the display has
    // heard from it, and returns the exit status.
    int InterruptInfo(int signal, bool asNobody)
    {
        std::vector<std::string> args = {QVX_TOOL_PATH, "-info", "COM3"};
        if (asNobody)
            args = m_staged->AsNobody({"-info", "COM3"});
        const unsigned long before = m_sim.Stats(3, 1).pellworthFrames;
        const pid_t pid = StartTool(args, (m_ports.Path() / "stderr.txt").string());
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (m_sim.Stats(3, 1).pellworthFrames == before && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        EXPECT_EQ(kill(pid, signal), 0);
        return WaitTool(pid);
    }
    std::string Stderr() const { return ReadText((m_ports.Path() / "stderr.txt").string()); }

    CTestPortDir m_ports{"qvx-signal"};
    qvxsim::SignSim m_sim{m_ports.Path().string()};
    std::string m_device;
    std::unique_ptr<CStagedTool> m_staged;
};

TEST_F(Signals, InfoEndsWithOneLineAndLeavesThePortAsItWas)
{
    const bool root = geteuid() == 0;
    const std::string notAsNobody = CannotRunAsNobody();
    if (!notAsNobody.empty())
        std::printf("the run as nobody is left out: %s\n", notAsNobody.c_str());
    const termios before = Settings();
    const struct {
        int signal;
        bool asNobody;
        int status;
        const char* name;
    } cases[] = {{SIGINT, false, 130, "SIGINT"}, {SIGTERM, false, 143, "SIGTERM"}, {SIGHUP, false, 129, "SIGHUP"},
                 {SIGINT, true, 130, "SIGINT"}};
    for (const auto& c : cases) {
        if (c.asNobody && !notAsNobody.empty())
            continue;
        SCOPED_TRACE(std::string(c.name) + (c.asNobody ? " as nobody" : ""));
        EXPECT_EQ(InterruptInfo(c.signal, c.asNobody), c.status);
        const std::string err = Stderr();
        EXPECT_NE(err.find(std::string("qvxfirminstaller: interrupted by ") + c.name +
                           "; the port was closed and its settings restored.\n"),
                  std::string::npos)
            << err;
        EXPECT_TRUE(SameSettings(Settings(), before)) << "line settings restored";
        if (root) {
            EXPECT_TRUE(NobodyCanOpen()) << "no exclusive hold left behind";
        }
    }
}

} // namespace

namespace {

TEST_F(Signals, PortWithoutPermissionSaysWhichGroupIsMissing)
{
    if (const std::string problem = CannotRunAsNobody(); !problem.empty())
        GTEST_SKIP() << problem;
    struct stat info {};
    ASSERT_EQ(::stat(m_device.c_str(), &info), 0);
    ASSERT_EQ(::chmod(m_device.c_str(), 0660), 0);
    const group* owner = getgrgid(info.st_gid);
    ASSERT_NE(owner, nullptr);
    // -ping writes its lines to standard output.
    const std::string out = (m_ports.Path() / "out.txt").string();
    std::string command;
    for (const std::string& word : m_staged->AsNobody({"-ping", "COM3"}))
        command += word + " ";
    command += "> " + out;
    EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 3);
    const std::string group = owner->gr_name;
    const std::string link = (m_ports.Path() / "COM3").string();
    EXPECT_NE(ReadText(out).find("COM3: permission denied on " + link + " (" + m_device + "); this user is not in the " + group +
                                 " group (sudo usermod -aG " + group + " nobody, then log in again)\n"),
              std::string::npos)
        << ReadText(out);
}

} // namespace
