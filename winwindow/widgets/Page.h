#pragma once
// A page of the main window's page area: a child dialog that collects the operator's choices and
// posts them to the window it was made for. Its controls are enabled only while a display is
// connected.

#include "winwindow/widgets/Dialog.h"

#include <initializer_list>

class CPage : public CDialog {
public:
    // Makes the page's window in the page area; notify gets the page's messages.
    bool CreatePage(HWND pageArea, HWND notify, int templateId);
    virtual void EnablePage(bool enable) = 0;

protected:
    // Posts a message to the window the page was made for; nothing when there is none.
    void Notify(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    void EnableItems(std::initializer_list<int> ids, bool enable) const;
    HWND NotifyWindow() const { return m_notify; }

private:
    HWND m_notify = nullptr;
};
