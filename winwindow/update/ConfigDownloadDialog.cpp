#include "winwindow/update/ConfigDownloadDialog.h"

#include "update/DisplayTypes.h"
#include "winwindow/widgets/ListControls.h"
#include "winwindow/update/UpdateResources.h"

INT_PTR CConfigDownload::Run(HWND owner)
{
    return RunModal(owner, IDD_QVX_CONFIG_DOWNLOAD);
}

bool CConfigDownload::OnInitDialog()
{
    lists::FillCombo(Item(IDC_DL_FILTERS), m_lists.filters);
    SendMessageW(Item(IDC_DL_FILTERS), CB_SETCURSEL, 0, 0);
    const HWND zones = Item(IDC_DL_TIME_ZONES);
    lists::FillComboTexts(zones, m_lists.timeZones);
    lists::SelectComboText(zones, m_lists.timeZones, m_lists.initialTimeZone);
    FillTypes();
    SetFocus(Item(IDC_DL_TYPES));
    return false;
}

ConfigurationChoice CConfigDownload::Choice() const
{
    if (Hwnd() == nullptr)
        return m_choice;
    ConfigurationChoice choice;
    choice.nKey = lists::ListBoxSelectedData(Item(IDC_DL_TYPES));
    choice.strTimeZone = lists::ComboSelectedText(Item(IDC_DL_TIME_ZONES));
    return choice;
}

void CConfigDownload::FillTypes()
{
    const HWND list = Item(IDC_DL_TYPES);
    const int filterKey = lists::ComboSelectedData(Item(IDC_DL_FILTERS));
    std::vector<ConfigListItem> types;
    if (filterKey >= 0 && m_lists.typesOf)
        types = m_lists.typesOf(filterKey);
    lists::FillListBox(list, types);
    // The display's own type where this list has it; otherwise none, as the first entry is
    // another display's configuration.
    WPARAM selected = static_cast<WPARAM>(-1);
    for (std::size_t row = 0; row < types.size(); ++row) {
        if (types[row].first == m_lists.nDisplayKey) {
            selected = static_cast<WPARAM>(row);
            break;
        }
    }
    SendMessageW(list, LB_SETCURSEL, selected, 0);
    EnableDownload();
}

void CConfigDownload::EnableDownload() const
{
    // Without a type there is nothing to download: the operator who chose Download must not be
    // left with a download that silently did nothing. Without a zone it would write another one.
    const ConfigurationChoice choice = Choice();
    const bool ready = choice.nKey >= 0 && SendMessageW(Item(IDC_DL_TIME_ZONES), CB_GETCURSEL, 0, 0) >= 0;
    EnableWindow(Item(IDOK), ready ? TRUE : FALSE);
}

void CConfigDownload::OnCommand(int id, int code, HWND)
{
    switch (id) {
    case IDC_DL_FILTERS:
        if (code == CBN_SELCHANGE)
            FillTypes();
        break;
    case IDC_DL_TYPES:
        if (code == LBN_SELCHANGE)
            EnableDownload();
        break;
    case IDC_DL_TIME_ZONES:
        if (code == CBN_SELCHANGE)
            EnableDownload();
        break;
    case IDOK:
        // Enter comes as IDOK even while the button is off.
        if (IsWindowEnabled(Item(IDOK))) {
            m_choice = Choice();
            End(IDOK);
        }
        break;
    case IDCANCEL:
        End(IDCANCEL);
        break;
    default:
        break;
    }
}

bool RunConfigDownload(HWND owner, const ConfigurationLists& lists, ConfigurationChoice& choice)
{
    CConfigDownload dialog(lists);
    if (dialog.Run(owner) != IDOK)
        return false;
    choice = dialog.Choice();
    return true;
}
