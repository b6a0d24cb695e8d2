#include "winwindow/connection/DlgActionsPage.h"

#include "connection/DisplayActions.h"
#include "winwindow/connection/ConnectionResources.h"
#include "winwindow/widgets/ListControls.h"
#include "winwindow/widgets/ListView.h"
#include "winwindow/widgets/WindowMessages.h"

#include <string>
#include <utility>

namespace {

// The core's first row is its heading ("Attribute"): the list has headings of its own.
std::vector<std::pair<std::string, std::string>> ListRows(const std::vector<InfoRow>& rows)
{
    std::vector<std::pair<std::string, std::string>> converted;
    for (std::size_t at = 1; at < rows.size(); ++at)
        converted.emplace_back(rows[at].strTag, rows[at].strValue);
    return converted;
}

} // namespace

bool CDlgActionsPage::Create(HWND pageArea, HWND notify)
{
    return CreatePage(pageArea, notify, IDD_QVX_ACTIONS_PAGE);
}

bool CDlgActionsPage::OnInitDialog()
{
    // The position is the pattern number the controller gets: the list keeps the table's order.
    lists::FillComboTexts(Item(IDC_PATTERNS), CDisplayActions::TestPatternNames());
    SendMessageW(Item(IDC_PATTERNS), CB_SETCURSEL, 0, 0);
    // The lists' own headings, kept while displays come and go.
    listview::SetColumns(Item(IDC_CONFIG_LIST), "Configuration Tag", "Attribute");
    listview::SetColumns(Item(IDC_STATUS_LIST), "Status Tag", "Attributes");
    EnablePage(false);
    return false;
}

void CDlgActionsPage::EnablePage(bool enable)
{
    EnableItems({IDC_START_PATTERN, IDC_PATTERNS, IDC_STOP_PATTERN, IDC_CONFIG_LIST, IDC_STATUS_LIST}, enable);
}

void CDlgActionsPage::ShowLists(const std::vector<InfoRow>& config, const std::vector<InfoRow>& status)
{
    listview::SetRows(Item(IDC_CONFIG_LIST), ListRows(config));
    listview::SetRows(Item(IDC_STATUS_LIST), ListRows(status));
}

void CDlgActionsPage::OnCommand(int id, int code, HWND)
{
    if (code != BN_CLICKED)
        return;
    if (id == IDC_START_PATTERN) {
        const LRESULT pattern = SendMessageW(Item(IDC_PATTERNS), CB_GETCURSEL, 0, 0);
        if (pattern >= 0)
            Notify(winmsg::kStartPattern, static_cast<WPARAM>(pattern));
    } else if (id == IDC_STOP_PATTERN) {
        Notify(winmsg::kStopPattern);
    }
}
