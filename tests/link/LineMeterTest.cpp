// The line meter: its medians over injected samples, and what a real exchange adds to it.
#include "SimFixture.h"

#include "link/S22LineMeter.h"
#include "link/S22SignLink.h"

#include <cstdlib>
#include <vector>

using qvxsim::FaultKind;
using std::chrono::microseconds;

namespace {

struct InjectedSample {
    long long replyUs;
    long long lineUs;
};

struct MedianCase {
    const char* name;
    std::vector<InjectedSample> samples;
    double replyMs;
    double excessMs;
};

TEST(LineMeter, MediansOfKnownSamples)
{
    const MedianCase cases[] = {
        {"none", {}, -1, -1},
        {"one", {{12345, 2345}}, 12.345, 10.0},
        {"odd count, unordered", {{30000, 0}, {10000, 0}, {20000, 0}}, 20.0, 20.0},
        {"even count: middle two averaged", {{4000, 1000}, {1000, 0}, {3000, 0}, {2000, 1000}}, 2.5, 2.0},
        {"line time above the reply: no excess", {{5000, 9000}, {7000, 9000}, {6001, 6000}}, 6.001, 0.0},
        {"microseconds kept", {{1, 0}, {3, 1}, {2, 0}}, 0.002, 0.002},
    };
    for (const auto& c : cases) {
        CS22LineMeter meter;
        for (const auto& s : c.samples)
            meter.NoteReply(microseconds(s.replyUs), microseconds(s.lineUs));
        const S22LineFigures figures = meter.Since({});
        EXPECT_EQ(figures.replies, c.samples.size()) << c.name;
        EXPECT_DOUBLE_EQ(figures.medianReplyMs, c.replyMs) << c.name;
        EXPECT_DOUBLE_EQ(figures.medianExcessMs, c.excessMs) << c.name;
    }
}

TEST(LineMeter, RingKeepsTheNewestSamplesAndCountsAll)
{
    CS22LineMeter meter;
    constexpr std::size_t ring = CS22LineMeter::kSampleRing;
    for (std::size_t i = 0; i < ring; ++i)
        meter.NoteReply(microseconds(1000000), microseconds(0));
    const S22LineMark mark = meter.Mark();
    EXPECT_EQ(mark.replies, ring);
    // Just over half the ring replaced: the old samples are outvoted.
    for (std::size_t i = 0; i < ring / 2 + 1; ++i)
        meter.NoteReply(microseconds(2000), microseconds(500));
    const S22LineFigures all = meter.Since({});
    EXPECT_EQ(all.replies, ring + ring / 2 + 1);
    EXPECT_DOUBLE_EQ(all.medianReplyMs, 2.0);
    const S22LineFigures after = meter.Since(mark);
    EXPECT_EQ(after.replies, ring / 2 + 1);
    EXPECT_DOUBLE_EQ(after.medianReplyMs, 2.0);
    EXPECT_DOUBLE_EQ(after.medianExcessMs, 1.5);
    // A mark from ahead of the meter (another port's) covers nothing.
    S22LineMark ahead = meter.Mark();
    ahead.replies += 5;
    ahead.framesSent += 5;
    EXPECT_EQ(meter.Since(ahead).replies, 0u);
    EXPECT_EQ(meter.Since(ahead).framesSent, 0u);
    EXPECT_DOUBLE_EQ(meter.Since(ahead).medianReplyMs, -1);
}

TEST(LineMeter, LineTimeIsTenBitsAByte)
{
    EXPECT_EQ(CS22LineMeter::LineTime(12, 9600), microseconds(12500));
    EXPECT_EQ(CS22LineMeter::LineTime(262, 115200), microseconds(22743));
    EXPECT_EQ(CS22LineMeter::LineTime(12, 0), microseconds(0));
}

class LineMeterLine : public SimLineTest {
protected:
    void TearDown() override
    {
        if (m_link.IsOpen())
            m_link.ClosePort();
        ::unsetenv("QVX_TIME_SCALE");
        SimLineTest::TearDown();
    }

    CS22SignLink m_link;
};

TEST_F(LineMeterLine, AnsweredResetIsOneFrameAndOneSample)
{
    StartLine(4, 19200, {1});
    ASSERT_EQ(m_link.OpenPort(4, 19200, 0), S22NET_OK);
    ASSERT_EQ(m_link.SequenceReset(1), S22NET_OK);
    const S22LineMark mark = m_link.LineMeter().Mark();
    ASSERT_EQ(m_link.SequenceReset(1), S22NET_OK);

    const S22LineFigures after = m_link.LineMeter().Since(mark);
    EXPECT_EQ(after.framesSent, 1u);
    EXPECT_EQ(after.bytesSent, 6u);
    EXPECT_EQ(after.framesRepeated, 0u);
    EXPECT_EQ(after.replies, 1u);
    EXPECT_GE(after.medianReplyMs, 0.0);
    EXPECT_GE(after.medianExcessMs, 0.0);
    EXPECT_LE(after.medianExcessMs, after.medianReplyMs);

    // The meter outlives closing and reopening the port.
    ASSERT_EQ(m_link.ClosePort(), S22NET_OK);
    ASSERT_EQ(m_link.OpenPort(4, 19200, 0), S22NET_OK);
    ASSERT_EQ(m_link.SequenceReset(1), S22NET_OK);
    const S22LineFigures all = m_link.LineMeter().Since({});
    EXPECT_EQ(all.framesSent, 3u);
    EXPECT_EQ(all.bytesSent, 18u);
    EXPECT_EQ(all.replies, 3u);
    EXPECT_EQ(m_link.LineMeter().Since(mark).framesSent, 2u);
}

TEST_F(LineMeterLine, UnansweredResetCountsRepeatsAndNoSample)
{
    ::setenv("QVX_TIME_SCALE", "0.05", 1);
    StartLine(4, 115200, {1});
    ASSERT_EQ(m_link.OpenPort(4, 115200, 0), S22NET_OK);
    Sim().InjectFault(4, 1, {FaultKind::DropReply, -1, 0});
    EXPECT_EQ(m_link.SequenceReset(1), ERR_SIGN_NO_RESPONSE);

    const S22LineFigures figures = m_link.LineMeter().Since({});
    EXPECT_EQ(figures.framesSent, 4u);
    EXPECT_EQ(figures.framesRepeated, 3u);
    EXPECT_EQ(figures.bytesSent, 24u);
    EXPECT_EQ(figures.replies, 0u);
    EXPECT_DOUBLE_EQ(figures.medianReplyMs, -1);
    EXPECT_DOUBLE_EQ(figures.medianExcessMs, -1);

    // Answered again: one sample for the one answered request, none for the lost ones before it.
    Sim().ClearFaults(4, 1);
    const S22LineMark mark = m_link.LineMeter().Mark();
    EXPECT_EQ(m_link.SequenceReset(1), S22NET_OK);
    EXPECT_EQ(m_link.LineMeter().Since(mark).replies, 1u);
    EXPECT_EQ(m_link.LineMeter().Since(mark).framesRepeated, 0u);
}

} // namespace
