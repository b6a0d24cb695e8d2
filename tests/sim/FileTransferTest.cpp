// The extended file commands against the stand-in controller, through raw frames on the pty:
// replies byte for byte, round trips, the checks on what the host announces, and the faults.
#include "RawHost.h"
#include "SimLineFixture.h"

namespace simtest {
namespace {

using qvxsim::ExtendedCommand;
using qvxsim::Fault;
using qvxsim::FaultKind;
using qvxsim::StatusFault;

constexpr std::uint32_t kClock = 1234567890;

class FileTransfer : public SimLine {
protected:
    void SetUp() override
    {
        SimLine::SetUp();
        qvxsim::ControllerSettings settings = m_sim->Settings(3, 1);
        settings.clock = kClock; // stopped, so that file times are known
        m_sim->SetSettings(3, 1, settings);
    }

    // The reply frame the controller must send to the host's last frame.
    Bytes Expected(const Bytes& data, unsigned char type = 1) const
    {
        return MakeFrame(1, static_cast<unsigned char>(m_raw.LastSequence() | type), data);
    }

    static Bytes Reply8(unsigned char code, unsigned char status = 0, std::uint16_t block = 0)
    {
        return {0x80, code, status, static_cast<unsigned char>(block), static_cast<unsigned char>(block >> 8), 0, 0, 0};
    }

    // Sends request to controller 1 and expects exactly this reply frame.
    void ExpectAnswer(const Bytes& request, const Bytes& data, unsigned char type = 1)
    {
        const Bytes got = m_raw.Exchange(1, request).frame;
        EXPECT_EQ(got, Expected(data, type));
    }

    std::optional<Bytes> Stored(const std::string& name) const { return m_sim->ReadFile(3, 1, name); }

    RawHost m_raw{m_host};
};

TEST_F(FileTransfer, RepliesAreByteExact)
{
    const Bytes file = Pattern(247);
    Bytes getReply(152, 0);
    getReply[0] = 0x80;
    getReply[1] = 2;
    const std::string name = "A.TXT";
    std::copy(name.begin(), name.end(), getReply.begin() + 3);
    getReply[116] = 2;   // blocks
    getReply[118] = 246; // block size
    getReply[120] = 247; // file size
    getReply[125] = kClock & 0xFF;
    getReply[126] = kClock >> 8 & 0xFF;
    getReply[127] = kClock >> 16 & 0xFF;
    getReply[128] = kClock >> 24;
    Bytes block2 = Reply8(6, 0, 2);
    block2.push_back(file[246]);
    Bytes block1 = Reply8(6, 0, 1);
    block1.insert(block1.end(), file.begin(), file.begin() + 246);

    const struct {
        const char* name;
        Bytes request;
        Bytes reply;
    } cases[] = {
        {"send start", SendFileStart("a.txt", file), Reply8(1)},
        {"first block", FileBlock(1, file), Reply8(5, 0, 1)},
        {"last block: 1 byte and 245 zeros", FileBlock(2, file), Reply8(5, 0, 2)},
        {"get start, other letter case", GetFileStart("A.txt"), getReply},
        {"last block first", FileBlockRequest(2), block2},
        {"first block", FileBlockRequest(1), block1},
        {"block beyond the count", FileBlockRequest(3), Reply8(6, 3, 3)},
        {"rename", RenameFile("A.TXT", "B.TXT"), Reply8(3)},
        {"rename of a missing file", RenameFile("A.TXT", "C.TXT"), Reply8(3, 2)},
        {"delete", DeleteFile("b.txt"), Reply8(4)},
        {"delete of a missing file", DeleteFile("B.TXT"), Reply8(4, 2)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectAnswer(c.request, c.reply);
    }
}

TEST_F(FileTransfer, SentFilesComeBackWhole)
{
    for (std::size_t size : {0, 1, 245, 246, 247, 492, 493, 5000}) {
        SCOPED_TRACE(size);
        const std::string name = "F" + std::to_string(size) + ".BIN";
        const Bytes data = Pattern(size, static_cast<unsigned>(size));
        ASSERT_EQ(m_raw.SendFile(1, name, data), 0);
        EXPECT_EQ(Stored(name), data);
        unsigned char status = 0xFF;
        EXPECT_EQ(m_raw.GetFile(1, name, &status), data);
        EXPECT_EQ(status, 0);
    }
}

TEST_F(FileTransfer, EmptyFileIsStoredByItsStart)
{
    // No blocks follow a start with count 0; the reply to the start is the whole transfer.
    ExpectAnswer(SendFileStart("EMPTY.DAT", 0, 0), Reply8(1));
    EXPECT_EQ(Stored("EMPTY.DAT"), Bytes{});
    const RawReply start = m_raw.Exchange(1, GetFileStart("EMPTY.DAT"));
    ASSERT_EQ(start.data.size(), 152u);
    EXPECT_EQ(Le16(start.data, 116), 0);
    EXPECT_EQ(Le32(start.data, 120), 0u);
}

TEST_F(FileTransfer, BadStartsAreRefusedWithAStatus)
{
    Bytes longName = SendFileStart("X", 10, 1);
    std::fill(longName.begin() + 3, longName.begin() + 113, 'N'); // 110 characters: no room for the 0
    Bytes shortFrame = SendFileStart("X", 10, 1);
    shortFrame.pop_back();
    const struct {
        const char* name;
        Bytes request;
        unsigned char status;
    } cases[] = {
        {"count too small", SendFileStart("X", 247, 1), 4},
        {"count too large", SendFileStart("X", 246, 2), 4},
        {"block size 247", SendFileStart("X", 10, 1, 247), 4},
        {"4 GB", SendFileStart("X", 0xFFFFFFFF, 0xFFFF), 5},
        {"just over 16 MiB", SendFileStart("X", (16u << 20) + 1, 0xFFFF), 5},
        {"no name", SendFileStart("", 10, 1), 1},
        {"name filling its field", longName, 1},
        {"135 bytes", shortFrame, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectAnswer(c.request, Reply8(1, c.status));
        // No transfer is open: a block is out of sequence.
        ExpectAnswer(FileBlock(1, Bytes(10, 1)), Reply8(5, 3, 1));
    }
    EXPECT_EQ(m_sim->FileNames(3, 1), std::vector<std::string>{"CONFIG.XML"});
}

TEST_F(FileTransfer, BadBlocksEndTheTransfer)
{
    const Bytes data = Pattern(600);
    Bytes dirtyPadding = FileBlock(3, data);
    dirtyPadding.back() = 1;
    Bytes shortBlock = FileBlock(1, data);
    shortBlock.pop_back();
    const struct {
        const char* name;
        std::vector<Bytes> blocks; // after the start; the last one is refused
        unsigned char status;
    } cases[] = {
        {"block skipped", {FileBlock(1, data), FileBlock(3, data)}, 3},
        {"block 0", {FileBlock(0, data)}, 3},
        {"block sent twice", {FileBlock(1, data), FileBlock(2, data), FileBlock(2, data)}, 3},
        {"padding not zero", {FileBlock(1, data), FileBlock(2, data), dirtyPadding}, 1},
        {"254-byte block", {shortBlock}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(m_raw.Exchange(1, SendFileStart("P.BIN", data)).data, Reply8(1));
        for (std::size_t i = 0; i + 1 < c.blocks.size(); ++i)
            ASSERT_EQ(m_raw.Exchange(1, c.blocks[i]).data[2], 0) << i;
        const Bytes& last = c.blocks.back();
        ExpectAnswer(last, Reply8(5, c.status, Le16(last, 3)));
        EXPECT_EQ(m_raw.Exchange(1, FileBlock(3, data)).data[2], 3) << "the transfer is over";
        EXPECT_FALSE(Stored("P.BIN"));
    }
}

TEST_F(FileTransfer, RetriedFramesAreAnsweredWithoutActingTwice)
{
    const Bytes data = Pattern(500);
    ASSERT_EQ(m_raw.Exchange(1, SendFileStart("R.BIN", data)).data[2], 0);
    ASSERT_EQ(m_raw.Exchange(1, FileBlock(1, data)).data[2], 0);
    // The host lost the reply and sends the same frame with the same sequence number.
    EXPECT_EQ(m_raw.Repeat(1, FileBlock(1, data)).frame, Expected(Reply8(5, 0, 1)));
    // A reply the controller drops is answered when the frame comes again.
    m_sim->InjectFault(3, 1, {FaultKind::DropReply, 1, 0});
    m_host.Write(MakeFrame(1, static_cast<unsigned char>(m_raw.LastSequence() + 0x10), FileBlock(2, data)));
    EXPECT_TRUE(m_host.Read(1, std::chrono::milliseconds(200)).empty());
    ExpectAnswer(FileBlock(2, data), Reply8(5, 0, 2));
    ASSERT_EQ(m_raw.Exchange(1, FileBlock(3, data)).data[2], 0);
    EXPECT_EQ(Stored("R.BIN"), data);
    EXPECT_EQ(Stats(1).repeatsAnswered, 2u);

    // The same bytes under a new sequence number are a new command: a second delete fails.
    ASSERT_EQ(m_raw.Exchange(1, DeleteFile("R.BIN")).data[2], 0);
    EXPECT_EQ(m_raw.Repeat(1, DeleteFile("R.BIN")).data[2], 0);
    EXPECT_EQ(m_raw.Exchange(1, DeleteFile("R.BIN")).data[2], 2);
}

TEST_F(FileTransfer, CompressedSendIsInflatedAndChecked)
{
    Bytes text;
    for (int i = 0; text.size() < 100000; ++i) {
        const std::string line = "<MSG id=\"" + std::to_string(i % 97) + "\" text=\"SALE TODAY\"/>\n";
        text.insert(text.end(), line.begin(), line.end());
    }
    ASSERT_EQ(m_raw.SendCompressed(1, "BIG.XML", text), 0);
    EXPECT_EQ(Stored("BIG.XML"), text);

    const Bytes small = Text("hello hello hello hello");
    const Bytes packed = Compress(small);
    ASSERT_LT(packed.size(), 246u);
    const struct {
        const char* name;
        Bytes data;
        std::uint32_t announced;
        unsigned char status; // of the only block
    } cases[] = {
        {"inflates to one byte more", packed, static_cast<std::uint32_t>(small.size() - 1), 6},
        {"inflates to one byte less", packed, static_cast<std::uint32_t>(small.size() + 1), 6},
        {"not zlib data", small, static_cast<std::uint32_t>(small.size() + 1), 6},
        {"right", packed, static_cast<std::uint32_t>(small.size()), 0},
        {"sent as it is, both sizes equal", small, static_cast<std::uint32_t>(small.size()), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectAnswer(CompressedStart("SMALL.TXT", c.data, c.announced), Reply8(20));
        ExpectAnswer(FileBlock(1, c.data), Reply8(5, c.status, 1));
        EXPECT_EQ(Stored("SMALL.TXT").has_value(), c.status == 0);
    }
    EXPECT_EQ(Stored("SMALL.TXT"), small);

    Bytes huge = CompressedStart("HUGE", packed, (16u << 20) + 1);
    ExpectAnswer(huge, Reply8(20, 5));
}

TEST_F(FileTransfer, ControllerWithoutCompressionAnswersUnsupported)
{
    qvxsim::ControllerSettings settings = m_sim->Settings(3, 1);
    settings.compression = false;
    m_sim->SetSettings(3, 1, settings);
    const Bytes packed = Compress(Text("abc"));
    ExpectAnswer(CompressedStart("C.TXT", packed, 3), {}, 4);
    EXPECT_EQ(m_raw.Exchange(1, FileBlock(1, packed)).data[2], 3);
    EXPECT_EQ(m_raw.SendFile(1, "C.TXT", Text("abc")), 0); // plain sends still work
}

TEST_F(FileTransfer, GetOfAMissingFileCarriesItsStatusAt124)
{
    Bytes reply(152, 0);
    reply[0] = 0x80;
    reply[1] = 2;
    reply[124] = 2;
    ExpectAnswer(GetFileStart("NOPE.BIN"), reply);
    EXPECT_EQ(m_raw.Exchange(1, FileBlockRequest(1)).data[2], 3);
}

TEST_F(FileTransfer, InjectedStatusesRefuseTheCommand)
{
    const Bytes data = Pattern(600);
    ASSERT_EQ(m_raw.SendFile(1, "S.BIN", data), 0);

    // A get start answered with a status: at 124 only, and no blocks to fetch after it.
    m_sim->InjectStatus(3, 1, ExtendedCommand(2), 9);
    const RawReply start = m_raw.Exchange(1, GetFileStart("S.BIN"));
    ASSERT_EQ(start.data.size(), 152u);
    EXPECT_EQ(start.data[124], 9);
    EXPECT_EQ(start.data[2], 0);
    EXPECT_EQ(Le32(start.data, 120), 0u);
    EXPECT_EQ(m_raw.Exchange(1, FileBlockRequest(1)).data[2], 3);
    EXPECT_EQ(m_raw.GetFile(1, "S.BIN"), data) << "used up";

    // Block 2 of the next send fails; the transfer is over and nothing is stored.
    m_sim->InjectStatus(3, 1, StatusFault{ExtendedCommand(5), 7, 1, 2});
    EXPECT_EQ(m_raw.SendFile(1, "T.BIN", data), 7);
    EXPECT_EQ(m_raw.Exchange(1, FileBlock(3, data)).data[2], 3);
    EXPECT_FALSE(Stored("T.BIN"));
    EXPECT_EQ(m_raw.SendFile(1, "T.BIN", data), 0);

    // Every delete until cleared; the file stays.
    m_sim->InjectStatus(3, 1, ExtendedCommand(4), 4, -1);
    for (int i = 0; i < 3; ++i)
        ExpectAnswer(DeleteFile("T.BIN"), Reply8(4, 4));
    EXPECT_TRUE(Stored("T.BIN"));
    m_sim->ClearFaults(3, 1);
    ExpectAnswer(DeleteFile("T.BIN"), Reply8(4));
    EXPECT_EQ(Stats(1).lastStatus, 0);
}

TEST_F(FileTransfer, GetOverrunAnnouncesMoreThanTheFileHolds)
{
    const Bytes data = Pattern(300);
    ASSERT_EQ(m_raw.SendFile(1, "O.BIN", data), 0);
    m_sim->InjectFault(3, 1, {FaultKind::GetBlockOverrun, 1, 0});
    const RawReply start = m_raw.Exchange(1, GetFileStart("O.BIN"));
    EXPECT_EQ(Le16(start.data, 116), 3); // two would do
    EXPECT_EQ(Le32(start.data, 120), 300u);

    Bytes second(data.begin() + 246, data.end());
    second.resize(246, 0xEE);
    const struct {
        std::uint16_t block;
        Bytes data;
    } blocks[] = {
        {1, Bytes(data.begin(), data.begin() + 246)},
        {2, second},
        {3, Bytes(246, 0xEE)},
    };
    for (const auto& b : blocks) {
        Bytes reply = Reply8(6, 0, b.block);
        reply.insert(reply.end(), b.data.begin(), b.data.end());
        SCOPED_TRACE(b.block);
        ExpectAnswer(FileBlockRequest(b.block), reply);
    }
    EXPECT_EQ(Le16(m_raw.Exchange(1, GetFileStart("O.BIN")).data, 116), 2) << "used up";
}

} // namespace
} // namespace simtest
