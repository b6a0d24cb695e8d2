#include "winwindow/widgets/ListControls.h"

#include "winwindow/widgets/WinText.h"

#include <vector>

namespace lists {

namespace {

// An item's text; empty for one that is not there.
std::string ItemTextOf(HWND control, UINT lengthMessage, UINT textMessage, LRESULT index)
{
    if (index < 0)
        return {};
    const LRESULT length = SendMessageW(control, lengthMessage, static_cast<WPARAM>(index), 0);
    if (length <= 0)
        return {};
    std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT got = SendMessageW(control, textMessage, static_cast<WPARAM>(index),
                                     reinterpret_cast<LPARAM>(buffer.data()));
    if (got <= 0)
        return {};
    return ToolTextOf(std::wstring_view(buffer.data(), static_cast<std::size_t>(got < length ? got : length)));
}

int ItemDataOf(HWND control, UINT dataMessage, LRESULT index)
{
    if (index < 0)
        return -1;
    return static_cast<int>(SendMessageW(control, dataMessage, static_cast<WPARAM>(index), 0));
}

} // namespace

void FillCombo(HWND combo, const std::vector<KeyedItem>& items)
{
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const auto& [key, name] : items) {
        const LRESULT at = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideText(name).c_str()));
        if (at >= 0)
            SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(at), key);
    }
}

void FillComboTexts(HWND combo, const std::vector<std::string>& texts)
{
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const std::string& text : texts)
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideText(text).c_str()));
    FitDroppedWidth(combo);
}

void FillListBox(HWND list, const std::vector<KeyedItem>& items)
{
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const auto& [key, name] : items) {
        const LRESULT at = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideText(name).c_str()));
        if (at >= 0)
            SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(at), key);
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void SelectComboText(HWND combo, const std::vector<std::string>& texts, const std::string& text)
{
    // CB_FINDSTRINGEXACT ignores case; the names are compared as they are. The combo holds texts
    // in this order (it does not sort).
    WPARAM index = static_cast<WPARAM>(-1);
    for (std::size_t at = 0; at < texts.size(); ++at) {
        if (texts[at] == text) {
            index = static_cast<WPARAM>(at);
            break;
        }
    }
    SendMessageW(combo, CB_SETCURSEL, index, 0);
}

std::string ComboSelectedText(HWND combo)
{
    return ItemTextOf(combo, CB_GETLBTEXTLEN, CB_GETLBTEXT, SendMessageW(combo, CB_GETCURSEL, 0, 0));
}

int ComboSelectedData(HWND combo)
{
    return ItemDataOf(combo, CB_GETITEMDATA, SendMessageW(combo, CB_GETCURSEL, 0, 0));
}

bool SelectComboData(HWND combo, int key)
{
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT at = 0; at < count; ++at) {
        if (ItemDataOf(combo, CB_GETITEMDATA, at) == key) {
            SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
            return true;
        }
    }
    return false;
}

std::string ListBoxSelectedText(HWND list)
{
    return ItemTextOf(list, LB_GETTEXTLEN, LB_GETTEXT, SendMessageW(list, LB_GETCURSEL, 0, 0));
}

int ListBoxSelectedData(HWND list)
{
    return ItemDataOf(list, LB_GETITEMDATA, SendMessageW(list, LB_GETCURSEL, 0, 0));
}

void FitDroppedWidth(HWND combo)
{
    const HDC dc = GetDC(combo);
    if (dc == nullptr)
        return;
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(combo, WM_GETFONT, 0, 0)));
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    int widest = 0;
    for (LRESULT index = 0; index < count; ++index) {
        const std::wstring text = WideText(ItemTextOf(combo, CB_GETLBTEXTLEN, CB_GETLBTEXT, index));
        SIZE extent{};
        if (GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent) && extent.cx > widest)
            widest = extent.cx;
    }
    SelectObject(dc, old);
    ReleaseDC(combo, dc);
    // The list's margins and its scroll bar.
    const int width = widest + 4 * GetSystemMetrics(SM_CXEDGE) + GetSystemMetrics(SM_CXVSCROLL);
    SendMessageW(combo, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(width), 0);
}

} // namespace lists
