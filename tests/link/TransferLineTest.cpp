// Block-wise transfers and the customer-protocol exchanges against the stand-in controller.
#include "SimFixture.h"

#include "link/S22Compress.h"
#include "link/S22Network.h"
#include "link/S22SignLink.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <numeric>
#include <thread>
#include <utility>
#include <vector>

using qvxsim::ExtendedCommand;
using qvxsim::FileArea;
using qvxsim::Protocol;

namespace {

std::vector<unsigned char> Pattern(std::size_t size)
{
    std::vector<unsigned char> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<unsigned char>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

class ProgressLog : public CS22NetworkEvents {
public:
    void OnProgress(unsigned short done, unsigned short total, unsigned short handlerId) override
    {
        steps.emplace_back(done, total);
        lastHandler = handlerId;
    }
    std::vector<std::pair<int, int>> steps;
    unsigned short lastHandler = 0;
};

class NetworkTransfer : public SimLineTest {
protected:
    void SetUp() override
    {
        SimLineTest::SetUp();
        StartLine(6, 115200, {1});
        ASSERT_EQ(m_net.ConfigureDirect(6, 115200, false), S22NET_OK);
        m_net.SetTimeOut(500);
        m_net.RegisterEventHandler(&m_progress, 42);
        ASSERT_EQ(m_net.Connect(), S22NET_OK);
    }
    void TearDown() override
    {
        m_net.Disconnect();
        SimLineTest::TearDown();
    }

    CS22Network m_net;
    ProgressLog m_progress;
};

TEST_F(NetworkTransfer, SendThenGetKeepsEveryByte)
{
    for (std::size_t size : {std::size_t{1}, std::size_t{245}, std::size_t{246}, std::size_t{247}, std::size_t{492},
                             std::size_t{5000}}) {
        const auto data = Pattern(size);
        ASSERT_EQ(m_net.M2SendFile(1, "DATA.BIN", data.data(), static_cast<long>(size), nullptr, 0), S22NET_OK) << size;
        EXPECT_EQ(Sim().ReadFile(6, 1, "DATA.BIN"), data) << size;
        short result = 1;
        const unsigned char* got = m_net.M2GetFile(1, "DATA.BIN", result, nullptr, 0);
        ASSERT_EQ(result, S22NET_OK) << size;
        ASSERT_NE(got, nullptr);
        ASSERT_EQ(m_net.GetRetrievedSize(), static_cast<long>(size));
        EXPECT_EQ(std::vector<unsigned char>(got, got + size), data) << size;
    }
}

TEST_F(NetworkTransfer, LargeFileRoundTrip)
{
    const auto data = Pattern(1500000);
    ASSERT_EQ(m_net.M2SendFile(1, "LARGE.BIN", data.data(), static_cast<long>(data.size()), nullptr, 0), S22NET_OK);
    EXPECT_EQ(m_progress.steps.back(), std::make_pair(6099, 6099)); // 6098 blocks and the start
    short result = 1;
    const unsigned char* got = m_net.M2GetFile(1, "LARGE.BIN", result, nullptr, 0);
    ASSERT_EQ(result, S22NET_OK);
    ASSERT_EQ(m_net.GetRetrievedSize(), 1500000);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), got));
}

TEST_F(NetworkTransfer, LastBlockIsPaddedWithZeros)
{
    const auto data = Pattern(247);
    ASSERT_EQ(m_net.M2SendFile(1, "PAD.BIN", data.data(), 247, nullptr, 3), S22NET_OK);
    unsigned char* sent = nullptr;
    m_net.GetLastPacket(&sent, nullptr);
    const unsigned char* block = sent + 6;
    EXPECT_EQ(sent[3], 255);
    EXPECT_EQ(std::vector<unsigned char>(block, block + 9),
              (std::vector<unsigned char>{0x80, 5, 0, 2, 0, 0, 0, 0, 0}));
    EXPECT_EQ(block[9], data[246]);
    EXPECT_EQ(std::vector<unsigned char>(block + 10, block + 255), std::vector<unsigned char>(245, 0));
}

TEST_F(NetworkTransfer, SendProgressCountsTheStartFrame)
{
    const auto data = Pattern(3 * 246);
    ASSERT_EQ(m_net.M2SendFile(1, "THREE.BIN", data.data(), static_cast<long>(data.size()), nullptr, 0), S22NET_OK);
    EXPECT_EQ(m_progress.steps, (std::vector<std::pair<int, int>>{{0, 4}, {1, 4}, {2, 4}, {3, 4}, {4, 4}}));
    EXPECT_EQ(m_progress.lastHandler, 42);

    m_progress.steps.clear();
    ASSERT_EQ(m_net.M2SendFile(1, "EMPTY.BIN", nullptr, 0, nullptr, 0), S22NET_OK);
    EXPECT_EQ(m_progress.steps, (std::vector<std::pair<int, int>>{{0, 1}, {1, 1}}));
    EXPECT_EQ(Sim().ReadFile(6, 1, "EMPTY.BIN"), std::vector<unsigned char>{});
}

TEST_F(NetworkTransfer, EmptyFileGetsNullWithSuccess)
{
    ASSERT_TRUE(Sim().WriteFile(6, 1, "EMPTY.TXT", {}));
    short result = 1;
    EXPECT_EQ(m_net.M2GetFile(1, "EMPTY.TXT", result, nullptr, 0), nullptr);
    EXPECT_EQ(result, S22NET_OK);
}

TEST_F(NetworkTransfer, StatusesEndTransfers)
{
    // A missing file: the start answers with a status; the record still shows it.
    m2_resp_retrieve_file_s record{};
    short result = 0;
    EXPECT_EQ(m_net.M2GetFile(1, "NOPE.XML", result, &record, 0), nullptr);
    EXPECT_EQ(result, ERR_SIGN_RESPONSE_ERROR);
    EXPECT_NE(record.bytes[124], 0);

    // A block refused in the middle of a get.
    ASSERT_TRUE(Sim().WriteFile(6, 1, "BIG.BIN", Pattern(1000)));
    Sim().InjectStatus(6, 1, {ExtendedCommand(6), 5, 1, 2});
    EXPECT_EQ(m_net.M2GetFile(1, "BIG.BIN", result, nullptr, 0), nullptr);
    EXPECT_EQ(result, ERR_SIGN_RESPONSE_ERROR);

    // A block refused in the middle of a send ends it there.
    m_progress.steps.clear();
    Sim().InjectStatus(6, 1, {ExtendedCommand(5), 7, 1, 2});
    const auto data = Pattern(1000);
    EXPECT_EQ(m_net.M2SendFile(1, "PART.BIN", data.data(), 1000, nullptr, 0), ERR_SIGN_RESPONSE_ERROR);
    EXPECT_EQ(m_progress.steps.back(), std::make_pair(3, 6));
}

TEST_F(NetworkTransfer, OversizedBlocksAreCutToTheFile)
{
    const auto data = Pattern(600);
    ASSERT_TRUE(Sim().WriteFile(6, 1, "OVER.BIN", data));
    Sim().InjectFault(6, 1, {qvxsim::FaultKind::GetBlockOverrun, 1, 0});
    short result = 1;
    const unsigned char* got = m_net.M2GetFile(1, "OVER.BIN", result, nullptr, 0);
    ASSERT_EQ(result, S22NET_OK);
    ASSERT_EQ(m_net.GetRetrievedSize(), 600);
    EXPECT_EQ(std::vector<unsigned char>(got, got + 600), data);
}

TEST_F(NetworkTransfer, MessagesAndListsRoundTrip)
{
    const auto message = Pattern(600);
    ASSERT_EQ(m_net.SendMessage(1, "HELLO", message.data(), 600, nullptr, 0), S22NET_OK);
    EXPECT_EQ(Sim().ReadFile(6, 1, "HELLO", FileArea::Messages), message);
    short result = 1;
    const unsigned char* got = m_net.GetMessage(1, "HELLO", result, nullptr, 0);
    ASSERT_EQ(result, S22NET_OK);
    EXPECT_EQ(std::vector<unsigned char>(got, got + 600), message);

    ASSERT_EQ(m_net.SendMessage(1, "SECOND", message.data(), 10, nullptr, 0), S22NET_OK);
    resp_retrieve_list_s record{};
    const unsigned char* list = m_net.GetMessageList(1, result, &record, 0);
    ASSERT_EQ(result, S22NET_OK);
    ASSERT_EQ(m_net.GetRetrievedSize(), 2 * 32);
    EXPECT_EQ(record.bytes[1], 2);
    std::vector<std::string> names{reinterpret_cast<const char*>(list), reinterpret_cast<const char*>(list + 32)};
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"HELLO", "SECOND"}));
}

TEST_F(NetworkTransfer, GraphicsGoAsPlanesAndComeBackAsBitmaps)
{
    // 8 columns × 8 rows, 24 bits: column 0 red, column 7 blue, the rest dark.
    BITMAPINFO info{};
    info.bmiHeader.biSize = 40;
    info.bmiHeader.biWidth = 8;
    info.bmiHeader.biHeight = 8;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = 24 * 8;
    std::vector<unsigned char> bits(24 * 8, 0);
    for (int row = 0; row < 8; ++row) {
        bits[row * 24 + 2] = 255;          // x 0: red
        bits[row * 24 + 7 * 3 + 0] = 255;  // x 7: blue
    }
    ASSERT_EQ(m_net.SendGraphic(1, "LOGO", &info, bits.data(), 8, 8, 2, nullptr, 0), S22NET_OK);
    // Columns run right to left: x 0 is the last byte of each plane.
    std::vector<unsigned char> planes(24, 0);
    planes[7] = 0xFF;      // red plane, x 0
    planes[16 + 0] = 0xFF; // blue plane, x 7
    EXPECT_EQ(Sim().ReadFile(6, 1, "LOGO", FileArea::Graphics), planes);

    BITMAPINFO back{};
    short result = 1;
    const unsigned char* got = m_net.GetGraphic(1, "LOGO", &back, 8, 8, result, nullptr, 0);
    ASSERT_EQ(result, S22NET_OK);
    EXPECT_EQ(back.bmiHeader.biBitCount, 24);
    EXPECT_EQ(back.bmiHeader.biSizeImage, 24u * 8u);
    EXPECT_EQ(std::vector<unsigned char>(got, got + bits.size()), bits);

    // One plane's worth of data cannot be a graphic of two or more planes.
    ASSERT_TRUE(Sim().WriteFile(6, 1, "THIN", std::vector<unsigned char>(8, 0xFF), FileArea::Graphics));
    EXPECT_EQ(m_net.GetGraphic(1, "THIN", &back, 8, 8, result, nullptr, 0), nullptr);
    EXPECT_EQ(result, ERR_GRAPHIC_UNSUPPORTED_FORMAT);
}

class ReceiverLog : public IS22ProgressReceiver {
public:
    void OnTransferStart(unsigned long total) override { starts.push_back(total); }
    void OnBlockSent() override { ++blocks; }
    std::vector<unsigned long> starts;
    int blocks = 0;
};

class LinkTransfer : public SimLineTest {
protected:
    void TearDown() override
    {
        if (m_link.IsOpen())
            m_link.ClosePort();
        ::unsetenv("QVX_TIME_SCALE");
        SimLineTest::TearDown();
    }
    CS22SignLink m_link;
    ReceiverLog m_receiver;
};

TEST_F(LinkTransfer, SendReportsStartOnceAndEachBlock)
{
    StartLine(6, 115200, {4});
    ASSERT_EQ(m_link.OpenPort(6, 115200, 0), S22NET_OK);
    m_link.SetProgressReceiver(&m_receiver);
    const auto data = Pattern(1000);
    ASSERT_EQ(m_link.SendFile(4, std::string("FW.BIN"), data.data(), 1000, nullptr, 0), S22NET_OK);
    EXPECT_EQ(m_receiver.starts, std::vector<unsigned long>{6});
    EXPECT_EQ(m_receiver.blocks, 5);
    EXPECT_EQ(m_link.GetTransferFigures().blocksDone, 6);
    EXPECT_EQ(m_link.GetTransferFigures().blocksTotal, 6);
    EXPECT_EQ(Sim().ReadFile(6, 4, "FW.BIN"), data);

    short result = 1;
    const unsigned char* got = m_link.GetFile(4, std::string("FW.BIN"), result, nullptr, 0);
    ASSERT_EQ(result, S22NET_OK);
    EXPECT_EQ(std::vector<unsigned char>(got, got + m_link.GetTransferFigures().retrievedSize), data);
    EXPECT_EQ(m_link.GetTransferFigures().blocksDone, 5);
    EXPECT_EQ(m_receiver.blocks, 5); // gets are polled, not reported
}

TEST_F(LinkTransfer, CompressedSendArrivesWhole)
{
    StartLine(6, 115200, {4});
    ASSERT_EQ(m_link.OpenPort(6, 115200, 0), S22NET_OK);
    std::vector<unsigned char> data(20000);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<unsigned char>("reader board "[i % 13]);
    m_link.SetProgressReceiver(&m_receiver);
    ASSERT_EQ(m_link.SendCompressedFile(4, "PACKED.BIN", data.data(), 20000, nullptr, 0, true), S22NET_OK);
    EXPECT_EQ(Sim().ReadFile(6, 4, "PACKED.BIN"), data);
    ASSERT_EQ(m_receiver.starts.size(), 1u);
    EXPECT_LT(m_receiver.starts[0], 20000u / 246u); // fewer blocks than the plain bytes would need
    // The line carries the stream a plan counts, no other.
    std::vector<unsigned char> stream;
    ASSERT_TRUE(S22CompressStream(data.data(), 20000, stream));
    EXPECT_EQ(m_link.GetTransferFigures().sendSize, stream.size());
    ASSERT_EQ(m_link.SendCompressedFile(4, "PLAIN.BIN", data.data(), 500, nullptr, 0, false), S22NET_OK);
    EXPECT_EQ(Sim().ReadFile(6, 4, "PLAIN.BIN"), std::vector<unsigned char>(data.begin(), data.begin() + 500));
}

TEST_F(LinkTransfer, PackedSendPutsTheStreamOnTheLineAsItStands)
{
    StartLine(6, 115200, {4});
    ASSERT_EQ(m_link.OpenPort(6, 115200, 0), S22NET_OK);
    const auto data = Pattern(30000);
    // Made by another encoder than the link's: the controller takes any zlib stream.
    uLongf size = compressBound(30000);
    std::vector<unsigned char> stream(size);
    ASSERT_EQ(compress2(stream.data(), &size, data.data(), 30000, 1), Z_OK);
    stream.resize(size);
    ASSERT_EQ(m_link.SendPackedFile(4, std::string("FW.EXE"), stream.data(), size, 30000, nullptr, 0), S22NET_OK);
    EXPECT_EQ(Sim().ReadFile(6, 4, "FW.EXE"), data);
    EXPECT_EQ(m_link.GetTransferFigures().sendSize, size);
    EXPECT_EQ(m_link.GetTransferFigures().blocksDone, m_link.GetTransferFigures().blocksTotal);
    EXPECT_EQ(m_link.SendPackedFile(4, "X.EXE", nullptr, 10, 30000, nullptr, 0), ERR_COMMAND_BAD_ARGUMENT);
}

TEST_F(LinkTransfer, CompressedStartRefusedSendsNoBlocks)
{
    qvxsim::PortConfig config;
    config.comNumber = 6;
    config.baud = 115200;
    qvxsim::ControllerConfig controller;
    controller.address = 4;
    controller.settings.compression = false;
    config.controllers.push_back(controller);
    std::string error;
    ASSERT_TRUE(Sim().AddPort(config, &error)) << error;
    StartSim();
    ASSERT_EQ(m_link.OpenPort(6, 115200, 0), S22NET_OK);
    ASSERT_EQ(m_link.SequenceReset(4), S22NET_OK);
    const unsigned long before = Sim().Stats(6, 4).framesReceived;
    const auto data = Pattern(3000);
    EXPECT_EQ(m_link.SendCompressedFile(4, "X.BIN", data.data(), 3000, nullptr, 0, true), ERR_SIGN_UNSUPPORTED_COMMAND);
    EXPECT_EQ(Sim().Stats(6, 4).framesReceived - before, 1u);
}

TEST_F(LinkTransfer, AbortEndsAGet)
{
    StartLine(6, 115200, {4}, true); // line time at 115200: a 1 MB get takes well over a minute
    ASSERT_TRUE(Sim().WriteFile(6, 4, "HUGE.BIN", Pattern(1000000)));
    ASSERT_EQ(m_link.OpenPort(6, 115200, 0), S22NET_OK);
    short result = 1;
    const unsigned char* got = reinterpret_cast<const unsigned char*>(1);
    std::thread worker([&] { got = m_link.GetFile(4, "HUGE.BIN", result, nullptr, 0); });
    while (m_link.GetTransferFigures().blocksDone < 3)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    m_link.Abort();
    worker.join();
    EXPECT_EQ(result, ERR_SIGN_ABORT);
    EXPECT_EQ(got, nullptr);
    EXPECT_EQ(m_link.GetTransferFigures().retrievedSize, 0u);
}

class Pellworth : public SimLineTest {
protected:
    void StartDisplay(Protocol protocol, std::string signType = {}, unsigned replySize = 86)
    {
        qvxsim::PortConfig config;
        config.comNumber = 7;
        config.baud = 19200;
        qvxsim::ControllerConfig controller;
        controller.address = 9;
        controller.settings.protocol = protocol;
        controller.settings.signTypeText = std::move(signType);
        controller.settings.queryReplySize = replySize;
        config.controllers.push_back(controller);
        std::string error;
        ASSERT_TRUE(Sim().AddPort(config, &error)) << error;
        StartSim();
        ::setenv("QVX_TIME_SCALE", "0.05", 1);
        ASSERT_EQ(m_link.OpenPort(7, 19200, 0), S22NET_OK);
    }
    void TearDown() override
    {
        m_link.ClosePort();
        ::unsetenv("QVX_TIME_SCALE");
        SimLineTest::TearDown();
    }
    CS22SignLink m_link;
};

TEST_F(Pellworth, DisplayIsSwitchedToTheControllerProtocol)
{
    StartDisplay(Protocol::Pellworth, "FX40211-1.02.11");
    EXPECT_EQ(m_link.SequenceReset(9), ERR_SIGN_NO_RESPONSE);
    std::string text;
    ASSERT_EQ(m_link.GetSignType(9, text), S22NET_OK);
    EXPECT_EQ(text, "FX40211-1.02.11");
    EXPECT_EQ(m_link.PellworthPing(9), S22NET_OK);
    EXPECT_EQ(m_link.SwitchToS2200(9), S22NET_OK);
    EXPECT_EQ(m_link.SequenceReset(9), S22NET_OK);
    EXPECT_TRUE(Sim().Stats(7, 9).speaksS2200);
}

TEST_F(Pellworth, HitechDisplayNamesItselfButNeverSwitches)
{
    StartDisplay(Protocol::Hitech);
    std::string text;
    ASSERT_EQ(m_link.GetSignType(9, text), S22NET_OK);
    EXPECT_EQ(text, "HT3100-2.04");
    EXPECT_EQ(m_link.SwitchToS2200(9), S22NET_OK); // written, which is all a switch can tell
    EXPECT_EQ(m_link.SequenceReset(9), ERR_SIGN_NO_RESPONSE);
}

TEST_F(Pellworth, ShortSignTypeReplyGivesAnEmptyText)
{
    StartDisplay(Protocol::Hitech, "ABC", 12);
    std::string text = "unchanged";
    EXPECT_EQ(m_link.GetSignType(9, text), S22NET_OK);
    EXPECT_EQ(text, "");
}

TEST_F(Pellworth, ControllerProtocolDisplayDoesNotAnswer)
{
    StartDisplay(Protocol::S2200);
    EXPECT_EQ(m_link.PellworthPing(9), ERR_SIGN_NO_RESPONSE);
    EXPECT_EQ(m_link.GetTransferFigures().actualRetries, 3);
    std::string text;
    EXPECT_EQ(m_link.GetSignType(9, text), ERR_SIGN_NO_RESPONSE);
}

} // namespace
