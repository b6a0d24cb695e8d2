// The zlib streams of sends and packages: the check that a stream gives back exactly its data,
// and the encoder's streams against zlib's best.
#include "base/Deflate.h"

#include <zlib.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes ZlibLevel9(const Bytes& data)
{
    static const unsigned char kNone = 0;
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    Bytes stream(size);
    EXPECT_EQ(compress2(stream.data(), &size, data.empty() ? &kNone : data.data(), static_cast<uLong>(data.size()),
                        Z_BEST_COMPRESSION),
              Z_OK);
    stream.resize(size);
    return stream;
}

// Text, runs, a counter and noise one after another: what firmware images hold.
Bytes MixedData(std::size_t size)
{
    Bytes data(size);
    std::mt19937 random(11);
    const std::string text = "LED sign controller firmware, revision 1.02.11; ";
    for (std::size_t i = 0; i < size; ++i) {
        switch ((i / 4096) % 4) {
        case 0: data[i] = static_cast<unsigned char>(text[i % text.size()]); break;
        case 1: data[i] = 0; break;
        case 2: data[i] = static_cast<unsigned char>(i / 3); break;
        default: data[i] = static_cast<unsigned char>(random()); break;
        }
    }
    return data;
}

TEST(Deflate, InflatesToTakesOnlyAWholeStreamOfExactlyTheData)
{
    const Bytes data = MixedData(20000);
    const Bytes stream = ZlibLevel9(data);
    const Bytes shorter(data.begin(), data.end() - 1);
    Bytes longer = data;
    longer.push_back(0);
    Bytes changed = data;
    changed[12345] ^= 1;
    Bytes badCheck(stream.begin(), stream.end() - 1); // the last byte of the Adler-32 changed
    badCheck.push_back(static_cast<unsigned char>(stream.back() ^ 0x01));
    Bytes trailing = stream;
    trailing.push_back(0);
    const Bytes cut(stream.begin(), stream.end() - 1);
    const struct {
        const char* what;
        Bytes stream;
        Bytes expected;
        bool result;
    } cases[] = {
        {"exact", stream, data, true},
        {"expected one byte short", stream, shorter, false},
        {"expected one byte long", stream, longer, false},
        {"one byte different", stream, changed, false},
        {"wrong check value", badCheck, data, false},
        {"bytes after the stream", trailing, data, false},
        {"stream cut short", cut, data, false},
        {"empty stream", {}, {}, false},
        {"stream of nothing", ZlibLevel9({}), {}, true},
        {"stream of nothing, one byte expected", ZlibLevel9({}), {0}, false},
        {"not zlib", data, data, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(qvxbase::InflatesTo(c.stream, c.expected), c.result) << c.what;
}

TEST(Deflate, BestStreamInflatesToItsDataAndIsNoLargerThanZlibs)
{
    Bytes noise(5000);
    std::mt19937 random(3);
    for (auto& byte : noise)
        byte = static_cast<unsigned char>(random());
    for (const Bytes& data : {Bytes(), Bytes{0x42}, noise, MixedData(300 * 1024)}) {
        SCOPED_TRACE(data.size());
        Bytes stream{1, 2, 3}; // replaced, not appended to
        ASSERT_TRUE(qvxbase::ZlibCompressBest(data, stream));
        EXPECT_TRUE(qvxbase::InflatesTo(stream, data));
        EXPECT_LE(stream.size(), ZlibLevel9(data).size());
    }
    const std::string name = qvxbase::ZlibEncoderName();
    EXPECT_TRUE(name == "libdeflate 12" || name == "zlib 9") << name;
}

} // namespace
