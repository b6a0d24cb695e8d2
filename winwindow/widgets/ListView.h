#pragma once
// The two-column lists of the window (tag and value): a list view in report mode.

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace listview {
// Sets the two columns' headings; each takes half the list's width.
void SetColumns(HWND list, const std::string& first, const std::string& second);
// Replaces the rows.
void SetRows(HWND list, const std::vector<std::pair<std::string, std::string>>& rows);
int RowCount(HWND list);
std::string CellText(HWND list, int row, int column);
} // namespace listview
