#include "winwindow/widgets/Dialog.h"

#include <commctrl.h>

HINSTANCE ProgramInstance()
{
    return GetModuleHandleW(nullptr);
}

void InitWindowControls()
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_TAB_CLASSES |
                                                       ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
}

RECT DialogUnitsRect(HWND dialog, int left, int top, int width, int height)
{
    RECT rect{left, top, left + width, top + height};
    MapDialogRect(dialog, &rect);
    return rect;
}

CDialog::~CDialog()
{
    if (m_hwnd != nullptr) {
        SetWindowLongPtrW(m_hwnd, DWLP_USER, 0);
        if (!m_bModal)
            DestroyWindow(m_hwnd);
        m_hwnd = nullptr;
    }
}

INT_PTR CDialog::RunModal(HWND owner, int templateId)
{
    m_bModal = true;
    return DialogBoxParamW(ProgramInstance(), MAKEINTRESOURCEW(templateId), owner, &CDialog::Procedure,
                           reinterpret_cast<LPARAM>(this));
}

HWND CDialog::Create(HWND parent, int templateId)
{
    m_bModal = false;
    return CreateDialogParamW(ProgramInstance(), MAKEINTRESOURCEW(templateId), parent, &CDialog::Procedure,
                              reinterpret_cast<LPARAM>(this));
}

void CDialog::End(INT_PTR result)
{
    if (m_hwnd != nullptr && m_bModal)
        EndDialog(m_hwnd, result);
}

INT_PTR CALLBACK CDialog::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        dialog->m_hwnd = window;
        return dialog->OnInitDialog() ? TRUE : FALSE;
    }
    auto* dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    if (dialog == nullptr)
        return FALSE;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, DWLP_USER, 0);
        dialog->m_hwnd = nullptr;
        return FALSE;
    }
    return dialog->Dispatch(message, wParam, lParam);
}

INT_PTR CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND) {
        OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return TRUE;
    }
    INT_PTR result = 0;
    if (!OnMessage(message, wParam, lParam, result))
        return FALSE;
    // These answer through the procedure's own value (a brush, an item, an icon).
    const bool direct = (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) || message == WM_COMPAREITEM ||
                        message == WM_VKEYTOITEM || message == WM_CHARTOITEM || message == WM_QUERYDRAGICON;
    if (direct)
        return result;
    // A handled message's value goes back through DWLP_MSGRESULT, as WM_NOTIFY replies need.
    SetWindowLongPtrW(m_hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}
