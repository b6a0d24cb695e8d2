// Debug output on Windows: QVX_DEBUG (or a debugger) turns it on, and it reaches OutputDebugStringA
// one line per call. The calls are seen here as the exception OutputDebugStringA raises for a
// debugger, which a vectored handler sees first.
#include "WineLine.h"

#include "common/TestEnv.h"
#include "link/DebugOutput.h"
#include "link/S22Network.h"

#include <windows.h>

#include <mutex>
#include <string>
#include <utility>
#include <vector>

using namespace winline;

namespace {

std::mutex g_lock;
std::vector<std::string> g_calls;

LONG CALLBACK CatchDebugString(EXCEPTION_POINTERS* info)
{
    const EXCEPTION_RECORD& record = *info->ExceptionRecord;
    if (record.ExceptionCode == DBG_PRINTEXCEPTION_C && record.NumberParameters >= 2 &&
        record.ExceptionInformation[0] > 0) {
        std::lock_guard<std::mutex> lock(g_lock);
        g_calls.emplace_back(reinterpret_cast<const char*>(record.ExceptionInformation[1]),
                             static_cast<std::size_t>(record.ExceptionInformation[0] - 1));
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

class DebugOutputWin : public WineLineTest {
protected:
    void SetUp() override
    {
        WineLineTest::SetUp();
        if (IsSkipped())
            return;
        g_calls.clear();
        m_handler = AddVectoredExceptionHandler(1, CatchDebugString);
        ASSERT_NE(m_handler, nullptr);
    }
    void TearDown() override
    {
        if (m_handler != nullptr)
            RemoveVectoredExceptionHandler(m_handler);
        UnsetEnv("QVX_DEBUG");
        RereadDebugOutputSetting();
    }
    void Debug(const char* value)
    {
        value != nullptr ? SetEnv("QVX_DEBUG", value) : UnsetEnv("QVX_DEBUG");
        RereadDebugOutputSetting();
    }
    std::vector<std::string> Calls()
    {
        std::lock_guard<std::mutex> lock(g_lock);
        return std::exchange(g_calls, {});
    }

    PVOID m_handler = nullptr;
};

} // namespace

TEST_F(DebugOutputWin, OnlyWhenAskedOrDebugged)
{
    if (IsDebuggerPresent())
        GTEST_SKIP() << "a debugger is attached: debug output is on whatever QVX_DEBUG says";
    const std::pair<const char*, bool> cases[] = {
        {nullptr, false}, {"", false}, {"0", false}, {"1", true}, {"yes", true}};
    for (const auto& [value, on] : cases) {
        Debug(value);
        EXPECT_EQ(DebugOutputEnabled(), on) << (value ? value : "unset");
        DebugOutput("seen\n");
        EXPECT_EQ(Calls(), on ? std::vector<std::string>{"seen\n"} : std::vector<std::string>{})
            << (value ? value : "unset");
    }
}

TEST_F(DebugOutputWin, OneCallPerLine)
{
    Debug("1");
    DebugOutput("first\nsecond\nrest");
    EXPECT_EQ(Calls(), (std::vector<std::string>{"first\n", "second\n", "rest"}));
}

TEST_F(DebugOutputWin, PingIsTracedToTheDebugger)
{
    Debug("1");
    CS22Network net;
    ASSERT_EQ(net.ConfigureDirect(kCom, static_cast<long>(kBaud), false), S22NET_OK);
    ASSERT_EQ(net.Connect(), S22NET_OK);
    ASSERT_EQ(net.Ping(kAnswering), S22NET_OK);
    net.Disconnect();
    const auto calls = Calls();
    std::vector<std::string> trace;
    for (const auto& call : calls) {
        if (call.rfind("qvx trace", 0) == 0)
            trace.push_back(call);
    }
    ASSERT_EQ(trace.size(), 2u);
    EXPECT_NE(trace[0].find(" -> COM1 6 bytes: 55 AA 01 00 03 FD\n"), std::string::npos) << trace[0];
    EXPECT_NE(trace[1].find(" <- COM1 6 bytes: 55 AA 01 00 03 FD\n"), std::string::npos) << trace[1];
}
