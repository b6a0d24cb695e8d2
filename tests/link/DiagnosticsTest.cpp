#include "common/TestEnv.h"
#include "link/S22Diagnostics.h"
#include "link/S22NetPacket.h"
#include "link/S22NetResult.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

namespace fs = std::filesystem;

namespace {

class DiagnosticsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("qvx-diag-" + std::to_string(ProcessId()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        m_diag.SetFileName("Direct COM3.txt");
        m_sent.Build(1, 0x10, S22_TYPE_SEQUENCE_RESET, nullptr, 0);
        const unsigned char data[] = {0x11, 0x00};
        m_received.Build(1, 0x10, S22_TYPE_GOOD_REPLY, data, 2);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Contents() const
    {
        std::ifstream in(m_dir / "Direct COM3.txt");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    fs::path m_dir;
    CS22Diagnostics m_diag;
    CS22NetPacket m_sent;
    CS22NetPacket m_received;
};

TEST_F(DiagnosticsTest, PathJoinsDirectoryAndFileName)
{
    m_diag.Enable(false, "logs");
    EXPECT_EQ(m_diag.FilePath(), "logs/.//Direct COM3.txt");
    m_diag.Enable(false, "logs/");
    EXPECT_EQ(m_diag.FilePath(), "logs/.//Direct COM3.txt");
    m_diag.Enable(false, nullptr);
    EXPECT_EQ(m_diag.FilePath(), ".//Direct COM3.txt");
}

TEST_F(DiagnosticsTest, RecordLayout)
{
    m_diag.Enable(false, m_dir.string().c_str());
    m_diag.Record(true, m_sent, m_received, ERR_SIGN_NO_RESPONSE);
    m_diag.Record(false, m_sent, m_received, S22NET_OK);
    const std::regex layout(
        "[A-Z][a-z]{2} \\d\\d, \\d{4} \\d\\d:\\d\\d:\\d\\d [AP]M\n"
        "Sent:    55 AA 1 0 13 ED\n"
        "Recv'd:  55 AA 1 2 11 ED 11 0 EF\n"
        "Error Status: ERR_SIGN_NO_RESPONSE\n"
        "Sent:    55 AA 1 0 13 ED\n"
        "Recv'd:  55 AA 1 2 11 ED 11 0 EF\n"
        "Error Status: S22NET_OK\n");
    EXPECT_TRUE(std::regex_match(Contents(), layout)) << Contents();
}

TEST_F(DiagnosticsTest, ErrorsOnlySkipsSuccessAndAppends)
{
    m_diag.Enable(true, m_dir.string().c_str());
    m_diag.Record(false, m_sent, m_received, S22NET_OK);
    EXPECT_FALSE(fs::exists(m_dir / "Direct COM3.txt"));
    m_diag.Record(false, m_sent, m_received, -42);
    m_diag.Record(false, m_sent, m_received, -42);
    EXPECT_EQ(Contents(), std::string("Sent:    55 AA 1 0 13 ED\nRecv'd:  55 AA 1 2 11 ED 11 0 EF\nError Status: Unkown Error\n") +
                              "Sent:    55 AA 1 0 13 ED\nRecv'd:  55 AA 1 2 11 ED 11 0 EF\nError Status: Unkown Error\n");
}

TEST_F(DiagnosticsTest, DisabledOrUnwritableWritesNothing)
{
    m_diag.Record(true, m_sent, m_received, ERR_SIGN_NO_RESPONSE);
    EXPECT_FALSE(fs::exists(m_dir / "Direct COM3.txt"));
    m_diag.Enable(false, (m_dir / "missing" / "deeper").string().c_str());
    m_diag.Record(true, m_sent, m_received, ERR_SIGN_NO_RESPONSE); // must not crash or create folders
    EXPECT_FALSE(fs::exists(m_dir / "missing"));
}

} // namespace
