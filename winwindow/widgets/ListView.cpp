#include "winwindow/widgets/ListView.h"

#include "winwindow/widgets/WinText.h"

#include <commctrl.h>

namespace listview {

void SetColumns(HWND list, const std::string& first, const std::string& second)
{
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_INFOTIP | LVS_EX_LABELTIP);
    RECT client{};
    GetClientRect(list, &client);
    // The tags are short, the values long: two fifths for the tag, the rest for the value.
    const int width = client.right - client.left - GetSystemMetrics(SM_CXVSCROLL);
    const int widths[] = {width * 2 / 5, width - width * 2 / 5};
    const std::string* headings[] = {&first, &second};
    for (int column = 0; column < 2; ++column) {
        std::wstring text = WideText(*headings[column]);
        LVCOLUMNW heading{};
        heading.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        heading.pszText = text.data();
        heading.cx = widths[column] > 40 ? widths[column] : 120;
        heading.iSubItem = column;
        SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&heading));
    }
}

void SetRows(HWND list, const std::vector<std::pair<std::string, std::string>>& rows)
{
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list);
    int index = 0;
    for (const auto& [tag, value] : rows) {
        std::wstring tagText = WideText(tag);
        std::wstring valueText = WideText(value);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = index;
        item.pszText = tagText.data();
        const int row = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        if (row < 0)
            break;
        LVITEMW cell{};
        cell.iSubItem = 1;
        cell.pszText = valueText.data();
        SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
        ++index;
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

int RowCount(HWND list)
{
    return ListView_GetItemCount(list);
}

std::string CellText(HWND list, int row, int column)
{
    wchar_t buffer[1024] = {};
    LVITEMW cell{};
    cell.iSubItem = column;
    cell.pszText = buffer;
    cell.cchTextMax = static_cast<int>(sizeof buffer / sizeof buffer[0]);
    const LRESULT length = SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
    return ToolTextOf(std::wstring_view(buffer, static_cast<std::size_t>(length > 0 ? length : 0)));
}

} // namespace listview
