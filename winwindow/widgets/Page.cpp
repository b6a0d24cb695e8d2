#include "winwindow/widgets/Page.h"

bool CPage::CreatePage(HWND pageArea, HWND notify, int templateId)
{
    m_notify = notify;
    return Create(pageArea, templateId) != nullptr;
}

void CPage::Notify(UINT message, WPARAM wParam, LPARAM lParam) const
{
    if (m_notify != nullptr && IsWindow(m_notify))
        PostMessageW(m_notify, message, wParam, lParam);
}

void CPage::EnableItems(std::initializer_list<int> ids, bool enable) const
{
    for (int id : ids)
        EnableWindow(Item(id), enable ? TRUE : FALSE);
}
