// The long serial loop-back test sends the embedded FX40211 package through the plug.
#include "../link/SimFixture.h"

#include "link/S22SignLink.h"
#include "res/Resources.h"

#include <cstdlib>

namespace {

class EchoFirmware : public SimLineTest {
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

TEST_F(EchoFirmware, SendsThePackageThroughALoopBackPlug)
{
    const auto package = qvxres::FindResource("BIN", qvxres::kFirmwareFX40211);
    ASSERT_FALSE(package.empty());
    StartLine(4, 19200, {1});
    Sim().SetLoopback(4, true);
    ASSERT_TRUE(m_link.StartEchoTest(4, 1));
    unsigned long done = 1;
    unsigned long total = 0;
    m_link.GetEchoTestProgress(done, total);
    EXPECT_EQ(done, 0u);
    EXPECT_EQ(total, package.size());
    int status = CS22SignLink::kEchoMore;
    // At least one byte a step, so the walk is bounded by the package's size.
    for (std::size_t steps = 0; status == CS22SignLink::kEchoMore && steps <= package.size(); ++steps)
        status = m_link.EchoTestStep();
    EXPECT_EQ(status, CS22SignLink::kEchoPassed);
    m_link.GetEchoTestProgress(done, total);
    EXPECT_EQ(done, package.size());
    EXPECT_EQ(total, package.size());
    m_link.EndEchoTest(1);
    EXPECT_FALSE(m_link.IsOpen());
    m_link.GetEchoTestProgress(done, total);
    EXPECT_EQ(total, 0u);
    EXPECT_EQ(m_link.EchoTestStep(), CS22SignLink::kEchoFailed); // nothing left to send
}

TEST_F(EchoFirmware, WithoutAPlugNothingComesBack)
{
    ::setenv("QVX_TIME_SCALE", "0.05", 1);
    StartLine(4, 19200, {1});
    EXPECT_FALSE(m_link.StartEchoTest(4, 1));
    m_link.EndEchoTest(1);
    EXPECT_FALSE(m_link.IsOpen());
}

} // namespace
