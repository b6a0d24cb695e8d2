// The stand-in controller's own reading of the host's line rate: what a host sets on the slave,
// any rate the tool uses, is what the controller reads on the master.
#include "sim/Pty.h"
#include "sim/ptyrate/PtyLineRate.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

TEST(PtyLineRate, TheControllerReadsTheRateTheHostSet)
{
    std::string error;
    std::optional<qvxsim::Pty> pty = qvxsim::Pty::Open(&error);
    ASSERT_TRUE(pty) << error;
    const int host = ::open(pty->SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(host, 0) << pty->SlavePath();
    // 56700 and 28800 have no B-constant; 2400 is the slowest rate the tool tries.
    for (const unsigned long rate : {115200UL, 56700UL, 38400UL, 28800UL, 19200UL, 9600UL, 2400UL}) {
        SCOPED_TRACE(rate);
        ASSERT_TRUE(qvxsim::SetPtyLineRate(host, rate));
        unsigned long onHost = 0;
        unsigned long onController = 0;
        EXPECT_TRUE(qvxsim::GetPtyLineRate(host, &onHost));
        EXPECT_TRUE(qvxsim::GetPtyLineRate(pty->Master(), &onController));
        EXPECT_EQ(onHost, rate);
        EXPECT_EQ(onController, rate);
    }
    ::close(host);
}

TEST(PtyLineRate, SomethingThatIsNoTerminalHasNoRate)
{
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    unsigned long rate = 12345;
    EXPECT_FALSE(qvxsim::GetPtyLineRate(fds[0], &rate));
    EXPECT_FALSE(qvxsim::SetPtyLineRate(fds[1], 9600));
    EXPECT_EQ(rate, 12345UL) << "left as it was";
    ::close(fds[0]);
    ::close(fds[1]);
    EXPECT_FALSE(qvxsim::GetPtyLineRate(-1, &rate));
}

} // namespace
