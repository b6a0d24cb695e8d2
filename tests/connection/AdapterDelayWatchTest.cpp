// The slow-adapter line: when a transfer is looked at, above what excess, and its exact text.
#include "connection/AdapterDelayWatch.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using std::chrono::microseconds;

// Replies that took excessUs more than their 2 ms of line time.
void Replies(CS22LineMeter& meter, int count, long excessUs)
{
    for (int i = 0; i < count; ++i)
        meter.NoteReply(microseconds(2000 + excessUs), microseconds(2000));
}

TEST(AdapterDelayWatch, SaysItOnceAfterEnoughBlocksWhenRepliesComeLate)
{
    const struct {
        const char* label;
        long excessUs;
        unsigned long totalBlocks;
        unsigned long sayAt; // 0: never
        const char* text;
    } cases[] = {
        {"16 ms on a long send", 16100, 2548, 64,
         "Replies on COM3 arrive 16.1 ms later than the line needs (median of 64 blocks): this install takes "
         "about 41 s longer. MEND 3"},
        {"short send looked at halfway", 16000, 40, 20,
         "Replies on COM3 arrive 16.0 ms later than the line needs (median of 20 blocks): this install takes "
         "about 0.6 s longer. MEND 3"},
        {"4 ms is still the line's own", 4000, 2548, 0, nullptr},
        {"too short to matter", 16000, 15, 0, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        CS22LineMeter meter;
        Replies(meter, 5, 30000); // before the transfer: not counted
        int advised = 0;
        CAdapterDelayWatch watch([&](int port) {
            ++advised;
            return "MEND " + std::to_string(port);
        });
        watch.Start(meter, c.totalBlocks);
        std::string said;
        int lines = 0;
        for (unsigned long block = 1; block <= c.totalBlocks && block <= 200; ++block) {
            Replies(meter, 1, c.excessUs);
            const std::string line = watch.BlockSent(meter, block, 3);
            if (line.empty())
                continue;
            ++lines;
            said = line;
            EXPECT_EQ(block, c.sayAt);
        }
        EXPECT_EQ(lines, c.text != nullptr ? 1 : 0);
        EXPECT_EQ(said, c.text != nullptr ? c.text : "");
        EXPECT_EQ(advised, lines) << "the platform is asked only when the line is said";
    }
}

TEST(AdapterDelayWatch, NothingBeforeATransferStarts)
{
    CS22LineMeter meter;
    Replies(meter, 100, 16000);
    CAdapterDelayWatch watch([](int) { return std::string("MEND"); });
    EXPECT_EQ(watch.BlockSent(meter, 64, 3), "");
}

} // namespace
