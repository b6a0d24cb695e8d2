// A controller on its own, on a clock of the test's making: how long a reboot silences it, and
// random faults that repeat for a seed and never leave a damaged file behind.
#include "RawHost.h"
#include "sim/Controller.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace simtest {
namespace {

using namespace std::chrono_literals;
using qvxsim::Controller;
using qvxsim::MonoTime;

constexpr unsigned long kRate = 19200;
constexpr MonoTime kStart{std::chrono::hours(1)};
const Bytes kResetDisplay{0x80, 11, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

Controller Make(unsigned long rebootMs, const qvxsim::RandomFaults& faults = {})
{
    qvxsim::ControllerConfig config{2, 0};
    config.behaviour.rebootMs = rebootMs;
    config.randomFaults = faults;
    return Controller(config, kRate);
}

// The reply's data when a whole, correct frame follows the noise (which never holds 0x55).
std::optional<Bytes> GoodData(const std::optional<Bytes>& reply)
{
    if (!reply)
        return std::nullopt;
    const Bytes frame(std::find(reply->begin(), reply->end(), 0x55), reply->end());
    if (frame.size() < 6 || frame.size() != (frame[3] == 0 ? 6u : frame[3] + 7u))
        return std::nullopt;
    const Bytes data(frame.begin() + 6, frame.begin() + 6 + frame[3]);
    return frame == MakeFrame(frame[2], frame[4], data) ? std::optional(data) : std::nullopt;
}

struct Host {
    // The next sequence number, tried as often as `tries` says, `step` apart; the first good reply's data.
    std::optional<Bytes> Exchange(const Bytes& request, int tries = 1, std::chrono::milliseconds step = 0ms)
    {
        sequence = static_cast<unsigned char>(sequence == 0xF0 ? 0x10 : sequence + 0x10);
        for (int i = 0; i < tries; ++i) {
            now += step;
            if (auto data = GoodData(Send(request)))
                return data;
        }
        return std::nullopt;
    }
    std::optional<Bytes> Send(const Bytes& request)
    {
        const auto reply = controller.Handle(qvxsim::Frame{2, sequence, request}, kRate, now);
        return reply ? std::optional(reply->bytes) : std::nullopt;
    }

    Controller& controller;
    MonoTime now = kStart;
    unsigned char sequence = 0;
};

TEST(ControllerReboot, SilenceLastsTheScaledRebootTime)
{
    const struct {
        const char* scale;
        unsigned long rebootMs;
        long long silentMs;
    } cases[] = {
        {nullptr, 8000, 8000}, {"0.02", 8000, 160}, {"2", 100, 200},    {"0.00001", 50, 1},
        {"0", 100, 100},       {"fast", 100, 100},  {"1001", 100, 100}, {nullptr, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.scale ? c.scale : "unset") + " " + std::to_string(c.rebootMs));
        c.scale ? ::setenv("QVX_TIME_SCALE", c.scale, 1) : ::unsetenv("QVX_TIME_SCALE");
        Controller controller = Make(c.rebootMs);
        Host host{controller};
        ASSERT_EQ(host.Exchange(kResetDisplay), (Bytes{0x80, 11, 0, 0, 0, 0, 0, 0}));
        host.now = kStart + std::chrono::milliseconds(c.silentMs) - 1ns;
        EXPECT_EQ(host.Exchange({}).has_value(), c.silentMs == 0); // empty: refused, but answered when up
        EXPECT_FALSE(controller.HandlePellworth({2, 0x02}, kRate, host.now));
        host.now += 1ns;
        EXPECT_TRUE(host.Exchange({}));
        EXPECT_EQ(controller.Stats().framesWhileDown, c.silentMs == 0 ? 0u : 2u);
    }
    ::unsetenv("QVX_TIME_SCALE");
}

// What a fixed run of file sends draws from a controller with these faults, and its reboots.
std::pair<std::vector<std::optional<Bytes>>, unsigned long> SendRun(const qvxsim::RandomFaults& faults)
{
    Controller controller = Make(0, faults);
    Host host{controller};
    const Bytes data = Pattern(3000);
    std::vector<std::optional<Bytes>> out;
    for (int round = 0; round < 20; ++round) {
        out.push_back(host.Send(SendFileStart("F.BIN", data)));
        for (std::uint16_t k = 1; k <= 13; ++k)
            out.push_back(host.Send(FileBlock(k, data)));
    }
    return {out, controller.Stats().reboots};
}

TEST(ControllerReboot, RandomFaultsRepeatForASeed)
{
    const qvxsim::RandomFaults faults{7, 0.2, 0.2, 0.2, 0.05};
    const auto [first, reboots] = SendRun(faults);
    EXPECT_EQ(SendRun(faults).first, first);
    EXPECT_NE(SendRun({8, 0.2, 0.2, 0.2, 0.05}).first, first);
    int missing = 0, noisy = 0, spoiled = 0;
    for (const auto& bytes : first) {
        missing += !bytes;
        noisy += bytes && bytes->front() != 0x55;
        spoiled += bytes && !GoodData(bytes);
    }
    EXPECT_GT(missing, 0);
    EXPECT_GT(noisy, 0);
    EXPECT_GT(spoiled, 0);
    EXPECT_GT(reboots, 0u);
    EXPECT_EQ(SendRun({}).first, SendRun({9, 0, 0, 0, 0}).first) << "no chances, no draws";
}

TEST(ControllerReboot, SoakNeverStoresADamagedFile)
{
    Controller controller = Make(1000, {11, 0.1, 0.1, 0.1, 0.05});
    Host host{controller};
    const auto exchange = [&](const Bytes& request) {
        const std::optional<Bytes> reply = host.Exchange(request, 4, 300ms); // the link's four tries
        return reply && reply->size() > 2 && (*reply)[2] == 0;
    };
    for (unsigned file = 0; file < 6; ++file) {
        const std::string name = "F" + std::to_string(file) + ".BIN";
        const Bytes data = Pattern(4000 + file * 500, file);
        const Bytes packed = Compress(data);
        bool sent = false;
        for (int attempt = 0; attempt < 50 && !sent; ++attempt) {
            sent = exchange(CompressedStart(name, packed, static_cast<std::uint32_t>(data.size())));
            for (std::uint16_t k = 1; sent && (k - 1u) * kFileBlock < packed.size(); ++k)
                sent = exchange(FileBlock(k, packed));
            const auto stored = controller.State().Read(qvxsim::FileArea::Files, name);
            ASSERT_TRUE(!stored || *stored == data) << name << " attempt " << attempt;
        }
        EXPECT_TRUE(sent) << name;
        EXPECT_EQ(controller.State().Read(qvxsim::FileArea::Files, name), data);
    }
    EXPECT_GT(controller.Stats().reboots, 0u);
}

} // namespace
} // namespace simtest
