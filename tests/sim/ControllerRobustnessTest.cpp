// A controller fed with random commands: whatever the host sends, every reply fits a frame and
// the controller keeps answering. ASan/UBSan watch the buffers.
#include "RawHost.h"
#include "sim/Controller.h"

#include <gtest/gtest.h>

#include <random>

namespace simtest {
namespace {

using qvxsim::Controller;
using qvxsim::Frame;

constexpr unsigned long kRate = 19200;
constexpr qvxsim::MonoTime kNow{std::chrono::hours(1)};

// Codes that lead somewhere, so that random bytes reach the transfers and not only the default.
Bytes RandomRequest(std::mt19937& random)
{
    static const unsigned char extended[] = {1, 2, 3, 4, 5, 6, 7, 12, 15, 16, 20, 22, 23};
    static const unsigned char basic[] = {0, 2, 3, 4, 5, 6, 8, 9, 10, 11, 12, 14, 16, 23, 26, 27, 30, 37};
    const std::size_t sizes[] = {0, 1, 2, 8, 16, 32, 64, 120, 136, 232, 255};
    Bytes request(random() % 3 == 0 ? random() % 256 : sizes[random() % std::size(sizes)]);
    for (auto& b : request)
        b = static_cast<unsigned char>(random() % 4 == 0 ? random() : 0);
    if (!request.empty() && random() % 2 == 0) {
        request[0] = 0x80;
        if (request.size() > 1)
            request[1] = extended[random() % std::size(extended)];
    } else if (!request.empty()) {
        request[0] = basic[random() % std::size(basic)];
    }
    return request;
}

TEST(ControllerRobustness, RandomCommandsNeverBreakIt)
{
    Controller controller({1, 0}, kRate);
    std::mt19937 random(99);
    unsigned char sequence = 0x10;
    const Bytes data = Pattern(3000);
    for (int round = 0; round < 20000; ++round) {
        Frame frame;
        frame.address = 1;
        frame.control = sequence;
        sequence = static_cast<unsigned char>(sequence == 0xF0 ? 0x10 : sequence + 0x10);
        // Now and then a proper start, so that random blocks meet an open transfer.
        switch (random() % 16) {
        case 0: frame.data = SendFileStart("F" + std::to_string(random() % 4), data); break;
        case 1: frame.data = GetFileStart("F" + std::to_string(random() % 4)); break;
        case 2: frame.data = FileBlock(static_cast<std::uint16_t>(random() % 14), data); break;
        case 3: frame.data = BasicSendStart(5, "M", Bytes(random() % 2000)); break;
        default: frame.data = RandomRequest(random);
        }
        const auto reply = controller.Handle(frame, kRate, kNow);
        ASSERT_TRUE(reply) << round;
        ASSERT_LE(reply->bytes.size(), 262u) << round;
        if (random() % 64 == 0)
            controller.HandlePellworth({1, static_cast<unsigned char>(random())}, kRate, kNow);
    }
    const auto reset = controller.Handle(Frame{1, 0x03, {}}, kRate, kNow);
    ASSERT_TRUE(reset);
    EXPECT_EQ(reset->bytes, MakeFrame(1, 0x03));
}

} // namespace
} // namespace simtest
