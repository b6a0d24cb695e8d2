// The controller's receiver on its own, where the chunking of the input and long runs of garbage
// can be controlled.
#include "HostPort.h"
#include "sim/FrameReader.h"

#include <gtest/gtest.h>

#include <random>

namespace simtest {
namespace {

using namespace std::chrono_literals;
using qvxsim::FrameReader;
using qvxsim::MonoTime;
using qvxsim::ReadResult;

std::vector<ReadResult> FeedInChunks(FrameReader& reader, const Bytes& line, std::size_t chunk, MonoTime at = {})
{
    std::vector<ReadResult> out;
    for (std::size_t i = 0; i < line.size(); i += chunk)
        reader.Feed(std::span(line).subspan(i, std::min(chunk, line.size() - i)), at, out);
    return out;
}

TEST(FrameReader, FramesAreFoundWhateverTheChunking)
{
    const Bytes first = MakeFrame(1, 0x03);
    const Bytes second = MakeFrame(240, 0x50, {0x80, 0x0A, 0x55, 0xAA});
    Bytes line = first;
    line.insert(line.end(), second.begin(), second.end());
    for (std::size_t chunk : {1, 2, 5, 7, 64}) {
        FrameReader reader;
        const auto results = FeedInChunks(reader, line, chunk);
        ASSERT_EQ(results.size(), 2u) << chunk;
        EXPECT_TRUE(results[0].valid && results[1].valid);
        EXPECT_EQ(results[0].frame.address, 1);
        EXPECT_EQ(results[1].frame.control, 0x50);
        EXPECT_EQ(results[1].frame.data, (Bytes{0x80, 0x0A, 0x55, 0xAA}));
    }
}

TEST(FrameReader, GarbageNeverBreaksIt)
{
    // Biased towards start bytes and short lengths so that many false headers and truncated
    // frames go through; ASan/UBSan watch the buffer.
    std::mt19937 random(1234);
    const unsigned char likely[] = {0x55, 0xAA, 0x00, 0x01, 0x03, 0xFF};
    FrameReader reader(200ms);
    std::vector<ReadResult> out;
    MonoTime now{};
    for (int round = 0; round < 20000; ++round) {
        Bytes chunk(random() % 40);
        for (auto& b : chunk)
            b = random() % 2 ? likely[random() % sizeof likely] : static_cast<unsigned char>(random());
        now += std::chrono::milliseconds(random() % 4 == 0 ? 250 : 1);
        reader.Feed(chunk, now, out);
        for (const ReadResult& r : out)
            EXPECT_LE(r.frame.data.size(), 255u);
        out.clear();
    }
    // Still in step after all that.
    reader.Feed(MakeFrame(1, 0x03), now + 1s, out);
    ASSERT_FALSE(out.empty());
    EXPECT_TRUE(out.back().valid);
}

} // namespace
} // namespace simtest
