// The long serial loop-back test (type 1) sends the embedded FX40211 package through the plug.
#include "../link/SimFixture.h"

#include "link/S22EchoTest.h"
#include "link/S22SignLink.h"
#include "res/Resources.h"

namespace {

using EchoFirmware = SimLineTest;

TEST_F(EchoFirmware, SendsThePackageThroughALoopBackPlug)
{
    const auto package = qvxres::FindEmbeddedResource("BIN", qvxres::kFirmwareFX40211);
    ASSERT_FALSE(package.empty());
    StartLine(4, 19200, {1});
    Sim().SetLoopback(4, true);
    CS22SignLink link;
    CS22EchoTest echo(link);
    ASSERT_TRUE(echo.StartEchoTest(4, 1));
    unsigned long done = 1, total = 0;
    echo.GetEchoTestProgress(done, total);
    EXPECT_EQ(done, 0u);
    EXPECT_EQ(total, package.size());
    int status = CS22EchoTest::kEchoMore;
    // At least one byte a step, so the walk is bounded by the package's size.
    for (std::size_t steps = 0; status == CS22EchoTest::kEchoMore && steps <= package.size(); ++steps)
        status = echo.EchoTestStep();
    EXPECT_EQ(status, CS22EchoTest::kEchoPassed);
    echo.GetEchoTestProgress(done, total);
    EXPECT_EQ(done, package.size());
    echo.EndEchoTest(1);
    EXPECT_FALSE(link.IsOpen());
    echo.GetEchoTestProgress(done, total);
    EXPECT_EQ(total, 0u);
    EXPECT_EQ(echo.EchoTestStep(), CS22EchoTest::kEchoFailed); // nothing left to send
}

} // namespace
