// The long serial loop-back test (type 1) sends the embedded FX40211 package through the plug.
#include "../link/SimFixture.h"

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
    ASSERT_TRUE(link.StartEchoTest(4, 1));
    unsigned long done = 1, total = 0;
    link.GetEchoTestProgress(done, total);
    EXPECT_EQ(done, 0u);
    EXPECT_EQ(total, package.size());
    int status = CS22SignLink::kEchoMore;
    // At least one byte a step, so the walk is bounded by the package's size.
    for (std::size_t steps = 0; status == CS22SignLink::kEchoMore && steps <= package.size(); ++steps)
        status = link.EchoTestStep();
    EXPECT_EQ(status, CS22SignLink::kEchoPassed);
    link.GetEchoTestProgress(done, total);
    EXPECT_EQ(done, package.size());
    link.EndEchoTest(1);
    EXPECT_FALSE(link.IsOpen());
    link.GetEchoTestProgress(done, total);
    EXPECT_EQ(total, 0u);
    EXPECT_EQ(link.EchoTestStep(), CS22SignLink::kEchoFailed); // nothing left to send
}

} // namespace
