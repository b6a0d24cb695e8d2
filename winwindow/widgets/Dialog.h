#pragma once
// A dialog made from a template of the program's resources: the main window, its pages, the
// progress window and the other dialogs derive from it and handle the messages they need. The
// object outlives its window; a window that goes first (its parent closed) is forgotten.

#include <windows.h>

class CDialog {
public:
    CDialog() = default;
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    HWND Hwnd() const { return m_hwnd; }
    HWND Item(int id) const { return GetDlgItem(m_hwnd, id); }

    // Runs the dialog modally over owner; EndDialog's result, or -1 when it could not be made.
    INT_PTR RunModal(HWND owner, int templateId);
    // A page or a modeless window; null when it could not be made.
    HWND Create(HWND parent, int templateId);

protected:
    // WM_INITDIALOG: true lets the dialog put the focus on its first control.
    virtual bool OnInitDialog() { return true; }
    // WM_COMMAND from a control (code: its notification) or a menu / accelerator.
    virtual void OnCommand(int id, int code, HWND control)
    {
        (void)id;
        (void)code;
        (void)control;
    }
    // Any other message; true when handled, with the dialog procedure's result in result.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
    {
        (void)message;
        (void)wParam;
        (void)lParam;
        (void)result;
        return false;
    }
    // Ends a modal dialog with the result RunModal returns.
    void End(INT_PTR result);

private:
    static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hwnd = nullptr;
    bool m_bModal = false;
};

// The module the resources are in (the program).
HINSTANCE ProgramInstance();

// Registers the common controls the window's dialogs use (tab control, list views, progress bars,
// up-down controls, the wizard's sheet); once, before the first dialog.
void InitWindowControls();

// Dialog units to pixels in the dialog's own font (so a layout made in code scales with the
// template's).
RECT DialogUnitsRect(HWND dialog, int left, int top, int width, int height);
