#pragma once
// The system's text for an error code, as the link's Windows files put it in their lines.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cctype>
#include <string>

namespace qvxwin {

// Without the line end and full stop FormatMessage gives it; "unknown reason" when it has none.
inline std::string SystemText(DWORD error)
{
    char text[512] = "";
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                        text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() &&
           (std::isspace(static_cast<unsigned char>(message.back())) != 0 || message.back() == '.'))
        message.pop_back();
    return message.empty() ? std::string("unknown reason") : message;
}

} // namespace qvxwin
