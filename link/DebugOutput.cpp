#include "link/DebugOutput.h"

#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <string>
#include <windows.h>
#endif

bool DebugOutputEnabled()
{
#ifdef _WIN32
    return IsDebuggerPresent() != 0;
#else
    return std::getenv("QVX_DEBUG") != nullptr;
#endif
}

void DebugOutput(std::string_view text)
{
#ifdef _WIN32
    OutputDebugStringA(std::string(text).c_str());
#else
    if (!DebugOutputEnabled())
        return;
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
#endif
}
