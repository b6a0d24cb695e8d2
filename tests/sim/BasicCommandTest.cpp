// The basic transfers (messages, schedules, graphics and their lists) and the status-carrying
// replies of the display commands, through raw frames on the pty.
#include "RawHost.h"
#include "SimLineFixture.h"

namespace simtest {
namespace {

using qvxsim::BasicCommand;
using qvxsim::ExtendedCommand;
using qvxsim::FileArea;

enum : unsigned char {
    kSendMessage = 5, kGetMessage = 8, kMessageList = 9, kRemoveMessage = 10, kSendSchedule = 11,
    kSendGraphic = 26, kGraphicList = 27, kRemoveGraphic = 30, kGetGraphic = 37,
};

class BasicCommands : public SimLine {
protected:
    RawReply Ask(const Bytes& request) { return m_raw.Exchange(1, request); }

    // A basic request of `size` bytes with the given bytes set.
    static Bytes Basic(unsigned char code, std::size_t size,
                       std::initializer_list<std::pair<std::size_t, unsigned>> set = {})
    {
        Bytes b(size, 0);
        b[0] = code;
        for (const auto& [at, value] : set)
            b.at(at) = static_cast<unsigned char>(value);
        return b;
    }

    RawHost m_raw{m_host};
};

TEST_F(BasicCommands, MessagesGraphicsAndSchedulesComeBackWhole)
{
    const struct {
        unsigned char send;
        unsigned char get; // 0: the area has no get
        FileArea area;
        std::size_t size;
    } cases[] = {
        {kSendMessage, kGetMessage, FileArea::Messages, 0},
        {kSendMessage, kGetMessage, FileArea::Messages, 246},
        {kSendMessage, kGetMessage, FileArea::Messages, 247},
        {kSendMessage, kGetMessage, FileArea::Messages, 248},
        {kSendGraphic, kGetGraphic, FileArea::Graphics, 1000},
        {kSendSchedule, 0, FileArea::Schedules, 300},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.send) + "/" + std::to_string(c.size));
        const std::string name = "ITEM" + std::to_string(c.size);
        const Bytes data = Pattern(c.size, c.send);
        ASSERT_EQ(m_raw.SendBasic(1, c.send, name, data), 0);
        EXPECT_EQ(m_sim->ReadFile(3, 1, name, c.area), data);
        EXPECT_FALSE(m_sim->ReadFile(3, 1, name, FileArea::Files)) << "areas are apart";
        if (c.get != 0) {
            EXPECT_EQ(m_raw.GetBasic(1, c.get, name), data);
        }
    }
}

TEST_F(BasicCommands, GetStartRepliesAreByteExact)
{
    const Bytes data = Pattern(500);
    ASSERT_EQ(m_raw.SendBasic(1, kSendGraphic, "LOGO", data), 0);
    Bytes reply(64, 0);
    reply[0] = kGetGraphic;
    const std::string name = "LOGO";
    std::copy(name.begin(), name.end(), reply.begin() + 2);
    reply[24] = 3;   // blocks
    reply[26] = 247; // block size
    reply[28] = 500 & 0xFF;
    reply[29] = 500 >> 8;
    EXPECT_EQ(Ask(BasicGetStart(kGetGraphic, "logo")).data, reply);

    Bytes last = {4, 0, 3, 0, 0, 0, 0, 0};
    last.insert(last.end(), data.begin() + 494, data.end());
    EXPECT_EQ(Ask(BasicBlockRequest(3)).data, last);
    EXPECT_EQ(Ask(BasicBlockRequest(4)).data, (Bytes{4, 3, 4, 0, 0, 0, 0, 0}));

    Bytes missing(64, 0);
    missing[0] = kGetMessage;
    missing[32] = 2;
    EXPECT_EQ(Ask(BasicGetStart(kGetMessage, "LOGO")).data, missing) << "graphics are not messages";
}

TEST_F(BasicCommands, ListsCarryOneEntryPerItem)
{
    for (int i = 8; i >= 1; --i)
        ASSERT_EQ(m_raw.SendBasic(1, kSendMessage, "MSG" + std::to_string(i), Bytes(std::size_t(i), 'x')), 0);
    const RawReply start = Ask(BasicList(kMessageList));
    EXPECT_EQ(start.data, (Bytes{kMessageList, 8, 0, 2, 0, 224, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

    const std::optional<Bytes> list = m_raw.GetBasic(1, kMessageList, "");
    ASSERT_TRUE(list);
    ASSERT_EQ(list->size(), 8u * 32);
    for (std::size_t i = 0; i < 8; ++i) {
        const Bytes entry(list->begin() + static_cast<long>(i * 32), list->begin() + static_cast<long>(i * 32 + 32));
        const std::string name = "MSG" + std::to_string(i + 1);
        Bytes expected(32, 0);
        std::copy(name.begin(), name.end(), expected.begin());
        expected[17] = static_cast<unsigned char>(i + 1);
        std::copy(entry.begin() + 21, entry.begin() + 25, expected.begin() + 21); // the time it was stored
        EXPECT_EQ(entry, expected) << i;
    }
    EXPECT_EQ(Ask(BasicList(kGraphicList)).data, (Bytes{kGraphicList, 0, 0, 0, 0, 224, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(BasicCommands, RemoveNeedsTheItem)
{
    ASSERT_EQ(m_raw.SendBasic(1, kSendGraphic, "G1", Bytes(5, 1)), 0);
    const struct {
        unsigned char code;
        const char* name;
        unsigned char status;
    } cases[] = {
        {kRemoveMessage, "G1", 2},
        {kRemoveGraphic, "g1", 0},
        {kRemoveGraphic, "G1", 2},
    };
    for (const auto& c : cases) {
        Bytes request = Basic(c.code, 32);
        std::copy(c.name, c.name + 2, request.begin() + 2);
        EXPECT_EQ(Ask(request).data, (Bytes{c.code, c.status, 0, 0, 0, 0, 0, 0})) << c.code << c.name;
    }
}

TEST_F(BasicCommands, BadBasicTransfersCarryAStatus)
{
    Bytes wrongSize = BasicSendStart(kSendMessage, "M", Bytes(10));
    wrongSize[27] = 246; // block size of the file commands
    Bytes wrongCount = BasicSendStart(kSendMessage, "M", Bytes(248));
    wrongCount[25] = 1;
    Bytes longName = BasicSendStart(kSendMessage, "M", Bytes(10));
    std::fill(longName.begin() + 2, longName.begin() + 19, 'N'); // 17 characters
    const struct {
        const char* name;
        Bytes request;
        Bytes reply;
    } cases[] = {
        {"block size 246", wrongSize, {kSendMessage, 4, 0, 0, 0, 0, 0, 0}},
        {"count 1 for 248 bytes", wrongCount, {kSendMessage, 4, 0, 0, 0, 0, 0, 0}},
        {"17-character name", longName, {kSendMessage, 1, 0, 0, 0, 0, 0, 0}},
        {"block without a start", BasicBlock(1, Bytes(5)), {3, 3, 1, 0, 0, 0, 0, 0}},
        {"block request without a get", BasicBlockRequest(1), {4, 3, 1, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Ask(c.request).data, c.reply) << c.name;
}

TEST_F(BasicCommands, StatusBytesSitWhereEachCommandKeepsThem)
{
    ASSERT_EQ(m_raw.SendBasic(1, kSendMessage, "M", Bytes(3)), 0);
    const struct {
        const char* name;
        qvxsim::CommandKey key;
        Bytes request;
        std::size_t size;
        std::size_t statusAt;
    } cases[] = {
        {"GetStatus", BasicCommand(2), Basic(2, 8), 128, 80},
        {"GetMessage start", BasicCommand(kGetMessage), BasicGetStart(kGetMessage, "M"), 64, 32},
        {"message list start", BasicCommand(kMessageList), BasicList(kMessageList), 16, 7},
        {"SetDimming", BasicCommand(14), Basic(14, 8), 8, 1},
        {"RunMessage", BasicCommand(6), BasicGetStart(6, "M"), 8, 1},
        {"M2BlankDisplay", ExtendedCommand(10), {0x80, 10, 1, 0, 0, 0, 0, 0}, 8, 2},
        {"M2GetRunningMessage", ExtendedCommand(23), {0x80, 23, 0, 0, 0, 0, 0, 0}, 120, 2},
        {"a command it does not know", ExtendedCommand(0x42), {0x80, 0x42}, 8, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RawReply good = Ask(c.request);
        ASSERT_EQ(good.data.size(), c.size);
        EXPECT_EQ(good.data[c.statusAt], 0);
        m_sim->InjectStatus(3, 1, c.key, 0x5A);
        const RawReply refused = Ask(c.request);
        ASSERT_EQ(refused.data.size(), c.size);
        Bytes expected(c.size, 0);
        std::copy(c.request.begin(), c.request.begin() + (c.key.extended ? 2 : 1), expected.begin());
        expected[c.statusAt] = 0x5A;
        EXPECT_EQ(refused.data, expected);
        EXPECT_EQ(Stats(1).lastStatus, 0x5A);
    }
}

TEST_F(BasicCommands, StatusRecordAndRunningMessageFollowTheDisplay)
{
    qvxsim::ControllerSettings settings = m_sim->Settings(3, 1);
    settings.clock = 1000000000;
    settings.temperature = -5;
    m_sim->SetSettings(3, 1, settings);

    Bytes run(136, 0);
    run[0] = 0x80;
    run[1] = 7;
    const std::string name = "WELCOME.M2M";
    std::copy(name.begin(), name.end(), run.begin() + 3);
    ASSERT_EQ(Ask(run).data[2], 0);
    ASSERT_EQ(Ask(Bytes{0x80, 22, 0, 0, 0x34, 0x12}).data[2], 0); // M2SelectFrame 0x1234
    ASSERT_EQ(Ask(Basic(14, 8, {{1, 0}, {2, 40}})).data[1], 0);  // manual dimming at 40
    ASSERT_EQ(Ask(Basic(16, 16, {{2, 5}, {3, 4}, {4, 3}, {5, 2}, {6, 1}, {7, 100}})).data[1], 0); // 2000-01-02 03:04:05

    const RawReply running = Ask({0x80, 23, 0, 0, 0, 0, 0, 0});
    Bytes expected(120, 0);
    expected[0] = 0x80;
    expected[1] = 23;
    std::copy(name.begin(), name.end(), expected.begin() + 3);
    expected[117] = 0x34;
    expected[118] = 0x12;
    EXPECT_EQ(running.data, expected);

    const RawReply status = Ask(Basic(2, 8));
    ASSERT_EQ(status.data.size(), 128u);
    EXPECT_EQ(std::string(status.data.begin() + 2, status.data.begin() + 14), std::string("WELCOME.M2M", 12));
    EXPECT_EQ(status.data[36], 40);
    EXPECT_EQ(status.data[37], 0);
    EXPECT_EQ(Le16(status.data, 38), 0xFFFB);
    EXPECT_EQ(Le32(status.data, 48), 946782245u);
    EXPECT_EQ(Ask(Basic(16, 16, {{6, 13}})).data[1], 1) << "month 13";

    const Bytes statusFile = m_sim->ReadFile(3, 1, "STATUS.XML").value_or(Bytes{});
    const std::string file(statusFile.begin(), statusFile.end());
    EXPECT_NE(file.find(" ms=\"WELCOME.M2M\" "), std::string::npos) << file;
    EXPECT_NE(file.find(" dim=\"40\" dm=\"0\" "), std::string::npos) << file;
    EXPECT_NE(file.find("<TIME sec=\"946782245\" "), std::string::npos) << file;
}

} // namespace
} // namespace simtest
