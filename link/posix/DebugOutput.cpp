#include "link/DebugOutput.h"

#include <cstdio>

bool DebugOutputEnabled()
{
    return DebugOutputRequested();
}

void DebugOutput(std::string_view text)
{
    if (!DebugOutputEnabled())
        return;
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}
