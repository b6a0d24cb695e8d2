#pragma once
// The "Verification Test" page: what the wizard is for, and "Start Wizard...".

#include "winwindow/widgets/Page.h"

class CDlgVerificationTest final : public CPage {
public:
    bool Create(HWND pageArea, HWND notify);
    void EnablePage(bool enable) override;

private:
    bool OnInitDialog() override;
    void OnCommand(int id, int code, HWND control) override;
};
