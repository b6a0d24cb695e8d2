// A ping and a small file there and back through both protocol objects, over Wine's COM1.
#include "WineLine.h"

#include "link/S22Network.h"
#include "link/S22SignLink.h"

#include <cstring>
#include <string>
#include <vector>

using namespace winline;

namespace {

// Two blocks and a bit, so the transfer has a short last block.
std::vector<unsigned char> Content(std::size_t size, unsigned char seed)
{
    std::vector<unsigned char> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<unsigned char>(seed + i * 7);
    return bytes;
}

} // namespace

class SignLinkWin : public WineLineTest {
protected:
    void TearDown() override { m_link.ClosePort(); }
    CS22SignLink m_link;
};

TEST_F(SignLinkWin, PingThenFileThereAndBack)
{
    ASSERT_EQ(m_link.OpenPort(kCom, kBaud, 0), S22NET_OK);
    ASSERT_EQ(m_link.SequenceReset(kAnswering), S22NET_OK);
    EXPECT_EQ(m_link.GetActualNumberOfRetries(), 0);

    const auto file = Content(600, 3);
    m2_resp_send_file_s sent{};
    ASSERT_EQ(m_link.SendFile(kAnswering, "WINLINK.BIN", file.data(), static_cast<unsigned long>(file.size()), &sent, 0),
              S22NET_OK);
    short result = -1;
    m2_resp_retrieve_file_s got{};
    const unsigned char* back = m_link.GetFile(kAnswering, "WINLINK.BIN", result, &got, 0);
    ASSERT_EQ(result, S22NET_OK);
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(m_link.GetRetrievedSize(), file.size());
    EXPECT_EQ(std::memcmp(back, file.data(), file.size()), 0);
    EXPECT_EQ(m_link.ClosePort(), S22NET_OK);
}

class NetworkWin : public WineLineTest {
protected:
    void SetUp() override
    {
        WineLineTest::SetUp();
        if (IsSkipped())
            return;
        ASSERT_EQ(m_net.ConfigureDirect(kCom, static_cast<long>(kBaud), false), S22NET_OK);
        ASSERT_EQ(m_net.Connect(), S22NET_OK);
    }
    void TearDown() override { m_net.Disconnect(); }
    CS22Network m_net;
};

TEST_F(NetworkWin, PingThenFileThereAndBack)
{
    ASSERT_EQ(m_net.Ping(kAnswering), S22NET_OK);
    const auto file = Content(600, 11);
    ASSERT_EQ(m_net.M2SendFile(kAnswering, "WINNET.BIN", file.data(), static_cast<long>(file.size()), nullptr, 0),
              S22NET_OK);
    short result = -1;
    const unsigned char* back = m_net.M2GetFile(kAnswering, "WINNET.BIN", result, nullptr, 0);
    ASSERT_EQ(result, S22NET_OK);
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(m_net.GetRetrievedSize(), static_cast<long>(file.size()));
    EXPECT_EQ(std::memcmp(back, file.data(), file.size()), 0);
    EXPECT_EQ(m_net.Disconnect(), S22NET_OK);
}

// SendMessage and GetMessage here go by <windows.h>'s macros to the exported SendMessageA and
// GetMessageA.
TEST_F(NetworkWin, MessageThereAndBack)
{
    const auto message = Content(300, 5);
    ASSERT_EQ(m_net.SendMessage(kAnswering, "WINMSG", message.data(), static_cast<long>(message.size()), nullptr, 0),
              S22NET_OK);
    short result = -1;
    const unsigned char* back = m_net.GetMessage(kAnswering, "WINMSG", result, nullptr, 0);
    ASSERT_EQ(result, S22NET_OK);
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(m_net.GetRetrievedSize(), static_cast<long>(message.size()));
    EXPECT_EQ(std::memcmp(back, message.data(), message.size()), 0);
}
