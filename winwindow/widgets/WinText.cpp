#include "winwindow/widgets/WinText.h"

#include <vector>

std::wstring WideText(std::string_view text)
{
    std::wstring wide;
    wide.reserve(text.size());
    for (char ch : text)
        wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(ch)));
    return wide;
}

std::string ToolTextOf(std::wstring_view text)
{
    std::string narrow;
    narrow.reserve(text.size());
    for (wchar_t ch : text)
        narrow.push_back(ch <= 0xFF ? static_cast<char>(ch) : '?');
    return narrow;
}

std::string WindowTextOf(HWND window)
{
    const int length = GetWindowTextLengthW(window);
    if (length <= 0)
        return {};
    std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1);
    const int got = GetWindowTextW(window, buffer.data(), length + 1);
    return ToolTextOf(std::wstring_view(buffer.data(), static_cast<std::size_t>(got > 0 ? got : 0)));
}

void SetWindowTextTo(HWND window, std::string_view text)
{
    SetWindowTextW(window, WideText(text).c_str());
}

std::string ItemText(HWND dialog, int id)
{
    return WindowTextOf(GetDlgItem(dialog, id));
}

void SetItemText(HWND dialog, int id, std::string_view text)
{
    SetDlgItemTextW(dialog, id, WideText(text).c_str());
}
