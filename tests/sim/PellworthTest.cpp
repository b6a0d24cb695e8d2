// Displays that answer the customer protocol: the sign-type, ping and switch frames byte for
// byte, the switch over to S2200, and HITECH displays that never make it.
#include "SimLineFixture.h"

namespace simtest {
namespace {

using qvxsim::ControllerConfig;
using qvxsim::ControllerSettings;
using qvxsim::FaultKind;
using qvxsim::Protocol;

constexpr unsigned char kQuery = 0x02, kPing = 0x44, kSwitch = 0xAA;

Bytes Request(unsigned char address, unsigned char command)
{
    Bytes frame{0x10, 0x02, address, 0x00, 0x00, 0x00, 0x01, 0x00, command, 0x10, 0x03};
    unsigned sum = 0;
    for (std::size_t i = 2; i < 9; ++i)
        sum += frame[i];
    frame.push_back(static_cast<unsigned char>(-sum));
    return frame;
}

// Header, text at 21, zeros up to `size`.
Bytes SignType(const Bytes& header, const std::string& text, std::size_t size = 86)
{
    Bytes reply = header;
    reply.resize(86, 0);
    std::copy(text.begin(), text.end(), reply.begin() + 21);
    reply.resize(size);
    return reply;
}

ControllerConfig Display(unsigned char address, Protocol protocol, const std::string& text = "", unsigned size = 86)
{
    ControllerConfig config{address, 0};
    config.settings.protocol = protocol;
    config.settings.signTypeText = text;
    config.settings.queryReplySize = size;
    return config;
}

class Pellworth : public SimLine {
protected:
    std::vector<ControllerConfig> Controllers() const override
    {
        return {
            {1, 0},
            Display(5, Protocol::Pellworth),
            Display(6, Protocol::Hitech),
            Display(7, Protocol::Pellworth, "ABC"),
            Display(8, Protocol::Hitech, "", 11),
            Display(9, Protocol::Pellworth, "FX40377-2.01.00"),
        };
    }

    // Sends the frame and expects exactly `reply`, and then nothing more on the line.
    void ExpectPellworthReply(const Bytes& request, const Bytes& reply)
    {
        ExpectReply(request, reply);
        ExpectLineQuiet();
    }

    void ExpectNoReply(const Bytes& request)
    {
        m_host.Write(request);
        ExpectLineQuiet();
    }
};

const Bytes kPellworthHeader5{0x10, 0x06, 0x10, 0x02, 0x00, 0x05, 0x00, 0x00, 0x01, 0x00, 0x02};

TEST_F(Pellworth, RepliesAreByteExact)
{
    const struct {
        const char* name;
        Bytes request;
        Bytes reply;
    } cases[] = {
        {"sign type", Request(5, kQuery), SignType(kPellworthHeader5, "FX40211-1.02.11")},
        {"ping",
         Request(5, kPing),
         {0x10, 0x06, 0x10, 0x02, 0x00, 0x05, 0xF1, 0x00, 0x01, 0x00, 0x01, 0x10, 0x03, 0x08}},
        {"ping at 240", Request(240, kPing), {}},
        {"three-character sign type",
         Request(7, kQuery),
         SignType({0x10, 0x06, 0x10, 0x02, 0x00, 0x07, 0x00, 0x00, 0x01, 0x00, 0x02}, "ABC")},
        {"other reader-board firmware",
         Request(9, kQuery),
         SignType({0x10, 0x06, 0x10, 0x02, 0x00, 0x09, 0x00, 0x00, 0x01, 0x00, 0x02}, "FX40377-2.01.00")},
        {"HITECH sign type",
         Request(6, kQuery),
         SignType({0x10, 0x06, 0x10, 0x02, 0x00, 0x06, 0xF0, 0x00, 0x01, 0x00, 0x00}, "HT3100-2.04")},
        {"HITECH short reply", Request(8, kQuery), {0x10, 0x06, 0x10, 0x02, 0x00, 0x08, 0xF0, 0x00, 0x01, 0x00, 0x00}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectPellworthReply(c.request, c.reply);
    }
    EXPECT_EQ(m_sim->Stats(3, 5).pellworthFrames, 2u);
}

TEST_F(Pellworth, PingChecksumFollowsTheAddress)
{
    for (unsigned char address : {7, 9}) {
        ExpectPellworthReply(Request(address, kPing), {0x10, 0x06, 0x10, 0x02, 0x00, address, 0xF1, 0x00, 0x01, 0x00,
                                                       0x01, 0x10, 0x03, static_cast<unsigned char>(0x0D - address)});
    }
}

TEST_F(Pellworth, SwitchTurnsItIntoAnS2200Controller)
{
    const Bytes reset5 = MakeFrame(5, 0x03);
    ExpectNoReply(reset5);
    EXPECT_EQ(m_sim->Stats(3, 5).framesIgnored, 1u);
    EXPECT_FALSE(m_sim->Stats(3, 5).speaksS2200);

    ExpectNoReply(Request(5, kSwitch)); // the switch goes unanswered
    EXPECT_TRUE(m_sim->Stats(3, 5).speaksS2200);
    ExpectReply(reset5, reset5);
    ExpectReply(MakeFrame(5, 0x10, {0x80, 0x0A, 0x00}), MakeFrame(5, 0x11, {0x80, 0x0A, 0, 0, 0, 0, 0, 0}));
    ExpectNoReply(Request(5, kQuery)); // it has left the customer protocol behind

    // Told to power up again, it is back where it started.
    m_sim->SetProtocol(3, 5, Protocol::Pellworth);
    ExpectNoReply(reset5);
    ExpectPellworthReply(Request(5, kQuery), SignType(kPellworthHeader5, "FX40211-1.02.11"));
}

TEST_F(Pellworth, HitechDisplayNeverSpeaksS2200)
{
    for (unsigned char command : {kPing, kSwitch, static_cast<unsigned char>(0x55)}) // 0x55: unknown
        ExpectNoReply(Request(6, command));
    ExpectNoReply(MakeFrame(6, 0x03));
    EXPECT_FALSE(m_sim->Stats(3, 6).speaksS2200);
    ExpectPellworthReply(Request(6, kQuery),
                         SignType({0x10, 0x06, 0x10, 0x02, 0x00, 0x06, 0xF0, 0x00, 0x01, 0x00, 0x00}, "HT3100-2.04"));
}

TEST_F(Pellworth, S2200ControllerIgnoresTheFrames)
{
    ExpectNoReply(Request(1, kQuery));
    EXPECT_EQ(Stats(1).pellworthFrames, 1u);
}

TEST_F(Pellworth, DamagedOrForeignFramesGoUnanswered)
{
    Bytes badChecksum = Request(5, kQuery);
    ++badChecksum.back();
    Bytes badTrailer = Request(5, kQuery);
    badTrailer[10] = 0x04;
    Bytes badFixedByte = Request(5, kQuery);
    badFixedByte[6] = 0x02;
    for (const Bytes& frame : {badChecksum, badTrailer, badFixedByte, Request(12, kQuery)})
        ExpectNoReply(frame);
    EXPECT_EQ(m_sim->Stats(3, 5).framesRejected, 1u); // only the one that looked like a whole frame
    EXPECT_EQ(m_sim->Stats(3, 5).pellworthFrames, 0u);

    ASSERT_TRUE(m_host.SetRate(9600));
    m_host.Write(Request(5, kQuery));
    ASSERT_TRUE(WaitFor([&] { return m_sim->Stats(3, 5).wrongRateFrames == 1; }));
    ASSERT_TRUE(m_host.SetRate(kRate));
    ExpectLineQuiet();
}

TEST_F(Pellworth, FaultsSpoilTheReplies)
{
    Bytes ping{0x10, 0x06, 0x10, 0x02, 0x00, 0x05, 0xF1, 0x00, 0x01, 0x00, 0x01, 0x10, 0x03, 0x08};
    m_sim->InjectFault(3, 5, {FaultKind::WrongAddress, 1, 4});
    Bytes foreign = ping;
    foreign[5] = 4;
    ExpectPellworthReply(Request(5, kPing), foreign);
    m_sim->InjectFault(3, 5, {FaultKind::BadHeaderChecksum, 1, 0});
    Bytes spoiled = ping;
    ++spoiled.back();
    ExpectPellworthReply(Request(5, kPing), spoiled);
    m_sim->InjectFault(3, 5, {FaultKind::DropReply, 1, 0});
    ExpectNoReply(Request(5, kPing));
    ExpectPellworthReply(Request(5, kPing), ping);
}

TEST_F(Pellworth, FramesOfBothKindsShareTheLine)
{
    // A lone 0x10 0x02 right before an S2200 frame must not swallow it.
    Bytes line{0x10, 0x02};
    const Bytes reset1 = MakeFrame(1, 0x03);
    line.insert(line.end(), reset1.begin(), reset1.end());
    const Bytes query = Request(5, kQuery);
    line.insert(line.end(), query.begin(), query.end());
    m_host.Write(line);
    EXPECT_EQ(m_host.Read(reset1.size()), reset1);
    EXPECT_EQ(m_host.Read(86), SignType(kPellworthHeader5, "FX40211-1.02.11"));
    ExpectLineQuiet();
}

TEST_F(Pellworth, SettingsReachTheSignTypeReply)
{
    ControllerSettings settings = m_sim->Settings(3, 5);
    settings.signTypeText.clear();
    settings.firmwareVersion = "FX40211-1.3.0";
    m_sim->SetSettings(3, 5, settings);
    ExpectPellworthReply(Request(5, kQuery), SignType(kPellworthHeader5, "FX40211-1.3.0"));
}

} // namespace
} // namespace simtest
