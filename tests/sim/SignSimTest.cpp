// The stand-in controller seen from the host's end of the pty: replies byte for byte, what it
// ignores, and the faults it commits.
#include "SimLineFixture.h"

#include <unistd.h>

#include <fstream>

namespace simtest {
namespace {

using qvxsim::Fault;
using qvxsim::FaultKind;

// SetDimming (basic code 0x0E) to controller 1 with sequence 0x20, and its good reply.
const Bytes kCommand{0x55, 0xAA, 0x01, 0x08, 0x20, 0xD8, 0x0E, 0x01, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0xEF};
const Bytes kCommandReply{0x55, 0xAA, 0x01, 0x08, 0x21, 0xD7, 0x0E, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF2};
const Bytes kReset1{0x55, 0xAA, 0x01, 0x00, 0x03, 0xFD}; // the reply is the same six bytes

struct ReplyCase {
    const char* name;
    Bytes request;
    Bytes reply;
};

TEST_F(SimLine, RepliesAreByteExact)
{
    // In order: the query rows see the broadcast address enabled by the row before them.
    const ReplyCase cases[] = {
        {"sequence reset", kReset1, kReset1},
        {"basic command", kCommand, kCommandReply},
        {"extended command",
         {0x55, 0xAA, 0x02, 0x08, 0x30, 0xC7, 0x80, 0x0A, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x75},
         {0x55, 0xAA, 0x02, 0x08, 0x31, 0xC6, 0x80, 0x0A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x76}},
        {"query with none enabled", MakeFrame(2, 0x6B), {0x55, 0xAA, 0x02, 0x02, 0x6B, 0x92, 0x00, 0x00, 0x00}},
        {"enable broadcast 0xF5", {0x55, 0xAA, 0x01, 0x01, 0x48, 0xB7, 0xF5, 0x0B}, {0x55, 0xAA, 0x01, 0x00, 0x41, 0xBF}},
        {"query enabled", {0x55, 0xAA, 0x01, 0x00, 0x5B, 0xA5}, {0x55, 0xAA, 0x01, 0x02, 0x5B, 0xA3, 0xF5, 0x00, 0x0B}},
        {"disable broadcast 0xF5", MakeFrame(1, 0x69, {0xF5}), MakeFrame(1, 0x61)},
        {"query after disable", MakeFrame(1, 0x7B), MakeFrame(1, 0x7B, {0x00, 0x00})},
        {"command code 0 is unsupported", MakeFrame(1, 0x80, {0x00, 0x01}), MakeFrame(1, 0x84)},
        {"command without data is bad", MakeFrame(1, 0x90), MakeFrame(1, 0x92)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectReply(c.request, c.reply);
    }
}

TEST_F(SimLine, BaudRateChangesAfterTheReply)
{
    // Set 9600 (0x2580): the reply still goes out at 19200.
    ExpectReply({0x55, 0xAA, 0x01, 0x04, 0x7C, 0x80, 0x80, 0x25, 0x00, 0x00, 0x5B}, {0x55, 0xAA, 0x01, 0x00, 0x71, 0x8F});
    m_host.Write(kReset1);
    ASSERT_TRUE(WaitFor([&] { return Stats(1).wrongRateFrames == 1; }));
    ASSERT_TRUE(m_host.SetRate(9600));
    ExpectReply(kReset1, kReset1);
    EXPECT_EQ(Stats(1).sequenceResets, 1u);
}

TEST_F(SimLine, BroadcastsAreCarriedOutInSilence)
{
    m_host.Write(MakeFrame(0, 0x18, {0xF3})); // everyone enables 0xF3
    m_host.Write(MakeFrame(0xF3, 0x23));      // everyone resets
    ExpectLineQuiet();
    ExpectReply(MakeFrame(2, 0x3B), MakeFrame(2, 0x3B, {0xF3, 0x00}));
    EXPECT_EQ(Stats(1).sequenceResets, 2u); // the broadcast and the barrier
    EXPECT_EQ(Stats(2).sequenceResets, 1u);

    // An enabled group address that is not a broadcast one reaches only the controller that
    // enabled it, and it does not answer either.
    ExpectReply(MakeFrame(2, 0x48, {200}), MakeFrame(2, 0x41));
    m_host.Write(MakeFrame(200, 0x53));
    ExpectLineQuiet();
    EXPECT_EQ(Stats(2).sequenceResets, 2u);
    EXPECT_EQ(Stats(1).sequenceResets, 3u);
    EXPECT_EQ(Stats(2).repliesSent, 2u);
}

TEST_F(SimLine, NoiseAndFalseStartsBeforeAFrameAreSkipped)
{
    // The last false start runs into the real frame: its header is taken from both.
    Bytes line{0x00, 0xFF, 0x55, 0x13, 0xAA, 0x55, 0x55, 0xAA, 0x10, 0x20, 0x30, 0x40, 0x55, 0xAA, 0x07};
    line.insert(line.end(), kCommand.begin(), kCommand.end());
    ExpectReply(line, kCommandReply);
}

TEST_F(SimLine, CorruptedFramesAreDroppedAndCounted)
{
    Bytes badHeader = kReset1;
    badHeader[5] ^= 0x01;
    Bytes badData = kCommand;
    badData.back() ^= 0x01;
    for (const Bytes& frame : {badHeader, badData}) {
        m_host.Write(frame);
        ExpectLineQuiet();
    }
    EXPECT_EQ(Stats(1).framesRejected, 2u);
    EXPECT_EQ(Stats(1).framesReceived, 2u); // the two barriers
}

TEST_F(SimLine, PartialFrameIsDroppedAfterAPause)
{
    // Without the pause, the reset would be swallowed as the rest of this frame's data.
    m_host.Write(Bytes(kCommand.begin(), kCommand.begin() + 9));
    usleep(400 * 1000);
    ExpectReply(kReset1, kReset1);
}

TEST_F(SimLine, FramesAtAnotherRateAreIgnored)
{
    ASSERT_TRUE(m_host.SetRate(9600));
    m_host.Write(kReset1);
    ASSERT_TRUE(WaitFor([&] { return Stats(1).wrongRateFrames == 1; }));
    // A controller with its own rate answers only at that rate.
    m_sim->SetControllerBaud(3, 2, 9600);
    ExpectReply(MakeFrame(2, 0x03), MakeFrame(2, 0x03));
    ASSERT_TRUE(m_host.SetRate(kRate));
    ExpectLineQuiet();
    EXPECT_EQ(Stats(1).repliesSent, 1u);
}

TEST_F(SimLine, ControllersAnswerOnlyTheirOwnAddress)
{
    ExpectReply(MakeFrame(2, 0x13), MakeFrame(2, 0x13));
    m_host.Write(MakeFrame(9, 0x03)); // nobody at 9
    ExpectLineQuiet();
    EXPECT_EQ(Stats(1).framesReceived, 1u);
    EXPECT_EQ(Stats(2).framesReceived, 1u);
    EXPECT_EQ(Stats(2).lastSequence, 0x10);
}

struct FaultCase {
    const char* name;
    Fault fault;
    Bytes reply; // empty: none
    std::size_t noise = 0;
    bool late = false;
};

TEST_F(SimLine, FaultSpoilsOneReplyThenGoes)
{
    auto spoiled = [](std::size_t at, unsigned char value) {
        Bytes b = kCommandReply;
        b[at] = value;
        return b;
    };
    const FaultCase cases[] = {
        {"noise", {FaultKind::Noise, 1, 600}, kCommandReply, 600},
        {"header checksum", {FaultKind::BadHeaderChecksum, 1, 0}, spoiled(5, 0xD8)},
        {"data checksum", {FaultKind::BadDataChecksum, 1, 0}, spoiled(14, 0xF3)},
        {"dropped", {FaultKind::DropReply, 1, 0}, {}},
        {"wrong address", {FaultKind::WrongAddress, 1, 7},
         {0x55, 0xAA, 0x07, 0x08, 0x21, 0xD1, 0x0E, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF2}},
        {"delay", {FaultKind::Delay, 1, 700}, kCommandReply, 0, true},
        {"bad command", {FaultKind::BadCommand, 1, 0},
         {0x55, 0xAA, 0x01, 0x08, 0x22, 0xD6, 0x0E, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF2}},
        {"unsupported", {FaultKind::Unsupported, 1, 0},
         {0x55, 0xAA, 0x01, 0x08, 0x24, 0xD4, 0x0E, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_sim->InjectFault(3, 1, c.fault);
        m_host.Write(kCommand);
        if (c.late) { // the sim cannot answer before the delay, so this window holds nothing
            EXPECT_TRUE(m_host.Read(1, std::chrono::milliseconds(150)).empty());
        }
        const Bytes got = m_host.Read(c.noise + c.reply.size());
        ASSERT_EQ(got.size(), c.noise + c.reply.size());
        for (std::size_t i = 0; i < c.noise; ++i)
            EXPECT_NE(got[i], 0x55) << "noise byte " << i;
        EXPECT_EQ(Bytes(got.begin() + static_cast<long>(c.noise), got.end()), c.reply);
        ExpectReply(kCommand, kCommandReply);
        ExpectLineQuiet();
    }
}

TEST_F(SimLine, FaultCountsCombineAndClear)
{
    const Bytes badCommand = MakeFrame(1, 0x22, {0x0E, 0, 0, 0, 0, 0, 0, 0});
    m_sim->InjectFault(3, 1, {FaultKind::BadCommand, 2, 0});
    ExpectReply(kCommand, badCommand);
    ExpectReply(kCommand, badCommand);
    ExpectReply(kCommand, kCommandReply);

    // A data-checksum fault passes over replies without data.
    m_sim->InjectFault(3, 1, {FaultKind::BadDataChecksum, 1, 0});
    ExpectReply(kReset1, kReset1);
    Bytes badData = kCommandReply;
    ++badData.back();
    ExpectReply(kCommand, badData);

    // Several at once, until cleared.
    m_sim->InjectFault(3, 1, {FaultKind::WrongAddress, -1, 7});
    m_sim->InjectFault(3, 1, {FaultKind::Noise, -1, 3});
    for (int i = 0; i < 2; ++i) {
        m_host.Write(kReset1);
        const Bytes got = m_host.Read(3 + 6);
        EXPECT_EQ(Bytes(got.begin() + 3, got.end()), MakeFrame(7, 0x03));
    }
    m_sim->ClearFaults(3, 1);
    ExpectReply(kCommand, kCommandReply);
}

TEST_F(SimLine, RefusedRequestChangesNothing)
{
    m_sim->InjectFault(3, 1, {FaultKind::Unsupported, 1, 0});
    ExpectReply(MakeFrame(1, 0x7C, {0x80, 0x25, 0x00, 0x00}), MakeFrame(1, 0x74));
    ExpectReply(kReset1, kReset1); // still at 19200
}

TEST_F(SimLine, LoopbackEchoesEveryByte)
{
    m_sim->SetLoopback(3, true);
    Bytes line = kCommand;
    line.insert(line.end(), {0x00, 0x55, 0xAA, 0xFF});
    ExpectReply(line, line);
    m_sim->SetLoopback(3, false);
    ExpectLineQuiet();
    EXPECT_EQ(Stats(1).framesReceived, 1u); // only the barrier
}

TEST_F(SimLine, LineTimeHoldsTheReplyBack)
{
    // 12 bytes at 300 baud take 400 ms on a real wire; nothing may come in the first 100 ms.
    m_sim->SetControllerBaud(3, 1, 300);
    m_sim->SetLineTime(3, true);
    ASSERT_TRUE(m_host.SetRate(300));
    m_host.Write(kReset1);
    EXPECT_TRUE(m_host.Read(1, std::chrono::milliseconds(100)).empty());
    EXPECT_EQ(m_host.Read(kReset1.size()), kReset1);
}

TEST_F(SimLine, AdapterLatencyHoldsAShortReplyBack)
{
    // A 12-byte reply fills no USB packet: it waits the whole 255 ms, then arrives whole.
    m_sim->SetAdapterLatency(3, 255);
    m_host.Write(kReset1);
    EXPECT_TRUE(m_host.Read(1, std::chrono::milliseconds(100)).empty());
    EXPECT_EQ(m_host.Read(kReset1.size()), kReset1);
    m_sim->SetAdapterLatency(3, 0);
    ExpectReply(kReset1, kReset1);
}

TEST_F(SimLine, HostMayCloseAndReopen)
{
    for (int i = 0; i < 3; ++i) {
        m_host.Close();
        ASSERT_TRUE(m_host.Open((m_dir / "COM3").string(), kRate));
        ExpectReply(kReset1, kReset1);
    }
}

TEST_F(SimLine, HostRatesWithinAUartsToleranceAreUnderstood)
{
    const struct {
        unsigned long host;
        unsigned long controller;
        bool answered;
    } cases[] = {
        {56700, 57600, true},   // 1.56 % slow
        {57600, 56700, true},   // 1.59 % fast
        {19200, 115200, false},
        {115200, 112000, false}, // 2.86 % fast
        {115200, 112400, true},  // 2.49 % fast
        {112320, 115200, true},  // exactly 2.5 % slow
        {112319, 115200, false},
        {118080, 115200, true},  // exactly 2.5 % fast
        {118081, 115200, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.host) + " to " + std::to_string(c.controller));
        m_sim->SetControllerBaud(3, 1, c.controller);
        ASSERT_TRUE(m_host.SetRate(c.host));
        const unsigned long ignored = Stats(1).wrongRateFrames;
        m_host.Write(kReset1);
        if (c.answered)
            EXPECT_EQ(m_host.Read(kReset1.size()), kReset1);
        else
            EXPECT_TRUE(WaitFor([&] { return Stats(1).wrongRateFrames == ignored + 1; }));
        m_sim->SetControllerBaud(3, 1, 0);
        ASSERT_TRUE(m_host.SetRate(kRate));
        ExpectLineQuiet();
    }
}

TEST_F(SimLine, APortIsPublishedByOneSimAtATime)
{
    const std::string device = m_sim->DevicePath(3);
    std::string error;
    {
        qvxsim::SignSim second(m_dir.string());
        EXPECT_FALSE(second.AddPort({3, kRate, false, false, {{1, 0}}}, &error));
        EXPECT_EQ(error, "COM3 is already published in " + m_dir.string() + " by another stand-in controller (pid "
                             + std::to_string(getpid()) + ")");
    }
    EXPECT_EQ(std::filesystem::read_symlink(m_dir / "COM3"), device);
    ExpectReply(kReset1, kReset1);

    // Left by a run that was killed: link and lock file, but nobody holds the lock.
    qvxsim::SignSim other(m_dir.string());
    std::filesystem::create_symlink("/nonexistent/pts", m_dir / "COM4");
    std::ofstream(m_dir / ".COM4.lock") << "999999\n";
    std::ofstream(m_dir / "COM5") << "not a link";
    ASSERT_TRUE(other.AddPort({4, kRate, false, false, {}}, &error)) << error;
    EXPECT_EQ(std::filesystem::read_symlink(m_dir / "COM4"), other.DevicePath(4));
    EXPECT_FALSE(other.AddPort({5, kRate, false, false, {}}, &error));
    EXPECT_NE(error.find("not a symbolic link"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(m_dir / ".COM5.lock"));

    // Only its own links are removed: COM4 was replaced by someone else meanwhile.
    std::filesystem::remove(m_dir / "COM4");
    std::filesystem::create_symlink("/elsewhere", m_dir / "COM4");
    other.Stop();
    m_sim->Stop();
    EXPECT_FALSE(std::filesystem::is_symlink(m_dir / "COM3"));
    EXPECT_EQ(std::filesystem::read_symlink(m_dir / "COM4"), "/elsewhere");
    EXPECT_TRUE(std::filesystem::is_regular_file(m_dir / "COM5"));
    for (const char* lock : {".COM3.lock", ".COM4.lock"})
        EXPECT_FALSE(std::filesystem::exists(m_dir / lock)) << lock;

    qvxsim::SignSim next(m_dir.string());
    EXPECT_TRUE(next.AddPort({3, kRate, false, false, {}}, &error)) << error;
}

TEST(SignSimSetup, BadPortsAreRefused)
{
    const struct {
        const char* name;
        int com;
        unsigned long baud;
        std::vector<qvxsim::ControllerConfig> controllers;
    } cases[] = {
        {"broadcast address 0", 6, 9600, {{0, 0}}},
        {"broadcast address 241", 6, 9600, {{241, 0}}},
        {"same address twice", 6, 9600, {{4, 0}, {4, 0}}},
        {"no rate", 6, 0, {{4, 0}}},
        {"COM0", 0, 9600, {{4, 0}}},
        {"COM7 twice", 7, 9600, {{4, 0}}},
    };
    const auto dir = std::filesystem::temp_directory_path() / ("qvx-sim-setup-" + std::to_string(getpid()));
    qvxsim::SignSim sim(dir.string());
    std::string error;
    ASSERT_TRUE(sim.AddPort({7, 9600, false, false, {{4, 0}}}, &error)) << error;
    for (const auto& c : cases) {
        error.clear();
        EXPECT_FALSE(sim.AddPort({c.com, c.baud, false, false, c.controllers}, &error)) << c.name;
        EXPECT_FALSE(error.empty()) << c.name;
    }
    sim.Stop();
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace simtest
