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
        // Once for the program: it passes every exception on.
        static const PVOID handler = AddVectoredExceptionHandler(1, CatchDebugString);
        ASSERT_NE(handler, nullptr);
        Calls();
    }
    void TearDown() override { Debug(nullptr); }
    static void Debug(const char* value)
    {
        value != nullptr ? SetEnv("QVX_DEBUG", value) : UnsetEnv("QVX_DEBUG");
        RereadDebugOutputSetting();
    }
    static std::vector<std::string> Calls()
    {
        std::lock_guard<std::mutex> lock(g_lock);
        return std::exchange(g_calls, {});
    }
};

TEST_F(DebugOutputWin, OnWhenAskedAndOneCallPerLine)
{
    if (IsDebuggerPresent())
        GTEST_SKIP() << "a debugger is attached: debug output is on whatever QVX_DEBUG says";
    const std::pair<const char*, bool> cases[] = {
        {nullptr, false}, {"", false}, {"0", false}, {"1", true}, {"yes", true}};
    const std::vector<std::string> lines = {"first\n", "second\n", "rest"};
    for (const auto& [value, on] : cases) {
        Debug(value);
        EXPECT_EQ(DebugOutputEnabled(), on) << (value ? value : "unset");
        DebugOutput("first\nsecond\nrest");
        EXPECT_EQ(Calls(), on ? lines : std::vector<std::string>{}) << (value ? value : "unset");
    }
}

TEST_F(DebugOutputWin, PingIsTracedToTheDebugger)
{
    Debug("1");
    CS22Network net;
    ASSERT_EQ(net.ConfigureDirect(kCom, static_cast<long>(kBaud), false), S22NET_OK);
    ASSERT_EQ(net.Connect(), S22NET_OK);
    ASSERT_EQ(net.Ping(kAnswering), S22NET_OK);
    net.Disconnect();
    auto trace = Calls();
    std::erase_if(trace, [](const std::string& call) { return !call.starts_with("qvx trace"); });
    ASSERT_EQ(trace.size(), 2u);
    EXPECT_TRUE(trace[0].ends_with(" -> COM1 6 bytes: 55 AA 01 00 03 FD\n")) << trace[0];
    EXPECT_TRUE(trace[1].ends_with(" <- COM1 6 bytes: 55 AA 01 00 03 FD\n")) << trace[1];
}

} // namespace
