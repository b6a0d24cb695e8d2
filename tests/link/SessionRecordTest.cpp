// The session record's lines: what the parser takes and refuses, and a record written from
// several threads at once.
#include "link/S22NetPacket.h"
#include "link/SessionRecord.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <thread>

using namespace std::chrono_literals;
using Kind = SessionRecordEntry::Kind;

TEST(SessionRecord, GoodLinesParseAndWriteBackTheSame)
{
    const struct {
        const char* line;
        Kind kind;
        std::chrono::microseconds at;
        int port;
        unsigned long baud;
        std::vector<unsigned char> bytes;
        const char* note;
    } cases[] = {
        {"# qvxfirminstaller session record 1", Kind::Comment, 0us, 0, 0, {}, " qvxfirminstaller session record 1"},
        {"T+0.000000 open COM3 115200", Kind::Open, 0us, 3, 115200, {}, ""},
        {"T+12.000001 rate COM3 19200", Kind::Rate, 12000001us, 3, 19200, {}, ""},
        {"T+2.000000 close COM12", Kind::Close, 2000000us, 12, 0, {}, ""},
        {"T+0.012345 -> COM3 115200 6 55 AA 01 00 03 FD", Kind::Sent, 12345us, 3, 115200,
         {0x55, 0xAA, 0x01, 0x00, 0x03, 0xFD}, ""},
        {"T+1.500000 <- COM3 115200 0 (time-out)", Kind::Received, 1500000us, 3, 115200, {}, "time-out"},
        {"T+1.600000 <- COM1 9600 2 10 06 (rejected: bad data checksum)", Kind::Received, 1600000us, 1, 9600,
         {0x10, 0x06}, "rejected: bad data checksum"},
    };
    for (const auto& c : cases) {
        SessionRecordEntry entry;
        std::string reason;
        ASSERT_TRUE(ParseSessionRecordLine(std::string(c.line) + "\r\n", entry, reason)) << c.line << ": " << reason;
        EXPECT_EQ(entry.kind, c.kind) << c.line;
        EXPECT_EQ(entry.at, c.at) << c.line;
        EXPECT_EQ(entry.comPort, c.port) << c.line;
        EXPECT_EQ(entry.baud, c.baud) << c.line;
        EXPECT_EQ(entry.bytes, c.bytes) << c.line;
        EXPECT_EQ(entry.note, c.note) << c.line;
        EXPECT_EQ(FormatSessionRecordLine(entry), std::string(c.line) + "\n");
    }
}

TEST(SessionRecord, LargestFrameFitsALine)
{
    SessionRecordEntry frame;
    frame.kind = Kind::Received;
    frame.at = 86400000000us;
    frame.comPort = 32767;
    frame.baud = 4294967295UL;
    frame.bytes.assign(CS22NetPacket::kSize, 0xFF);
    frame.note = "rejected: wrong command code";
    const std::string line = FormatSessionRecordLine(frame);
    ASSERT_LE(line.size(), kMaxSessionRecordLine);
    SessionRecordEntry back;
    std::string reason;
    ASSERT_TRUE(ParseSessionRecordLine(line, back, reason)) << reason;
    EXPECT_EQ(back.bytes, frame.bytes);
    EXPECT_EQ(back.at, frame.at);
}

TEST(SessionRecord, BadLinesSayWhyAndLeaveTheEntry)
{
    std::string tooMany = "T+0.000000 -> COM3 115200 263";
    for (int i = 0; i < 263; ++i)
        tooMany += " 00";
    const struct {
        std::string line;
        const char* reason;
    } cases[] = {
        {"", "empty line"},
        {"\n", "empty line"},
        {"#" + std::string(kMaxSessionRecordLine, 'x'), "line longer than 4096 characters"},
        {"T+0.000000 open COM3 115200\nT+0.1 close COM3", "more than one line"},
        {"T+0.00000 open COM3 115200", "bad time"},
        {"0.000000 open COM3 115200", "bad time"},
        {"T+-1.000000 open COM3 115200", "bad time"},
        {"T+9999999999999.000000 open COM3 115200", "bad time"},
        {"T+0.000000 opened COM3 115200", "unknown word \"opened\""},
        {"T+0.000000 open COM 115200", "bad port"},
        {"T+0.000000 open COM32768 115200", "bad port"},
        {"T+0.000000 open com3 115200", "bad port"},
        {"T+0.000000 open COM3 0", "bad rate"},
        {"T+0.000000 open COM3 4294967296", "bad rate"},
        {"T+0.000000 open COM3", "bad rate"},
        {"T+0.000000 open COM3 115200 x", "text after the rate"},
        {"T+0.000000 close COM3 115200", "text after the port"},
        {"T+0.000000 close COM3 ", "space at the end of the line"},
        {tooMany, "bad byte count (at most 262)"},
        {"T+0.000000 -> COM3 115200 x 55", "bad byte count"},
        {"T+0.000000 -> COM3 115200 3 55 AA", "2 bytes where the count says 3"},
        {"T+0.000000 -> COM3 115200 1 55 AA", "more bytes than the count 1"},
        {"T+0.000000 -> COM3 115200 1 5a", "bad byte \"5a\""},
        {"T+0.000000 -> COM3 115200 1 555", "bad byte \"555\""},
        {"T+0.000000 -> COM3 115200 2 55  AA", "bad byte \"\""},
        {"T+0.000000 <- COM3 115200 0 (time-out", "bad note"},
        {"T+0.000000 <- COM3 115200 0 ()", "bad note"},
        {"T+0.000000 <- COM3 115200 0 (a) (b)", "bad note"},
    };
    for (const auto& c : cases) {
        SessionRecordEntry entry;
        entry.note = "untouched";
        std::string reason;
        EXPECT_FALSE(ParseSessionRecordLine(c.line, entry, reason)) << c.line;
        EXPECT_EQ(reason.rfind(c.reason, 0), 0u) << c.line.substr(0, 60) << " gave: " << reason;
        EXPECT_EQ(entry.note, "untouched");
    }
}

// A parallel job traces from one thread per line: every line must come out whole, in time order.
TEST(SessionRecord, LinesFromManyThreadsStayWholeAndInOrder)
{
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("qvx-record-" + std::to_string(stamp) + ".txt");
    CSessionRecorder& record = CSessionRecorder::Instance();
    std::string fault;
    ASSERT_TRUE(record.Open(path.string(), "test 1.0", fault)) << fault;
    EXPECT_FALSE(record.Open(path.string(), "test 1.0", fault)) << "one owner";
    const std::vector<unsigned char> frame(CS22NetPacket::kSize, 0xA5);
    std::vector<std::thread> threads;
    for (int port = 1; port <= 4; ++port) {
        threads.emplace_back([&, port] {
            record.PortOpened(port, 115200);
            for (int i = 0; i < 50; ++i)
                record.Frame(i % 2 == 0, port, 115200, frame, i % 2 == 0 ? "" : "time-out");
            record.PortClosed(port);
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    record.Close();
    record.Frame(true, 1, 115200, frame, ""); // closed: goes nowhere

    std::ifstream in(path);
    std::string line;
    std::vector<SessionRecordEntry> entries;
    while (std::getline(in, line)) {
        SessionRecordEntry entry;
        std::string reason;
        ASSERT_TRUE(ParseSessionRecordLine(line, entry, reason)) << line.substr(0, 80) << ": " << reason;
        entries.push_back(entry);
    }
    in.close(); // Windows removes no file that is open
    std::filesystem::remove(path);
    ASSERT_EQ(entries.size(), 2u + 4 * 52);
    EXPECT_EQ(entries[0].note, " qvxfirminstaller session record 1");
    EXPECT_EQ(entries[1].note.rfind(" started ", 0), 0u);
    EXPECT_NE(entries[1].note.find(", test 1.0, "), std::string::npos) << entries[1].note;
    for (std::size_t i = 3; i < entries.size(); ++i)
        EXPECT_LE(entries[i - 1].at, entries[i].at) << "line " << i;
}

#ifndef _WIN32
TEST(SessionRecord, StartTextIsLocalTimeWithItsOffset)
{
    const char* saved = std::getenv("TZ");
    const std::string before = saved != nullptr ? saved : "";
    const std::pair<const char*, const char*> cases[] = {
        {"UTC0", "1970-01-01T00:00:00+00:00"},
        {"CET-1", "1970-01-01T01:00:00+01:00"},
        {"EST5", "1969-12-31T19:00:00-05:00"}, // the day and the year before UTC's
        {"IST-5:30", "1970-01-01T05:30:00+05:30"},
    };
    for (const auto& [zone, text] : cases) {
        ::setenv("TZ", zone, 1);
        ::tzset();
        EXPECT_EQ(SessionRecordStartText(0), text) << zone;
    }
    saved != nullptr ? ::setenv("TZ", before.c_str(), 1) : ::unsetenv("TZ");
    ::tzset();
}
#endif
