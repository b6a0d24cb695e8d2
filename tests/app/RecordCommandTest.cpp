// -record through the real program against a stand-in controller: what the file holds after a
// run, also the window's, and a file that cannot be written stopping the run before anything is
// sent.
#include "common/JobStore.h"
#include "common/TestPortDir.h"
#include "common/ToolProcess.h"
#include "link/S22NetPacket.h"
#include "link/SessionRecord.h"
#include "sim/SignSim.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

class RecordCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_sim = std::make_unique<qvxsim::SignSim>(m_dir.string());
        qvxsim::PortConfig config;
        config.comNumber = 1;
        qvxsim::ControllerConfig display;
        display.address = 1;
        config.controllers.push_back(display);
        std::string error;
        ASSERT_TRUE(m_sim->AddPort(config, &error) && m_sim->Start(&error)) << error;
    }
    void TearDown() override { m_sim.reset(); }

    int Run(std::vector<std::string> args)
    {
        args.insert(args.begin(), QVX_TOOL_PATH);
        return WaitTool(StartTool(std::move(args), (m_dir / "stderr.txt").string(), (m_dir / "stdout.txt").string()));
    }

    CTestPortDir m_ports{"qvx-record"};
    const std::filesystem::path& m_dir = m_ports.Path();
    std::unique_ptr<qvxsim::SignSim> m_sim;
};

// Every line of a session record, parsed; a line that does not parse fails the test.
std::vector<SessionRecordEntry> RecordEntries(const std::string& path)
{
    std::istringstream text(ReadText(path));
    std::vector<SessionRecordEntry> entries;
    for (std::string line; std::getline(text, line);) {
        SessionRecordEntry entry;
        std::string reason;
        EXPECT_TRUE(ParseSessionRecordLine(line, entry, reason)) << line << ": " << reason;
        entries.push_back(entry);
    }
    return entries;
}

CS22NetPacket PacketOf(const std::vector<unsigned char>& bytes)
{
    CS22NetPacket packet;
    std::copy(bytes.begin(), bytes.end(), packet.Bytes());
    return packet;
}

} // namespace

TEST_F(RecordCommand, InfoRunIsRecordedFromOpenToClose)
{
    const std::string path = (m_dir / "session.txt").string();
    ASSERT_EQ(Run({"-info", "COM1", "-record", path}), 0) << ReadText((m_dir / "stderr.txt").string());

    const std::vector<SessionRecordEntry> entries = RecordEntries(path);
    ASSERT_GE(entries.size(), 6u);
    EXPECT_EQ(entries[0].note, " qvxfirminstaller session record 1");
    EXPECT_EQ(entries[1].note.rfind(" started ", 0), 0u) << entries[1].note;
    EXPECT_NE(entries[1].note.find(", qvxfirminstaller "), std::string::npos) << entries[1].note;
    ASSERT_EQ(entries[2].kind, SessionRecordEntry::Kind::Open);
    EXPECT_EQ(entries[2].comPort, 1);
    EXPECT_EQ(entries[2].baud, 115200u) << "Auto Connect's first attempt";
    EXPECT_EQ(entries.back().kind, SessionRecordEntry::Kind::Close);
    EXPECT_EQ(entries.back().comPort, 1);

    // Somewhere an S2200 request and the good reply right after it, which validates against it.
    bool answered = false;
    for (std::size_t i = 3; i < entries.size() && !answered; ++i) {
        const SessionRecordEntry& request = entries[i - 1];
        const SessionRecordEntry& reply = entries[i];
        if (request.kind != SessionRecordEntry::Kind::Sent || reply.kind != SessionRecordEntry::Kind::Received ||
            request.bytes.size() < CS22NetPacket::kHeaderSize || request.bytes[0] != 0x55 || !reply.note.empty())
            continue;
        const CS22NetPacket sent = PacketOf(request.bytes);
        const CS22NetPacket got = PacketOf(reply.bytes);
        ASSERT_EQ(reply.bytes.size(), got.WireLength());
        EXPECT_EQ(reply.baud, request.baud);
        const int code = ExpectedCommandCode(sent.Type(), sent.Data(), sent.Length());
        EXPECT_EQ(got.Validate(sent.Address(), sent.Sequence(), sent.Type(), code), S22NET_OK);
        answered = true;
    }
    EXPECT_TRUE(answered) << ReadText(path);
    for (std::size_t i = 3; i < entries.size(); ++i)
        EXPECT_LE(entries[i - 1].at, entries[i].at);
}

#ifdef QVX_TOOL_HAS_WINDOW
// The window's session (here its job, started with -a) is recorded through the same switch, and
// the record ends with the port's closing when the window is stopped.
TEST_F(RecordCommand, WindowSessionIsRecordedUntilTheWindowEnds)
{
    std::ofstream(m_dir / "Displays.dat", std::ios::binary) << JobRecord("Lobby", "1", 1);
    const std::string path = (m_dir / "window.txt").string();
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const pid_t tool = StartTool({QVX_TOOL_PATH, "-a", "-df", (m_dir / "Displays.dat").string(), "-record", path},
                                 (m_dir / "stderr.txt").string());
    ::unsetenv("QT_QPA_PLATFORM");
    bool answered = false;
    for (int i = 0; i < 400 && !answered; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
        answered = ReadText(path).find(" <- COM1 115200 ") != std::string::npos;
    }
    kill(tool, SIGTERM);
    EXPECT_EQ(WaitTool(tool), 128 + SIGTERM) << ReadText((m_dir / "stderr.txt").string());
    EXPECT_TRUE(answered) << ReadText(path);
    const std::vector<SessionRecordEntry> entries = RecordEntries(path);
    ASSERT_GE(entries.size(), 4u);
    EXPECT_EQ(entries[2].kind, SessionRecordEntry::Kind::Open);
    EXPECT_EQ(entries.back().kind, SessionRecordEntry::Kind::Close);
    EXPECT_EQ(entries.back().comPort, 1);
}
#endif

TEST_F(RecordCommand, RecordThatCannotBeWrittenStopsTheRunBeforeAnythingIsSent)
{
    const std::string path = (m_dir / "no-such-folder" / "session.txt").string();
    EXPECT_EQ(Run({"-info", "COM1", "-record", path}), 2);
    EXPECT_EQ(ReadText((m_dir / "stderr.txt").string()),
              "qvxfirminstaller: the session record could not be written: " + path +
                  ": No such file or directory; nothing was sent.\n");
    const qvxsim::ControllerStats stats = m_sim->Stats(1, 1);
    EXPECT_EQ(stats.framesReceived, 0u);
    EXPECT_EQ(stats.pellworthFrames, 0u);

    EXPECT_EQ(Run({"-info", "COM1", "-record"}), 2) << "a missing file name is a usage error as well";
    EXPECT_EQ(m_sim->Stats(1, 1).framesReceived, 0u);
}
