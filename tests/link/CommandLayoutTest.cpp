// Byte-exact request layouts of every command, as they leave on the wire.
#include "SimFixture.h"

#include "link/S22Network.h"
#include "link/S22SignLink.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

using Bytes = std::map<std::size_t, unsigned char>;

struct LayoutCase {
    const char* name;
    std::function<short(CS22Network&)> call;
    std::size_t size;
    Bytes bytes; // every other byte of the request must be 0
};

Bytes Text(std::size_t offset, const std::string& text, Bytes bytes = {})
{
    for (std::size_t i = 0; i < text.size(); ++i)
        bytes[offset + i] = static_cast<unsigned char>(text[i]);
    return bytes;
}

Bytes Merge(Bytes a, const Bytes& b)
{
    a.insert(b.begin(), b.end());
    return a;
}

const counter_info_s kCounter = [] {
    counter_info_s info{};
    for (unsigned i = 0; i < sizeof info.bytes; ++i)
        info.bytes[i] = static_cast<unsigned char>(i + 1);
    return info;
}();

Bytes CounterBytes()
{
    Bytes bytes{{0, 21}};
    for (std::size_t i = 1; i <= 47; ++i)
        bytes[i] = static_cast<unsigned char>(i);
    return bytes;
}

std::vector<LayoutCase> Cases()
{
    const time_s time{1, 2, 3, 4, 5, 6};
    return {
        {"SetConfiguration cuts its name to 17",
         [](CS22Network& n) { return n.SetConfiguration(1, "ABCDEFGHIJKLMNOPQRS", 0x1234, 0x5678, 0x9ABC, 7, 8, 0xDEF0, nullptr, 9); },
         66, Merge(Text(2, "ABCDEFGHIJKLMNOPQ"), {{0, 1}, {1, 9}, {22, 0x34}, {23, 0x12}, {24, 0x78}, {25, 0x56},
                                               {26, 0xBC}, {27, 0x9A}, {28, 7}, {29, 8}, {30, 0xF0}, {31, 0xDE}})},
        {"GetStatus", [](CS22Network& n) { return n.GetStatus(1, nullptr, 5); }, 8, {{0, 2}, {1, 5}}},
        {"RunMessage", [](CS22Network& n) { return n.RunMessage(1, "MSG", nullptr, 3); }, 32, Text(2, "MSG", {{0, 6}, {1, 3}})},
        {"RunMessage with a 16-character name", [](CS22Network& n) { return n.RunMessage(1, "ABCDEFGHIJKLMNOP", nullptr, 0); },
         32, Text(2, "ABCDEFGHIJKLMNOP", {{0, 6}})},
        {"RunMessageNumTimes", [](CS22Network& n) { return n.RunMessageNumTimes(1, "A", 4, nullptr, 1); }, 32,
         Text(2, "A", {{0, 6}, {1, 1}, {19, 4}})},
        {"RunMessageASAP", [](CS22Network& n) { return n.RunMessageASAP(1, "A", nullptr, 0); }, 32, Text(2, "A", {{0, 6}, {20, 1}})},
        {"MDCRunMsg", [](CS22Network& n) { return n.MDCRunMsg(1, "A", 7, 8, nullptr, 2); }, 32,
         Text(2, "A", {{0, 6}, {1, 2}, {19, 7}, {20, 8}})},
        {"StopMessage", [](CS22Network& n) { return n.StopMessage(1, "B", nullptr, 4); }, 32, Text(2, "B", {{0, 7}, {1, 4}})},
        {"RemoveMessage", [](CS22Network& n) { return n.RemoveMessage(1, "C", nullptr, 1); }, 32, Text(2, "C", {{0, 10}, {1, 1}})},
        {"RunSchedule flag overrides the option", [](CS22Network& n) { return n.RunSchedule(1, true, nullptr, 5); }, 8, {{0, 12}, {1, 2}}},
        {"RunSchedule without flag", [](CS22Network& n) { return n.RunSchedule(1, false, nullptr, 5); }, 8, {{0, 12}, {1, 5}}},
        {"StopSchedule", [](CS22Network& n) { return n.StopSchedule(1, nullptr, 4); }, 8, {{0, 13}, {1, 4}}},
        {"SetDimming", [](CS22Network& n) { return n.SetDimming(1, 3, 4, nullptr); }, 8, {{0, 14}, {1, 3}, {2, 4}}},
        {"BlankSign", [](CS22Network& n) { return n.BlankSign(1, nullptr, 6); }, 8, {{0, 15}, {1, 6}}},
        {"SetTime", [time](CS22Network& n) { return n.SetTime(1, &time, nullptr, 7); }, 16,
         {{0, 16}, {1, 7}, {2, 1}, {3, 2}, {4, 3}, {5, 4}, {6, 5}, {7, 6}}},
        {"TestPattern", [](CS22Network& n) { return n.TestPattern(1, 9, nullptr); }, 8, {{0, 17}, {1, 9}}},
        {"ResetSign", [](CS22Network& n) { return n.ResetSign(1, 5, true, nullptr); }, 8, {{0, 18}, {1, 5}, {2, 1}}},
        {"SetCounter", [](CS22Network& n) { return n.SetCounter(1, &kCounter, nullptr); }, 48, CounterBytes()},
        {"SetDefaultMessage", [](CS22Network& n) { return n.SetDefaultMessage(1, true, "X", nullptr); }, 32, Text(2, "X", {{0, 23}, {1, 1}})},
        {"EraseFirmware", [](CS22Network& n) { return n.EraseFirmware(1, nullptr, 2); }, 8, {{0, 25}, {1, 2}}},
        {"RemoveGraphic", [](CS22Network& n) { return n.RemoveGraphic(1, "G", nullptr, 1); }, 32, Text(2, "G", {{0, 30}, {1, 1}})},
        {"SetSoftwareAddress", [](CS22Network& n) { return n.SetSoftwareAddress(1, 77, nullptr, 3); }, 8, {{0, 31}, {1, 3}, {2, 77}}},
        {"SetTempOffset", [](CS22Network& n) { return n.SetTempOffset(1, -2, nullptr, 1); }, 8, {{0, 32}, {1, 1}, {2, 0xFE}, {3, 0xFF}}},
        {"SetLineFreqMode", [](CS22Network& n) { return n.SetLineFreqMode(1, 0x0102, nullptr, 0); }, 8, {{0, 34}, {2, 2}, {3, 1}}},
        {"StartCounter", [](CS22Network& n) { return n.StartCounter(1, 3, true, nullptr); }, 8, {{0, 35}, {1, 3}, {2, 1}}},
        {"StopCounter", [](CS22Network& n) { return n.StopCounter(1, 4, nullptr); }, 8, {{0, 36}, {1, 4}}},
        {"M2RenameFile", [](CS22Network& n) { return n.M2RenameFile(1, "OLD", "NEW", nullptr, 1); }, 232,
         Text(113, "NEW", Text(3, "OLD", {{0, 0x80}, {1, 3}, {2, 1}}))},
        {"M2DeleteFile", [](CS22Network& n) { return n.M2DeleteFile(1, "F", nullptr, 2); }, 120, Text(3, "F", {{0, 0x80}, {1, 4}, {2, 2}})},
        {"M2RunMessage", [](CS22Network& n) { return n.M2RunMessage(1, "M", 1, 2, 3, 4, 5, 6, 0x0A0B0C0D, nullptr, 9); }, 136,
         Text(3, "M", {{0, 0x80}, {1, 7}, {2, 9}, {113, 5}, {114, 0x0D}, {115, 0x0C}, {116, 0x0B}, {117, 0x0A},
                       {118, 4}, {119, 1}, {120, 3}, {121, 2}, {122, 6}})},
        {"M2StopMessage without a name", [](CS22Network& n) { return n.M2StopMessage(1, nullptr, 0x01020304, nullptr, 1); }, 130,
         {{0, 0x80}, {1, 8}, {2, 1}, {113, 4}, {114, 3}, {115, 2}, {116, 1}}},
        {"M2MoveMessage without a name", [](CS22Network& n) { return n.M2MoveMessage(1, nullptr, 7, 0x11223344, nullptr, 2); }, 128,
         {{0, 0x80}, {1, 9}, {2, 2}, {113, 0x44}, {114, 0x33}, {115, 0x22}, {116, 0x11}, {117, 7}}},
        {"M2BlankDisplay", [](CS22Network& n) { return n.M2BlankDisplay(1, 5, nullptr); }, 8, {{0, 0x80}, {1, 10}, {2, 5}}},
        {"M2ResetDisplay", [](CS22Network& n) { return n.M2ResetDisplay(1, 1, 0, nullptr); }, 16, {{0, 0x80}, {1, 11}, {2, 1}}},
        {"M2RunSchedule", [](CS22Network& n) { return n.M2RunSchedule(1, "S", nullptr, 3); }, 120, Text(3, "S", {{0, 0x80}, {1, 12}, {2, 3}})},
        {"M2StopSchedule without a name", [](CS22Network& n) { return n.M2StopSchedule(1, nullptr, nullptr, 0); }, 120, {{0, 0x80}, {1, 13}}},
        {"M2SetDimming", [](CS22Network& n) { return n.M2SetDimming(1, 7, 8, nullptr); }, 8, {{0, 0x80}, {1, 14}, {2, 7}, {3, 8}}},
        {"M2SetTime", [](CS22Network& n) { return n.M2SetTime(1, 0x5F5E1000, nullptr, 2); }, 16,
         {{0, 0x80}, {1, 15}, {2, 2}, {4, 0x10}, {5, 0x5E}, {6, 0x5F}}},
        {"M2SetDisplayMode puts its second argument first", [](CS22Network& n) { return n.M2SetDisplayMode(1, 0, 3, nullptr); }, 16,
         {{0, 0x80}, {1, 16}, {2, 3}}},
        {"M2SelectFrame", [](CS22Network& n) { return n.M2SelectFrame(1, 4, 0x0506, "FR", nullptr); }, 128,
         Text(6, "FR", {{0, 0x80}, {1, 22}, {2, 4}, {4, 6}, {5, 5}})},
        {"M2SelectFrame without a name", [](CS22Network& n) { return n.M2SelectFrame(1, 4, 0, nullptr, nullptr); }, 128,
         {{0, 0x80}, {1, 22}, {2, 4}}},
        {"M2GetRunningMessage",
         [](CS22Network& n) {
             unsigned short w = 0;
             unsigned char status = 0;
             return n.M2GetRunningMessage(1, 1, nullptr, w, 0, status);
         },
         8, {{0, 0x80}, {1, 23}, {2, 1}}},
    };
}

// These tests are about the bytes of each command: a reset-display must not leave the controller
// rebooting for the commands that follow it.
void NoRebootPause(qvxsim::SignSim& sim, unsigned char address)
{
    qvxsim::FirmwareBehaviour behaviour;
    behaviour.rebootMs = 0;
    sim.SetBehaviour(5, address, behaviour);
}

class CommandLayout : public SimLineTest {
protected:
    void SetUp() override
    {
        SimLineTest::SetUp();
        StartLine(5, 115200, {1});
        NoRebootPause(Sim(), 1);
        ASSERT_EQ(m_net.ConfigureDirect(5, 115200, false), S22NET_OK);
        m_net.SetTimeOut(300);
        ASSERT_EQ(m_net.Connect(), S22NET_OK);
    }
    void TearDown() override
    {
        m_net.Disconnect();
        SimLineTest::TearDown();
    }
    std::vector<unsigned char> SentData()
    {
        unsigned char* sent = nullptr;
        m_net.GetLastPacket(&sent, nullptr);
        return {sent + 6, sent + 6 + sent[3]};
    }

    CS22Network m_net;
};

TEST_F(CommandLayout, EveryCommandByteForByte)
{
    for (const auto& c : Cases()) {
        // A status from the controller (a file it does not have) still means the frame went out whole.
        const short result = c.call(m_net);
        EXPECT_TRUE(result == S22NET_OK || result == ERR_SIGN_RESPONSE_ERROR) << c.name << ": " << result;
        const std::vector<unsigned char> sent = SentData();
        ASSERT_EQ(sent.size(), c.size) << c.name;
        for (std::size_t i = 0; i < sent.size(); ++i) {
            const auto expected = c.bytes.count(i) ? c.bytes.at(i) : 0;
            EXPECT_EQ(sent[i], expected) << c.name << " byte " << i;
        }
    }
}

TEST_F(CommandLayout, FrameLevelOperations)
{
    struct FrameCase {
        const char* name;
        std::function<short(CS22Network&)> call;
        unsigned char type;
        std::vector<unsigned char> data;
    };
    const FrameCase cases[] = {
        {"enable broadcast", [](CS22Network& n) { return n.EnableBroadcastAddress(1, 200); }, 8, {200}},
        {"disable broadcast", [](CS22Network& n) { return n.DisableBroadcastAddress(1, 200); }, 9, {200}},
        {"query broadcast", [](CS22Network& n) { unsigned short v = 0; return n.GetEnableBroadcastAddress(1, v); }, 11, {}},
        {"set baud rate", [](CS22Network& n) { return n.SetBaudRate(1, 115200); }, 12, {0x00, 0xC2, 0x01, 0x00}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.call(m_net), S22NET_OK) << c.name;
        unsigned char* sent = nullptr;
        m_net.GetLastPacket(&sent, nullptr);
        EXPECT_EQ(sent[4] & 0x0F, c.type) << c.name;
        EXPECT_EQ(SentData(), c.data) << c.name;
    }
}

TEST_F(CommandLayout, BroadcastRefusedBeforeAnythingIsSent)
{
    const std::function<short(CS22Network&)> refused[] = {
        [](CS22Network& n) { return n.GetStatus(0, nullptr, 0); },
        [](CS22Network& n) { return n.EraseFirmware(255, nullptr, 0); },
        [](CS22Network& n) { return n.SetSoftwareAddress(241, 5, nullptr, 0); },
        [](CS22Network& n) { return n.EnableBroadcastAddress(0, 200); },
        [](CS22Network& n) { return n.DisableBroadcastAddress(0, 200); },
        [](CS22Network& n) { unsigned short v = 0; return n.GetEnableBroadcastAddress(250, v); },
        [](CS22Network& n) { return n.SetBaudRate(0, 9600); },
        [](CS22Network& n) { short r = 0; n.M2GetFile(0, "A", r, nullptr, 0); return r; },
        [](CS22Network& n) { short r = 0; n.GetMessage(0, "A", r, nullptr, 0); return r; },
    };
    for (const auto& call : refused)
        EXPECT_EQ(call(m_net), ERR_COMMAND_NO_BROADCAST);
    EXPECT_EQ(Sim().Stats(5, 1).framesReceived, 0u);
}

TEST_F(CommandLayout, NamesTooLongAreRefusedNotCut)
{
    const std::string basic17(17, 'N');
    const std::string extended109(109, 'E');
    const std::string extended110(110, 'E');
    EXPECT_EQ(m_net.RunMessage(1, basic17.c_str(), nullptr, 0), ERR_COMMAND_BAD_ARGUMENT);
    EXPECT_EQ(m_net.M2DeleteFile(1, extended110.c_str(), nullptr, 0), ERR_COMMAND_BAD_ARGUMENT);
    EXPECT_EQ(m_net.M2RenameFile(1, "A", extended110.c_str(), nullptr, 0), ERR_COMMAND_BAD_ARGUMENT);
    EXPECT_EQ(Sim().Stats(5, 1).framesReceived, 0u);
    const short result = m_net.M2DeleteFile(1, extended109.c_str(), nullptr, 0);
    EXPECT_TRUE(result == S22NET_OK || result == ERR_SIGN_RESPONSE_ERROR) << result;
    const std::vector<unsigned char> sent = SentData();
    EXPECT_EQ(sent[3 + 108], 'E');
    EXPECT_EQ(sent[3 + 109], 0);
}

TEST_F(CommandLayout, ReplyRecordsAreCopied)
{
    resp_get_status_s status;
    std::fill(std::begin(status.bytes), std::end(status.bytes), 0xEE);
    ASSERT_EQ(m_net.GetStatus(1, &status, 0), S22NET_OK);
    EXPECT_EQ(status.bytes[0], 2); // the command code comes back first
    m2_resp_s record;
    std::fill(std::begin(record.bytes), std::end(record.bytes), 0xEE);
    ASSERT_EQ(m_net.M2BlankDisplay(1, 0, &record), S22NET_OK);
    EXPECT_EQ(record.bytes[0], 0x80);
    EXPECT_EQ(record.bytes[1], 10);
    EXPECT_EQ(record.bytes[2], 0);
}

TEST_F(CommandLayout, StatusBytesTurnRepliesIntoResponseErrors)
{
    // GetStatus keeps its status at reply byte 80, not at byte 1.
    Sim().InjectStatus(5, 1, qvxsim::BasicCommand(2), 5, 1);
    resp_get_status_s status{};
    EXPECT_EQ(m_net.GetStatus(1, &status, 0), ERR_SIGN_RESPONSE_ERROR);
    EXPECT_EQ(status.bytes[80], 5);
    EXPECT_EQ(status.bytes[1], 0);
    EXPECT_EQ(m_net.GetStatus(1, &status, 0), S22NET_OK);

    // Basic commands at byte 1, extended ones at byte 2; the record is copied before the check.
    Sim().InjectStatus(5, 1, qvxsim::BasicCommand(15), 3, 1);
    resp_s basic{};
    EXPECT_EQ(m_net.BlankSign(1, &basic, 0), ERR_SIGN_RESPONSE_ERROR);
    EXPECT_EQ(basic.bytes[0], 15);
    EXPECT_EQ(basic.bytes[1], 3);
    Sim().InjectStatus(5, 1, qvxsim::ExtendedCommand(10), 4, 1);
    m2_resp_s extended{};
    EXPECT_EQ(m_net.M2BlankDisplay(1, 0, &extended), ERR_SIGN_RESPONSE_ERROR);
    EXPECT_EQ(extended.bytes[2], 4);
    // A generic command checks no status byte.
    Sim().InjectStatus(5, 1, qvxsim::ExtendedCommand(10), 4, 1);
    const unsigned char blank[] = {0x80, 10, 0, 0, 0, 0, 0, 0};
    unsigned char reply[8] = {};
    EXPECT_EQ(m_net.GenericCommand(1, blank, sizeof blank, reply, sizeof reply), S22NET_OK);
    EXPECT_EQ(reply[2], 4);
}

class SignLinkLayout : public SimLineTest {};

TEST_F(SignLinkLayout, LinkCommandsByteForByte)
{
    StartLine(5, 115200, {2});
    NoRebootPause(Sim(), 2);
    CS22SignLink link;
    ASSERT_EQ(link.OpenPort(5, 115200, 0), S22NET_OK);
    const auto sent = [&] {
        const unsigned char* frame = nullptr;
        link.GetLastPacket(&frame, nullptr);
        return std::vector<unsigned char>(frame + 6, frame + 6 + frame[3]);
    };
    auto expect = [](std::size_t size, Bytes bytes) {
        std::vector<unsigned char> out(size, 0);
        for (const auto& [offset, value] : bytes)
            out[offset] = value;
        return out;
    };
    EXPECT_EQ(link.ResetDisplay(2, 1, 0, nullptr), S22NET_OK);
    EXPECT_EQ(sent(), expect(16, {{0, 0x80}, {1, 11}, {2, 1}}));
    EXPECT_EQ(link.BlankDisplay(2, 4, nullptr), S22NET_OK);
    EXPECT_EQ(sent(), expect(8, {{0, 0x80}, {1, 10}, {2, 4}}));
    EXPECT_EQ(link.SetTime(2, 0x01020304, nullptr, 0), S22NET_OK);
    EXPECT_EQ(sent(), expect(16, {{0, 0x80}, {1, 15}, {3, 4}, {4, 3}, {5, 2}, {6, 1}}));
    EXPECT_EQ(link.SetDisplayMode(2, 0, 3, nullptr), S22NET_OK);
    EXPECT_EQ(sent(), expect(16, {{0, 0x80}, {1, 16}, {2, 3}}));
    m2_resp_run_message_s run{};
    EXPECT_EQ(link.RunMessage(2, std::string("TEST.M2M"), 1, 2, 3, 4, 5, 6, 7, &run, 8), S22NET_OK);
    EXPECT_EQ(sent(), expect(136, Text(3, "TEST.M2M", {{0, 0x80}, {1, 7}, {2, 8}, {113, 5}, {114, 7}, {118, 4},
                                                        {119, 1}, {120, 3}, {121, 2}, {122, 6}})));
    const short deleted = link.DeleteFile(2, std::string("OLD.BIN"), nullptr, 1);
    EXPECT_TRUE(deleted == S22NET_OK || deleted == ERR_SIGN_RESPONSE_ERROR) << deleted;
    EXPECT_EQ(sent(), expect(120, Text(3, "OLD.BIN", {{0, 0x80}, {1, 4}, {2, 1}})));
    EXPECT_EQ(link.DeleteFile(2, std::string(110, 'x'), nullptr, 1), ERR_COMMAND_BAD_ARGUMENT);
}

} // namespace
