#pragma once
// The modal "Download Configuration" dialog the configuration check offers: the generation
// filter, the types and the time zone; "Download Configuration" is on only with a type and a zone
// chosen.

#include "connection/InstallerView.h"
#include "winwindow/widgets/Dialog.h"

#include <windows.h>

class CConfigDownload final : public CDialog {
public:
    explicit CConfigDownload(const ConfigurationLists& lists) : m_lists(lists) {}

    // IDOK after "Download Configuration", IDCANCEL after "Cancel", -1 when it could not be made.
    INT_PTR Run(HWND owner);
    // The selected type's key (-1: none) and time zone: while open, what the controls show; once
    // closed, what they showed when "Download Configuration" closed it.
    ConfigurationChoice Choice() const;

private:
    bool OnInitDialog() override;
    void OnCommand(int id, int code, HWND control) override;
    void FillTypes();
    void EnableDownload() const;

    const ConfigurationLists& m_lists;
    ConfigurationChoice m_choice;
};

// True when the operator chose "Download Configuration", with the choice; false on Cancel.
bool RunConfigDownload(HWND owner, const ConfigurationLists& lists, ConfigurationChoice& choice);
