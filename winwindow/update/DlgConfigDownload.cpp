#include "winwindow/update/DlgConfigDownload.h"

#include "update/ConfigDownload.h"
#include "winwindow/widgets/ListControls.h"
#include "winwindow/update/UpdateResources.h"
#include "winwindow/widgets/WinText.h"
#include "winwindow/widgets/WindowMessages.h"

namespace {

// The templates end their lines with "\n"; the edit control breaks lines only at "\r\n".
std::string WithCrLf(const std::string& text)
{
    std::string converted;
    converted.reserve(text.size() + text.size() / 16);
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '\n' && (at == 0 || text[at - 1] != '\r'))
            converted.push_back('\r');
        converted.push_back(text[at]);
    }
    return converted;
}

} // namespace

CDlgConfigDownload::~CDlgConfigDownload()
{
    // The view goes before the font it draws with.
    if (Hwnd() != nullptr)
        DestroyWindow(Hwnd());
    if (m_templateFont != nullptr)
        DeleteObject(m_templateFont);
}

bool CDlgConfigDownload::Create(HWND pageArea, HWND notify)
{
    return CreatePage(pageArea, notify, IDD_QVX_CONFIG_PAGE);
}

bool CDlgConfigDownload::OnInitDialog()
{
    SetTemplateFont();
    Refill();
    EnablePage(false);
    return false;
}

void CDlgConfigDownload::SetTemplateFont()
{
    // A fixed font the size of the page's own, so that the XML's columns line up.
    LOGFONTW page{};
    const auto pageFont = reinterpret_cast<HFONT>(SendMessageW(Hwnd(), WM_GETFONT, 0, 0));
    if (pageFont == nullptr || GetObjectW(pageFont, sizeof page, &page) == 0)
        page.lfHeight = -11;
    LOGFONTW fixed{};
    fixed.lfHeight = page.lfHeight;
    fixed.lfWeight = FW_NORMAL;
    fixed.lfCharSet = DEFAULT_CHARSET;
    fixed.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    lstrcpynW(fixed.lfFaceName, L"Courier New", LF_FACESIZE);
    m_templateFont = CreateFontIndirectW(&fixed);
    const HGDIOBJ font = m_templateFont != nullptr ? m_templateFont : GetStockObject(ANSI_FIXED_FONT);
    SendMessageW(Item(IDC_CFG_TEMPLATE), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void CDlgConfigDownload::EnablePage(bool enable)
{
    EnableItems({IDC_CFG_FILTERS, IDC_CFG_TYPES, IDC_CFG_TIME_ZONES, IDC_CFG_CHECK, IDC_CFG_TEMPLATE}, enable);
}

void CDlgConfigDownload::Refill()
{
    if (Hwnd() == nullptr)
        return;
    m_config.BuildDisplayTypeTable();
    FillTimeZones();
    const HWND filters = Item(IDC_CFG_FILTERS);
    lists::FillCombo(filters, m_config.PageFilterList());
    SendMessageW(filters, CB_SETCURSEL, 0, 0);
    FillTypes();
}

void CDlgConfigDownload::FillTimeZones()
{
    // Each display starts on its own zone, and that is what the check compares with and a download
    // sends until the operator picks another.
    const HWND zones = Item(IDC_CFG_TIME_ZONES);
    const std::vector<std::string> names = m_config.TimeZoneList();
    lists::FillComboTexts(zones, names);
    lists::SelectComboText(zones, names, m_config.DisplayTimeZone());
    m_config.SetCurrentTimeZone(SelectedTimeZone());
}

void CDlgConfigDownload::FillTypes()
{
    const int filterKey = lists::ComboSelectedData(Item(IDC_CFG_FILTERS));
    const std::vector<ConfigListItem> types = m_config.TypeList(filterKey);
    const HWND list = Item(IDC_CFG_TYPES);
    lists::FillListBox(list, types);
    // Selecting scrolls the display's own type into view.
    const auto selected = m_config.PageTypeSelection(types);
    SendMessageW(list, LB_SETCURSEL, selected ? static_cast<WPARAM>(*selected) : static_cast<WPARAM>(-1), 0);
    ShowTemplate();
}

int CDlgConfigDownload::SelectedKey() const
{
    return lists::ListBoxSelectedData(Item(IDC_CFG_TYPES));
}

std::string CDlgConfigDownload::SelectedTimeZone() const
{
    return Hwnd() != nullptr ? lists::ComboSelectedText(Item(IDC_CFG_TIME_ZONES)) : std::string();
}

void CDlgConfigDownload::ShowTemplate()
{
    const int key = SelectedKey();
    if (key < 0) {
        SetItemText(Hwnd(), IDC_CFG_TEMPLATE_LABEL, std::string());
        SetItemText(Hwnd(), IDC_CFG_TEMPLATE, std::string());
        return;
    }
    SetItemText(Hwnd(), IDC_CFG_TEMPLATE_LABEL, lists::ListBoxSelectedText(Item(IDC_CFG_TYPES)) + " Configuration:");
    std::string text = m_config.GetConfigTemplate(key);
    // Shown as it would be sent: with the zone the page's list names.
    m_config.SetTemplateTimeZone(SelectedTimeZone(), text);
    SetItemText(Hwnd(), IDC_CFG_TEMPLATE, WithCrLf(text));
}

void CDlgConfigDownload::OnCommand(int id, int code, HWND)
{
    switch (id) {
    case IDC_CFG_FILTERS:
        if (code == CBN_SELCHANGE)
            FillTypes();
        break;
    case IDC_CFG_TYPES:
        if (code == LBN_SELCHANGE)
            ShowTemplate();
        break;
    case IDC_CFG_TIME_ZONES:
        if (code == CBN_SELCHANGE) {
            // The operator's choice is what the full check compares with.
            m_config.SetCurrentTimeZone(SelectedTimeZone());
            ShowTemplate();
        }
        break;
    case IDC_CFG_CHECK:
        if (code == BN_CLICKED) {
            const int key = SelectedKey();
            if (key >= 0)
                Notify(winmsg::kCheckConfiguration, static_cast<WPARAM>(key));
        }
        break;
    default:
        break;
    }
}
