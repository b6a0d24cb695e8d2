// A ping, a file of two blocks and a bit (a short last block) and a message there and back through
// both protocol objects, over Wine's COM1.
#include "WineLine.h"

#include "link/S22Network.h"
#include "link/S22SignLink.h"

#include <cstring>
#include <vector>

using namespace winline;

namespace {

const std::vector<unsigned char> kFile = [] {
    std::vector<unsigned char> bytes(600);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<unsigned char>(3 + i * 7);
    return bytes;
}();

// What came back is the first `size` bytes of kFile, byte for byte.
void ExpectBack(const unsigned char* back, short result, std::size_t backSize, std::size_t size)
{
    ASSERT_EQ(result, S22NET_OK);
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(backSize, size);
    EXPECT_EQ(std::memcmp(back, kFile.data(), size), 0);
}

using RoundTripWin = WineLineTest;

TEST_F(RoundTripWin, SignLink)
{
    CS22SignLink link;
    ASSERT_EQ(link.OpenPort(kCom, kBaud, 0), S22NET_OK);
    ASSERT_EQ(link.SequenceReset(kAnswering), S22NET_OK);
    EXPECT_EQ(link.GetTransferFigures().actualRetries, 0);
    ASSERT_EQ(link.SendFile(kAnswering, "WINLINK.BIN", kFile.data(), static_cast<unsigned long>(kFile.size()), nullptr, 0),
              S22NET_OK);
    short result = -1;
    const unsigned char* back = link.GetFile(kAnswering, "WINLINK.BIN", result, nullptr, 0);
    ExpectBack(back, result, link.GetTransferFigures().retrievedSize, kFile.size());
    EXPECT_EQ(link.ClosePort(), S22NET_OK);
}

// Messages take blocks of their own; SendMessage and GetMessage reach the exported SendMessageA and
// GetMessageA.
TEST_F(RoundTripWin, Network)
{
    CS22Network net;
    ASSERT_EQ(net.ConfigureDirect(kCom, static_cast<long>(kBaud), false), S22NET_OK);
    ASSERT_EQ(net.Connect(), S22NET_OK);
    ASSERT_EQ(net.Ping(kAnswering), S22NET_OK);
    const long fileSize = static_cast<long>(kFile.size());
    ASSERT_EQ(net.M2SendFile(kAnswering, "WINNET.BIN", kFile.data(), fileSize, nullptr, 0), S22NET_OK);
    short result = -1;
    const unsigned char* back = net.M2GetFile(kAnswering, "WINNET.BIN", result, nullptr, 0);
    ExpectBack(back, result, static_cast<std::size_t>(net.GetRetrievedSize()), kFile.size());

    ASSERT_EQ(net.SendMessage(kAnswering, "WINMSG", kFile.data(), 300, nullptr, 0), S22NET_OK);
    result = -1;
    back = net.GetMessage(kAnswering, "WINMSG", result, nullptr, 0);
    ExpectBack(back, result, static_cast<std::size_t>(net.GetRetrievedSize()), 300);
    EXPECT_EQ(net.Disconnect(), S22NET_OK);
}

} // namespace
