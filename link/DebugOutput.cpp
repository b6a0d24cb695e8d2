#include "link/DebugOutput.h"

#include <atomic>
#include <cstdlib>

namespace {

// -1 until QVX_DEBUG has been read, then 0 or 1. Racing first readers store the same value.
std::atomic<int> g_nDebugSetting{-1};

bool ReadDebugSetting()
{
    const char* value = std::getenv("QVX_DEBUG");
    // "0" must be able to switch it off again in a script that exports it.
    return value != nullptr && value[0] != '\0' && !(value[0] == '0' && value[1] == '\0');
}

} // namespace

bool DebugOutputRequested()
{
    int setting = g_nDebugSetting.load(std::memory_order_relaxed);
    if (setting < 0) {
        setting = ReadDebugSetting() ? 1 : 0;
        g_nDebugSetting.store(setting, std::memory_order_relaxed);
    }
    return setting != 0;
}

void RereadDebugOutputSetting()
{
    g_nDebugSetting.store(-1, std::memory_order_relaxed);
}
