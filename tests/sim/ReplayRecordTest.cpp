// The replaying controller's reader of session records, and its matching of what the host sends
// against the recorded requests.
#include "sim/ReplayMatcher.h"
#include "sim/ReplayRecord.h"

#include <gtest/gtest.h>

#include <sstream>

namespace simtest {
namespace {

using qvxsim::RecordLine;
using Bytes = std::vector<unsigned char>;

const std::string kHeader = "# qvxfirminstaller session record 1\n# started 2026-12-10T02:31:00+01:00, x\n";

TEST(ReplayRecord, GoodLinesGiveTimePortAndBytes)
{
    struct Case {
        const char* text;
        RecordLine::Kind kind;
        long long us;
        int com;
        Bytes bytes;
    };
    const Case cases[] = {
        {"# any comment", RecordLine::Kind::Comment, 0, 0, {}},
        {"T+0.000000 open COM3 115200", RecordLine::Kind::Port, 0, 3, {}},
        {"T+1.700000 close COM255", RecordLine::Kind::Port, 1'700'000, 255, {}},
        {"T+1.700100 rate COM3 19200", RecordLine::Kind::Port, 1'700'100, 3, {}},
        {"T+0.012345 -> COM3 115200 6 55 AA 01 00 03 FD", RecordLine::Kind::Sent, 12'345, 3,
         {0x55, 0xAA, 1, 0, 3, 0xFD}},
        {"T+12.000001 <- COM3 0 2 0A FF (rejected: bad data checksum)", RecordLine::Kind::Received, 12'000'001, 3,
         {0x0A, 0xFF}},
        {"T+1.500000 <- COM3 115200 0 (time-out)", RecordLine::Kind::Received, 1'500'000, 3, {}},
    };
    for (const Case& c : cases) {
        RecordLine line;
        std::string reason;
        ASSERT_TRUE(qvxsim::ReadRecordLine(c.text, &line, &reason)) << c.text << ": " << reason;
        EXPECT_EQ(line.kind, c.kind) << c.text;
        EXPECT_EQ(line.at.count(), c.us) << c.text;
        EXPECT_EQ(line.comNumber, c.com) << c.text;
        EXPECT_EQ(line.bytes, c.bytes) << c.text;
    }
}

TEST(ReplayRecord, BadLinesSayWhy)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", "empty line"},
        {"T+0.00000 open COM3 115200", "bad time (T+<seconds>.<six digits>)"},
        {"T-1.000000 open COM3 115200", "bad time (T+<seconds>.<six digits>)"},
        {"T+1.00000x open COM3 115200", "bad time (T+<seconds>.<six digits>)"},
        {"T+1.000000 opened COM3 115200", "unknown event 'opened'"},
        {"T+1.000000 open COM0 115200", "bad port 'COM0' (COM1..COM255)"},
        {"T+1.000000 open COM256 115200", "bad port 'COM256' (COM1..COM255)"},
        {"T+1.000000 open COM+3 115200", "bad port 'COM+3' (COM1..COM255)"},
        {"T+1.000000 open COM3 0", "bad rate '0'"},
        {"T+1.000000 open COM3 115200 x", "text after the rate"},
        {"T+1.000000 close COM3 115200", "text after the port"},
        {"T+1.000000 -> COM3 115200 3 55 AA", "3 bytes announced, 2 given"},
        {"T+1.000000 -> COM3 115200 2 55 AA 01", "after the bytes: '01' (only a bracketed note)"},
        {"T+1.000000 -> COM3 115200 2 55 aa", "bad byte 'aa' (two upper-case hex digits)"},
        {"T+1.000000 -> COM3 115200 1 5", "bad byte '5' (two upper-case hex digits)"},
        {"T+1.000000 -> COM3 115200 263 55", "bad byte count '263' (0..262)"},
        {"T+1.000000 -> COM3 115200 0", "a frame sent with no bytes"},
        {"T+1.000000 <- COM3 115200 1 55 (note", "after the bytes: '(note' (only a bracketed note)"},
        {"T+1.000000 <- COM3 115200 2 55 (x)", "2 bytes announced, 1 given"},
        {std::string(4097, '#'), "longer than 4096 characters"},
    };
    for (const auto& [text, why] : cases) {
        RecordLine line;
        std::string reason;
        EXPECT_FALSE(qvxsim::ReadRecordLine(text, &line, &reason)) << text;
        EXPECT_EQ(reason, why) << text;
    }
}

TEST(ReplayRecord, RequestsKeepTheirRepliesPerPortAndSilenceIsLeftOut)
{
    std::istringstream in(kHeader
                          + "T+0.000000 open COM2 115200\r\n"
                            "T+0.100000 <- COM2 115200 1 00\n" // before any request: answers nothing
                            "T+0.200000 -> COM2 115200 2 01 02\n"
                            "T+0.200500 -> COM1 19200 1 07\n"
                            "T+0.250000 <- COM2 115200 1 03\n"
                            "T+0.300000 <- COM2 115200 2 04 05\n"
                            "T+0.900000 <- COM1 19200 0 (time-out)\n"
                            "T+1.000000 -> COM1 19200 1 07\n"
                            "T+1.000000 close COM2\n");
    std::vector<qvxsim::RecordedPort> ports;
    std::string error;
    ASSERT_TRUE(qvxsim::ReadRecord(in, &ports, &error)) << error;
    ASSERT_EQ(ports.size(), 2u);
    EXPECT_EQ(ports[0].comNumber, 1);
    ASSERT_EQ(ports[0].requests.size(), 2u);
    EXPECT_TRUE(ports[0].requests[0].replies.empty()) << "a time-out plays as silence";
    EXPECT_EQ(ports[0].requests[1].lineNumber, 10u);
    const qvxsim::RecordedPort& com2 = ports[1];
    ASSERT_EQ(com2.requests.size(), 1u);
    EXPECT_EQ(com2.requests[0].bytes, (Bytes{1, 2}));
    ASSERT_EQ(com2.requests[0].replies.size(), 2u);
    EXPECT_EQ(com2.requests[0].replies[0].delay.count(), 50'000);
    EXPECT_EQ(com2.requests[0].replies[1].delay.count(), 100'000);
    EXPECT_EQ(com2.requests[0].replies[1].bytes, (Bytes{4, 5}));
}

TEST(ReplayRecord, BadRecordsNameTheLine)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", "empty: not a session record"},
        {kHeader, "names no COM port"},
        {"T+0.000000 open COM3 115200\n",
         "line 1: not a session record of version 1 (its first line is '# qvxfirminstaller session record 1')"},
        {"# qvxfirminstaller session record 2\n",
         "line 1: not a session record of version 1 (its first line is '# qvxfirminstaller session record 1')"},
        {kHeader + "T+0.000000 open COM3 115200\n\nT+0.1 close COM3\n", "line 4: empty line"},
        {kHeader + "T+0.000000 open COM3 115200\nT+0.100000 -> COM3 115200 2 55\n",
         "line 4: 2 bytes announced, 1 given"},
    };
    for (const auto& [text, why] : cases) {
        std::istringstream in(text);
        std::vector<qvxsim::RecordedPort> ports;
        std::string error;
        EXPECT_FALSE(qvxsim::ReadRecord(in, &ports, &error)) << text;
        EXPECT_EQ(error, why) << text;
    }
}

qvxsim::RecordedPort TwoRequests()
{
    qvxsim::RecordedPort port;
    port.comNumber = 4;
    port.requests.push_back({{0x55, 0xAA, 1, 2}, {{std::chrono::microseconds(10), {9}}}, 7});
    port.requests.push_back({{0x55, 0xAA, 1, 3}, {}, 9});
    return port;
}

// Each read's events: "M<line>" for a request matched (its record line), else the line shown.
std::vector<std::string> FeedAll(qvxsim::ReplayMatcher& matcher, const std::vector<Bytes>& reads)
{
    std::vector<std::string> shown;
    for (const Bytes& read : reads) {
        std::vector<qvxsim::ReplayEvent> events;
        matcher.Feed(read, events);
        for (const qvxsim::ReplayEvent& e : events)
            shown.push_back(e.kind == qvxsim::ReplayEvent::Kind::Matched ? "M" + std::to_string(e.request->lineNumber)
                                                                         : e.text);
    }
    return shown;
}

TEST(ReplayMatcher, RequestsMatchInOrderByTheirBytes)
{
    const std::string all = "COM4: all 2 recorded requests played";
    const std::string notFirst =
        "COM4: not answered: 55 AA 01 03 (4 bytes); expected request 1 of 2 (line 7): 55 AA 01 02";
    struct Case {
        const char* what;
        std::vector<Bytes> reads;
        std::vector<std::string> shown;
    };
    const Case cases[] = {
        {"both in one read", {{0x55, 0xAA, 1, 2, 0x55, 0xAA, 1, 3}}, {"M7", "M9", all}},
        {"split across reads", {{0x55}, {0xAA, 1}, {2, 0x55, 0xAA, 1}, {3}}, {"M7", "M9", all}},
        {"out of order: the second is refused, then both match",
         {{0x55, 0xAA, 1, 3}, {0x55, 0xAA, 1, 2}, {0x55, 0xAA, 1, 3}},
         {notFirst, "M7", "M9", all}},
        {"noise before a request",
         {{0x00, 0x55, 0x55, 0xAA, 1, 2}},
         {"COM4: not answered: 00 55 (2 bytes); expected request 1 of 2 (line 7): 55 AA 01 02", "M7"}},
        {"a request once too often",
         {{0x55, 0xAA, 1, 2, 0x55, 0xAA, 1, 2, 0x55, 0xAA, 1, 3}},
         {"M7", "COM4: not answered: 55 AA 01 02 (4 bytes); expected request 2 of 2 (line 9): 55 AA 01 03", "M9", all}},
        {"after the last",
         {{0x55, 0xAA, 1, 2, 0x55, 0xAA, 1, 3, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
         {"M7", "M9", all,
          "COM4: not answered: 01 02 03 04 05 06 07 08 ... (9 bytes); all recorded requests are played"}},
    };
    for (const Case& c : cases) {
        qvxsim::ReplayMatcher matcher(TwoRequests());
        EXPECT_EQ(FeedAll(matcher, c.reads), c.shown) << c.what;
    }
}

// A file send's start stamps the host's clock: run again later, only that word and the checksum
// after it may differ from the record.
TEST(ReplayMatcher, OnlyALaterClockWordAndItsChecksumMayDiffer)
{
    const Bytes recorded = {0x55, 0xAA, 0x48, 0x15, 0x1A, 0x6B, 0x00, 0xFC}; // 0x6B1A1548: December 2026
    const std::pair<Bytes, bool> cases[] = {
        {{0x55, 0xAA, 0x48, 0x15, 0x1A, 0x6B, 0x00, 0xFC}, true},
        {{0x55, 0xAA, 0x6D, 0x15, 0x1A, 0x6B, 0x00, 0xD7}, true},  // 37 s later
        {{0x55, 0xAA, 0x6D, 0x16, 0x1A, 0x6B, 0x00, 0xD6}, true},  // and more
        {{0x55, 0xAA, 0x47, 0x15, 0x1A, 0x6B, 0x00, 0xFD}, false}, // earlier
        {{0x55, 0xAA, 0x48, 0x15, 0x1A, 0x6B, 0x01, 0xFB}, false}, // another byte
        {{0x55, 0xAA, 0x48, 0x15, 0x1A, 0x6B, 0x00, 0xFD}, false}, // the checksum alone
        {{0x55, 0xAB, 0x48, 0x15, 0x1A, 0x6B, 0x00, 0xFB}, false}, // a byte that is no clock
    };
    for (const auto& [sent, matches] : cases) {
        qvxsim::RecordedPort port;
        port.comNumber = 1;
        port.requests.push_back({recorded, {}, 3});
        qvxsim::ReplayMatcher matcher(std::move(port));
        const std::vector<std::string> shown = FeedAll(matcher, {sent});
        EXPECT_EQ(!shown.empty() && shown.front() == "M3", matches) << qvxsim::HexStart(sent);
    }
}

} // namespace
} // namespace simtest
