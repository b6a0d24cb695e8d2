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
    const unsigned char likely[] = {0x55, 0xAA, 0x00, 0x01, 0x03, 0xFF, 0x10, 0x02};
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

const Bytes kQuery5{0x10, 0x02, 0x05, 0x00, 0x00, 0x00, 0x01, 0x00, 0x02, 0x10, 0x03, 0xF8};

TEST(FrameReader, PellworthRequestsAreFoundBetweenS2200Frames)
{
    const Bytes reset = MakeFrame(1, 0x03);
    Bytes line = kQuery5;
    line.insert(line.end(), reset.begin(), reset.end());
    line.insert(line.end(), kQuery5.begin(), kQuery5.end());
    for (std::size_t chunk : {1, 3, 11, 12, 64}) {
        FrameReader reader;
        const auto results = FeedInChunks(reader, line, chunk);
        ASSERT_EQ(results.size(), 3u) << chunk;
        for (std::size_t i : {0, 2}) {
            EXPECT_TRUE(results[i].valid);
            EXPECT_EQ(results[i].kind, qvxsim::FrameKind::Pellworth);
            EXPECT_EQ(results[i].pellworth.address, 5);
            EXPECT_EQ(results[i].pellworth.command, 0x02);
            EXPECT_EQ(results[i].WireSize(), 12u);
        }
        EXPECT_EQ(results[1].kind, qvxsim::FrameKind::S2200);
        EXPECT_EQ(results[1].frame.address, 1);
    }
}

TEST(FrameReader, ACutShortRequestDoesNotHideTheNextFrame)
{
    const struct {
        const char* name;
        Bytes before;          // cut-off bytes in front of a whole query
        std::size_t rejected;  // results before the query's that failed a check
    } cases[] = {
        {"request without its checksum", Bytes(kQuery5.begin(), kQuery5.end() - 1), 1},
        {"request cut after its start", {0x10, 0x02}, 0},
        {"request cut in its fixed bytes", {0x10, 0x02, 0x05, 0x00, 0x00}, 0},
        {"S2200 start only", {0x55, 0xAA}, 1}, // the query's bytes make a header that fails
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes line = c.before;
        line.insert(line.end(), kQuery5.begin(), kQuery5.end());
        FrameReader reader;
        const auto results = FeedInChunks(reader, line, 1);
        ASSERT_EQ(results.size(), c.rejected + 1);
        for (std::size_t i = 0; i < c.rejected; ++i)
            EXPECT_FALSE(results[i].valid);
        EXPECT_TRUE(results.back().valid);
        EXPECT_EQ(results.back().kind, qvxsim::FrameKind::Pellworth);
    }
}

} // namespace
} // namespace simtest
