#pragma once
// Filling and reading the window's combo boxes and list boxes: items with their key as item
// data, the widest item for a drop-down list.

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace lists {
// An item: its key (the item data) and its text.
using KeyedItem = std::pair<int, std::string>;

// Replaces a combo box's items; each item's data is its key.
void FillCombo(HWND combo, const std::vector<KeyedItem>& items);
void FillComboTexts(HWND combo, const std::vector<std::string>& texts);
// Replaces a list box's items; each item's data is its key.
void FillListBox(HWND list, const std::vector<KeyedItem>& items);
// Selects the item whose text is text exactly (case counts); none when no item has it.
void SelectComboText(HWND combo, const std::vector<std::string>& texts, const std::string& text);
// The selected item's text and data; empty and -1 without a selection.
std::string ComboSelectedText(HWND combo);
int ComboSelectedData(HWND combo);
// Selects the item whose data is key; false (and the selection as it was) when none has it.
bool SelectComboData(HWND combo, int key);
std::string ListBoxSelectedText(HWND list);
int ListBoxSelectedData(HWND list);
// Lets the drop-down list be as wide as the widest item, so that none is cut off when open.
void FitDroppedWidth(HWND combo);
} // namespace lists
